// Guest firmware images read from the program home's roms/ drawer under fixed
// names. Each machine lists the images it may read in one table (its
// MachineOps row's `roms`), reads them through that table, and the drawer's
// README.txt is written from the same tables.
//
// A missing image, or one of the wrong size, leaves the caller's memory as it
// was. Each image is looked at every time it is read (every machine switch)
// and reported when what was found changed: missing or of the wrong size the
// first time, and again whenever it was mended or spoilt since. A required
// image that cannot be used is named in one warning per machine switch that
// lists all of them (guest_roms_report), an optional one on the message
// channel at once; a mended one on the message channel.
#pragma once

#include "core/types.h"

enum : u8 {
    GUEST_ROM_OPTIONAL = 1,  // the machine runs as it should without it
    GUEST_ROM_LONGER_OK = 2, // a longer file is taken; its first `size` bytes are used
};

struct GuestRom {
    const char* name; // nullptr: an unused entry
    u32 size;
    const char* use; // what it holds, for README.txt
    u8 flags;
};

// Reads `rom` into `out` (rom.size bytes); false when it cannot.
bool guest_rom_read(const GuestRom& rom, u8* out);
// Shows the required images that could not be read since the last report,
// in one warning naming each with its size and the drawer. Nothing when none.
void guest_roms_report();
// Forgets what was found of each image and what is waiting for the report
// (test support: each test starts with nothing reported).
void guest_roms_reset_warnings();
// Creates the roms/ drawer in the program home when it is missing, with a
// README.txt listing every machine's images.
void guest_roms_seed_drawer();
