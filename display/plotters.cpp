// The layout of the host picture, the 44 plotters, the chunky buffer and the
// full redraw.
#include "display/frame.h"
#include "display/host.h"

#include "core/machine.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <sys/mman.h>

u32 display_layout;
u32 display_mirror;
i32 display_host_width, display_host_height, display_stride;
u8* display_buffer;
u8* display_rows[6 * GUEST_FRAME_ROWS];
i32 display_screen_width = 1920, display_screen_height = 1080;
int display_host_window, display_host_gadget;

namespace {

// No memory for the picture: the program cannot go on.
[[noreturn]] void out_of_memory() {
    const char* text = "Out of memory (error code 4)!";
    if (app_acquired.host_gui)
        gui_host_requester(cat_str(119, "Fatal Error"), text, cat_str(67, "Quit"), 3);
    else
        std::fprintf(stderr, "%s\n", text);
    app_clean_exit(1);
}

// The chunky buffer. A picture at the larger scales spans thousands of 4 KiB
// pages, and a plotter writes its block's rows on as many pages: the block
// is backed by 2 MiB pages where the system gives them, so the page table
// lookups stay few.
struct Buffer {
    static constexpr std::size_t LARGE_PAGE = std::size_t{2} << 20;
    u8* data = nullptr;
    std::size_t size = 0;
    void assign(std::size_t bytes) {
        release();
        if (bytes == 0) return;
        // Pictures smaller than a large page stay on ordinary pages.
        const bool large = bytes >= LARGE_PAGE;
        const std::size_t align = large ? LARGE_PAGE : 64;
        const std::size_t rounded = (bytes + align - 1) / align * align;
        data = static_cast<u8*>(std::aligned_alloc(align, rounded));
        if (!data) out_of_memory();
        size = rounded;
#ifdef MADV_HUGEPAGE
        if (large) madvise(data, rounded, MADV_HUGEPAGE);
#endif
        std::memset(data, 0, rounded);
    }
    void release() {
        std::free(data);
        data = nullptr;
        size = 0;
    }
};
Buffer buffer;
bool filter_active;

u32 guest_width() {
    const i32 w = machine_live_row().width;
    return w > 0 && w <= GUEST_FRAME_COLUMNS ? static_cast<u32>(w) : 1;
}
u32 guest_height() {
    const i32 h = machine_live_row().height;
    return h > 0 && h <= GUEST_FRAME_ROWS ? static_cast<u32>(h) : 1;
}
// The scale and stretch the window shows below the user's, where the user's
// would not fit the room on the screen (0: the user's own).
u32 fitted_scale = 0, fitted_stretch = 0;

// The scale setting, 1 to 6, as shown.
u32 scale_setting() {
    const u32 s = display_scale >= 1 && display_scale <= 6 ? display_scale : 1;
    return fitted_scale && fitted_scale < s ? fitted_scale : s;
}
// The machine's zoom at scale setting s; none where the zoomed picture would
// pass the largest plotted scale or the rows the buffer can have.
u32 zoom_at(u32 s) {
    const u32 z = machine_view().picture_zoom;
    if (z <= 1 || s * z > DISPLAY_MAX_PICTURE_SCALE) return 1;
    return guest_height() * s * z <= sizeof display_rows / sizeof display_rows[0] ? z : 1;
}
u32 scale() {
    return display_picture_scale();
}
u32 stretch() {
    return fitted_stretch ? fitted_stretch : display_aspect == 2 ? 2 : 1;
}

// N pens of one colour from `p` on, `v` the pen in all eight bytes: the
// widest stores that fit (8, 4, 2, 1 bytes), all known at compile time.
template <u32 N> inline void put_pens(u8* p, u64 v) {
    if constexpr (N >= 8) {
        std::memcpy(p, &v, 8);
        put_pens<N - 8>(p + 8, v);
    } else if constexpr (N >= 4) {
        const u32 w = static_cast<u32>(v);
        std::memcpy(p, &w, 4);
        put_pens<N - 4>(p + 4, v);
    } else if constexpr (N >= 2) {
        const u16 w = static_cast<u16>(v);
        std::memcpy(p, &w, 2);
        put_pens<N - 2>(p + 2, v);
    } else if constexpr (N == 1) {
        *p = static_cast<u8>(v);
    }
}

// The guest pixels the buffer holds across and down at the current scale
// and stretch; the plotters refuse what lies outside. Turned, guest column x
// is block row x and guest row y block column display_mirror - y.
u32 buffer_across, buffer_down;

// Runs up to this many pixels long are plotted block by block: cheaper than
// building a row and copying it.
constexpr u32 SHORT_RUN = 8;

template <bool ROT> inline bool in_buffer(u32 x, u32 y) {
    if constexpr (ROT)
        return x < buffer_down && y <= display_mirror && display_mirror - y < buffer_across;
    else
        return x < buffer_across && y < buffer_down;
}

// One guest pixel's block from `p` on: the pen in the block's written rows.
template <u32 S, u32 T, bool SCAN> inline void put_block(u8* p, u64 v) {
    constexpr u32 rows = SCAN ? (S + 1) / 2 : S;
    const std::size_t stride = static_cast<std::size_t>(display_stride);
    for (u32 r = 0; r < rows; r++, p += stride)
        put_pens<S * T>(p, v);
}

template <u32 S, u32 T, bool ROT, bool SCAN> void plot(u32 x, u32 y, u32 colour) {
    if (!in_buffer<ROT>(x, y)) return;
    const u32 row = ROT ? S * x : S * y;
    const u32 col = ROT ? S * T * (display_mirror - y) : S * T * x;
    put_block<S, T, SCAN>(display_rows[row] + col, pen_oct[colour]);
}

// A run of pixels on guest row y. A short run (the usual: the few pixels at
// an object's edge) goes block by block. In a longer one the first written
// host row of the block row is built from the run's pens (or filled with one
// pen), the others are copies. Turned, every pixel of the run lies on its own
// host rows.
template <u32 S, u32 T, bool ROT, bool SCAN>
void plot_run(u32 x, u32 y, const u8* colours, u32 colour, u32 n) {
    // Only the part of the run that the buffer holds.
    const u32 length = ROT ? buffer_down : buffer_across;
    if (x >= length) return;
    if (n > length - x) n = length - x;
    if constexpr (ROT) {
        for (u32 i = 0; i < n; i++)
            plot<S, T, ROT, SCAN>(x + i, y, colours ? colours[i] : colour);
    } else {
        if (y >= buffer_down) return;
        constexpr u32 rows = SCAN ? (S + 1) / 2 : S;
        constexpr u32 B = S * T;
        u8* dst = display_rows[S * y] + B * x;
        if (n <= SHORT_RUN) {
            for (u32 i = 0; i < n; i++)
                put_block<S, T, SCAN>(dst + B * i, pen_oct[colours ? colours[i] : colour]);
            return;
        }
        const std::size_t bytes = static_cast<std::size_t>(n) * B;
        if (colours) {
            for (u32 i = 0; i < n; i++)
                put_pens<B>(dst + B * i, pen_oct[colours[i]]);
        } else {
            std::memset(dst, pen_byte[colour], bytes);
        }
        for (u32 r = 1; r < rows; r++)
            std::memcpy(display_rows[S * y + r] + B * x, dst, bytes);
    }
}

// The whole frame at once, host row by host row: the first written row of a
// block row is built from the guest pixels, the others are copies of it. The
// bytes are those the plotter of the same kind writes pixel by pixel.
template <u32 S, u32 T, bool ROT, bool SCAN> void redraw(u32 w, u32 h) {
    constexpr u32 rows = SCAN ? (S + 1) / 2 : S;
    constexpr u32 B = S * T; // host pixels per guest pixel along a row
    if constexpr (!ROT) {
        const std::size_t bytes = static_cast<std::size_t>(w) * B;
        for (u32 y = 0; y < h; y++) {
            u8* dst = display_rows[S * y];
            const u8* src = guest_frame + y;
            for (u32 x = 0; x < w; x++, src += GUEST_FRAME_ROWS)
                put_pens<B>(dst + B * x, pen_oct[*src]);
            for (u32 r = 1; r < rows; r++)
                std::memcpy(display_rows[S * y + r], dst, bytes);
        }
    } else {
        // Guest column x is host row S * x, its pixel y at column B * (mirror - y).
        const std::size_t first = static_cast<std::size_t>(B) * (display_mirror + 1 - h);
        const std::size_t bytes = static_cast<std::size_t>(h) * B;
        for (u32 x = 0; x < w; x++) {
            u8* dst = display_rows[S * x];
            const u8* src = guest_frame + x * GUEST_FRAME_ROWS;
            u8* out = dst + B * display_mirror;
            for (u32 y = 0; y < h; y++, out -= B)
                put_pens<B>(out, pen_oct[src[y]]);
            for (u32 r = 1; r < rows; r++)
                std::memcpy(display_rows[S * x + r] + first, dst + first, bytes);
        }
    }
}

void plot_empty(u32, u32, u32) {}

using Redraw = void (*)(u32 w, u32 h);
struct Kind {
    DisplayPlotter plot;
    Redraw redraw;
    DisplayRunPlotter run;
};
template <u32 S, u32 T, bool ROT, bool SCAN>
constexpr Kind kind = {plot<S, T, ROT, SCAN>, redraw<S, T, ROT, SCAN>, plot_run<S, T, ROT, SCAN>};
// Plain, scanlines, rotated, rotated with scanlines. Scale 1 has no
// scanline plotters (its entries repeat the plain ones).
template <u32 S, u32 T>
constexpr Kind family[4] = {kind<S, T, false, false>, kind<S, T, false, (S > 1)>,
                            kind<S, T, true, false>, kind<S, T, true, (S > 1)>};

// By picture scale (1 to DISPLAY_MAX_PICTURE_SCALE) and stretch.
template <std::size_t... I>
constexpr std::array<std::array<const Kind*, 2>, sizeof...(I)> families(std::index_sequence<I...>) {
    return {{{family<I + 1, 1>, family<I + 1, 2>}...}};
}
constexpr auto kinds = families(std::make_index_sequence<DISPLAY_MAX_PICTURE_SCALE>{});

// The chosen kind; its whole-frame redraw stands for its plotter only while
// plotter_fn is that plotter.
Kind chosen = {plot_empty, nullptr, nullptr};

// The derived sizes of the current machine and layout; the buffer follows.
void fit_buffer() {
    const u32 s = scale(), t = stretch();
    display_layout = (scale_setting() - 1) * 2 + (t - 1);
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

u32 display_zoom() {
    return zoom_at(scale_setting());
}

u32 display_picture_scale() {
    const u32 s = scale_setting();
    return s * zoom_at(s);
}

void display_alloc_bitmap() {
    display_note_all_changed();
    buffer.assign(static_cast<std::size_t>(display_stride) * display_host_height);
    display_buffer = buffer.data;
    for (i32 r = 0; r < display_host_height; r++)
        display_rows[r] = display_buffer + static_cast<std::size_t>(r) * display_stride;
    if (display_host_window)
        gui_display_attach(display_host_window, display_host_gadget, display_buffer,
                           display_host_width, display_host_height, display_stride,
                           display_colour_table, HOST_PENS);
}

void display_free_bitmap() {
    buffer.release();
    display_buffer = nullptr;
    display_host_width = display_host_height = display_stride = 0;
    buffer_across = buffer_down = 0;
    plotter_fn = plot_empty;
    chosen = {plot_empty, nullptr, nullptr};
    run_plotter_fn = nullptr;
}

u32 display_stretch() {
    return stretch();
}

void display_fit_in_room(i32 width, i32 height, u32 most, u32 wanted, u32* scale, u32* stretch) {
    const i32 w = static_cast<i32>(guest_width()), h = static_cast<i32>(guest_height());
    for (u32 t = wanted; t >= 1; t--)
        for (u32 c = most; c >= 1; c--) {
            const i32 p = static_cast<i32>(c * zoom_at(c));
            if (w * static_cast<i32>(t) * p <= width && h * p <= height) {
                *scale = c;
                *stretch = t;
                return;
            }
        }
    *scale = 1;
    *stretch = 1;
}

// The picture fits the room the screen leaves it (display_screen_width and
// _height, which the main window's keeper sets): on the program's own screen
// at the largest scale that fits; in a window at the user's scale and
// stretch, or at the largest below them that fits, for as long as the room
// is short (the user's own values stay what the settings keep).
void display_compute_layout() {
    display_setup_geometry();
    fitted_scale = fitted_stretch = 0;
    if (display_mode == 1) {
        const u32 t = machine_desc().default_stretch == 2 ? 2 : 1;
        u32 s = 1, u = t;
        display_fit_in_room(display_screen_width, display_screen_height, 6, t, &s, &u);
        display_scale = s;
        display_aspect = u;
    } else {
        const u32 s = scale_setting(), t = stretch();
        u32 fs = s, ft = t;
        display_fit_in_room(display_screen_width, display_screen_height, s, t, &fs, &ft);
        if (fs != s) fitted_scale = fs;
        if (ft != t) fitted_stretch = ft;
    }
    display_select_plotter();
}

void display_select_plotter() {
    // Another layout or filter draws every row anew.
    display_note_all_changed();
    fit_buffer();
    if (display_rotated) display_mirror = guest_width() - 1;
    const u32 s = scale();
    buffer_across = static_cast<u32>(display_host_width) / (s * stretch());
    buffer_down = static_cast<u32>(display_host_height) / s;
    filter_active = display_filter == 2 && s >= 2 && s <= 4;
    if (filter_active) {
        chosen = {plot_empty, nullptr, nullptr};
        plotter_fn = plot_empty;
        run_plotter_fn = nullptr;
        return;
    }
    if (s > DISPLAY_MAX_PICTURE_SCALE) return;
    const u32 style = (display_rotated ? 2 : 0) + (display_scanline_gaps() ? 1 : 0);
    chosen = kinds[s - 1][stretch() - 1][style];
    plotter_fn = chosen.plot;
    run_plotter_fn = chosen.run;
    run_plotter_owner = chosen.plot;
}

namespace {

// The scanlines the picture shows: the setting counts only above scale 1,
// and as the machine draws them (the LED panels never do).
ScanlineStyle scanlines_shown() {
    return scanlines && scale() > 1 ? machine_traits().scanlines : ScanlineStyle::NONE;
}

bool grid_applies() {
    return scanlines_shown() == ScanlineStyle::GRID;
}

// The grid's lines on host rows [first, last): every other block column's
// last pixel column below the top row, every other block row's last row.
void grid_rows(i32 first, i32 last) {
    const i32 s = static_cast<i32>(scale()), w = display_host_width;
    const i32 m = s * static_cast<i32>(stretch());
    const u8 pen = pen_byte[19];
    for (i32 r = first > 1 ? first : 1; r < last; r++) {
        for (i32 c = 2 * m - 1; c < w; c += 2 * m)
            display_rows[r][c] = pen;
        if (r % (2 * s) == 2 * s - 1) std::memset(display_rows[r], pen, static_cast<std::size_t>(w));
    }
}

} // namespace

bool display_scanline_gaps() {
    return scanlines_shown() == ScanlineStyle::ROWS;
}

void display_scanline_prepass() {
    if (!display_buffer) return;
    const i32 s = static_cast<i32>(scale()), h = display_host_height;
    if (grid_applies()) {
        grid_rows(0, h);
        return;
    }
    if (!display_scanline_gaps()) return;
    // The rows the scanline plotters skip, in black, across the whole stride.
    const i32 written = (s + 1) / 2;
    for (i32 block = 0; block < h; block += s)
        for (i32 r = block + written; r < block + s && r < h; r++)
            std::memset(display_rows[r], pen_byte[7], static_cast<std::size_t>(display_stride));
}

void display_redraw_picture() {
    if (!display_buffer) return;
    display_note_all_changed();
    display_scanline_prepass();
    const u32 w = guest_width(), h = guest_height();
    // The rotated whole-frame redraw covers the square frames only (the only
    // ones ever turned); anything else, and a frame the buffer does not hold
    // whole, goes pixel by pixel.
    const bool held = display_rotated ? w <= buffer_down && h <= display_mirror + 1 &&
                                            display_mirror < buffer_across
                                      : w <= buffer_across && h <= buffer_down;
    if (plotter_fn == chosen.plot && held && (!display_rotated || w == h)) {
        if (chosen.redraw) chosen.redraw(w, h);
        return;
    }
    for (u32 x = 0; x < w; x++)
        for (u32 y = 0; y < h; y++)
            plotter_fn(x, y, guest_frame[x * GUEST_FRAME_ROWS + y]);
}

void display_redraw_all() {
    if (!display_host_window) return;
    display_select_plotter();
    display_redraw_picture();
    if (guidepixel && (emu_paused || cpu_tracing)) display_update_beam_marker(0);
    display_blit();
}

bool display_update_whole;

void display_update_changed_rows(void (*show)(i32 first, i32 count)) {
    const u32 s = scale();
    const i32 shown_height = static_cast<i32>(display_rotated ? guest_width() : guest_height());
    const bool grid = grid_applies();
    bool shown = false;
    // Shown rows [first, last] changed: under the filter, the rows next to
    // them smooth against them and change too.
    const auto band = [&](i32 first, i32 last) {
        if (filter_active) {
            first--;
            last++;
        }
        first = first < 0 ? 0 : first;
        last = last >= shown_height ? shown_height - 1 : last;
        const i32 top = first * static_cast<i32>(s);
        i32 end = (last + 1) * static_cast<i32>(s);
        end = end < display_host_height ? end : display_host_height;
        if (top >= end) return;
        // The grid lies over the picture, the filter's as the plotters'.
        if (filter_active) display_filter_rows(first, last);
        if (grid) grid_rows(top, end);
        show(top, end - top);
        shown = true;
    };
    if (display_update_whole) {
        band(0, shown_height - 1);
    } else {
        // Runs of changed shown rows (guest columns, turned); runs two rows
        // apart or closer go as one, so that the filter's widened bands do
        // not overlap.
        FrameChanges& c = frame_changes;
        if (c.left < c.right) std::memset(c.columns + c.left, 1, c.right - c.left);
        const u8* changed = display_rotated ? c.columns : c.rows;
        i32 first = -1, last = -1;
        for (i32 y = 0; y < shown_height; y++) {
            if (!changed[y]) continue;
            if (first >= 0 && y - last > 3) {
                band(first, last);
                first = -1;
            }
            if (first < 0) first = y;
            last = y;
        }
        if (first >= 0) band(first, last);
    }
    if (!shown) show(0, 0);
    display_forget_changes();
}
