// Weak stand-ins for the services of cpu/seams_exec.h. Each does the least its
// owner promises: ports without a device read 0 and keep the last value
// written, hooks do nothing, and the tracer's text output is silent.
#include "cpu/seams_exec.h"

#include "debugger/debugger.h"

#define WEAK __attribute__((weak))

WEAK u8 io_read_port(u32) { return 0; }
WEAK void io_write_port(u32 port, u8 value) {
    if (port < PORT_COUNT)
        port_records[port].last_value = value;
}

WEAK i32 raster_line;
WEAK i32 known_game_id = -1;
WEAK void snd_update_voices(int) {}
WEAK void tape_sample_tick() {}

WEAK u8 twin_irq_pending[32];
WEAK u32 twin_slave_active;
WEAK void twin_switch_to_slave() {}
WEAK void twin_describe_svc(int) {}

WEAK u8 phunsy_irq_select;

WEAK i32 teletype_tx_state;
WEAK u32 teletype_tx_due;
WEAK u8 teletype_tx_byte;
WEAK u32 serial_bit_cycles = 3333;

WEAK u32 dbg_single_step;
WEAK void dis_instruction(int, int) {}
WEAK void dis_region_comment() {}
WEAK void trace_log_registers() {}
WEAK void dbg_view_cpu(int) {}
WEAK void dis_log_next_instruction() {}
WEAK void gui_refresh_windows(int) {}
WEAK void display_update_beam_marker(int) {}
WEAK void display_blit() {}
WEAK void emu_pause() {}
WEAK void gui_main_window_events() {}
