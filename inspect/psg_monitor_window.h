// The real-time PSG monitor (tool window TW_PSG): the registers of the
// expanded Elektor's two AY-3-8910s ($1D00..$1D1F), refreshed after every
// frame. A click edits a register (a tone or envelope period as one 16-bit
// value), a middle click sets or clears a watchpoint on it. Machines without
// PSGs open nothing.
//
//   psg_monitor_window_register();  // once: gui_subwin_ops[TW_PSG]
#pragma once

#include "core/types.h"

void psg_monitor_window_register();
void mon_open_psg_window();
void mon_psg_refresh(int force);
// The number of hex digits row `row` (244..267) shows: 4 for the register
// pairs, else 2.
int mon_psg_row_digits(int row);
// The value of a PSG row as guest memory holds it (pairs low byte first).
u16 mon_psg_row_value(int row);
