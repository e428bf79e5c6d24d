#include "core/dump_lines.h"

#include "core/helpers.h"
#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// One hex line: "$%04X:", the bytes that are there (blanks for the others,
// `count` of 16), a blank and the bytes as characters; with `dots`, codes
// below 32 show as ".".
void print_hex_line(u32 address, const u8* bytes, u32 count, bool dots) {
    const bool text = cpu_char_style() != CHARS_NONE;
    char head[7] = "$";
    hex_word_to_text(head + 1, address);
    head[5] = ':';
    head[6] = '\0';
    std::string line = head;
    std::string chars;
    for (u32 i = 0; i < 16; i++) {
        if (i == 8) line += ' ';
        if (i >= count) {
            line += "   ";
            continue;
        }
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
        line += hex;
        char utf8[4];
        if (!text) continue;
        if (dots && bytes[i] < 32)
            chars += '.';
        else
            chars += cpu_guest_char_text(bytes[i], utf8);
    }
    con_printf("%s %s\n", line.c_str(), chars.c_str());
}

} // namespace

void dbg_hexdump_line(u32 address) {
    // A row that would run past the top of memory ends there, blanks in place
    // of the bytes beyond.
    u8 bytes[16];
    u32 count = 0;
    for (; count < 16 && address + count < GUEST_MEMORY_SIZE; count++)
        bytes[count] = guest_memory[mem_read_mirror[address + count] & (GUEST_MEMORY_SIZE - 1)];
    print_hex_line(address, bytes, count, false);
}

void dbg_hexdump_kept(u32 address, const u8* bytes, u32 size) {
    for (u32 i = 0; i < size; i += 16)
        print_hex_line(address + i, bytes + i, size - i < 16 ? size - i : 16, true);
}

void dbg_hexdump_rows(u32 first, u32 last, bool blank) {
    for (u32 a = first; a <= last; a += 16)
        dbg_hexdump_line(a);
    if (blank) con_printf("\n");
}

void dbg_bit_picture(u8 byte, char* out) {
    for (int b = 0; b < 8; b++)
        out[b] = byte & (0x80 >> b) ? '#' : '.';
    out[8] = '\0';
}

void text_appendf(std::string* out, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    *out += text;
}
