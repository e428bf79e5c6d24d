#include "input/host_key_labels.h"

#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "input/controls.h"
#include "input/controls_help.h"
#include "platform/catalog.h"

#include <cstdio>

HostKeyLabel hostkey_labels[RAW_KEYS];
i32 hostkey_clicked = -1;

void host_key_labels_reset() {
    for (HostKeyLabel& l : hostkey_labels)
        l = HostKeyLabel{};
    hostkey_clicked = -1;
}

bool hostkey_on_picture(int k, int picture) {
    if (k < 0 || k >= RAW_KEYS || key_table[k].raw == -1) return false;
    switch (picture) {
    case KB_A600:
        return key_table[k].on_a600 != 0;
    case KB_A1000:
        return key_table[k].on_a1000 != 0;
    default:
        return true;
    }
}

int guest_key_overlay_slot(int player, int key) {
    for (int s = 0; s < OVERLAY_SLOTS; s++)
        if (overlay_key_slots[s].player == player && overlay_key_slots[s].key == key) return s;
    return -1;
}

namespace {

// The short name of a guest character, "?" for a command code above 255.
std::string char_name(u16 ch) {
    if (ch > 255) return "?";
    char out[8];
    return cpu_char_name(static_cast<u8>(ch), out);
}
// The name followed by its code.
std::string char_name_hex(u16 ch) {
    char out[16];
    if (ch > 255) {
        std::snprintf(out, sizeof out, "? ($%02X)", ch & 0xFF);
        return out;
    }
    return cpu_char_name_hex(static_cast<u8>(ch), out);
}

// A catalog text with its "%s" filled in turn (the catalog keeps only
// translations with the English text's conversions, so the count matches).
std::string fill(int number, const char* english, std::initializer_list<std::string> args) {
    std::string out;
    auto arg = args.begin();
    for (const char* p = cat_str(number, english); *p; p++) {
        if (*p == '%' && (p[1] == 's' || p[1] == '%')) {
            if (p[1] == '%')
                out += '%';
            else if (arg != args.end())
                out += *arg++;
            p++;
        } else {
            out += *p;
        }
    }
    return out;
}

int picture() {
    return keyboardtype >= 0 && keyboardtype <= 2 ? keyboardtype : KB_A600;
}

void set_label(int k, const std::string& text) {
    if (!hostkey_on_picture(k, picture())) return;
    hostkey_labels[k].text = text;
    hostkey_labels[k].hover = text;
}
void set_label_alt(int k, const std::string& text, const std::string& hover) {
    if (!hostkey_on_picture(k, picture())) return;
    hostkey_labels[k].text = text;
    hostkey_labels[k].hover = hover;
}

std::string own_name(int k) {
    const char* name = key_table[k].name;
    return name ? name : "";
}

const char* console_label(int i) {
    const char* l = machine_live_row().console_labels[i];
    return l ? l : "-";
}

// Keyboard machines: the characters each key types.
void keyboard_machine_labels() {
    const int km = input_keymap();
    const bool typewriter = machine_traits().typewriter_keyboard;
    for (int k = 0; k < RAW_KEYS; k++) {
        if (key_table[k].raw == -1) continue;
        const u16* c = key_table[k].chars;
        int n = 0;
        if (k != RAW_P && k != RAW_TAB &&
            (key_table[k].reserved || k == RAW_LSHIFT || k == RAW_RSHIFT)) {
            set_label(k, own_name(k));
            n = 1;
        } else if (c[KC_PLAIN + km] == KEY_NO_CHAR) {
            set_label(k, "");
        } else if (typewriter) {
            if (c[KC_TR] == KEY_NO_CHAR) {
                set_label_alt(k, "", "");
            } else {
                const u16 u = km == 0 ? c[KC_PLAIN] : c[KC_TR];
                const u16 s = km != 0 ? c[KC_TR_SHIFT] : c[KC_SHIFT] == 0x5E ? 0x2D : c[KC_SHIFT];
                set_label_alt(k, char_name(u),
                              fill(1400, "Unshifted: %s\nShifted/Caps Lock: %s",
                                   {char_name_hex(u), char_name_hex(s)}));
                n = 1;
            }
        } else {
            const u16 shifted = static_cast<u16>(
                c[KC_SHIFT + km] < 0x80 ? host_key_shift_remap(c[KC_SHIFT + km]) : c[KC_SHIFT + km]);
            set_label_alt(k, char_name(c[KC_PLAIN + km]),
                          fill(1401, "Unshifted: %s\nCaps Lock: %s\nShifted: %s\nCtrl: %s\nCtrl+Shift: %s",
                               {char_name_hex(c[KC_PLAIN + km]), char_name_hex(c[KC_CAPS + km]),
                                char_name_hex(shifted), char_name_hex(c[KC_CTRL]),
                                char_name_hex(c[KC_CTRL_SHIFT])}));
            n = 1;
        }
        if (!typewriter) continue;
        int found = -1;
        for (int i = 0; i < 4; i++)
            if (console_keys[i] == k) n++, found = i;
        if (found >= 0) set_label(k, n > 1 ? "#" : console_label(found));
    }
}

bool counts_console_keys() {
    return !machine_traits().console_keys_unused;
}

// The label of a key assigned once, to slot `s` of player `owner`.
std::string player_key_label(int view, int owner, int s) {
    const int swap = machine_desc().swappable && swapped ? 1 : 0;
    const int side = swap ? 1 - owner : owner;
    static constexpr int FIRE_SLOTS[4] = {GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
    for (int f = 0; f < 4; f++)
        if (s == FIRE_SLOTS[f]) {
            const int g = fire_button_assign[f];
            // A fire button that presses no guest key of this machine is read as itself.
            if (g < 0 || g >= KEYPAD_KEYS || !key_valid_for_machine(g))
                return machine_key_label(side, s);
            return guest_key_label(view, side, g);
        }
    if (view == 0 && s >= GK_UP && s <= GK_RIGHT && known_game_id >= 0 &&
        known_game_id < KNOWN_GAMES) {
        const int over = known_games_db[known_game_id].paddle_keys[s - GK_UP];
        if (over >= 0 && over < KEYPAD_KEYS) return machine_key_label(side, over);
    }
    return guest_key_label(view, side, s);
}

// Consoles: the guest key each host key plays.
void console_machine_labels(int view) {
    for (int k = 0; k < RAW_KEYS; k++) {
        if (key_table[k].raw == -1) continue;
        int n = 0, owner = -1, slot = -1;
        for (int s = 0; s < KEYPAD_KEYS; s++) {
            if (!key_valid_for_machine(s)) continue;
            for (int p = 0; p < 2; p++)
                if (player_keys[p][s] == k) {
                    n++;
                    if (owner < 0) owner = p, slot = s;
                }
        }
        int console = -1;
        if (counts_console_keys())
            for (int i = 0; i < 4; i++)
                if (console_keys[i] == k) {
                    n++;
                    if (console < 0) console = i;
                }
        if (n == 0)
            set_label(k, key_table[k].reserved ? own_name(k) : "");
        else if (n > 1)
            set_label(k, "#");
        else if (console >= 0)
            set_label(k, console_label(console));
        else
            set_label(k, player_key_label(view, owner, slot));
    }
}

} // namespace

std::string guest_key_label(int view, int side, int key) {
    if (view == 2) {
        const int slot = guest_key_overlay_slot(side, key);
        if (slot >= 0) return overlay_label(current_overlay, slot);
    }
    return machine_key_label(side, key);
}

void keyboard_help_text_build() {
    const int view = viewkybdas;
    if (view == 1) {
        for (int k = 0; k < RAW_KEYS; k++)
            if (key_table[k].raw != -1) set_label(k, own_name(k));
    } else if (view == 0 || view == 2) {
        if (input_keyboard_machine())
            keyboard_machine_labels();
        else
            console_machine_labels(view);
    }
}
