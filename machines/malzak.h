// The Malzak coin-op boards (map 26 Malzak 1, 27 Malzak 2): set-up from the ROM
// files in roms/, the Malzak 2 ROM banks and its non-volatile RAM file, and
// the board's ports (inputs, scroll latches, bank select).
#pragma once

#include "core/types.h"

struct GuestRom;
// The board's images in the roms/ drawer: Malzak 1 program, Malzak 2 program,
// Malzak 2 banks, tiles.
extern const GuestRom malzak_roms[4];

constexpr u32 MALZAK_NVRAM_SIZE = 257;
extern const char* const malzak_nvram_name; // "Malzak2.nvr", in the configuration drawer

extern u8 malzak_banks[6144]; // Malzak 2: bank region A 2 x 1 KB, then region B 2 x 2 KB
extern u8 malzak_tiles[8192]; // 256 tiles of 16 rows x 2 bytes
extern u8 malzak_bank_a, malzak_bank_b;
extern u8 malzak_v_scroll;       // vertical scroll latch (port 192)
extern u8 malzak_collision_flag; // object-on-playfield bits of both PVIs, taken each frame
extern i32 malzak_last_x, malzak_last_line; // last object-on-playfield position

void malzak_setup();
// Region 1: bank A into $0C00-$0FFF; region 2: bank B into $4400-$49FF.
void malzak_switch_rom_bank(int region);
// Whether guest memory holds a set-up Malzak 2's RAM; cleared when the
// machine is left, so that nothing saves another machine's memory, and when a
// played recording brings the RAM of its own board.
extern bool malzak_nvram_live;
// Before a state is written: on the way out, a board whose RAM came from a
// recording takes the user's RAM from the file again, so that the exit
// autosave does not bring the recording's RAM back as the user's.
void malzak_state_saving();
// Malzak 2: $1700-$17FF and the test switch into the file, atomically.
void malzak_save_nvram();

// The ports as the processor reaches them: each access ends with the
// debugger's port trace.
u8 malzak_io_read(u32 port);
void malzak_io_write(u32 port, u8 value);
