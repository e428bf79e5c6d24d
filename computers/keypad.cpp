#include "computers/keypad.h"

#include "core/recording.h"
#include "core/settings_vars.h"
#include "input/controls.h"
#include "input/keys.h"

#include <cstring>

u8 keypad_nibbles[6];

bool keypad_bit_of(int player, int key, int* group, int* bit) {
    if (player < 0 || player > 1 || key < GK_KEYPAD1 || key > GK_KEYPAD1 + 11) return false;
    const int k = key - GK_KEYPAD1;
    *group = 3 * player + k % 3;
    *bit = k / 3;
    return true;
}

void keypad_scan() {
    if (rec_state == REC_PLAYBACK) {
        for (int i = 0; i < 6; i += 2) {
            const u8 b = rec_read_byte();
            keypad_nibbles[i] = b >> 4;
            keypad_nibbles[i + 1] = b & 15;
        }
    } else {
        std::memset(keypad_nibbles, 0, sizeof keypad_nibbles);
        for (int p = 0; p < 2; p++)
            for (int k = GK_KEYPAD1; k < GK_KEYPAD1 + 12; k++) {
                const u16 code = player_keys[p][k];
                int group, bit;
                if (code < RAW_NONE && host_key_down(code) && keypad_bit_of(p, k, &group, &bit))
                    keypad_nibbles[group] |= static_cast<u8>(1 << bit);
            }
        input_virtual_key_apply();
    }
    if (rec_state == REC_RECORDING)
        for (int i = 0; i < 6; i += 2)
            rec_write_byte(static_cast<u8>(keypad_nibbles[i] << 4 | keypad_nibbles[i + 1]));
}

void keypad_apply(i32 rect) {
    if (rect < 0 || rect >= controls_mark_count()) return;
    const ControlsKeyRect& r = controls_current_layout().rects[rect];
    int group, bit;
    if (r.role == CR_KEY && keypad_bit_of(r.player, r.key, &group, &bit))
        keypad_nibbles[group] |= static_cast<u8>(1 << bit);
}

void keypad_held(u8* marks) {
    const int n = controls_mark_count();
    const ControlsLayout& layout = controls_current_layout();
    for (int i = 0; i < n; i++) {
        const ControlsKeyRect& r = layout.rects[i];
        int group, bit;
        marks[i] = r.role == CR_KEY && keypad_bit_of(r.player, r.key, &group, &bit) &&
                   ((keypad_nibbles[group] >> bit) & 1);
    }
}
