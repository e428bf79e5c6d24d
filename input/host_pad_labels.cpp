#include "input/host_pad_labels.h"

#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/controls.h"
#include "input/host_key_labels.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "platform/catalog.h"

u32 hostpad_assign[3] = {HPA_NONE, HPA_NONE, HPA_NONE};
std::string hostpad_labels[HOSTPAD_BUTTONS];

// The category pens of the window (extra pens of display/host.h).
enum : int { PEN_LEFT = 0, PEN_RIGHT = 1, PEN_CONSOLE = 2, PEN_MULTIPLE = 5, PEN_UNUSED = 7 };

void host_pad_labels_reset() {
    for (u32& a : hostpad_assign)
        a = HPA_NONE;
    for (std::string& l : hostpad_labels)
        l.clear();
}

bool host_pads_available() {
    return machine_traits().pad_controllers || machine_live_row().pvi_count > 0;
}

void hostpad_assign_compute() {
    static constexpr i32 USES[3][2] = {{2, 5}, {3, 6}, {1, 1}};
    for (int d = 0; d < 3; d++) {
        const bool left = controller_left == USES[d][0] || controller_left == USES[d][1];
        const bool right = controller_right == USES[d][0] || controller_right == USES[d][1];
        if (left && right)
            hostpad_assign[d] = HPA_BOTH;
        else if (left)
            hostpad_assign[d] = swapped ? HPA_RIGHT : HPA_LEFT;
        else if (right)
            hostpad_assign[d] = swapped ? HPA_LEFT : HPA_RIGHT;
        else
            hostpad_assign[d] = HPA_NONE;
    }
}

std::string hostpad_caption(int device, bool bare) {
    static constexpr struct {
        int number;
        const char* english;
    } NAMES[3] = {{365, "1st digital gamepad"}, {366, "2nd digital gamepad"}, {677, "Mouse"}},
      USERS[4] = {{1382, "left player"},
                  {1383, "right player"},
                  {1384, "both players"},
                  {1385, "unassigned"}};
    device = device < 0 || device > 2 ? 2 : device;
    std::string caption = cat_str(NAMES[device].number, NAMES[device].english);
    if (bare) return caption;
    const u32 a = hostpad_assign[device] < 4 ? hostpad_assign[device] : HPA_NONE;
    return caption + " (" + cat_str(USERS[a].number, USERS[a].english) + ")";
}

int hostpad_button_pen(int device) {
    static constexpr int PENS[4] = {PEN_LEFT, PEN_RIGHT, PEN_MULTIPLE, PEN_UNUSED};
    const u32 a = device >= 0 && device < 3 ? hostpad_assign[device] : HPA_NONE;
    return PENS[a < 4 ? a : HPA_NONE];
}

int hostpad_console_pen(int pad) {
    return hostpad_button_pen(pad) == PEN_UNUSED ? PEN_UNUSED : PEN_CONSOLE;
}

int hostpad_pen_of(int gid) {
    const int i = gid - GID_HOSTPAD_FIRST;
    if (i < 0 || i >= HOSTPAD_BUTTONS) return PEN_UNUSED;
    if (i >= 2 * HOSTPAD_PAD_BUTTONS) return hostpad_button_pen(2);
    const int pad = i / HOSTPAD_PAD_BUTTONS, b = i % HOSTPAD_PAD_BUTTONS;
    return b <= HPB_CONSOLE3 ? hostpad_console_pen(pad) : hostpad_button_pen(pad);
}

namespace {

// A guest key index of the tables, kept inside 0-27.
int fire_key(int n) {
    const i32 g = fire_button_assign[n & 3];
    return g >= 0 && g < KEYPAD_KEYS ? g : KEYPAD_KEYS; // outside: "-----"
}

std::string console_label(int i) {
    const char* l = machine_live_row().console_labels[i];
    return l ? l : "-";
}

const char* text(int number, const char* english) {
    return cat_str(number, english);
}

void set(int gid, const std::string& label) {
    hostpad_labels[gid - GID_HOSTPAD_FIRST] = label;
}

int label_player(int device) {
    return hostpad_assign[device] == HPA_BOTH ? 0 : static_cast<int>(hostpad_assign[device]);
}

void guest_pad(int pad, int view) {
    const int base = pad ? GID_HOSTPAD_SECOND : GID_HOSTPAD_FIRST;
    if (hostpad_assign[pad] == HPA_NONE) {
        for (int b = 0; b < HOSTPAD_PAD_BUTTONS; b++)
            set(base + b, "");
        return;
    }
    const int p = label_player(pad);
    for (int k = 0; k < 4; k++)
        set(base + HPB_COLOUR1 + k, guest_key_label(view, p, hostpad_colour_key(pad, k)));
    for (int b = HPB_START; b <= HPB_CONSOLE3; b++)
        set(base + b, console_label(b));
    static constexpr struct {
        int number;
        const char* english;
    } PLAIN[4] = {{296, "Up"}, {297, "Dn"}, {299, "Lt"}, {298, "Rt"}};
    const bool known = known_game_id >= 0 && known_game_id < KNOWN_GAMES;
    for (int d = 0; d < 4; d++) {
        const int over = known ? known_games_db[known_game_id].paddle_keys[d] : -1;
        set(base + HPB_UP + d, over >= 0 && over < KEYPAD_KEYS
                                   ? guest_key_label(view, p, over)
                                   : std::string(text(PLAIN[d].number, PLAIN[d].english)));
    }
}

void guest_mouse(int view) {
    const std::string right = text(281, "Right");
    if (hostpad_assign[2] == HPA_NONE) {
        set(GID_HOSTPAD_MOUSE, "");
        set(GID_HOSTPAD_MOUSE + 1, "");
        set(GID_HOSTPAD_MOUSE + 2, right);
        return;
    }
    const int p = label_player(2);
    set(GID_HOSTPAD_MOUSE, guest_key_label(view, p, fire_key(0)));
    set(GID_HOSTPAD_MOUSE + 1, guest_key_label(view, p, fire_key(1)));
    set(GID_HOSTPAD_MOUSE + 2, guestrmb ? guest_key_label(view, p, fire_key(2)) : right);
}

void host_names() {
    const bool mouse = hostpad_assign[2] != HPA_NONE;
    set(GID_HOSTPAD_MOUSE, mouse ? text(280, "Left") : "");
    set(GID_HOSTPAD_MOUSE + 1, mouse ? text(783, "Middle") : "");
    set(GID_HOSTPAD_MOUSE + 2, text(281, "Right"));
    const bool megadrive = viewpadsas2 == 1;
    for (int pad = 0; pad < 2; pad++) {
        const int base = pad ? GID_HOSTPAD_SECOND : GID_HOSTPAD_FIRST;
        if (hostpad_assign[pad] == HPA_NONE) {
            for (int b = 0; b < HOSTPAD_PAD_BUTTONS; b++)
                set(base + b, "");
            continue;
        }
        set(base + HPB_UP, text(296, "Up"));
        set(base + HPB_DOWN, text(297, "Dn"));
        set(base + HPB_LEFT, text(299, "Lt"));
        set(base + HPB_RIGHT, text(298, "Rt"));
        set(base + HPB_START, text(784, "Start"));
        if (megadrive) {
            static const char* const NAMES[6] = {"Y", "Z", "A", "B", "C", "X"};
            for (int i = 0; i < 6; i++)
                set(base + HPB_CONSOLE2 + i, NAMES[i]);
        } else {
            set(base + HPB_CONSOLE2, text(786, "Reverse"));
            set(base + HPB_CONSOLE3, text(785, "Forward"));
            set(base + HPB_COLOUR1, text(411, "Red"));
            set(base + HPB_COLOUR1 + 1, text(413, "Blue"));
            set(base + HPB_COLOUR1 + 2, text(412, "Green"));
            set(base + HPB_COLOUR1 + 3, text(341, "Yellow"));
        }
    }
}

} // namespace

// The pad's own order, as its buttons are read, whichever player it serves.
int hostpad_colour_key(int pad, int k) {
    const u8 c = input_port_button_order(pad)[k & 3];
    return fire_key(c >= 1 && c <= 4 ? c - 1 : 0);
}

void hostpad_labels_build() {
    if (viewpadsas == 1) {
        host_names();
    } else if (viewpadsas == 0 || viewpadsas == 2) {
        guest_pad(0, viewpadsas);
        guest_pad(1, viewpadsas);
        guest_mouse(viewpadsas);
    }
}

// ---- latches -------------------------------------------------------------------------------

u32 hostpad_latch_bit(int pad, int button) {
    switch (button) {
    case HPB_START:
        return JOY_START;
    case HPB_CONSOLE2:
        return JOY_REVERSE;
    case HPB_CONSOLE3:
        return JOY_FORWARD;
    case HPB_UP:
        return JOY_WIN_UP;
    case HPB_DOWN:
        return JOY_WIN_DOWN;
    case HPB_LEFT:
        return JOY_WIN_LEFT;
    case HPB_RIGHT:
        return JOY_WIN_RIGHT;
    default:
        break;
    }
    if (button < HPB_COLOUR1 || button > HPB_COLOUR1 + 3) return 0;
    const u8 c = input_port_button_order(pad)[button - HPB_COLOUR1];
    return c >= 1 && c <= 4 ? JOY_BUTTON1 << (c - 1) : 0;
}

bool hostpad_shown_pressed(int gid) {
    const int i = gid - GID_HOSTPAD_FIRST;
    if (i < 0 || i >= HOSTPAD_BUTTONS) return false;
    if (i >= 2 * HOSTPAD_PAD_BUTTONS) return mouse_buttons_held[i - 2 * HOSTPAD_PAD_BUTTONS] != 0;
    const int port = i / HOSTPAD_PAD_BUTTONS, b = i % HOSTPAD_PAD_BUTTONS;
    switch (b) {
    case HPB_UP:
        return joy_dir_y[port] < 0;
    case HPB_DOWN:
        return joy_dir_y[port] > 0;
    case HPB_LEFT:
        return joy_dir_x[port] < 0;
    case HPB_RIGHT:
        return joy_dir_x[port] > 0;
    case HPB_START:
        return (joy_bits[port] & JOY_START) != 0;
    case HPB_CONSOLE2:
        return (joy_bits[port] & JOY_REVERSE) != 0;
    case HPB_CONSOLE3:
        return (joy_bits[port] & JOY_FORWARD) != 0;
    default: // colour slot k shows guest button k
        return (joy_bits[port] & (JOY_BUTTON1 << (b - HPB_COLOUR1))) != 0;
    }
}

void hostpad_background_click() {
    joy_window_bits[0] = joy_window_bits[1] = 0;
}

void hostpad_click(int gid) {
    const int i = gid - GID_HOSTPAD_FIRST;
    if (i >= 0 && i < 2 * HOSTPAD_PAD_BUTTONS) {
        const int port = i / HOSTPAD_PAD_BUTTONS, b = i % HOSTPAD_PAD_BUTTONS;
        joy_window_bits[1 - port] = 0;
        u32& w = joy_window_bits[port];
        w ^= hostpad_latch_bit(port, b);
        static constexpr u32 OPPOSITE[4] = {JOY_WIN_DOWN, JOY_WIN_UP, JOY_WIN_RIGHT, JOY_WIN_LEFT};
        if (b >= HPB_UP) w &= ~OPPOSITE[b - HPB_UP];
    } else if (i >= 2 * HOSTPAD_PAD_BUTTONS && i < HOSTPAD_BUTTONS) {
        const int n = i - 2 * HOSTPAD_PAD_BUTTONS;
        if (hostpad_assign[2] != HPA_NONE && (n != 2 || guestrmb)) {
            mouse_buttons_held[n] = mouse_buttons_held[n] ? 0 : 1;
            hostpad_background_click();
        }
    }
    if (hostpad_assign[0] == HPA_NONE) joy_window_bits[0] = 0;
    if (hostpad_assign[1] == HPA_NONE) joy_window_bits[1] = 0;
    if (hostpad_assign[2] == HPA_NONE)
        mouse_buttons_held[0] = mouse_buttons_held[1] = mouse_buttons_held[2] = 0;
}
