// The text screen that the terminal computers write, the display draws and a
// save state keeps the cursor of: 80 columns of 64 rows, column-major (cell
// c, r at c * 64 + r), with the byte that clears a cell, the cursor, and the
// teletype and escape flags that every machine reset clears.
#pragma once

#include "core/types.h"

constexpr int VDU_COLUMNS = 80, VDU_ROWS = 64;
extern u8 vdu_text[VDU_COLUMNS * VDU_ROWS]; // column-major
extern u8 vdu_blank_char;                   // the byte that clears a cell
extern i32 vdu_cursor_col, vdu_cursor_row;
extern u8 term_escape_pending; // TWIN: an ESC waits for its letter
extern u8 term_skip_next;      // the next character is swallowed
extern u8 tty_reader_on;       // teletype reader switch (DC1/DC3)
extern u8 tty_punch_on;        // teletype punch switch (DC2/DC4)

inline u8& vdu_cell(int col, int row) {
    return vdu_text[col * VDU_ROWS + row];
}

// Both teletype switches on, no escape or swallowed character pending
// (every machine reset).
void term_reset_states();
