// Host joysticks and gamepads, and their rumble.
//
// Two host joyports (0 and 1) are read once per frame by every machine with
// game controls: host_read_joysticks(0), then (1). Each guest player's
// controller number ("controller_left", "controller_right") decides which port
// is read and how:
//   0 keyboard, 1 mouse: no port; 2 1st digital joystick, 5 1st digital gamepad:
//   port 0 digital; 3 2nd digital joystick, 6 2nd digital gamepad: port 1
//   digital; 7 1st analog gamepad: port 0 analogue; 8 2nd analog gamepad,
//   4 analog joystick: port 1 analogue (4 has no rumble).
// The host side is a PadDevice (platform/sdl on game controllers and
// joysticks; a fake one in the tests). Without one every read is 0.
#pragma once

#include "core/types.h"
#include "platform/pads.h"

#include <string>

// The host's pads, nullptr when none (NOLOWLEVEL, or no device layer).
extern const PadDevice* pad_device;

// The program's pad layer, installed by the program before start-up (tests
// leave it empty and put a fake device in pad_device). open starts the layer
// and returns its device, or nullptr with the reason in `why`; close lets go
// of it. Both are reference-counted by the layer.
struct PadLayer {
    const PadDevice* (*open)(std::string& why);
    void (*close)();
};
extern PadLayer pad_layer;

// Start-up: unless `wanted` is false (NOLOWLEVEL), opens the pad layer (a
// layer that cannot start is reported and the program goes on without pads),
// then sends the port types. True when the layer is held and
// input_pads_close must let go of it.
bool input_pads_open(bool wanted);
// The exit path: stops the motors, returns both ports to autosense and closes
// the layer.
void input_pads_close();
// The pad layer reads axes and drives motors (the analogue controllers 4, 7
// and 8 can be chosen).
bool input_analog_host();
// Analogue controller 4, 7 or 8 has a device with axes on its port.
bool input_analog_connected(i32 controller);
// A player whose controller is an analogue one that is not connected is told
// so on the console and falls back to the keyboard. input_pads_open runs it.
void input_pads_check_controllers();

// joy_bits: guest buttons 1-4 in 0x10000..0x80000, the extra buttons
// Start/Reverse/Forward in 0x100000/0x200000/0x400000, and the directions the
// Host Gamepads window holds in 0x1000 (up), 0x2000 (down), 0x4000 (left),
// 0x8000 (right).
constexpr u32 JOY_WIN_UP = 0x1000, JOY_WIN_DOWN = 0x2000, JOY_WIN_LEFT = 0x4000,
              JOY_WIN_RIGHT = 0x8000;
constexpr u32 JOY_BUTTON1 = 0x10000; // button n: JOY_BUTTON1 << (n - 1)
constexpr u32 JOY_START = 0x100000, JOY_REVERSE = 0x200000, JOY_FORWARD = 0x400000;

extern u32 joy_bits[2];
extern i32 joy_dir_x[2], joy_dir_y[2];  // -1, 0, +1 (x: left/right, y: up/down)
extern u8 joy_axis_x[2], joy_axis_y[2]; // 0..255, 128 when not read
extern u32 joy_window_bits[2];          // held in the Host Gamepads window
extern u32 rumble_frames[2];            // frames of rumble left per port

// The host mouse buttons (left, middle, right) as the guest sees them: held
// over the guest display (the right one only while "guestrmb" is on), or
// latched in the Host Gamepads window. They are host fire buttons 1 to 3 of
// a player whose controller is the mouse.
extern u8 mouse_buttons_held[3];
// A button pressed over the guest display since the last frame ended: a
// click let go within one event pass still reaches a frame.
extern u8 mouse_buttons_clicked[3];
// Each frame's end forgets the clicks that frame has seen.
void input_mouse_clicks_seen();
// Fire buttons 1-3 (JOY_BUTTON1 << n) of the mouse buttons held or clicked, for a player
// whose controller is the mouse; 0 for the others.
u32 input_mouse_bits(int player);
// What `player`'s controller holds in the joy_bits layout: its joyport's
// joy_bits, or the mouse's fire buttons; 0 for the keyboard.
u32 input_player_port_bits(int player);

// The button order (guest button 1-4 by Red, Blue, Green, Yellow) of the
// gamepad on `port`.
const u8* input_port_button_order(int port);
// The order the buttons of `player`'s controller go through: that of the
// gamepad on its joyport while the port is read digitally; nullptr for the
// keyboard, the mouse and an analogue read (no order: Red is button 1 ...).
const u8* input_player_button_order(int player);

void host_read_joysticks(int port);
void host_set_joyport_types();
// 0 for controllers 2 and 7, 1 for 3 and 8, else 2 (no rumble port).
int controller_kind(int player);

void host_rumble_start(int port, u32 frames);
void host_rumble_tick(int port);
void host_rumble_stop_all();

void input_joysticks_reset();
