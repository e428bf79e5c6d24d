// The PIPBUG machine: a 2650 with a monitor ROM that talks to its terminal
// over a bit-serial line. The guest reads the keyboard through SENSE and
// sends characters by toggling FLAG, one bit at a time, with delay loops
// timed for the chosen baud rate; the monitor's delay constants are patched
// for that rate. Ports drive the LED strip, the printers and the laboratory
// instruments (by "pipbug_peripheral").
//
// Monitor ROMs are read from PROGDIR:roms (pipbug_roms); a missing one is
// reported once and its area stays empty.
#pragma once

#include "core/machine_view.h"

#include "cpu/dbg_hooks.h"

// Serial line, in clock periods of cpu_cycles.
extern u32 serial_bit_cycles; // one bit: 9091 at 110 baud, 3333 at 300, 208 at 4800
// Receive side, keyboard to guest through SENSE (set = mark).
extern i32 teletype_rx_state; // 0 idle, 1..22 the bit time under way
extern u32 teletype_rx_due;
extern u8 teletype_rx_byte;
extern u8 teletype_break_held;
extern u8 teletype_last_key;
// Transmit side, guest to terminal through FLAG.
extern i32 teletype_tx_state; // 0 idle, else the bit being sampled next
extern u32 teletype_tx_due;   // cpu_cycles when the next bit is sampled
extern u8 teletype_tx_byte;   // the character being assembled
// Typed input is held until this clock count (a program's start-up), 0 = not held.
extern u32 teletype_holdoff;
extern u8 port_read_latch; // the value the last port read gave

struct GuestRom;
// The ROM file of each monitor (pipbug_bios 0-3), then the two blocks of map 9
// (561 bytes at $3000, 697 at $3C00).
extern const GuestRom pipbug_roms[6];

void pipbug_setup();
void pipbug_load_monitor(int reconfigure);
void pipbug_patch_monitor();
// The 1 or 2 MHz clock (fast 0 or 1): the option and the frame's clock periods.
void pipbug_set_clock(u32 fast);
// Whether the monitor's serial rate can be chosen (PIPBUG 1 and 2).
bool pipbug_baud_choosable();
// Takes baud choice 0..2 (110, 300, 4800) and patches the monitor for it;
// false when the monitor cannot run at that rate.
bool pipbug_set_baud(u32 choice);
void pipbug_run_frame();
void pipbug_run_cpu_slice();
void teletype_bit_timing();
void pipbug_poll_teletype_key();
u8 pipbug_io_read(u32 port);
void pipbug_io_write(u32 port, u8 value);
void pipbug_reset();
void pipbug_serialise(u32 map);
// Whether the monitor is PIPBUG 2 with PIPLA, which has a power-on self-test
// and erases deleted characters.
bool pipbug_monitor_2();
// Whether the VDU (the Radio Bulletin one) has blanking areas.
bool pipbug_vdu_blanks();

// Fills cpu_bus for the PIPBUG (after cpu_bus_reset()).
void pipbug_bus_install();
// What the debugger asks of the PIPBUG (its machine row names it).
extern const CpuDebugHooks pipbug_debug_hooks;
// Segment patterns of the hex digits its LED digits show.
extern const u8 led_font_pipbug[16];

// The serial computers' text: printable ASCII and the codes from 160 up.
u8 serial_guest_char(u8 code);
CpuCharStyle ascii_chars();

// Where LED digit `digit` is drawn in the frame.
LedDigitPlace pipbug_led_digit_place(int digit);

// The monitor's key input: monitor 3 takes a Backspace as DEL and erases it.
u8 pipbug_monitor_key(u8 ch);
// A pasted character: a line feed as a carriage return, which waits for the
// monitor's end of line.
int pipbug_paste_char(u8 c, u8* out);
