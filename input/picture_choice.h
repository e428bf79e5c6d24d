// The main window's machine picture for a game or memory map, and the
// colour class of a value in the processor monitor.
#pragma once

#include "core/types.h"

// The interface image of the loaded program's picture: a games-database row
// `game` whose picture field holds 0-59 gives image 319 plus that field;
// otherwise (no game, -1, or no picture of its own) memory map `memmap`'s
// machine picture. A map out of range gives 0.
int game_image_number(int game, int memmap);

// The colour class of processor-monitor row `row` that shows `address` (a
// guest address, a register pseudo-address, or 0x10014 for none). `psu`
// holds the PSU of the first and second processor (the TWIN's second, else
// any) as the return-address-stack rows need it. Writes the class to both
// outputs and returns 1; returns 0 and writes nothing for a row that shows
// nothing.
int monitor_label_pen(int row, u32 address, const u8 psu[2], int* pen_a, int* pen_b);
