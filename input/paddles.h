// Paddles: one analogue position per guest player, moved once per frame from
// the player's controller (mouse, analogue or digital pad, keys) or an
// on-screen direction key. With "analog" off a key- or stick-driven paddle
// snaps to the machine's minimum, centre or maximum; with it on it moves by
// the player's sensitivity per frame and, with "springloaded", springs back
// to the centre when let go.
#pragma once

#include "core/types.h"

// Positions 0..255 per guest player. The ball-and-paddle machine has four
// vertical bats: paddle_y[2] and [3] are the second bats of each side.
extern i32 paddle_x[2];
extern i32 paddle_y[4];
extern i32 paddle_dx[2], paddle_dy[2]; // this frame's direction, -1, 0, +1

// The host pointer over the main window and the guest display's rectangle in
// it (left, top, right, bottom), kept by the main window.
extern i32 pointer_x, pointer_y;
extern i32 pointer_display[4];

// The on-screen key held on the controls picture, -1 none.
extern i32 virtual_key;

// Frames of force feedback each guest player's machine asks for this frame.
extern u32 rumble_request[2];

// Every paddle to the current machine's centre byte (reset, Alt+C).
void input_centre_paddles();

// Updates guest player s's paddle from host player `player`'s controller.
void input_update_paddle(int player, int s);
// 0 when an absolute device (mouse, analogue axes) set the paddle, 1 when
// directions move it.
int host_mouse_to_paddle(int player, int s);

void input_paddles_reset();
