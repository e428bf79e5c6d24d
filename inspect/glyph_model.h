// The sprite editor's model: which glyph is selected, what the window last
// showed of it, and the edits of its pixels and colour. The glyphs themselves
// (numbering, rows, colours, names) are the machine's (MachineDebug::glyphs).
#pragma once

#include "core/types.h"

#include <cstddef>

struct GlyphSet;

constexpr int SPRITE_ROWS = 16;
constexpr std::size_t SPRITE_NAME_SIZE = 64;

extern int sprite_current;   // the selected glyph; 2 at start
extern int sprite_count;     // glyphs of the machine the window opened on last
extern int sprite_colour;    // the selected glyph's colour, or the palette pick
extern int sprite_prev_colour;
extern u8 sprite_row_cache[SPRITE_ROWS]; // the row bytes last shown
extern char sprite_name_buf[SPRITE_NAME_SIZE];
extern char sprite_row_addr[SPRITE_ROWS][6]; // "$%X" of each row, "-" none

// The current machine's glyphs; nullptr when it has none.
const GlyphSet* sprite_glyphs();
// Changes pixel (column, row) of the selected glyph in guest memory: mode 0
// clears, 2 toggles (against the row as last shown), any other sets. The
// pixel's new value, or 2 when the glyph or the position cannot be edited.
int sprite_pixel_toggle(int column, int row, int mode);
// Writes palette colour `colour` (0-7) into the selected glyph's colour
// register and refreshes; nothing for a glyph without one.
void sprite_set_colour(int colour);
// Brings the window up to date: force 0 rewrites only what changed.
void sprite_editor_refresh(int force);
// The name of glyph n into sprite_name_buf.
void sprite_name_text(int n);
