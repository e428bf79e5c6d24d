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

// Malzak per-frame values taken at the start of each frame.
extern u8 malzak_collision_flag_frame; // (guest $14CA & $F0) | (guest $15CA >> 4)
extern i32 malzak_x_offset;            // 68 when guest $100A holds 6, else 0

// One frame of the Zaccaria (machine 8) or Malzak (machine 9) boards.
void coinop_run_frame();

// Start of frame: draw the board's playfield into the guest frame and mark
// the playfield and shell pixels in the first collision plane.
void zaccaria_draw_playfield(); // Astro Wars, Galaxia, Laser Battle/Lazarian
void malzak_draw_picture();

// Start of frame: host controls into coinop_inputs (and the input record).
void coinop_poll_inputs();
void malzak_poll_inputs();
