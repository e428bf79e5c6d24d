// The Elektor TV Games Computer: memory maps 4 (basic) and 5 (expanded),
// its monitor ROM in two versions and the expansion ROM (read from the
// program home's roms/ drawer), set-up, reset, and ".eof" cassette-block
// files. Its frame and inputs are the PVI consoles' (machines/pvi_consoles.h).
#pragma once

#include "core/machine_debug.h"
#include "core/types.h"

#include <span>
#include <string>

constexpr u32 ELEKTOR_BIOS_SIZE = 2048, ELEKTOR_EXPANSION_SIZE = 512;
struct GuestRom;
// Images in the roms/ drawer: BIOS version 0, version 1, expansion ROM.
extern const GuestRom elektor_roms[3];

void elektor_setup();
// A state's BIOS (elektor_biosversion) replaced another: its ROM, its
// debugger rows and the ports it reaches come back; the RAM is the state's.
void elektor_take_bios(u32 was);
void elektor_reset();

// Known games that need a byte of the monitor's RAM set before they start:
// at reset the row named by the game's reset_patch ORs `mask` into the byte
// at address + 4 x reset_patch_step.
struct ElektorResetPatch {
    u16 address;
    u8 mask;
};
extern const std::span<const ElektorResetPatch> elektor_reset_patches;
// Applies row `row` of `table` with `step`; false (nothing written) when the
// row is -1 or not in the table, or the byte lies outside guest memory.
bool elektor_apply_reset_patch(std::span<const ElektorResetPatch> table, int row, int step);

// ---- ".eof" files --------------------------------------------------------------------
// The block check character of buffer[first..last]; 0 when first > last.
u8 eof_block_checksum(i32 first, i32 last, const u8* buffer);
// Writes guest memory first..last as blocks of at most `block_size` bytes
// (never across an 8 KB page) and an end block with `start`: 1 written, 0 not.
int elektor_save_eof(const std::string& name, u32 first, u32 last, u32 start, u32 block_size);
// The debugger saves Elektor objects as ".eof" files of 16-byte blocks.
extern const ObjectFormat elektor_object_format;
// The loader's two steps: parse checks the file buffer and keeps its blocks
// (nonzero: accepted), commit writes them into guest memory.
int elektor_parse_eof(u32 size);
void elektor_commit_eof();
