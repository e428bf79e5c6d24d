// The host picture: palettes and pens, the layout (scale, stretch, rotation,
// scanlines, filter), the 44 pixel plotters writing pens into the 8-bit
// chunky buffer, the full redraw, the copy to the main window's display
// gadget, the Scale2x-family filters and the beam marker.
//
// The buffer is always the size the current machine and layout need: the
// layout is recomputed by display_select_plotter and by the geometry, so a
// plotter never writes outside it. Pens are colour-table entries of the
// display gadget (every pen is owned); recolouring is a table update.
#pragma once

#include "core/emu.h"

#include <cstdint>

// ---- Palettes and pens -------------------------------------------------------------
constexpr int PALETTE_SETS = 6, GUEST_COLOURS = 24, EXTRA_PENS = 18;
constexpr int HOST_PENS = GUEST_COLOURS + EXTRA_PENS;
extern const u32 palette_rgb[PALETTE_SETS][GUEST_COLOURS]; // 0x00RRGGBB

void palette_set_colour(int set, int colour, bool apply); // back to the built-in value
u8 palette_get_red(int set, int colour);
u8 palette_get_green(int set, int colour);
u8 palette_get_blue(int set, int colour);
void palette_set_red_grey(int set, int colour, u8 value);
void palette_set_green_grey(int set, int colour, u8 value);
void palette_set_blue_grey(int set, int colour, u8 value);
void palette_reset(); // every working colour back to the built-in sets

extern u8 display_pens[GUEST_COLOURS];
extern bool display_pens_owned[GUEST_COLOURS];
extern bool display_own_pens;
extern u8 display_extra_pens[EXTRA_PENS];
extern u32 display_extra_pens_quad[EXTRA_PENS];
// 0x00RRGGBB of extra pen `pen` (0 .. EXTRA_PENS-1), the tool windows' colours.
u32 display_extra_pen_rgb(int pen);
// The plotter pen tables, by colour index (entries above 23 hold black).
extern u8 pen_byte[256];
extern u16 pen_double[256];
extern u32 pen_quad[256];
extern u64 pen_oct[256]; // the pen in all eight bytes
// 0x00RRGGBB of every host pen, as handed to the display gadget.
extern u32 display_colour_table[HOST_PENS];

void display_obtain_pens();
void display_release_pens();
void display_realloc_pens();
void display_apply_palette();

// ---- Layout and plotters ---------------------------------------------------------
extern u32 display_layout;                     // (scale - 1) * 2 + (stretch - 1)
extern u32 display_mirror;                     // guest width - 1 while rotated
extern i32 display_host_width;                 // guest width * picture scale * stretch
extern i32 display_host_height;                // guest height * picture scale
// The largest picture scale the plotters draw.
constexpr u32 DISPLAY_MAX_PICTURE_SCALE = 12;
// The current machine's picture zoom (its view's, 1 where the zoomed picture
// would not fit the buffer), and the host rows a guest row takes: the scale
// (1 to 6) times that zoom. The plotters, the filters, the grid and the
// magnifier all draw at the picture scale.
u32 display_zoom();
u32 display_picture_scale();
extern i32 display_stride;                     // host width rounded up to 16
extern u8* display_buffer;                     // stride * height pens
extern u8* display_rows[6 * GUEST_FRAME_ROWS]; // start of every host row
// The room the picture has on the screen, which the layout fits it into: the
// screen's, less what the main window needs beside the picture (set by the
// main window's keeper).
extern i32 display_screen_width, display_screen_height;
// The largest scale (at most `most`) and stretch (`wanted`, else 1) at which
// the current machine's picture fits `width` x `height`; 1 and 1 when none does.
void display_fit_in_room(i32 width, i32 height, u32 most, u32 wanted, u32* scale, u32* stretch);
// The stretch the picture is shown at (1 or 2): the user's, or 1 where the
// room on the screen is too narrow for it.
u32 display_stretch();
// The window and gadget that show the picture; 0 while none is open.
extern int display_host_window, display_host_gadget;

void display_compute_layout();
void display_select_plotter();
void display_alloc_bitmap();
void display_free_bitmap();
// Whether the picture has dark gap rows: the scanline setting is on, the
// scale is above 1 and the machine draws its scanlines as rows (never on the
// LED-only displays, whatever the setting says). Every drawer asks this.
bool display_scanline_gaps();
void display_scanline_prepass();
// The picture part of the full redraw: the scanline pass and every guest
// pixel into the buffer (no marker, no copy; works without a window).
void display_redraw_picture();
void display_redraw_all();
void display_blit();
// The host rows that the guest frame's changes since the last call reach (the
// shown rows changed, and their neighbours under the filter) brought up to
// date where the plotters do not draw (the grid, the filter), handed to
// `show` band by band, first row and count (none: once with no rows); then
// the changes are forgotten.
void display_update_changed_rows(void (*show)(i32 first, i32 count));
// Set only by tests and benches: every update takes the whole picture.
extern bool display_update_whole;

// ---- Filters -----------------------------------------------------------------------
// The shown rows [first, last] (guest columns while turned) through the
// filter of the current scale, each worked out from the rows around it.
void display_filter_rows(i32 first, i32 last);

// ---- Beam marker --------------------------------------------------------------------
// erase 0: move the marker to the beam; erase 1: remove it and forget it.
void display_update_beam_marker(int erase);
void display_draw_line(i32 x0, i32 y0, i32 x1, i32 y1, bool erase);
void display_beam_marker_reset();
