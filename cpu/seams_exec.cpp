// Stand-ins for the services of cpu/seams_exec.h until their owners write them.
// The real ones draw the raster, retune the sound voices, clock the cassette,
// run the TWIN and PHUNSY interrupt sources and the PIPBUG transmitter, step
// the debugger and redraw its views. These do the least: hooks do nothing, no
// TWIN or PHUNSY source is pending, the PIPBUG transmitter is idle at 300 baud,
// and no single step is requested.
#include "cpu/seams_exec.h"

i32 raster_line;
void snd_update_voices(int) {}
void tape_sample_tick() {}

u8 twin_irq_pending[32];
u32 twin_slave_active;
void twin_switch_to_slave() {}
void twin_describe_svc(int) {}

u8 phunsy_irq_select;

i32 teletype_tx_state;
u32 teletype_tx_due;
u8 teletype_tx_byte;
u32 serial_bit_cycles = 3333;

u32 dbg_single_step;
void dbg_view_cpu(int) {}
void display_update_beam_marker(int) {}
void gui_refresh_windows(int) {}
