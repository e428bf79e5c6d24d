// Guest firmware read from the program home's "roms" drawer under fixed
// names. A missing or short image is reported once per name for the run
// (naming the file and the drawer); the caller's area keeps what it held.
#pragma once

#include "core/types.h"

#include <cstddef>

// Copies up to `size` bytes of "PROGDIR:roms/<name>" to `dest`; true when the
// file exists and holds at least `size` bytes (only `size` are used).
bool rom_read(const char* name, u8* dest, std::size_t size);
// Forgets which names were reported (tests).
void rom_reset_warnings();
