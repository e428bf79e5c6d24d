// The PHUNSY's side of the processor bus: the selectable interrupt vectors and
// how the monitor's text and routines are shown.
#pragma once

#include "core/types.h"

extern u8 phunsy_irq_select; // bits 0-3 choose the interrupt vector

// Fills cpu_bus and cpu_debug_hooks for the PHUNSY (after cpu_bus_reset()).
void phunsy_bus_install();

// Where the chosen monitor program starts.
i32 phunsy_bios_entry();

// Whether the chosen monitor program reads a typewriter keyboard.
bool phunsy_typed_keyboard();
