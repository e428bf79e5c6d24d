// The Host Keyboard window (tool window TW_HOST_KEYBOARD): the host keyboard
// as one button per key in one of three pictures ("keyboardtype"), each
// labelled and coloured by what the key does on the current machine
// (input/host_key_labels.h). A click presses the key until the end of the
// next frame; held keys show pressed.
//
//   host_keyboard_window_register();    // once: gui_subwin_ops[TW_HOST_KEYBOARD]
//   gui_open_host_keyboard_window();    // the menu item and OPENKEYBOARD
#pragma once

constexpr int GID_HOSTKEY_VIEW = 144;    // "View as": guest keys, host keys, overlays
constexpr int GID_HOSTKEY_PICTURE = 145; // the keyboard picture
constexpr int GID_HOSTKEY_FIRST = 1057;  // + raw key code

void host_keyboard_window_register();
void gui_open_host_keyboard_window();
void gui_host_keyboard_window_input();
