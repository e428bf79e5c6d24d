// The coin-op boards' picture: the line-by-line frame with its sprite engine
// and collision planes (coinop_frame.cpp), and the playfields drawn once at the
// start of each frame with the inputs polled beside them (coinop_playfield.cpp).
#pragma once

#include "core/types.h"

// One plane per PVI: 312 raster lines x 256 board columns. Bits 4-7: sprites
// 0-3 of that PVI; bit 3: playfield pixel and bit 2: shell pixel (first plane).
constexpr u32 COINOP_PLANE_LINES = 312;
constexpr u32 COINOP_PLANE_SIZE = COINOP_PLANE_LINES * 256;
constexpr u8 COINOP_PLANE_PLAYFIELD = 0x08;
constexpr u8 COINOP_PLANE_SHELL = 0x04;
extern u8 coinop_collision_planes[3][COINOP_PLANE_SIZE];

// Malzak per-frame values taken at the start of each frame: the collision
// flag (malzak_collision_flag, machines/malzak.h) = (guest $14CA & $F0) |
// (guest $15CA >> 4), and the x offset.
extern i32 malzak_x_offset; // 68 when guest $100A holds 6, else 0

// One frame of the Zaccaria (machine 8) or Malzak (machine 9) boards: 312
// lines, each a processor slice of 75 or 76 clock periods followed by one
// line of every PVI's sprites and the collision pass; vertical blank from
// line 269.
void coinop_run_frame();
// One line of processor time: the raster breakpoint test, then 75 clock
// periods when raster_line is a multiple of 3, else 76.
void coinop_run_line();
constexpr i32 COINOP_LINES = 312, COINOP_VBLANK_LINE = 269;

// The sprite engine: one record per PVI sprite, PVI-major (PVI p, sprite n at
// 4p + n). The engine's calls work on the PVI at pvi_base.
struct CoinopSprite {
    i32 x;          // board x of the left pixel; picture column x - 16
    i32 row;        // shape row shown, 0-9; -1 while not displayed
    i32 sub_line;   // lines of the current row already shown
    i32 scale;      // 1, 2, 4 or 8 pixels per bit and lines per row
    i32 start_line; // raster line on which the sprite starts this frame
    u8 colour;      // PVI colour 0-7
    u8 row_byte;    // the current row's pixels, bit 7 leftmost
};
extern CoinopSprite coinop_sprite_state[12];

// Number of PVIs and address of the first on the current memory map.
u32 coinop_pvi_count();
u32 coinop_first_pvi();
// Guest colour index of PVI colour c (0-7) on the current board.
u8 coinop_colour(u32 c);
// Picture row of raster line L: L - 16 (Astro Wars, Galaxia), L - 14 (Laser
// Battle, Lazarian) or L (Malzak).
i32 coinop_picture_row(i32 line);

void coinop_sprites_frame_reset();
void coinop_sprite_start(int pvi, int n);
void coinop_sprite_load_row(int pvi, int n);
void coinop_sprite_draw_line(int pvi, int n);
void coinop_sprite_advance(int pvi, int n);
void coinop_sprite_complete(int pvi, int n);
// The collision pass over the current raster_line (board x 9-255).
void coinop_check_collisions();
// One line of the frame after the processor's slice: every PVI's sprites at
// raster_line (started, drawn, advanced), then with "collisions" on the
// collision pass.
void coinop_sprites_line();

// Galaxia's sound counters stepped once per frame: the shot tone falls while
// it sounds, the siren cycles 1-12; each into its tone latch.
void galaxia_step_sound();

// Start of frame: draw the board's playfield into the guest frame and mark
// the playfield and shell pixels in the first collision plane.
void zaccaria_draw_playfield(); // Astro Wars, Galaxia, Laser Battle/Lazarian
void malzak_draw_picture();

// Start of frame: host controls into coinop_inputs (and the input record).
void coinop_poll_inputs();
void malzak_poll_inputs();
