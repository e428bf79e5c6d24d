#include "core/emu.h"
#include "cpu/bus.h"
#include "platform/paths.h"
