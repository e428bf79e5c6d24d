// The Rearrange Gamepad Buttons dialog: for each of the two gamepads, which
// guest button its Red, Blue, Green and Yellow buttons drive, chosen as one
// of the 24 orders of the four. OK or the close gadget writes the orders into
// leftbutton and rightbutton, Cancel or Esc drops them. A gamepad whose
// stored map is no order keeps it unless an order is picked for it. A dialog
// (gui/dialogs.h): modal unless a command of the port opened it.
#pragma once

#include "core/types.h"

constexpr int GAMEPAD_ORDERS = 24;

enum GamepadButtonsGadget : int {
    GID_PADS_FIRST = 450,
    GID_PADS_SECOND = 451,
    GID_PADS_RESET = 452,
    GID_PADS_OK = 453,
    GID_PADS_CANCEL = 454,
};

struct GamepadOrder {
    const char* label; // "R,B,G,Y"
    u8 buttons[4];     // guest buttons of Red, Blue, Green, Yellow
};
// The orders in list order: the permutations of 1..4 in lexicographic order.
extern const GamepadOrder gamepad_button_orders[GAMEPAD_ORDERS];

// The dialog's window while it is open, 0 otherwise.
extern int gamepad_buttons_window;

void gui_gamepad_buttons_window();
// The row of a stored map: the order it is, -1 for a map that is none of
// them (the dialog shows such a map on the first order).
int gamepad_order_of(const u8 map[4]);
