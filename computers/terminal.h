// The terminal of the monitor-ROM computers: the one character output that
// every teletype, console port and echo goes through, and the text screen it
// writes.
//
// vdu_text is 80 columns of 64 rows, column-major (cell c, r at c * 64 + r).
// The columns and rows in use (vdu_columns, vdu_rows, vdu_visible_rows) come
// from the display geometry; the machine's set-up chooses vdu_blank_char.
// term_output_char also copies what it prints to the teletype punch
// (papertape unit 0) on the PIPBUG, BINBUG and TWIN.
#pragma once

#include "core/types.h"

constexpr int VDU_COLUMNS = 80, VDU_ROWS = 64;
extern u8 vdu_text[VDU_COLUMNS * VDU_ROWS]; // column-major
extern u8 vdu_blank_char;                   // the byte that clears a cell
extern i32 vdu_cursor_col, vdu_cursor_row;
extern i32 vdu_scroll;         // first buffer row shown by the Elekterminal
extern u8 term_escape_pending; // TWIN: an ESC waits for its letter
extern u8 term_skip_next;      // the next character is swallowed
extern u8 tty_reader_on;       // teletype reader switch (DC1/DC3)
extern u8 tty_punch_on;        // teletype punch switch (DC2/DC4)

inline u8& vdu_cell(int col, int row) {
    return vdu_text[col * VDU_ROWS + row];
}

// Prints one character on the terminal of the current machine.
void term_output_char(u8 c);
// Moves rows 1 .. vdu_rows - 1 up by one and blanks the last row.
void vdu_scroll_up();
// The Elekterminal's ring: moves the first shown row by n (|n| <= vdu_rows).
void pipbug_vdu_scroll(int n);
// Cursor (and scroll) to the VDU type's home; with `clear` every cell blank.
void pipbug_vdu_clear(int clear);
// "st", "nd", "rd" or "th".
const char* ordinal_suffix(int n);
// A Backspace typed to a monitor that takes DEL for it: `ch` with 8 made 127.
// With "erasedeleted" on and a monitor that `erases`, a DEL is also erased on
// the screen here and the guest's own echo of it swallowed.
u8 term_delete_key(u8 ch, bool erases);
// Both teletype switches on, no escape or swallowed character pending
// (every machine reset).
void term_reset_states();
