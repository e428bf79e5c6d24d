#include "machines/pvi_glyphs.h"

#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "cpu/memory.h"
#include "machines/pvi2636.h"
#include "platform/catalog.h"

#include <cstdio>

namespace {

// The objects' shape bytes from the PVI's base.
constexpr u32 OBJECT_OFFSET[4] = {0x00, 0x10, 0x20, 0x40};

u32 pvi_of(int n) {
    return (pvi_base + 256 * static_cast<u32>(n / 4)) & GUEST_ADDRESS_MASK;
}

} // namespace

int pvi_glyph_count() {
    return 4 * machine_live_row().pvi_count;
}

i32 pvi_glyph_row_address(int n, int r) {
    return static_cast<i32>((pvi_of(n) + OBJECT_OFFSET[n & 3] + static_cast<u32>(r)) & GUEST_ADDRESS_MASK);
}

void pvi_glyph_name(int n, char* out, std::size_t size) {
    std::snprintf(out, size, cat_str(594, "#%d"), n);
}

u8 pvi_glyph_colour(int n, const u8* map) {
    const u8 field = pvi_get_object_colour(n);
    return map ? map[field & 7] : field;
}

int pvi_glyph_set_colour(int n, int colour, const u8* unmap) {
    const u8 v = unmap ? unmap[colour & 7] : static_cast<u8>(colour & 7);
    // Objects 0 and 1 in $C1, 2 and 3 in $C2; the even one in bits 5-3.
    const u32 a = (pvi_of(n) + ((n & 3) < 2 ? 0xC1 : 0xC2)) & GUEST_ADDRESS_MASK;
    const int shift = (n & 1) ? 0 : 3;
    guest_memory[a] = static_cast<u8>((guest_memory[a] & ~(7 << shift)) | (v << shift));
    return v;
}

const GlyphSet pvi_console_glyphs{
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
            return pvi_glyph_colour(n, nullptr);
        },
    .set_colour = [](int n, int colour) { return pvi_glyph_set_colour(n, colour, nullptr); },
    .name = pvi_glyph_name,
};
