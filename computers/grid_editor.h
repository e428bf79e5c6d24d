// The screen editor of the character VDUs (BINBUG, CD2650): host keys move a
// cursor over the video RAM and type character codes into it.
#pragma once

#include "core/types.h"

struct GridScreen {
    u16 base;          // address of column 0, row 0
    i32 columns, rows;
    bool column_major; // cells run down the columns (16 rows a column)
    // The character code of a printing host key that is neither a letter
    // nor on the numeric pad; -1 for none.
    int (*key_code)(u32 raw, bool shift);
    // Whether the letter keys type lower case now (shift held or not).
    bool (*lower_case)(bool shift);
};

// The editor's key: true when the key was used.
bool grid_edit_key(const GridScreen& screen, u32 raw);
// The cursor's column and row, and the address of a cell.
i32 grid_column(const GridScreen& screen, u32 address);
i32 grid_row(const GridScreen& screen, u32 address);
u32 grid_address(const GridScreen& screen, i32 column, i32 row);
// The cursor's rectangle in colour 3 (cells of w x h pixels), clipped to the
// text area.
void grid_draw_cursor(const GridScreen& screen, i32 w, i32 h);
// Every cell's outline in colour 8 (the debugger's DRAW mode).
void grid_draw_cells(const GridScreen& screen, i32 w, i32 h);
