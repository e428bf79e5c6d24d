// The Selbstbaucomputer's and the MIKIT's side of the processor bus: how their
// text and monitor routines are shown.
#pragma once

#include "core/machine_ops.h"

// Point cpu_debug_hooks at the machine's (after cpu_bus_reset()).
void selbst_bus_install();
void mikit_bus_install();

// Whether the chosen monitor program reads a typewriter keyboard.
bool selbst_typed_keyboard();

// The Selbstbaucomputer's monitor names its routines by the call word stored
// at an address: its notes on a listed address are looked up by that word.
u32 selbst_listing_note_key(u32 address);

// Where LED digit `digit` is drawn in the frame.
LedDigitPlace selbst_led_digit_place(int digit);
LedDigitPlace mikit_led_digit_place(int digit);
