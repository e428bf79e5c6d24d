// The copy of the host picture to the main window once per shown frame, and
// the beam-position marker drawn into the guest frame.
#include "display/controls_panel.h"
#include "display/frame.h"
#include "display/host.h"

#include "core/frame.h"
#include "core/machine_view.h"
#include "core/machine_table.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/debug_state.h"
#include "platform/gui.h"

#include <cstdlib>

namespace {

const u8* attached_buffer;
int attached_window;
i32 attached_w, attached_h;

// The marker drawn last: its line, or none.
struct Marker {
    bool drawn;
    i32 x0, y0, x1, y1;
};
Marker marker;

// Steps the colour index at one raster position one up (draw) or down (erase).
void marker_point(i32 x, i32 y, bool erase) {
    if (x < display_window_left || x > display_window_right || y < display_window_top ||
        y > display_window_bottom)
        return;
    const u32 fx = static_cast<u32>(x - display_window_left);
    const u32 fy = static_cast<u32>(y - display_window_top);
    const u8 c = guest_frame[fx * GUEST_FRAME_ROWS + fy];
    const u8 next = erase ? (c == 0 ? 23 : c - 1) : (c >= 23 ? 0 : c + 1);
    display_plot_clipped(x, y, next);
}

} // namespace

void display_draw_line(i32 x0, i32 y0, i32 x1, i32 y1, bool erase) {
    // Bresenham with doubled deltas, along the longer axis, both ends included.
    const i32 dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const i32 sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    i32 x = x0, y = y0;
    if (dx >= dy) {
        i32 err = 2 * dy - dx;
        for (i32 i = 0; i <= dx; i++) {
            marker_point(x, y, erase);
            if (err > 0) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        i32 err = 2 * dx - dy;
        for (i32 i = 0; i <= dy; i++) {
            marker_point(x, y, erase);
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

void display_beam_marker_reset() {
    marker = Marker{};
}

void display_update_beam_marker(int erase) {
    if (marker.drawn) {
        display_draw_line(marker.x0, marker.y0, marker.x1, marker.y1, true);
        marker.drawn = false;
    }
    if (erase) return;

    const auto place = machine_view().beam_marker;
    if (!place) return;
    const bool tracing = cpu_tracing || dbg_single_step;
    const i32 clock = cpu_beam_clock < 0 ? 0 : cpu_beam_clock;
    BeamLine line{};
    if (!place(clock, raster_line, tracing, &line)) return;
    if (!tracing && (!in_frame || (line.start_clock == 0 && line.start_line == 0))) return;
    marker = {true, line.x0, line.y0, line.x1, line.y1};
    display_draw_line(line.x0, line.y0, line.x1, line.y1, false);
}

namespace {

void show_rows(i32 first, i32 count) {
    gui_display_refresh_rows(display_host_window, display_host_gadget, first, count);
}

} // namespace

void display_blit() {
    if (!display_host_window || !display_buffer) return;
    if (!display_refresh_due()) return;
    if (attached_buffer != display_buffer || attached_window != display_host_window ||
        attached_w != display_host_width || attached_h != display_host_height) {
        gui_display_attach(display_host_window, display_host_gadget, display_buffer,
                           display_host_width, display_host_height, display_stride,
                           display_colour_table, HOST_PENS);
        attached_buffer = display_buffer;
        attached_window = display_host_window;
        attached_w = display_host_width;
        attached_h = display_host_height;
        display_note_all_changed();
    }
    // Only the rows whose guest pixels changed since the last shown frame.
    display_update_changed_rows(show_rows);
    display_monitor_leds();
    display_panel_copy();
}
