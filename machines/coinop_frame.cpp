// The coin-op boards' frame: the playfield drawn once, then 312 lines of a
// processor slice each; on lines 0-268 every PVI's sprites advance by one
// line and, with "collisions" on, the collision planes are compared. The
// boards' PVIs only supply registers: the sprite engine here draws their
// objects with the board's own geometry and colours.
#include "machines/coinop_editor.h"
#include "machines/coinop_video.h"

#include "core/frame.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "display/frame.h"
#include "input/collision_feedback.h"
#include "machines/coinop.h"
#include "machines/malzak.h"
#include "machines/pvi2636.h"
#include "machines/zaccaria.h"
#include "sound/voice_update.h"

#include <algorithm>
#include <cstring>

u8 coinop_collision_planes[3][COINOP_PLANE_SIZE];
i32 malzak_x_offset;
CoinopSprite coinop_sprite_state[12];

namespace {

bool astro_wars() {
    return memmap == 22;
}
bool galaxia() {
    return memmap == 23;
}
bool malzak() {
    return memmap == 26 || memmap == 27;
}

// Colour translation from the PVI's colour number to guest colours.
constexpr u8 ASTRO_COLOURS[8] = {0, 3, 5, 1, 4, 2, 6, 7};
constexpr u8 ZACCARIA_COLOURS[8] = {4, 6, 1, 5, 3, 2, 0, 7};
constexpr u8 MALZAK_COLOURS[8] = {0, 7, 2, 3, 4, 5, 6, 1};

// Shapes shown instead of the guest's with sprite mode 1: a filled box with
// the sprite's digit left clear.
constexpr u8 NUMBERED[4][10] = {
    {0xFF, 0xE7, 0xDB, 0xDB, 0xDB, 0xDB, 0xDB, 0xDB, 0xE7, 0xFF},
    {0xFF, 0xF7, 0xE7, 0xD7, 0xF7, 0xF7, 0xF7, 0xF7, 0xC1, 0xFF},
    {0xFF, 0xE7, 0xDB, 0xFB, 0xF7, 0xEF, 0xDF, 0xDF, 0xC3, 0xFF},
    {0xFF, 0xC7, 0xFB, 0xFB, 0xE7, 0xFB, 0xFB, 0xFB, 0xC7, 0xFF},
};

// Sprite pairs: the two sprite bits of a plane cell, the SPRITECOLLIDE bit.
constexpr struct {
    u8 mask, bit;
} PAIRS[6] = {{0x30, 0x20}, {0x50, 0x10}, {0x90, 0x08}, {0x60, 0x04}, {0xA0, 0x02}, {0xC0, 0x01}};

// The board columns the sprites marked on the current line (first > last
// when none): the collision pass finds nothing outside them.
i32 line_first = 256, line_last = -1;

// The processor takes a pending interrupt; the clock periods it spends doing
// so come out of the line's slice, so a frame stays 23608 clock periods.
void accept_interrupt() {
    const u32 before = cpu_cycles;
    cpu_interrupt();
    cpu_cycle_budget -= static_cast<i32>(cpu_cycles - before);
}

CoinopSprite& sprite(int pvi, int n) {
    return coinop_sprite_state[4 * pvi + n];
}

// Sets `bits` in a status register and its three copies, each from its own
// current value, at the PVI at pvi_base.
void or_status(u32 offset, u8 bits) {
    for (u32 copy = 0; copy < 4; copy++) {
        const u32 o = offset + 0x10 * copy;
        pvi_write_register(o, static_cast<u8>(pvi_read_register(o) | bits), true);
    }
}

void clear_status(u32 offset) {
    for (u32 copy = 0; copy < 4; copy++)
        pvi_write_register(offset + 0x10 * copy, 0, true);
}

// Picture row of the current line when sprites show on it, else -1: not
// with sprite mode 0, outside the picture, or (Malzak) on the first lines.
i32 visible_row() {
    const i32 row = coinop_picture_row(raster_line);
    if (row < 0 || row > 239 || sprite_mode == 0) return -1;
    if (malzak() && raster_line <= 10) return -1;
    return row;
}

// One sprite pixel at board x on picture row `row` (from visible_row),
// unless the column or the colour already there says no.
void plot(i32 x, i32 row, u8 colour) {
    const i32 column = x - 16;
    if (row < 0 || column < 0 || column > 239) return;
    display_plot_pixel(static_cast<u32>(column), static_cast<u32>(row), colour);
}

// The vertical blank: status bit 6 of every PVI, Sense (on Astro Wars and
// Galaxia only when the DIP byte's bit 7 is set) and the interrupt.
void vertical_blank(u32 pvis, u32 first) {
    pvi_vblank();
    for (u32 p = 1; p < pvis; p++) {
        pvi_base = first + 256 * p;
        or_status(PVI_SPRITECOLLIDE, 0x40);
    }
    pvi_base = first;
    if (astro_wars() || galaxia()) {
        const u8 dips = astro_wars() ? dips_astrowars : dips_galaxia;
        cpu_psu = static_cast<u8>((cpu_psu & ~PSU_S) | (dips & 0x80));
    }
    accept_interrupt();
}

} // namespace

// ---- board facts ---------------------------------------------------------------------

u32 coinop_pvi_count() {
    if (astro_wars()) return 1;
    return malzak() ? 2 : 3;
}

u32 coinop_first_pvi() {
    return malzak() ? 0x1400 : 0x1500;
}

u8 coinop_colour(u32 c) {
    if (astro_wars()) return ASTRO_COLOURS[c & 7];
    return malzak() ? MALZAK_COLOURS[c & 7] : ZACCARIA_COLOURS[c & 7];
}

i32 coinop_picture_row(i32 line) {
    if (malzak()) return line;
    return memmap == 24 || memmap == 25 ? line - 14 : line - 16;
}

// ---- sprite engine -------------------------------------------------------------------

void coinop_sprites_frame_reset() {
    const u32 first = coinop_first_pvi(), pvis = coinop_pvi_count();
    for (u32 p = 0; p < 3; p++)
        for (int n = 0; n < 4; n++) {
            CoinopSprite& s = sprite(static_cast<int>(p), n);
            s.row = -1;
            const u32 vc = (first + 256 * p + pvi_object_block[n] + 12) & (GUEST_MEMORY_SIZE - 1);
            s.start_line = p < pvis ? (guest_memory[vc] + 1) & 255 : -1;
            if (p < pvis && (astro_wars() || galaxia())) s.start_line += 2;
        }
}

void coinop_sprite_start(int pvi, int n) {
    CoinopSprite& s = sprite(pvi, n);
    s.sub_line = 0;
    s.row = 0;
    s.scale = 1 << ((pvi_read_register(PVI_SIZES) >> (2 * n)) & 3);
    const i32 hc = pvi_read_register(pvi_object_block[n] + 10);
    if (astro_wars())
        s.x = hc + 1;
    else if (galaxia())
        s.x = hc == 255 ? 256 : hc - 11;
    else if (malzak())
        s.x = hc + malzak_x_offset - 3;
    else
        s.x = hc - 4;
    coinop_sprite_load_row(pvi, n);
}

void coinop_sprite_load_row(int pvi, int n) {
    CoinopSprite& s = sprite(pvi, n);
    const u8 colours = pvi_read_register(n < 2 ? PVI_SPR01COLOURS : PVI_SPR23COLOURS);
    s.colour = static_cast<u8>(n % 2 == 0 ? (colours >> 3) & 7 : colours & 7);
    // Invisible sprites (mode 0) keep their shapes: they still mark their
    // planes, collide and complete; only the plot leaves them out.
    if (sprite_mode == 1)
        s.row_byte = NUMBERED[n][s.row];
    else
        s.row_byte = pvi_read_register(pvi_object_block[n] + static_cast<u32>(s.row));
}

void coinop_sprite_draw_line(int pvi, int n) {
    const CoinopSprite& s = sprite(pvi, n);
    u8* plane = coinop_collision_planes[pvi] + static_cast<u32>(raster_line) * 256;
    const u8 mark = static_cast<u8>(0x10u << n);
    const u8 colour = coinop_colour(s.colour);
    const i32 row = visible_row();
    // Astro Wars's sprites are stretched: every third pixel is drawn twice.
    i32 x = astro_wars() ? s.x * 4 / 3 : s.x;
    for (int b = 0; b < 8; b++) {
        const bool set = (s.row_byte >> (7 - b)) & 1;
        if (set) {
            for (i32 k = 0; k < s.scale; k++, x++) {
                if (x > 255) return;
                if (x < 0) continue;
                plane[x] |= mark;
                line_first = std::min(line_first, x);
                line_last = std::max(line_last, x);
                plot(x, row, colour);
            }
        } else {
            x += s.scale;
        }
        if (astro_wars() && (b == 2 || b == 5)) {
            if (set) plot(x, row, colour);
            x++;
        }
    }
}

void coinop_sprite_advance(int pvi, int n) {
    CoinopSprite& s = sprite(pvi, n);
    if (++s.sub_line < s.scale) return;
    s.sub_line = 0;
    if (s.row != 9) {
        s.row++;
        coinop_sprite_load_row(pvi, n);
    } else {
        coinop_sprite_complete(pvi, n);
    }
}

void coinop_sprite_complete(int pvi, int n) {
    sprite(pvi, n).row = -1;
    or_status(PVI_BGCOLLIDE, static_cast<u8>(0x08u >> n));
    cpu_irq_pending = 1;
    if (loginterrupts)
        con_printf((cpu_psu & PSU_II)
                       ? "Pended sprite #%d display complete interrupt at rastline %d.\n"
                       : "Generated sprite #%d display complete interrupt at rastline %d.\n",
                   pvi * 4 + n, static_cast<int>(raster_line));
    accept_interrupt();
}

// ---- collisions ----------------------------------------------------------------------

void coinop_check_collisions() {
    const u32 from = static_cast<u32>(std::max(line_first, 9)), to = static_cast<u32>(line_last);
    if (line_last < 9) return;
    const u32 pvis = coinop_pvi_count(), first = coinop_first_pvi();
    const u32 line = static_cast<u32>(raster_line) * 256;
    const bool is_astro_wars = astro_wars(), is_galaxia = galaxia();
    const bool shells = is_astro_wars || is_galaxia;
    u8 pending_sprites[3] = {}, pending_background[3] = {};
    for (u32 x = from; x <= to; x++) {
        if ((x & 7) == 0 && x + 8 <= 256) {
            // Eight columns at a time where no plane has a sprite bit.
            u64 any = 0;
            for (u32 p = 0; p < pvis; p++) {
                u64 cells;
                std::memcpy(&cells, &coinop_collision_planes[p][line + x], 8);
                any |= cells;
            }
            if ((any & 0xF0F0F0F0F0F0F0F0ull) == 0) {
                x += 7;
                continue;
            }
        }
        u8 cells[3] = {};
        u32 holding = 0; // PVIs with a sprite in this cell
        for (u32 p = 0; p < pvis; p++) {
            cells[p] = coinop_collision_planes[p][line + x];
            if (cells[p] & 0xF0) holding++;
        }
        const u8 base = cells[0];
        // One sprite alone over nothing of the playfield: nothing happens.
        if (holding == 0) continue;
        if (holding == 1 && !(base & (COINOP_PLANE_SHELL | COINOP_PLANE_PLAYFIELD))) {
            const u8 sprites = (cells[0] | cells[1] | cells[2]) & 0xF0;
            if (!(sprites & (sprites - 1))) continue;
        }
        if (is_galaxia) {
            const u8 s0 = cells[0] & 0xF0, s1 = cells[1] & 0xF0, s2 = cells[2] & 0xF0;
            if (s0 && s1) coinop_collision_latch |= 0x01;
            if (s2 && s1) coinop_collision_latch |= 0x02;
            if (s2 && s0) coinop_collision_latch |= 0x04;
        }
        for (u32 p = 0; p < pvis; p++) {
            const u8 cell = cells[p];
            const u8 sprites = cell & 0xF0;
            if (!sprites) continue;
            if (shells && (base & COINOP_PLANE_SHELL)) coinop_collision_latch |= 0x08;
            for (int pair = 0; (sprites & (sprites - 1)) && pair < 6; pair++) {
                if ((cell & PAIRS[pair].mask) != PAIRS[pair].mask) continue;
                pending_sprites[p] |= PAIRS[pair].bit;
                collision_feedback_request(1u << pair, 0, 0);
            }
            if (!(base & COINOP_PLANE_PLAYFIELD)) continue;
            if (is_astro_wars)
                coinop_collision_latch |= 0x01;
            else if (is_galaxia && p > 0)
                coinop_collision_latch |= static_cast<u8>(1u << (4 + p));
            for (int n = 0; n < 4; n++) {
                if (!(cell & (0x10u << n))) continue;
                pending_background[p] |= static_cast<u8>(0x80u >> n);
                malzak_last_line = raster_line;
                malzak_last_x = static_cast<i32>(x);
                collision_feedback_request(0, 1u << n, 0);
            }
        }
    }
    for (u32 p = 0; p < pvis; p++) {
        if (!pending_sprites[p] && !pending_background[p]) continue;
        pvi_base = first + 256 * p;
        if (pending_sprites[p]) or_status(PVI_SPRITECOLLIDE, pending_sprites[p]);
        if (pending_background[p]) or_status(PVI_BGCOLLIDE, pending_background[p]);
    }
    pvi_base = first;
}

// ---- the frame -----------------------------------------------------------------------

void coinop_sprites_line() {
    const u32 pvis = coinop_pvi_count(), first = coinop_first_pvi();
    line_first = 256;
    line_last = -1;
    for (u32 p = 0; p < pvis; p++) {
        pvi_base = first + 256 * p;
        for (int n = 0; n < 4; n++) {
            const int pvi = static_cast<int>(p);
            CoinopSprite& s = sprite(pvi, n);
            if (s.row == -1) {
                if (s.start_line == raster_line) coinop_sprite_start(pvi, n);
                if (s.row == -1) continue;
            }
            coinop_sprite_draw_line(pvi, n);
            coinop_sprite_advance(pvi, n);
        }
    }
    pvi_base = first;
    if (collisions) coinop_check_collisions();
}

void coinop_run_line() {
    dbg_check_raster_breakpoint();
    cpu_cycle_budget += raster_line % 3 == 0 ? 75 : 76;
    cpu_run_cycles();
}

void galaxia_step_sound() {
    if (galaxia_shot_counter)
        galaxia_shot_counter = galaxia_shot_counter > 8 ? galaxia_shot_counter - 8 : 0;
    if (galaxia_cycle_counter) galaxia_cycle_counter = galaxia_cycle_counter % 12 + 1;
    if (galaxia_tone_a == galaxia_shot_counter && galaxia_tone_b == galaxia_cycle_counter) return;
    galaxia_tone_a = galaxia_shot_counter;
    galaxia_tone_b = galaxia_cycle_counter;
    snd_update_voices(0);
}

void coinop_run_frame() {
    const u32 pvis = coinop_pvi_count(), first = coinop_first_pvi();
    in_frame = 1;
    std::memset(coinop_collision_planes, 0, pvis * COINOP_PLANE_SIZE);
    raster_clock = 0;

    if (malzak()) {
        malzak_collision_flag =
            static_cast<u8>((guest_memory[0x14CA] & 0xF0) | (guest_memory[0x15CA] >> 4));
        malzak_x_offset = guest_memory[0x100A] == 6 ? 68 : 0;
        malzak_poll_inputs();
        malzak_draw_picture();
    } else {
        coinop_poll_inputs();
        zaccaria_draw_playfield();
    }

    coinop_sprites_frame_reset();
    for (u32 p = 0; p < pvis; p++) {
        pvi_base = first + 256 * p;
        clear_status(PVI_SPRITECOLLIDE);
        clear_status(PVI_BGCOLLIDE);
    }
    pvi_base = first;

    cpu_psu &= static_cast<u8>(~PSU_S);
    cpu_irq_pending = 0;
    for (raster_line = 0; raster_line < COINOP_VBLANK_LINE; raster_line++) {
        coinop_run_line();
        coinop_sprites_line();
    }

    raster_line = COINOP_VBLANK_LINE;
    vertical_blank(pvis, first);
    for (; raster_line < COINOP_LINES; raster_line++)
        coinop_run_line();
    raster_line = COINOP_LINES - 1;

    if (galaxia()) galaxia_step_sound();
    coinop_frame_overlays();
    emu_end_of_frame();
}
