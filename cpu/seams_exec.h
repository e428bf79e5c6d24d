// Services of other subsystems that the interpreter calls: guest I/O ports,
// machine state read at single instructions (raster line, TWIN and PHUNSY
// interrupt sources, the PIPBUG serial transmitter), sound and tape hooks, and
// the tracer's disassembly and window refresh.
//
// seams_exec.cpp holds weak stand-ins with the least behaviour each service
// needs; the owning subsystem's own definitions replace them at link time.
#pragma once

#include "cpu/cpu.h"

// Guest I/O ports: 0..255 extended, 256 control port, 257 data port.
u8 io_read_port(u32 port);
void io_write_port(u32 port, u8 value);

// Video: the raster line now being drawn.
extern i32 raster_line;
// Games database: row of the loaded game, -1 when unknown.
extern i32 known_game_id;
// Sound: derive the voices from the sound registers now (argument 0).
void snd_update_voices(int arg);
// Cassette: advance the sample clock before an instruction.
void tape_sample_tick();

// TWIN: one request flag per interrupt priority; which processor board runs;
// the master's HALT hands over to the slave; supervisor-call description.
extern u8 twin_irq_pending[32];
extern u32 twin_slave_active;
void twin_switch_to_slave();
void twin_describe_svc(int call);

// PHUNSY: bits 0-3 choose the interrupt vector.
extern u8 phunsy_irq_select;

// PIPBUG serial transmit side (guest to terminal through FLAG).
extern i32 teletype_tx_state;
extern u32 teletype_tx_due;
extern u8 teletype_tx_byte;
extern u32 serial_bit_cycles;

// Tracer: disassembly of the instruction at cpu_iar, its line end, register
// columns, processor view, next-instruction line; window refresh and redraw.
extern u32 dbg_single_step; // stop after the next instruction
void dis_instruction(int log, int no_label);
void dis_region_comment();
void trace_log_registers();
void dbg_view_cpu(int arg);
void dis_log_next_instruction();
void gui_refresh_windows(int arg);
void display_update_beam_marker(int arg);
void display_blit();
void emu_pause();
void gui_main_window_events();
