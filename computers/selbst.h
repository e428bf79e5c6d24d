// The Selbstbaucomputer: its text and monitor routines as the debugger shows
// them, its LED digits, keyboards, display port and frame.
#pragma once

#include "core/guest_roms.h"
#include "core/machine_view.h"

// Whether the chosen monitor program reads a typewriter keyboard.
bool selbst_typed_keyboard();

// The Selbstbaucomputer's monitor names its routines by the call word stored
// at an address: its notes on a listed address are looked up by that word.
u32 selbst_listing_note_key(u32 address);

// Where LED digit `digit` is drawn in the frame.
LedDigitPlace selbst_led_digit_place(int digit);

// ---- The machine (computers/selbst_machine.cpp) ----

extern u8 selbst_data_latch; // the last byte written to port 28
// The monitor images by selbst_biosversion 1-3, then the 8 x 8 font.
extern const GuestRom selbst_roms[4];

void selbst_machine_init();
// A state's monitor (selbst_biosversion, 0 none, 1-3) replaced monitor `was`:
// that monitor's ROM and memory map, the RAM left to the state.
void selbst_take_monitor(u32 was);
// The clock option (0 one period a second, 1 1 MHz) and the clock periods of a frame.
void selbst_set_clock(u32 fast);
void selbst_reset();
u8 selbst_io_read(u32 port);
void selbst_io_write(u32 port, u8 value);
void selbst_run_frame();
// The keypad scan of a frame, with the reset and flag keys.
void selbst_keys();
// The keypad code of port 23: the first held key, 0 when none.
u8 selbst_keypad_code();
// A display command (port 27) with `data`, the data latch.
void selbst_display_command(u8 command, u8 data);
void selbst_dump_hardware();
void selbst_draw_grid();
// The notes of a call into the chosen monitor at `address` (selbst_notes.cpp).
void selbst_rom_comment(u32 address);
