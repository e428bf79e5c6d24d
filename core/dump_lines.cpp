#include "core/dump_lines.h"

#include "core/helpers.h"
#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"

#include <cstdarg>
#include <cstdio>
#include <string>

void dbg_hexdump_line(u32 address) {
    // A row that would run past the top of memory ends there, blanks in place
    // of the bytes beyond.
    std::string line;
    std::string chars;
    const bool text = cpu_char_style() != CHARS_NONE;
    char head[7] = "$";
    hex_word_to_text(head + 1, address);
    head[5] = ':';
    head[6] = '\0';
    line = head;
    for (u32 i = 0; i < 16; i++) {
        const u32 a = address + i;
        if (i == 8) line += ' ';
        if (a >= GUEST_MEMORY_SIZE) {
            line += "   ";
            continue;
        }
        const u8 byte = guest_memory[mem_read_mirror[a] & (GUEST_MEMORY_SIZE - 1)];
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", byte);
        line += hex;
        char utf8[4];
        if (text) chars += cpu_guest_char_text(byte, utf8);
    }
    con_printf("%s %s\n", line.c_str(), chars.c_str());
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
