// The Sensitivity dialog: how fast each host player's analog paddle moves
// (1..5), a slider and a number per player that mirror each other, with a
// reset to the loaded known game's recommended value (3 without one). OK or
// the close gadget keeps the values, Cancel or Esc drops them. A dialog
// (gui/dialogs.h): modal unless a command of the port opened it.
#pragma once

enum SensitivityGadget : int {
    GID_SENS_LEFT_SLIDER = 440,
    GID_SENS_LEFT_NUMBER = 441,
    GID_SENS_RIGHT_SLIDER = 442,
    GID_SENS_RIGHT_NUMBER = 443,
    GID_SENS_RESET = 444,
    GID_SENS_OK = 445,
    GID_SENS_CANCEL = 446,
};

// The dialog's window while it is open, 0 otherwise.
extern int sensitivity_window;

void gui_sensitivity_window();
// What "Reset to defaults" sets where the running machine offers no value of
// its own: the known game's recommended value, else 3.
int sensitivity_default();
