// Number literals and guest characters.
#include "debugger/literals.h"

#include "core/emu.h"
#include "core/helpers.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/settings_vars.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"

#include <cctype>
#include <cstdlib>

u32 num_last_base = NUM_HEX;
bool num_last_wide = false;

static bool upper_is(char c, char letter) {
    return std::toupper(static_cast<unsigned char>(c)) == letter;
}

static bool is_hex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
static bool is_dec(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
static bool is_bin(char c) {
    return c == '0' || c == '1' || c == '.' || c == '#';
}
static bool is_oct(char c) {
    return c >= '0' && c <= '7';
}

// The digits with their sign: -magnitude when the text began with a minus.
static i64 with_sign(bool negative, u32 magnitude) {
    return negative ? -i64{magnitude} : i64{magnitude};
}

std::optional<i64> num_parse_hex(const char* text, int length) {
    num_last_base = NUM_HEX;
    num_last_wide = false;
    if (length > 1 && upper_is(text[length - 1], 'H')) length--;
    for (int i = 0; i < length; i++)
        if (!is_hex(text[i]) && text[i] != '-') return std::nullopt;
    const bool negative = length > 0 && text[0] == '-';
    int i = negative ? 1 : 0;
    if (negative && (i >= length || !is_hex(text[i]))) return std::nullopt; // a lone minus
    u32 value = 0;
    for (; i < length && is_hex(text[i]); i++) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
        if (value >> 28) num_last_wide = true;
        value = (value << 4) | static_cast<u32>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return with_sign(negative, value);
}

std::optional<i64> num_parse_dec(const char* text, int length) {
    num_last_base = NUM_DECIMAL;
    num_last_wide = false;
    for (int i = 0; i < length; i++)
        if (!is_dec(text[i]) && text[i] != '-') return std::nullopt;
    if (length > 95) length = 95;
    const bool negative = length > 0 && text[0] == '-';
    int i = negative ? 1 : 0;
    if (negative && (i >= length || !is_dec(text[i]))) return std::nullopt; // a lone minus
    u32 value = 0;
    for (; i < length && is_dec(text[i]); i++) {
        const u64 wide = u64{value} * 10 + static_cast<u32>(text[i] - '0');
        if (wide >> 32) num_last_wide = true;
        value = static_cast<u32>(wide);
    }
    return with_sign(negative, value);
}

// Digits of `is_digit` after an optional minus, which needs a digit after it.
static bool signed_digits(const char* text, int length, bool (*is_digit)(char)) {
    const int first = length > 0 && text[0] == '-' ? 1 : 0;
    if (first == 1 && length == 1) return false;
    for (int i = first; i < length; i++)
        if (!is_digit(text[i])) return false;
    return true;
}

static_assert(NUM_INVALID == REG_NONE, "the helpers fail with the value that names nothing");

std::optional<i64> num_parse_bin(const char* text, int length) {
    num_last_base = NUM_BINARY;
    num_last_wide = false;
    if (!signed_digits(text, length, is_bin)) return std::nullopt;
    // A set digit 32 places or more from the right is past 32 bits.
    for (int i = length - 1, place = 0; i >= 0; i--, place++)
        if (place >= 32 && (text[i] == '1' || text[i] == '#')) num_last_wide = true;
    // Checked above, so the helper's value is the number (never its failure).
    const bool negative = length > 0 && text[0] == '-';
    const int skip = negative ? 1 : 0;
    return with_sign(negative, static_cast<u32>(num_bin_value(text + skip, length - skip)));
}

std::optional<i64> num_parse_oct(const char* text, int length) {
    num_last_base = NUM_OCTAL;
    num_last_wide = false;
    char digits[96];
    if (length < 0 || length >= static_cast<int>(sizeof digits)) return std::nullopt;
    if (!signed_digits(text, length, is_oct)) return std::nullopt;
    const bool negative = length > 0 && text[0] == '-';
    const int skip = negative ? 1 : 0;
    for (int i = skip; i < length; i++) {
        digits[i - skip] = text[i];
        // Digit places 0..10 hold 33 bits; the eleventh holds only 0..3.
        const int place = length - 1 - i;
        if (text[i] > '0' && (place > 10 || (place == 10 && text[i] > '3'))) num_last_wide = true;
    }
    digits[length - skip] = '\0';
    return with_sign(negative, static_cast<u32>(num_oct_value(digits)));
}

// ---- Guest characters ----------------------------------------------------------

// The board's own character set is searched through the same conversion that
// shows guest text, so a literal names what the views and listings show.
std::optional<i32> num_parse_char(char c) {
    num_last_base = NUM_CHAR;
    const auto literal_codes = machine_debug().literal_codes;
    if (!literal_codes) return static_cast<u8>(c);
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const u32 codes = literal_codes();
    for (u32 code = 0; code < codes && code < 256; code++)
        if (dbg_guest_char_to_ascii(static_cast<u8>(code)) == static_cast<u8>(c))
            return static_cast<i32>(code);
    return std::nullopt;
}

u8 num_ascii_to_ebcdic(u8 c) {
    if (c == ' ') return 0x40;
    if (c >= '0' && c <= '9') return static_cast<u8>(0xF0 + c - '0');
    static const u8 upper[26] = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9,
                                 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9,
                                 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9};
    if (c >= 'A' && c <= 'Z') return upper[c - 'A'];
    if (c >= 'a' && c <= 'z') return static_cast<u8>(upper[c - 'a'] - 0x40);
    static const struct {
        char c;
        u8 code;
    } punct[] = {{'.', 0x4B}, {'<', 0x4C}, {'(', 0x4D}, {'+', 0x4E},  {'|', 0x4F}, {'&', 0x50},
                 {'!', 0x5A}, {'$', 0x5B}, {'*', 0x5C}, {')', 0x5D},  {';', 0x5E}, {'-', 0x60},
                 {'/', 0x61}, {',', 0x6B}, {'%', 0x6C}, {'_', 0x6D},  {'>', 0x6E}, {'?', 0x6F},
                 {':', 0x7A}, {'#', 0x7B}, {'@', 0x7C}, {'\'', 0x7D}, {'=', 0x7E}, {'"', 0x7F}};
    for (const auto& p : punct)
        if (p.c == static_cast<char>(c)) return p.code;
    return 0x3F;
}

// ---- The classifier ----------------------------------------------------------------

namespace {
// Base prefixes by notation family: hexadecimal, decimal, octal, binary.
const char* const signetics_prefixes[4] = {"'H'", "'D'", "'O'", "'B'"};
const char* const calm_prefixes[4] = {"16'", "10'", "8'", "2'"};
const char* const ieee_prefixes[4] = {"H'", "D'", "Q'", "B'"};

bool starts_with_nocase(const char* text, int length, const char* prefix) {
    int i = 0;
    for (; prefix[i]; i++)
        if (i >= length || std::toupper(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

std::optional<i64> read_in_base(u32 base, const char* text, int length) {
    switch (base) {
    case NUM_BINARY:
        return num_parse_bin(text, length);
    case NUM_OCTAL:
        return num_parse_oct(text, length);
    case NUM_DECIMAL:
        return num_parse_dec(text, length);
    default:
        return num_parse_hex(text, length);
    }
}
} // namespace

std::optional<i64> num_parse_literal(const char* text, int length) {
    num_last_wide = false;
    int n = 0;
    while (n < length && text[n] && text[n] != ' ' && text[n] != '\t' && text[n] != ';')
        n++;
    length = n;

    // Quote forms: letter, apostrophe, ..., apostrophe.
    if (length >= 3 && text[1] == '\'' && text[length - 1] == '\'') {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        const char* inner = text + 2;
        const int inner_length = length - 3;
        switch (letter) {
        case 'H':
            return num_parse_hex(inner, inner_length);
        case 'D':
            return num_parse_dec(inner, inner_length);
        case 'O':
            return num_parse_oct(inner, inner_length);
        case 'B':
            return num_parse_bin(inner, inner_length);
        case 'A':
            if (length == 4) return static_cast<u8>(text[2]);
            break;
        case 'E':
            if (inner_length >= 1) {
                num_last_base = NUM_EBCDIC;
                return num_ascii_to_ebcdic(static_cast<u8>(text[2]));
            }
            break;
        case 'N':
            if (length == 4) return num_parse_char(text[2]);
            break;
        default:
            break;
        }
    }

    // "0" then a hexadecimal letter: 0FFH, 0A.
    if (length >= 2 && text[0] == '0') {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
        if (c >= 'A' && c <= 'F') return num_parse_hex(text + 1, length - 1);
    }

    const char* const* prefixes = dis_notation <= 1   ? signetics_prefixes
                                  : dis_notation <= 3 ? calm_prefixes
                                                      : ieee_prefixes;
    static const u32 prefix_bases[4] = {NUM_HEX, NUM_DECIMAL, NUM_OCTAL, NUM_BINARY};
    for (int p = 0; p < 4; p++) {
        if (!starts_with_nocase(text, length, prefixes[p])) continue;
        const int skip = static_cast<int>(std::strlen(prefixes[p]));
        return read_in_base(prefix_bases[p], text + skip, length - skip);
    }

    if (length >= 2 && text[0] == '$') return num_parse_hex(text + 1, length - 1);
    if (length >= 1) {
        switch (text[0]) {
        case '!':
            return num_parse_dec(text + 1, length - 1);
        case '@':
            return num_parse_oct(text + 1, length - 1);
        case '%':
            return num_parse_bin(text + 1, length - 1);
        case '\'':
        case '"':
            if (length >= 2) return num_parse_char(text[1]);
            break;
        default:
            break;
        }
    }

    if (length >= 2) {
        const char last =
            static_cast<char>(std::toupper(static_cast<unsigned char>(text[length - 1])));
        if (last == 'H') return num_parse_hex(text, length - 1);
        if (last == 'O' || last == 'Q') return num_parse_oct(text, length - 1);
        if (dbg_base != static_cast<i32>(NUM_HEX)) {
            if (last == 'D') return num_parse_dec(text, length - 1);
            if (last == 'B') return num_parse_bin(text, length - 1);
        }
    }

    if (dbg_base < 0 || dbg_base > 3) return 0;
    return read_in_base(static_cast<u32>(dbg_base), text, length);
}
