// The debugger's services to the layers below it: the address formatter and
// the guest character conversion.
#pragma once

#include "cpu/debug_state.h"

// Room for one formatted address.
constexpr int DBG_ADDRESS_TEXT_SIZE = 96;

// Writes the text of a guest address into out (DBG_ADDRESS_TEXT_SIZE bytes):
// the label known for it, or hexadecimal, "$%X" when plain, else with the
// notation's hexadecimal prefix; with_suffix appends " ($%X)" to a label.
// Returns the label's kind byte, or 0 when none is known.
char dbg_format_address(u32 address, char* out, int with_suffix, int collect, int kind, int plain);

// Printable host character (Latin-1) for a guest character code on the current machine.
u8 dbg_guest_char_to_ascii(u8 code);
