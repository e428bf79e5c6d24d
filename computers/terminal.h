// The terminal of the monitor-ROM computers: the one character output that
// every teletype, console port and echo goes through, writing the text screen
// (core/text_screen.h).
//
// The columns and rows in use (vdu_columns, vdu_rows, vdu_visible_rows) come
// from the display geometry; the machine's set-up chooses vdu_blank_char.
// term_output_char also copies what it prints to the teletype punch
// (papertape unit 0) on the PIPBUG, BINBUG and TWIN.
#pragma once

#include "core/text_screen.h"
#include "core/types.h"

extern i32 vdu_scroll; // first buffer row shown by the Elekterminal

// Prints one character on the terminal of the current machine.
void term_output_char(u8 c);
// Moves rows 1 .. vdu_rows - 1 up by one and blanks the last row.
void vdu_scroll_up();
// The Elekterminal's ring: moves the first shown row by n (|n| <= vdu_rows).
void pipbug_vdu_scroll(int n);
// Cursor (and scroll) to the VDU type's home; with `clear` every cell blank.
void pipbug_vdu_clear(int clear);
// A Backspace typed to a monitor that takes DEL for it: `ch` with 8 made 127.
// With "erasedeleted" on and a monitor that `erases`, a DEL is also erased on
// the screen here and the guest's own echo of it swallowed.
u8 term_delete_key(u8 ch, bool erases);
