// Host keys to raw key codes. Raw codes name key positions, so the X11 key
// code (a position) is used when the host gives one; otherwise the Qt key.
#include "platform/qt/gui_qt.h"

#include <QGuiApplication>
#include <QKeyEvent>

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

// Qt keys, for hosts without X11 key codes.
constexpr Pair qt_keys[] = {
    {Qt::Key_Escape, 0x45},
    {Qt::Key_1, 0x01},
    {Qt::Key_2, 0x02},
    {Qt::Key_3, 0x03},
    {Qt::Key_4, 0x04},
    {Qt::Key_5, 0x05},
    {Qt::Key_6, 0x06},
    {Qt::Key_7, 0x07},
    {Qt::Key_8, 0x08},
    {Qt::Key_9, 0x09},
    {Qt::Key_0, 0x0A},
    {Qt::Key_Minus, 0x0B},
    {Qt::Key_Equal, 0x0C},
    {Qt::Key_Backslash, 0x0D},
    {Qt::Key_Backspace, 0x41},
    {Qt::Key_Tab, 0x42},
    {Qt::Key_Q, 0x10},
    {Qt::Key_W, 0x11},
    {Qt::Key_E, 0x12},
    {Qt::Key_R, 0x13},
    {Qt::Key_T, 0x14},
    {Qt::Key_Y, 0x15},
    {Qt::Key_U, 0x16},
    {Qt::Key_I, 0x17},
    {Qt::Key_O, 0x18},
    {Qt::Key_P, 0x19},
    {Qt::Key_BracketLeft, 0x1A},
    {Qt::Key_BracketRight, 0x1B},
    {Qt::Key_Return, 0x44},
    {Qt::Key_Control, 0x63},
    {Qt::Key_A, 0x20},
    {Qt::Key_S, 0x21},
    {Qt::Key_D, 0x22},
    {Qt::Key_F, 0x23},
    {Qt::Key_G, 0x24},
    {Qt::Key_H, 0x25},
    {Qt::Key_J, 0x26},
    {Qt::Key_K, 0x27},
    {Qt::Key_L, 0x28},
    {Qt::Key_Semicolon, 0x29},
    {Qt::Key_Apostrophe, 0x2A},
    {Qt::Key_QuoteLeft, 0x00},
    {Qt::Key_Shift, 0x60},
    {Qt::Key_Z, 0x31},
    {Qt::Key_X, 0x32},
    {Qt::Key_C, 0x33},
    {Qt::Key_V, 0x34},
    {Qt::Key_B, 0x35},
    {Qt::Key_N, 0x36},
    {Qt::Key_M, 0x37},
    {Qt::Key_Comma, 0x38},
    {Qt::Key_Period, 0x39},
    {Qt::Key_Slash, 0x3A},
    {Qt::Key_Alt, 0x64},
    {Qt::Key_AltGr, 0x65},
    {Qt::Key_Space, 0x40},
    {Qt::Key_CapsLock, 0x62},
    {Qt::Key_F1, 0x50},
    {Qt::Key_F2, 0x51},
    {Qt::Key_F3, 0x52},
    {Qt::Key_F4, 0x53},
    {Qt::Key_F5, 0x54},
    {Qt::Key_F6, 0x55},
    {Qt::Key_F7, 0x56},
    {Qt::Key_F8, 0x57},
    {Qt::Key_F9, 0x58},
    {Qt::Key_F10, 0x59},
    {Qt::Key_F11, 0x4B},
    {Qt::Key_F12, 0x6F},
    {Qt::Key_NumLock, 0x6D},
    {Qt::Key_ScrollLock, 0x6B},
    {Qt::Key_Print, 0x6C},
    {Qt::Key_Enter, 0x43},
    {Qt::Key_Home, 0x70},
    {Qt::Key_Up, 0x4C},
    {Qt::Key_PageUp, 0x48},
    {Qt::Key_Left, 0x4F},
    {Qt::Key_Right, 0x4E},
    {Qt::Key_End, 0x71},
    {Qt::Key_Down, 0x4D},
    {Qt::Key_PageDown, 0x49},
    {Qt::Key_Insert, 0x47},
    {Qt::Key_Delete, 0x46},
    {Qt::Key_Pause, 0x6E},
    {Qt::Key_Super_L, 0x66},
    {Qt::Key_Super_R, 0x67},
    {Qt::Key_Menu, 0x5F},
    {Qt::Key_Help, 0x5F},
    {Qt::Key_MediaStop, 0x72},
    {Qt::Key_MediaPlay, 0x73},
    {Qt::Key_MediaPrevious, 0x74},
    {Qt::Key_MediaNext, 0x75},
};

// Keypad keys when Qt reports the keypad modifier without a key code.
constexpr Pair qt_keypad[] = {
    {Qt::Key_0, 0x0F},    {Qt::Key_1, 0x1D},        {Qt::Key_2, 0x1E},      {Qt::Key_3, 0x1F},
    {Qt::Key_4, 0x2D},    {Qt::Key_5, 0x2E},        {Qt::Key_6, 0x2F},      {Qt::Key_7, 0x3D},
    {Qt::Key_8, 0x3E},    {Qt::Key_9, 0x3F},        {Qt::Key_Period, 0x3C}, {Qt::Key_Minus, 0x4A},
    {Qt::Key_Plus, 0x5E}, {Qt::Key_Asterisk, 0x5D}, {Qt::Key_Slash, 0x5C},  {Qt::Key_Enter, 0x43},
};

int lookup(const Pair* table, std::size_t n, int from) {
    for (std::size_t i = 0; i < n; ++i)
        if (table[i].from == from) return table[i].raw;
    return -1;
}

bool is_keypad_raw(int raw) {
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

std::uint16_t held_sides = 0; // left/right modifier bits followed from key events

} // namespace

int qt_raw_key(const QKeyEvent* e) {
    int raw = -1;
    quint32 scan = e->nativeScanCode();
    if (scan >= 8 && scan < 256 && QGuiApplication::platformName() == "xcb")
        raw = lookup(x11_keys, std::size(x11_keys), static_cast<int>(scan));
    if (raw < 0 && (e->modifiers() & Qt::KeypadModifier))
        raw = lookup(qt_keypad, std::size(qt_keypad), e->key());
    if (raw < 0) raw = lookup(qt_keys, std::size(qt_keys), e->key());
    if (raw >= 0) {
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
        case 0x66:
            bit = QUAL_LCOMMAND;
            break;
        case 0x67:
            bit = QUAL_RCOMMAND;
            break;
        default:
            break;
        }
        if (bit) {
            if (e->type() == QEvent::KeyPress)
                held_sides |= bit;
            else
                held_sides &= static_cast<std::uint16_t>(~bit);
        }
    }
    return raw;
}

std::uint16_t qt_qualifiers(Qt::KeyboardModifiers m, Qt::MouseButtons b, int raw, bool repeat) {
    std::uint16_t q = 0;
    if (m & Qt::ShiftModifier)
        q |= (held_sides & QUAL_SHIFT) ? (held_sides & QUAL_SHIFT) : QUAL_LSHIFT;
    if (m & Qt::ControlModifier) q |= QUAL_CONTROL;
    if (m & Qt::AltModifier) q |= (held_sides & QUAL_ALT) ? (held_sides & QUAL_ALT) : QUAL_LALT;
    if (m & Qt::MetaModifier) q |= QUAL_LCOMMAND;
    if (raw >= 0 && is_keypad_raw(raw)) q |= QUAL_NUMERICPAD;
    if (repeat) q |= QUAL_REPEAT;
    if (b & Qt::LeftButton) q |= QUAL_LEFTBUTTON;
    if (b & Qt::RightButton) q |= QUAL_RBUTTON;
    if (b & Qt::MiddleButton) q |= QUAL_MIDBUTTON;
    return q;
}
