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

// Fill cpu_bus and cpu_debug_hooks for the board of the current memory map
// (after cpu_bus_reset()).
void zaccaria_bus_install();
void malzak_bus_install();

// At the end of every frame with "autocoin" on: when the game is out of
// credits, holds coin A for 5 frames, then waits 100 (Astro Wars, Galaxia) or
// 10 frames before looking again.
void coinop_auto_coin();
// The collision latch, the Galaxia sound counters and the auto-coin countdown
// cleared (machine reset).
void coinop_clear_latches();
// Credits the running game shows (its own RAM byte or, on Malzak, two digits).
u32 coinop_credits();
