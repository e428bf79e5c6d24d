// The Selbstbaucomputer and the MIKIT: their text and monitor routines as the
// debugger shows them, their LED digits and keyboards.
#pragma once

#include "core/machine_view.h"

// Whether the chosen monitor program reads a typewriter keyboard.
bool selbst_typed_keyboard();

// The Selbstbaucomputer's monitor names its routines by the call word stored
// at an address: its notes on a listed address are looked up by that word.
u32 selbst_listing_note_key(u32 address);

// Where LED digit `digit` is drawn in the frame.
LedDigitPlace selbst_led_digit_place(int digit);
LedDigitPlace mikit_led_digit_place(int digit);

// Segment patterns of the hex digits the MIKIT's LED digits show.
extern const u8 led_font_mikit[16];
