// The PVI consoles' debugging overlays (DRAW 1 and 2), their screen editor of
// the background grid, and their pointer text.
#include "machines/pvi_editor.h"

#include "core/dump_lines.h"
#include "core/emu.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/frame.h"
#include "display/pointer_text.h"
#include "input/keys.h"
#include "machines/pvi2636.h"

#include <cstring>

i32 pvi_edit_column = 0;
i32 pvi_edit_row = 0;

namespace {

constexpr u32 BARS = 0x1F80, WIDTHS = 0x1FA8;

u8& mem(u32 a) {
    return guest_memory[a];
}

void box(i32 x0, i32 y0, i32 x1, i32 y1, u32 colour) {
    for (i32 x = x0; x <= x1; x++) {
        display_plot_guest(x, y0, colour);
        display_plot_guest(x, y1, colour);
    }
    for (i32 y = y0; y <= y1; y++) {
        display_plot_guest(x0, y, colour);
        display_plot_guest(x1, y, colour);
    }
}

// The 3 x 5 digits of the width glyphs, rows from the top, bit 2 the left column.
const u8 DIGITS[4][5] = {
    {6, 2, 2, 2, 7}, // 1
    {7, 1, 7, 4, 7}, // 2
    {5, 5, 7, 1, 1}, // 4
    {7, 5, 7, 5, 7}, // 8
};

void digit(int d, i32 x, i32 y, u32 colour) {
    for (i32 r = 0; r < 5; r++)
        for (i32 c = 0; c < 3; c++)
            if (DIGITS[d][r] & (4 >> c)) display_plot_guest(x + c, y + r, colour);
}

// The glyph of a width code: 1, 2, 1, 4 for codes 0-3.
int width_glyph(u8 width_byte) {
    static const int glyphs[4] = {0, 1, 0, 2};
    return glyphs[width_byte >> 6];
}

u32 width_address() {
    return WIDTHS + static_cast<u32>(pvi_edit_row / 6);
}
u8 group_bit() {
    return static_cast<u8>(1u << (pvi_edit_row % 6));
}
// The cursor cell's bar byte and bit.
u32 bar_address() {
    const u32 band = static_cast<u32>(pvi_edit_row / 3);
    return (pvi_edit_row % 3 == 0 ? BARS : BARS + 2) + 4 * band +
           static_cast<u32>(pvi_edit_column / 8);
}
u8 bar_bit() {
    return static_cast<u8>(0x80 >> (pvi_edit_column % 8));
}

// The pink area's eight bar bytes and width byte, or all 40 and all 5.
void fill_bars(bool all, u8 bars, u8 width) {
    if (all) {
        std::memset(&mem(BARS), bars, 40);
        std::memset(&mem(WIDTHS), width, 5);
        return;
    }
    std::memset(&mem(BARS + 8 * static_cast<u32>(pvi_edit_row / 6)), bars, 8);
    mem(width_address()) = width;
}

void status(const char* text) {
    ui_status_text(text);
}

void set_width_bits(u8 bits, const char* text) {
    mem(width_address()) = static_cast<u8>((mem(width_address()) & 0x3F) | bits);
    status(text);
}

} // namespace

void pvi_overlay_grid_and_cells() {
    if (pvi_overlay_mode == 1) {
        for (i32 y = 20; y <= 220; y += 20)
            for (i32 x = 32; x <= 160; x++) {
                display_plot_guest(x, y, 8);
                if (y < 220) {
                    display_plot_guest(x, y + 2, 8);
                    display_plot_guest(x, y + 11, 8);
                }
            }
        for (i32 x = 32; x <= 160; x += 8)
            for (i32 y = 20; y <= 219; y++)
                display_plot_guest(x, y, 8);
        if (!blankingareas) return;
        const bool fifty = emu_region & 1;
        const i32 last = fifty ? 268 : 241;
        for (i32 x = -49; x <= (fifty ? -44 : -40); x++) {
            display_plot_guest(x, fifty ? -43 : -20, 18);
            for (i32 y = 1; y <= last; y++)
                display_plot_guest(x, y, 18);
        }
        for (i32 y = 0; y <= last; y++) {
            for (i32 x = 0; x <= 10; x++)
                display_plot_guest(x, y, 18);
            for (i32 x = 175; x <= 177; x++)
                display_plot_guest(x, y, 18);
        }
        return;
    }
    if (pvi_overlay_mode != 2) return;
    const i32 lines = lines_per_frame - first_visible_line;
    for (i32 y = 0; y < lines && y < PVI_MAX_LINES; y++)
        for (i32 x = 0; x < PVI_WIDTH; x++) {
            const u8 cell = pvi_pixel_cells[y * PVI_WIDTH + x];
            const int objects = __builtin_popcount(cell >> 4);
            const bool grid = cell & 8;
            const u32 colour = objects >= 2 ? (grid ? 0 : 6)
                               : objects == 1 ? (grid ? 4 : 14)
                                              : (grid ? 13 : 7);
            display_plot_guest(x, y, colour);
        }
}

void pvi_draw_editor() {
    const i32 row = pvi_edit_row, band = row / 3;
    const u8 width = mem(width_address());
    // The pink area: the two bands of the width byte, and its width glyph.
    const i32 pink_top = 40 * (row / 6) + 19;
    box(31, pink_top, 160, pink_top + 41, 23);
    digit(width_glyph(width), 162, pink_top + 18, 23);
    // The orange area: the cursor's line group.
    i32 top, lines;
    if (row % 3 == 0) {
        top = 20 * band + 19;
        lines = 4;
    } else {
        top = 20 * band + (row % 3 == 1 ? 21 : 30);
        lines = 11;
    }
    box(31, top, 160, top + lines - 1, 22);
    digit(width & group_bit() ? 3 : width_glyph(width), 27, top + (lines - 5) / 2, 22);
    // The cursor cell.
    const i32 x = 8 * pvi_edit_column + 31;
    if (row % 3 == 0)
        box(x, 20 * band + 19, x + 9, 20 * band + 22, 8);
    else
        box(x, 20 * band + 21, x + 9, 20 * band + 40, 8);
}

void pvi_edit_clamp() {
    if (pvi_edit_column < 0 || pvi_edit_column > 15) pvi_edit_column = 0;
    if (pvi_edit_row < 0 || pvi_edit_row > 29) pvi_edit_row = 0;
}

bool pvi_edit_key(u32 key) {
    if (key == 0 || key > 79) return false;
    const bool shift = host_shift_down() != 0;
    switch (key) {
    case 1:
    case 29:
        fill_bars(shift, 0xFF, 0x00);
        status(shift ? "Turn on all bars & set their width to 1"
                     : "Turn on all bars in pink area & set their width to 1");
        return true;
    case 2:
    case 30:
        fill_bars(shift, 0xFF, 0x40);
        status(shift ? "Turn on all bars & set their width to 2"
                     : "Turn on all bars in pink area & set their width to 2");
        return true;
    case 4:
    case 45:
        fill_bars(shift, 0xFF, 0xC0);
        status(shift ? "Turn on all bars & set their width to 4"
                     : "Turn on all bars in pink area & set their width to 4");
        return true;
    case 8:
    case 62:
        fill_bars(shift, 0xFF, 0xFF);
        status(shift ? "Turn on all bars & set their width to 8"
                     : "Turn on all bars in pink area & set their width to 8 (fill screen)");
        return true;
    case 10:
    case 15:
        fill_bars(shift, 0x00, 0x00);
        status(shift ? "Turn off all bars (& set their width to 1)"
                     : "Turn off all bars in pink area (& set their width to 1)");
        return true;
    case 16:
        mem(bar_address()) &= static_cast<u8>(~bar_bit());
        status("Turn off grey cell");
        return true;
    case 17:
        mem(bar_address()) |= bar_bit();
        status("Turn on grey cell");
        return true;
    case 32: set_width_bits(0x00, "Set width of all bars in pink area to 1"); return true;
    case 33: set_width_bits(0x40, "Set width of all bars in pink area to 2"); return true;
    case 34: set_width_bits(0xC0, "Set width of all bars in pink area to 4"); return true;
    case 49:
        mem(width_address()) &= static_cast<u8>(~group_bit());
        status("Set width of all bars in orange area to 1/2/4");
        return true;
    case 50:
        mem(width_address()) |= group_bit();
        status("Set width of all bars in orange area to 8");
        return true;
    case 64:
        if (shift) {
            std::memset(&mem(BARS), 0xFF, 45);
            status("Fill screen");
            return true;
        }
        mem(bar_address()) |= bar_bit();
        mem(width_address()) |= group_bit();
        // Both halves of a thick row share its bars.
        if (pvi_edit_row % 3 == 1) mem(width_address()) |= static_cast<u8>(group_bit() << 1);
        if (pvi_edit_row % 3 == 2) mem(width_address()) |= static_cast<u8>(group_bit() >> 1);
        status("Turn on grey cell and set its width to 8");
        return true;
    case 65:
    case 70:
        if (shift) {
            std::memset(&mem(BARS), 0, 45);
            status("Clear screen");
            return true;
        }
        mem(bar_address()) &= static_cast<u8>(~bar_bit());
        status("Clear grey cell");
        return true;
    case 69:
        screen_edit_mode = 0;
        ui_mark(UI_MENUS | UI_TITLE);
        return true;
    case 76: pvi_edit_row = shift ? 0 : (pvi_edit_row + 29) % 30; return true;
    case 77: pvi_edit_row = shift ? 29 : (pvi_edit_row + 1) % 30; return true;
    case 78: pvi_edit_column = shift ? 15 : (pvi_edit_column + 1) % 16; return true;
    case 79: pvi_edit_column = shift ? 0 : (pvi_edit_column + 15) % 16; return true;
    default: return false;
    }
}

void pvi_console_describe_position(i32 x, i32 y, int click, std::string* out) {
    i32 px, py;
    if (!display_console_position(x, y, 'P', out, &px, &py)) {
        out->clear();
        return;
    }
    if (px < 32 || px > 159 || py < 20 || py > 219) return;
    // The grid's bar byte and bit there, and the width byte and its group bit.
    const i32 band = (py - 20) / 20, in_band = (py - 20) % 20;
    const u32 bar = (in_band < 2 ? BARS : BARS + 2) + 4 * static_cast<u32>(band) + (px >= 96 ? 1 : 0);
    const i32 bit = 7 - ((px - 32) % 64) / 8;
    const i32 in_pair = (py - 20) % 40;
    const i32 group = in_pair < 2 ? 0 : in_pair < 11 ? 1 : in_pair < 20 ? 2 : in_pair < 22 ? 3
                      : in_pair < 31 ? 4 : 5;
    text_appendf(out, ". H: $%X:7..6,%d. V: $%X:%d", bar, bit, WIDTHS + static_cast<u32>(band / 2),
                 group);
    if (click) {
        pvi_edit_column = (px - 32) / 8;
        pvi_edit_row = 3 * band + (in_band < 2 ? 0 : in_band < 11 ? 1 : 2);
    }
}
