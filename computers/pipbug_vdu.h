// The PIPBUG's six video display units: their fonts and how vdu_text, the
// cursor and the blinking characters are drawn into the guest frame.
#pragma once

#include "core/types.h"

#include <string>

// The glyph rows of character `ch` (low 7 bits) in the font of VDU type
// `vdu`; leftmost dot in the highest used bit (bit 4 for 5-dot glyphs, bit 7
// for the VT100's 8-dot ones). vdu_font_rows gives the rows per glyph.
const u8* vdu_glyph(int vdu, u8 ch);
int vdu_font_rows(int vdu);
// The shared 5 x 7 glyph of codes $20-$5F (the printers use it too).
const u8* font5x7_glyph(u8 code);

// Colour index of a character: the highlight (19) for bit 7 without blinking
// on the types that have one, else the text colour.
u32 vdu_cell_colour(u8 ch);
// Draws every shown cell of the text screen (a drawn frame).
void pipbug_draw_screen();
// The DRAW-mode grid: every visible cell's outline in colour 8.
void pipbug_draw_cell_grid();
// The outline of every character cell of the text screen (colour 8), the
// screen drawn from (ox, oy): the debugger's DRAW grid.
void vdu_draw_cell_grid(i32 ox, i32 oy);
// What vdu_draw_cell_grid(ox, oy) draws on frame column x, put into
// column[0..n), which holds the frame's rows from `top` on: a screen drawn
// column by column takes the grid with it and so puts each pixel once.
void vdu_cell_grid_column(u8* column, u32 n, i32 x, i32 top, i32 ox, i32 oy);
// The pointer text: the text cell's row and column under (x, y).
void pipbug_describe_position(i32 x, i32 y, int click, std::string* out);
// The VDU type menu (ids 155-160): the type, a cleared screen, the new geometry.
void vdu_select_type(int menu_id);
