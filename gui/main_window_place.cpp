#include "gui/main_window_place.h"

#include "core/settings_vars.h"
#include "display/host.h"

#include <algorithm>
#include <cstdint>

namespace {

int screen_width = 0, screen_height = 0; // the screen's available area
bool placed_in_window = false;           // the window open is a window on the desktop
int placed[2] = {0, 0};                  // where the program last put it

} // namespace

void main_place_desc(GuiWindowDesc* d) {
    d->left = d->top = -1;
    if (display_mode != 0 || main_window_pos[0] == -1 || main_window_pos[1] == -1) return;
    // A place partly off the screen's left or top edge opens at that edge.
    d->left = std::max<int>(0, main_window_pos[0]);
    d->top = std::max<int>(0, main_window_pos[1]);
}

void main_place_screen_setup() {
    int width = 0, height = 0;
    gui_host_screen_size(&width, &height);
    if (width > 0 && height > 0) {
        screen_width = width;
        screen_height = height;
        display_screen_width = width;
        display_screen_height = height;
    }
}

void main_place_opened(int win) {
    placed_in_window = win && display_mode == 0;
    if (placed_in_window) gui_window_position(win, &placed[0], &placed[1], nullptr, nullptr);
}

void main_place_take(int win) {
    if (!win || !placed_in_window) return;
    int left = 0, top = 0;
    gui_window_position(win, &left, &top, nullptr, nullptr);
    if (left == placed[0] && top == placed[1]) return;
    main_window_pos[0] = static_cast<std::int16_t>(left);
    main_window_pos[1] = static_cast<std::int16_t>(top);
    placed[0] = left;
    placed[1] = top;
}

bool main_place_refit(int win) {
    if (!win || screen_width <= 0 || screen_height <= 0) return false;
    int width = 0, height = 0;
    gui_window_outer_size(win, &width, &height);
    if (width <= screen_width && height <= screen_height) return false;
    // What the window needs beside the picture (bars, menus, the game list,
    // the frame) comes off the room the picture has.
    const i32 old_width = display_host_width, old_height = display_host_height;
    display_screen_width = std::min(display_screen_width, screen_width - (width - old_width));
    display_screen_height = std::min(display_screen_height, screen_height - (height - old_height));
    display_compute_layout();
    return display_host_width != old_width || display_host_height != old_height;
}
