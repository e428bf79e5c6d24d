// The coin-op boards' grid overlays, the Zaccaria boards' screen editor and
// their pointer texts.
#pragma once

#include "core/types.h"

#include <string>

// At the end of each frame: the grids of DRAW (the Zaccaria tile grid; the
// Malzak text and playfield grids) and the editor's cursor.
void coinop_frame_overlays();
// Keeps the editor's cursor in the tile map ($1800-$1BFF).
void zaccaria_edit_clamp();
// An editor key (host raw code): true when the editor used it.
bool coinop_edit_key(u32 key);
// The pointer texts (X counted from the board's first column); a click on a
// Zaccaria board moves the editor's cursor to the tile there.
void zaccaria_describe_position(i32 x, i32 y, int click, std::string* out);
void malzak_describe_position(i32 x, i32 y, int click, std::string* out);
