// The CD2650's side of the processor bus: its VDU character set, the P1 DOS
// called through vectors, and the wide clock column of its listings; its
// keyboard's codes and pasted text.
#pragma once

#include "core/types.h"

// Sets the CD2650's debugger hooks and device link (after cpu_bus_reset()).
void cd2650_bus_install();

// Whether the monitor (IPL 1.1) takes lowercase typed input.
bool cd2650_lowercase_input();
// Monitor 0 reads six-bit capitals from the keyboard.
bool cd2650_six_bit_keys();
// A pasted character: a small letter as its control code, each character
// followed by $FF.
int cd2650_paste_char(u8 c, u8* out);
