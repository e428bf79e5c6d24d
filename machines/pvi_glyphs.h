// The PVI machines' glyphs for the sprite editor: the four objects of each
// PVI, ten rows of eight pixels from the PVI's base, coloured by the object's
// colour field (through the board's colour map on the coin-op boards).
#pragma once

#include "core/types.h"

#include <cstddef>

int pvi_glyph_count();
i32 pvi_glyph_row_address(int n, int r);
void pvi_glyph_name(int n, char* out, std::size_t size);
// The colour of object n: its colour field through `map` (8 entries, nullptr
// the field itself).
u8 pvi_glyph_colour(int n, const u8* map);
// Writes palette colour `colour` into object n's colour field, through
// `unmap` (nullptr: the colour itself): the field value written.
int pvi_glyph_set_colour(int n, int colour, const u8* unmap);

struct GlyphSet;
// The consoles' objects, coloured by their fields as they are.
extern const GlyphSet pvi_console_glyphs;
