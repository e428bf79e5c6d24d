// The Host Gamepads/Mouse window (tool window TW_HOST_PADS): the two host
// gamepads and the mouse as buttons, captioned with the player who uses each
// device, coloured by that player and labelled with what each button does
// (input/host_pad_labels.h). A click latches a pad button or a mouse button.
//
//   host_pads_window_register();    // once: gui_subwin_ops[TW_HOST_PADS]
//   gui_open_host_pads_window();    // the menu item and OPENGAMEPADS
#pragma once

void host_pads_window_register();
void gui_open_host_pads_window();
void gui_host_pads_window_input();
// Relabels every button (after a change of view or of "guestrmb"); nothing
// while the window is closed.
void gui_controls_labels();
