// The magnifier: a small frameless window that follows the pointer over the
// guest picture while Ctrl and left Shift are held, showing the picture
// around it at twice the size the main window shows it. It never takes the
// keyboard.
#pragma once

#include "core/types.h"

constexpr int MAGNIFIER_SIZE = 192;

// What one drawing needs: the guest pixel under the pointer (gx, gy), the
// pointer's offset inside it in host pixels (fx, fy), the zoom (zx across, zy
// down), the picture's shown width and height, and whether it is turned.
struct MagnifierView {
    i32 gx = 0, gy = 0, fx = 0, fy = 0;
    int zx = 2, zy = 2;
    i32 width = 0, height = 0;
    bool rotated = false;
};
// Fills `out` (MAGNIFIER_SIZE rows of MAGNIFIER_SIZE guest colour indices)
// from `frame` (column-major, GUEST_FRAME_ROWS a column); colour 7 outside.
void magnifier_render(const MagnifierView& v, const u8* frame, u8* out);

void gui_open_magnifier();
void gui_close_magnifier();
void gui_magnifier_draw();
// Once per event pass: opens, moves or closes the magnifier as Ctrl and left
// Shift are held.
void gui_magnifier_follow();
// Whether the magnifier is shown (test support: the program follows the keys).
bool gui_magnifier_open();
