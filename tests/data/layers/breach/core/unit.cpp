#include "core/emu.h"
  #  include "gui/main_window.h"
#include "app/shell.h"
