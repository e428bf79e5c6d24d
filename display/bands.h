// Painting the fixed areas of a guest frame: plain fills, the broadcast bands
// of the blanking intervals, the LED strip below a picture. The machines'
// frame resets (their view rows' reset_frame) are built from these.
#pragma once

#include "display/frame.h"

// Which part of a raster line a column is in, and which part of the frame a
// line is in.
enum class ColumnBand : u8 { PORCH, HSYNC, BURST, ACTIVE };
enum class RowBand : u8 { ACTIVE_LINE, VBLANK, VSYNC };

// The colour of a (row band, column band) cell; -1: the machine's own picture.
inline constexpr int display_band_colours[3][4] = {
    {22, 4, 0, -1},
    {3, 6, 8, 23},
    {11, 14, 7, 2},
};
constexpr int display_band_colour(RowBand row, ColumnBand column) {
    return display_band_colours[static_cast<int>(row)][static_cast<int>(column)];
}

// Columns x0..x1 of rows y0..y1 of the guest frame set to `colour`.
void display_fill_area(int x0, int x1, int y0, int y1, u8 colour);

// Paints every cell of a w x h frame by its bands (column_band(x),
// row_band(x, y)); active by active is left.
template <class Col, class Row>
void display_paint_bands(int w, int h, Col column_band, Row row_band) {
    for (int x = 0; x < w; x++) {
        u8* col = &guest_frame[x * GUEST_FRAME_ROWS];
        const ColumnBand cb = column_band(x);
        for (int y = 0; y < h; y++) {
            const int c = display_band_colour(row_band(x, y), cb);
            if (c >= 0) col[y] = static_cast<u8>(c);
        }
    }
}

// The LED strip below a picture: two rows of 8, then the rest in 7.
void display_led_strip(int w, int first_row, int last_row);
