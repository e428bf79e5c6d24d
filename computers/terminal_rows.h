// Parts of their rows (core/machine_ops.h) that several computers share: the
// terminal's text colours, the LED panels' cells, the speaker beep and the
// note-code tone.
#pragma once

#include "core/types.h"

// The note code $55 (A4) the programs and the speakers beep with.
constexpr u16 TERM_BEEP_NOTE = 0x55;

// White on black, inverse swaps.
void display_terminal_colours(u8* ink, u8* paper);
// The LED machines: paper black, the ink as it was.
void display_panel_colours(u8* ink, u8* paper);
// The text background of the terminals' frames: the paper of the terminal colours.
u8 term_text_background();

// A 2 x 2 block of panel cells from column c, row 2y.
void led_cell_block(i32 c, i32 y, u32 colour);
// Each LED cell as a 2 x 2 block from column 2x (Selbstbaucomputer, MIKIT).
void led_cell_double(i32 x, i32 y, u32 colour);

// The speaker latch beeps (CD2650, Selbstbaucomputer).
void snd_voices_speaker();
// Voice 0's frequency of note code p (PIPBUG, CD2650, Selbstbaucomputer).
float snd_tone_note_code(u16 p);
