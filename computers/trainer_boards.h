// What the trainer boards (Instructor 50, PHUNSY, Selbstbaucomputer, MIKIT)
// share in their set-up and frames: attributes, label marks, lamps, panels.
#pragma once

#include "core/types.h"

// ORs `bits` into the attributes of first..last.
void trainer_set_attributes(u32 first, u32 last, u32 bits);
// Marks the addresses of the current machine's comment rows as commented.
void trainer_mark_label_rows();
// Whether this frame is drawn (frame skip; never with skip 11).
bool trainer_frame_drawn();
// The colour of a lamp: `lit` when on, else unlit (14 with "drawunlit", 7).
u32 trainer_lamp_colour(bool on, u32 lit);
// Eight lamps of lamp_latch (lamp n from bit 7 - n) as dots at x0 + dx n, y,
// lit in lit_colour(n).
void trainer_draw_lamps(i32 x0, i32 dx, i32 y, u32 (*lit_colour)(int n));
// Six digit panels of 12 x 18 pixels, each at its own place in the
// controls picture.
void trainer_digit_panels(const i32 (&left)[6], i32 top);
// A VIEW word, case-insensitive.
bool trainer_view_is(const char* word, const char* name);
