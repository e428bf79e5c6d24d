#include "cpu/cpu.h"
#include "core/emu.h"
