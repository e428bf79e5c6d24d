#include "peripherals/printer.h"
#include "core/emu.h"
