// The 2637 UVI: latches, line and pixel rendering, sprites and collisions.
#include "machines/uvi2637.h"

#include "cpu/dbg_hooks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

const u8 uvi_colour_table[2][24] = {
    {0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23},
    {7, 6, 3, 2, 5, 4, 1, 0, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23},
};

const char uvi_char_codes[65] = " /\\#il_jwqasrtgf0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,+$zxcvbnmh";

const u8 uvi_digit_glyphs[4][8] = {
    {0xFF, 0xE7, 0xDB, 0xDB, 0xDB, 0xDB, 0xE7, 0xFF},
    {0xFF, 0xF7, 0xE7, 0xF7, 0xF7, 0xF7, 0xE3, 0xFF},
    {0xFF, 0xE7, 0xDB, 0xFB, 0xE7, 0xDF, 0xC3, 0xFF},
    {0xFF, 0xC7, 0xFB, 0xE7, 0xFB, 0xFB, 0xC7, 0xFF},
};

namespace {

// The 64 glyphs of the normal set, in character-code order. As on the
// machine's own character generator, a glyph's body sits in lines 1-7 and
// columns 2-6 of its 8 x 8 cell: line 0 and columns 0, 1 and 7 stay blank.
constexpr u8 NORMAL_GLYPHS[64 * 8] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0 ' '
    0x00, 0x02, 0x04, 0x04, 0x08, 0x10, 0x10, 0x20, // 1 '/'
    0x00, 0x20, 0x10, 0x10, 0x08, 0x04, 0x04, 0x02, // 2 'backslash'
    0x00, 0x14, 0x14, 0x3E, 0x14, 0x3E, 0x14, 0x14, // 3 '#'
    0x00, 0x08, 0x00, 0x18, 0x08, 0x08, 0x08, 0x1C, // 4 'i'
    0x00, 0x18, 0x08, 0x08, 0x08, 0x08, 0x08, 0x1C, // 5 'l'
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3E, // 6 '_'
    0x00, 0x04, 0x00, 0x0C, 0x04, 0x04, 0x24, 0x18, // 7 'j'
    0x00, 0x00, 0x00, 0x22, 0x22, 0x2A, 0x2A, 0x14, // 8 'w'
    0x00, 0x00, 0x00, 0x1E, 0x22, 0x1E, 0x02, 0x02, // 9 'q'
    0x00, 0x00, 0x00, 0x1C, 0x02, 0x1E, 0x22, 0x1E, // 10 'a'
    0x00, 0x00, 0x00, 0x1E, 0x20, 0x1C, 0x02, 0x3C, // 11 's'
    0x00, 0x00, 0x00, 0x2C, 0x32, 0x20, 0x20, 0x20, // 12 'r'
    0x00, 0x10, 0x10, 0x3C, 0x10, 0x10, 0x12, 0x0C, // 13 't'
    0x00, 0x00, 0x00, 0x1E, 0x22, 0x1E, 0x02, 0x1C, // 14 'g'
    0x00, 0x0C, 0x12, 0x10, 0x38, 0x10, 0x10, 0x10, // 15 'f'
    0x00, 0x1C, 0x22, 0x26, 0x2A, 0x32, 0x22, 0x1C, // 16 '0'
    0x00, 0x08, 0x18, 0x08, 0x08, 0x08, 0x08, 0x1C, // 17 '1'
    0x00, 0x1C, 0x22, 0x02, 0x04, 0x08, 0x10, 0x3E, // 18 '2'
    0x00, 0x3E, 0x04, 0x08, 0x04, 0x02, 0x22, 0x1C, // 19 '3'
    0x00, 0x04, 0x0C, 0x14, 0x24, 0x3E, 0x04, 0x04, // 20 '4'
    0x00, 0x3E, 0x20, 0x3C, 0x02, 0x02, 0x22, 0x1C, // 21 '5'
    0x00, 0x0C, 0x10, 0x20, 0x3C, 0x22, 0x22, 0x1C, // 22 '6'
    0x00, 0x3E, 0x02, 0x04, 0x08, 0x10, 0x10, 0x10, // 23 '7'
    0x00, 0x1C, 0x22, 0x22, 0x1C, 0x22, 0x22, 0x1C, // 24 '8'
    0x00, 0x1C, 0x22, 0x22, 0x1E, 0x02, 0x04, 0x18, // 25 '9'
    0x00, 0x1C, 0x22, 0x22, 0x3E, 0x22, 0x22, 0x22, // 26 'A'
    0x00, 0x3C, 0x22, 0x22, 0x3C, 0x22, 0x22, 0x3C, // 27 'B'
    0x00, 0x1C, 0x22, 0x20, 0x20, 0x20, 0x22, 0x1C, // 28 'C'
    0x00, 0x3C, 0x22, 0x22, 0x22, 0x22, 0x22, 0x3C, // 29 'D'
    0x00, 0x3E, 0x20, 0x20, 0x3C, 0x20, 0x20, 0x3E, // 30 'E'
    0x00, 0x3E, 0x20, 0x20, 0x3C, 0x20, 0x20, 0x20, // 31 'F'
    0x00, 0x1C, 0x22, 0x20, 0x2E, 0x22, 0x22, 0x1E, // 32 'G'
    0x00, 0x22, 0x22, 0x22, 0x3E, 0x22, 0x22, 0x22, // 33 'H'
    0x00, 0x1C, 0x08, 0x08, 0x08, 0x08, 0x08, 0x1C, // 34 'I'
    0x00, 0x0E, 0x04, 0x04, 0x04, 0x04, 0x24, 0x18, // 35 'J'
    0x00, 0x22, 0x24, 0x28, 0x30, 0x28, 0x24, 0x22, // 36 'K'
    0x00, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x3E, // 37 'L'
    0x00, 0x22, 0x36, 0x2A, 0x2A, 0x22, 0x22, 0x22, // 38 'M'
    0x00, 0x22, 0x22, 0x32, 0x2A, 0x26, 0x22, 0x22, // 39 'N'
    0x00, 0x1C, 0x22, 0x22, 0x22, 0x22, 0x22, 0x1C, // 40 'O'
    0x00, 0x3C, 0x22, 0x22, 0x3C, 0x20, 0x20, 0x20, // 41 'P'
    0x00, 0x1C, 0x22, 0x22, 0x22, 0x2A, 0x24, 0x1A, // 42 'Q'
    0x00, 0x3C, 0x22, 0x22, 0x3C, 0x28, 0x24, 0x22, // 43 'R'
    0x00, 0x1E, 0x20, 0x20, 0x1C, 0x02, 0x02, 0x3C, // 44 'S'
    0x00, 0x3E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, // 45 'T'
    0x00, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x1C, // 46 'U'
    0x00, 0x22, 0x22, 0x22, 0x22, 0x22, 0x14, 0x08, // 47 'V'
    0x00, 0x22, 0x22, 0x22, 0x2A, 0x2A, 0x2A, 0x14, // 48 'W'
    0x00, 0x22, 0x22, 0x14, 0x08, 0x14, 0x22, 0x22, // 49 'X'
    0x00, 0x22, 0x22, 0x14, 0x08, 0x08, 0x08, 0x08, // 50 'Y'
    0x00, 0x3E, 0x02, 0x04, 0x08, 0x10, 0x20, 0x3E, // 51 'Z'
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x18, 0x18, // 52 '.'
    0x00, 0x00, 0x00, 0x00, 0x00, 0x18, 0x08, 0x10, // 53 ','
    0x00, 0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00, // 54 '+'
    0x00, 0x08, 0x1E, 0x28, 0x1C, 0x0A, 0x3C, 0x08, // 55 '$'
    0x00, 0x00, 0x00, 0x3E, 0x04, 0x08, 0x10, 0x3E, // 56 'z'
    0x00, 0x00, 0x00, 0x22, 0x14, 0x08, 0x14, 0x22, // 57 'x'
    0x00, 0x00, 0x00, 0x1C, 0x20, 0x20, 0x22, 0x1C, // 58 'c'
    0x00, 0x00, 0x00, 0x22, 0x22, 0x22, 0x14, 0x08, // 59 'v'
    0x00, 0x20, 0x20, 0x2C, 0x32, 0x22, 0x22, 0x3C, // 60 'b'
    0x00, 0x00, 0x00, 0x2C, 0x32, 0x22, 0x22, 0x22, // 61 'n'
    0x00, 0x00, 0x00, 0x34, 0x2A, 0x2A, 0x22, 0x22, // 62 'm'
    0x00, 0x20, 0x20, 0x2C, 0x32, 0x22, 0x22, 0x22, // 63 'h'
};

// The screen editor's markers for the codes $C0 (on) and $40 (off).
constexpr u8 MARKERS[2][8] = {
    {0x00, 0x20, 0x50, 0x56, 0x55, 0x55, 0x25, 0x00},
    {0x00, 0x49, 0xB2, 0xBB, 0xB2, 0xB2, 0x52, 0x00},
};

// A 3-bit block pattern: blocks of 3, 3 and 2 pixels from the left.
constexpr u8 block_byte(u32 n) {
    return static_cast<u8>(((n & 4) ? 0xE0 : 0) | ((n & 2) ? 0x1C : 0) | ((n & 1) ? 0x03 : 0));
}

constexpr std::array<u8, 2 * UVI_BLOCK_SET> build_char_rom() {
    std::array<u8, 2 * UVI_BLOCK_SET> rom{};
    for (u32 i = 0; i < 64 * 8; i++)
        rom[i] = NORMAL_GLYPHS[i];
    for (u32 c = 0; c < 64; c++)
        for (u32 g = 0; g < 8; g++)
            rom[UVI_BLOCK_SET + c * 8 + g] = block_byte(g < 4 ? c & 7 : (c >> 3) & 7);
    for (u32 set = 0; set < 2; set++)
        for (u32 m = 0; m < 2; m++)
            for (u32 g = 0; g < 8; g++)
                rom[set * UVI_BLOCK_SET + (64 + m) * 8 + g] = MARKERS[m][g];
    return rom;
}

constexpr std::array<u8, 2 * UVI_BLOCK_SET> CHAR_ROM = build_char_rom();

// Collision bit of each sprite pair in $19FD.
constexpr u8 PAIR_BIT[4][4] = {
    {0, 0x01, 0x02, 0x04},
    {0x01, 0, 0x08, 0x10},
    {0x02, 0x08, 0, 0x20},
    {0x04, 0x10, 0x20, 0},
};

// By the four sprite bits of a cell: the collision bits of the pairs there.
constexpr auto PAIRS_OF = [] {
    std::array<u8, 16> t{};
    for (u32 sprites = 0; sprites < 16; sprites++)
        for (u32 a = 0; a < 4; a++)
            for (u32 b = a + 1; b < 4; b++)
                if ((sprites >> a & 1) && (sprites >> b & 1)) t[sprites] |= PAIR_BIT[a][b];
    return t;
}();

u8 pair_bits(u32 sprites) {
    return PAIRS_OF[sprites & 15];
}

// The current row's latches.
i32 row_number = -1;
u8 row_x0 = 72, board_fg[2], board_bg[2];
u8 board_mode, block_mode;
u8 glyph_byte, glyph_code;

// Lines whose cells carry bits of the sprites drawn whole (line-based mode),
// this frame's so far; the next frame start clears those lines' cells. Every
// other cell a frame marks is one its lines draw over again.
i32 sprite_lines_first = 0, sprite_lines_last = -1;

// The raster lines from the frame's highest sprite top to its lowest sprite
// bottom: no sprite shows on the others.
i32 sprites_top = 0, sprites_bottom = -1;

// The current row has none of the codes 56-63 (user-defined characters, read
// live from memory, and the artefact character 63): its lines depend only on
// latches and can be drawn ahead and kept.
bool row_plain;

// Beam mode: the current line's 16 characters, drawn as column 0 begins and
// again whenever the colour row changes; the spans copy from it.
struct BeamLine {
    bool valid;
    u8 colour_row, block0;
    u8 colours[128], cells[128];
} beam_line;

void draw_char_line(i32 g, u8 block0, u8* colours, u8* cells);

// A line that stands on its copy from its start (stand_on_copy) is handed on
// without its first span being asked for: what that span leaves besides the
// line, the colour row and the background colour, is set when a later span
// or the line's end finds the beam past clock 49 (settle_first_span).
bool first_span_owed;
void stand_on_copy(bool area, i32 g);
void settle_first_span();

// The collisions of a line drawn ahead, in clock order: they are set as the
// beam passes their clocks, as they would be drawn span by span.
struct Collision {
    u8 x;
    u8 pairs;   // pair bits cleared in $19FD (0: none)
    u8 hits;    // sprite bits cleared in $19FC
    bool on_bg; // the sprites met a character pixel: $19FC is written
};
// A collision needs a sprite pixel: four sprites of eight.
constexpr int LINE_COLLISIONS = 32;

// Eight bytes of a key as one word. Keys are built once a line from the
// latches as a few words in registers and compared word by word: no block of
// memory is cleared, filled byte by byte and read back for each line.
[[gnu::always_inline]] inline u64 key_word(u8 b0, u8 b1, u8 b2, u8 b3, u8 b4 = 0, u8 b5 = 0,
                                           u8 b6 = 0, u8 b7 = 0) {
    return u64{b0} | u64{b1} << 8 | u64{b2} << 16 | u64{b3} << 24 | u64{b4} << 32 | u64{b5} << 40 |
           u64{b6} << 48 | u64{b7} << 56;
}

// What one glyph line of a character row is drawn from, besides the glyph
// line itself and the character generator: equal keys draw equal clocks.
// Rows with any of the codes 56-63 (user-defined characters, read live from
// memory, and the artefact character 63) are not keyed.
struct CharLineKey {
    u64 codes_left, codes_right; // columns 0-7 and 8-15
    // The background colour, colour row, foreground bit, block set, board
    // mode and, in board mode, its foreground and its background colours
    // (two to a byte).
    u64 latches;
    bool operator==(const CharLineKey&) const = default;
};

// The clocks last drawn for each glyph line of each row: rows whose inputs
// stay the same, most of them from frame to frame, are copied instead of
// drawn again.
struct CharLine {
    CharLineKey key;
    bool valid;
    u8 colours[128], cells[128];
};
CharLine char_lines[UVI_ROWS][8];

// The key of the current row's glyph lines (keyed only where row_plain).
[[gnu::always_inline]] inline CharLineKey char_line_key(u8 block0) {
    CharLineKey k;
    const u8* codes = uvi_row_codes[uvi_row_slot][row_number];
    std::memcpy(&k.codes_left, codes, 8);
    std::memcpy(&k.codes_right, codes + 8, 8);
    const u8 fg = board_mode ? static_cast<u8>(board_fg[0] | board_fg[1] << 4) : 0;
    const u8 bg = board_mode ? static_cast<u8>(board_bg[0] | board_bg[1] << 4) : 0;
    k.latches = key_word(uvi_bg_colour, uvi_colour_row, (uvi_bg_latch >> 3) & 1, block0, board_mode,
                         fg, bg);
    return k;
}

// What a raster line drawn in one piece from clock `from` to its end was
// drawn from: the mode, the character line's own inputs and, in beam mode,
// the sprites on the line (their line bytes, clocks and colours) and whether
// collisions are written. The line's cells, colours and collisions follow
// from these alone (rows with codes 56-63 are never keyed). Its words group
// the inputs by when they are fixed: the row's at its start, the line's at
// its start, and the colour row and block set as the line is drawn.
struct LineKey {
    u64 codes_left, codes_right; // the row's codes; 0 outside the character area
    // The mode; in the area, that it is, the glyph line, and the row's clock
    // of column 0, board mode and board colours (foreground and background,
    // two to a byte).
    u64 row;
    // $19F9's background and foreground bits as latched, whether collisions
    // are written, the first clock drawn, the colour row and, in the area,
    // the block set as the line is drawn (LINE_COLOUR_ROW, LINE_BLOCK0).
    u64 line;
    u64 sprite_lines; // the sprites' line bytes, then their colours
    u64 sprite_x;     // their clocks less 29, as their registers hold them
    bool operator==(const LineKey&) const = default;
};
constexpr int LINE_COLOUR_ROW = 24, LINE_BLOCK0 = 32; // bit places in LineKey::line

// The current row's part of a line's key: its codes and its part of
// LineKey::row. Row_start takes it, and so does whatever clears the row codes
// while a row may be under way (take_row_key).
struct RowKey {
    u64 codes_left, codes_right, row;
} row_key;

// The colours and the clocks less 29 (as their registers hold them) of the
// four sprites of uvi_sprites[uvi_sprite_slot], a byte each, sprite 0 lowest:
// LineKey's sprite words take those of the sprites on the line. The records
// and the slot change only where latch_sprite_words follows them, so the
// words are taken once a frame instead of once a line. It also sets the
// table of line bytes below aside until the frame latch fills it again.
u32 sprite_colours_word, sprite_x_word;

// Beam mode: the sprites' line bytes of each raster line from sprites_top to
// sprites_bottom, sprite 0 first, as the records and the sprite shapes
// setting give them at the frame latch; a line start takes them from here
// while the setting (which a pause may change) stays sprite_bytes_mode. Where
// the records or the slot change otherwise, sprite_bytes_mode is -1 until the
// next latch; it stays -1 with copies bypassed, so that tests comparing the
// two ways compare these too.
u8 sprite_bytes_by_line[UVI_MAX_LINES][4];
i32 sprite_bytes_mode = -1;

// The sprite line bytes of raster line `line` as the current records and
// sprite shapes give them.
void sprite_line_bytes(i32 line, i32 sprite_mode, u8* bytes) {
    for (u32 s = 0; s < 4; s++) {
        const UviSpriteRecord& r = uvi_sprites[uvi_sprite_slot][s];
        u8 byte = 0;
        if (sprite_mode != 0 && line >= r.y && line <= r.bottom) {
            const i32 l = (line - r.y) >> r.tall;
            byte = sprite_mode == 1 ? uvi_digit_glyphs[s][l] : r.image[l];
        }
        bytes[s] = byte;
    }
}

void latch_sprite_bytes() {
    sprite_bytes_mode = -1;
    if (uvi_line_based || !uvi_copy_lines) return;
    const i32 first = sprites_top < 0 ? 0 : sprites_top;
    const i32 last = sprites_bottom >= UVI_MAX_LINES ? UVI_MAX_LINES - 1 : sprites_bottom;
    const i32 mode = *uvi_host.sprite_mode;
    sprite_bytes_mode = mode;
    if (first > last) return;
    std::memset(sprite_bytes_by_line[first], 0, static_cast<std::size_t>(last - first + 1) * 4);
    if (mode == 0) return;
    for (u32 s = 0; s < 4; s++) {
        const UviSpriteRecord& r = uvi_sprites[uvi_sprite_slot][s];
        const i32 to = r.bottom < last ? r.bottom : last;
        for (i32 line = r.y < first ? first : r.y; line <= to; line++) {
            const i32 l = (line - r.y) >> r.tall;
            sprite_bytes_by_line[line][s] = mode == 1 ? uvi_digit_glyphs[s][l] : r.image[l];
        }
    }
}

void latch_sprite_words() {
    sprite_bytes_mode = -1;
    sprite_colours_word = sprite_x_word = 0;
    for (u32 s = 0; s < 4; s++) {
        const UviSpriteRecord& r = uvi_sprites[uvi_sprite_slot][s];
        sprite_colours_word |= u32{r.colour} << 8 * s;
        sprite_x_word |= u32{static_cast<u8>(r.x - 29)} << 8 * s;
    }
}

// Each raster line as it was last drawn in one piece from a key: the key,
// its cells and collisions; its colours stay in line_colours. A line drawn
// again from an equal key takes these instead of drawing. The copy stands
// until the line is drawn otherwise (copy.generation 0) or the chip is reset.
// Every line start looks at its line's copy: padded to a power of two, a
// copy is found with a shift.
struct alignas(512) LineCopy {
    LineKey key;
    u32 generation; // copies_generation while the copy holds, else 0
    u32 cells_era;  // its line's cells_era when the copy was made
    u8 events;
    Collision collisions[LINE_COLLISIONS];
    u8 cells[UVI_LINE_CLOCKS];
};
LineCopy line_copies[UVI_MAX_LINES];
u32 copies_generation = 1;
// Each line's moves on whenever its cells may change other than by drawing
// the line: when a frame start clears the cells that the line-based mode's
// sprites marked (on lines drawn before them) the frame before. (A reset
// ends every copy.) A copy made in the same era finds the line's cells as it
// left them.
u32 cells_era[UVI_MAX_LINES];

// Each raster line's colours as last drawn; in beam mode handed on from
// uvi_beam.pending_from to uvi_beam.pending_to.
u8 line_colours[UVI_MAX_LINES][UVI_LINE_CLOCKS];

// The collisions of the line drawn ahead.
Collision* line_collisions = line_copies[0].collisions;

void set_collision(const Collision& c) {
    *uvi_host.clock = c.x;
    uvi_collisions_found.pairs |= c.pairs;
    if (c.on_bg) uvi_collisions_found.background |= c.hits;
    if (c.pairs) uvi_write_register(0x19FD, guest_memory[0x19FD] & static_cast<u8>(~c.pairs));
    if (c.on_bg) uvi_write_register(0x19FC, guest_memory[0x19FC] & static_cast<u8>(~c.hits));
}

bool line_has_sprite_cells(i32 line) {
    return line >= sprite_lines_first && line <= sprite_lines_last;
}

u8 reg(u32 address) {
    return guest_memory[address];
}

u8 colour_of(u32 number) {
    return uvi_colour_table[uvi_colour_row][number & 31];
}

u8* cells_of(i32 line) {
    return uvi_line_cells + static_cast<std::size_t>(line) * UVI_LINE_CLOCKS;
}

// The glyph line of the current row on picture line y (counted from the
// first visible line), false outside the area.
// Inline: every line start asks.
[[gnu::always_inline]] inline bool area_line(i32 y, i32* glyph_line) {
    const UviTextArea& t = uvi_text_area;
    // Each range test as one unsigned comparison.
    const u32 a = static_cast<u32>(y - t.first);
    if (static_cast<u32>(row_number) >= static_cast<u32>(t.rows) ||
        a >= static_cast<u32>(t.end - t.first))
        return false;
    *glyph_line = static_cast<i32>(t.height == 8 ? a & 7 : (a >> 1) & 7);
    return true;
}

// The glyph byte of column c on glyph line g; also sets glyph_code.
// `block0`: the block-set bit of $19F8 as column 0 begins.
[[gnu::always_inline]] inline u8 fetch_glyph(i32 c, i32 g, u8 block0) {
    if (c == 0) block_mode = block0;
    const u8 code = uvi_row_codes[uvi_row_slot][row_number][c];
    glyph_code = code;
    if (code == 0xC0) block_mode = 1;
    if (code == 0x40) block_mode = 0;
    const u32 glyph = code & 63;
    if (!block_mode && glyph > 55) return reg(0x1980 + 8 * (glyph - 56) + static_cast<u32>(g));
    return CHAR_ROM[UVI_BLOCK_SET * block_mode + 8 * glyph + static_cast<u32>(g)];
}

// Colour index and cell of a character pixel of the current glyph_code:
// [0] for a clear glyph bit, [1] for a set one.
struct CharPixels {
    u8 colour[2], cell[2];
};

[[gnu::always_inline]] inline CharPixels char_pixels() {
    const u8 code = glyph_code;
    if (board_mode) {
        const bool lit_bg = (code & 0x80) != 0;
        return {{colour_of(board_bg[lit_bg ? 1 : 0]), colour_of(board_fg[code >> 6 & 1])},
                {lit_bg ? UVI_CELL_CHAR : u8{0}, UVI_CELL_CHAR}};
    }
    return {{uvi_bg_colour, colour_of(((code >> 5) & 6) + ((uvi_bg_latch >> 3) & 1))},
            {0, UVI_CELL_CHAR}};
}

// For each glyph byte, eight bytes in pixel order (leftmost first in memory):
// $FF where the glyph bit is set, else 0.
constexpr std::array<u64, 256> build_pixel_masks() {
    std::array<u64, 256> masks{};
    for (u32 byte = 0; byte < 256; byte++)
        for (u32 b = 0; b < 8; b++) {
            if (!(byte >> (7 - b) & 1)) continue;
            const u32 shift = std::endian::native == std::endian::little ? 8 * b : 8 * (7 - b);
            masks[byte] |= u64{0xFF} << shift;
        }
    return masks;
}

constexpr std::array<u64, 256> PIXEL_MASKS = build_pixel_masks();

// The eight colours and cells of one character column.
struct ColumnPixels {
    u8 colours[8], cells[8];
};

[[gnu::always_inline]] inline void expand_column(u8 byte, const CharPixels& p, ColumnPixels* out) {
    constexpr u64 ONES = 0x0101010101010101;
    const u64 mask = PIXEL_MASKS[byte];
    const u64 colours = (mask & (ONES * p.colour[1])) | (~mask & (ONES * p.colour[0]));
    const u64 cells = (mask & (ONES * p.cell[1])) | (~mask & (ONES * p.cell[0]));
    std::memcpy(out->colours, &colours, 8);
    std::memcpy(out->cells, &cells, 8);
}

// Two games draw their character 63 in colours that the real picture shows
// as colour fringes: guest colour indices per glyph line and pixel, one set
// for each (uvi_game.artefact_glyphs).
constexpr u8 ARTEFACT_GLYPHS[2][8][8] = {
    {{1, 7, 6, 7, 1, 7, 6, 7},
     {7, 5, 7, 3, 7, 5, 7, 3},
     {6, 7, 1, 7, 6, 7, 1, 7},
     {7, 3, 7, 5, 7, 3, 7, 5},
     {1, 7, 6, 7, 1, 7, 6, 7},
     {7, 5, 7, 3, 7, 5, 7, 3},
     {6, 7, 1, 7, 6, 7, 1, 7},
     {7, 3, 7, 5, 7, 3, 7, 5}},
    {{5, 7, 6, 7, 5, 7, 6, 7},
     {7, 3, 7, 2, 7, 3, 7, 2},
     {6, 7, 5, 7, 6, 7, 6, 7},
     {7, 2, 1, 3, 1, 2, 1, 7},
     {5, 7, 6, 7, 5, 7, 6, 7},
     {7, 3, 7, 2, 7, 3, 7, 2},
     {6, 7, 5, 7, 6, 7, 5, 7},
     {7, 2, 7, 3, 7, 2, 7, 3}},
};

// The column of the current glyph_code, its artefact colours included.
[[gnu::always_inline]] inline void column_of(u8 byte, i32 g, ColumnPixels* out) {
    expand_column(byte, char_pixels(), out);
    if (glyph_code != 63 || !*uvi_host.artefacts || board_mode || uvi_colour_row != 0) [[likely]]
        return;
    if (uvi_game.artefact_glyphs < 0) return;
    const u8* colours = ARTEFACT_GLYPHS[uvi_game.artefact_glyphs][g & 7];
    for (i32 b = 0; b < 8; b++)
        if (byte >> (7 - b) & 1) out->colours[b] = colours[b];
}

void take_row_key() {
    if (row_number < 0) return;
    const u8* codes = uvi_row_codes[uvi_row_slot][row_number];
    std::memcpy(&row_key.codes_left, codes, 8);
    std::memcpy(&row_key.codes_right, codes + 8, 8);
    const u8 fg = board_mode ? static_cast<u8>(board_fg[0] | board_fg[1] << 4) : 0;
    const u8 bg = board_mode ? static_cast<u8>(board_bg[0] | board_bg[1] << 4) : 0;
    row_key.row = key_word(0, 1, 0, row_x0, board_mode, fg, bg);
}

void row_start(i32 r) {
    const UviTextArea& t = uvi_text_area;
    if (r >= t.rows) {
        row_number = -1;
        uvi_write_register(0x18FF, 0xFD);
        if (uvi_line_based && !uvi_sprites_done) {
            uvi_draw_sprites();
            uvi_sprites_done = 1;
        }
        return;
    }
    row_number = r;
    board_mode = reg(0x18FD) >> 7;
    if (board_mode) {
        board_fg[0] = (reg(0x19F8) >> 3) & 7;
        board_fg[1] = (uvi_bg_latch >> 3) & 7;
        board_bg[0] = reg(0x19F8) & 7;
        board_bg[1] = uvi_bg_latch & 7;
    }
    const u32 base =
        r < 13 ? 0x1800 + 16 * static_cast<u32>(r) : 0x1A00 + 16 * static_cast<u32>(r - 13);
    std::memcpy(uvi_row_codes[uvi_row_slot][r], guest_memory + base, 16);
    // Codes 56-63 in any column: eight at a time, (code & 63) + 8 reaches
    // bit 6 exactly for those, with no carry into the next byte.
    constexpr u64 LOW6 = 0x3F3F3F3F3F3F3F3F, EIGHT = 0x0808080808080808, BIT6 = 0x4040404040404040;
    u64 left, right;
    std::memcpy(&left, guest_memory + base, 8);
    std::memcpy(&right, guest_memory + base + 8, 8);
    row_plain = !((((left & LOW6) + EIGHT) | ((right & LOW6) + EIGHT)) & BIT6);
    uvi_write_register(0x18FF, static_cast<u8>(0xF0 | (r % 13)));
    const u8 scroll = reg(0x18FE) >> 5;
    row_x0 = static_cast<u8>(scroll + 72);
    uvi_row_x[uvi_row_slot][r] = static_cast<u8>(scroll + 23);
    take_row_key();
}

// Background from clock `from` up to `to`; pixels that already carry this
// frame's sprites (drawn at the end of the character area) are kept.
void plot_background(i32 from, i32 to) {
    constexpr u64 SPRITE_BITS = 0x0F0F0F0F0F0F0F0F;
    u8* cells = cells_of(raster_line);
    if (!line_has_sprite_cells(raster_line)) {
        if (from >= to) return;
        std::memset(cells + from, 0, static_cast<std::size_t>(to - from));
        uvi_host.fill_row(from, raster_line, to - from, uvi_bg_colour);
        return;
    }
    i32 x = from;
    while (x < to) {
        i32 end = x;
        for (u64 eight; end + 8 <= to; end += 8) {
            std::memcpy(&eight, cells + end, 8);
            if (eight & SPRITE_BITS) break;
        }
        while (end < to && !(cells[end] & 15))
            end++;
        if (end == x) {
            x++; // a sprite pixel
            continue;
        }
        std::memset(cells + x, 0, static_cast<std::size_t>(end - x));
        uvi_host.fill_row(x, raster_line, end - x, uvi_bg_colour);
        x = end;
    }
}

// Sprites over the clocks [from, to) of the current line (beam mode): their
// colours into `colours` (indexed from `from`), their bits into the cells and,
// pixel by pixel from the left, their collisions.
// With `ahead_of_beam` the collisions are kept in line_collisions instead.
void overlay_sprites(i32 from, i32 to, u8* colours, u8* cells, bool ahead_of_beam) {
    u8 hits[UVI_LINE_CLOCKS], numbers[UVI_LINE_CLOCKS];
    i32 lo = to, hi = from - 1;
    for (u32 s = 0; s < 4; s++) {
        const UviSpriteRecord& r = uvi_sprites[uvi_sprite_slot][s];
        const u8 byte = uvi_sprite_line[s];
        if (!byte || raster_line < r.y || raster_line > r.bottom) continue;
        const i32 left = r.x > from ? r.x : from;
        const i32 right = r.right < to - 1 ? r.right : to - 1;
        if (left > right) continue;
        if (lo > hi) {
            std::memset(hits + from, 0, static_cast<std::size_t>(to - from));
            std::memset(numbers + from, 0, static_cast<std::size_t>(to - from));
        }
        for (i32 x = left; x <= right; x++) {
            if (!(byte >> (7 - (x - r.x)) & 1)) continue;
            hits[x] |= static_cast<u8>(1u << s);
            numbers[x] |= r.colour;
            if (x < lo) lo = x;
            if (x > hi) hi = x;
        }
    }
    for (i32 x = lo; x <= hi; x++) {
        if (!hits[x]) continue;
        if (*uvi_host.collisions) {
            const Collision c = {static_cast<u8>(x), pair_bits(hits[x]), hits[x],
                                 (cells[x] & UVI_CELL_CHAR) != 0};
            if (ahead_of_beam) {
                if (c.pairs || c.on_bg) line_collisions[uvi_beam.events++] = c;
            } else {
                set_collision(c);
            }
        }
        cells[x] |= hits[x];
        colours[x - from] = colour_of(numbers[x]);
    }
}

} // namespace

const u8* const uvi_char_rom = CHAR_ROM.data();
UviBeamLine uvi_beam = {-1, 0, -1, 0, 0, 0, 0, UVI_LINE_CLOCKS, -1, 0, 0, 0, 0};

u8 uvi_colour_row, uvi_bg_latch, uvi_bg_colour;
u8 uvi_line_status[UVI_MAX_LINES];
u8 uvi_line_cells[UVI_MAX_LINES * UVI_LINE_CLOCKS];
UviTextArea uvi_text_area = {999, 999, 16, 13};
u32 uvi_line_slice, uvi_sprite_slot, uvi_row_slot;
UviSpriteRecord uvi_sprites[UVI_HISTORY][4];
u8 uvi_row_codes[UVI_HISTORY][UVI_ROWS][16];
u8 uvi_row_x[UVI_HISTORY][UVI_ROWS];
u8 uvi_udg_history[UVI_HISTORY][64];
u8 uvi_sprite_line[4];
u8 uvi_sprites_done;
UviCollisionsFound uvi_collisions_found;
u16 uvi_dejitter_lines[2][2];
u8 uvi_line_based = 1;
bool uvi_copy_lines = true;
UviHost uvi_host;
UviGame uvi_game = {false, -1, false, false, false, false};

void uvi_reset() {
    uvi_sprite_slot = uvi_line_slice = uvi_row_slot = 0;
    uvi_text_area = {999, 999, 16, 13};
    row_number = -1;
    uvi_sprites_done = 0;
    uvi_collisions_found = {};
    std::memset(uvi_sprites, 0, sizeof uvi_sprites);
    std::memset(uvi_row_codes, 0, sizeof uvi_row_codes);
    std::memset(uvi_row_x, 0, sizeof uvi_row_x);
    std::memset(uvi_udg_history, 0, sizeof uvi_udg_history);
    std::memset(uvi_line_cells, 0, sizeof uvi_line_cells);
    std::memset(uvi_line_status, 0, sizeof uvi_line_status);
    sprite_lines_first = 0;
    sprite_lines_last = -1;
    uvi_beam.pending_from = uvi_beam.pending_to = 0;
    uvi_beam.line = -1;
    copies_generation++;
    latch_sprite_words();
}

void uvi_write_register(u32 address, u8 value) {
    address &= GUEST_MEMORY_SIZE - 1;
    if ((mem_attributes[address] & MEM_WATCH) && watchwrites)
        uvi_host.watched_write(address, value);
    guest_memory[address] = value;
}

void uvi_frame_begin() {
    if (sprite_lines_first <= sprite_lines_last) {
        std::memset(cells_of(sprite_lines_first), 0,
                    static_cast<std::size_t>(sprite_lines_last - sprite_lines_first + 1) *
                        UVI_LINE_CLOCKS);
        for (i32 line = sprite_lines_first; line <= sprite_lines_last; line++)
            cells_era[line]++;
    }
    sprite_lines_first = 0;
    sprite_lines_last = -1;
    // Rows the frame never starts leave nothing in the history.
    std::memset(uvi_row_codes[uvi_row_slot], 0, sizeof uvi_row_codes[0]);
    uvi_text_area.first = uvi_text_area.end = 999;
    row_number = -1;
    uvi_sprites_done = 0;
    uvi_refresh_colour_row();
    uvi_bg_latch = reg(0x19F9);
    uvi_bg_colour = colour_of(uvi_bg_latch & 7);
}

void uvi_frame_latch() {
    cpu_psu &= static_cast<u8>(~PSU_S);
    uvi_write_register(0x18FF, 0xFF);
    uvi_write_register(0x19FF, 0xFF);
    uvi_write_register(0x19FE, 0xFF);
    if (!uvi_game.keeps_collisions) {
        uvi_write_register(0x19FC, 0xFF);
        uvi_write_register(0x19FD, 0xFF);
    }
    UviTextArea& t = uvi_text_area;
    t.first = 255 - reg(0x18FC);
    t.rows = (reg(0x19F8) & 0x40) ? 26 : 13;
    t.height = (reg(0x19F9) & 0x80) ? 8 : 16;
    t.end = t.first + t.rows * t.height;

    for (u32 s = 0; s < 4; s++) {
        UviSpriteRecord& r = uvi_sprites[uvi_sprite_slot][s];
        r.x = reg(0x18F1 + 2 * s) + 29;
        r.y = *uvi_host.first_visible_line + 256 - reg(0x18F0 + 2 * s);
        std::memcpy(r.image, guest_memory + 0x1980 + 8 * s, 8);
        const u8 attr = reg(s < 2 ? 0x19FB : 0x19FA);
        r.colour = (s & 1) ? attr & 7 : (attr >> 3) & 7;
        r.tall = (attr & ((s & 1) ? 0x40 : 0x80)) ? 0 : 1;
        if (uvi_game.recolours_sprites && r.colour == 6 &&
            ((s == 2 && reg(0x18F4) > 191) || (s == 3 && reg(0x18F6) > 191)))
            r.colour = 1;
        r.right = r.x + 7;
        r.bottom = r.y + (r.tall ? 15 : 7);
        if (s == 0 || r.y < sprites_top) sprites_top = r.y;
        if (s == 0 || r.bottom > sprites_bottom) sprites_bottom = r.bottom;
    }
    latch_sprite_words();
    latch_sprite_bytes();
}

namespace {

// What every line does at clock 0, in both modes: the row start, the line's
// status, the $19F9 latch, the dejitter refresh. True when the line lies in
// the character area, its glyph line in *g.
[[gnu::always_inline]] inline bool begin_line(i32* g) {
    beam_line.valid = false;
    const UviTextArea& t = uvi_text_area;
    const i32 y = raster_line - *uvi_host.first_visible_line;
    // The line counted from the area's first, its range test as one unsigned
    // comparison. Rows are 8 or 16 lines high: a mask finds their first lines.
    const u32 a = static_cast<u32>(y - t.first);
    if (a <= static_cast<u32>(t.end - t.first) && (a & static_cast<u32>(t.height - 1)) == 0)
        row_start(static_cast<i32>(a) / t.height);
    const u8 status = reg(0x18FF);
    uvi_line_status[raster_line] = status & 15;
    if (status == 0xFD || status == 0xFF) uvi_bg_latch = reg(0x19F9);
    if (*uvi_host.dejitter && uvi_game.known) {
        const u16* lines = uvi_dejitter_lines[*uvi_host.region & 1];
        if (raster_line == lines[0] || raster_line == lines[1]) uvi_refresh_colour_row();
    }
    return area_line(y, g);
}

} // namespace

void uvi_line_start() {
    i32 g = 0;
    const bool area = begin_line(&g);
    if (uvi_line_based) return;
    const i32 sprite_mode = *uvi_host.sprite_mode;
    if (raster_line < sprites_top || raster_line > sprites_bottom)
        std::memset(uvi_sprite_line, 0, 4);
    else if (sprite_mode == sprite_bytes_mode)
        std::memcpy(uvi_sprite_line, sprite_bytes_by_line[raster_line], 4);
    else
        sprite_line_bytes(raster_line, sprite_mode, uvi_sprite_line);
    stand_on_copy(area, g);
}

namespace {

// Room for the clocks [from, to) of the current line in the line's colours.
u8* take_clocks(i32 from, i32 to) {
    if (uvi_beam.pending_to > uvi_beam.pending_from &&
        (raster_line != uvi_beam.pending_line || from != uvi_beam.pending_to))
        uvi_beam_flush();
    if (uvi_beam.pending_to <= uvi_beam.pending_from) {
        uvi_beam.pending_line = raster_line;
        uvi_beam.pending_from = from;
    }
    uvi_beam.pending_to = to;
    return line_colours[raster_line] + from;
}

} // namespace

void uvi_beam_flush() {
    if (uvi_beam.pending_to > uvi_beam.pending_from)
        uvi_host.plot_row(uvi_beam.pending_from, uvi_beam.pending_line,
                          line_colours[uvi_beam.pending_line] + uvi_beam.pending_from,
                          uvi_beam.pending_to - uvi_beam.pending_from);
    if (first_span_owed && uvi_beam.pending_to > uvi_beam.pending_from) settle_first_span();
    first_span_owed = false;
    uvi_beam.pending_from = uvi_beam.pending_to = 0;
    // What the line goes on with is drawn afresh: a pause may change anything.
    // Nothing stands until a clock (uvi_beam_stands_until then says as much).
    uvi_beam.line = -1;
    uvi_beam.next_collision = 0;
}

namespace {

// The clocks [from, to) of the current line: colours (indexed from `from`)
// and cells, with the collisions of the sprites over them. `area` and `g`:
// what area_line gives for the line.
void draw_clocks(i32 from, i32 to, u8* colours, u32 sprite_bytes, bool ahead_of_beam, bool area,
                 i32 g) {
    u8* cells = cells_of(raster_line);
    const i32 x0 = row_x0;
    const i32 chars_from = area ? (from > x0 ? from : x0) : to;
    const i32 chars_to = area ? (to < x0 + 128 ? to : x0 + 128) : to;
    if (!sprite_bytes && (chars_from >= to || chars_to <= from)) {
        // Background alone.
        std::memset(cells + from, 0, static_cast<std::size_t>(to - from));
        std::memset(colours, uvi_bg_colour, static_cast<std::size_t>(to - from));
        return;
    }
    if (!sprite_bytes && row_plain && beam_line.valid && from > x0 && to <= x0 + 128) {
        // Inside the characters of a line drawn ahead.
        if (beam_line.colour_row != uvi_colour_row) {
            draw_char_line(g, beam_line.block0, beam_line.colours, beam_line.cells);
            beam_line.colour_row = uvi_colour_row;
        }
        std::memcpy(cells + from, beam_line.cells + (from - x0),
                    static_cast<std::size_t>(to - from));
        std::memcpy(colours, beam_line.colours + (from - x0), static_cast<std::size_t>(to - from));
        return;
    }
    i32 x = from;
    if (x < chars_from) {
        const i32 n = (to < chars_from ? to : chars_from) - x;
        std::memset(colours, uvi_bg_colour, static_cast<std::size_t>(n));
        std::memset(cells + x, 0, static_cast<std::size_t>(n));
        x += n;
    }
    if (x == x0 && chars_to == x0 + 128 && row_plain) {
        // All 16 columns: straight into the line (the copy kept for the
        // spans inside them is drawn when one asks for it).
        beam_line.block0 = reg(0x19F8) >> 7;
        beam_line.valid = false;
        draw_char_line(g, beam_line.block0, colours + (x - from), cells + x);
        x = chars_to;
    }
    if (x < chars_to && row_plain) {
        if (chars_from == x0) {
            beam_line.block0 = reg(0x19F8) >> 7;
            beam_line.valid = false;
        }
        if (!beam_line.valid || beam_line.colour_row != uvi_colour_row) {
            draw_char_line(g, beam_line.block0, beam_line.colours, beam_line.cells);
            beam_line.colour_row = uvi_colour_row;
            beam_line.valid = true;
        }
        const std::size_t n = static_cast<std::size_t>(chars_to - x);
        std::memcpy(colours + (x - from), beam_line.colours + (x - x0), n);
        std::memcpy(cells + x, beam_line.cells + (x - x0), n);
        x = chars_to;
    }
    if (x < chars_to) {
        // A span that begins inside a column goes on with its glyph byte, in
        // the colours of this span.
        ColumnPixels column;
        if ((x - x0) & 7) column_of(glyph_byte, g, &column);
        while (x < chars_to) {
            const i32 b = (x - x0) & 7;
            if (b == 0) {
                glyph_byte = fetch_glyph((x - x0) >> 3, g, reg(0x19F8) >> 7);
                column_of(glyph_byte, g, &column);
            }
            const i32 n = chars_to - x < 8 - b ? chars_to - x : 8 - b;
            std::memcpy(colours + (x - from), column.colours + b, static_cast<std::size_t>(n));
            std::memcpy(cells + x, column.cells + b, static_cast<std::size_t>(n));
            x += n;
        }
    }
    if (x < to) {
        std::memset(colours + (x - from), uvi_bg_colour, static_cast<std::size_t>(to - x));
        std::memset(cells + x, 0, static_cast<std::size_t>(to - x));
    }
    if (sprite_bytes) overlay_sprites(from, to, colours, cells, ahead_of_beam);
}

// Whether the current line drawn in one piece is keyed: not with codes 56-63
// in its row, nor with copies bypassed.
bool line_keyed(bool area) {
    return uvi_copy_lines && (!area || row_plain);
}

// The key of the current line drawn in one piece from clock `from` with
// colour row `colour_row` and block-set bit `block0`, in beam mode or not.
[[gnu::always_inline]] inline LineKey line_key(bool beam, i32 from, bool area, i32 g,
                                               u32 sprite_bytes, u8 colour_row, u8 block0) {
    LineKey k{};
    if (area) {
        k.codes_left = row_key.codes_left;
        k.codes_right = row_key.codes_right;
        k.row = row_key.row | u64(static_cast<u8>(g)) << 16;
    }
    k.row |= beam ? 0 : 1;
    k.line = (uvi_bg_latch & 15u) | u64{beam && *uvi_host.collisions != 0} << 8 |
             u64(static_cast<u8>(from)) << 16 | u64{colour_row} << LINE_COLOUR_ROW |
             u64(area ? block0 : 0) << LINE_BLOCK0;
    if (beam && sprite_bytes) {
        const u8* b = uvi_sprite_line;
        const u32 bytes = static_cast<u32>(key_word(b[0], b[1], b[2], b[3]));
        // $FF in each byte of a sprite on the line, 0 in the others.
        const u32 on = ((((bytes & 0x7F7F7F7F) + 0x7F7F7F7F) | bytes) & 0x80808080) >> 7;
        const u32 mask = on * 0xFF;
        k.sprite_lines = bytes | u64{sprite_colours_word & mask} << 32;
        k.sprite_x = sprite_x_word & mask;
    }
    return k;
}

// The current line's copy when it was drawn from `key`: its cells from clock
// `from` on are put back. Null when it was drawn from something else.
[[gnu::always_inline]] inline const LineCopy* copy_for(const LineKey& key, i32 from) {
    const LineCopy& copy = line_copies[raster_line];
    if (copy.generation != copies_generation || !(key == copy.key)) return nullptr;
    if (copy.cells_era != cells_era[raster_line])
        std::memcpy(cells_of(raster_line) + from, copy.cells + from,
                    static_cast<std::size_t>(UVI_LINE_CLOCKS - from));
    return &copy;
}

// The current line has just been drawn from clock `from` on: from `key`
// (kept with the line's cells) or, when not `keyed`, otherwise.
void keep_line(const LineKey& key, bool keyed, i32 from) {
    LineCopy& copy = line_copies[raster_line];
    copy.generation = keyed ? copies_generation : 0;
    if (!keyed) return;
    copy.key = key;
    copy.cells_era = cells_era[raster_line];
    std::memcpy(copy.cells + from, cells_of(raster_line) + from,
                static_cast<std::size_t>(UVI_LINE_CLOCKS - from));
}

// The collisions of the line drawn ahead that lie before clock `to`.
inline void set_collisions_before(i32 to) {
    UviBeamLine& b = uvi_beam;
    while (b.event < b.events && line_collisions[b.event].x < to)
        set_collision(line_collisions[b.event++]);
    b.next_collision = b.event < b.events ? line_collisions[b.event].x : UVI_LINE_CLOCKS;
}

// The Flag mask of a line drawn ahead with the settings as they are: PSU_F
// when its colour row follows the Flag, 0 when it stays as it is.
inline u8 flag_mask_now(u32 dejitter, u32 flagline) {
    return !dejitter && flagline ? PSU_F : 0;
}

// The current line, drawn or copied from clock `from` on with colour row
// `colour_row`, its collisions in `copy`, stands as drawn ahead with the beam
// past clock `next`: the beam's state for it (but for the clocks it hands on
// and its next collision), its collisions not yet set. `flag_mask`: what
// flag_mask_now gives.
[[gnu::always_inline]] inline void stand(const LineCopy& copy, bool area, u8 colour_row,
                                         i32 next, u8 flag_mask) {
    UviBeamLine& b = uvi_beam;
    const i32 line = raster_line, x0 = area ? row_x0 : -1;
    const u8 block0 = beam_line.block0, events = copy.events;
    b.line = line;
    b.next = next;
    b.x0 = x0;
    b.colour_row = colour_row;
    b.block0 = block0;
    b.event = 0;
    b.events = events;
    b.flag_mask = flag_mask;
    b.flag_want = colour_row ? flag_mask : 0;
}

void settle_first_span() {
    first_span_owed = false;
    uvi_colour_row = uvi_beam.colour_row;
    uvi_bg_colour = colour_of(uvi_bg_latch & 7);
}

// At the start of a line in beam mode (`area` and `g`: what area_line gives
// for it): when its copy was drawn from clock 49 from what the line starts
// with (its row, latches and sprites) and from the colour row and block set
// that clock 49 will find if they stay as they were then, the line stands on
// the copy from clock 49 on. The Flag and the block set are checked at clock
// 49 as for any line drawn ahead, and a pause before it hands the line on,
// which ends the standing.
void stand_on_copy(bool area, i32 g) {
    const i32 line = raster_line;
    LineCopy& copy = line_copies[line];
    if (copy.generation != copies_generation || copy.cells_era != cells_era[line] ||
        !uvi_copy_lines || (area && !row_plain) || uvi_beam.pending_to > uvi_beam.pending_from)
        return;
    // Everything read before anything is written: the writes would have it read again.
    const u32 dejitter = *uvi_host.dejitter, flagline = *uvi_host.flagline;
    const u64 kept = copy.key.line;
    const u8 kept_row = static_cast<u8>(kept >> LINE_COLOUR_ROW & 1);
    const u8 colour_row = dejitter ? uvi_colour_row : flagline ? kept_row : 0;
    const u8 block0 = static_cast<u8>(kept >> LINE_BLOCK0 & 1);
    u32 sprite_bytes;
    std::memcpy(&sprite_bytes, uvi_sprite_line, 4);
    if (!(line_key(!uvi_line_based, 49, area, g, sprite_bytes, colour_row, block0) == copy.key))
        return;
    const i32 next_collision = copy.events ? copy.collisions[0].x : UVI_LINE_CLOCKS;
    line_collisions = copy.collisions;
    if (area) beam_line.block0 = block0;
    stand(copy, area, colour_row, 49, flag_mask_now(dejitter, flagline));
    uvi_beam.pending_line = line;
    uvi_beam.pending_from = uvi_beam.pending_to = 49;
    uvi_beam.next_collision = next_collision;
    first_span_owed = true;
}

} // namespace

void uvi_draw_span(i32 from, i32 to) {
    if (from >= to) return;
    if (first_span_owed) settle_first_span();
    if (!*uvi_host.dejitter) uvi_refresh_colour_row();
    u8* colours = take_clocks(from, to);
    if (uvi_beam.line == raster_line && uvi_beam.next == from &&
        uvi_beam.colour_row == uvi_colour_row &&
        (from > uvi_beam.x0 || reg(0x19F8) >> 7 == uvi_beam.block0)) {
        uvi_beam.next = to;
        set_collisions_before(to);
        return;
    }
    uvi_beam.line = -1;
    uvi_bg_colour = colour_of(uvi_bg_latch & 7);
    u32 sprite_bytes;
    std::memcpy(&sprite_bytes, uvi_sprite_line, 4);
    i32 g = 0;
    const bool area = area_line(raster_line - *uvi_host.first_visible_line, &g);
    LineCopy& copy = line_copies[raster_line];
    if (area && !row_plain) {
        // Drawn span by span.
        copy.generation = 0;
        draw_clocks(from, to, colours, sprite_bytes, false, area, g);
        return;
    }
    // The rest of the line at once, its collisions kept to be set as the beam
    // passes them (a span to the line's end sets them all at once).
    line_collisions = copy.collisions;
    const bool keyed = (!area || from <= row_x0) && line_keyed(area);
    LineKey key{};
    if (keyed)
        key = line_key(!uvi_line_based, from, area, g, sprite_bytes, uvi_colour_row,
                       reg(0x19F8) >> 7);
    if (keyed && copy_for(key, from)) {
        // The characters' copy for later spans is drawn when one asks for
        // it, as after drawing them.
        if (area) {
            beam_line.block0 = reg(0x19F8) >> 7;
            beam_line.valid = false;
        }
    } else {
        uvi_beam.events = 0;
        draw_clocks(from, UVI_LINE_CLOCKS, colours, sprite_bytes, true, area, g);
        copy.events = static_cast<u8>(uvi_beam.events);
        keep_line(key, keyed, from);
    }
    stand(copy, area, uvi_colour_row, to, flag_mask_now(*uvi_host.dejitter, *uvi_host.flagline));
    set_collisions_before(to);
}

namespace {

// The 128 clocks of glyph line g of the current row, with the block-set bit
// that column 0 began with. The glyph fetch's latches are left as they come:
// only the beam mode's column-by-column drawing reads them, which serves the
// rows that are not keyed and fetches column 0 itself.
void draw_char_line(i32 g, u8 block0, u8* colours, u8* cells) {
    const bool keyed = uvi_copy_lines && row_plain;
    const CharLineKey key = keyed ? char_line_key(block0) : CharLineKey{};
    CharLine& line = char_lines[row_number][g & 7];
    if (keyed && line.valid && key == line.key) {
        std::memcpy(colours, line.colours, 128);
        std::memcpy(cells, line.cells, 128);
        return;
    }
    ColumnPixels column;
    for (i32 c = 0; c < 16; c++) {
        const u8 byte = fetch_glyph(c, g, block0);
        column_of(byte, g, &column);
        std::memcpy(colours + 8 * c, column.colours, 8);
        std::memcpy(cells + 8 * c, column.cells, 8);
    }
    line.valid = keyed;
    if (keyed) {
        line.key = key;
        std::memcpy(line.colours, colours, 128);
        std::memcpy(line.cells, cells, 128);
    }
}

// The visible clocks of a line (line-based mode) that already carries this
// frame's sprites: their pixels are kept.
[[gnu::noinline]] void render_over_sprites(bool area, i32 g) {
    if (!area) {
        plot_background(49, UVI_LINE_CLOCKS);
        return;
    }
    const i32 x0 = row_x0;
    plot_background(49, x0);
    u8 colours[128];
    draw_char_line(g, reg(0x19F8) >> 7, colours, cells_of(raster_line) + x0);
    uvi_host.plot_row(x0, raster_line, colours, 128);
    plot_background(x0 + 128, UVI_LINE_CLOCKS);
}

// The visible clocks of a line of the character area drawn afresh into its
// colours and cells: background, 16 characters, background; kept under
// `key` when `keyed`.
[[gnu::noinline]] void draw_area_line(i32 g, const LineKey& key, bool keyed) {
    const i32 x0 = row_x0, right = x0 + 128;
    u8 *colours = line_colours[raster_line], *cells = cells_of(raster_line);
    std::memset(colours + 49, uvi_bg_colour, static_cast<std::size_t>(x0 - 49));
    std::memset(cells + 49, 0, static_cast<std::size_t>(x0 - 49));
    draw_char_line(g, reg(0x19F8) >> 7, colours + x0, cells + x0);
    std::memset(colours + right, uvi_bg_colour, static_cast<std::size_t>(UVI_LINE_CLOCKS - right));
    std::memset(cells + right, 0, static_cast<std::size_t>(UVI_LINE_CLOCKS - right));
    keep_line(key, keyed, 49);
}

} // namespace

void uvi_render_scanline() {
    i32 g = 0;
    const bool area = begin_line(&g);
    if (!*uvi_host.dejitter) uvi_refresh_colour_row();
    uvi_bg_colour = colour_of(uvi_bg_latch & 7);
    // The border's cells stay clear as they are: nothing marks them (a sprite
    // begins at clock 29 at the earliest).
    if (raster_line != *uvi_host.first_visible_line)
        uvi_host.fill_row(0, raster_line, *uvi_host.border_clocks, uvi_bg_colour);
    if (line_has_sprite_cells(raster_line)) {
        render_over_sprites(area, g);
        return;
    }
    if (!area) {
        std::memset(cells_of(raster_line) + 49, 0, UVI_LINE_CLOCKS - 49);
        uvi_host.fill_row(49, raster_line, UVI_LINE_CLOCKS - 49, uvi_bg_colour);
        return;
    }
    // The whole visible line at once, or its copy.
    const bool keyed = line_keyed(true);
    LineKey key{};
    if (keyed) key = line_key(false, 49, true, g, 0, uvi_colour_row, reg(0x19F8) >> 7);
    if (!keyed || !copy_for(key, 49)) draw_area_line(g, key, keyed);
    uvi_host.plot_row(49, raster_line, line_colours[raster_line] + 49, UVI_LINE_CLOCKS - 49);
}

void uvi_draw_sprites() {
    const i32 first_visible_line = *uvi_host.first_visible_line;
    const i32 lines_per_frame = *uvi_host.lines_per_frame;
    const bool collisions = *uvi_host.collisions != 0;
    const UviSpriteRecord* sprites = uvi_sprites[uvi_sprite_slot];
    // By the sprite bits of a cell: the colour its pixel shows.
    u8 colour_of_bits[16];
    for (u32 bits = 0; bits < 16; bits++) {
        u32 colour_number = 0;
        for (u32 o = 0; o < 4; o++)
            if (bits >> o & 1) colour_number |= sprites[o].colour;
        colour_of_bits[bits] = colour_of(colour_number);
    }
    u8 background_hits = 0, pairs = 0;
    for (u32 s = 0; s < 4; s++) {
        const UviSpriteRecord& r = sprites[s];
        const u8 bit = static_cast<u8>(1u << s);
        // Of a line byte's pixels (bit 7 leftmost, at clock r.x), those on
        // the line (below clock 227) and those shown (from clock 55 on).
        const i32 on_line_n = UVI_LINE_CLOCKS - r.x, hidden_n = 55 - r.x;
        const u8 on_line =
            on_line_n <= 0 ? 0 : static_cast<u8>(0xFF << (8 - std::min(on_line_n, 8)));
        const u8 shown = hidden_n <= 0 ? 0xFF : hidden_n >= 8 ? 0 : 0xFF >> hidden_n;
        // Where all eight lie on the line, their cells are one word: the
        // sprite's bits are set and its collisions found eight at a time.
        // Only the clocks from 49 on collide: a byte each, the leftmost lowest.
        static_assert(std::endian::native == std::endian::little);
        const bool whole = on_line == 0xFF;
        const u64 collide_from = r.x >= 49 ? ~u64{0} : r.x <= 41 ? 0 : ~u64{0} << 8 * (49 - r.x);
        for (i32 y = r.y; y <= r.bottom; y++) {
            if (y < 0 || y >= lines_per_frame || y >= UVI_MAX_LINES) break;
            const u8 byte = r.image[(y - r.y) >> r.tall] & on_line;
            u8* cells = cells_of(y);
            if (sprite_lines_first > sprite_lines_last) sprite_lines_first = sprite_lines_last = y;
            if (y < sprite_lines_first) sprite_lines_first = y;
            if (y > sprite_lines_last) sprite_lines_last = y;
            const bool collide = collisions && y >= first_visible_line;
            if (whole) {
                constexpr u64 ONES = 0x0101010101010101;
                const u64 pixels = PIXEL_MASKS[byte];
                u64 eight;
                std::memcpy(&eight, cells + r.x, 8);
                eight |= pixels & (ONES * bit);
                std::memcpy(cells + r.x, &eight, 8);
                if (collide) {
                    const u64 hit = eight & pixels & collide_from;
                    if (hit & (ONES * UVI_CELL_CHAR)) background_hits |= bit;
                    // Pairs only where another sprite's bit is there too.
                    for (u64 met = hit & (ONES * 15 & ~(ONES * bit)); met;) {
                        const i32 at = std::countr_zero(met) & ~7;
                        pairs |= pair_bits(static_cast<u8>(eight >> at));
                        met &= ~(u64{0xFF} << at);
                    }
                }
            } else {
                // Pixel by pixel, leftmost first.
                for (u32 left = byte; left;) {
                    const i32 b = std::countl_zero(static_cast<u8>(left));
                    left &= ~(0x80u >> b);
                    const i32 x = r.x + b;
                    u8& cell = cells[x];
                    cell |= bit;
                    if (collide && x >= 49) {
                        if (cell & UVI_CELL_CHAR) background_hits |= bit;
                        pairs |= pair_bits(cell & 15);
                    }
                }
            }
            // The pixels shown, in the colours of their cells.
            for (u32 left = byte & shown; left;) {
                const i32 b = std::countl_zero(static_cast<u8>(left));
                left &= ~(0x80u >> b);
                const i32 x = r.x + b;
                uvi_host.plot_pixel(x, y, colour_of_bits[cells[x] & 15]);
            }
        }
    }
    uvi_collisions_found.pairs |= pairs;
    uvi_collisions_found.background |= background_hits;
    uvi_write_register(0x19FD, static_cast<u8>(~pairs));
    uvi_write_register(0x19FC, static_cast<u8>(~background_hits));
}

// ---- the demultiplexer ---------------------------------------------------------------------

UviDemux uvi_demux = {0, 0, 0, -1, {0, 0, 0, 0}};

namespace {

i32 clamp_depth(i32 depth) {
    return depth < 0 ? 0 : depth > UVI_HISTORY - 1 ? UVI_HISTORY - 1 : depth;
}

u8 demux_colour_row() {
    return *uvi_host.flagline ? (cpu_psu & PSU_F ? 1 : 0) : 0;
}

// A saved sprite whose place this frame's own sprite s (nearly) takes again.
bool sprite_stays(const UviSpriteRecord& saved, u32 s) {
    if (!uvi_game.sprites_stay) return false;
    const UviSpriteRecord& now = uvi_sprites[uvi_sprite_slot][s];
    const i32 dx = now.x - saved.x, dy = now.y - saved.y;
    return dx > -8 && dx < 8 && dy > -16 && dy < 16;
}

void redraw_sprite(const UviSpriteRecord& r, u8 colour) {
    const i32 first_visible_line = *uvi_host.first_visible_line;
    const i32 lines_per_frame = *uvi_host.lines_per_frame;
    const i32 lines = r.tall ? 16 : 8;
    for (i32 l = 0; l < lines; l++) {
        const i32 y = r.y + l;
        if (y < first_visible_line || y >= lines_per_frame) continue;
        const u8 byte = r.image[l >> r.tall];
        for (i32 b = 0; b < 8; b++) {
            const i32 x = r.x + b;
            if (x >= 49 && x < UVI_LINE_CLOCKS && (byte >> (7 - b) & 1))
                uvi_host.plot_pixel(x, y, colour);
        }
    }
}

// A 40 x 8 bitmap that two games keep at $1A30-$1A57 in five columns of
// eight lines, shown in white at double height.
void redraw_bitmap() {
    const i32 left = uvi_row_x[uvi_row_slot][0] + 40 + 49;
    const i32 top = uvi_text_area.first + *uvi_host.first_visible_line;
    for (i32 l = 0; l < 8; l++)
        for (i32 i = 0; i < 40; i++) {
            if (!(guest_memory[0x1A30 + 8 * (i / 8) + l] >> (7 - i % 8) & 1)) continue;
            uvi_host.plot_pixel(left + i, top + 2 * l, 7);
            uvi_host.plot_pixel(left + i, top + 2 * l + 1, 7);
        }
}

} // namespace

void uvi_demux_configure(u8 flags, i32 sprite_depth, i32 row_depth, i32 first_row, i32 last_row) {
    UviDemux& d = uvi_demux;
    if (flags == 0 && sprite_depth == 0 && row_depth == 0) {
        d = {0, 0, 0, -1, {0, 0, 0, 0}};
    } else {
        d.sprite_depth = clamp_depth(sprite_depth);
        d.row_depth = clamp_depth(row_depth);
        d.first_row = first_row < 0 ? 0 : first_row;
        d.last_row = last_row > UVI_ROWS - 1 ? UVI_ROWS - 1 : last_row;
        for (u32 s = 0; s < 4; s++)
            d.excluded[s] = flags >> (3 - s) & 1;
    }
    uvi_demux_forget();
}

void uvi_demux_forget() {
    uvi_sprite_slot = uvi_row_slot = 0;
    std::memset(uvi_sprites, 0, sizeof uvi_sprites);
    std::memset(uvi_row_codes, 0, sizeof uvi_row_codes);
    std::memset(uvi_row_x, 0, sizeof uvi_row_x);
    std::memset(uvi_udg_history, 0, sizeof uvi_udg_history);
    latch_sprite_words();
    take_row_key();
}

void uvi_deflicker_sprites() {
    const i32 depth = uvi_demux.sprite_depth;
    const i32 demultiplex = *uvi_host.demultiplex;
    if (depth <= 0 || demultiplex == 0 || *uvi_host.frame_counter < static_cast<u32>(depth) ||
        *uvi_host.sprite_mode == 0)
        return;
    const u8 row = demux_colour_row();
    for (i32 k = demultiplex == 1 ? 0 : 1; k <= depth; k++) {
        const u32 slot = (uvi_sprite_slot + static_cast<u32>(k)) % static_cast<u32>(depth + 1);
        for (u32 s = 0; s < 4; s++) {
            if (uvi_demux.excluded[s]) continue;
            const UviSpriteRecord& r = uvi_sprites[slot][s];
            if (slot != uvi_sprite_slot && sprite_stays(r, s)) continue;
            redraw_sprite(r, uvi_colour_table[row][r.colour & 7]);
        }
    }
}

void uvi_deflicker_pass_b() {
    const i32 depth = uvi_demux.row_depth;
    if (depth <= 0 || *uvi_host.demultiplex == 0 ||
        *uvi_host.frame_counter < static_cast<u32>(depth))
        return;
    const u8 row = demux_colour_row();
    if (uvi_game.bitmap) redraw_bitmap();
    const UviTextArea& t = uvi_text_area;
    const i32 first_visible_line = *uvi_host.first_visible_line;
    const i32 visible_lines = *uvi_host.lines_per_frame - first_visible_line;
    const u8 fg_bit = (reg(0x19F9) >> 3) & 1;
    for (i32 k = 1; k <= depth; k++) {
        const u32 slot = (uvi_row_slot + static_cast<u32>(k)) % static_cast<u32>(depth + 1);
        if (slot == uvi_row_slot) continue;
        for (i32 r = uvi_demux.first_row; r <= uvi_demux.last_row; r++) {
            for (i32 c = 0; c < 16; c++) {
                const u8 code = uvi_row_codes[slot][r][c];
                const u32 glyph = code & 63;
                const u8* lines = glyph > 55 ? uvi_udg_history[slot] + 8 * (glyph - 56)
                                             : CHAR_ROM.data() + 8 * glyph;
                const u8 colour = uvi_colour_table[row][((code >> 5) & 6) + fg_bit];
                const i32 x0 = uvi_row_x[slot][r] + 8 * c + 49;
                // Lines of the glyph that fall on the visible picture.
                i32 ys[8];
                bool present = false, any = false;
                for (i32 l = 0; l < 8; l++) {
                    ys[l] = t.first + (t.height == 16 ? 16 * r + 2 * l : 8 * r + l);
                    if (ys[l] >= visible_lines || !lines[l]) continue;
                    for (i32 b = 0; b < 8 && !present; b++)
                        if (lines[l] >> (7 - b) & 1) {
                            any = true;
                            present =
                                uvi_host.frame_pixel(x0 + b, ys[l] + first_visible_line) == colour;
                        }
                }
                if (present || !any) continue;
                for (i32 l = 0; l < 8; l++) {
                    if (ys[l] >= visible_lines) continue;
                    for (i32 b = 0; b < 8; b++) {
                        if (!(lines[l] >> (7 - b) & 1)) continue;
                        uvi_host.plot_pixel(x0 + b, ys[l] + first_visible_line, colour);
                        if (t.height == 16 && ys[l] + 1 < visible_lines)
                            uvi_host.plot_pixel(x0 + b, ys[l] + 1 + first_visible_line, colour);
                    }
                }
            }
        }
    }
}

void uvi_frame_end() {
    std::memcpy(uvi_udg_history[uvi_row_slot], guest_memory + 0x1980, 64);
    uvi_deflicker_sprites();
    uvi_sprite_slot =
        static_cast<i32>(uvi_sprite_slot) >= uvi_demux.sprite_depth ? 0 : uvi_sprite_slot + 1;
    uvi_deflicker_pass_b();
    uvi_row_slot = static_cast<i32>(uvi_row_slot) >= uvi_demux.row_depth ? 0 : uvi_row_slot + 1;
    latch_sprite_words();
}
