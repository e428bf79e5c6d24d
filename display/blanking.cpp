// The fixed areas of the guest frame: the painting tools of the machines'
// frame resets, the consoles' pictures of the blanking intervals around the
// active raster, and the reset of the current machine's frame.
#include "display/bands.h"
#include "display/frame.h"

#include "core/machine_table.h"
#include "core/machine_view.h"

#include <cstring>

u8 blanking_picture_50[312 * BLANKING_CLOCKS];
u8 blanking_picture_60[262 * BLANKING_CLOCKS];
u8 display_ink = 0, display_paper = 8;

namespace {

using enum ColumnBand;
using enum RowBand;

// The broadcast bands of the consoles' clock columns 6/10 to 48.
ColumnBand console_band(bool fifty, int c) {
    if (fifty) {
        if (c <= 10) return PORCH; // front porch
        if (c <= 27) return HSYNC;
        if (c <= 30) return PORCH;
        if (c <= 39) return BURST;
        return PORCH;
    }
    if (c <= 14) return PORCH;
    if (c <= 31) return HSYNC;
    if (c <= 33) return PORCH;
    if (c <= 42) return BURST;
    return PORCH;
}

void build_50() {
    u8* p = blanking_picture_50;
    for (int l = 1; l <= 43; l++)
        for (int c = 0; c <= 5; c++)
            p[l * BLANKING_CLOCKS + c] = (l >= 13 && l <= 15) ? 2 : 23;
    for (int l = 0; l < 312; l++)
        for (int c = 6; c <= 48; c++) {
            const ColumnBand b = console_band(true, c);
            RowBand r = ACTIVE_LINE;
            if (l == 13 || l == 14 || (l == 15 && c <= 10))
                r = VSYNC;
            else if (l <= 42)
                r = VBLANK;
            p[l * BLANKING_CLOCKS + c] = static_cast<u8>(display_band_colour(r, b));
        }
    for (int l = 0; l <= 42; l++)
        for (int c = 49; c <= 226; c++)
            p[l * BLANKING_CLOCKS + c] = (l == 13 || l == 14 || (l == 12 && c >= 113)) ? 2 : 23;
}

void build_60() {
    u8* p = blanking_picture_60;
    for (int l = 1; l <= 20; l++)
        for (int c = 0; c <= 9; c++)
            p[l * BLANKING_CLOCKS + c] = (l >= 4 && l <= 6) ? 2 : 23;
    for (int l = 0; l < 262; l++)
        for (int c = 10; c <= 48; c++) {
            const ColumnBand b = console_band(false, c);
            RowBand r = ACTIVE_LINE;
            if (l == 4 || l == 5 || (l == 3 && c >= 32) || (l == 6 && c <= 31))
                r = VSYNC;
            else if (l <= 19)
                r = VBLANK;
            p[l * BLANKING_CLOCKS + c] = static_cast<u8>(display_band_colour(r, b));
        }
    for (int l = 0; l <= 19; l++)
        for (int c = 49; c <= 226; c++)
            p[l * BLANKING_CLOCKS + c] = (l >= 3 && l <= 5) ? 2 : 23;
}

} // namespace

void display_fill_area(int x0, int x1, int y0, int y1, u8 colour) {
    for (int x = x0; x <= x1; x++)
        std::memset(&guest_frame[x * GUEST_FRAME_ROWS + y0], colour,
                    static_cast<std::size_t>(y1 - y0 + 1));
}

void display_led_strip(int w, int first_row, int last_row) {
    display_fill_area(0, w - 1, first_row, first_row + 1, 8);
    display_fill_area(0, w - 1, first_row + 2, last_row, 7);
}

void display_build_blanking_pictures() {
    build_50();
    build_60();
}

void display_reset_frame() {
    display_frame_rewritten();
    const int w = machine_live_row().width, h = machine_live_row().height;
    if (w <= 0 || h <= 0 || w > GUEST_FRAME_COLUMNS || h > GUEST_FRAME_ROWS) return;
    if (const auto reset = machine_view().reset_frame) reset(w, h);
}
