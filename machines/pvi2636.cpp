#include "machines/pvi2636.h"

#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

PviHost pvi_host;
u32 pvi_base = 0x1F00;
PviObject pvi_objects[4];
i32 pvi_line;
u32 pvi_background_colour;
u8 pvi_score_line = 20;
u8 pvi_score_colour;
u8 pvi_line_background;
u8 pvi_pixel_cells[PVI_MAX_LINES * PVI_WIDTH];
i32 pvi_collision_from, pvi_collision_to;
u8 pvi_access_map[PVI_BEAM_LINES * PVI_BEAM_CLOCKS];
i32 pvi_overlay_mode;
const u8* pvi_invert_register;
u8 pvi_late_starts;
u8 pvi_object3_artefacts;
PviBackgroundPatch pvi_bg_patch;
PviCollisionsFound pvi_collisions_found;
PviLineInputs pvi_line_inputs;
bool pvi_line_cache = true;
PviHistoryRecord pvi_history[PVI_HISTORY_MAX_FRAMES + 1][4][PVI_HISTORY_RECORDS];
u8 pvi_history_count[PVI_HISTORY_MAX_FRAMES + 1][4];
u8 pvi_demultiplex_drawn[4][PVI_HISTORY_RECORDS];
u32 pvi_history_slot;
u32 pvi_history_frames;
u8 pvi_demux_object_off[4];
u8 pvi_demux_redraw_always[4];
u8 pvi_demux_no_overlap_test;

namespace {

constexpr u32 ADDR_MASK = GUEST_MEMORY_SIZE - 1;

bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

u8 reg(u32 offset) {
    return guest_memory[(pvi_base + offset) & ADDR_MASK];
}

// Sets bits in a status register and its three copies ($10, $20 and $30 higher).
// A write of bits that are set already changes nothing and is left out,
// unless the access map or a watch on every write would see it.
void set_status(u32 offset, u8 bits) {
    for (u32 copy = 0; copy < 4; copy++) {
        const u32 o = offset + 0x10 * copy;
        const u32 a = (pvi_base + o) & ADDR_MASK;
        const u8 value = static_cast<u8>(guest_memory[a] | bits);
        if (value == guest_memory[a] && pvi_overlay_mode != 4 &&
            !(watchwrites == 2 && (mem_attributes[a] & MEM_WATCH)))
            continue;
        pvi_write_register(o, value, true);
    }
}

// Whether a status register and its three copies all hold `bits`.
bool holds_status(u32 offset, u8 bits) {
    u8 all = 0xFF;
    for (u32 copy = 0; copy < 4; copy++)
        all &= guest_memory[(pvi_base + offset + 0x10 * copy) & ADDR_MASK];
    return (all & bits) == bits;
}

// The slot this frame's objects are recorded in.
u32 history_current;

PviHistoryRecord& current_record(int n) {
    return pvi_history[history_current][n][pvi_history_count[history_current][n]];
}

bool inverted() {
    return pvi_invert_register && (*pvi_invert_register & 0x20);
}

// Score digits: three columns by five rows of 4 x 4 blocks, bit 2 the left column.
constexpr u8 SCORE_FONT[16][5] = {
    {7, 5, 5, 5, 7},
    {1, 1, 1, 1, 1},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
    {},
    {},
    {},
    {},
    {},
    {},
};

// Shapes shown with sprite mode 1: originals, then duplicates.
constexpr u8 NUMBERED[2][4][10] = {
    {{0xFF, 0xFF, 0xE7, 0xDB, 0xDB, 0xDB, 0xDB, 0xE7, 0xFF, 0xFF},
     {0xFF, 0xFF, 0xF7, 0xE7, 0xF7, 0xF7, 0xF7, 0xE3, 0xFF, 0xFF},
     {0xFF, 0xFF, 0xE7, 0xDB, 0xFB, 0xE7, 0xDF, 0xC3, 0xFF, 0xFF},
     {0xFF, 0xFF, 0xC7, 0xFB, 0xE7, 0xFB, 0xFB, 0xC7, 0xFF, 0xFF}},
    {{0xFF, 0x81, 0x99, 0xA5, 0xA5, 0xA5, 0xA5, 0x99, 0x81, 0xFF},
     {0xFF, 0x81, 0x89, 0x99, 0x89, 0x89, 0x89, 0x9D, 0x81, 0xFF},
     {0xFF, 0x81, 0x99, 0xA5, 0x85, 0x99, 0xA1, 0xBD, 0x81, 0xFF},
     {0xFF, 0x81, 0xB9, 0x85, 0x99, 0x85, 0x85, 0xB9, 0x81, 0xFF}},
};

// Object 3's colours with "artefacts", 7 x 6 pixels from its top left.
constexpr u8 ARTEFACTS[6][7] = {
    {0, 0, 0, 2, 0, 0, 0},   {0, 0, 6, 4, 6, 0, 0},   {0, 22, 8, 1, 8, 2, 0},
    {5, 5, 11, 1, 11, 4, 4}, {0, 5, 22, 8, 22, 1, 0}, {0, 0, 1, 5, 5, 0, 0},
};

// Bar width by bits 7-6 of a width byte.
constexpr i32 BAR_WIDTH[4] = {1, 2, 1, 4};

// Collision pairs: the two object bits of a cell and the SPRITECOLLIDE bit.
constexpr struct {
    u8 mask, bit;
} PAIRS[6] = {{0x30, 0x20}, {0x50, 0x10}, {0x90, 0x08}, {0x60, 0x04}, {0xA0, 0x02}, {0xC0, 0x01}};

// The line group bit (0-5) of a grid line y (20-219) within its pair of bands.
int line_group(i32 y) {
    const i32 r = (y - 20) % 40;
    if (r < 2) return 0;
    if (r < 11) return 1;
    if (r < 20) return 2;
    if (r < 22) return 3;
    if (r < 31) return 4;
    return 5;
}

// By the four object bits of a cell (cell >> 4): the SPRITECOLLIDE bits of
// the pairs that meet there, and BGCOLLIDE's bits (object n -> $80 >> n).
struct CollisionBits {
    u8 pairs[16], grid[16];
};
constexpr CollisionBits COLLISION_BITS = [] {
    CollisionBits t{};
    for (u32 objects = 0; objects < 16; objects++) {
        const u32 cell = objects << 4;
        for (const auto& p : PAIRS)
            if ((cell & p.mask) == p.mask) t.pairs[objects] |= p.bit;
        for (u32 n = 0; n < 4; n++)
            if (objects & (1u << n)) t.grid[objects] |= static_cast<u8>(0x80u >> n);
    }
    return t;
}();

u64 load8(const u8* p) {
    u64 v;
    std::memcpy(&v, p, 8);
    return v;
}

void store8(u8* p, u64 v) {
    std::memcpy(p, &v, 8);
}

// 0xFF in each byte of v that is not 0, else 0.
u64 nonzero_bytes(u64 v) {
    constexpr u64 LOW7 = 0x7F7F7F7F7F7F7F7Full, HIGH = 0x8080808080808080ull;
    return (((((v & LOW7) + LOW7) | v) & HIGH) >> 7) * 0xFF;
}

// Byte k of EXPAND[b] is 1 where bit 7 - k of b is set: eight pixels of a
// row byte, the leftmost first.
constexpr auto EXPAND = [] {
    std::array<u64, 256> t{};
    for (u32 b = 0; b < 256; b++)
        for (u32 k = 0; k < 8; k++)
            if ((b >> (7 - k)) & 1) t[b] |= 1ull << (8 * k);
    return t;
}();

// SPREAD[k][b]: the bits of b each repeated 1 << k times, the leftmost bit
// of b in the top bits.
constexpr auto SPREAD = [] {
    std::array<std::array<u64, 256>, 4> t{};
    for (u32 k = 0; k < 4; k++)
        for (u32 b = 0; b < 256; b++) {
            const u32 scale = 1u << k;
            const u64 run = (1ull << scale) - 1;
            for (i32 i = 7; i >= 0; i--)
                t[k][b] = (t[k][b] << scale) | ((b >> i) & 1 ? run : 0);
        }
    return t;
}();

// The same with the leftmost pixel in bit 0: bit i is pixel i of the row.
constexpr auto SPREAD_RIGHTWARDS = [] {
    std::array<std::array<u64, 256>, 4> t{};
    for (u32 k = 0; k < 4; k++)
        for (u32 b = 0; b < 256; b++)
            for (u32 i = 0; i < (8u << k); i++)
                if ((SPREAD[k][b] >> ((8u << k) - 1 - i)) & 1) t[k][b] |= 1ull << i;
    return t;
}();

// Pixels of a line as bits: bit x & 63 of word x >> 6 for picture x. The
// fourth word takes what an object puts past the picture's right edge.
using LineBits = std::array<u64, 4>;

// Pixels x.. of `bits` (pixel x + i from bit i) ORed into `line`; x < 192.
void add_bits(LineBits& line, i32 x, u64 bits) {
    const i32 word = x >> 6, shift = x & 63;
    line[word] |= bits << shift;
    if (shift) line[word + 1] |= bits >> (64 - shift);
}

// `line` without the pixels at x >= PVI_WIDTH.
void clip_bits(LineBits& line) {
    line[2] &= (1ull << (PVI_WIDTH - 128)) - 1;
    line[3] = 0;
}

// What the objects put on the current line. The objects take their row,
// position and colour when they step at clock 12 and keep them for the rest
// of the line, so the line's object pixels are worked out once, on the first
// run after a step, and every run copies its part.
// Objects are written eight pixels at a time: up to 63 pixels past the
// picture's right edge land in a margin that nothing reads.
constexpr i32 LAYER_MARGIN = 64;
// Every lit object pixel of the layer lies in [layer_from, layer_to).
i32 layer_from, layer_to;
struct ObjectLayer {
    // 16 << n for each object lit there, and its colour: a pixel that
    // objects light shows the OR of their colours.
    u8 marks[PVI_WIDTH + LAYER_MARGIN];
    LineBits lit[4];      // each object's lit pixels, for the collisions
    LineBits any, shared; // pixels lit by one object at least, by two
};
ObjectLayer object_layer;
// Counts the changes to pvi_objects; the layer is rebuilt when it was built
// for another count or for another line.
u32 objects_changed = 1, layer_built_for;
i32 layer_line;
// What the layer was last built from: per object its position, row, colour
// and scale (0 for one that shows nothing), objects 0 and 1 in the first
// word, 2 and 3 in the second; and the artefact pattern's row. Lines that
// repeat a row of every object find the layer as it stands.
u64 layer_shapes[2];
i32 layer_artefact_row = -1;

// Object n's shape on the line as the layer is keyed on it.
u64 object_shape(int n) {
    const PviObject& o = pvi_objects[n];
    return o.active && o.row_bits && o.x_start < PVI_WIDTH
               ? static_cast<u32>(o.x_start) | static_cast<u32>(o.row_bits) << 8 |
                     static_cast<u32>(o.colour) << 16 | static_cast<u32>(o.scale) << 24
               : 0;
}

void build_object_layer(i32 y) {
    ObjectLayer& l = object_layer;
    layer_built_for = objects_changed;
    layer_line = y;
    // Two words, each compared whole (a word loaded over narrower stores
    // just made would wait for them).
    const u64 shapes01 = object_shape(0) | object_shape(1) << 32,
              shapes23 = object_shape(2) | object_shape(3) << 32;
    const PviObject& o3 = pvi_objects[3];
    const bool artefacts = pvi_object3_artefacts && *pvi_host.artefacts;
    const i32 artefact_row =
        (shapes23 >> 32) != 0 && artefacts && y - o3.start_line >= 0 && y - o3.start_line < 6
            ? y - o3.start_line
            : -1;
    if (((shapes01 ^ layer_shapes[0]) | (shapes23 ^ layer_shapes[1])) == 0 &&
        artefact_row == -1 && layer_artefact_row == -1)
        return;
    layer_shapes[0] = shapes01;
    layer_shapes[1] = shapes23;
    layer_artefact_row = artefact_row;
    if (layer_to > layer_from)
        std::memset(l.marks + layer_from, 0, static_cast<std::size_t>(layer_to - layer_from));
    layer_from = PVI_WIDTH;
    layer_to = 0;
    for (int n = 0; n < 4; n++) {
        const PviObject& o = pvi_objects[n];
        LineBits& lit = l.lit[n];
        lit = {};
        if (!o.active || !o.row_bits || o.x_start >= PVI_WIDTH) continue;
        const u8 mark = static_cast<u8>(o.colour | (16u << n));
        const i32 scale = o.scale;
        if (scale < 1 || scale > 8) {
            for (i32 b = 0; b < 8; b++) {
                if (!((o.row_bits >> (7 - b)) & 1)) continue;
                const i32 a = o.x_start + b * scale;
                const i32 e = a + scale < PVI_WIDTH ? a + scale : PVI_WIDTH;
                for (i32 x = a; x < e; x++) {
                    l.marks[x] |= mark;
                    add_bits(lit, x, 1);
                }
            }
        } else {
            add_bits(lit, o.x_start,
                     SPREAD_RIGHTWARDS[std::countr_zero(static_cast<u32>(scale))][o.row_bits]);
            clip_bits(lit);
            // The row's pixels, each bit repeated `scale` times, the leftmost
            // in the top bit; then written eight at a time.
            const u64 pixels = SPREAD[std::countr_zero(static_cast<u32>(scale))][o.row_bits];
            for (i32 c = 0; c < scale; c++) {
                const u32 byte = static_cast<u32>(pixels >> (8 * (scale - 1 - c))) & 0xFF;
                u8* at = l.marks + o.x_start + 8 * c;
                store8(at, load8(at) | EXPAND[byte] * mark);
            }
        }
        const i32 first = std::countl_zero(o.row_bits), last = 7 - std::countr_zero(o.row_bits);
        const i32 a = o.x_start + first * scale, e = o.x_start + (last + 1) * scale;
        if (a < layer_from) layer_from = a;
        if ((e < PVI_WIDTH ? e : PVI_WIDTH) > layer_to) layer_to = e < PVI_WIDTH ? e : PVI_WIDTH;
    }
    for (i32 w = 0; w < 3; w++) {
        const u64 a = l.lit[0][w], b = l.lit[1][w], c = l.lit[2][w], d = l.lit[3][w];
        l.any[w] = a | b | c | d;
        l.shared[w] = (a & b) | (c & d) | ((a | b) & (c | d));
    }
}

// Object 3 in the artefacts' colours inside the pattern's box, over
// colours[x0, x1), where the layer has the pattern's row.
void draw_artefacts(i32 x0, i32 x1, u8* colours) {
    const PviObject& art = pvi_objects[3];
    for (i32 b = 0; b < 8; b++) {
        if (!((art.row_bits >> (7 - b)) & 1)) continue;
        const i32 a = art.x_start + b * art.scale;
        const i32 e = a + art.scale < PVI_WIDTH ? a + art.scale : PVI_WIDTH;
        for (i32 x = a > x0 ? a : x0; x < e && x < x1; x++)
            if (x - art.x_start < 7) colours[x] = ARTEFACTS[layer_artefact_row][x - art.x_start];
    }
}

// Background colour into colours[x0, x1), eight bytes at a time.
void fill_background(u8* colours, i32 x0, i32 x1, u8 colour) {
    const i32 n = x1 - x0;
    if (n < 8) {
        for (i32 x = x0; x < x1; x++)
            colours[x] = colour;
        return;
    }
    const u64 eight = 0x0101010101010101ull * colour;
    for (i32 x = x0; x + 8 <= x1; x += 8)
        std::memcpy(colours + x, &eight, 8);
    std::memcpy(colours + x1 - 8, &eight, 8);
}

} // namespace

// ---- register page -------------------------------------------------------------------

void pvi_init_register_attributes() {
    for (u32 o = 0; o < 256; o++) {
        const u32 a = (pvi_base + o) & ADDR_MASK;
        u32 f = 0;
        if (in(o, 0x0A, 0x0D) || in(o, 0x1A, 0x1D) || in(o, 0x2A, 0x2D) || in(o, 0x4A, 0x4D) ||
            in(o, 0xC0, 0xCD))
            f |= MEM_HW_REGISTER;
        if (in(o, 0x2E, 0x3F) || in(o, 0x6E, 0x7F) || in(o, 0xAE, 0xBF) || in(o, 0xC4, 0xC5) ||
            o > 0xC9)
            f |= MEM_UNWRITABLE;
        if (in(o, 0x2E, 0x3F) || in(o, 0x6E, 0x7F) || in(o, 0xAE, 0xC9) || in(o, 0xCE, 0xD9) ||
            in(o, 0xDC, 0xE9) || in(o, 0xEC, 0xF9) || in(o, 0xFC, 0xFF))
            f |= MEM_UNREADABLE;
        if (in(o, 0xCA, 0xCB) || in(o, 0xDA, 0xDB) || in(o, 0xEA, 0xEB) || in(o, 0xFA, 0xFB))
            f |= MEM_READ_ONCE;
        if (o == 0xC7) f |= MEM_SOUND;
        mem_attributes[a] = f;
        mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(a);
    }
}

// Whether anything has been marked since the map was last filled with 7:
// only the access overlays mark it, so most frames need not fill it again.
static bool access_map_marked = true;

static void mark_access(u32 a) {
    const i32 clock = *pvi_host.clock;
    if (raster_line < 0 || raster_line >= PVI_BEAM_LINES || clock < 0 || clock >= PVI_BEAM_CLOCKS)
        return;
    u8& cell = pvi_access_map[raster_line * PVI_BEAM_CLOCKS + clock];
    cell = cell == 7 ? pvi_host.access_class(a) : 0;
    access_map_marked = true;
}

void pvi_write_register(u32 offset, u8 value, bool relative) {
    const u32 a = (offset + (relative ? pvi_base : 0)) & ADDR_MASK;
    if (pvi_overlay_mode == 4) mark_access(a);
    if ((mem_attributes[a] & MEM_WATCH) && watchwrites) pvi_host.watched_write(a, value);
    guest_memory[a] = value;
}

// A read that the access map marks, out of line: plain reads stay short.
[[gnu::noinline]] static u8 read_marked(u32 a) {
    mark_access(a);
    return guest_memory[a];
}

u8 pvi_read_register(u32 offset) {
    const u32 a = (pvi_base + offset) & ADDR_MASK;
    if (pvi_overlay_mode == 3) return read_marked(a);
    return guest_memory[a];
}

// ---- colours -------------------------------------------------------------------------

u32 pvi_border_colour(u8 c) {
    if (inverted()) return (c & 8) ? (c & 7u) : 0u;
    if (c & 8) return *pvi_host.darkenbg ? 15u - (c & 7u) : 7u - (c & 7u);
    return 7;
}

u32 pvi_grid_colour(u8 c) {
    const u32 g = (c >> 4) & 7u;
    if (inverted()) return g;
    return *pvi_host.darkenbg ? 15u - g : 7u - g;
}

u8 pvi_get_object_colour(int n) {
    const u32 p = (pvi_base + 256 * static_cast<u32>(n / 4)) & ADDR_MASK;
    const u8 c1 = guest_memory[(p + 0xC1) & ADDR_MASK], c2 = guest_memory[(p + 0xC2) & ADDR_MASK];
    switch (n % 4) {
    case 0:
        return (c1 >> 3) & 7;
    case 1:
        return c1 & 7;
    case 2:
        return (c2 >> 3) & 7;
    default:
        return c2 & 7;
    }
}

// ---- status and interrupts -----------------------------------------------------------

void pvi_vblank() {
    set_status(PVI_SPRITECOLLIDE, 0x40);
    cpu_psu |= PSU_S;
    cpu_irq_pending = 1;
    if (loginterrupts)
        pvi_host.print((cpu_psu & PSU_II) ? "Pended vblank interrupt at rastline %d.\n"
                                          : "Generated vblank interrupt at rastline %d.\n",
                       static_cast<int>(raster_line));
}

void pvi_frame_start() {
    for (u32 copy = 0; copy < 4; copy++) {
        pvi_write_register(PVI_SPRITECOLLIDE + 0x10 * copy, 0, true);
        pvi_write_register(PVI_BGCOLLIDE + 0x10 * copy, 0, true);
    }
    cpu_irq_pending = 0;
    cpu_psu &= static_cast<u8>(~PSU_S);
    for (int n = 0; n < 4; n++) {
        PviObject& o = pvi_objects[n];
        o.start_line = (reg(pvi_object_block[n] + 0x0C) + 1) % 256;
        o.active = o.duplicate = o.completed = 0;
    }
    objects_changed++;
}

void pvi_frame_begin() {
    std::memset(pvi_pixel_cells, 0, sizeof pvi_pixel_cells);
    if (access_map_marked) std::memset(pvi_access_map, 7, sizeof pvi_access_map);
    access_map_marked = false;
}

// ---- per line ------------------------------------------------------------------------

void pvi_line_start() {
    pvi_line = raster_line - *pvi_host.first_visible_line;
    pvi_score_line = (reg(PVI_SCORECTRL) & 1) ? 200 : 20;
    const u8 bg = reg(PVI_BGCOLOUR);
    if (pvi_line == pvi_score_line) pvi_score_colour = (bg & 8) ? (bg >> 4) & 7 : 0;
    if (*pvi_host.dejitter) {
        pvi_line_background = bg;
        if (pvi_bg_patch.line && pvi_line == pvi_bg_patch.line) {
            const u8 shown = bg & 7;
            for (int i = 0; i < 2; i++)
                if (shown == ((7 - pvi_bg_patch.from[i]) & 7)) {
                    pvi_line_background =
                        static_cast<u8>((bg & ~7u) | ((7u - pvi_bg_patch.to[i]) & 7));
                    break;
                }
        }
        pvi_background_colour = pvi_border_colour(pvi_line_background);
    }
}

namespace {

// This frame's records of each object and their counts.
struct HistorySlot {
    PviHistoryRecord (*records)[PVI_HISTORY_RECORDS];
    u8* counts;
};

// One object's step to the next line: its row and sub-line, and what it shows
// there from the registers as they stand; the history records it in this
// frame's slot (`slot`, nullptr without demultiplexing) while it has room. True when
// the object completes on this line. Called with n a constant (the four calls
// unrolled), so that its register offsets and history places fold.
[[gnu::always_inline]] inline bool object_line_step(int n, u8 sizes, u8 colours, i32 sprite_mode,
                                                    HistorySlot* slot) {
    PviObject& o = pvi_objects[n];
    const u32 block = pvi_object_block[n];
    if (pvi_line == o.start_line && (pvi_line <= 252 || pvi_late_starts)) {
        o.sub_line = -1;
        o.row = 0;
        o.active = 1;
    }
    if (!o.active) return false;
    const u8 scale = static_cast<u8>(1u << ((sizes >> (2 * n)) & 3));
    o.scale = scale;
    o.colour = (n & 1 ? colours : colours >> 3) & 7;
    if (++o.sub_line >= scale) {
        o.sub_line = 0;
        o.row++;
    }
    o.x_start = reg(block + (o.duplicate ? 0x0B : 0x0A)) + 1;
    const i32 row = o.row < 10 ? o.row : 9;
    if (sprite_mode == 0)
        o.row_bits = 0;
    else if (sprite_mode == 1)
        o.row_bits = NUMBERED[o.duplicate][n][row];
    else
        o.row_bits = pvi_read_register(block + static_cast<u32>(row));
    if (slot && slot->counts[n] < PVI_HISTORY_RECORDS) {
        PviHistoryRecord& r = slot->records[n][slot->counts[n]];
        if (pvi_line == o.start_line) {
            r.valid = 1;
            r.line = pvi_line;
            r.colour = o.colour;
            r.x = o.x_start;
            r.scale = scale;
        }
        if (r.valid) r.rows[row] = o.row_bits;
    }
    // Only this object's own fields: the other objects' steps and
    // completions leave them as they are.
    return !o.completed && o.row == 9 && o.sub_line == scale - 1;
}

} // namespace

void pvi_object_line_step() {
    const u8 sizes = reg(PVI_SIZES);
    const u8 c01 = reg(PVI_SPR01COLOURS), c23 = reg(PVI_SPR23COLOURS);
    const i32 sprite_mode = *pvi_host.sprite_mode;
    HistorySlot current{pvi_history[history_current], pvi_history_count[history_current]};
    HistorySlot* const slot = *pvi_host.demultiplex ? &current : nullptr;
    bool completes[4];
#pragma GCC unroll 4
    for (int n = 0; n < 4; n++)
        completes[n] = object_line_step(n, sizes, n < 2 ? c01 : c23, sprite_mode, slot);
    // Completions after every object has stepped, in the objects' order.
    for (int n = 0; n < 4; n++)
        if (completes[n]) pvi_object_complete(n);
    objects_changed++;
}

void pvi_object_complete(int n) {
    PviObject& o = pvi_objects[n];
    set_status(PVI_BGCOLLIDE, static_cast<u8>(1u << (3 - n)));
    const char* kind = o.duplicate ? "duplicate" : "original";
    if (!cpu_irq_pending) {
        cpu_irq_pending = 1;
        if (loginterrupts)
            pvi_host.print(
                (cpu_psu & PSU_II)
                    ? "Pended %s sprite #%d display complete interrupt at rastline %d.\n"
                    : "Generated %s sprite #%d display complete interrupt at rastline %d.\n",
                kind, n, static_cast<int>(raster_line));
    } else if (loginterrupts) {
        pvi_host.print("%s sprite #%d display is complete at rastline %d. An interrupt is already "
                       "pended.\n",
                       o.duplicate ? "Duplicate" : "Original", n, static_cast<int>(raster_line));
    }
    const u8 vcb = reg(pvi_object_block[n] + 0x0D);
    o.next_start = vcb == 255 ? pvi_line + 1 : pvi_line + vcb + 2;
    o.completed = 1;
}

void pvi_line_end() {
    for (int n = 0; n < 4; n++) {
        PviObject& o = pvi_objects[n];
        if (!o.completed) continue;
        o.active = o.completed = 0;
        o.start_line = o.next_start;
        o.duplicate = 1;
        u8& count = pvi_history_count[history_current][n];
        if (count < PVI_HISTORY_RECORDS && current_record(n).valid) count++;
    }
    objects_changed++;
}

// ---- demultiplex history -------------------------------------------------------------

void pvi_demultiplex_configure(u32 frames, const u8 off[4], const u8 always[4]) {
    pvi_history_frames = frames < PVI_HISTORY_MAX_FRAMES ? frames : PVI_HISTORY_MAX_FRAMES;
    for (int n = 0; n < 4; n++) {
        pvi_demux_object_off[n] = off[n] ? 1 : 0;
        pvi_demux_redraw_always[n] = always[n] ? 1 : 0;
    }
    std::memset(pvi_history, 0, sizeof pvi_history);
    std::memset(pvi_history_count, 0, sizeof pvi_history_count);
    std::memset(pvi_demultiplex_drawn, 0, sizeof pvi_demultiplex_drawn);
    pvi_history_slot = 0;
}

void pvi_history_frame_begin() {
    history_current = pvi_history_slot % (pvi_history_frames + 1);
    for (int n = 0; n < 4; n++) {
        pvi_history_count[history_current][n] = 0;
        for (PviHistoryRecord& r : pvi_history[history_current][n])
            r.valid = 0;
    }
}

void pvi_history_frame_end() {
    const u32 slots = pvi_history_frames + 1;
    if (*pvi_host.demultiplex && *pvi_host.frame_counter >= pvi_history_frames &&
        *pvi_host.sprite_mode != 0) {
        std::memset(pvi_demultiplex_drawn, 0, sizeof pvi_demultiplex_drawn);
        for (u32 k = pvi_history_frames; k >= 1; k--)
            pvi_demultiplex_redraw((history_current + k) % slots);
    }
    pvi_history_slot = history_current == pvi_history_frames ? 0 : history_current + 1;
}

void pvi_demultiplex_redraw(u32 slot) {
    const i32 first_visible_line = *pvi_host.first_visible_line;
    for (int o = 0; o < 4; o++) {
        if (pvi_demux_object_off[o]) continue;
        for (int r = 0; r < PVI_HISTORY_RECORDS; r++) {
            if (pvi_demultiplex_drawn[o][r] && !pvi_demux_redraw_always[o]) continue;
            const PviHistoryRecord& rec = pvi_history[slot][o][r];
            if (!rec.valid) continue;
            const i32 s = rec.scale;
            // What this frame drew in that place (its record as it stands,
            // even one left from the slot's earlier use) is not drawn over.
            const PviHistoryRecord& now = pvi_history[history_current][o][r];
            if (!pvi_demux_no_overlap_test &&
                pvi_boxes_overlap(rec.x, now.x, rec.line, now.line, 8 * s, 10 * s))
                continue;
            pvi_demultiplex_drawn[o][r] = 1;
            for (i32 i = 0; i < 10; i++)
                for (i32 b = 0; b < 8; b++) {
                    if (!((rec.rows[i] >> (7 - b)) & 1)) continue;
                    for (i32 j = 0; j < s; j++)
                        for (i32 k = 0; k < s; k++)
                            pvi_host.plot_pixel(rec.x + b * s + k + 49,
                                                rec.line + i * s + j + first_visible_line,
                                                static_cast<u32>(rec.colour));
                }
        }
    }
}

void pvi_render_pixel() {
    pvi_render_span(*pvi_host.clock, *pvi_host.clock);
}

void pvi_render_span(i32 first, i32 last) {
    if (first < 49) first = 49;
    if (last > PVI_BEAM_CLOCKS - 1) last = PVI_BEAM_CLOCKS - 1;
    if (first > last) return;
    u8 colours[PVI_WIDTH];
    pvi_render_run(first, last, colours);
    pvi_host.plot_row(first, raster_line, colours + (first - 49), last - first + 1);
}

namespace {

u8 spare_row[PVI_WIDTH];

// The current line's cells; lines outside the frame get a blank row.
u8* line_cells(i32 y) {
    if (y >= 0 && y < PVI_MAX_LINES) return pvi_pixel_cells + y * PVI_WIDTH;
    std::memset(spare_row, 0, sizeof spare_row);
    return spare_row;
}

// The background and the grid across a whole line, and what they were drawn
// from: lines that repeat them (most lines of a band) copy them.
struct BaseKey {
    u8 background, grid_colour, width;
    u16 lit, corners;
    bool operator==(const BaseKey&) const = default;
};
struct BaseRow {
    BaseKey key;
    bool valid;
    u8 colours[PVI_WIDTH];
    u8 cells[PVI_WIDTH]; // 8 under a bar
    LineBits grid;       // the same as bits
};
BaseRow base_row;
// The grid cells of the last draw() as bits.
LineBits drawn_grid;

// What the grid and background of line y are drawn from. Sixteen columns of
// eight pixels from x 32 take their bar bytes from the line's band and the
// bar width from its line group; a line without a bar or corner has width 0.
BaseKey base_key(i32 y) {
    BaseKey k{static_cast<u8>(pvi_background_colour), 0, 0, 0, 0};
    if (!(pvi_line_background & 8) || y < 20 || y > 219) return k;
    const i32 band = (y - 20) / 20;
    const bool thin = (y - 20) % 20 < 2;
    const u32 bars = 0x80 + 4 * static_cast<u32>(band) + (thin ? 0 : 2);
    const u32 lit = static_cast<u32>(reg(bars)) << 8 | reg(bars + 1);
    u32 corners = 0;
    if (*pvi_host.drawcorners && thin) {
        const u32 same = 0x80 + 4 * static_cast<u32>(band) + 2;
        corners = static_cast<u32>(reg(same)) << 8 | reg(same + 1);
        if (band > 0) corners |= static_cast<u32>(reg(same - 4)) << 8 | reg(same - 3);
        corners &= ~lit;
    }
    if (!(lit | corners)) return k;
    const u8 widths = reg(0xA8 + static_cast<u32>(band / 2));
    k.width = static_cast<u8>((widths >> line_group(y)) & 1 ? 8 : BAR_WIDTH[widths >> 6]);
    k.grid_colour = static_cast<u8>(pvi_grid_colour(pvi_line_background));
    k.lit = static_cast<u16>(lit);
    k.corners = static_cast<u16>(corners);
    return k;
}

void build_base_row(const BaseKey& k) {
    BaseRow& r = base_row;
    r.key = k;
    r.valid = true;
    fill_background(r.colours, 0, PVI_WIDTH, k.background);
    std::memset(r.cells, 0, sizeof r.cells);
    r.grid = {};
    for (u32 columns = k.lit | k.corners; columns;) {
        const i32 c = std::countl_zero(static_cast<u16>(columns));
        const u32 bit = 0x8000u >> c;
        columns &= ~bit;
        const i32 bx = 32 + 8 * c;
        if (k.lit & bit) {
            std::memset(r.colours + bx, k.grid_colour, k.width);
            std::memset(r.cells + bx, 8, k.width);
            add_bits(r.grid, bx, (1ull << k.width) - 1);
        } else {
            r.colours[bx] = k.grid_colour;
        }
    }
}

// The background latched for the current line, unless "dejitter" latched it
// at the line's start.
void latch_background() {
    if (!*pvi_host.dejitter) {
        pvi_line_background = reg(PVI_BGCOLOUR);
        pvi_background_colour = pvi_border_colour(pvi_line_background);
    }
}

// The object layer of the current line.
void update_object_layer() {
    if (layer_built_for != objects_changed || layer_line != pvi_line) build_object_layer(pvi_line);
}

// The background, grid and score of pictures x0..x1 - 1 of the current line
// into colours and cells (ORed in), from the base key `key` and the score
// registers as they are now.
void draw_base(const BaseKey& key, i32 x0, i32 x1, u8* colours, u8* cells) {
    const i32 y = pvi_line;
    if (!key.width) {
        fill_background(colours, x0, x1, key.background);
    } else {
        if (!base_row.valid || !(key == base_row.key)) build_base_row(key);
        std::memcpy(colours + x0, base_row.colours + x0, static_cast<std::size_t>(x1 - x0));
    }
    drawn_grid = key.lit ? base_row.grid : LineBits{};
    if (key.lit) {
        // Grid cells: only the bars' columns hold any.
        i32 x = x0 > 32 ? x0 : 32;
        const i32 to = x1 < 160 ? x1 : 160;
        for (; x + 8 <= to; x += 8)
            store8(cells + x, load8(cells + x) | load8(base_row.cells + x));
        for (; x < to; x++)
            cells[x] |= base_row.cells[x];
    }

    // Score digits.
    if (y >= pvi_score_line && y <= pvi_score_line + 19 && x1 > 60 && x0 < 136) {
        const u8 ctrl = reg(PVI_SCORECTRL);
        const i32 starts[4] = {60, 76, (ctrl & 2) ? 92 : 108, (ctrl & 2) ? 108 : 124};
        const u8 lt = reg(PVI_SCORELT), rt = reg(PVI_SCORERT);
        const u32 digits[4] = {static_cast<u32>(lt >> 4), lt & 15u, static_cast<u32>(rt >> 4),
                               rt & 15u};
        const u8 colour = pvi_score_colour;
        for (int d = 0; d < 4; d++) {
            const i32 s = starts[d];
            if (s + 12 <= x0 || s >= x1) continue;
            const u8 row = SCORE_FONT[digits[d]][(y - pvi_score_line) / 4];
            if (!row) continue;
            if (s >= x0 && s + 16 <= x1) {
                // The digit's twelve pixels (each bit four wide, the leftmost
                // in bit 11) as two masks of eight bytes; the four bytes past
                // the digit are put back as they are.
                const u32 pixels = static_cast<u32>(SPREAD[2][row]);
                const u64 left = EXPAND[(pixels >> 4) & 0xFF] * 0xFF,
                          right = EXPAND[(pixels << 4) & 0xF0] * 0xFF;
                const u64 fill = 0x0101010101010101ull * colour;
                store8(colours + s, (load8(colours + s) & ~left) | (fill & left));
                store8(colours + s + 8, (load8(colours + s + 8) & ~right) | (fill & right));
                continue;
            }
            const i32 from = x0 > s ? x0 : s, to = x1 < s + 12 ? x1 : s + 12;
            for (i32 x = from; x < to; x++)
                if ((row >> (2 - (x - s) / 4)) & 1) colours[x] = colour;
        }
    }
}

// The objects of the current line's layer over pictures x0..x1 - 1 (cells
// ORed in): where they overlap, a pixel shows the OR of their colours.
void draw_objects(i32 x0, i32 x1, u8* colours, u8* cells) {
    update_object_layer();
    const ObjectLayer& l = object_layer;
    const i32 from = x0 > layer_from ? x0 : layer_from, to = x1 < layer_to ? x1 : layer_to;
    if (to - from >= 8) {
        // Eight pixels at a time, the last eight ending at `to`: ORing and
        // colouring pixels a second time leaves them as they are.
        for (i32 x = from;; x += 8) {
            if (x > to - 8) x = to - 8;
            const u64 marks = load8(l.marks + x);
            if (marks) {
                const u64 lit = nonzero_bytes(marks);
                store8(cells + x, load8(cells + x) | marks);
                store8(colours + x, (load8(colours + x) & ~lit) | (marks & 0x0707070707070707ull));
            }
            if (x == to - 8) break;
        }
    } else {
        for (i32 x = from; x < to; x++) {
            cells[x] |= l.marks[x];
            if (l.marks[x]) colours[x] = l.marks[x] & 7;
        }
    }
    if (layer_artefact_row >= 0) draw_artefacts(from, to, colours);
}

// Pictures x0..x1 - 1 of the current line into colours and cells (ORed in)
// from the base key `key`, the score registers as they are now and the
// object layer; no status is written.
void draw_from(const BaseKey& key, i32 x0, i32 x1, u8* colours, u8* cells) {
    draw_base(key, x0, x1, colours, cells);
    draw_objects(x0, x1, colours, cells);
}

void draw(i32 x0, i32 x1, u8* colours, u8* cells) {
    latch_background();
    draw_from(base_key(pvi_line), x0, x1, colours, cells);
}

// Whether anything sees the status registers' single writes: the access
// map, or a watch on one of them or their copies.
bool status_writes_seen() {
    if (pvi_overlay_mode == 4) return true;
    u32 attributes = 0;
    for (u32 copy = 0; copy < 4; copy++)
        attributes |= mem_attributes[(pvi_base + PVI_BGCOLLIDE + 0x10 * copy) & ADDR_MASK] |
                      mem_attributes[(pvi_base + PVI_SPRITECOLLIDE + 0x10 * copy) & ADDR_MASK];
    return (attributes & MEM_WATCH) != 0;
}

// The collisions of pictures x0..x1 - 1 (already drawn), pixel by pixel as
// the beam meets them, each status write at its own beam position.
void collide(i32 x0, i32 x1, const u8* cells) {
    if (!*pvi_host.collisions) return;
    const i32 from = x0 > layer_from ? x0 : layer_from, to = x1 < layer_to ? x1 : layer_to;
    if (from >= to) return;
    for (i32 x = from; x < to; x++) {
        // Eight cells at a time while none holds an object.
        while (x + 8 <= to) {
            u64 eight;
            std::memcpy(&eight, cells + x, 8);
            if (eight & 0xF0F0F0F0F0F0F0F0ull) break;
            x += 8;
        }
        if (x >= to) break;
        const u8 cell = cells[x];
        if (!(cell & 0xF0)) continue;
        *pvi_host.clock = x + 49;
        const u8 pairs = COLLISION_BITS.pairs[cell >> 4];
        pvi_collisions_found.pairs |= pairs;
        if (pairs) set_status(PVI_SPRITECOLLIDE, pairs);
        if (cell & 8) {
            pvi_collisions_found.grid |= COLLISION_BITS.grid[cell >> 4];
            set_status(PVI_BGCOLLIDE, COLLISION_BITS.grid[cell >> 4]);
        }
    }
}

// Cells of the line being drawn ahead, and its grid cells as bits.
u8* ahead_cells;
LineBits ahead_grid;

// The mask of bytes first..first + n - 1 of a little-endian load of eight.
constexpr u64 byte_mask(u32 first, u32 n) {
    return (n >= 8 ? ~0ull : (1ull << (8 * n)) - 1) << (8 * first);
}

void find_line_inputs() {
    static const u8 zero[8] = {}; // read eight at a time, like the bars
    PviLineInputs& in = pvi_line_inputs;
    const u32 page = pvi_base & ADDR_MASK;
    in.page = page + 256 <= GUEST_MEMORY_SIZE ? guest_memory + page : nullptr;
    if (!in.page) return;
    const i32 y = pvi_line;
    in.bars = in.widths = zero;
    in.bars_mask = 0;
    if (y >= 20 && y <= 219) {
        const u32 band = static_cast<u32>(y - 20) / 20;
        in.bars = in.page + 0x80 + 4 * band - 2;
        in.bars_mask = byte_mask(band > 0 ? 0 : 2, band > 0 ? 6 : 4);
        in.widths = in.page + 0xA8 + band / 2;
    }
    in.colours_mask = byte_mask(PVI_BGCOLOUR - 0xC2, 1);
    if (y >= pvi_score_line && y <= pvi_score_line + 19)
        in.colours_mask |= byte_mask(PVI_SCORECTRL - 0xC2, 1) | byte_mask(PVI_SCORELT - 0xC2, 2);
    in.invert = pvi_invert_register ? pvi_invert_register : zero;
}

// What the line's inputs hold now, as the line drawn ahead is drawn.
void take_line_inputs() {
    PviLineInputs& in = pvi_line_inputs;
    if (!in.page) return;
    in.drawn_bars = load8(in.bars) & in.bars_mask;
    in.drawn_colours = load8(in.page + 0xC2) & in.colours_mask;
    in.drawn_widths = *in.widths;
    in.drawn_invert = static_cast<u8>(*in.invert & 0x20);
}

// The last frame's lines as drawn from their start, by PVI line, and what
// each was drawn from: the register bytes the line reads (pvi_line_inputs),
// the background latched for it and its colour, the score's line and
// colour, the settings draw() reads, and the object layer's shapes. That is
// everything the line's picture and cells come from, so a line whose key
// is the same comes out the same and is copied. All but the shapes are
// what its background, grid and score come from: a line whose objects
// alone have changed copies those (kept apart, without the objects) and
// draws its objects over them.
// Six words, built whole and compared whole: the register bytes (bars,
// then $C2-$C9), then widths, inverting bit, latched background, its
// colour, score line, score colour and settings a byte each from the
// lowest, then the layer's shapes (two words) and the artefact row.
struct LineKey {
    u64 words[6];
};
constexpr int LINE_KEY_BASE = 3; // the words before the shapes
struct DrawnLine {
    LineKey key;
    bool valid;
    // The line with its objects is kept only once it has been drawn twice
    // from the same key: a line whose objects move every frame would never
    // be copied from it.
    bool whole;
    u8 colours[PVI_WIDTH];
    u8 cells[PVI_WIDTH];
    LineBits grid;
    u8 base_colours[PVI_WIDTH]; // the picture without the objects
    u8 base_cells[PVI_WIDTH];
};
DrawnLine drawn_lines[PVI_MAX_LINES];

// Whether words [from, to) of two keys agree.
bool same_key(const LineKey& a, const LineKey& b, int from, int to) {
    u64 differ = 0;
    for (int i = from; i < to; i++)
        differ |= a.words[i] ^ b.words[i];
    return differ == 0;
}

// The whole current line into colours and cells (clear when a line's
// drawing ahead begins: pvi_frame_begin clears them and each line starts
// once), copied from the last frame where it is drawn from the same.
void draw_line_start(u8* colours, u8* cells) {
    latch_background();
    const i32 y = pvi_line;
    const PviLineInputs& in = pvi_line_inputs;
    if (!pvi_line_cache || !in.page || y < 0 || y >= PVI_MAX_LINES) {
        draw_from(base_key(y), 0, PVI_WIDTH, colours, cells);
        return;
    }
    update_object_layer();
    // A line of background alone (no grid, score or object on it) is drawn
    // as quickly as it is copied.
    const bool grid_off = !(pvi_line_background & 8) || y < 20 || y > 219;
    if (grid_off && layer_to <= layer_from && (y < pvi_score_line || y > pvi_score_line + 19)) {
        draw_from(base_key(y), 0, PVI_WIDTH, colours, cells);
        return;
    }
    const u64 bytes = static_cast<u64>(in.drawn_widths) | static_cast<u64>(in.drawn_invert) << 8 |
                      static_cast<u64>(pvi_line_background) << 16 |
                      static_cast<u64>(pvi_background_colour & 0xFF) << 24 |
                      static_cast<u64>(pvi_score_line) << 32 |
                      static_cast<u64>(pvi_score_colour) << 40 |
                      static_cast<u64>((*pvi_host.darkenbg ? 1 : 0) | (*pvi_host.drawcorners ? 2 : 0))
                          << 48;
    const LineKey key{{in.drawn_bars, in.drawn_colours, bytes, layer_shapes[0], layer_shapes[1],
                       static_cast<u32>(layer_artefact_row)}};
    DrawnLine& line = drawn_lines[y];
    const bool base_same = line.valid && same_key(line.key, key, 0, LINE_KEY_BASE);
    const bool same = base_same && same_key(line.key, key, LINE_KEY_BASE, 6);
    if (same && line.whole) {
        std::memcpy(colours, line.colours, PVI_WIDTH);
        std::memcpy(cells, line.cells, PVI_WIDTH);
        drawn_grid = line.grid;
        return;
    }
    if (base_same) {
        std::memcpy(colours, line.base_colours, PVI_WIDTH);
        std::memcpy(cells, line.base_cells, PVI_WIDTH);
        drawn_grid = line.grid;
    } else {
        draw_base(base_key(y), 0, PVI_WIDTH, colours, cells);
        std::memcpy(line.base_colours, colours, PVI_WIDTH);
        std::memcpy(line.base_cells, cells, PVI_WIDTH);
        line.grid = drawn_grid;
    }
    draw_objects(0, PVI_WIDTH, colours, cells);
    line.key = key;
    line.valid = true;
    line.whole = same;
    if (same) {
        std::memcpy(line.colours, colours, PVI_WIDTH);
        std::memcpy(line.cells, cells, PVI_WIDTH);
    }
}

// The span of the line drawn ahead where two objects, or an object and the
// grid, meet: runs outside it write no collision (pvi_collide_run).
void find_collision_span() {
    const ObjectLayer& l = object_layer;
    pvi_collision_from = PVI_WIDTH;
    pvi_collision_to = 0;
    for (i32 w = 0; w < 3; w++) {
        const u64 meet = l.shared[w] | (l.any[w] & ahead_grid[w]);
        if (!meet) continue;
        if (pvi_collision_from == PVI_WIDTH) pvi_collision_from = 64 * w + std::countr_zero(meet);
        pvi_collision_to = 64 * w + 64 - std::countl_zero(meet);
    }
}

} // namespace

void pvi_render_run(i32 first, i32 last, u8* colours) {
    const i32 x0 = first - 49, x1 = last - 49 + 1; // [x0, x1)
    u8* const cells = line_cells(pvi_line);
    draw(x0, x1, colours, cells);
    collide(x0, x1, cells);
    *pvi_host.clock = last;
}

void pvi_draw_ahead(i32 first, u8* colours) {
    const i32 x0 = first - 49;
    if (x0 >= PVI_WIDTH) return;
    if (first == 49) {
        ahead_cells = line_cells(pvi_line);
        find_line_inputs();
        take_line_inputs();
        draw_line_start(colours, ahead_cells);
        ahead_grid = drawn_grid;
        find_collision_span();
        return;
    }
    // What was drawn ahead from here on is drawn again.
    std::memset(ahead_cells + x0, 0, static_cast<std::size_t>(PVI_WIDTH - x0));
    take_line_inputs();
    draw(x0, PVI_WIDTH, colours, ahead_cells);
    // The grid cells before x0 stay as they were drawn.
    for (i32 w = 0; w < 3; w++) {
        const i32 from = x0 - 64 * w;
        const u64 kept = from <= 0 ? 0 : from >= 64 ? ~0ull : (1ull << from) - 1;
        ahead_grid[w] = (ahead_grid[w] & kept) | (drawn_grid[w] & ~kept);
    }
    find_collision_span();
}

// The collisions of cells [x0, x1) of the line drawn ahead: from the
// objects' and the grid's pixels as bits, a word at a time. A run without a
// collision writes nothing, whoever watches the status registers.
void pvi_collide_ahead(i32 x0, i32 x1) {
    const LineBits* lit = object_layer.lit;
    u8 pairs = 0, grid = 0;
    for (i32 w = x0 >> 6; w <= (x1 - 1) >> 6; w++) {
        const i32 from = x0 - 64 * w, to = x1 - 64 * w;
        const u64 range =
            (to >= 64 ? ~0ull : (1ull << to) - 1) & (from <= 0 ? ~0ull : ~((1ull << from) - 1));
        const u64 a = lit[0][w] & range, b = lit[1][w] & range, c = lit[2][w] & range,
                  d = lit[3][w] & range, g = ahead_grid[w];
        // Which pairs, and which objects on the grid, only where any meet.
        if (object_layer.shared[w] & range)
            pairs |= static_cast<u8>((a & b ? 0x20 : 0) | (a & c ? 0x10 : 0) | (a & d ? 0x08 : 0) |
                                     (b & c ? 0x04 : 0) | (b & d ? 0x02 : 0) | (c & d ? 0x01 : 0));
        if (object_layer.any[w] & g & range)
            grid |= static_cast<u8>((a & g ? 0x80 : 0) | (b & g ? 0x40 : 0) | (c & g ? 0x20 : 0) |
                                    (d & g ? 0x10 : 0));
    }
    if (!(pairs | grid)) return;
    if (status_writes_seen()) {
        collide(x0, x1, ahead_cells);
        return;
    }
    pvi_collisions_found.pairs |= pairs;
    pvi_collisions_found.grid |= grid;
    // Bits that every copy holds already change nothing.
    if (pairs && !holds_status(PVI_SPRITECOLLIDE, pairs)) set_status(PVI_SPRITECOLLIDE, pairs);
    if (grid && !holds_status(PVI_BGCOLLIDE, grid)) set_status(PVI_BGCOLLIDE, grid);
}

bool pvi_boxes_overlap(i32 x1, i32 x2, i32 y1, i32 y2, i32 w, i32 h) {
    return x1 + w - 1 >= x2 && x1 <= x2 + w - 1 && y1 + h - 1 >= y2 && y1 <= y2 + h - 1;
}
