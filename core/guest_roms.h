// Guest firmware images read from the program home's roms/ drawer under fixed
// names (the README lists them). A missing or short image leaves the caller's
// memory as it was and is reported once per name with the drawer; an image of
// the wrong size is refused with a message naming the size it must have.
#pragma once

#include "core/types.h"

// Reads exactly `size` bytes of roms/<name> into `out`; false when it cannot.
bool guest_rom_read(const char* name, u8* out, u32 size);
// Forgets which missing images were already reported.
void guest_roms_reset_warnings();
