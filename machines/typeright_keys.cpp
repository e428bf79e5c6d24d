// The Type-right's keyboard: which character a host key types.
#include "machines/typeright.h"

#include "core/settings_vars.h"
#include "input/key_events.h"
#include "input/keys.h"

u16 typeright_key_char(u32 code) {
    if (host_ctrl_down()) return KEY_NO_CHAR;
    const KeyTableRow& row = key_table[code];
    const int k = input_keymap();
    u16 ch;
    if (host_shift_down())
        ch = row.chars[k == 0 ? KC_SHIFT : KC_TR_SHIFT];
    else if (caps_lock_state)
        ch = row.chars[k == 0 ? KC_CAPS : KC_TR_SHIFT];
    else
        ch = row.chars[k == 0 ? KC_PLAIN : KC_TR];
    if (ch == 13) ch = 10;
    if (ch == '^') ch = '-';
    if (ch == 27) ch = KEY_NO_CHAR; // no Esc key
    return ch;
}
