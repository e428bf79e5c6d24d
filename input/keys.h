// Host key state and the key table.
//
// The host keyboard reaches the program as raw key codes 0..127 (a release is
// the same code plus 128, which the windows take off). host_key_matrix keeps
// one bit per code while the key is held; every subsystem polls it through
// host_key_down and the modifier tests. key_table describes each raw code:
// its short name, the guest character it types in each keyboard layout and
// modifier state, whether the emulator keeps it for itself, and on which host
// keyboards it exists. The players' assignments (player_keys, console_keys)
// are settings in core/settings_vars.h.
#pragma once

#include "core/types.h"

// Raw codes the program names.
enum RawKey : u32 {
    RAW_APOSTROPHE = 42,
    RAW_P = 25,
    RAW_TAB = 66,
    RAW_ENTER = 67, // on the numeric pad
    RAW_RETURN = 68,
    RAW_ESC = 69,
    RAW_UP = 76,
    RAW_DOWN = 77,
    RAW_RIGHT = 78,
    RAW_LEFT = 79,
    RAW_F1 = 80,
    RAW_LSHIFT = 96,
    RAW_RSHIFT = 97,
    RAW_CAPS = 98,
    RAW_CTRL = 99,
    RAW_LALT = 100,
    RAW_RALT = 101,
    RAW_RAMIGA = 103,
    RAW_WHEEL_UP = 122,
    RAW_WHEEL_DOWN = 123,
    RAW_NONE = 127, // the code of no key: assignments use it for "unassigned"
};

// Guest characters above 127 that are commands, not characters.
constexpr u16 KEY_NO_CHAR = 0x80;
constexpr u16 KEY_SWALLOW = 0x81;
constexpr u16 KEY_TYPE_TITLE = 0x82;
constexpr u16 KEY_TYPE_DATE = 0x83;

// Columns of KeyTableRow::chars.
enum KeyColumn : int {
    KC_PLAIN = 0, // + keymap 0..2
    KC_CAPS = 3,  // + keymap
    KC_SHIFT = 6, // + keymap
    KC_CTRL = 9,
    KC_CTRL_SHIFT = 10,
    KC_TR = 11,       // Type-right's own layout, unshifted
    KC_TR_SHIFT = 12, // Type-right's own layout, Shift or Caps Lock
    KEY_COLUMNS = 13
};

struct KeyTableRow {
    const char* name;
    u16 chars[KEY_COLUMNS]; // KEY_NO_CHAR = none
    u8 reserved;            // the emulator's own key: never assigned to a guest key
    i32 raw;                // the row's code, -1 when no drawn host keyboard has it
    u8 on_a600;             // on keyboard type 0
    u8 on_a1000;            // on keyboard type 1
    i32 picture_rect;       // rectangle on the Type-right's controls picture, -1 none
};

constexpr int RAW_KEYS = 128;
extern KeyTableRow key_table[RAW_KEYS];

// Host key state: bit (code % 8) of byte (code / 8) is set while the key is held.
extern u8 host_key_matrix[16];
// Press events since the key last went up (the host repeats presses while held).
extern u32 host_key_repeats[RAW_KEYS];
// Modifiers held by clicks on the on-screen keys of the controls pictures.
extern u8 ctrl_latch, left_shift_latch, right_shift_latch, repeat_latch;
// Held marks of the controls picture's key rectangles (the Type-right's
// on-screen Shift keys are rectangles 49 and 50).
constexpr int CONTROLS_RECTS = 80;
extern u8 controls_marked[CONTROLS_RECTS];

int host_key_down(u32 code); // code 0..127
int host_ctrl_down();
int host_shift_down();
// key_shift_remap (core/helpers.h) with the host's Shift and Ctrl and the
// "lowercase" setting.
int host_key_shift_remap(int raw_key);
int host_left_shift_down();
// The same for right Shift; nothing in the program asks for it yet.
int host_right_shift_down();
int host_alt_down();

void host_key_set(u32 code);   // bit on
void host_key_clear(u32 code); // bit off
// Every key up: the main window became active, or a modal dialog ended.
// Their press counters start again, and the latch lets go of a host key's
// character.
void input_clear_key_matrix();
// The main window opened again: both Shifts and Ctrl are up; the rest stays.
void input_clear_modifier_keys();

// Guest key indices of a player's 28 assignments.
enum GuestKey : int {
    GK_FIRE1 = 0,
    GK_KEYPAD1 = 1, // .. 12
    GK_EXTRA1 = 13, // .. 16, the Palladium keypad's extra keys
    GK_UP = 17,
    GK_DOWN = 18,
    GK_LEFT = 19,
    GK_RIGHT = 20,
    GK_FIRE2 = 21,
    GK_FIRE3 = 22,
    GK_FIRE4 = 23,
    GK_UP_LEFT = 24,
    GK_UP_RIGHT = 25,
    GK_DOWN_LEFT = 26,
    GK_DOWN_RIGHT = 27,
};

// 1 when guest key index k (0..27) exists on the current machine.
int key_valid_for_machine(int k);

// Classes of input_find_guest_key.
enum KeyClass : int {
    KEYCLASS_LEFT = 0,
    KEYCLASS_RIGHT = 1,
    KEYCLASS_CONSOLE = 2,
    KEYCLASS_SEVERAL = 5,
    KEYCLASS_UNUSED = 7,
    KEYCLASS_RESERVED = 8,
};
// The class of host key `code` on the current machine (the host keyboard
// window colours its keys by it).
int input_find_guest_key(int code);

// The keyboard layout 0..2 ("keymap", 0 when out of range) that picks the
// key table's columns.
int input_keymap();

// 1 while the current machine takes typed characters (its keyboard options
// included).
int input_keyboard_machine();

// The localised names of the keys that have catalog texts (start-up, after
// the catalog is open).
void key_table_localise();

// Host key state, latches and marks back to start-up.
void input_keys_reset();
