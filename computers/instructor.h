// The Instructor 50's side of the processor bus: the parallel port's toggle
// switches and lamps, the interrupt vector, the WRTC into the monitor, and
// the monitor's vectors in the debugger's reports.
#pragma once

#include "core/machine_ops.h"

// Fills cpu_bus and cpu_debug_hooks for the Instructor 50 (after cpu_bus_reset()).
void instructor_bus_install();

// Where LED digit `digit` is drawn in the frame.
LedDigitPlace instructor_led_digit_place(int digit);
