#include "inspect/magnifier.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "inspect/monitor_rows.h"
#include "platform/gui.h"

#include <vector>

namespace {

constexpr int GID_MAGNIFIER = 1;

int magnifier_window = 0;
bool magnifier_shown = false;
std::vector<u8> pixels;
u32 colours[256];

// The view under the pointer; false when it is off the guest picture.
bool pointer_view(MagnifierView* v) {
    const MachineLive& live = machine_live_row();
    v->rotated = display_rotated != 0;
    v->width = v->rotated ? live.height : live.width;
    v->height = v->rotated ? live.width : live.height;
    const int scale = static_cast<int>(display_picture_scale());
    const int stretch = static_cast<int>(display_stretch());
    v->zx = 2 * scale * stretch;
    v->zy = 2 * scale;
    const int px = pointer_x - display_rect[0], py = pointer_y - display_rect[1];
    auto floor_div = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    v->gx = floor_div(px, scale * stretch);
    v->gy = floor_div(py, scale);
    v->fx = px - v->gx * scale * stretch;
    v->fy = py - v->gy * scale;
    return v->gx >= 0 && v->gx < v->width && v->gy >= 0 && v->gy < v->height;
}

} // namespace

void magnifier_render(const MagnifierView& v, const u8* frame, u8* out) {
    const int zx = v.zx > 0 ? v.zx : 1, zy = v.zy > 0 ? v.zy : 1;
    const i32 x0 = v.gx - (MAGNIFIER_SIZE / zx) / 2;
    i32 y = v.gy - (MAGNIFIER_SIZE / zy) / 2;
    int row_phase = (2 * v.fy) % zy;
    for (int r = 0; r < MAGNIFIER_SIZE; r++) {
        i32 x = x0;
        int col_phase = (2 * v.fx) % zx;
        for (int c = 0; c < MAGNIFIER_SIZE; c++) {
            u8 colour = 7;
            if (x >= 0 && x < v.width && y >= 0 && y < v.height) {
                const i32 index = v.rotated ? GUEST_FRAME_ROWS * y + (v.width - 1 - x)
                                            : GUEST_FRAME_ROWS * x + y;
                if (index >= 0 && index < GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS) colour = frame[index];
            }
            out[r * MAGNIFIER_SIZE + c] = colour;
            if (++col_phase >= zx) col_phase = 0, x++;
        }
        if (++row_phase >= zy) row_phase = 0, y++;
    }
}

bool gui_magnifier_open() {
    return magnifier_window != 0;
}

void gui_magnifier_draw() {
    if (!magnifier_window) return;
    MagnifierView v;
    pointer_view(&v);
    int left = 0, top = 0;
    gui_window_position(main_window, &left, &top, nullptr, nullptr);
    gui_window_move(magnifier_window, left + pointer_x - MAGNIFIER_SIZE / 2,
                    top + pointer_y - MAGNIFIER_SIZE / 2);
    magnifier_render(v, guest_frame, pixels.data());
    guest_colour_table(colours);
    gui_display_attach(magnifier_window, GID_MAGNIFIER, pixels.data(), MAGNIFIER_SIZE,
                       MAGNIFIER_SIZE, MAGNIFIER_SIZE, colours, 256);
    gui_display_refresh(magnifier_window, GID_MAGNIFIER);
}

void gui_open_magnifier() {
    if (magnifier_shown || !main_window) return;
    MagnifierView v;
    if (!pointer_view(&v)) return;
    magnifier_shown = true;
    GuiWindowDesc d;
    d.title_bar = false;
    d.borderless = true;
    d.activate = false;
    int left = 0, top = 0;
    gui_window_position(main_window, &left, &top, nullptr, nullptr);
    d.left = left + pointer_x - MAGNIFIER_SIZE / 2;
    d.top = top + pointer_y - MAGNIFIER_SIZE / 2;
    d.root.kind = GK_VGROUP;
    GuiNode picture;
    picture.kind = GK_PICTURE;
    picture.gid = GID_MAGNIFIER;
    picture.min_w = picture.min_h = MAGNIFIER_SIZE;
    d.root.children.push_back(picture);
    magnifier_window = gui_window_open(d);
    if (!magnifier_window) {
        // It stays closed until the keys are pressed again.
        gui_warning("Can't open magnifier subwindow!");
        return;
    }
    pixels.assign(MAGNIFIER_SIZE * MAGNIFIER_SIZE, 7);
    gui_magnifier_draw();
}

void gui_close_magnifier() {
    if (magnifier_window) gui_window_close(magnifier_window);
    magnifier_window = 0;
    magnifier_shown = false;
    pixels.clear();
    pixels.shrink_to_fit();
}

void gui_magnifier_follow() {
    // Ctrl and left Shift, held or latched (on the Type-right its own shift key too).
    const bool ctrl = host_ctrl_down(), shift = host_left_shift_down();
    if (ctrl && shift) {
        if (magnifier_window)
            gui_magnifier_draw();
        else if (!magnifier_shown)
            gui_open_magnifier();
        return;
    }
    if (magnifier_shown) gui_close_magnifier();
}
