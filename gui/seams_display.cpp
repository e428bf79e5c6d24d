// Stand-in for the display subsystem until it exists: the guest frame is
// copied into the host picture at the current scale and stretch through the
// built-in colours, and shown in the main window's display gadget.
#include "core/machine_table.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "platform/gui.h"

#include <vector>

namespace {

// Colour indices 0-7 bright white, yellow, purple, red, cyan, green, blue,
// black; 8-15 their dim forms; 16-21 a grey ramp; 22 orange; 23 pink.
const std::uint32_t colours[24] = {
    0xFFFFFF, 0xFFFF00, 0xFF00FF, 0xFF0000, 0x00FFFF, 0x00FF00, 0x0000FF, 0x000000,
    0xAAAAAA, 0xAAAA00, 0xAA00AA, 0xAA0000, 0x00AAAA, 0x00AA00, 0x0000AA, 0x000000,
    0x222222, 0x444444, 0x666666, 0x888888, 0xAAAAAA, 0xCCCCCC, 0xFF8800, 0xFF88CC,
};

std::vector<std::uint8_t> host;
int host_width = 0, host_height = 0;
int shown_window = 0;

void guest_size(int* w, int* h) {
    const MachineDesc& m = machine_table[machine < MACHINES ? machine : 0];
    // Until the display geometry sets the machine's size, show a console-sized area.
    *w = m.width > 0 ? m.width : 164;
    *h = m.height > 0 ? m.height : 226;
    if (*w > GUEST_FRAME_COLUMNS) *w = GUEST_FRAME_COLUMNS;
    if (*h > GUEST_FRAME_ROWS) *h = GUEST_FRAME_ROWS;
}

int scale() {
    return display_scale >= 1 && display_scale <= 6 ? static_cast<int>(display_scale) : 2;
}
int stretch() {
    return display_aspect == 2 ? 2 : 1;
}

} // namespace

void gui_display_size(int* width, int* height) {
    int w = 0, h = 0;
    guest_size(&w, &h);
    *width = w * scale() * stretch();
    *height = h * scale();
}

void display_blit() {
    if (!main_window) return;
    int gw = 0, gh = 0;
    guest_size(&gw, &gh);
    const int sx = scale() * stretch(), sy = scale();
    const int w = gw * sx, h = gh * sy;
    if (w != host_width || h != host_height || shown_window != main_window) {
        host.assign(static_cast<std::size_t>(w) * h, 7);
        host_width = w;
        host_height = h;
        shown_window = main_window;
        gui_display_attach(main_window, GID_DISPLAY, host.data(), w, h, w, colours, 24);
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = &host[static_cast<std::size_t>(y) * w];
        const int gy = y / sy;
        for (int x = 0; x < w; ++x) {
            std::uint8_t c = guest_frame[(x / sx) * GUEST_FRAME_ROWS + gy];
            row[x] = c < 24 ? c : 7;
        }
    }
    gui_display_refresh(main_window, GID_DISPLAY);
}

void display_redraw_all() {
    display_blit();
}
