// Breakpoint and watch conditions, run targets and time units.
#include "cpu/debug_state.h"

#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"

#include <cstring>

WatchCondition bp_conditions[GUEST_MEMORY_SIZE];
WatchCondition watch_conditions[MEM_ATTR_SIZE];
PortRecord port_records[PORT_COUNT];

u32 dbg_time_unit;
u32 dbg_pixels_per_clock = 1;
const char* dbg_unit_label = "CPU cycles";
u32 dbg_single_step;
u32 cpu_tracing;
u32 dbg_run_to_interrupt;
u32 dbg_run_to_loop_end;
u32 dbg_run_to_frame;
i32 raster_break_line = RASTER_NO_BREAK;

// The value a condition compares: a port's last value, a register or a memory byte.
static u32 current_value(u32 target, int port_mode) {
    if (port_mode) return target < PORT_COUNT ? port_records[target].last_value : 0;
    if (target >= MEM_REG_BASE && target < MEM_REG_BASE + MEM_REG_COUNT) {
        const u32 n = target - MEM_REG_BASE;
        if (n <= 6) return cpu_regs[n];
        switch (n) {
        case 7:
            return cpu_psu;
        case 8:
            return cpu_psl;
        case 9:
            return cpu_psu & PSU_SP;
        case 10:
            return cpu_psl >> 6;
        case 11:
            return cpu_iar;
        default:
            return cpu_ras[n - 12];
        }
    }
    return guest_memory[target & (GUEST_MEMORY_SIZE - 1)];
}

int dbg_test_condition(const WatchCondition& c, u32 new_value, int has_new_value, int port_mode) {
    const u32 current = current_value(c.target, port_mode);
    switch (c.condition) {
    case COND_ALWAYS:
        return 1;
    case COND_LT:
        return current < c.value;
    case COND_LE:
        return current <= c.value;
    case COND_EQ:
        return current == c.value;
    case COND_NE:
        return current != c.value;
    case COND_GE:
        return current >= c.value;
    case COND_GT:
        return current > c.value;
    case COND_CHANGED:
        return !has_new_value || ((new_value ^ current) & c.value) != 0;
    default:
        return 0;
    }
}

u64 dbg_clocks_to_units_wide(u32 clocks) {
    switch (dbg_time_unit) {
    case 0:
        return clocks / 3;
    case 1:
        return clocks;
    case 2:
        return static_cast<u64>(clocks) * dbg_pixels_per_clock;
    default:
        return 0;
    }
}

u32 dbg_clocks_to_units(u32 clocks) {
    return static_cast<u32>(dbg_clocks_to_units_wide(clocks));
}

void dbg_clear_run_targets() {
    dbg_single_step = 0;
    dbg_run_to_interrupt = 0;
    dbg_run_to_loop_end = 0;
    dbg_run_to_frame = 0;
    raster_break_line = RASTER_NO_BREAK;
}

void dbg_raster_breakpoint_reached() {
    con_printf("Reached raster line %ld.\n\n", static_cast<long>(raster_line));
    dbg_request_pause(PAUSE_ALWAYS);
    dbg_pause_loop(); // between instructions: the line's first one waits
}

void dbg_conditions_reset() {
    std::memset(bp_conditions, 0, sizeof bp_conditions);
    std::memset(watch_conditions, 0, sizeof watch_conditions);
    std::memset(port_records, 0, sizeof port_records);
    dbg_clear_run_targets();
    cpu_tracing = 0;
    dbg_time_unit = 0;
    dbg_pixels_per_clock = 1;
    dbg_unit_label = "CPU cycles";
}
