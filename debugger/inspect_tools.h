// The inspection tools: "=" (describe a value, list the labels), ERROR (a
// guest disk system's error text), IM (memory as bit pictures), REL (the
// operand of a relative branch), SWAP (exchange two blocks) and TRAIN (find a
// game's counter by comparing memory with a value).
#pragma once

#include "cpu/cpu.h"

// The value of the last TRAIN with a value; REG_NONE before the first.
extern u32 dbg_trainer_value;

// The five-letter coverage code of an address: A(indirect) E(xecuted)
// O(perand) R(ead) W(ritten), "-" for each flag that is clear; out: 6 bytes.
void dbg_coverage_code(u32 address, char* out);

void dbg_cmd_describe(); // =
void dbg_cmd_error();    // ERROR
void dbg_cmd_imagery();  // IM
void dbg_cmd_relative(); // REL
void dbg_cmd_swap();     // SWAP
void dbg_cmd_train();    // TRAIN

// Back to the start-up state (no trainer value).
void dbg_inspect_reset();
