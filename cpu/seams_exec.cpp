// Weak stand-ins for the services of cpu/seams_exec.h. Each does the least its
// owner promises: hooks do nothing, no TWIN or PHUNSY source is pending, the
// PIPBUG transmitter is idle at 300 baud, and no single step is requested.
#include "cpu/seams_exec.h"

#define WEAK __attribute__((weak))

WEAK i32 raster_line;
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
WEAK void dbg_view_cpu(int) {}
WEAK void display_update_beam_marker(int) {}
WEAK void gui_refresh_windows(int) {}
