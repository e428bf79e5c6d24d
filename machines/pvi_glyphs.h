// The PVI machines' glyphs for the sprite editor: the four objects of each
// PVI, ten rows of eight pixels from the PVI's base, coloured by the object's
// colour field (through the board's colour map on the coin-op boards).
#pragma once

#include "core/machine_debug.h"
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

// The objects of a PVI board whose colour fields are read through Map() and
// written through Unmap() (each nullptr: the field as it is).
template <const u8* (*Map)(), const u8* (*Unmap)()>
constexpr GlyphSet pvi_board_glyphs{
    .count = pvi_glyph_count,
    .first = 0,
    .columns = 8,
    .rows = 10,
    .unlit = 8,
    .palette = true,
    .slider_ticks = 0,
    .help_node = "pvi-sprites",
    .row_address = pvi_glyph_row_address,
    .generator_row = nullptr,
    .colour =
        [](int n, bool* has) {
            *has = true;
            return pvi_glyph_colour(n, Map());
        },
    .set_colour = [](int n, int colour) { return pvi_glyph_set_colour(n, colour, Unmap()); },
    .name = pvi_glyph_name,
};

// The consoles' objects, coloured by their fields as they are.
inline const u8* pvi_plain_colours() {
    return nullptr;
}
inline constexpr const GlyphSet& pvi_console_glyphs = pvi_board_glyphs<pvi_plain_colours, pvi_plain_colours>;
