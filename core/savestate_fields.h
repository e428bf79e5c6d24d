// Field helpers that the machines' save-state tails share (each machine's
// serialise operation, core/machine_ops.h). Values that size or select later
// fields are taken from the field operation's result, so that a dry read
// (which stores nothing) follows the same path as a real one.
#pragma once

#include "core/serial.h"

struct CpuState;

// Whether the walk reads a state, and whether what it reads is stored.
bool state_reading();
bool state_applying();

// A one-byte setting with a range: out-of-range values mark the state bad.
void state_setting_byte(u32* variable, u32 max, const char* what);
void state_setting_byte(i32* variable, u32 max, const char* what);

// The monitor (BIOS) a state ran on, 0..max (larger marks the state bad);
// returns the value written or read. Applied, a monitor other than the running
// one becomes the running one, and `take` (given the one before) puts back its
// ROM, memory map and debugger rows: the state's memory was made under it.
u32 state_monitor_field(u32* version, u32 max, const char* what, void (*take)(u32 was));
u32 state_monitor_field(i32* version, u32 max, const char* what, void (*take)(u32 was));

// The beam's clock periods into its line, -1 when none is kept; machine m's
// longest frame bounds it.
void state_beam_clock_field(u32 m);
// The line length in clock periods, applied when read.
void state_line_length_field(u32 m);

// A board latch of one byte that holds 0..max; larger values mark the state bad.
void state_latch_byte(u8* latch, u32 max, const char* what);

// A latch kept in a wider variable, stored as one byte.
template <typename T> void state_latch_byte_of(T* latch, u32 max, const char* what) {
    u8 v = static_cast<u8>(*latch);
    state_latch_byte(&v, max, what);
    if (state_applying()) *latch = static_cast<T>(v);
}

// The return addresses processor `cpu` holds (cpu_ras_held), in two bytes that
// states of earlier versions left zero: the count with a mark, and its
// complement. Reading gives the count, or -1 from a state without one; a
// marked count above 8 marks the state bad.
int state_ras_held_field(const CpuState& cpu);
// What a state gives `cpu`, whose PSU has been read: the count `held` read,
// or, from a state without one, as many as its stack pointer tells.
void state_ras_held_apply(CpuState& cpu, int held);
