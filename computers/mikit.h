// The MIKIT 2650: 1 KB of RAM behind a 30-byte built-in program, six digits
// that show six bytes of RAM, eight lamps and a 24-key keypad on one port.
#pragma once

#include "core/machine_view.h"

// The built-in program at $0000.
extern const u8 mikit_program[30];
// The segments a character code shows on a digit (bit 7 ignored).
u8 mikit_char_segments(u8 code);

void mikit_machine_init();
void mikit_reset();
u8 mikit_io_read(u32 port);
void mikit_io_write(u32 port, u8 value);
void mikit_run_frame();
// The keypad byte of port 256: the code of the only key of the first
// keypad group that holds exactly one, 255 when none does.
u8 mikit_keys();
void mikit_dump_hardware();

// Where LED digit `digit` is drawn in the frame.
LedDigitPlace mikit_led_digit_place(int digit);
