#include "inspect/glyph_model.h"

#include "core/machine_debug.h"
#include "cpu/memory.h"
#include "inspect/sprite_editor_window.h"

#include <cstdio>
#include <cstring>

int sprite_current = 2;
int sprite_count;
int sprite_colour;
int sprite_prev_colour;
u8 sprite_row_cache[SPRITE_ROWS];
char sprite_name_buf[SPRITE_NAME_SIZE];
char sprite_row_addr[SPRITE_ROWS][6];

namespace {

// The selected glyph, kept inside the machine's glyphs (a stale number after a
// switch to a board with fewer never reaches memory beyond its glyphs).
bool selected(const GlyphSet** set, int* n) {
    *set = sprite_glyphs();
    *n = sprite_current;
    return *set && *n >= 0 && *n < (*set)->count();
}

u8 row_byte(const GlyphSet& g, int n, int r) {
    const i32 a = g.row_address(n, r);
    if (a >= 0) return guest_memory[static_cast<u32>(a) & GUEST_ADDRESS_MASK];
    return g.generator_row ? g.generator_row(n, r) : 0;
}

// The leftmost pixel's bit of a row.
u8 first_bit(const GlyphSet& g) {
    return static_cast<u8>(0x80 >> (8 - g.columns));
}

} // namespace

const GlyphSet* sprite_glyphs() {
    return machine_debug().glyphs;
}

int sprite_pixel_toggle(int column, int row, int mode) {
    const GlyphSet* g;
    int n;
    if (!selected(&g, &n) || column < 0 || column >= g->columns || row < 0 || row >= g->rows) return 2;
    const i32 a = g->row_address(n, row);
    if (a < 0) return 2;
    const u8 mask = static_cast<u8>(first_bit(*g) >> column);
    const bool set = mode == 0 ? false : mode == 2 ? !(sprite_row_cache[row] & mask) : true;
    u8& b = guest_memory[static_cast<u32>(a) & GUEST_ADDRESS_MASK];
    b = set ? static_cast<u8>(b | mask) : static_cast<u8>(b & ~mask);
    sprite_editor_refresh(0);
    return set ? 1 : 0;
}

void sprite_set_colour(int colour) {
    const GlyphSet* g;
    int n;
    if (!selected(&g, &n) || !g->set_colour) return;
    const int v = g->set_colour(n, colour);
    if (v < 0) return;
    sprite_colour = v;
    sprite_editor_refresh(1);
}

void sprite_name_text(int n) {
    const GlyphSet* g = sprite_glyphs();
    sprite_name_buf[0] = 0;
    if (g && n >= 0 && n < g->count()) g->name(n, sprite_name_buf, sizeof sprite_name_buf);
}

void sprite_editor_refresh(int force) {
    const GlyphSet* g;
    int n;
    if (!gui_sprite_window_open() || !selected(&g, &n)) return;
    sprite_prev_colour = sprite_colour;
    bool has_colour = false;
    sprite_colour = g->colour(n, &has_colour);
    const bool f = force || sprite_colour != sprite_prev_colour;
    if (f) {
        sprite_name_text(n);
        gui_sprite_set_name(sprite_name_buf);
        if (g->palette) gui_sprite_set_palette(sprite_colour, has_colour);
    }
    const u8 first = first_bit(*g);
    for (int r = 0; r < g->rows && r < SPRITE_ROWS; r++) {
        if (f) {
            const i32 a = g->row_address(n, r);
            char text[6] = "-";
            if (a >= 0) std::snprintf(text, sizeof text, "$%X", static_cast<unsigned>(a));
            gui_sprite_set_string(r, text);
        }
        const u8 b = row_byte(*g, n, r);
        if (!f && b == sprite_row_cache[r]) continue;
        for (int c = 0; c < g->columns; c++) {
            const u8 mask = static_cast<u8>(first >> c);
            if (f || ((b ^ sprite_row_cache[r]) & mask))
                gui_sprite_set_pen(c, r, (b & mask) ? sprite_colour : g->unlit);
        }
        gui_sprite_set_field(r, b);
        sprite_row_cache[r] = b;
    }
}
