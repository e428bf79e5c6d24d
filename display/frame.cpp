// The guest frame, its raster plots and the display geometry of every machine.
#include "display/frame.h"

#include "core/emu.h"
#include "display/host.h"
#include "display/led.h"

#include "core/frame.h"
#include "core/machine_view.h"
#include "core/machine_table.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"

#include <bit>
#include <cstring>
#include <vector>

u8 guest_frame[GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS];

static void plot_nowhere(u32, u32, u32) {}
DisplayPlotter plotter_fn = plot_nowhere;
DisplayRunPlotter run_plotter_fn;
DisplayPlotter run_plotter_owner;

i32 lines_per_frame = 262, first_visible_line = 20, input_line = 141, border_clocks = 10;
i32 vdu_columns = 64, vdu_visible_rows = 16, vdu_rows = 64;
i32 vdu_cell_width = 8, vdu_cell_height = 12, vdu_glyph_width = 5, vdu_glyph_height = 8;
i32 pong_field_left = 25, pong_field_right = 97;
i32 display_window_left, display_window_top, display_window_right, display_window_bottom;
i32 display_top_skip = 8;

void display_plot_beam(u32 colour) {
    display_plot_clipped(raster_clock, raster_line, colour);
}

// PVI pixel (x, y) lies 49 clocks into the line, y lines below the first
// visible one.
void display_plot_guest(i32 x, i32 y, u32 colour) {
    display_plot_clipped(x + 49, y + first_visible_line, colour);
}

u8 frame_mirror[GUEST_FRAME_ROWS * GUEST_FRAME_COLUMNS];
FrameMirrorSpan frame_mirror_span[GUEST_FRAME_ROWS];

void display_frame_rewritten() {
    for (FrameMirrorSpan& span : frame_mirror_span)
        span = {0, 0};
    display_note_all_changed();
}

FrameChanges frame_changes;

void display_plot_changed(u32 x, u32 y, u32 colour) {
    guest_frame[x * GUEST_FRAME_ROWS + y] = static_cast<u8>(colour);
    frame_mirror[y * GUEST_FRAME_COLUMNS + x] = static_cast<u8>(colour);
    frame_changes.rows[y] = 1;
    frame_changes.columns[x] = 1;
    plotter_fn(x, y, colour);
}

void display_plot_column(u32 x, u32 y, const u8* colours, u32 n) {
    u8* cells = guest_frame + x * GUEST_FRAME_ROWS + y;
    if (std::memcmp(cells, colours, n) == 0) return;
    for (u32 i = 0; i < n; i++)
        if (cells[i] != colours[i]) display_plot_changed(x, y + i, colours[i]);
}

void display_note_all_changed() {
    std::memset(frame_changes.rows, 1, sizeof frame_changes.rows);
    std::memset(frame_changes.columns, 1, sizeof frame_changes.columns);
    frame_changes.left = frame_changes.right = 0;
}

void display_forget_changes() {
    std::memset(frame_changes.rows, 0, sizeof frame_changes.rows);
    std::memset(frame_changes.columns, 0, sizeof frame_changes.columns);
    frame_changes.left = frame_changes.right = 0;
}

// Nothing is shown yet: everything is to be shown.
[[maybe_unused]] static const bool changes_ready = (display_note_all_changed(), true);

void display_clear_frame() {
    std::memset(guest_frame, GUEST_FRAME_FILL, sizeof guest_frame);
    display_frame_rewritten();
}

static std::vector<u8> kept_frame;

void display_keep_frame() {
    kept_frame.assign(guest_frame, guest_frame + sizeof guest_frame);
}

void display_restore_frame() {
    if (kept_frame.size() != sizeof guest_frame) return;
    std::memcpy(guest_frame, kept_frame.data(), sizeof guest_frame);
    kept_frame.clear();
    display_frame_rewritten();
}

namespace {

// The run's pixel i: colours[i], or `fill` for a run of one colour.
inline u8 run_pixel(const u8* colours, u8 fill, u32 i) {
    return colours ? colours[i] : fill;
}

// Hands the changed pixels on: as runs to the run plotter when it goes with
// the current plotter, else one by one. `start`/`length` gather the current
// run of changed pixels; a run ends at the first pixel that did not change.
struct RunSink {
    u32 left, row;
    const u8* colours;
    u32 colour;
    bool runs;
    u32 start = 0, length = 0;

    u32 first = ~0u, last = 0; // the first and the last changed pixel

    // Pixels j .. j + n - 1 changed, all after the last one handed on.
    void changed(u32 j, u32 n = 1) {
        if (first == ~0u) first = j;
        last = j + n - 1;
        if (!runs) {
            for (u32 i = j; i < j + n; i++)
                plotter_fn(left + i, row, colours ? colours[i] : colour);
            return;
        }
        if (length != 0 && start + length != j) flush();
        if (length == 0) start = j;
        length += n;
    }
    void flush() {
        if (length == 0) return;
        run_plotter_fn(left + start, row, colours ? colours + start : nullptr, colour, length);
        length = 0;
    }
};

// Every cell of the run read and compared down its column; the mirror takes
// the run's colours on the way.
void plot_run_columns(u8* cells, u8* mirror, u8 fill, u32 count, RunSink& sink) {
    const u8* colours = sink.colours;
    for (u32 i = 0; i < count; i += 4) {
        // Most pixels are as they were: four at a time are compared with one test.
        if (i + 4 <= count) {
            const u8* c = cells + i * GUEST_FRAME_ROWS;
            const u8 a0 = run_pixel(colours, fill, i), a1 = run_pixel(colours, fill, i + 1);
            const u8 a2 = run_pixel(colours, fill, i + 2), a3 = run_pixel(colours, fill, i + 3);
            if (!((c[0] ^ a0) | (c[GUEST_FRAME_ROWS] ^ a1) | (c[2 * GUEST_FRAME_ROWS] ^ a2) |
                  (c[3 * GUEST_FRAME_ROWS] ^ a3))) {
                mirror[i] = a0;
                mirror[i + 1] = a1;
                mirror[i + 2] = a2;
                mirror[i + 3] = a3;
                continue;
            }
        }
        const u32 end = i + 4 < count ? i + 4 : count;
        for (u32 j = i; j < end; j++) {
            u8& cell = cells[j * GUEST_FRAME_ROWS];
            const u8 c = run_pixel(colours, fill, j);
            mirror[j] = c;
            if (cell == c) continue;
            cell = c;
            sink.changed(j);
        }
    }
}

// Bit i set for each byte i of `v` that is not zero.
inline u32 nonzero_bytes(u64 v) {
    v |= v >> 4;
    v |= v >> 2;
    v |= v >> 1;
    v &= 0x0101010101010101ull;
    // Byte i's bit moves to bit 56 + i; no two products share a bit.
    return static_cast<u32>((v * 0x0102040810204080ull) >> 56);
}

// Eight pixels from run pixel w on that differ from the mirror (`have`): the
// mirror takes them whole; the changed ones, a run of neighbours at a time,
// go down their columns and to the sink. Kept out of line: the loop that
// looks for such words stays small.
[[gnu::noinline]] void changed_word(u8* cells, u8* mirror, u32 w, u64 want, u64 have,
                                    RunSink& sink) {
    std::memcpy(mirror + w, &want, 8);
    for (u32 changed = nonzero_bytes(want ^ have); changed != 0;) {
        const u32 from = static_cast<u32>(std::countr_zero(changed));
        const u32 n = static_cast<u32>(std::countr_one(changed >> from));
        for (u32 i = from; i < from + n; i++)
            cells[(w + i) * GUEST_FRAME_ROWS] = static_cast<u8>(want >> (8 * i));
        sink.changed(w + from, n);
        changed &= ~(((1u << n) - 1) << from);
    }
}

// The run compared with the mirror eight pixels at a time, the last few one
// by one; only what changed is written.
void plot_run_mirrored(u8* cells, u8* mirror, u8 fill, u32 count, RunSink& sink) {
    const u8* colours = sink.colours;
    const u64 fill8 = 0x0101010101010101ull * fill;
    u32 w = 0;
    for (; w + 8 <= count; w += 8) {
        u64 want = fill8, have;
        if (colours) std::memcpy(&want, colours + w, 8);
        std::memcpy(&have, mirror + w, 8);
        if (want != have) changed_word(cells, mirror, w, want, have, sink);
    }
    for (u32 j = w; j < count; j++) {
        const u8 c = run_pixel(colours, fill, j);
        if (mirror[j] == c) continue;
        mirror[j] = c;
        cells[j * GUEST_FRAME_ROWS] = c;
        sink.changed(j);
    }
}

// Whether the n bytes from p all hold `fill`.
bool holds_fill(const u8* p, u8 fill, u32 n) {
    const u64 fill8 = 0x0101010101010101ull * fill;
    u64 differ = 0;
    u32 i = 0;
    for (; i + 8 <= n; i += 8) {
        u64 have;
        std::memcpy(&have, p + i, 8);
        differ |= have ^ fill8;
    }
    for (; i < n; i++)
        differ |= p[i] ^ fill;
    return differ == 0;
}

// Stores the run's changed pixels and hands them on. `colours` null: every
// pixel takes `colour`.
void plot_run(u32 left, u32 row, const u8* colours, u32 colour, u32 count) {
    u8* mirror = frame_mirror + row * GUEST_FRAME_COLUMNS + left;
    const u8 fill = static_cast<u8>(colour);
    FrameMirrorSpan& span = frame_mirror_span[row];
    const u32 right = left + count;
    const bool mirrored = span.lo <= left && right <= span.hi;
    // Most runs repeat what the row holds.
    if (mirrored &&
        (colours ? std::memcmp(colours, mirror, count) == 0 : holds_fill(mirror, fill, count)))
        return;
    u8* cells = guest_frame + left * GUEST_FRAME_ROWS + row;
    RunSink sink{left, row, colours, colour, run_plotter_fn && plotter_fn == run_plotter_owner};
    if (mirrored) {
        plot_run_mirrored(cells, mirror, fill, count, sink);
    } else {
        plot_run_columns(cells, mirror, fill, count, sink);
        // The mirror now holds the run; it joins a span it touches.
        if (span.lo < span.hi && left <= span.hi && right >= span.lo) {
            if (left < span.lo) span.lo = static_cast<u16>(left);
            if (right > span.hi) span.hi = static_cast<u16>(right);
        } else {
            span = {static_cast<u16>(left), static_cast<u16>(right)};
        }
    }
    sink.flush();
    if (sink.first != ~0u) {
        FrameChanges& c = frame_changes;
        c.rows[row] = 1;
        const u32 from = left + sink.first, to = left + sink.last + 1;
        if (c.left == c.right) {
            c.left = static_cast<u16>(from);
            c.right = static_cast<u16>(to);
        } else {
            if (from < c.left) c.left = static_cast<u16>(from);
            if (to > c.right) c.right = static_cast<u16>(to);
        }
    }
}

} // namespace

void display_plot_row(i32 x, i32 y, const u8* colours, i32 n) {
    i32 first, last;
    if (!display_clip_row(x, y, n, &first, &last)) return;
    plot_run(static_cast<u32>(first - display_window_left),
             static_cast<u32>(y - display_window_top), colours + (first - x), 0,
             static_cast<u32>(last - first + 1));
}

void display_fill_row(i32 x, i32 y, i32 n, u32 colour) {
    i32 first, last;
    if (!display_clip_row(x, y, n, &first, &last)) return;
    plot_run(static_cast<u32>(first - display_window_left),
             static_cast<u32>(y - display_window_top), nullptr, colour,
             static_cast<u32>(last - first + 1));
}

namespace {

void set_window(i32 left, i32 top, i32 right, i32 bottom) {
    display_window_left = left;
    display_window_top = top;
    display_window_right = right;
    display_window_bottom = bottom;
}

} // namespace

void display_set_frame_size(MachineLive& row, i32 w, i32 h) {
    row.width = w;
    row.height = h;
}

void display_setup_geometry() {
    const bool fifty = emu_region == 1;

    // Console raster timing.
    if (machine_traits().console_raster) {
        machine_live[machine].clocks_per_frame = fifty ? 17706.0 : 14868.5;
        first_visible_line = fifty ? 43 : 20;
        input_line = fifty ? 177 : 141;
        lines_per_frame = fifty ? 312 : 262;
        border_clocks = fifty ? 6 : 10;
    }
    if (!blankingareas) display_top_skip = fifty ? 0 : 8;

    // Frame sizes of every listed row; the current machine's text geometry.
    for (u32 m = 0; m < MACHINES; m++)
        if (const auto geometry = machine_view(m).display_geometry)
            geometry(machine_live[m], m == machine);

    // The visible window of the current machine.
    const i32 w = machine_live_row().width, h = machine_live_row().height;
    const auto window = machine_view().display_window;
    const DisplayWindow v = window ? window(w, h) : DisplayWindow{0, 0, w - 1, h - 1};
    set_window(v.left, v.top, v.right, v.bottom);

    // The LED panel of the controls window follows the machine and its options.
    display_setup_panel_geometry();

    // The picture buffer follows a frame that changed size at once (a loaded
    // state, a display type or option), not at the interface's next pass: a
    // frame run before that draws into the frame's own size.
    if (display_buffer) display_select_plotter();
}
