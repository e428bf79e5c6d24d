// What each host key does on the current machine, as the Host Keyboard
// window shows it: the text on its button, the longer text shown while the
// pointer rests on it, and its colour (the key's class, input_find_guest_key).
// No toolkit here: the window (gui/host_keyboard_window.*) shows what
// keyboard_help_text_build leaves in hostkey_labels.
//
// The view ("viewkybdas") picks the texts: 0 the guest keys, 1 the host
// keys' own names, 2 the keypad overlay's labels; any other view keeps the
// texts as they were (only the colours follow).
#pragma once

#include "core/types.h"
#include "input/keys.h"

#include <string>

// The three keyboard pictures ("keyboardtype").
enum KeyboardPicture : int { KB_A600 = 0, KB_A1000 = 1, KB_OTHER = 2 };

// Whether raw key k has a button on keyboard picture `picture`.
bool hostkey_on_picture(int k, int picture);

struct HostKeyLabel {
    std::string text;  // on the button ("" none)
    std::string hover; // shown while the pointer rests on it; no hint while `text` is ""
};
// One per raw key, kept between builds (a view above 2 leaves them).
extern HostKeyLabel hostkey_labels[RAW_KEYS];

// Rebuilds hostkey_labels for the current machine, settings and held keys;
// keys without a button on the current picture are left alone.
void keyboard_help_text_build();

// The raw key clicked in the Host Keyboard window whose release waits for the
// end of the next frame, -1 none.
extern i32 hostkey_clicked;

// The overlay slot (0-31) of guest key `key` of `player`, -1 when the key has
// no overlay label.
int guest_key_overlay_slot(int player, int key);

// The label of guest key `key` of side `side` (0 left, 1 right): in view 2
// the current overlay's where the key has one, else the machine's own.
std::string guest_key_label(int view, int side, int key);

// Every label empty, no click pending.
void host_key_labels_reset();
