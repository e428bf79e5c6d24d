// Host key events to raw key codes, without any toolkit: X11 key codes
// (which name key positions) and the interface toolkit's key numbers, whose
// values the Qt layer checks against the toolkit's own at compile time.
#pragma once

#include <cstdint>

// The toolkit's numbers of the keys the program maps.
enum HostToolkitKey : int {
    QK_ESCAPE = 0x1000000,
    QK_1 = 0x31,
    QK_2 = 0x32,
    QK_3 = 0x33,
    QK_4 = 0x34,
    QK_5 = 0x35,
    QK_6 = 0x36,
    QK_7 = 0x37,
    QK_8 = 0x38,
    QK_9 = 0x39,
    QK_0 = 0x30,
    QK_MINUS = 0x2D,
    QK_EQUAL = 0x3D,
    QK_BACKSLASH = 0x5C,
    QK_BACKSPACE = 0x1000003,
    QK_TAB = 0x1000001,
    QK_Q = 0x51,
    QK_W = 0x57,
    QK_E = 0x45,
    QK_R = 0x52,
    QK_T = 0x54,
    QK_Y = 0x59,
    QK_U = 0x55,
    QK_I = 0x49,
    QK_O = 0x4F,
    QK_P = 0x50,
    QK_BRACKET_LEFT = 0x5B,
    QK_BRACKET_RIGHT = 0x5D,
    QK_RETURN = 0x1000004,
    QK_CONTROL = 0x1000021,
    QK_A = 0x41,
    QK_S = 0x53,
    QK_D = 0x44,
    QK_F = 0x46,
    QK_G = 0x47,
    QK_H = 0x48,
    QK_J = 0x4A,
    QK_K = 0x4B,
    QK_L = 0x4C,
    QK_SEMICOLON = 0x3B,
    QK_APOSTROPHE = 0x27,
    QK_QUOTE_LEFT = 0x60,
    QK_SHIFT = 0x1000020,
    QK_Z = 0x5A,
    QK_X = 0x58,
    QK_C = 0x43,
    QK_V = 0x56,
    QK_B = 0x42,
    QK_N = 0x4E,
    QK_M = 0x4D,
    QK_COMMA = 0x2C,
    QK_PERIOD = 0x2E,
    QK_SLASH = 0x2F,
    QK_ALT = 0x1000023,
    QK_ALT_GR = 0x1001103,
    QK_SPACE = 0x20,
    QK_CAPS_LOCK = 0x1000024,
    QK_F1 = 0x1000030,
    QK_F2 = 0x1000031,
    QK_F3 = 0x1000032,
    QK_F4 = 0x1000033,
    QK_F5 = 0x1000034,
    QK_F6 = 0x1000035,
    QK_F7 = 0x1000036,
    QK_F8 = 0x1000037,
    QK_F9 = 0x1000038,
    QK_F10 = 0x1000039,
    QK_F11 = 0x100003A,
    QK_F12 = 0x100003B,
    QK_NUM_LOCK = 0x1000025,
    QK_SCROLL_LOCK = 0x1000026,
    QK_PRINT = 0x1000009,
    QK_ENTER = 0x1000005,
    QK_HOME = 0x1000010,
    QK_UP = 0x1000013,
    QK_PAGE_UP = 0x1000016,
    QK_LEFT = 0x1000012,
    QK_RIGHT = 0x1000014,
    QK_END = 0x1000011,
    QK_DOWN = 0x1000015,
    QK_PAGE_DOWN = 0x1000017,
    QK_INSERT = 0x1000006,
    QK_DELETE = 0x1000007,
    QK_PAUSE = 0x1000008,
    QK_SUPER_L = 0x1000053,
    QK_SUPER_R = 0x1000054,
    QK_MENU = 0x1000055,
    QK_HELP = 0x1000058,
    QK_MEDIA_STOP = 0x1000081,
    QK_MEDIA_PLAY = 0x1000080,
    QK_MEDIA_PREVIOUS = 0x1000082,
    QK_MEDIA_NEXT = 0x1000083,
    QK_PLUS = 0x2B,
    QK_ASTERISK = 0x2A,
};

// The raw code of X11 key code `code`, -1 when it has none.
int host_raw_from_x11(int code);
// The raw code of toolkit key `key`; `keypad` when the toolkit says the key
// is on the numeric keypad (its keypad meaning wins). -1 when it has none.
int host_raw_from_toolkit(int key, bool keypad);
// Whether raw code `raw` is a numeric keypad key.
bool host_raw_is_keypad(int raw);
// Every toolkit key the program maps, for the toolkit layer's checks.
extern const HostToolkitKey host_toolkit_keys[];
extern const int host_toolkit_key_count;

// The modifiers and mouse buttons that the toolkit says are held with an event.
struct HostModifiers {
    bool shift = false, control = false, alt = false, command = false;
    bool left_button = false, right_button = false, middle_button = false;
};
// Follows which side's Shift and Alt keys are held from their raw key events.
void host_keys_follow_sides(int raw, bool pressed);
// The raw key qualifiers (QUAL_*) of an event with modifiers `m` of raw key
// `raw` (-1 for none): Shift and Alt on the side held, Ctrl, the command key
// as the left one, the numeric keypad, a repeat and the mouse buttons.
std::uint16_t host_qualifiers(const HostModifiers& m, int raw, bool repeat);
