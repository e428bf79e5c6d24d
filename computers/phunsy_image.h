// The PHUNSY's game images and save states: where the load blocks of a known
// game go (main memory, the U banks from $8000, the Q banks from $10000 in
// the database's addresses), the monitor's variables a loaded program
// expects, and the banks around a save state.
#pragma once

#include "core/types.h"

struct KnownGame;

// Whether the load blocks of a known game fit a file of `size` bytes and
// their places.
bool phunsy_blocks_fit(const KnownGame& game, u32 size);
// The warning for a known game whose blocks do not fit, nullptr when they do.
const char* phunsy_image_refused(const KnownGame& game, u32 size);
// Lays the image in the file buffer into memory and the banks.
void phunsy_map_image(bool known);
// A BASIC program (language 3) from a BIN file is started with OLD and RUN.
void phunsy_run_loaded(int kind, u8 language);
// The selected banks are copied out before a state is written, and selected
// anew after one was read.
void phunsy_before_state_save();
void phunsy_after_state_load();
