// The Host Gamepads/Mouse window's contents, without a toolkit: which player
// uses each host device, the devices' captions and colours, the label of every
// button, and what a click on a button latches (joy_window_bits,
// mouse_buttons_held). The window (gui/host_pads_window.*) shows them.
//
// Buttons, by gadget id: the first gamepad 1185-1195, the second 1196-1206,
// each Start, console 2, console 3, colour slots 1-4, up, down, left, right;
// the mouse's left, middle and right buttons 1207-1209.
#pragma once

#include "core/types.h"

#include <string>

constexpr int GID_HOSTPAD_FIRST = 1185;  // first gamepad's Start
constexpr int GID_HOSTPAD_SECOND = 1196; // second gamepad's Start
constexpr int GID_HOSTPAD_MOUSE = 1207;  // left, middle, right
constexpr int GID_HOSTPAD_VIEW = 151;    // the label view ("viewpadsas")
constexpr int GID_HOSTPAD_KIND = 152;    // the pad drawn ("viewpadsas2")
constexpr int HOSTPAD_PAD_BUTTONS = 11;
constexpr int HOSTPAD_BUTTONS = 25;
// Button index within a pad.
enum HostPadButton : int {
    HPB_START = 0,
    HPB_CONSOLE2 = 1,
    HPB_CONSOLE3 = 2,
    HPB_COLOUR1 = 3, // .. 6
    HPB_UP = 7,
    HPB_DOWN = 8,
    HPB_LEFT = 9,
    HPB_RIGHT = 10,
};

// Devices: 0 the first gamepad, 1 the second, 2 the mouse. Who uses each:
enum HostPadAssign : u32 { HPA_LEFT = 0, HPA_RIGHT = 1, HPA_BOTH = 2, HPA_NONE = 3 };
extern u32 hostpad_assign[3];

// Whether the current machine has the window (the Arcadia, the
// ball-and-paddle machine and the PVI machines).
bool host_pads_available();
// Recomputes hostpad_assign from the players' controllers and "swapped".
void hostpad_assign_compute();
// A device's caption: its name and, unless `bare`, who uses it.
std::string hostpad_caption(int device, bool bare);
// The extra pen of a device's buttons, and of a pad's Start and console buttons.
int hostpad_button_pen(int device);
int hostpad_console_pen(int pad);
// The pen of button `gid` (1185-1209).
int hostpad_pen_of(int gid);

// The guest key index (0-27) that colour slot k (0-3) of pad `pad` presses.
int hostpad_colour_key(int pad, int k);

// The label of each button (gadget 1185 + i), also its hover text.
extern std::string hostpad_labels[HOSTPAD_BUTTONS];
// Relabels every button for the view "viewpadsas" (any other view keeps them).
void hostpad_labels_build();

// The joy_bits bit that pad button `button` of `pad` latches (0 none).
u32 hostpad_latch_bit(int pad, int button);
// Whether the button shows pressed for the current frame's state.
bool hostpad_shown_pressed(int gid);
// A click on gadget `gid` of the window; the rules of unassigned devices
// follow every click.
void hostpad_click(int gid);
// A click on the window outside its buttons: both pads let go.
void hostpad_background_click();

void host_pad_labels_reset();
