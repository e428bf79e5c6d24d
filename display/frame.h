// The guest frame and the display geometry.
//
// Every machine draws its picture as colour indices (0-23) into guest_frame,
// 904 columns of 356 rows, column-major: pixel (x, y) is byte x * 356 + y.
// display_plot_pixel stores a changed index and hands it to the current host
// plotter (display/host.h), so the host picture follows the frame.
//
// display_setup_geometry sets the frame size of every machine row, the VDU text
// geometry, the consoles' raster timing and the visible window from the
// machine, the video standard and the display options; display_reset_frame
// repaints the frame's fixed areas (text backgrounds, LED strips, blanking).
// Neither touches the host picture: the caller has it redrawn.
#pragma once

#include "core/emu.h"

struct MachineLive;

extern u8 guest_frame[GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS];

// The host plotter of one guest pixel; never null (an empty one at first).
using DisplayPlotter = void (*)(u32 x, u32 y, u32 colour);
extern DisplayPlotter plotter_fn;
// A run of n changed pixels on guest row y from column x: colours[0..n), or n
// times `colour` when colours is null. It writes the bytes plotter_fn would
// write pixel by pixel, row by row; the row plots use it only while
// plotter_fn is run_plotter_owner (the plotter it was chosen with).
using DisplayRunPlotter = void (*)(u32 x, u32 y, const u8* colours, u32 colour, u32 n);
extern DisplayRunPlotter run_plotter_fn;
extern DisplayPlotter run_plotter_owner;

// A row-major copy of the guest frame for the row plots, which compare a run
// with it in one sweep instead of cell by cell down the columns. On row y the
// columns [lo, hi) of frame_mirror_span[y] are known to hold what guest_frame
// holds; the pixel and row plots keep it so. Anything else that writes
// guest_frame calls display_frame_rewritten afterwards.
struct FrameMirrorSpan {
    u16 lo, hi;
};
extern u8 frame_mirror[GUEST_FRAME_ROWS * GUEST_FRAME_COLUMNS];
extern FrameMirrorSpan frame_mirror_span[GUEST_FRAME_ROWS];
void display_frame_rewritten();
// The whole guest frame cleared to the colour of a cleared frame.
void display_clear_frame();
// The guest frame kept aside as it stands, and back as kept (once).
void display_keep_frame();
void display_restore_frame();

// What changed in the guest frame since the host last showed it: a flag per
// row and per column that holds a changed pixel, the columns of the row plots'
// changes kept as the span [left, right) that holds them all. The pixel and
// row plots note what they change; a whole redraw, display_frame_rewritten
// and a new layout note everything. The host shows only the rows (the
// columns, turned) noted.
struct FrameChanges {
    u8 rows[GUEST_FRAME_ROWS];
    u8 columns[GUEST_FRAME_COLUMNS];
    u16 left, right;
};
extern FrameChanges frame_changes;
void display_note_all_changed();
void display_forget_changes(); // the host shows the frame as it stands

// A pixel that changed: stored in the frame and its mirror, noted, plotted.
void display_plot_changed(u32 x, u32 y, u32 colour);

// Stores the low byte of `colour` at (x, y) when it differs and then plots it.
// No range test: the caller keeps (x, y) inside the machine's frame.
inline void display_plot_pixel(u32 x, u32 y, u32 colour) {
    if (guest_frame[x * GUEST_FRAME_ROWS + y] != static_cast<u8>(colour))
        display_plot_changed(x, y, colour);
}

// Columns of pixels, which lie one after the other in the frame: the text
// screens put every pixel of a column at once, with its final colour.
// display_plot_column puts colours[0..n) down column x from row y, storing,
// noting and plotting only the pixels that differ, as display_plot_pixel does
// one by one; an unchanged column costs one comparison.
void display_plot_column(u32 x, u32 y, const u8* colours, u32 n);

// ---- Geometry ------------------------------------------------------------------
// Console raster timing (machines 0-2).
extern i32 lines_per_frame, first_visible_line, input_line, border_clocks;
// VDU text geometry of the terminal-style machines.
extern i32 vdu_columns, vdu_visible_rows, vdu_rows;
extern i32 vdu_cell_width, vdu_cell_height, vdu_glyph_width, vdu_glyph_height;
// First and last column of the ball-and-paddle playfield markings.
extern i32 pong_field_left, pong_field_right;
// Inclusive bounds of the visible window in the machine's raster positions,
// and the lines between first_visible_line and frame row 0 on the consoles.
extern i32 display_window_left, display_window_top, display_window_right, display_window_bottom;
extern i32 display_top_skip;

void display_setup_geometry();
// Sets `row`'s frame size: what the machines' display_geometry rows call.
void display_set_frame_size(MachineLive& row, i32 w, i32 h);

// Raster plots: through display_plot_pixel at (x - left, y - top) when (x, y)
// lies inside the visible window, else nothing.
inline void display_plot_clipped(i32 x, i32 y, u32 colour) {
    if (x < display_window_left || x > display_window_right || y < display_window_top ||
        y > display_window_bottom)
        return;
    display_plot_pixel(static_cast<u32>(x - display_window_left),
                       static_cast<u32>(y - display_window_top), colour);
}
void display_plot_beam(u32 colour);                // at (raster_clock, raster_line)
void display_plot_guest(i32 x, i32 y, u32 colour); // PVI pixel (x, y)
// A run of raster pixels on line y from clock x rightwards: colours[0..n) or
// n times one colour. Each pixel goes as display_plot_clipped would take it;
// the window is tested once for the run.
void display_plot_row(i32 x, i32 y, const u8* colours, i32 n);
void display_fill_row(i32 x, i32 y, i32 n, u32 colour);
// The part [*first, *last] of such a run that lies inside the window; false
// when none does (the row plots then do nothing). Inline: a caller whose run
// mostly lies outside (the consoles' border) asks before it works out the
// run's colour.
inline bool display_clip_row(i32 x, i32 y, i32 n, i32* first, i32* last) {
    if (n <= 0 || y < display_window_top || y > display_window_bottom) return false;
    *first = x > display_window_left ? x : display_window_left;
    *last = x + n - 1 < display_window_right ? x + n - 1 : display_window_right;
    return *first <= *last;
}
inline bool display_row_shown(i32 x, i32 y, i32 n) {
    i32 first, last;
    return display_clip_row(x, y, n, &first, &last);
}

// ---- Fixed areas ------------------------------------------------------------------
constexpr int BLANKING_CLOCKS = 227;
extern u8 blanking_picture_50[312 * BLANKING_CLOCKS]; // row-major: line * 227 + clock
extern u8 blanking_picture_60[262 * BLANKING_CLOCKS];
void display_build_blanking_pictures(); // once at start-up
void display_reset_frame();

// Text colours of the terminal-style machines, set by display_apply_palette.
extern u8 display_ink, display_paper;
