#include "platform/host_keys.h"

#include "platform/gui.h"

#include <iterator>

namespace {

struct Pair {
    int from;
    int raw;
};

// X11 key codes (evdev + 8) of a PC keyboard.
constexpr Pair x11_keys[] = {
    {9, 0x45},   {10, 0x01},  {11, 0x02},  {12, 0x03},  {13, 0x04},  {14, 0x05},  {15, 0x06},
    {16, 0x07},  {17, 0x08},  {18, 0x09},  {19, 0x0A},  {20, 0x0B},  {21, 0x0C},  {22, 0x41},
    {23, 0x42},  {24, 0x10},  {25, 0x11},  {26, 0x12},  {27, 0x13},  {28, 0x14},  {29, 0x15},
    {30, 0x16},  {31, 0x17},  {32, 0x18},  {33, 0x19},  {34, 0x1A},  {35, 0x1B},  {36, 0x44},
    {37, 0x63},  {38, 0x20},  {39, 0x21},  {40, 0x22},  {41, 0x23},  {42, 0x24},  {43, 0x25},
    {44, 0x26},  {45, 0x27},  {46, 0x28},  {47, 0x29},  {48, 0x2A},  {49, 0x00},  {50, 0x60},
    {51, 0x0D},  {52, 0x31},  {53, 0x32},  {54, 0x33},  {55, 0x34},  {56, 0x35},  {57, 0x36},
    {58, 0x37},  {59, 0x38},  {60, 0x39},  {61, 0x3A},  {62, 0x61},  {63, 0x5D},  {64, 0x64},
    {65, 0x40},  {66, 0x62},  {67, 0x50},  {68, 0x51},  {69, 0x52},  {70, 0x53},  {71, 0x54},
    {72, 0x55},  {73, 0x56},  {74, 0x57},  {75, 0x58},  {76, 0x59},  {77, 0x6D},  {78, 0x6B},
    {79, 0x3D},  {80, 0x3E},  {81, 0x3F},  {82, 0x4A},  {83, 0x2D},  {84, 0x2E},  {85, 0x2F},
    {86, 0x5E},  {87, 0x1D},  {88, 0x1E},  {89, 0x1F},  {90, 0x0F},  {91, 0x3C},  {94, 0x30},
    {95, 0x4B},  {96, 0x6F},  {104, 0x43}, {105, 0x63}, {106, 0x5C}, {107, 0x6C}, {108, 0x65},
    {110, 0x70}, {111, 0x4C}, {112, 0x48}, {113, 0x4F}, {114, 0x4E}, {115, 0x71}, {116, 0x4D},
    {117, 0x49}, {118, 0x47}, {119, 0x46}, {127, 0x6E}, {133, 0x66}, {134, 0x67}, {135, 0x5F},
};

// Toolkit keys, for hosts without X11 key codes.
constexpr Pair toolkit_keys[] = {
    {QK_ESCAPE, 0x45},
    {QK_1, 0x01},
    {QK_2, 0x02},
    {QK_3, 0x03},
    {QK_4, 0x04},
    {QK_5, 0x05},
    {QK_6, 0x06},
    {QK_7, 0x07},
    {QK_8, 0x08},
    {QK_9, 0x09},
    {QK_0, 0x0A},
    {QK_MINUS, 0x0B},
    {QK_EQUAL, 0x0C},
    {QK_BACKSLASH, 0x0D},
    {QK_BACKSPACE, 0x41},
    {QK_TAB, 0x42},
    {QK_Q, 0x10},
    {QK_W, 0x11},
    {QK_E, 0x12},
    {QK_R, 0x13},
    {QK_T, 0x14},
    {QK_Y, 0x15},
    {QK_U, 0x16},
    {QK_I, 0x17},
    {QK_O, 0x18},
    {QK_P, 0x19},
    {QK_BRACKET_LEFT, 0x1A},
    {QK_BRACKET_RIGHT, 0x1B},
    {QK_RETURN, 0x44},
    {QK_CONTROL, 0x63},
    {QK_A, 0x20},
    {QK_S, 0x21},
    {QK_D, 0x22},
    {QK_F, 0x23},
    {QK_G, 0x24},
    {QK_H, 0x25},
    {QK_J, 0x26},
    {QK_K, 0x27},
    {QK_L, 0x28},
    {QK_SEMICOLON, 0x29},
    {QK_APOSTROPHE, 0x2A},
    {QK_QUOTE_LEFT, 0x00},
    {QK_SHIFT, 0x60},
    {QK_Z, 0x31},
    {QK_X, 0x32},
    {QK_C, 0x33},
    {QK_V, 0x34},
    {QK_B, 0x35},
    {QK_N, 0x36},
    {QK_M, 0x37},
    {QK_COMMA, 0x38},
    {QK_PERIOD, 0x39},
    {QK_SLASH, 0x3A},
    {QK_ALT, 0x64},
    {QK_ALT_GR, 0x65},
    {QK_SPACE, 0x40},
    {QK_CAPS_LOCK, 0x62},
    {QK_F1, 0x50},
    {QK_F2, 0x51},
    {QK_F3, 0x52},
    {QK_F4, 0x53},
    {QK_F5, 0x54},
    {QK_F6, 0x55},
    {QK_F7, 0x56},
    {QK_F8, 0x57},
    {QK_F9, 0x58},
    {QK_F10, 0x59},
    {QK_F11, 0x4B},
    {QK_F12, 0x6F},
    {QK_NUM_LOCK, 0x6D},
    {QK_SCROLL_LOCK, 0x6B},
    {QK_PRINT, 0x6C},
    {QK_ENTER, 0x43},
    {QK_HOME, 0x70},
    {QK_UP, 0x4C},
    {QK_PAGE_UP, 0x48},
    {QK_LEFT, 0x4F},
    {QK_RIGHT, 0x4E},
    {QK_END, 0x71},
    {QK_DOWN, 0x4D},
    {QK_PAGE_DOWN, 0x49},
    {QK_INSERT, 0x47},
    {QK_DELETE, 0x46},
    {QK_PAUSE, 0x6E},
    {QK_SUPER_L, 0x66},
    {QK_SUPER_R, 0x67},
    {QK_MENU, 0x5F},
    {QK_HELP, 0x5F},
    {QK_MEDIA_STOP, 0x72},
    {QK_MEDIA_PLAY, 0x73},
    {QK_MEDIA_PREVIOUS, 0x74},
    {QK_MEDIA_NEXT, 0x75},
};

// Keypad keys when the toolkit reports the keypad without a key code.
constexpr Pair toolkit_keypad[] = {
    {QK_0, 0x0F},    {QK_1, 0x1D},        {QK_2, 0x1E},      {QK_3, 0x1F},
    {QK_4, 0x2D},    {QK_5, 0x2E},        {QK_6, 0x2F},      {QK_7, 0x3D},
    {QK_8, 0x3E},    {QK_9, 0x3F},        {QK_PERIOD, 0x3C}, {QK_MINUS, 0x4A},
    {QK_PLUS, 0x5E}, {QK_ASTERISK, 0x5D}, {QK_SLASH, 0x5C},  {QK_ENTER, 0x43},
};

int lookup(const Pair* table, std::size_t n, int from) {
    for (std::size_t i = 0; i < n; ++i)
        if (table[i].from == from) return table[i].raw;
    return -1;
}

} // namespace

int host_raw_from_x11(int code) {
    return lookup(x11_keys, std::size(x11_keys), code);
}

int host_raw_from_toolkit(int key, bool keypad) {
    int raw = keypad ? lookup(toolkit_keypad, std::size(toolkit_keypad), key) : -1;
    return raw >= 0 ? raw : lookup(toolkit_keys, std::size(toolkit_keys), key);
}

bool host_raw_is_keypad(int raw) {
    switch (raw) {
    case 0x0F:
    case 0x1D:
    case 0x1E:
    case 0x1F:
    case 0x2D:
    case 0x2E:
    case 0x2F:
    case 0x3C:
    case 0x3D:
    case 0x3E:
    case 0x3F:
    case 0x43:
    case 0x4A:
    case 0x5A:
    case 0x5B:
    case 0x5C:
    case 0x5D:
    case 0x5E:
        return true;
    default:
        return false;
    }
}

const HostToolkitKey host_toolkit_keys[] = {
    QK_ESCAPE,
    QK_1,
    QK_2,
    QK_3,
    QK_4,
    QK_5,
    QK_6,
    QK_7,
    QK_8,
    QK_9,
    QK_0,
    QK_MINUS,
    QK_EQUAL,
    QK_BACKSLASH,
    QK_BACKSPACE,
    QK_TAB,
    QK_Q,
    QK_W,
    QK_E,
    QK_R,
    QK_T,
    QK_Y,
    QK_U,
    QK_I,
    QK_O,
    QK_P,
    QK_BRACKET_LEFT,
    QK_BRACKET_RIGHT,
    QK_RETURN,
    QK_CONTROL,
    QK_A,
    QK_S,
    QK_D,
    QK_F,
    QK_G,
    QK_H,
    QK_J,
    QK_K,
    QK_L,
    QK_SEMICOLON,
    QK_APOSTROPHE,
    QK_QUOTE_LEFT,
    QK_SHIFT,
    QK_Z,
    QK_X,
    QK_C,
    QK_V,
    QK_B,
    QK_N,
    QK_M,
    QK_COMMA,
    QK_PERIOD,
    QK_SLASH,
    QK_ALT,
    QK_ALT_GR,
    QK_SPACE,
    QK_CAPS_LOCK,
    QK_F1,
    QK_F2,
    QK_F3,
    QK_F4,
    QK_F5,
    QK_F6,
    QK_F7,
    QK_F8,
    QK_F9,
    QK_F10,
    QK_F11,
    QK_F12,
    QK_NUM_LOCK,
    QK_SCROLL_LOCK,
    QK_PRINT,
    QK_ENTER,
    QK_HOME,
    QK_UP,
    QK_PAGE_UP,
    QK_LEFT,
    QK_RIGHT,
    QK_END,
    QK_DOWN,
    QK_PAGE_DOWN,
    QK_INSERT,
    QK_DELETE,
    QK_PAUSE,
    QK_SUPER_L,
    QK_SUPER_R,
    QK_MENU,
    QK_HELP,
    QK_MEDIA_STOP,
    QK_MEDIA_PLAY,
    QK_MEDIA_PREVIOUS,
    QK_MEDIA_NEXT,
    QK_PLUS,
    QK_ASTERISK,
};
const int host_toolkit_key_count = static_cast<int>(std::size(host_toolkit_keys));

// ---- Qualifiers -----------------------------------------------------------------------------

namespace {
std::uint16_t held_sides = 0; // the left/right modifier keys held, from their own key events
} // namespace

void host_keys_follow_sides(int raw, bool pressed) {
    std::uint16_t bit = 0;
    switch (raw) {
    case 0x60:
        bit = QUAL_LSHIFT;
        break;
    case 0x61:
        bit = QUAL_RSHIFT;
        break;
    case 0x64:
        bit = QUAL_LALT;
        break;
    case 0x65:
        bit = QUAL_RALT;
        break;
    default:
        return;
    }
    if (pressed)
        held_sides |= bit;
    else
        held_sides &= static_cast<std::uint16_t>(~bit);
}

std::uint16_t host_qualifiers(const HostModifiers& m, int raw, bool repeat) {
    std::uint16_t q = 0;
    if (m.shift) q |= (held_sides & QUAL_SHIFT) ? (held_sides & QUAL_SHIFT) : QUAL_LSHIFT;
    if (m.control) q |= QUAL_CONTROL;
    if (m.alt) q |= (held_sides & QUAL_ALT) ? (held_sides & QUAL_ALT) : QUAL_LALT;
    // The toolkit does not tell the two command (Super) keys apart: either is the left one.
    if (m.command) q |= QUAL_LCOMMAND;
    if (raw >= 0 && host_raw_is_keypad(raw)) q |= QUAL_NUMERICPAD;
    if (repeat) q |= QUAL_REPEAT;
    if (m.left_button) q |= QUAL_LEFTBUTTON;
    if (m.right_button) q |= QUAL_RBUTTON;
    if (m.middle_button) q |= QUAL_MIDBUTTON;
    return q;
}
