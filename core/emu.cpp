#include "core/emu.h"

u32 machine = ARCADIA;
u32 memmap = 6; // Arcadia type "G"
