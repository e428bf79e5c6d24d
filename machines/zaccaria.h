// The Zaccaria coin-op boards: Astro Wars (map 22), Galaxia (23), Laser Battle
// (24) and Lazarian (25). Their set-up lays the game's ROM files from roms/
// into guest memory and fills the attribute and mirror tables; the ports hand
// the inputs, DIP switches and the collision latch to the processor and latch
// the scroll, the Laser Battle/Lazarian video and tone latches and the sound
// triggers.
#pragma once

#include "core/machine_debug.h"
#include "core/types.h"

#include <cstdint>

#include "core/guest_roms.h"

// ROM files of each game (program first), with their sizes.
constexpr u32 ZACCARIA_MAX_ROMS = 3;
// Index by memory map - 22; unused entries have no name.
extern const GuestRom zaccaria_roms[4][ZACCARIA_MAX_ROMS];

// Character and graphics images of the game set up last (0 where missing).
extern u8 zaccaria_chars[6144]; // Astro Wars 2048, Galaxia 2 x 1024, Laser Battle/Lazarian 3 x 2048
extern u8 zaccaria_sprites[2048]; // Laser Battle/Lazarian: 8 codes x 32 rows x 8 bytes

// Laser Battle / Lazarian latches written through the ports.
struct LaserBattleLatches {
    u8 sprite_code, two_bits, sprite_enable, tone_data;
    u8 sprite_x, sprite_y, input_mux;
    u8 right_line, left_line, single_point, invert_right, invert_left, colour_mode;
};
extern LaserBattleLatches laserbattle;

extern u8 coinop_collision_latch; // port 256, cleared by reading port 257
extern std::int8_t coinop_scroll; // Astro Wars/Galaxia: 255 - the value written to port 0
extern u8 galaxia_shot_counter;   // 0-255
extern u8 galaxia_cycle_counter;  // 0 stopped, else 1-12
extern i32 coinop_autocoin_countdown;

// The coin-op input flags, rebuilt every frame.
struct CoinopInputs {
    u32 start1, start2, coin_a, coin_b;
    u32 left, right, up, down, left2, right2;
    u32 button1, button2, button3, button4;
};
extern CoinopInputs coinop_inputs;
extern i32 coinop_coin_hold; // frames the coin A slot is held by auto-coin

void zaccaria_setup_astro_wars();
void zaccaria_setup_galaxia();
void zaccaria_setup_laser_battle(); // maps 24 and 25

// What the processor's reports and the disassembler ask of the boards: the
// current game's character set.
extern const CpuDebugHooks zaccaria_debug_hooks;
// The character codes the debugger's character literals search: the current
// game's set (0 for a map without one).
u32 zaccaria_literal_codes();

// The debugger's VIEW words: Laser Battle's and Lazarian's PSG has no dump yet.

// The ports as the processor reaches them: each access ends with the
// debugger's port trace.
u8 coinop_io_read(u32 port);
void coinop_io_write(u32 port, u8 value);
// What a read of `port` gives (with its side effects), without the trace: for
// the board's own copies of its inputs.
u8 coinop_port_value(u32 port);
