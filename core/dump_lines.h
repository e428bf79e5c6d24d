// Hex-dump lines of guest memory, shared by the debugger's D command and the
// machines' text views.
//
//   dbg_hexdump_line(0x1800); // "$1800: 00 01 ... 0F  <16 characters>"
#pragma once

#include "core/types.h"

#include <string>

// One line of the 16 bytes from `address` on (each read through the read
// mirror): "$%04X:", eight bytes, two blanks, eight bytes, a blank and the
// bytes as guest characters (an empty column on boards whose codes are no text).
void dbg_hexdump_line(u32 address);

// Hex-dump lines of `size` bytes kept outside the guest's address space (a
// bank that is not mapped in), shown at the guest addresses from `address`
// on; codes below 32 show as "." among the characters.
void dbg_hexdump_kept(u32 address, const u8* bytes, u32 size);

// Hex-dump lines from `first` in steps of 16 while the address is not above
// `last`, then an empty line when `blank` is set.
void dbg_hexdump_rows(u32 first, u32 last, bool blank = true);

// Appends printf-formatted text to `out` (up to 511 characters at a time).
void text_appendf(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The eight bits of `byte`, bit 7 first, as '#' (set) and '.' (clear), in `out`
// (9 bytes).
void dbg_bit_picture(u8 byte, char* out);
