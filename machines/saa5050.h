// The SAA5050 teletext character generator: 6 x 10 pixel cells for the
// character codes 32 to 127, in two sets.
//
// - The English alphanumeric set: the printable ASCII characters, with the
//   English national characters in place of some of them (35 pound sign,
//   91 left arrow, 92 one half, 93 right arrow, 94 up arrow, 95 hash, 96 long
//   dash, 123 one quarter, 124 double bar, 125 three quarters, 126 divide,
//   127 a solid block).
// - The contiguous mosaic (block graphics) set for the codes with bit 5 set:
//   the cell is split into two columns of three pixels and rows of 3, 4 and 3
//   lines; code bits 0/1 fill the top left/right block, bits 2/3 the middle,
//   bits 4/6 the bottom.
//
// A row is six pixels with bit 5 the leftmost.
//
//   for (int row = 0; row < SAA5050_ROWS; row++) {
//       const u8 pixels = saa5050_alpha_row('A', row);
//       ...
//   }
#pragma once

#include "core/types.h"

constexpr int SAA5050_COLUMNS = 6;
constexpr int SAA5050_ROWS = 10;

// Row 0-9 of the alphanumeric glyph of `code` (32-127; other codes are blank).
u8 saa5050_alpha_row(u8 code, int row);
// All ten rows of it at once.
const u8* saa5050_alpha_rows(u8 code);
// Row 0-9 of the contiguous mosaic glyph of `code` (its bits 0-4 and 6).
u8 saa5050_mosaic_row(u8 code, int row);
