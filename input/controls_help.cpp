#include "input/controls_help.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/keys.h"
#include "platform/catalog.h"

#include <cstdio>

const OverlayKeySlot overlay_key_slots[OVERLAY_SLOTS] = {
    {0, 2}, {1, 2},  {0, 13}, {0, 14}, {0, 15}, {1, 13}, {1, 14}, {1, 15}, {0, 1},  {0, 16}, {0, 3},
    {1, 1}, {1, 16}, {1, 3},  {0, 4},  {0, 5},  {0, 6},  {1, 4},  {1, 5},  {1, 6},  {0, 7},  {0, 8},
    {0, 9}, {1, 7},  {1, 8},  {1, 9},  {0, 10}, {0, 11}, {0, 12}, {1, 10}, {1, 11}, {1, 12},
};

namespace {

// The overlays whose labels the program has.
constexpr i32 OVERLAY_ARCADIA = 0;
constexpr i32 OVERLAY_TERMINALS = 3; // PIPBUG, TWIN, Artemis, CD2650: no keypad

const char* const ARCADIA_LABELS[OVERLAY_SLOTS] = {
    "2/Fi", "2/Fi", "x1", "x2", "x3",    "x1", "x2",    "x3",    "1", "x4",   "3",
    "1",    "x4",   "3",  "4",  "5",     "6",  "4",     "5",     "6", "7",    "8",
    "9",    "7",    "8",  "9",  "Clear", "0",  "Enter", "Clear", "0", "Enter"};

constexpr const char* NO_LABEL = "-----";

// Guest key index of each fire button's host key in a player's assignment.
constexpr int FIRE_BUTTON_KEY[4] = {0, 21, 22, 23};

const char* host_key_name(int player, int key) {
    const u16 code = player_keys[player][key];
    if (code >= RAW_KEYS || !key_table[code].name) return "-";
    return key_table[code].name;
}

// Slots 36-39 (slot 2 of either player, kept apart by the window) are 0 and 1.
int overlay_slot(int slot) {
    if (slot == 36 || slot == 37) return 0;
    if (slot == 38 || slot == 39) return 1;
    return slot;
}

bool valid_slot(int slot) {
    return slot >= 0 && slot < OVERLAY_SLOTS;
}

int finish(int written, char* buf, std::size_t size) {
    if (written < 0) {
        if (size) buf[0] = '\0';
        return 0;
    }
    return written;
}

} // namespace

const char* overlay_label(i32 row, int slot) {
    if (!valid_slot(slot)) return NO_LABEL;
    if (row == OVERLAY_ARCADIA) return ARCADIA_LABELS[slot];
    if (row == OVERLAY_TERMINALS) return "n/a";
    const OverlayKeySlot& s = overlay_key_slots[slot];
    const MachineDesc& m = machine_desc();
    const char* const* keys = s.player ? m.right_keys : m.left_keys;
    return keys ? keys[s.key] : NO_LABEL;
}

void controls_names_localise() {
    for (u32 m = 0; m < MACHINES; m++)
        for (int b = 0; b < 4; b++) {
            const CatalogText& name = machine_table[m].traits.console_names[b];
            if (name.number) machine_live[m].console_labels[b] = cat_str(name.number, name.english);
        }
}

int controls_help_text(int slot, char* buf, std::size_t size) {
    slot = overlay_slot(slot);
    if (!valid_slot(slot)) return finish(-1, buf, size);
    const OverlayKeySlot& s = overlay_key_slots[slot];
    const char* overlay = overlay_label(current_overlay, slot);
    const char* guest =
        overlay_label(memmap_desc().default_overlay, slot);
    const char* host = host_key_name(s.player, s.key);
    for (int n = 0; n < 4; n++)
        if (fire_button_assign[n] == s.key)
            return finish(
                std::snprintf(buf, size,
                              cat_str(539, "Overlay: %s\nGuest key: %s\nHost keys: %s, %s"),
                              overlay, guest, host, host_key_name(s.player, FIRE_BUTTON_KEY[n])),
                buf, size);
    return finish(std::snprintf(buf, size, cat_str(538, "Overlay: %s\nGuest key: %s\nHost key: %s"),
                                overlay, guest, host),
                  buf, size);
}

int controls_help_text_players(int left, int right, int fire, char* buf, std::size_t size) {
    left = overlay_slot(left);
    right = overlay_slot(right);
    if (!valid_slot(left) || !valid_slot(right) || fire < 32 || fire > 35)
        return finish(-1, buf, size);
    const int fire_key = fire == 32 ? 0 : fire - 12;
    const OverlayKeySlot& l = overlay_key_slots[left];
    const OverlayKeySlot& r = overlay_key_slots[right];
    const i32 own = memmap_desc().default_overlay;
    return finish(
        std::snprintf(buf, size,
                      cat_str(540, "Guest key: %s\n\nLeft player:\nOverlay: %s\nHost keys: %s, "
                                   "%s\n\nRight player:\nOverlay: %s\nHost keys: %s, %s"),
                      overlay_label(own, left), overlay_label(current_overlay, left),
                      host_key_name(l.player, l.key), host_key_name(0, fire_key),
                      overlay_label(current_overlay, right), host_key_name(r.player, r.key),
                      host_key_name(1, fire_key)),
        buf, size);
}
