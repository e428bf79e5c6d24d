// The BINBUG's side of the processor bus: the fast serial input of monitor
// 2 and how the monitor's text and calls are shown; pasted text.
#pragma once

#include "core/types.h"

// Fills cpu_bus, cpu_debug_hooks and the machine's address traps (after
// cpu_bus_reset()).
void binbug_bus_install();
// A pasted character: a line feed as a carriage return.
int binbug_paste_char(u8 c, u8* out);
