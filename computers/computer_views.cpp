// VIEW RAM and VIEW BIOS of the monitor-ROM computers.
#include "computers/computer_views.h"

#include "core/dump_lines.h"
#include "core/emu.h"
#include "core/message.h"
#include "computers/phunsy.h"
#include "core/settings_vars.h"
#include "display/pointer_text.h"

#include <strings.h>

namespace {

u8 at(u32 a) {
    return guest_memory[a & (GUEST_MEMORY_SIZE - 1)];
}

u32 word(u32 a) {
    return static_cast<u32>(at(a) << 8 | at(a + 1));
}

bool is(const char* word, const char* name) {
    return strcasecmp(word, name) == 0;
}

// PIPBUG's scratch RAM: the command buffer, the GOTO vector, the temporaries
// between them, and the input buffer.
void pipbug_view_bios() {
    con_printf("COM  ($400..$408):  $%02X %02X %02X %02X %02X %02X %02X %02X %02X\n", at(0x400),
               at(0x401), at(0x402), at(0x403), at(0x404), at(0x405), at(0x406), at(0x407),
               at(0x408));
    con_printf("XGOT ($409..$40C):  $%02X %02X %02X %02X\n", at(0x409), at(0x40A), at(0x40B),
               at(0x40C));
    con_printf("BUFF ($413..$426):  $%02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\n",
               at(0x413), at(0x414), at(0x415), at(0x416), at(0x417), at(0x418), at(0x419),
               at(0x41A), at(0x41B), at(0x41C));
    con_printf("                    $%02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\n",
               at(0x41D), at(0x41E), at(0x41F), at(0x420), at(0x421), at(0x422), at(0x423),
               at(0x424), at(0x425), at(0x426));
    con_printf("TEMP: $%04X TEMQ: $%04X TEMR:   $%02X TEMS:   $%02X\n\n", word(0x40D), word(0x40F),
               at(0x411), at(0x412));
}

// Every bank of a banked window, each headed with the bank that the window
// now shows, then an empty line.
void phunsy_view_banks(char kind, u32 window, int current) {
    const u32 size = kind == 'U' ? 2048 : 16384;
    for (int bank = 0; bank < 16; bank++) {
        con_printf("\nBank %c%X ($%04X..$%04X) (currently using %c%X):\n", kind, bank, window,
                   window + size - 1, kind, current);
        dbg_hexdump_kept(window, phunsy_bank_bytes(kind, bank), size);
    }
    con_printf("\n");
}

} // namespace

ViewShown pipbug_ram_bios_view(const char* w) {
    if (is(w, "RAM")) {
        if (memmap == MAP_PIPBUG_1) {
            dbg_hexdump_rows(0x0400, 0x7FFF);
        } else {
            dbg_hexdump_rows(0x0800, 0x087F);
            dbg_hexdump_rows(0x0C00, 0x0FFF);
        }
    } else if (is(w, "BIOS")) {
        pipbug_view_bios();
    } else {
        return ViewShown::NONE;
    }
    return ViewShown::SHOWN;
}

ViewShown binbug_debug_view(const char* w) {
    if (!is(w, "RAM")) return ViewShown::NONE;
    dbg_hexdump_rows(0x0400, 0x1FFF);
    return ViewShown::SHOWN;
}

ViewShown instructor_debug_view(const char* w) {
    if (is(w, "RAM")) {
        dbg_hexdump_rows(0x0000, 0x01FF);
        dbg_hexdump_rows(0x1780, 0x17FF);
    } else if (is(w, "BIOS")) {
        dbg_hexdump_rows(0x17C0, 0x17FF);
    } else {
        return ViewShown::NONE;
    }
    return ViewShown::SHOWN;
}

ViewShown cd2650_debug_view(const char* w) {
    if (!is(w, "RAM")) return ViewShown::NONE;
    dbg_hexdump_rows(0x0400, 0x17FF);
    dbg_hexdump_rows(0x2000, 0x7FFF);
    return ViewShown::SHOWN;
}

ViewShown phunsy_debug_view(const char* w) {
    if (is(w, "RAM")) {
        dbg_hexdump_rows(0x0800, 0x0FFF);
        phunsy_view_banks('U', 0x1800, phunsy_bank_control >> 4);
        dbg_hexdump_rows(0x2000, 0x3FFF);
        phunsy_view_banks('Q', 0x4000, phunsy_bank_control & 15);
    } else if (is(w, "BIOS")) {
        con_printf("MDCR RAM ($C00..$E40): \n");
        dbg_hexdump_rows(0x0C00, 0x0E40);
        con_printf("\n%s (%s) ($EE0..$F00):\n", "BIOS RAM", "scratchpad");
        // Twelve words, then nine bytes: the monitor's variables in address order.
        static const char* const words[12] = {"ZB1A", "ZB2A", "CMAD", "ERET", "IOAD", "IIAD",
                                              "ICAD", "CURS", "TBSR", "STAD", "ENAD", "TOAD"};
        static const char* const bytes[9] = {"BRTRES", "CURRES", "COMRES", "CPORES", "LESTRE",
                                             "RIENRE", "UPSTRE", "LOENRE", "INPRAM"};
        u32 a = 0x0EE0;
        for (int i = 0; i < 12; i++, a += 2)
            con_printf("%-6s $%04X%s", words[i], word(a), i % 4 == 3 ? "\n" : " ");
        for (int i = 0; i < 9; i++, a++)
            con_printf("%-6s   $%02X%s", bytes[i], at(a), i % 4 == 3 || i == 8 ? "\n" : " ");
        con_printf("\n%s (%s) ($F01..$FFF):\n", "BIOS RAM", "command input buffer");
        dbg_hexdump_rows(0x0F01, 0x0FFF);
    } else {
        return ViewShown::NONE;
    }
    return ViewShown::SHOWN;
}

ViewShown selbst_debug_view(const char* w) {
    if (is(w, "RAM")) {
        dbg_hexdump_rows(0x0800, 0x1FFF);
    } else if (is(w, "BIOS")) {
        // The monitors keep their variables at the start of the RAM.
        con_printf("%s ($800..$8FF):\n", "BIOS RAM");
        dbg_hexdump_rows(0x0800, 0x08FF);
    } else {
        return ViewShown::NONE;
    }
    return ViewShown::SHOWN;
}

// ---- pointer texts and the screen editor's cursor ------------------------------------------

namespace {

// The address under the pointer becomes the editor's cursor on a click.
void screen_byte(u32 address, int click, std::string* out) {
    display_screen_byte_text(address, out);
    if (click) screen_edit_address = address;
}

void keep_cursor_in(u32 first, u32 last) {
    if (screen_edit_address < first || screen_edit_address > last) screen_edit_address = first;
}

} // namespace

void binbug_describe_position(i32 x, i32 y, int click, std::string* out) {
    display_position_prefix(x, y, x, out);
    const u32 address = 0x7800 + static_cast<u32>(y / 16) * 64 + static_cast<u32>(x / 9);
    if (address <= 0x7BFF) screen_byte(address, click, out);
}

void cd2650_describe_position(i32 x, i32 y, int click, std::string* out) {
    display_position_prefix(x, y, x, out);
    // The video RAM runs down the columns.
    const u32 address = 0x1000 + static_cast<u32>(x / 8) * 16 + static_cast<u32>(y / 12);
    if (address <= 0x14FF) screen_byte(address, click, out);
}

void phunsy_describe_position(i32 x, i32 y, int click, std::string* out) {
    const i32 sx = blankingareas ? x - 128 : x;
    display_position_prefix(x, y, x, out);
    if (sx >= 0 && sx < 384 && y < 256) {
        screen_byte(0x1000 + static_cast<u32>(y / 8) * 64 + static_cast<u32>(sx / 6), click, out);
        return;
    }
    // The blanking areas around the picture.
    if (sx < 0)
        *out += x <= 25   ? ". Horizontal front porch"
                : x <= 57 ? ". Horizontal retrace"
                : x <= 65 || x > 81 ? ". Horizontal back porch"
                                    : ". Horizontal back porch (colour burst)";
    if (y >= 256)
        *out += y <= 268 ? ". Vertical front porch"
                : y <= 272 ? ". Vertical retrace"
                           : ". Vertical back porch";
}

void twin_describe_position(i32 x, i32 y, int, std::string* out) {
    display_position_prefix(x, y, x, out);
    display_text_cell_text(x, y, out);
}

void binbug_edit_clamp() {
    keep_cursor_in(0x7800, 0x7BFF);
}
void cd2650_edit_clamp() {
    keep_cursor_in(0x1000, 0x14FF);
}
void phunsy_edit_clamp() {
    keep_cursor_in(0x1000, 0x17FF);
}
