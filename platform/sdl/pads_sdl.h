// The host's game controllers on SDL2: game controllers where SDL knows the
// device's layout, plain joysticks otherwise. Only SDL's game-controller,
// joystick and haptic subsystems are started here. Devices are given to the
// two ports in SDL's device order and looked for again when one is unplugged
// or a new one appears. SDL's events for these devices are switched off: the
// state is read directly, once per port read.
//
// Buttons: A/B/X/Y are Red/Blue/Green/Yellow (joystick buttons 0-3), the left
// and right shoulders Reverse/Forward and Start Start (joystick buttons 4, 5
// and 6); directions come from the D-pad (a joystick's first hat) and from the
// left stick (the first two axes) when pushed past a third of its travel.
#pragma once

#include "platform/pads.h"

#include <string>

// Starts the layer (each open needs one close) and returns its device; nullptr
// with SDL's reason in `why` when the subsystems cannot start.
const PadDevice* pads_sdl_open(std::string& why);
void pads_sdl_close();
