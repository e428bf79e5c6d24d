// The Arcadia's debugger views: the UVI register bits and meanings, VIEW
// SCRN, UDG, XVI and RAM.
#include "machines/arcadia_views.h"

#include "core/dump_lines.h"
#include "core/emu.h"
#include "core/machine_debug.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "display/colour_names.h"
#include "machines/uvi2637.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

u8 reg(u32 a) {
    return guest_memory[a];
}

char bit(u8 v, int n) {
    return (v >> n) & 1 ? '1' : '0';
}

const char* yes_no(bool yes) {
    return yes ? "yes" : "no";
}

// The long name of UVI colour n (0-7).
const char* uvi_colour_name(u32 n) {
    return display_colour_name(uvi_colour_table[0][n & 7]);
}

// Sprite s is drawn 16 lines high while its height bit is clear.
bool sprite_tall(int s) {
    const u8 attr = reg(s < 2 ? 0x19FB : 0x19FA);
    return !(attr & ((s & 1) ? 0x40 : 0x80));
}

u32 sprite_colour(int s) {
    const u8 attr = reg(s < 2 ? 0x19FB : 0x19FA);
    return (s & 1) ? attr & 7u : (attr >> 3) & 7u;
}

// The pitch of $18FD as the tone generator plays it, and the note the tone
// voice sounds at it.
void pitch(u8 value, float* hz, const char** note) {
    const u32 n = value & 127u;
    *hz = snd_tone_reference / static_cast<float>(n + 1);
    *note = note_table[snd_voice_note(0, static_cast<u16>(n))].name;
}

// "Sprite #n vs. #a/#b/#c: yes, no, ..." from $19FD, a pair colliding while its bit is clear.
void pair_lines(std::string* out, const char* first_format, bool last_without_end) {
    static const int others[4][3] = {{1, 2, 3}, {0, 2, 3}, {0, 1, 3}, {0, 1, 2}};
    static const int bits[4][3] = {{0, 1, 2}, {0, 3, 4}, {1, 3, 5}, {2, 4, 5}};
    const u8 v = reg(0x19FD);
    for (int s = 0; s < 4; s++) {
        text_appendf(out, s == 0 ? first_format : "%-27s ", "");
        text_appendf(out, "%s #%d %s #%d/#%d/#%d: %s, %s, %s", "Sprite", s, "vs.", others[s][0],
               others[s][1], others[s][2], yes_no(!((v >> bits[s][0]) & 1)),
               yes_no(!((v >> bits[s][1]) & 1)), yes_no(!((v >> bits[s][2]) & 1)));
        if (s < 3 || !last_without_end) *out += "\n";
    }
}

} // namespace

void uvi_describe_bits(u8 v, u32 a, char* out, std::size_t size) {
    if ((a >= 0x18F0 && a <= 0x18F7) || a == 0x19FE || a == 0x19FF) {
        out[0] = '\0';
    } else if (a == 0x18FC) {
        std::snprintf(out, size, " [%d]", v);
    } else if (a == 0x18FD) {
        std::snprintf(out, size, " [%%%c,%c%c%c%c%c%c%c]", bit(v, 7), bit(v, 6), bit(v, 5),
                      bit(v, 4), bit(v, 3), bit(v, 2), bit(v, 1), bit(v, 0));
    } else if (a == 0x18FE) {
        std::snprintf(out, size, " [%%%c%c%c,%c,%c,%c%c%c]", bit(v, 7), bit(v, 6), bit(v, 5),
                      bit(v, 4), bit(v, 3), bit(v, 2), bit(v, 1), bit(v, 0));
    } else if (a == 0x18FF) {
        std::snprintf(out, size, " [%%----,%c%c%c%c]", bit(v, 3), bit(v, 2), bit(v, 1), bit(v, 0));
    } else if ((a >= 0x1900 && a <= 0x1907) || a == 0x19FC) {
        std::snprintf(out, size, " [%%----,%c,%c,%c,%c]", bit(v, 3), bit(v, 2), bit(v, 1),
                      bit(v, 0));
    } else if (a == 0x1908) {
        std::snprintf(out, size, " [%%-----,%c,%c,%c]", bit(v, 2), bit(v, 1), bit(v, 0));
    } else if (a >= 0x19F8 && a <= 0x19FB) {
        std::snprintf(out, size, " [%%%c,%c,%c%c%c,%c%c%c]", bit(v, 7), bit(v, 6), bit(v, 5),
                      bit(v, 4), bit(v, 3), bit(v, 2), bit(v, 1), bit(v, 0));
    } else if (a == 0x19FD) {
        std::snprintf(out, size, " [%%--,%c,%c,%c,%c,%c,%c]", bit(v, 5), bit(v, 4), bit(v, 3),
                      bit(v, 2), bit(v, 1), bit(v, 0));
    } else {
        char shown[4];
        std::snprintf(out, size, " ['%s']", cpu_guest_char_text(v, shown));
    }
}

bool arcadia_describe_uvi(u32 a, std::string* out) {
    out->clear();
    const u8 v = reg(a & 0x7FFF);
    switch (a) {
    case 0x18FD: {
        float hz;
        const char* note;
        pitch(v, &hz, &note);
        text_appendf(out, "%s %s\n%s %4.3f %s (note %s)", "Board mode:", yes_no(v & 0x80), "Pitch:", hz,
               "Hz", note);
        return true;
    }
    case 0x18FE:
        text_appendf(out, "%s %d %s\n%s %s\n%s %s\n%s %d %s 7", "Horizontal scrolling:", v >> 5,
               "pixels", "Tone:", v & 8 ? "on" : "off", "Noise:", v & 16 ? "on" : "off",
               "Volume:", v & 7, "of");
        return true;
    case 0x19F8:
        text_appendf(out, "%s %s\n%s %d\n%s\n%s %s, %s\n%s %s", "Block mode:", yes_no(v & 0x80),
               "Character rows:", v & 0x40 ? 26 : 13, "Colours:", "Board mode:",
               uvi_colour_name(v >> 3), uvi_colour_name(v), "Outer background:",
               uvi_colour_name(reg(0x19F9)));
        return true;
    case 0x19F9: {
        const u32 fg = (v >> 3) & 7;
        text_appendf(out, "%s %s\n%s %s\n", "Vertical resolution:", v & 0x80 ? "high" : "low",
               "Paddle interpolation:", v & 0x40 ? "X-axis" : "Y-axis");
        text_appendf(out, "%s\n%s %s, %s, %s, %s\n%s %s", "Colours:", "Foreground:",
               uvi_colour_name(fg & 1), uvi_colour_name((fg & 1) + 2),
               uvi_colour_name((fg & 1) + 4), uvi_colour_name((fg & 1) + 6),
               "Inner background:", uvi_colour_name(v));
        return true;
    }
    case 0x19FA:
    case 0x19FB: {
        const int s = a == 0x19FB ? 0 : 2;
        text_appendf(out, "Sprite heights: %s, %s\n%s %s, %s", sprite_tall(s) ? "double" : "normal",
               sprite_tall(s + 1) ? "double" : "normal", "Colours:",
               uvi_colour_name(sprite_colour(s)), uvi_colour_name(sprite_colour(s + 1)));
        return true;
    }
    case 0x19FC:
        text_appendf(out, "%s\n%s %s, %s, %s, %s", "Collisions:", "Sprites vs. background:",
               yes_no(!(v & 1)), yes_no(!(v & 2)), yes_no(!(v & 4)), yes_no(!(v & 8)));
        return true;
    case 0x19FD:
        *out = "Collisions:\n";
        pair_lines(out, "", true);
        return true;
    case 0x1908:
        text_appendf(out, "'B' button: %s\n'A' button: %s\n'START' button: %s",
               v & 4 ? "pressed" : "unpressed", v & 2 ? "pressed" : "unpressed",
               v & 1 ? "pressed" : "unpressed");
        return true;
    default:
        break;
    }
    if (a >= 0x1900 && a <= 0x1907) {
        static const char* const keys[4][4] = {{"'1'", "'4'", "'7'", "'Clear'"},
                                               {"'2'", "'5'", "'8'", "'0'"},
                                               {"'3'", "'6'", "'9'", "'Enter'"},
                                               {"'x4'", "'x3'", "'x2'", "'x1'"}};
        const char* side = a >= 0x1904 ? "Right" : "Left";
        const int column = static_cast<int>(a & 3);
        for (int k = 0; k < 4; k++)
            text_appendf(out, "%s %s button: %s%s", side, keys[column][k],
                   v & (8 >> k) ? "pressed" : "unpressed", k < 3 ? "\n" : "");
        return true;
    }
    return false;
}

void arcadia_view_screen() {
    dbg_hexdump_rows(0x1800, 0x18CF, false);
    dbg_hexdump_rows(0x1A00, 0x1ACF, true);
}

// Four 8-pixel images side by side, eight lines; `colour` names what line
// 2 and on of image s show (nullptr: no name on that line).
static void image_block(const char* first_label, u32 base, bool (*tall)(int),
                        const char* (*colour)(int line, int s)) {
    for (int line = 0; line < 8; line++) {
        for (int s = 0; s < 4; s++) {
            char bits[9];
            dbg_bit_picture(reg(base + 8 * s + line), bits);
            const char* name = line >= 2 ? colour(line, s) : nullptr;
            if (line == 0)
                con_printf(first_label, s, bits);
            else if (line == 1)
                con_printf(tall(s) ? "   (8*16) %s " : "    (8*8) %s ", bits);
            else if (name)
                con_printf("%9s %s ", name, bits);
            else
                con_printf("          %s ", bits);
        }
        con_printf("\n");
    }
    con_printf("\n");
}

void arcadia_view_sprites() {
    image_block(" SPRITE%d: %s ", 0x1980, sprite_tall, [](int line, int s) -> const char* {
        return line == 2 ? uvi_colour_name(sprite_colour(s)) : nullptr;
    });
    // The UDGs: 16 lines high in low resolution; the four character colours
    // of the normal mode, or the two board-mode foregrounds.
    image_block(
        "    UDG%d: %s ", 0x19A0, [](int) { return !(reg(0x19F9) & 0x80); },
        [](int line, int) -> const char* {
            const int k = line - 2;
            if (reg(0x18FD) & 0x80) {
                if (k > 1) return nullptr;
                return uvi_colour_name(k == 0 ? reg(0x19F8) >> 3 : reg(0x19F8));
            }
            if (k > 3) return nullptr;
            return uvi_colour_name(((reg(0x19F9) >> 3) & 1u) + 2u * static_cast<u32>(k));
        });
}

void arcadia_view_registers() {
    con_printf("CONSOLE:        %02X PITCH:          %02X VOLUME:         %02X\n", reg(0x1908),
               reg(0x18FD), reg(0x18FE));
    con_printf("GFXMODE:        %02X BGCOLOUR:       %02X VSCROLL:        %02X CHARLINE:       "
               "%02X\n",
               reg(0x19F9), reg(0x19F8), reg(0x18FC), reg(0x18FF));
    con_printf("BGCOLLIDE:      %02X SPRITECOLLIDE:  %02X SPRITES01CTRL:  %02X SPRITES23CTRL:  "
               "%02X\n",
               reg(0x19FC), reg(0x19FD), reg(0x19FB), reg(0x19FA));
    con_printf("SPRITE0X,Y:  %02X,%02X SPRITE1X,Y:  %02X,%02X SPRITE2X,Y:  %02X,%02X SPRITE3X,Y:  "
               "%02X,%02X\n",
               reg(0x18F1), reg(0x18F0), reg(0x18F3), reg(0x18F2), reg(0x18F5), reg(0x18F4),
               reg(0x18F7), reg(0x18F6));
    con_printf("P1PADDLE:       %02X P1LEFTKEYS:     %02X P1MIDDLEKEYS:   %02X P1RIGHTKEYS:    "
               "%02X\n",
               reg(0x19FF), reg(0x1900), reg(0x1901), reg(0x1902));
    con_printf("P2PADDLE:       %02X P2LEFTKEYS:     %02X P2MIDDLEKEYS:   %02X P2RIGHTKEYS:    "
               "%02X\n",
               reg(0x19FE), reg(0x1904), reg(0x1905), reg(0x1906));
    con_printf("P1PALLADIUM:    %02X P2PALLADIUM:    %02X\n", reg(0x1903), reg(0x1907));

    const u8 pitch_byte = reg(0x18FD), sound = reg(0x18FE), mode = reg(0x19F8),
             gfx = reg(0x19F9);
    float hz;
    const char* note;
    pitch(pitch_byte, &hz, &note);
    con_printf("%-27s %s\n", "Board mode:", yes_no(pitch_byte & 0x80));
    con_printf("%-27s %s\n", "Block mode:", yes_no(mode & 0x80));
    con_printf("%-27s %4.3f %s (note %s)\n", "Pitch:", hz, "Hz", note);
    con_printf("%-27s %d %s\n", "Horizontal scrolling:", sound >> 5, "pixels");
    con_printf("%-27s %s\n", "Tone:", sound & 8 ? "on" : "off");
    con_printf("%-27s %s\n", "Noise:", sound & 16 ? "on" : "off");
    con_printf("%-27s %d %s 7\n", "Volume:", sound & 7, "of");
    con_printf("%-27s %d\n", "Character rows:", mode & 0x40 ? 26 : 13);
    con_printf("%-27s %s\n", "Vertical resolution:", gfx & 0x80 ? "high" : "low");
    con_printf("%-27s %s\n", "Paddle interpolation:", gfx & 0x40 ? "X-axis" : "Y-axis");
    const u32 fg = (gfx >> 3) & 1;
    con_printf("%-27s %s %s, %s, %s, %s\n", "Colours:", "Foreground:", uvi_colour_name(fg),
               uvi_colour_name(fg + 2), uvi_colour_name(fg + 4), uvi_colour_name(fg + 6));
    con_printf("%-27s %s %s\n", "", "Inner background:", uvi_colour_name(gfx));
    con_printf("%-27s %s %s\n", "", "Outer background:", uvi_colour_name(mode));
    con_printf("%-27s %s %s, %s, %s, %s\n", "", "Sprites", uvi_colour_name(sprite_colour(0)),
               uvi_colour_name(sprite_colour(1)), uvi_colour_name(sprite_colour(2)),
               uvi_colour_name(sprite_colour(3)));
    con_printf("%-27s %s, %s, %s, %s\n", "Sprite heights:", sprite_tall(0) ? "double" : "normal",
               sprite_tall(1) ? "double" : "normal", sprite_tall(2) ? "double" : "normal",
               sprite_tall(3) ? "double" : "normal");
    const u8 bg = reg(0x19FC);
    con_printf("%-27s %s %s, %s, %s, %s\n", "Collisions:", "Sprites vs. background:",
               yes_no(!(bg & 1)), yes_no(!(bg & 2)), yes_no(!(bg & 4)), yes_no(!(bg & 8)));
    std::string pairs;
    pair_lines(&pairs, "%-27s ", false);
    con_printf("%s\n", pairs.c_str());
}

void arcadia_view_ram() {
    if (memmap == MAP_ARCADIA_TELEFEVER) {
        dbg_hexdump_rows(0x1000, 0x10FF, false);
        dbg_hexdump_rows(0x1200, 0x12FF, true);
    }
    dbg_hexdump_rows(0x18D0, 0x18EF, false);
    con_printf("$18F8:                          %02X %02X %02X %02X\n", reg(0x18F8), reg(0x18F9),
               reg(0x18FA), reg(0x18FB));
    dbg_hexdump_rows(0x1AD0, 0x1AFF, true);
}

ViewShown arcadia_debug_view(const char* word) {
    if (strcasecmp(word, "SCRN") == 0)
        arcadia_view_screen();
    else if (strcasecmp(word, "UDG") == 0)
        arcadia_view_sprites();
    else if (strcasecmp(word, "XVI") == 0)
        arcadia_view_registers();
    else if (strcasecmp(word, "RAM") == 0)
        arcadia_view_ram();
    else
        return ViewShown::NONE;
    return ViewShown::SHOWN;
}
