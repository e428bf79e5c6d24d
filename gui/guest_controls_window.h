// The Guest Controls window (tool window TW_CONTROLS): the current machine's
// controller picture with its held controls marked live, its lamps and LED
// panel, the legend of the control under the pointer, the picture's size and
// look, and on-screen keys pressed with the mouse (input/controls.h).
//
//   guest_controls_window_register();   // once: gui_subwin_ops[TW_CONTROLS]
//   gui_open_guest_controls_window();   // the menu item and OPENCONTROLS
#pragma once

// Gadget ids.
enum GuestControlsGadget : int {
    GID_CTRL_VIEW_GROUP = 15,
    GID_CTRL_LARGE_GROUP = 16,
    GID_CTRL_LEGEND = 17,
    GID_CTRL_HINT = 18,
    GID_CTRL_PANEL = 19, // the PIPBUG's front panel
    GID_CTRL_LARGE = 20,
    GID_CTRL_VIEW = 21,
    GID_CTRL_OVERLAY = 22,
    GID_CTRL_GUEST_KEY = 23,
    GID_CTRL_HOST_KEYS = 24,
    GID_CTRL_PAD_BUTTONS = 25,
    GID_CTRL_MOUSE_BUTTONS = 26,
    GID_CTRL_PICTURE = 27,
};

void guest_controls_window_register();
void gui_open_guest_controls_window();
void gui_guest_controls_window_input();
// Paints the LED panel's patches onto the picture (UI_CONTROLS_PANEL).
void guest_controls_paint_panel();
