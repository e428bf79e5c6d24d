// Number literals: the digit-string readers of every base, guest characters,
// and the classifier that picks a reader from a token's prefix, quotes,
// suffix, the notation and the default input base.
//
// Every reader returns the value as written (its minus sign and the low 32
// bits of its digits; num_last_wide tells of more), or nothing when the text
// is no literal of its kind, so that every 32-bit value can be written; none
// prints anything.
#pragma once

#include "cpu/cpu.h"

#include <optional>

// The register pseudo-address that names nothing, and what the debugger's
// address readers give for no address (never an address below their limit).
constexpr i32 REG_NONE = 0x10014;

// Kinds of literal, as kept in num_last_base and as default input bases.
constexpr u32 NUM_BINARY = 0;
constexpr u32 NUM_OCTAL = 1;
constexpr u32 NUM_DECIMAL = 2;
constexpr u32 NUM_HEX = 3;
constexpr u32 NUM_CHAR = 4;
constexpr u32 NUM_EBCDIC = 5;
constexpr u32 NUM_LABEL = 6;

// The kind of literal the last reader tried.
extern u32 num_last_base;
// The last literal read had digits past 32 bits (its value keeps the low 32).
extern bool num_last_wide;

// Each reads exactly `length` characters of `text` (which may go on after them).
// A minus sign is read only as the first character, and needs a digit after it.
std::optional<i64> num_parse_hex(const char* text, int length);
std::optional<i64> num_parse_dec(const char* text, int length);
std::optional<i64> num_parse_bin(const char* text, int length);
std::optional<i64> num_parse_oct(const char* text, int length);
// Guest character code of host character c on the current machine and memory map.
std::optional<i32> num_parse_char(char c);
// One literal token of up to `length` characters (cut at a blank, tab, ';' or NUL).
std::optional<i64> num_parse_literal(const char* text, int length);
inline std::optional<i64> num_parse_literal(const char* text);

// The EBCDIC code of a host (Latin-1) character; 0x3F (SUB) when it has none.
u8 num_ascii_to_ebcdic(u8 c);

#include <cstring>
inline std::optional<i64> num_parse_literal(const char* text) {
    return num_parse_literal(text, static_cast<int>(std::strlen(text)));
}
