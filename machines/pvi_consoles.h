// The PVI consoles' side of the processor bus (Interton VC 4000, Elektor TV
// Games Computer): the PVI's registers and their coverage bits, the values of
// unmapped bytes, the Elektor's random byte, the interrupt vector, the redraw
// reports and the Elektor's cassette message.
#pragma once

#include "cpu/bus.h"

extern u32 pvi_base; // guest address of the current PVI

// Fill cpu_bus for the Interton and the Elektor (after cpu_bus_reset()).
void interton_bus_install();
void elektor_bus_install();

// Coverage bit of the PVI register at `address` (PVI at pvi_base, sound and
// input registers at $1E80-$1E8E), 0 for other addresses. The coin-ops share it.
u32 pvi_coverage_bit(u32 address);
// Reports a read of the PVI's collision registers while the PVI draws.
void pvi_redraw_access(u32 address, u8 value, bool write);
// The PVI boards' interrupt vector: $0003.
bool pvi_interrupt_vector(CpuVector* vector);
