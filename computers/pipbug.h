// The PIPBUG's side of the processor bus: the teletype transmitter that FLAG
// drives, and how the monitor's text and calls are shown.
#pragma once

#include "cpu/bus.h"

// Serial transmit side (guest to terminal through FLAG).
extern i32 teletype_tx_state; // 0 idle, else the bit being sent
extern u32 teletype_tx_due;   // cpu_cycles when the next bit is sampled
extern u8 teletype_tx_byte;   // the character being assembled
extern u32 serial_bit_cycles; // clock periods per bit

// Fills cpu_bus for the PIPBUG (after cpu_bus_reset()).
void pipbug_bus_install();

// The serial computers' text: printable ASCII and the codes from 160 up.
u8 serial_guest_char(u8 code);
CpuCharStyle ascii_chars();
