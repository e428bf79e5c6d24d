// The PVI consoles' grid overlays, their screen editor of the background
// grid and their pointer text.
#pragma once

#include "core/types.h"

#include <string>

// The editor's cursor: a grid column (0-15, 8 pixels each) and a row (0-29:
// per band its thin row, then the upper and lower halves of its thick row).
extern i32 pvi_edit_column, pvi_edit_row;

// DRAW 1 (the guide grid) and DRAW 2 (the collision cells) over the frame.
void pvi_overlay_grid_and_cells();
// The editor's outlines over the frame: the pink and orange areas, the cursor cell.
void pvi_draw_editor();
// A cursor outside the grid goes back to 0.
void pvi_edit_clamp();
// An editor key (host raw code): true when the editor used it.
bool pvi_edit_key(u32 key);
// The pointer text of the consoles, with the grid bytes under the pointer;
// a click moves the editor's cursor to the grid cell there.
void pvi_console_describe_position(i32 x, i32 y, int click, std::string* out);
