// The coin-op boards' side of the processor bus: the Zaccaria boards (Astro
// Wars, Galaxia, Laser Battle, Lazarian) and the Malzak boards, whose colour,
// palette, effect and playfield RAMs sit behind routed bytes.
#pragma once

#include "core/types.h"

extern u8 coinop_colour_ram[1024]; // Zaccaria colour RAM
extern u8 coinop_palette_ram[16];  // Zaccaria palette RAM
extern u8 coinop_effect_ram[512];  // Laser Battle / Lazarian effect RAM
extern u8 coinop_effect_select;    // 1: effect RAM selected
extern u8 malzak_playfield[256];   // Malzak playfield
extern i32 malzak_scroll;          // Malzak horizontal scroll

// Fill cpu_bus for the board of the current memory map (after cpu_bus_reset()).
void zaccaria_bus_install();
void malzak_bus_install();
