// Shared between the save-state walk and its per-machine tails.
#pragma once

#include "cpu/cpu.h"

// The tail of machine `m` with memory map `map`, at the cursor.
void state_machine_tail(u32 m, u32 map);

// The clock periods of machine m's longest frame: the most a saved cycle budget,
// beam position or line length may hold.
i32 state_frame_limit(u32 m);
