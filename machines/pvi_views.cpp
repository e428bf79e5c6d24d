#include "machines/pvi_views.h"

#include "core/dump_lines.h"
#include "core/emu.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "display/colour_names.h"
#include "machines/elektor_texts.h"
#include "machines/pvi2636.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"

#include <cstdio>
#include <strings.h>

namespace {

constexpr u32 MASK = GUEST_MEMORY_SIZE - 1;

u8 at(u32 a) {
    return guest_memory[a & MASK];
}

const char* yes_no(bool yes) {
    return yes ? "yes" : "no";
}

// The background and grid colours of BGCOLOUR as the consoles show them.
const char* background_name(u32 c) {
    return display_colour_name(7 - (c & 7));
}

const char* size_name(u32 code) {
    static const char* const names[4] = {"single", "double", "quadruple", "octuple"};
    return names[code & 3];
}

// The tone of PITCH and the note the tone voice sounds at it.
void pitch_text(u8 value, std::string* out) {
    const float hz = snd_tone_reference / (static_cast<float>(value) + 1.0f);
    text_appendf(out, "%s %4.3f %s (note %s)", "Pitch:", hz, "Hz",
                 note_table[snd_voice_note(0, value)].name);
}

// The object pair bits of SPRITECOLLIDE: $20 0/1, $10 0/2, $08 0/3, $04 1/2,
// $02 1/3, $01 2/3.
u8 pair_bit(int a, int b) {
    static const u8 bits[4][4] = {
        {0, 0x20, 0x10, 0x08}, {0x20, 0, 0x04, 0x02}, {0x10, 0x04, 0, 0x01}, {0x08, 0x02, 0x01, 0}};
    return bits[a][b];
}

} // namespace

u32 pvi_console_colour(u32 colour) {
    return colour & 7;
}

void pvi_dump_hardware() {
    for (u32 a = 0x1F80; a <= 0x1FA6; a += 2) {
        char left[9], right[9];
        dbg_bit_picture(at(a), left);
        dbg_bit_picture(at(a + 1), right);
        con_printf("$%04X: %02X %02X %s %s\n", a, at(a), at(a + 1), left, right);
    }
    con_printf("$1FA8: %02X %02X %02X %02X %02X\n\n", at(0x1FA8), at(0x1FA9), at(0x1FAA),
               at(0x1FAB), at(0x1FAC));
}

void pvi_dump_registers() {
    const u32 b = pvi_base & MASK;
    con_printf("PVI at $%04X:\n", b);
    for (u32 off : {0x0Eu, 0x1Eu, 0x4Eu})
        con_printf("$%04X:                                            %02X %02X\n", b + off,
                   at(b + off), at(b + off + 1));
    dbg_hexdump_line(b + 0x50);
    dbg_hexdump_line(b + 0x60);
    con_printf("$%04X:                                            %02X\n", b + 0xAD, at(b + 0xAD));
}

void pvi_dump_sprites(PviChips chips, u32 (*colour_index)(u32 colour)) {
    for (u32 p = 0; p < chips.count; p++) {
        pvi_base = chips.first + 256 * p;
        const u8 sizes = at(pvi_base + PVI_SIZES);
        for (int row = 0; row < 10; row++) {
            for (int n = 0; n < 4; n++) {
                char bits[9];
                dbg_bit_picture(at(pvi_base + pvi_object_block[n] + static_cast<u32>(row)), bits);
                const u32 code = (sizes >> (2 * n)) & 3u;
                if (row == 0) {
                    con_printf("SPRITE%02d: %s ", static_cast<int>(4 * p) + n, bits);
                } else if (row == 1) {
                    static const char* const size_labels[4] = {
                        "   (8*10) %s ", "  (16*20) %s ", "  (32*40) %s ", "  (64*80) %s "};
                    con_printf(size_labels[code], bits);
                } else if (row == 2) {
                    const u32 colour = colour_index(pvi_get_object_colour(n));
                    con_printf("%9s %s ", display_colour_name(colour), bits);
                } else {
                    con_printf("          %s ", bits);
                }
            }
            con_printf("\n");
        }
        con_printf("\n");
    }
    pvi_base = chips.first;
}

bool pvi_dump_decoded(PviChips chips, u32 address, std::string* out) {
    out->clear();
    if (address < chips.first || address >= chips.first + 256 * chips.count) return false;
    const u32 p = (address - chips.first) / 256, base = chips.first + 256 * p;
    const u32 offset = address - base;
    const u8 v = at(address);
    const int first = static_cast<int>(4 * p);
    switch (offset) {
    case PVI_SIZES:
        text_appendf(out, "%s %s, %s, %s, %s", "Sprite sizes:", size_name(v), size_name(v >> 2),
                     size_name(v >> 4), size_name(v >> 6));
        return true;
    case PVI_SPR01COLOURS:
    case PVI_SPR23COLOURS:
        text_appendf(out, "%s %s, %s", "Colours:", display_colour_name((v >> 3) & 7),
                     display_colour_name(v & 7));
        return true;
    case PVI_SCORECTRL:
        text_appendf(out, v & 2 ? "%s 1 %s 4 %s\n" : "%s 2 %s 2 %s\n", "Score format:",
                     "group(s) of", "digits");
        text_appendf(out, "%s %s", "Score position:",
                     v & 1 ? "bottom of screen" : "top of screen");
        return true;
    case PVI_BGCOLOUR:
        text_appendf(out, "%s %s\n", "Grid/background:", v & 8 ? "enabled" : "disabled");
        text_appendf(out, "%s\n%s %s\n%s %s", "Colours:", "Background:", background_name(v),
                     "Grid:", background_name(v >> 4));
        return true;
    case PVI_PITCH:
        pitch_text(v, out);
        return true;
    case PVI_BGCOLLIDE:
        text_appendf(out, "%s\n%s %s, %s, %s, %s\n", "Collisions:", "Sprites vs. background:",
                     yes_no(v & 0x80), yes_no(v & 0x40), yes_no(v & 0x20), yes_no(v & 0x10));
        text_appendf(out, "%s %s, %s, %s, %s", "Sprites drawn?", yes_no(v & 8), yes_no(v & 4),
                     yes_no(v & 2), yes_no(v & 1));
        return true;
    case PVI_SPRITECOLLIDE:
        *out = "Collisions:\n";
        for (int n = 0; n < 4; n++) {
            int others[3], k = 0;
            for (int m = 0; m < 4; m++)
                if (m != n) others[k++] = m;
            text_appendf(out, "%s #%d %s #%d/#%d/#%d: %s, %s, %s%s", "Sprite", first + n, "vs.",
                         first + others[0], first + others[1], first + others[2],
                         yes_no(v & pair_bit(n, others[0])), yes_no(v & pair_bit(n, others[1])),
                         yes_no(v & pair_bit(n, others[2])), n < 3 ? "\n" : "");
        }
        return true;
    default:
        return false;
    }
}

void pvi_view_registers(PviChips chips) {
    static const char* const headings[3] = {"---1st PVI---\n", "---2nd PVI---\n",
                                            "---3rd PVI---\n"};
    for (u32 p = 0; p < chips.count && p < 3; p++) {
        const u32 b = chips.first + 256 * p;
        const auto r = [b](u32 off) { return at(b + off); };
        if (chips.count > 1) con_printf("%s", headings[p]);
        con_printf("PITCH:          %02X SIZES:          %02X P1PADDLE:       %02X P2PADDLE:       "
                   "%02X\n",
                   r(0xC7), r(0xC0), r(0xCC), r(0xCD));
        con_printf("SCORECTRL:      %02X SCORELT:        %02X SCORERT:        %02X BGCOLOUR:       "
                   "%02X\n",
                   r(0xC3), r(0xC8), r(0xC9), r(0xC6));
        con_printf("BGCOLLIDE:      %02X SPRITECOLLIDE:  %02X SPR01COLOURS:   %02X SPR23COLOURS:   "
                   "%02X\n",
                   r(0xCA), r(0xCB), r(0xC1), r(0xC2));
        // Each object's block: its HC and VC, then HCB and VCB (the duplicate).
        u8 hc[4], vc[4], hcb[4], vcb[4];
        for (int n = 0; n < 4; n++) {
            const u32 o = pvi_object_block[n];
            hc[n] = r(o + 10);
            hcb[n] = r(o + 11);
            vc[n] = r(o + 12);
            vcb[n] = r(o + 13);
        }
        con_printf("SPRITE0AX,Y: %02X,%02X SPRITE1AX,Y: %02X,%02X SPRITE2AX,Y: %02X,%02X "
                   "SPRITE3AX,Y: %02X,%02X\n",
                   hc[0], vc[0], hc[1], vc[1], hc[2], vc[2], hc[3], vc[3]);
        con_printf("SPRITE0BX,Y: %02X,%02X SPRITE1BX,Y: %02X,%02X SPRITE2BX,Y: %02X,%02X "
                   "SPRITE3BX,Y: %02X,%02X\n",
                   hcb[0], vcb[0], hcb[1], vcb[1], hcb[2], vcb[2], hcb[3], vcb[3]);
        // The decoded lines, each label in a column of 27.
        std::string pitch;
        pitch_text(r(0xC7), &pitch);
        con_printf("%-27s %s\n", "Pitch:", pitch.c_str() + 7);
        const u8 score = r(0xC3), bg = r(0xC6), sizes = r(0xC0), bgc = r(0xCA), sc = r(0xCB);
        con_printf(score & 2 ? "%-27s 1 %s 4 %s\n" : "%-27s 2 %s 2 %s\n", "Score format:",
                   "group(s) of", "digits");
        con_printf("%-27s %s\n", "Score position:", score & 1 ? "bottom of screen" : "top of screen");
        con_printf("%-27s %s\n", "Grid/background:", bg & 8 ? "enabled" : "disabled");
        con_printf("%-27s %s %s\n", "Colours:", "Background:", background_name(bg));
        con_printf("%-27s %s %s\n", "", "Grid:", background_name(bg >> 4));
        con_printf("%-27s %s %s, %s, %s, %s\n", "", "Sprites",
                   display_colour_name((r(0xC1) >> 3) & 7), display_colour_name(r(0xC1) & 7),
                   display_colour_name((r(0xC2) >> 3) & 7), display_colour_name(r(0xC2) & 7));
        con_printf("%-27s %s, %s, %s, %s\n", "Sprite sizes:", size_name(sizes),
                   size_name(sizes >> 2), size_name(sizes >> 4), size_name(sizes >> 6));
        con_printf("%-27s %s, %s, %s, %s\n", "Sprites drawn?", yes_no(bgc & 8), yes_no(bgc & 4),
                   yes_no(bgc & 2), yes_no(bgc & 1));
        con_printf("%-27s %s %s, %s, %s, %s\n", "Collisions:", "Sprites vs. background:",
                   yes_no(bgc & 0x80), yes_no(bgc & 0x40), yes_no(bgc & 0x20), yes_no(bgc & 0x10));
        const int first = static_cast<int>(4 * p);
        for (int n = 0; n < 4; n++) {
            int others[3], k = 0;
            for (int m = 0; m < 4; m++)
                if (m != n) others[k++] = m;
            con_printf("%-27s %s #%d %s #%d/#%d/#%d: %s, %s, %s\n", "", "Sprite", first + n, "vs.",
                       first + others[0], first + others[1], first + others[2],
                       yes_no(sc & pair_bit(n, others[0])), yes_no(sc & pair_bit(n, others[1])),
                       yes_no(sc & pair_bit(n, others[2])));
        }
    }
    con_printf("\n");
}

// ---- the consoles -------------------------------------------------------------------------

namespace {
constexpr PviChips CONSOLE_PVI{0x1F00, 1};
} // namespace

bool pvi_consoles_describe(u32 address, std::string* out) {
    // The console's inputs, the expanded Elektor's PSGs, then the PVI.
    char text[1024];
    if (pvi_console_describe_input(address, text, sizeof text) ||
        (memmap == MAP_ELEKTOR_EXPANDED && elektor_describe_psg(address, text, sizeof text))) {
        *out = text;
        return true;
    }
    return pvi_dump_decoded(CONSOLE_PVI, address, out);
}

ViewShown pvi_consoles_debug_view(const char* word) {
    if (strcasecmp(word, "SCRN") == 0) {
        pvi_dump_hardware();
    } else if (strcasecmp(word, "UDG") == 0) {
        pvi_dump_sprites(CONSOLE_PVI, pvi_console_colour);
    } else if (strcasecmp(word, "XVI") == 0) {
        con_printf("CONSOLE:        %02X NOISE:          %02X\n", at(0x1E80), at(0x1E8B));
        con_printf("P1LEFTKEYS:     %02X P1MIDDLEKEYS:   %02X P1RIGHTKEYS:    %02X\n", at(0x1E88),
                   at(0x1E89), at(0x1E8A));
        con_printf("P2LEFTKEYS:     %02X P2MIDDLEKEYS:   %02X P2RIGHTKEYS:    %02X\n", at(0x1E8C),
                   at(0x1E8D), at(0x1E8E));
        pvi_view_registers(CONSOLE_PVI);
    } else if (strcasecmp(word, "RAM") == 0) {
        if (memmap == MAP_ELEKTOR_BASIC || memmap == MAP_ELEKTOR_EXPANDED) {
            dbg_hexdump_rows(0x0800, 0x08BF);
            dbg_hexdump_rows(0x08C0, memmap == MAP_ELEKTOR_BASIC ? 0x0FFF : 0x15FF);
            if (memmap == MAP_ELEKTOR_EXPANDED) dbg_hexdump_rows(0x1800, 0x1BFF);
        }
        pvi_base = CONSOLE_PVI.first;
        pvi_dump_registers();
        if (memmap == MAP_INTERTON_C || memmap == MAP_INTERTON_D) {
            con_printf("Cartridge RAM:\n");
            if (memmap == MAP_INTERTON_C)
                dbg_hexdump_rows(0x1000, 0x13FF);
            else
                dbg_hexdump_rows(0x1800, 0x1BFF);
        }
    } else {
        return ViewShown::NONE;
    }
    return ViewShown::SHOWN;
}
