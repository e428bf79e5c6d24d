#include "machines/coinop_playfield.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/frame.h"
#include "input/paddles.h"
#include "machines/coinop.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/saa5050.h"
#include "machines/zaccaria.h"

u32 coinop_star_x[COINOP_MAX_STARS];
u32 coinop_star_y[COINOP_MAX_STARS];
u32 coinop_star_count;
u32 coinop_star_scroll;

namespace {

constexpr u32 PICTURE = 240;
constexpr u8 BLANK = 7;

u8 pixel_at(u32 x, u32 y) {
    return guest_frame[x * GUEST_FRAME_ROWS + y];
}

// The first collision plane's cell of picture pixel (x, y): the Zaccaria
// picture starts 16 lines and 16 columns into the raster, Malzak's on line 0.
void mark_zaccaria(u32 x, u32 y, u8 bit) {
    coinop_collision_planes[0][(y + 16) * 256 + x + 16] |= bit;
}
void mark_malzak(u32 x, u32 y, u8 bit) {
    coinop_collision_planes[0][y * 256 + x + 16] |= bit;
}

// The screen byte of tile row r (2-31), column c (0-29).
u8 screen_byte(u32 r, u32 c) {
    return guest_memory[0x1800 + 32 * r + c];
}

} // namespace

// ---- Astro Wars and Galaxia ------------------------------------------------------------

void coinop_render_a() {
    for (u32 r = 2; r < 32; r++)
        for (u32 c = 0; c < 30; c++) {
            const u32 code = screen_byte(r, c);
            const u8 colour = coinop_colour_ram[32 * r + c] & 7;
            for (u32 line = 0; line < 8; line++) {
                const u8 bits = zaccaria_chars[8 * code + line];
                const u32 y = 8 * (r - 2) + line;
                for (u32 px = 0; px < 8; px++) {
                    const u32 x = 8 * c + px;
                    if (bits & (0x80 >> px)) {
                        display_plot_pixel(x, y, colour);
                        mark_zaccaria(x, y, COINOP_PLANE_PLAYFIELD);
                    } else {
                        display_plot_pixel(x, y, BLANK);
                    }
                }
            }
        }
    coinop_draw_shells_and_stars();
}

u8 galaxia_tile_colour(u8 code, u8 attribute, u32 v) {
    // [set][group][v]: set 0 for codes 16-127 (after AND 127), set 1 for 0-15.
    static constexpr u8 SETS[2][4][4] = {
        {{7, 6, 2, 2}, {7, 4, 6, 4}, {0, 0, 0, 0}, {7, 5, 3, 1}},
        {{7, 3, 6, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {7, 5, 3, 1}},
    };
    const u32 set = (code & 127) >= 16 ? 0 : 1;
    return SETS[set][attribute & 3][v & 3];
}

void coinop_render_b() {
    // The band of columns 32-111 scrolls by S lines; the lines it uncovers
    // are blank.
    const i32 s = coinop_scroll;
    if (s != 0) {
        const i32 first = s < 0 ? static_cast<i32>(PICTURE) + s : 0;
        const i32 last = s < 0 ? static_cast<i32>(PICTURE) - 1 : s - 1;
        for (u32 x = 32; x <= 111; x++)
            for (i32 y = first; y <= last; y++)
                display_plot_pixel(x, static_cast<u32>(y), BLANK);
    }
    const u8* plane0 = zaccaria_chars;
    const u8* plane1 = zaccaria_chars + 1024;
    for (u32 r = 2; r < 32; r++)
        for (u32 c = 0; c < 30; c++) {
            const u8 code = screen_byte(r, c);
            const u8 attribute = coinop_colour_ram[32 * r + c];
            const u32 base = (8u * code) & 0x3F8;
            for (u32 line = 0; line < 8; line++) {
                const u8 b0 = plane0[base + line], b1 = plane1[base + line];
                for (u32 px = 0; px < 8; px++) {
                    const u32 x = 8 * c + px;
                    if (x >= PICTURE) continue;
                    i32 y = static_cast<i32>(8 * (r - 2) + line);
                    if (x >= 32 && x <= 111) y += s;
                    if (y < 0 || y >= static_cast<i32>(PICTURE)) continue;
                    const u8 bit = static_cast<u8>(0x80 >> px);
                    const u32 v = (b0 & bit ? 2u : 0u) + (b1 & bit ? 1u : 0u);
                    display_plot_pixel(x, static_cast<u32>(y),
                                       galaxia_tile_colour(code, attribute, v));
                    if (v != 0) mark_zaccaria(x, static_cast<u32>(y), COINOP_PLANE_PLAYFIELD);
                }
            }
        }
    coinop_draw_shells_and_stars();
}

void coinop_draw_shells_and_stars() {
    const bool galaxia = memmap == 23;
    const u8* shells = guest_memory + (galaxia ? 0x1400 : 0x1C00);
    for (u32 i = 8; i < 248; i++) {
        const u32 s = shells[i];
        if (s == 0) continue;
        const u32 b = i - 8;
        for (u32 k = 0; k < 4; k++) {
            const i32 a = 248 - static_cast<i32>(k) - static_cast<i32>(s);
            if (a < 0 || a >= static_cast<i32>(PICTURE)) continue;
            const u32 x = static_cast<u32>(a);
            if (collisions) {
                const u8 under = pixel_at(x, b);
                if (!galaxia && under != 0) {
                    coinop_collision_latch |= 0x02;
                } else if (galaxia && under != BLANK && x >= 211 && x <= 223) {
                    coinop_collision_latch |= 0x80;
                    rumble_request[0] = 25;
                }
            }
            display_plot_pixel(x, b, 1);
            mark_zaccaria(x, b, COINOP_PLANE_SHELL);
        }
    }
    for (u32 j = 0; j < coinop_star_count; j++) {
        const u32 v = coinop_star_x[j] + coinop_star_scroll;
        const u32 a = (v >> 1) & 255;
        const u32 b = (coinop_star_y[j] + (v >> 9)) & 255;
        if ((b & 1) == ((a >> 4) & 1)) continue;
        if (a >= PICTURE || b >= PICTURE || pixel_at(a, b) != BLANK) continue;
        display_plot_pixel(a, b, b % 6 + 1);
    }
    coinop_star_scroll++;
}

void coinop_build_starfield() {
    coinop_star_count = 0;
    coinop_star_scroll = 0; // a new game's stars start where the field begins
    u32 r = 0;
    for (i32 y = 255; y >= 0; y--)
        for (i32 x = 511; x >= 0; x--) {
            r <<= 1;
            if ((((r >> 17) & 1) ^ 1) ^ ((r >> 5) & 1)) r |= 1;
            if ((r & 0xFE) == 0xFE && (r & 0x13000) == 0 && coinop_star_count < COINOP_MAX_STARS) {
                coinop_star_y[coinop_star_count] = static_cast<u32>(y);
                coinop_star_x[coinop_star_count] = static_cast<u32>(x);
                coinop_star_count++;
            }
        }
}

// ---- Laser Battle and Lazarian -----------------------------------------------------------

int laserbattle_line_colour(u32 x, u32 y) {
    const LaserBattleLatches& l = laserbattle;
    if (x >= PICTURE || y >= PICTURE) return -1;
    const u32 X = x + 8; // the effect counters' column
    const u32 row = (y + 16) & 255;
    const u32 left = coinop_effect_ram[row], right = coinop_effect_ram[row + 256];
    bool a, b;
    if (X < 128) {
        a = X > 127 - (left & 127);
        b = X > 127 - (right & 127);
    } else {
        a = (X & 127) < (left & 127);
        b = (X & 127) < (right & 127);
    }
    bool shown;
    if (l.left_line && l.single_point) {
        if (X == left) return 0;
        shown = false;
    } else {
        shown = l.left_line && (a != (l.invert_left != 0));
    }
    shown = shown || (l.right_line && (b != (l.invert_right != 0)));
    if (!shown) return -1;
    switch (l.colour_mode & 3) {
    case 0:
        return 7;
    case 1:
        return 5;
    case 2:
        return l.right_line ? 3 : 1;
    default:
        return 6;
    }
}

void zaccaria_render_laser_battle() {
    // The tiles stand over the lines: a line shows where the tile layer is
    // blank.
    const u8* plane0 = zaccaria_chars;
    const u8* plane1 = zaccaria_chars + 2048;
    const u8* plane2 = zaccaria_chars + 4096;
    for (u32 c = 0; c < 30; c++)
        for (u32 r = 2; r < 32; r++) {
            const u32 code = screen_byte(r, c);
            for (u32 line = 0; line < 8; line++) {
                const u32 i = 8 * code + line;
                const u32 y = 8 * (r - 2) + line;
                for (u32 px = 0; px < 8; px++) {
                    const u8 bit = static_cast<u8>(0x80 >> px);
                    const u32 value = (plane0[i] & bit ? 4u : 0u) + (plane1[i] & bit ? 2u : 0u) +
                                      (plane2[i] & bit ? 1u : 0u);
                    u32 colour = 7 - value;
                    const u32 x = 8 * c + px;
                    if (colour == BLANK) {
                        const int line_colour = laserbattle_line_colour(x, y);
                        if (line_colour >= 0) colour = static_cast<u32>(line_colour);
                    }
                    display_plot_pixel(x, y, colour);
                }
            }
        }
    const LaserBattleLatches& l = laserbattle;
    if (!l.sprite_enable) return;
    const u8* image = zaccaria_sprites + 256 * (l.sprite_code & 7);
    for (i32 y = 0; y < 32; y++)
        for (i32 c = 0; c < 8; c++) {
            const u8 b = image[8 * y + c];
            const i32 x0 = 4 * c + 250 - l.sprite_x;
            const i32 row = y + 239 - l.sprite_y;
            if (x0 < 0 || row < 0 || row >= static_cast<i32>(PICTURE)) continue;
            for (i32 k = 0; k < 4; k++) {
                const u32 colour = (b >> (6 - 2 * k)) & 3;
                const i32 x = x0 + k;
                if (colour != 0 && x < static_cast<i32>(PICTURE))
                    display_plot_pixel(static_cast<u32>(x), static_cast<u32>(row), colour);
            }
        }
}

void zaccaria_draw_playfield() {
    switch (memmap) {
    case 22:
        coinop_render_a();
        break;
    case 23:
        coinop_render_b();
        break;
    case 24:
    case 25:
        zaccaria_render_laser_battle();
        break;
    default:
        break;
    }
}

// ---- Malzak --------------------------------------------------------------------------------

namespace {

// Teletext colour numbers to guest colours.
constexpr u8 TEXT_PALETTE[8] = {7, 3, 5, 1, 6, 2, 4, 0};

void plot_picture(i32 x, i32 y, u32 colour) {
    if (x < 0 || y < 0 || x >= static_cast<i32>(PICTURE) || y >= static_cast<i32>(PICTURE)) return;
    display_plot_pixel(static_cast<u32>(x), static_cast<u32>(y), colour);
}

} // namespace

void malzak_draw_text_char(i32 x, i32 y, u8 ch, u32 fg, u32 bg, bool mosaic, bool double_height) {
    const u8 ink = TEXT_PALETTE[fg & 7], paper = TEXT_PALETTE[bg & 7];
    const bool blocks = mosaic && (ch & 0x20);
    const i32 scale = double_height ? 2 : 1;
    for (int row = 0; row < SAA5050_ROWS; row++) {
        const u8 bits = blocks ? saa5050_mosaic_row(ch, row) : saa5050_alpha_row(ch, row);
        for (i32 line = 0; line < scale; line++)
            for (int px = 0; px < SAA5050_COLUMNS; px++)
                plot_picture(x + px, y + scale * row + line, bits & (0x20 >> px) ? ink : paper);
    }
}

void malzak_render_text() {
    const bool two = memmap == 27;
    bool skip = false;
    for (u32 t = 0; t < 25; t++) {
        if (skip) {
            skip = false;
            continue;
        }
        u32 fg = 7, bg = 0;
        bool mosaic = false, flash = false, tall = false, conceal = false;
        u8 held = ' ', last = ' ';
        for (u32 k = 0; k < 42; k++) {
            const u8 ch = guest_memory[0x1800 + 64 * t + k] & 127;
            if (ch < 32) {
                switch (ch) {
                case 0:
                case 28:
                    bg = 0;
                    break;
                case 8:
                    flash = true;
                    break;
                case 9:
                    flash = false;
                    break;
                case 12:
                    tall = false;
                    break;
                case 13:
                    tall = true;
                    skip = true;
                    if (two && t == 3) bg = 7;
                    break;
                case 24:
                    conceal = true;
                    break;
                case 29:
                    if (!(two && t == 3)) bg = fg;
                    break;
                case 30:
                    held = last;
                    break;
                case 31:
                    held = ' ';
                    break;
                default:
                    if (ch >= 1 && ch <= 7) {
                        fg = ch, mosaic = false, conceal = false;
                    } else if (ch >= 16 && ch <= 23) {
                        fg = ch & 7, mosaic = true, conceal = false;
                    }
                    break;
                }
            }
            u8 shown = ch < 32 ? held : ch;
            if (conceal || (flash && frame_counter % 50 > 38)) shown = ' ';
            last = shown;
            malzak_draw_text_char(static_cast<i32>(6 * k), static_cast<i32>(10 * t), shown, fg, bg,
                                  mosaic, tall);
        }
    }
}

void malzak_draw_tile(u8 code, i32 x, i32 y) {
    if (code == 0 || ((code & 31) == 0 && code >= 64)) return; // 0, 64, 96 ... 224
    u32 colour = 3;
    u32 glyph = code & 31;
    bool inverted = false;
    if (code < 32) {
        colour = 1, glyph = code;
    } else if (code == 37) {
        colour = 5, glyph = 5, inverted = true;
    } else if (code < 60 || (code >= 97 && code < 128)) {
        colour = 5;
    } else if (code < 64) {
        colour = 3;
    } else if (code < 96) {
        colour = 6;
    } else if (code >= 236 && code <= 238) {
        glyph = code & 63;
    } else if (code == 197) {
        inverted = true;
    }
    const u8* image = malzak_tiles + 32 * glyph;
    for (i32 row = 0; row < 16; row++)
        for (i32 px = 0; px < 16; px++) {
            const u8 byte = image[2 * row + px / 8];
            const bool lit = ((byte >> (px % 8)) & 1) != inverted;
            const i32 cx = x + px, cy = y + row;
            if (!lit || cx < 0 || cy < 0 || cx >= static_cast<i32>(PICTURE) ||
                cy >= static_cast<i32>(PICTURE))
                continue;
            display_plot_pixel(static_cast<u32>(cx), static_cast<u32>(cy), colour);
            mark_malzak(static_cast<u32>(cx), static_cast<u32>(cy), COINOP_PLANE_PLAYFIELD);
        }
}

void malzak_render_screen() {
    for (u32 x = 0; x < PICTURE; x++)
        for (u32 y = 0; y < PICTURE; y++)
            display_plot_pixel(x, y, BLANK);
    malzak_render_text();
    const i32 h = malzak_scroll & 255, v = malzak_v_scroll;
    for (i32 r = 0; r < 16; r++)
        for (i32 c = 0; c < 16; c++) {
            const u8 code = malzak_playfield[16 * c + r];
            const i32 x = ((16 * c + 479 - h) % 256) + malzak_x_offset - 15;
            malzak_draw_tile(code, x, 16 * r - v);
        }
}

void malzak_draw_picture() {
    malzak_render_screen();
}
