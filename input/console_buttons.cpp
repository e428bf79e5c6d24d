#include "input/console_buttons.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/keys.h"

u8 console_hold[CONSOLE_BUTTONS];

static bool valid(int k) {
    return k >= 0 && k < CONSOLE_BUTTONS;
}

int input_console_click_frames(int k) {
    if (!valid(k)) return 0;
    return machine_traits().console_click_frames[k];
}

void input_press_console_button(int k) {
    if (valid(k)) console_hold[k] = static_cast<u8>(input_console_click_frames(k));
}

bool input_console_button_held(int k) {
    if (!valid(k)) return false;
    return console_hold[k] != 0 || (console_keys[k] < RAW_KEYS && host_key_down(console_keys[k]));
}

void input_console_buttons_tick() {
    for (u8& h : console_hold)
        if (h) --h;
}

void input_console_buttons_reset() {
    for (u8& h : console_hold)
        h = 0;
}
