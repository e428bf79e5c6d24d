#include "computers/pipbug.h"
#include "computers/terminal.h"
#include "core/emu.h"
