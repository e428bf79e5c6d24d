#include "core/emu.h"
  #  include "gui/main_window.h"
