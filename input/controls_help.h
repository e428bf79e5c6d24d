// The console buttons' localised names, and the help texts of the guest keys
// that the Game Information window shows: which overlay label a key carries,
// which guest key it is and which host keys play it.
#pragma once

#include "core/types.h"

#include <cstddef>

// One key of a keypad overlay: the player (0 left, 1 right) and the guest key
// index (0-27) it labels. Overlay label k belongs to slot k.
struct OverlayKeySlot {
    u8 player, key;
};
constexpr int OVERLAY_SLOTS = 32;
extern const OverlayKeySlot overlay_key_slots[OVERLAY_SLOTS];

// Label `slot` (0-31) of keypad overlay `row`. Rows the program has no texts
// for read the machine's own key labels; "-----" for a key without one.
const char* overlay_label(i32 row, int slot);

// Puts the catalog's console button names into the machine table (start-up,
// once the catalog is open). Buttons without a catalog text keep theirs.
void controls_names_localise();

// The help text of overlay slot `slot` (36 and 37 stand for 0, 38 and 39 for
// 1) for the current overlay: its label, the guest key's own label and the
// host key (and the fire button's host key when the guest key is one). Writes
// at most `size` bytes into `buf`; returns the text's length, 0 (and an empty
// text) for a slot outside the overlay.
int controls_help_text(int slot, char* buf, std::size_t size);

// The help text of a guest key that both players have and that a fire button
// also presses: slots `left` and `right`, `fire` 32-35 for fire buttons 1-4.
// Returns the text's length, 0 (and an empty text) for a slot or fire button
// outside the range.
int controls_help_text_players(int left, int right, int fire, char* buf, std::size_t size);
