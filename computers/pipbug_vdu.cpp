#include "computers/pipbug_vdu.h"

#include "display/pointer_text.h"

#include "computers/terminal.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "core/machine.h"
#include "core/notify.h"
#include "display/frame.h"
#include "display/host.h"

#include <array>
#include <bit>
#include <cstring>

namespace {

// Our 5 x 7 character set for $20-$5F, top row first, bits 4..0.
constexpr u8 FONT5X7[64][7] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},
    {0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A},
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04}, {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03},
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D}, {0x04, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}, {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},
    {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}, {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}, {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}, {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00},
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}, {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02}, {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08}, {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},
    {0x0E, 0x11, 0x01, 0x0D, 0x15, 0x15, 0x0E}, {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}, {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}, {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}, {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}, {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}, {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}, {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}, {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}, {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}, {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}, {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}, {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},
    {0x00, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00}, {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},
};

// The terminals' "A" has a pointed top.
constexpr u8 POINTED_A[7] = {0x04, 0x0A, 0x11, 0x11, 0x1F, 0x11, 0x11};

constexpr int FONT_ROWS[6] = {8, 8, 8, 9, 8, 10};
constexpr int MAX_ROWS = 10;
using Font = std::array<std::array<u8, MAX_ROWS>, 128>;

// The 5 x 7 rows of a 7-bit code on these upper-case terminals: controls
// (below 32) are empty cells, lower case shows as upper case, the rest of
// $60-$7F as the nearest shapes, DEL as a block.
const u8* terminal_rows(u8 ch) {
    static constexpr u8 BLOCK[7] = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
    static constexpr u8 NONE[7] = {};
    ch &= 0x7F;
    if (ch < 0x20) return NONE;
    if (ch == 'A' || (ch == 'a')) return POINTED_A;
    if (ch == 0x7F) return BLOCK;
    if (ch >= 0x61 && ch <= 0x7A) ch = static_cast<u8>(ch - 0x20);
    switch (ch) {
    case 0x60:
        ch = '\'';
        break;
    case 0x7B:
        ch = '(';
        break;
    case 0x7C:
        ch = '!';
        break;
    case 0x7D:
        ch = ')';
        break;
    case 0x7E:
        ch = '-';
        break;
    default:
        break;
    }
    return FONT5X7[ch - 0x20];
}

// Builds the font of each VDU type from the terminal rows: where the glyph
// sits in the cell, and the VT100's 8-dot cell.
Font build_font(int vdu) {
    Font f{};
    for (int ch = 0; ch < 128; ch++) {
        const u8* rows = terminal_rows(static_cast<u8>(ch));
        auto& g = f[static_cast<size_t>(ch)];
        switch (vdu) {
        case 0: // Elekterminal and SVT-100: one empty row on top
        case 4:
            for (int r = 0; r < 7; r++)
                g[static_cast<size_t>(r + 1)] = rows[r];
            break;
        case 5: // VT100: 7 dots wide from bit 7, one empty row on top
            for (int r = 0; r < 7; r++) {
                u8 wide = 0;
                for (int d = 0; d < 5; d++)
                    if (rows[r] & (0x10 >> d)) {
                        // Dots 0-4 spread over 0, 1-2, 3, 4-5, 6.
                        static constexpr u8 SPREAD[5] = {0x80, 0x60, 0x10, 0x0C, 0x02};
                        wide |= SPREAD[d];
                    }
                g[static_cast<size_t>(r + 1)] = wide;
            }
            break;
        default: // Low Cost VDU and Radio Bulletin: from the top row
            for (int r = 0; r < 7; r++)
                g[static_cast<size_t>(r)] = rows[r];
            break;
        }
    }
    if (vdu == 5) { // the VT100's own "A"
        static constexpr u8 A[10] = {0x00, 0x10, 0x28, 0x44, 0x82, 0xFE, 0x82, 0x82, 0x00, 0x00};
        for (int r = 0; r < 10; r++)
            f['A'][static_cast<size_t>(r)] = A[r];
    }
    return f;
}

const Font& font(int vdu) {
    static const Font fonts[6] = {build_font(0), build_font(1), build_font(2),
                                  build_font(3), build_font(4), build_font(5)};
    return fonts[vdu];
}

int type() {
    return pipbug_vdu >= 0 && pipbug_vdu <= 5 ? pipbug_vdu : 0;
}

} // namespace

const u8* vdu_glyph(int vdu, u8 ch) {
    return font(vdu < 0 || vdu > 5 ? 0 : vdu)[ch & 0x7F].data();
}

int vdu_font_rows(int vdu) {
    return FONT_ROWS[vdu < 0 || vdu > 5 ? 0 : vdu];
}

const u8* font5x7_glyph(u8 code) {
    return code >= 0x20 && code <= 0x5F ? FONT5X7[code - 0x20] : FONT5X7[0];
}

u32 vdu_cell_colour(u8 ch) {
    const int t = type();
    if (!pipbug_blink && (ch & 0x80) && t != 3 && t != 5) return 19;
    return display_ink;
}

// Whether blinking things are in their shown phase on this frame.
static bool blink_on_phase(int t) {
    if (t == 4) return frame_counter % 25 <= 11;
    if (t == 5) return frame_counter % 50 <= 24;
    return (frame_counter & 31) < 16;
}

static void text_origin(i32& x, i32& y) {
    x = y = 0;
    if (type() == 3 && blankingareas) {
        x = 84;
        y = 43;
    }
    if (type() == 0) x += 2, y += 2;
}

namespace {

// One cell as its dot columns show it: its colour and the lit glyph rows of
// each dot column (bit g for glyph row g).
struct CellDots {
    u32 colour;
    std::array<u16, 8> lit;
};

// The cells of text column c, rows [0, rows): the cursor, the control codes
// shown reversed and the blinking characters as this frame shows them.
void text_column_dots(int c, int rows, CellDots* cells) {
    const int t = type();
    const int glyph_rows =
        vdu_font_rows(t) < vdu_glyph_height ? vdu_font_rows(t) : vdu_glyph_height;
    const int width = vdu_glyph_width < 8 ? vdu_glyph_width : 8;
    const u8 top_bit = static_cast<u8>(vdu_glyph_width > 5 ? 0x80 : 0x10);
    const bool shown = blink_on_phase(t);
    for (int r = 0; r < rows; r++) {
        const int buffer_row = t == 0 ? (vdu_scroll + r) % (vdu_rows > 0 ? vdu_rows : 1) : r;
        u8 ch = vdu_cell(c, buffer_row);
        if (ch == 0x80) ch = ' ';
        u32 colour = vdu_cell_colour(ch);
        const bool cursor = c == vdu_cursor_col &&
                            (t == 0 ? vdu_cursor_row - vdu_scroll == r : vdu_cursor_row == r);
        const u8* glyph = vdu_glyph(t, ch);
        CellDots& cell = cells[r];
        cell.lit = {};
        for (int g = 0; g < glyph_rows; g++) {
            u8 bits = glyph[g];
            if (cursor) {
                if (t == 3) {
                    bits = 0x1F;
                } else if (!pipbug_blink) {
                    colour = 19;
                    if (t == 5)
                        bits = g == 9 ? 0xFE : bits;
                    else
                        bits = 0x1F;
                } else if (t == 4) {
                    bits = shown || g == 7 ? 0x1F : 0;
                } else if (t == 5) {
                    bits = shown ? 0xFE : 0;
                } else {
                    bits = shown ? 0x1F : 0;
                }
            } else if ((ch & 0x7F) < 32) {
                bits = static_cast<u8>(~bits);
            } else if ((ch & 0x80) && pipbug_blink) {
                const bool hidden = t <= 3 ? (frame_counter & 31) >= 16 : !shown;
                if (hidden) bits = 0;
            }
            for (int d = 0; d < width; d++)
                if (bits & (top_bit >> d))
                    cell.lit[static_cast<size_t>(d)] |= static_cast<u16>(1u << g);
        }
        cell.colour = colour;
    }
}

} // namespace

// The text area column by column: each column in the paper colour with the
// glyph dots of its cells (and the DRAW grid) on it, put at once, so that
// every pixel is put once with its final colour. The glyphs of every VDU type
// lie inside the text area.
void pipbug_draw_screen() {
    const int t = type();
    i32 ox = 0, oy = 0;
    if (t == 3 && blankingareas) ox = 84, oy = 43;
    i32 w = machine_live[PIPBUG].width, h = machine_live[PIPBUG].height;
    if (showleds) h -= 43;
    if (t == 3 && blankingareas) w -= 168, h -= 57;
    if (h <= 0) return;
    const u8 paper = display_paper;
    i32 tx, ty;
    text_origin(tx, ty);

    const i32 picture_w = vdu_columns * vdu_cell_width;
    const int columns = vdu_columns < VDU_COLUMNS ? vdu_columns : VDU_COLUMNS;
    const int rows = vdu_visible_rows < VDU_ROWS ? vdu_visible_rows : VDU_ROWS;
    const int width = vdu_glyph_width < 8 ? vdu_glyph_width : 8;
    CellDots cells[VDU_ROWS];
    int cells_column = -1; // the text column `cells` holds
    u8 column[GUEST_FRAME_ROWS];
    for (i32 x = ox; x < ox + w; x++) {
        std::memset(column, paper, static_cast<size_t>(h));
        const i32 text_x = x - tx;
        const int c = text_x >= 0 ? text_x / vdu_cell_width : -1, d = text_x - c * vdu_cell_width;
        if (text_x >= 0 && text_x < picture_w && c < columns && d < width) {
            if (c != cells_column) text_column_dots(c, rows, cells);
            cells_column = c;
            for (int r = 0; r < rows; r++) {
                const i32 top = ty - oy + r * vdu_cell_height;
                for (u32 lit = cells[r].lit[static_cast<size_t>(d)]; lit; lit &= lit - 1) {
                    const i32 y = top + std::countr_zero(lit);
                    if (y < h) column[y] = static_cast<u8>(cells[r].colour);
                }
            }
        }
        if (draw_mode == 1) vdu_cell_grid_column(column, static_cast<u32>(h), x, oy, tx, ty);
        display_plot_column(static_cast<u32>(x), static_cast<u32>(oy), column, static_cast<u32>(h));
    }
}

void vdu_cell_grid_column(u8* column, u32 n, i32 x, i32 top, i32 ox, i32 oy) {
    const i32 grid_x = x - ox;
    if (grid_x < 0 || grid_x >= vdu_columns * vdu_cell_width) return;
    const i32 d = grid_x % vdu_cell_width;
    const bool side = d == 0 || d == vdu_cell_width - 1; // a cell's left or right edge
    const i32 end = static_cast<i32>(n);
    const auto put = [&](i32 y) {
        if (y >= 0 && y < end) column[y] = 8;
    };
    for (int r = 0; r < vdu_visible_rows; r++) {
        const i32 y0 = oy + r * vdu_cell_height - top, y1 = y0 + vdu_cell_height - 1;
        if (side) {
            for (i32 y = y0; y <= y1; y++)
                put(y);
        } else {
            put(y0);
            put(y1);
        }
    }
}

void vdu_draw_cell_grid(i32 ox, i32 oy) {
    for (int c = 0; c < vdu_columns; c++)
        for (int r = 0; r < vdu_visible_rows; r++) {
            const i32 x0 = ox + c * vdu_cell_width, y0 = oy + r * vdu_cell_height;
            const i32 x1 = x0 + vdu_cell_width - 1, y1 = y0 + vdu_cell_height - 1;
            for (i32 x = x0; x <= x1; x++) {
                display_plot_pixel(static_cast<u32>(x), static_cast<u32>(y0), 8);
                display_plot_pixel(static_cast<u32>(x), static_cast<u32>(y1), 8);
            }
            for (i32 y = y0; y <= y1; y++) {
                display_plot_pixel(static_cast<u32>(x0), static_cast<u32>(y), 8);
                display_plot_pixel(static_cast<u32>(x1), static_cast<u32>(y), 8);
            }
        }
}

void pipbug_draw_cell_grid() {
    i32 ox, oy;
    text_origin(ox, oy);
    vdu_draw_cell_grid(ox, oy);
}

void pipbug_describe_position(i32 x, i32 y, int, std::string* out) {
    display_position_prefix(x, y, x, out);
    i32 ox, oy;
    text_origin(ox, oy);
    // The Elekterminal's text store scrolls: the row it shows there too.
    if (pipbug_vdu == 0)
        display_text_cell_text(x - ox, y - oy, out, vdu_rows > 0 ? vdu_rows : 1, vdu_scroll);
    else
        display_text_cell_text(x - ox, y - oy, out);
}

void vdu_select_type(int menu_id) {
    const int t = menu_id - 155;
    if (t < 0 || t > 5) return;
    pipbug_vdu = t;
    if (t != 3) blankingareas = 0;
    pipbug_vdu_clear(1);
    if (machine != PIPBUG) return;
    display_setup_geometry();
    display_apply_palette();
    window_resize_pending = 1;
    ui_mark(UI_SCALE | UI_TOOL_WINDOWS | UI_REOPEN_WINDOWS);
}
