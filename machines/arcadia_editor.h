// The Arcadia's debugging overlays and screen editor.
#pragma once

#include "core/types.h"

#include <string>

// The colour bits (7-6) given to the characters typed.
extern u8 arcadia_pen;

// DRAW's overlay of the finished frame: 1 the character-row grid, 2 the
// collision table, 3 the CHARLINE table.
void uvi_post_filter();
// At the end of each frame: the overlay, and the editor's cursor while
// screen editing is on.
void arcadia_frame_overlays();
// Keeps the editor's cursor in the screen RAM ($1800-$18CF, $1A00-$1ACF).
void arcadia_edit_clamp();
// The pointer text; a click moves the editor's cursor to the cell there.
void arcadia_describe_position(i32 x, i32 y, int click, std::string* out);
// An editor key (host raw code): true when the editor used it.
bool arcadia_key_handler(u32 code);
