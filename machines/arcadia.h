// The Arcadia's side of the processor bus: the UVI's registers and their
// coverage bits, the unmapped bytes, and the redraw reports.
#pragma once

#include "core/types.h"

// Fills cpu_bus for the Arcadia (after cpu_bus_reset()).
void arcadia_bus_install();
// Coverage bit of the UVI register at `address`, 0 for other addresses.
u32 arcadia_coverage_bit(u32 address);
