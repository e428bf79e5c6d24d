// The Instructor 50's side of the processor bus: the parallel port's toggle
// switches and lamps, the interrupt vector, the WRTC into the monitor, and
// the monitor's vectors in the debugger's reports.
#pragma once

#include "core/guest_roms.h"
#include "core/machine_view.h"

// Fills cpu_bus for the Instructor 50 (after cpu_bus_reset()).
void instructor_bus_install();

// The notes of a call into the monitor at `address` (nothing for an address
// that is no routine's entry).
void instructor_monitor_notes(u32 address);
// The character a code of the monitor's display buffer shows, 0 for none.
u8 instructor_display_char(u8 code);

// Where LED digit `digit` is drawn in the frame.
LedDigitPlace instructor_led_digit_place(int digit);

// ---- The board (computers/instructor_machine.cpp) ----

// The monitor image.
extern const GuestRom instructor_rom;

// The board's latches that a save state keeps: the digit select (0-7, 8
// none), the byte the last port read returned, the console keys' row of the
// frame before.
struct InstructorLatches {
    u8 digit_select, read_latch, last_console_row;
};
extern InstructorLatches si50_latches;
// The keypad rows: row 0 the console keys, rows 1-6 the hex keypad.
extern u8 si50_keypad_rows[7];

void instructor_setup();
void instructor_reset();
void instructor_run_frame();
u8 instructor_io_read(u32 port);
void instructor_io_write(u32 port, u8 value);
// The keypad scan of a frame (or its five bytes of an input playback).
void instructor_scan_keys();
// An on-screen key held: mark `rect` of the controls picture.
void instructor_apply_key(i32 rect);
void instructor_key_marks(u8* marks);
// VIEW SCRN: the digits and the monitor's display buffer.
void instructor_view_state();
// The character a segment pattern shows, and the one a display-buffer code
// of the monitor shows.
char instructor_segment_char(u8 pattern);
