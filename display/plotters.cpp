// The layout of the host picture, the 44 plotters, the chunky buffer and the
// full redraw.
#include "display/frame.h"
#include "display/host.h"

#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "platform/gui.h"

#include <cstring>
#include <vector>

u32 display_layout;
u32 display_mirror;
i32 display_host_width, display_host_height, display_stride;
u8* display_buffer;
u8* display_rows[6 * GUEST_FRAME_ROWS];
i32 display_screen_width = 1920, display_screen_height = 1080;
int display_host_window, display_host_gadget;

namespace {

std::vector<u8> buffer;
bool filter_active;

u32 guest_width() {
    const i32 w = machine_table[machine].width;
    return w > 0 && w <= GUEST_FRAME_COLUMNS ? static_cast<u32>(w) : 1;
}
u32 guest_height() {
    const i32 h = machine_table[machine].height;
    return h > 0 && h <= GUEST_FRAME_ROWS ? static_cast<u32>(h) : 1;
}
u32 scale() {
    return display_scale >= 1 && display_scale <= 6 ? display_scale : 1;
}
u32 stretch() {
    return display_aspect == 2 ? 2 : 1;
}

bool scanlines_apply() {
    return scanlines && scale() > 1 && machine != INSTRUCTOR && machine != MIKIT &&
           machine != TYPERIGHT;
}

// One host row of a block: S * T pens from `p` on. The stores follow the
// block's alignment (constant sizes become 8-, 16- and 32-bit stores).
template <u32 S, u32 T> inline void fill_block_row(u8* p, u32 colour) {
    constexpr u32 bytes = S * T;
    if constexpr (bytes == 1) {
        *p = pen_byte[colour];
    } else if constexpr (bytes % 4 == 0) {
        for (u32 i = 0; i < bytes; i += 4)
            std::memcpy(p + i, &pen_quad[colour], 4);
    } else if constexpr (bytes % 2 == 0) {
        for (u32 i = 0; i < bytes; i += 2)
            std::memcpy(p + i, &pen_double[colour], 2);
    } else {
        std::memset(p, pen_byte[colour], bytes);
    }
}

template <u32 S, u32 T, bool ROT, bool SCAN> void plot(u32 x, u32 y, u32 colour) {
    constexpr u32 rows = SCAN ? (S + 1) / 2 : S;
    const u32 row = ROT ? S * x : S * y;
    const u32 col = ROT ? S * T * (display_mirror - y) : S * T * x;
    for (u32 r = 0; r < rows; r++)
        fill_block_row<S, T>(display_rows[row + r] + col, colour);
}

void plot_empty(u32, u32, u32) {}

template <u32 S, u32 T>
constexpr DisplayPlotter family[4] = {plot<S, T, false, false>, plot<S, T, false, true>,
                                      plot<S, T, true, false>, plot<S, T, true, true>};

// By layout: plain, scanlines, rotated, rotated with scanlines. Scale 1 has
// no scanline plotters (its entries repeat the plain ones).
constexpr DisplayPlotter plotters[12][4] = {
    {plot<1, 1, false, false>, plot<1, 1, false, false>, plot<1, 1, true, false>,
     plot<1, 1, true, false>},
    {plot<1, 2, false, false>, plot<1, 2, false, false>, plot<1, 2, true, false>,
     plot<1, 2, true, false>},
    {family<2, 1>[0], family<2, 1>[1], family<2, 1>[2], family<2, 1>[3]},
    {family<2, 2>[0], family<2, 2>[1], family<2, 2>[2], family<2, 2>[3]},
    {family<3, 1>[0], family<3, 1>[1], family<3, 1>[2], family<3, 1>[3]},
    {family<3, 2>[0], family<3, 2>[1], family<3, 2>[2], family<3, 2>[3]},
    {family<4, 1>[0], family<4, 1>[1], family<4, 1>[2], family<4, 1>[3]},
    {family<4, 2>[0], family<4, 2>[1], family<4, 2>[2], family<4, 2>[3]},
    {family<5, 1>[0], family<5, 1>[1], family<5, 1>[2], family<5, 1>[3]},
    {family<5, 2>[0], family<5, 2>[1], family<5, 2>[2], family<5, 2>[3]},
    {family<6, 1>[0], family<6, 1>[1], family<6, 1>[2], family<6, 1>[3]},
    {family<6, 2>[0], family<6, 2>[1], family<6, 2>[2], family<6, 2>[3]},
};

// The derived sizes of the current machine and layout; the buffer follows.
void fit_buffer() {
    const u32 s = scale(), t = stretch();
    display_layout = (s - 1) * 2 + (t - 1);
    const i32 w = static_cast<i32>(guest_width() * s * t);
    const i32 h = static_cast<i32>(guest_height() * s);
    const i32 stride = (w + 15) & ~15;
    if (w == display_host_width && h == display_host_height && display_buffer) return;
    display_host_width = w;
    display_host_height = h;
    display_stride = stride;
    display_alloc_bitmap();
}

} // namespace

void display_alloc_bitmap() {
    buffer.assign(static_cast<std::size_t>(display_stride) * display_host_height, 0);
    display_buffer = buffer.data();
    for (i32 r = 0; r < display_host_height; r++)
        display_rows[r] = display_buffer + static_cast<std::size_t>(r) * display_stride;
    if (display_host_window)
        gui_display_attach(display_host_window, display_host_gadget, display_buffer,
                           display_host_width, display_host_height, display_stride,
                           display_colour_table, HOST_PENS);
}

void display_free_bitmap() {
    std::vector<u8>().swap(buffer);
    display_buffer = nullptr;
    display_host_width = display_host_height = display_stride = 0;
    plotter_fn = plot_empty;
}

bool display_filter_active() {
    return filter_active;
}

void display_compute_layout() {
    display_setup_geometry();
    if (display_mode == 1) {
        const i32 t = machine_table[machine].default_stretch == 2 ? 2 : 1;
        const i32 w = static_cast<i32>(guest_width()), h = static_cast<i32>(guest_height());
        u32 s = 1;
        for (i32 c = 6; c >= 2; c--)
            if (w * t * c <= display_screen_width && h * c <= display_screen_height) {
                s = static_cast<u32>(c);
                break;
            }
        display_scale = s;
        display_aspect = static_cast<u32>(t);
    }
    display_select_plotter();
}

void display_select_plotter() {
    fit_buffer();
    if (display_rotated) display_mirror = guest_width() - 1;
    const u32 s = scale();
    filter_active = display_filter == 2 && s >= 2 && s <= 4;
    if (filter_active) {
        plotter_fn = plot_empty;
        return;
    }
    if (display_layout > 11) return;
    const int kind = (display_rotated ? 2 : 0) + (scanlines_apply() ? 1 : 0);
    plotter_fn = plotters[display_layout][kind];
}

void display_scanline_prepass() {
    if (!scanlines || scale() < 2 || machine == INSTRUCTOR || machine == MIKIT || !display_buffer)
        return;
    const i32 s = static_cast<i32>(scale()), w = display_host_width, h = display_host_height;
    if (machine == TYPERIGHT) {
        const i32 m = s * static_cast<i32>(stretch());
        const u8 pen = pen_byte[19];
        for (i32 r = 1; r < h; r++)
            for (i32 c = 2 * m - 1; c < w; c += 2 * m)
                display_rows[r][c] = pen;
        for (i32 r = 2 * s - 1; r < h; r += 2 * s)
            std::memset(display_rows[r], pen, static_cast<std::size_t>(w));
        return;
    }
    // The rows the scanline plotters skip, in black, across the whole stride.
    const i32 written = (s + 1) / 2;
    for (i32 block = 0; block < h; block += s)
        for (i32 r = block + written; r < block + s && r < h; r++) {
            u32* p = reinterpret_cast<u32*>(display_rows[r]);
            for (i32 i = 0; i < display_stride / 4; i++)
                p[i] = pen_quad[7];
        }
}

void display_redraw_all() {
    if (!display_host_window) return;
    display_select_plotter();
    display_scanline_prepass();
    const u32 w = guest_width(), h = guest_height();
    for (u32 x = 0; x < w; x++)
        for (u32 y = 0; y < h; y++)
            plotter_fn(x, y, guest_frame[x * GUEST_FRAME_ROWS + y]);
    if (guidepixel && (emu_paused || cpu_tracing)) display_update_beam_marker(0);
    display_blit();
}
