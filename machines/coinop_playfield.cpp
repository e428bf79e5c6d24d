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

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

u32 coinop_star_x[COINOP_MAX_STARS];
u32 coinop_star_y[COINOP_MAX_STARS];
u32 coinop_star_count;
u32 coinop_star_scroll;

u8 coinop_picture[240 * 240];

namespace {

static_assert(std::endian::native == std::endian::little, "the column writes assume it");

constexpr u32 PICTURE = 240;
constexpr u8 BLANK = 7;
constexpr u64 ONES = 0x0101010101010101ull;

u8 pixel_at(u32 x, u32 y) {
    return coinop_picture[x * PICTURE + y];
}
void put(u32 x, u32 y, u32 colour) {
    coinop_picture[x * PICTURE + y] = static_cast<u8>(colour);
}
// Eight pixels down picture column x from row y.
void put8(u32 x, u32 y, u64 colours) {
    std::memcpy(coinop_picture + x * PICTURE + y, &colours, 8);
}

// SPREAD[b]: byte k is bit 7 - k of b (0 or 1), so bit 7 lands first.
constexpr auto SPREAD = [] {
    std::array<u64, 256> t{};
    for (u32 b = 0; b < 256; b++)
        for (u32 k = 0; k < 8; k++)
            if (b & (0x80u >> k)) t[b] |= 1ull << (8 * k);
    return t;
}();

// Eight rows of eight pixels (row 0 in the top byte, bit 7 leftmost) turned
// into eight columns: byte 7 - j then holds column j, bit 7 the top row.
u64 transpose8(u64 x) {
    u64 t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x = x ^ t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x = x ^ t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    return x ^ t ^ (t << 28);
}
// The eight line bytes of a character as transpose8 takes them.
u64 rows_of(const u8* lines) {
    u64 x = 0;
    for (u32 line = 0; line < 8; line++)
        x |= static_cast<u64>(lines[line]) << (8 * (7 - line));
    return x;
}
u8 column_of(u64 columns, u32 px) {
    return static_cast<u8>(columns >> (8 * (7 - px)));
}

// The first collision plane's cell of picture pixel (x, y): the Zaccaria
// picture starts 16 lines and 16 columns into the raster, Malzak's on line 0.
void mark_zaccaria(u32 x, u32 y, u8 bit) {
    coinop_collision_planes[0][(y + 16) * 256 + x + 16] |= bit;
}
void mark_malzak(u32 x, u32 y, u8 bit) {
    coinop_collision_planes[0][y * 256 + x + 16] |= bit;
}
// Picture line 0 of the Zaccaria boards in the first collision plane: the
// tile passes mark from there, 256 cells a line.
constexpr u32 PICTURE_MARKS_FROM = 16 * 256;

// The playfield bit for the set pixels of `bits` (bit 7 leftmost) from
// picture (x, y) rightwards, in `marks` laid out from PICTURE_MARKS_FROM.
void mark_row_zaccaria(u8* marks, u32 x, u32 y, u8 bits) {
    if (!bits) return;
    u8* cell = &marks[y * 256 + x + 16];
    u64 cells;
    std::memcpy(&cells, cell, 8);
    cells |= SPREAD[bits] * COINOP_PLANE_PLAYFIELD;
    std::memcpy(cell, &cells, 8);
}

// The screen byte of tile row r (2-31), column c (0-29).
u8 screen_byte(u32 r, u32 c) {
    return guest_memory[0x1800 + 32 * r + c];
}

} // namespace

void coinop_commit_picture() {
    for (u32 x = 0; x < PICTURE; x++) {
        const u8* from = coinop_picture + x * PICTURE;
        const u8* to = guest_frame + x * GUEST_FRAME_ROWS;
        if (std::memcmp(from, to, PICTURE) == 0) continue;
        for (u32 y = 0; y < PICTURE; y += 8) {
            u64 a, b;
            std::memcpy(&a, from + y, 8);
            std::memcpy(&b, to + y, 8);
            if (a == b) continue;
            for (u32 k = 0; k < 8; k++)
                display_plot_pixel(x, y + k, from[y + k]);
        }
    }
}

// ---- Astro Wars and Galaxia ------------------------------------------------------------

u8 galaxia_tile_colour(u8 code, u8 attribute, u32 v) {
    // [set][group][v]: set 0 for codes 16-127 (after AND 127), set 1 for 0-15.
    static constexpr u8 SETS[2][4][4] = {
        {{7, 6, 2, 2}, {7, 4, 6, 4}, {0, 0, 0, 0}, {7, 5, 3, 1}},
        {{7, 3, 6, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {7, 5, 3, 1}},
    };
    const u32 set = (code & 127) >= 16 ? 0 : 1;
    return SETS[set][attribute & 3][v & 3];
}

namespace {

// The tiles go down the picture a column of eight pixels at a time: the
// character's eight line bytes are turned into columns, and each column's
// bits pick between two colours (Astro Wars) or among four (Galaxia) bytewise.

void tiles_a(u8* marks) {
    for (u32 r = 2; r < 32; r++)
        for (u32 c = 0; c < 30; c++) {
            const u8* lines = zaccaria_chars + 8 * screen_byte(r, c);
            const u64 ink = (coinop_colour_ram[32 * r + c] & 7) ^ BLANK;
            const u32 y = 8 * (r - 2);
            for (u32 line = 0; line < 8; line++)
                mark_row_zaccaria(marks, 8 * c, y + line, lines[line]);
            const u64 rows = rows_of(lines);
            if (rows == 0) { // a blank tile
                for (u32 px = 0; px < 8; px++)
                    put8(8 * c + px, y, BLANK * ONES);
                continue;
            }
            const u64 columns = transpose8(rows);
            for (u32 px = 0; px < 8; px++)
                put8(8 * c + px, y, (BLANK * ONES) ^ (SPREAD[column_of(columns, px)] * ink));
        }
}

void tiles_b(u8* marks) {
    // The band of columns 32-111 (tile columns 4-13) scrolls by S lines; the
    // lines it uncovers are blank.
    const i32 s = coinop_scroll;
    if (s != 0) {
        const i32 first = s < 0 ? static_cast<i32>(PICTURE) + s : 0;
        const i32 last = s < 0 ? static_cast<i32>(PICTURE) - 1 : s - 1;
        for (u32 x = 32; x <= 111; x++)
            for (i32 y = first; y <= last; y++)
                put(x, static_cast<u32>(y), BLANK);
    }
    const u8* plane0 = zaccaria_chars;
    const u8* plane1 = zaccaria_chars + 1024;
    for (u32 r = 2; r < 32; r++)
        for (u32 c = 0; c < 30; c++) {
            const i32 top = static_cast<i32>(8 * (r - 2)) + (c >= 4 && c <= 13 ? s : 0);
            if (top <= -8 || top >= static_cast<i32>(PICTURE)) continue;
            const u8 code = screen_byte(r, c);
            const u8 attribute = coinop_colour_ram[32 * r + c];
            const u32 base = (8u * code) & 0x3F8;
            u64 entry[4];
            for (u32 v = 0; v < 4; v++)
                entry[v] = galaxia_tile_colour(code, attribute, v);
            for (u32 line = 0; line < 8; line++) {
                const i32 y = top + static_cast<i32>(line);
                if (y >= 0 && y < static_cast<i32>(PICTURE))
                    mark_row_zaccaria(marks, 8 * c, static_cast<u32>(y),
                                      plane0[base + line] | plane1[base + line]);
            }
            const u64 rows0 = rows_of(plane0 + base), rows1 = rows_of(plane1 + base);
            if ((rows0 | rows1) == 0 && top >= 0 && top <= static_cast<i32>(PICTURE) - 8) {
                for (u32 px = 0; px < 8; px++) // a blank tile
                    put8(8 * c + px, static_cast<u32>(top), entry[0] * ONES);
                continue;
            }
            const u64 columns0 = transpose8(rows0), columns1 = transpose8(rows1);
            for (u32 px = 0; px < 8; px++) {
                // Pixel value v = 2 x plane 0 + plane 1, one mask per value.
                const u64 p0 = SPREAD[column_of(columns0, px)];
                const u64 p1 = SPREAD[column_of(columns1, px)];
                const u64 colours = (ONES ^ (p0 | p1)) * entry[0] + (p1 & ~p0) * entry[1] +
                                    (p0 & ~p1) * entry[2] + (p0 & p1) * entry[3];
                const u32 x = 8 * c + px;
                if (top >= 0 && top <= static_cast<i32>(PICTURE) - 8) {
                    put8(x, static_cast<u32>(top), colours);
                    continue;
                }
                for (u32 k = 0; k < 8; k++) {
                    const i32 y = top + static_cast<i32>(k);
                    if (y >= 0 && y < static_cast<i32>(PICTURE))
                        put(x, static_cast<u32>(y), static_cast<u8>(colours >> (8 * k)));
                }
            }
        }
}

// Galaxia's tile pass writes every pixel of the picture and marks the
// playfield from the screen RAM (tile rows 2-31), the colour RAM, the
// character ROM and the scroll alone: a frame that finds them as the last pass
// left them takes that pass's picture and marks instead of drawing the tiles
// again. (Astro Wars' two-colour pass costs about what the copies do: it draws.)
constexpr u32 TILE_RAM_FROM = 32 * 2, TILE_RAM_SIZE = 32 * 30;
constexpr u32 TILE_CHARS_SIZE = 2048;
u8 galaxia_inputs[2 * TILE_RAM_SIZE + TILE_CHARS_SIZE]; // screen, colours, characters
std::int8_t galaxia_scroll;
bool galaxia_inputs_valid;
u8 galaxia_picture[PICTURE * PICTURE];
u8 galaxia_marks[PICTURE * 256];

void galaxia_tile_pass() {
    static u8 now[sizeof galaxia_inputs];
    std::memcpy(now, guest_memory + 0x1800 + TILE_RAM_FROM, TILE_RAM_SIZE);
    std::memcpy(now + TILE_RAM_SIZE, coinop_colour_ram + TILE_RAM_FROM, TILE_RAM_SIZE);
    std::memcpy(now + 2 * TILE_RAM_SIZE, zaccaria_chars, TILE_CHARS_SIZE);
    if (galaxia_inputs_valid && galaxia_scroll == coinop_scroll &&
        std::memcmp(now, galaxia_inputs, sizeof now) == 0) {
        std::memcpy(coinop_picture, galaxia_picture, sizeof galaxia_picture);
    } else {
        std::memset(galaxia_marks, 0, sizeof galaxia_marks);
        tiles_b(galaxia_marks);
        std::memcpy(galaxia_picture, coinop_picture, sizeof galaxia_picture);
        std::memcpy(galaxia_inputs, now, sizeof now);
        galaxia_scroll = coinop_scroll;
        galaxia_inputs_valid = true;
    }
    u8* plane = coinop_collision_planes[0] + PICTURE_MARKS_FROM;
    for (u32 i = 0; i < sizeof galaxia_marks; i += 8) {
        u64 cells, marks;
        std::memcpy(&cells, plane + i, 8);
        std::memcpy(&marks, galaxia_marks + i, 8);
        cells |= marks;
        std::memcpy(plane + i, &cells, 8);
    }
}

} // namespace

void coinop_render_a() {
    tiles_a(coinop_collision_planes[0] + PICTURE_MARKS_FROM);
    coinop_draw_shells_and_stars();
    coinop_commit_picture();
}

void coinop_render_b() {
    galaxia_tile_pass();
    coinop_draw_shells_and_stars();
    coinop_commit_picture();
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
            put(x, b, 1);
            mark_zaccaria(x, b, COINOP_PLANE_SHELL);
        }
    }
    for (u32 j = 0; j < coinop_star_count; j++) {
        const u32 v = coinop_star_x[j] + coinop_star_scroll;
        const u32 a = (v >> 1) & 255;
        const u32 b = (coinop_star_y[j] + (v >> 9)) & 255;
        if ((b & 1) == ((a >> 4) & 1)) continue;
        if (a >= PICTURE || b >= PICTURE || pixel_at(a, b) != BLANK) continue;
        put(a, b, b % 6 + 1);
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

namespace {

// The effect lines down picture column x: their colour per row, BLANK where
// none shows. Row y's lengths are left[y] and right[y] (effect RAM row y + 16);
// a line of length n covers the columns X = x + 8 with 128 - n <= X < 128 + n
// (the left one inverted by its flag; with the single-point flag only X =
// left[y] shows, in colour 0), in the colour mode's colour.
void laserbattle_line_column(u32 x, const u8* left, const u8* right, u8* out) {
    const LaserBattleLatches& l = laserbattle;
    const u32 X = x + 8;
    // Distance from the middle: the line of length n covers X with d < n.
    const u32 d = X < 128 ? 127 - X : X - 128;
    u8 colour = BLANK;
    switch (l.colour_mode & 3) {
    case 0:
        colour = 7;
        break;
    case 1:
        colour = 5;
        break;
    case 2:
        colour = l.right_line ? 3 : 1;
        break;
    default:
        colour = 6;
        break;
    }
    const bool point = l.left_line && l.single_point;
    const bool left_on = l.left_line && !l.single_point;
    for (u32 y = 0; y < PICTURE; y++) {
        const bool a = d < (left[y] & 127u), b = d < (right[y] & 127u);
        const bool shown =
            (left_on && a != (l.invert_left != 0)) || (l.right_line && b != (l.invert_right != 0));
        out[y] = point && X == left[y] ? 0 : shown ? colour : BLANK;
    }
}

} // namespace

void zaccaria_render_laser_battle() {
    // The tiles stand over the lines: a line shows where the tile layer is
    // blank.
    const u8* plane0 = zaccaria_chars;
    const u8* plane1 = zaccaria_chars + 2048;
    const u8* plane2 = zaccaria_chars + 4096;
    const LaserBattleLatches& l = laserbattle;
    const bool lines_on = l.left_line || l.right_line;
    u8 left[PICTURE], right[PICTURE], lines[PICTURE];
    for (u32 y = 0; y < PICTURE; y++) {
        const u32 row = (y + 16) & 255;
        left[y] = coinop_effect_ram[row];
        right[y] = coinop_effect_ram[row + 256];
    }
    std::memset(lines, BLANK, sizeof lines);
    for (u32 c = 0; c < 30; c++) {
        u64 columns[30][3];
        for (u32 r = 2; r < 32; r++) {
            const u32 i = 8 * screen_byte(r, c);
            columns[r - 2][0] = transpose8(rows_of(plane0 + i));
            columns[r - 2][1] = transpose8(rows_of(plane1 + i));
            columns[r - 2][2] = transpose8(rows_of(plane2 + i));
        }
        for (u32 px = 0; px < 8; px++) {
            const u32 x = 8 * c + px;
            if (lines_on) laserbattle_line_column(x, left, right, lines);
            for (u32 t = 0; t < 30; t++) {
                const u64 value = 4 * SPREAD[column_of(columns[t][0], px)] +
                                  2 * SPREAD[column_of(columns[t][1], px)] +
                                  SPREAD[column_of(columns[t][2], px)];
                // Blank tile pixels (value 0) take the line layer's colour.
                const u64 lit = (value | (value >> 1) | (value >> 2)) & ONES;
                const u64 under = (ONES ^ lit) * 0xFF;
                u64 line_colours;
                std::memcpy(&line_colours, lines + 8 * t, 8);
                put8(x, 8 * t, ((BLANK * ONES - value) & ~under) | (line_colours & under));
            }
        }
    }
    if (!l.sprite_enable) {
        coinop_commit_picture();
        return;
    }
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
                    put(static_cast<u32>(x), static_cast<u32>(row), colour);
            }
        }
    coinop_commit_picture();
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

} // namespace

namespace {

// The columns of every glyph: bit 9 - row of COLUMNS[set][code][px] is pixel
// px of the row (set 0 alphanumeric, 1 mosaic).
struct GlyphColumns {
    u16 bits[2][128][SAA5050_COLUMNS];
    GlyphColumns() : bits{} {
        for (u32 code = 32; code < 128; code++)
            for (int row = 0; row < SAA5050_ROWS; row++) {
                const u8 alpha = saa5050_alpha_row(static_cast<u8>(code), row);
                const u8 blocks = saa5050_mosaic_row(static_cast<u8>(code), row);
                for (int px = 0; px < SAA5050_COLUMNS; px++) {
                    const u16 bit = static_cast<u16>(1u << (9 - row));
                    if (alpha & (0x20 >> px)) bits[0][code][px] |= bit;
                    if (blocks & (0x20 >> px)) bits[1][code][px] |= bit;
                }
            }
    }
};

} // namespace

void malzak_draw_text_char(i32 x, i32 y, u8 ch, u32 fg, u32 bg, bool mosaic, bool double_height) {
    const i32 size = static_cast<i32>(PICTURE);
    if (x >= size || y >= size) return;
    const u8 ink = TEXT_PALETTE[fg & 7], paper = TEXT_PALETTE[bg & 7];
    const bool blocks = mosaic && (ch & 0x20);
    const i32 scale = double_height ? 2 : 1;
    u8 mosaic_rows[SAA5050_ROWS];
    const u8* bits = saa5050_alpha_rows(ch);
    if (blocks) {
        for (int row = 0; row < SAA5050_ROWS; row++)
            mosaic_rows[row] = saa5050_mosaic_row(ch, row);
        bits = mosaic_rows;
    }
    const bool whole = y >= 0 && y + SAA5050_ROWS * scale <= size;
    static const GlyphColumns glyphs;
    const u16* columns = glyphs.bits[blocks ? 1 : 0][ch & 127];
    for (int px = 0; px < SAA5050_COLUMNS; px++) {
        const i32 cx = x + px;
        if (cx < 0 || cx >= size) continue;
        u8* column = coinop_picture + static_cast<u32>(cx) * PICTURE;
        if (whole && scale == 1 && ch >= 32 && ch < 128) {
            // Rows 0-7 at once, then rows 8 and 9.
            const u16 lit = columns[px];
            const u64 eight = (paper * ONES) ^ (SPREAD[lit >> 2] * static_cast<u64>(ink ^ paper));
            std::memcpy(column + y, &eight, 8);
            column[y + 8] = lit & 2 ? ink : paper;
            column[y + 9] = lit & 1 ? ink : paper;
            continue;
        }
        for (int row = 0; row < SAA5050_ROWS; row++) {
            const u8 colour = bits[row] & (0x20 >> px) ? ink : paper;
            for (i32 line = 0; line < scale; line++) {
                const i32 cy = y + scale * row + line;
                if (cy >= 0 && cy < size) column[cy] = colour;
            }
        }
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
    const i32 size = static_cast<i32>(PICTURE);
    if (x <= -16 || x >= size || y <= -16 || y >= size) return;
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
    for (i32 row = 0; row < 16; row++) {
        const i32 cy = y + row;
        if (cy < 0 || cy >= size) continue;
        // Bit i is pixel i from the left (bit 0 of each byte leftmost).
        u32 bits = (image[2 * row] | static_cast<u32>(image[2 * row + 1]) << 8) ^
                   (inverted ? 0xFFFFu : 0u);
        for (; bits; bits &= bits - 1) {
            const i32 cx = x + std::countr_zero(bits);
            if (cx < 0 || cx >= size) continue;
            put(static_cast<u32>(cx), static_cast<u32>(cy), colour);
            mark_malzak(static_cast<u32>(cx), static_cast<u32>(cy), COINOP_PLANE_PLAYFIELD);
        }
    }
}

void malzak_render_screen() {
    std::memset(coinop_picture, BLANK, sizeof coinop_picture);
    malzak_render_text();
    const i32 h = malzak_scroll & 255, v = malzak_v_scroll;
    for (i32 r = 0; r < 16; r++)
        for (i32 c = 0; c < 16; c++) {
            const u8 code = malzak_playfield[16 * c + r];
            const i32 x = ((16 * c + 479 - h) % 256) + malzak_x_offset - 15;
            malzak_draw_tile(code, x, 16 * r - v);
        }
    coinop_commit_picture();
}

void malzak_draw_picture() {
    malzak_render_screen();
}
