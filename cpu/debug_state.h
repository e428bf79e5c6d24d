// Debugger state the processor consults on its own: breakpoint and watch
// conditions, the port records, the time units and the run targets.
#pragma once

#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"

// The condition of a breakpoint or watchpoint. target is a guest address, a
// register pseudo-address MEM_REG_BASE + n, or (in port mode) a port number.
// condition: 0 always, 1 <, 2 <=, 3 ==, 4 !=, 5 >=, 6 >, 7 bits of value changed.
struct WatchCondition {
    u32 target;
    u8 condition;
    u16 value;
};

// Condition codes
constexpr u8 COND_ALWAYS = 0;
constexpr u8 COND_LT = 1;
constexpr u8 COND_LE = 2;
constexpr u8 COND_EQ = 3;
constexpr u8 COND_NE = 4;
constexpr u8 COND_GE = 5;
constexpr u8 COND_GT = 6;
constexpr u8 COND_CHANGED = 7;

extern WatchCondition bp_conditions[GUEST_MEMORY_SIZE]; // one per code address
extern WatchCondition watch_conditions[MEM_ATTR_SIZE];  // guest addresses and MEM_REG_BASE + n

// Guest I/O ports 0..257 (256 control port, 257 data port).
constexpr u32 PORT_COUNT = 258;
struct PortRecord {
    u8 last_value;
    u8 watched;
    WatchCondition condition;
};
extern PortRecord port_records[PORT_COUNT];

// Nonzero when the condition holds. has_new_value tells whether new_value is a
// value about to be written (only condition 7 looks at it); port_mode takes the
// current value from port_records[target] instead of memory or a register.
int dbg_test_condition(const WatchCondition& condition, u32 new_value, int has_new_value,
                       int port_mode);

// Time units
extern u32 dbg_time_unit;        // 0 processor cycles, 1 clock periods, 2 pixels
extern u32 dbg_pixels_per_clock; // pixels per clock period
extern const char* dbg_unit_label;
u32 dbg_clocks_to_units(u32 clocks);
// The same without the cut to 32 bits (pixels can count past them).
u64 dbg_clocks_to_units_wide(u32 clocks);

// Run control state
extern u32 dbg_single_step;      // stop after the next instruction
extern u32 cpu_tracing;          // "CPU tracing"
extern u32 dbg_run_to_interrupt; // "R I"
extern u32 dbg_run_to_loop_end;  // "R L"
extern u32 dbg_run_to_frame;     // step to the next frame
extern i32 raster_break_line;    // "R R" and "R <line>": the line to stop at, RASTER_NO_BREAK none
constexpr i32 RASTER_NO_BREAK = -99;
// Clears the run targets (the raster line too) and the frame-step and single-step requests.
void dbg_clear_run_targets();
// Called by the raster machines once per line, after the line counter has
// advanced: reports and pauses when the line is the one asked for. Inline: the
// usual answer is a single compare.
void dbg_raster_breakpoint_reached();
inline void dbg_check_raster_breakpoint() {
    if (raster_line == raster_break_line) [[unlikely]]
        dbg_raster_breakpoint_reached();
}

// Clears the conditions, run targets and time-unit state.
void dbg_conditions_reset();
