// The fixed areas of the guest frame: the computers' text backgrounds, the LED
// strips below their pictures and, with "blankingareas", the picture of the
// blanking intervals around the active raster.
#include "display/frame.h"
#include "display/machine_display.h"

#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"

#include <cstring>

u8 blanking_picture_50[312 * BLANKING_CLOCKS];
u8 blanking_picture_60[262 * BLANKING_CLOCKS];
u8 display_ink = 0, display_paper = 8;

namespace {

enum ColumnBand { PORCH, HSYNC, BURST, ACTIVE };
enum RowBand { ACTIVE_LINE, VBLANK, VSYNC };

// Colour of each (row band, column band) cell; -1: the machine's own picture.
constexpr int band_colour[3][4] = {
    {22, 4, 0, -1},
    {3, 6, 8, 23},
    {11, 14, 7, 2},
};

void frame_fill(int x0, int x1, int y0, int y1, u8 colour) {
    for (int x = x0; x <= x1; x++)
        std::memset(&guest_frame[x * GUEST_FRAME_ROWS + y0], colour,
                    static_cast<std::size_t>(y1 - y0 + 1));
}

// Paints every cell of a w x h frame by its bands; active by active is left.
template <class Col, class Row> void paint_bands(int w, int h, Col column_band, Row row_band) {
    for (int x = 0; x < w; x++) {
        u8* col = &guest_frame[x * GUEST_FRAME_ROWS];
        const ColumnBand cb = column_band(x);
        for (int y = 0; y < h; y++) {
            const int c = band_colour[row_band(x, y)][cb];
            if (c >= 0) col[y] = static_cast<u8>(c);
        }
    }
}

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
            p[l * BLANKING_CLOCKS + c] = static_cast<u8>(band_colour[r][b]);
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
            p[l * BLANKING_CLOCKS + c] = static_cast<u8>(band_colour[r][b]);
        }
    for (int l = 0; l <= 19; l++)
        for (int c = 49; c <= 226; c++)
            p[l * BLANKING_CLOCKS + c] = (l >= 3 && l <= 5) ? 2 : 23;
}

void copy_picture(const u8* p, int row, int c0, int c1) {
    for (int c = c0; c <= c1; c++)
        guest_frame[c * GUEST_FRAME_ROWS + row] = p[row * BLANKING_CLOCKS + c];
}

u8 text_background() {
    return inversevideo ? 0 : 7;
}

// The LED strip below a picture: two rows of 8, then the rest in 7.
void led_strip(int w, int first_row, int last_row) {
    frame_fill(0, w - 1, first_row, first_row + 1, 8);
    frame_fill(0, w - 1, first_row + 2, last_row, 7);
}

} // namespace

void display_reset_console(i32 w, i32 h) {
    frame_fill(0, w - 1, 0, h - 1, 8);
    if (!blankingareas) return;
    const bool fifty = emu_region == 1;
    const u8* p = fifty ? blanking_picture_50 : blanking_picture_60;
    const int last_blank = fifty ? 42 : 19, lines = fifty ? 312 : 262;
    copy_picture(p, 0, 6, 226);
    for (int l = 1; l <= last_blank; l++)
        copy_picture(p, l, 0, 226);
    copy_picture(p, last_blank + 1, 0, 48);
    for (int l = last_blank + 2; l < lines && l < h; l++)
        copy_picture(p, l, 6, 48);
}

void display_reset_pipbug(i32 w, i32 h) {
    if (showleds) led_strip(w, h - 43, h - 1);
    if (!blankingareas || pipbug_vdu != 3) return;
    paint_bands(
        518, 313,
        [](int x) {
            return x <= 83 ? PORCH : x <= 433 ? ACTIVE : x <= 482 ? PORCH : HSYNC;
        },
        [](int, int y) {
            return y <= 42 ? VBLANK : y <= 298 ? ACTIVE_LINE : y <= 309 ? VBLANK : VSYNC;
        });
}

void display_reset_binbug(i32 w, i32 h) {
    frame_fill(0, 575, 0, 255, text_background());
    if (showleds) led_strip(w, h - 30, h - 1);
    if (!blankingareas) return;
    paint_bands(
        768, 313,
        [](int x) {
            return x <= 575 ? ACTIVE : x <= 641 ? PORCH : x <= 701 ? HSYNC : PORCH;
        },
        [](int x, int y) {
            if (y <= 255) return ACTIVE_LINE;
            if ((y >= 282 && y <= 285) || (y == 281 && x >= 696) || (y == 286 && x <= 455))
                return VSYNC;
            return VBLANK;
        });
    // The last line is a half line.
    frame_fill(384, 767, 312, 312, 8);
}

void display_reset_twin(i32, i32) {
    frame_fill(0, 559, 0, 249, text_background());
    if (!blankingareas) return;
    paint_bands(
        700, 270, [](int x) { return x <= 559 ? ACTIVE : PORCH; },
        [](int, int y) { return y <= 249 ? ACTIVE_LINE : VBLANK; });
}

void display_reset_cd2650(i32, i32) {
    frame_fill(0, 639, 0, 191, text_background());
    if (!blankingareas) return;
    paint_bands(
        904, 264,
        [](int x) {
            return x <= 639 ? ACTIVE : x <= 711 ? PORCH : x <= 775 ? HSYNC : PORCH;
        },
        [](int, int y) {
            return y <= 191 ? ACTIVE_LINE : y <= 215 ? VBLANK : y <= 227 ? VSYNC : VBLANK;
        });
}

void display_reset_phunsy(i32 w, i32 h) {
    const int left = blankingareas ? 128 : 0;
    frame_fill(left, left + 383, 0, 255, text_background());
    if (showleds) led_strip(w, h - 42, h - 1);
    if (!blankingareas) return;
    paint_bands(
        512, 313,
        [](int x) {
            return x <= 25    ? PORCH
                   : x <= 57  ? HSYNC
                   : x <= 65  ? PORCH
                   : x <= 81  ? BURST
                   : x <= 127 ? PORCH
                              : ACTIVE;
        },
        [](int, int y) {
            return y <= 255 ? ACTIVE_LINE : y <= 268 ? VBLANK : y <= 272 ? VSYNC : VBLANK;
        });
}

void display_reset_pong(i32 w, i32 h) {
    frame_fill(0, w - 1, 0, h - 1, 8);
    if (!blankingareas) return;
    const int l2 = 2 * pong_field_left, r2 = 2 * pong_field_right + 1;
    const bool burst = colourset != 2;
    const bool fifty = emu_region == 1;
    paint_bands(
        w, h,
        [=](int x) {
            if (x <= 13) return PORCH;
            if (x <= 33) return burst ? BURST : PORCH;
            if (x < l2) return PORCH;
            if (x <= r2) return ACTIVE;
            if (x <= 237) return PORCH;
            return HSYNC;
        },
        [=](int, int y) {
            const int active0 = fifty ? 44 : 42, active1 = fifty ? 275 : 233;
            const int sync0 = fifty ? 306 : 258;
            if (y < active0) return VBLANK;
            if (y <= active1) return ACTIVE_LINE;
            if (y < sync0) return VBLANK;
            return VSYNC;
        });
}

void display_reset_selbst(i32 w, i32) {
    if (showleds) led_strip(w, 128, 182);
}

void display_build_blanking_pictures() {
    build_50();
    build_60();
}

void display_reset_frame() {
    display_frame_rewritten();
    const int w = machine_live_row().width, h = machine_live_row().height;
    if (w <= 0 || h <= 0 || w > GUEST_FRAME_COLUMNS || h > GUEST_FRAME_ROWS) return;
    if (const auto reset = machine_row().reset_frame) reset(w, h);
}
