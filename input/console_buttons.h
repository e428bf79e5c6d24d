// The four console buttons (START, A, B and a fourth such as coin B or a
// reset key, as the machine table labels them). A button is held while its
// host key (console_keys) is down, or while its hold counter runs: a click on
// its toolbar button holds it for a few frames, long enough for the guest to
// see it. A machine's input step asks input_console_button_held for each
// button and calls input_console_buttons_tick once per frame.
#pragma once

#include "core/types.h"

constexpr int CONSOLE_BUTTONS = 4;

// Frames each button is still held for by a click (0 none).
extern u8 console_hold[CONSOLE_BUTTONS];

// Frames a click holds button k (0..3) down on the current machine: the
// Elektor's START and UC need 24 to be seen by its monitor, the Type-right
// reads its buttons every other frame, everything else 5.
int input_console_click_frames(int k);
// Button k clicked (toolbar or on-screen): held for its frames from now.
void input_press_console_button(int k);
// Whether button k is held this frame: its host key down or its counter running.
bool input_console_button_held(int k);
// The end of a guest frame's input step: every running counter one frame on.
void input_console_buttons_tick();
void input_console_buttons_reset();
