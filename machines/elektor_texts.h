// The PVI consoles' hardware in words, for the debugger: the console I/O
// registers and the Elektor's PSG registers described one at a time, the
// "VIEW PSG" dump, the notes on the Elektor monitor's routines, and the
// monitor's display read back as text.
#pragma once

#include "core/machine_debug.h"
#include "core/types.h"

#include <cstddef>

// Describe the register at `address` into out (size bytes, no final newline):
// true when the address has a description. The console I/O area: $1E80 and
// $1E88-$1E8E; the PSGs: $1D00-$1D0D and $1D10-$1D1D (not their I/O ports).
bool pvi_console_describe_input(u32 address, char* out, std::size_t size);
bool elektor_describe_psg(u32 address, char* out, std::size_t size);

// Both PSGs' registers, and with verbosity above 0 their decoded settings.
// Prints nothing unless the expanded Elektor is running.
void elektor_view_psg_registers();
// The debugger's VIEW words of the Elektor: PSG on the expanded map.
ViewShown elektor_debug_view(const char* word);

// The host character of an Elektor character code (the codes its monitor
// writes to the display), 0 for a code with no printable form.
u8 elektor_guest_char(u8 code);

// The documentation of the monitor routine at `address` for the BIOS version
// in use, as one message; nothing for an address without a note.
void elektor_bios_notes(u32 address);

// Monitor display line 0-5 as eight characters in elektor_display_text
// ('#' for an image that is no known character).
extern char elektor_display_text[9];
void elektor_decode_monitor_display(int line);
