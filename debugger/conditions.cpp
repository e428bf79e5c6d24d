// Breakpoint and watch conditions, run targets and time units.
#include "debugger/debugger.h"

#include <cstring>

WatchCondition bp_conditions[GUEST_MEMORY_SIZE];
WatchCondition watch_conditions[MEM_ATTR_SIZE];
PortRecord port_records[PORT_COUNT];

u32 dbg_time_unit;
u32 dbg_pixels_per_clock = 1;
const char* dbg_unit_label = "CPU cycles";
u32 cpu_tracing;
u32 dbg_run_to_interrupt;
u32 dbg_run_to_loop_end;

int dbg_test_condition(const WatchCondition& c, u32, int, int) { return c.condition == 0; }

u32 dbg_clocks_to_units(u32 clocks) { return clocks / 3; }

void dbg_clear_run_targets() {
    dbg_run_to_interrupt = 0;
    dbg_run_to_loop_end = 0;
}

void dbg_conditions_reset() {
    std::memset(bp_conditions, 0, sizeof bp_conditions);
    std::memset(watch_conditions, 0, sizeof watch_conditions);
    std::memset(port_records, 0, sizeof port_records);
    dbg_clear_run_targets();
    cpu_tracing = 0;
}
