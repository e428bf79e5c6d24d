// The coin-op boards' playfields, drawn once at the start of every frame into
// a 240 x 240 picture of their own (guest colours 0-7, 7 the blank colour)
// whose changed pixels then go to the guest frame, with the pixels that the
// sprites collide with marked in the first collision plane:
//
// - Astro Wars and Galaxia: a 30 x 30 map of 8 x 8 tiles at $1800 with a
//   colour attribute per tile (coinop_colour_ram), Galaxia's scrolling band
//   of columns 32-111, the shells (bullets) of the shell RAM and the stars.
// - Laser Battle and Lazarian: tiles of three bit-planes over the two lines
//   of the effect RAM, and the board's own 32 x 32 sprite.
// - Malzak: the SAA5050 teletext page at $1800 under a scrolling map of
//   16 x 16 tiles (malzak_playfield).
//
// zaccaria_draw_playfield and malzak_draw_picture (machines/coinop_video.h)
// are the entries; the parts below are public for the frame and the tests.
#pragma once

#include "core/types.h"

// The star field, built by each Astro Wars and Galaxia set-up from a 32-bit
// shift register; the scroll counter moves it on by one each frame.
constexpr u32 COINOP_MAX_STARS = 250;
extern u32 coinop_star_x[COINOP_MAX_STARS]; // 0-511
extern u32 coinop_star_y[COINOP_MAX_STARS]; // 0-255
extern u32 coinop_star_count;
extern u32 coinop_star_scroll;
void coinop_build_starfield();

// The playfield being drawn, column-major (pixel (x, y) at x * 240 + y);
// each board's pass ends by handing the pixels that changed to the guest
// frame (coinop_commit_picture).
extern u8 coinop_picture[240 * 240];
void coinop_commit_picture();

void coinop_render_a();              // Astro Wars
void coinop_render_b();              // Galaxia
void coinop_draw_shells_and_stars(); // end of both passes above
void zaccaria_render_laser_battle(); // Laser Battle and Lazarian

// Galaxia: the colour of pixel value v (0-3) of tile `code` under the colour
// attribute `attribute` (its low two bits choose the group).
u8 galaxia_tile_colour(u8 code, u8 attribute, u32 v);

void malzak_render_screen();
void malzak_render_text();
// One text cell at picture (x, y): the glyph of `ch` (32-127) in teletext
// colours fg on bg (0-7), ten picture rows high, or twenty with double height.
void malzak_draw_text_char(i32 x, i32 y, u8 ch, u32 fg, u32 bg, bool mosaic, bool double_height);
// One 16 x 16 tile of `code` with its top left corner at picture (x, y).
void malzak_draw_tile(u8 code, i32 x, i32 y);
