#include "input/paddles.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/controls.h"

i32 paddle_x[2];
i32 paddle_y[4];
i32 paddle_dx[2], paddle_dy[2];
i32 pointer_x, pointer_y;
i32 pointer_display[4];
i32 virtual_key = -1;
u32 rumble_request[2];

void input_centre_paddles() {
    const i32 c = machine_live_row().paddle_centre;
    for (i32& x : paddle_x)
        x = c;
    for (i32& y : paddle_y)
        y = c;
}

void input_paddles_reset() {
    input_centre_paddles();
    paddle_dx[0] = paddle_dx[1] = paddle_dy[0] = paddle_dy[1] = 0;
    pointer_x = pointer_y = 0;
    for (i32& e : pointer_display)
        e = 0;
    virtual_key = -1;
    rumble_request[0] = rumble_request[1] = 0;
}

// One axis of the pointer: clamped to the display, scaled to 0..255. A display
// of no width leaves the position as it is.
static void pointer_axis(i32 pos, i32 low, i32 high, i32* out) {
    const i32 size = high - low;
    if (size <= 0) return;
    if (pos < low) pos = low;
    if (pos > high) pos = high;
    *out = ((pos - low) * (65535 / size)) / 256;
}

int host_mouse_to_paddle(int player, int s) {
    switch (player ? controller_right : controller_left) {
    case 1:
        pointer_axis(pointer_x, pointer_display[0], pointer_display[2], &paddle_x[s]);
        pointer_axis(pointer_y, pointer_display[1], pointer_display[3], &paddle_y[s]);
        return 0;
    case 7:
        paddle_x[s] = joy_axis_x[0];
        paddle_y[s] = joy_axis_y[0];
        return 0;
    case 4:
    case 8:
        paddle_x[s] = joy_axis_x[1];
        paddle_y[s] = joy_axis_y[1];
        return 0;
    case 2:
    case 5:
        paddle_dx[s] = joy_dir_x[0];
        paddle_dy[s] = joy_dir_y[0];
        return 1;
    case 3:
    case 6:
        paddle_dx[s] = joy_dir_x[1];
        paddle_dy[s] = joy_dir_y[1];
        return 1;
    default:
        return 1;
    }
}

static i32 paddle_byte(const MachineLive& m, i32 dir) {
    return dir < 0 ? m.paddle_min : dir > 0 ? m.paddle_max : m.paddle_centre;
}

static i32 clamp_byte(i32 v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

void input_update_paddle(int player, int s) {
    player &= 1;
    s &= 1;
    paddle_dx[s] = paddle_dy[s] = 0;
    const int r = host_mouse_to_paddle(player, s);
    const u16* k = player_keys[player];
    auto held = [k](int slot) { return host_key_down(k[slot] & 127) != 0; };

    static const i32 diagonal[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    int diagonals = 0, which = 0;
    for (int d = 0; d < 4; d++)
        if (held(GK_UP_LEFT + d)) diagonals++, which = d;
    if (diagonals == 1) {
        paddle_dx[s] = diagonal[which][0];
        paddle_dy[s] = diagonal[which][1];
    } else {
        const bool up = held(GK_UP), down = held(GK_DOWN);
        const bool left = held(GK_LEFT), right = held(GK_RIGHT);
        if (up != down) paddle_dy[s] = up ? -1 : 1;
        if (left != right) paddle_dx[s] = left ? -1 : 1;
    }

    // A direction held on the controls picture, for this guest player.
    if (virtual_key >= 0 && virtual_key < controls_mark_count()) {
        const ControlsKeyRect& v = controls_current_layout().rects[virtual_key];
        if (v.role == CR_KEY && v.player == s) {
            if (v.key == GK_UP) paddle_dy[s] = -1;
            if (v.key == GK_DOWN) paddle_dy[s] = 1;
            if (v.key == GK_LEFT) paddle_dx[s] = -1;
            if (v.key == GK_RIGHT) paddle_dx[s] = 1;
            if (v.key >= GK_UP_LEFT && v.key <= GK_DOWN_RIGHT) {
                paddle_dx[s] = diagonal[v.key - GK_UP_LEFT][0];
                paddle_dy[s] = diagonal[v.key - GK_UP_LEFT][1];
            }
        }
    }

    const i32 controller = player ? controller_right : controller_left;
    const u32 feedback = player ? forcefeedback_right : forcefeedback_left;
    const int kind = controller_kind(player);
    if (rumble_request[s] && feedback && (controller == 7 || controller == 8))
        host_rumble_start(kind, rumble_request[s]);
    else if (kind == 0 || kind == 1)
        host_rumble_tick(kind);

    const i32 dx = paddle_dx[s], dy = paddle_dy[s];
    if (dx == 0 && dy == 0 && r == 0) return;
    const MachineLive& m = machine_live_row();
    if (!analog) {
        paddle_x[s] = paddle_byte(m, dx);
        paddle_y[s] = paddle_byte(m, dy);
        return;
    }
    if (dx == 0 && dy == 0) {
        if (springloaded) paddle_x[s] = paddle_y[s] = m.paddle_centre;
        return;
    }
    const i32 step = player ? sensitivity_right : sensitivity_left;
    if (dx) paddle_x[s] = clamp_byte(paddle_x[s] + dx * step);
    if (dy) paddle_y[s] = clamp_byte(paddle_y[s] + dy * step);
}
