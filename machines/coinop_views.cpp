// The coin-op boards' debugger views: screen and colour memory, the Malzak
// playfield, the tone units, RAM, and their PVIs.
#include "machines/coinop_views.h"

#include "core/dump_lines.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "machines/coinop.h"
#include "machines/coinop_video.h"
#include "machines/pvi2636.h"
#include "machines/pvi_views.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"

#include <cstdio>
#include <string>
#include <strings.h>

namespace {

u8 at(u32 a) {
    return guest_memory[a & (GUEST_MEMORY_SIZE - 1)];
}

// Sixteen bytes of a column of the rotated screen: `top` and the 15 at 32,
// 64 ... 480 below it, from `bytes` (indexed from $1800).
void column_line(u32 top, const u8* bytes, bool chars) {
    u8 b[16];
    std::string text;
    for (u32 i = 0; i < 16; i++) {
        b[i] = bytes[(top - 0x1800 - 32 * i) & 0x3FF];
        char utf8[4];
        text += cpu_guest_char_text(b[i], utf8);
    }
    con_printf("$%04X: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X "
               "%02X%s%s\n",
               top, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11],
               b[12], b[13], b[14], b[15], chars ? " " : "", chars ? text.c_str() : "");
}

// The two halves of the rotated screen, each column bottom up.
void rotated_halves(const u8* bytes, bool chars) {
    con_printf("---Left Half---\n");
    for (u32 i = 0; i < 32; i++)
        column_line(0x1BE0 + i, bytes, chars);
    con_printf("---Right Half---\n");
    for (u32 i = 0; i < 32; i++)
        column_line(0x19E0 + i, bytes, chars);
}

void plain_line(u32 address, const u8* bytes) {
    con_printf("$%04X: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X "
               "%02X\n",
               address, bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6],
               bytes[7], bytes[8], bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14],
               bytes[15]);
}

bool tone_units() {
    return memmap == MAP_LASER_BATTLE || memmap == MAP_LAZARIAN;
}

PviChips zaccaria_pvis() {
    return {0x1500, memmap == MAP_ASTRO_WARS ? 1u : 3u};
}

constexpr PviChips MALZAK_PVIS{0x1400, 2};

u32 board_colour(u32 c) {
    return coinop_colour(c);
}

void dump_pvi_registers(PviChips chips) {
    for (u32 p = 0; p < chips.count; p++) {
        pvi_base = chips.first + 256 * p;
        pvi_dump_registers();
    }
    pvi_base = chips.first;
}

} // namespace

void coinop_dump_hardware() {
    if (!display_rotated) {
        for (u32 a = 0x1800; a <= 0x1BFF; a += 32) {
            dbg_hexdump_line(a);
            dbg_hexdump_line(a + 16);
            con_printf("\n");
        }
    } else {
        rotated_halves(&guest_memory[0x1800], true);
    }
    con_printf("\n");
    if (tone_units()) {
        con_printf("Effect RAM:\n");
        for (u32 k = 0; k < 32; k++) {
            const u8* b = &coinop_effect_ram[16 * k];
            con_printf("$%04X: %02X %02X %02X %02X %02X %02X %02X %02X  %02X %02X %02X %02X %02X "
                       "%02X %02X %02X\n",
                       0x1800 + 16 * k, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9],
                       b[10], b[11], b[12], b[13], b[14], b[15]);
        }
        con_printf("\n");
        return;
    }
    con_printf("Colour attribute RAM:\n");
    if (!display_rotated) {
        for (u32 k = 0; k < 64; k++) {
            plain_line(0x1800 + 16 * k, &coinop_colour_ram[16 * k]);
            if (k & 1) con_printf("\n");
        }
    } else {
        rotated_halves(coinop_colour_ram, false);
    }
    con_printf("Palette RAM:\n");
    plain_line(memmap == MAP_ASTRO_WARS ? 0x1C00 : 0x1400, coinop_palette_ram);
    con_printf("\n");
}

void malzak_view_screen() {
    con_printf("Screen:\n");
    for (u32 a = 0x1800, n = 1; a <= 0x1DFF; a += 16, n++) {
        dbg_hexdump_line(a);
        if (n % 4 == 0) con_printf("\n");
    }
    con_printf("Playfield:\n");
    for (u32 r = 0; r < 16; r++) {
        u8 row[16];
        for (u32 c = 0; c < 16; c++)
            row[c] = malzak_playfield[r + 16 * c];
        con_printf("%02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X "
                   "%02X\n",
                   row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9],
                   row[10], row[11], row[12], row[13], row[14], row[15]);
    }
    con_printf("\n");
}

// The lowest two set bits among `count` bits of the tone word from `shift`
// (bit k is tone number `first_tone` + k), as the notes they sound on `voice`;
// "rest" where fewer are set.
static void unit_notes(u32 shift, u32 count, u32 first_tone, int voice, const char** a,
                       const char** b) {
    const char* names[2] = {note_table[NOTE_REST].name, note_table[NOTE_REST].name};
    int found = 0;
    for (u32 k = 0; k < count && found < 2; k++)
        if (tone_unit_word & (1u << (shift + k)))
            names[found++] = note_table[snd_voice_note(voice, static_cast<u16>(first_tone + k))].name;
    *a = names[0];
    *b = names[1];
}

void coinop_dump_tone_units() {
    const char *b1, *b2, *t1, *t2;
    unit_notes(0, 13, 1, 3, &b1, &b2);  // bass tones 1-13 on voices 3 and 4
    unit_notes(13, 12, 2, 5, &t1, &t2); // treble tones 2-13 on voices 5 and 6
    con_printf("1st tone unit (bass):   %s, %s\n2nd tone unit (treble): %s, %s\n\n", b1, b2, t1,
               t2);
}

void coinop_screen_text(std::string* out, u32 rows, u32 columns, bool rotated, bool trim) {
    for (u32 r = 0; r < rows; r++) {
        std::string line;
        for (u32 c = 0; c < columns; c++) {
            const u32 a = rotated ? 0x1800 + (rows - 1 - c) * columns + r : 0x1800 + r * columns + c;
            char utf8[4];
            line += cpu_guest_char_text(at(a), utf8);
        }
        if (trim) line.erase(line.find_last_not_of(' ') + 1);
        *out += line;
        *out += '\n';
    }
}

ViewShown zaccaria_debug_view(const char* word) {
    if (strcasecmp(word, "PSG") == 0) {
        if (!tone_units()) return ViewShown::NONE;
        coinop_dump_tone_units();
    } else if (strcasecmp(word, "SCRN") == 0) {
        coinop_dump_hardware();
    } else if (strcasecmp(word, "UDG") == 0) {
        pvi_dump_sprites(zaccaria_pvis(), board_colour);
    } else if (strcasecmp(word, "XVI") == 0) {
        pvi_view_registers(zaccaria_pvis());
    } else if (strcasecmp(word, "RAM") == 0) {
        dbg_hexdump_rows(0x1400, 0x14FF);
        dump_pvi_registers(zaccaria_pvis());
        if (memmap != MAP_ASTRO_WARS) dbg_hexdump_rows(0x1C00, memmap == MAP_GALAXIA ? 0x1FFF : 0x73FF);
    } else {
        return ViewShown::NONE;
    }
    return ViewShown::SHOWN;
}

bool zaccaria_describe(u32 address, std::string* out) {
    return pvi_dump_decoded(zaccaria_pvis(), address, out);
}

ViewShown malzak_debug_view(const char* word) {
    if (strcasecmp(word, "SCRN") == 0) {
        malzak_view_screen();
    } else if (strcasecmp(word, "UDG") == 0) {
        pvi_dump_sprites(MALZAK_PVIS, board_colour);
    } else if (strcasecmp(word, "XVI") == 0) {
        pvi_view_registers(MALZAK_PVIS);
    } else if (strcasecmp(word, "RAM") == 0) {
        dbg_hexdump_rows(0x1000, 0x13FF);
        dump_pvi_registers(MALZAK_PVIS);
        dbg_hexdump_rows(0x1600, 0x1FFF);
        if (memmap == MAP_MALZAK_2) con_printf("Potentiometer ($14CC): $%02X\n\n", at(0x14CC));
    } else {
        return ViewShown::NONE;
    }
    return ViewShown::SHOWN;
}

bool malzak_describe(u32 address, std::string* out) {
    return pvi_dump_decoded(MALZAK_PVIS, address, out);
}
