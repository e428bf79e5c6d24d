// Host keys to raw key codes. Raw codes name key positions, so the X11 key
// code (a position) is used when the host gives one; otherwise the Qt key.
#include "platform/qt/gui_qt.h"

#include "platform/host_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>

// The toolkit-free key numbers are Qt's own.
static_assert(int{QK_ESCAPE} == int{Qt::Key_Escape});
static_assert(int{QK_1} == int{Qt::Key_1});
static_assert(int{QK_2} == int{Qt::Key_2});
static_assert(int{QK_3} == int{Qt::Key_3});
static_assert(int{QK_4} == int{Qt::Key_4});
static_assert(int{QK_5} == int{Qt::Key_5});
static_assert(int{QK_6} == int{Qt::Key_6});
static_assert(int{QK_7} == int{Qt::Key_7});
static_assert(int{QK_8} == int{Qt::Key_8});
static_assert(int{QK_9} == int{Qt::Key_9});
static_assert(int{QK_0} == int{Qt::Key_0});
static_assert(int{QK_MINUS} == int{Qt::Key_Minus});
static_assert(int{QK_EQUAL} == int{Qt::Key_Equal});
static_assert(int{QK_BACKSLASH} == int{Qt::Key_Backslash});
static_assert(int{QK_BACKSPACE} == int{Qt::Key_Backspace});
static_assert(int{QK_TAB} == int{Qt::Key_Tab});
static_assert(int{QK_Q} == int{Qt::Key_Q});
static_assert(int{QK_W} == int{Qt::Key_W});
static_assert(int{QK_E} == int{Qt::Key_E});
static_assert(int{QK_R} == int{Qt::Key_R});
static_assert(int{QK_T} == int{Qt::Key_T});
static_assert(int{QK_Y} == int{Qt::Key_Y});
static_assert(int{QK_U} == int{Qt::Key_U});
static_assert(int{QK_I} == int{Qt::Key_I});
static_assert(int{QK_O} == int{Qt::Key_O});
static_assert(int{QK_P} == int{Qt::Key_P});
static_assert(int{QK_BRACKET_LEFT} == int{Qt::Key_BracketLeft});
static_assert(int{QK_BRACKET_RIGHT} == int{Qt::Key_BracketRight});
static_assert(int{QK_RETURN} == int{Qt::Key_Return});
static_assert(int{QK_CONTROL} == int{Qt::Key_Control});
static_assert(int{QK_A} == int{Qt::Key_A});
static_assert(int{QK_S} == int{Qt::Key_S});
static_assert(int{QK_D} == int{Qt::Key_D});
static_assert(int{QK_F} == int{Qt::Key_F});
static_assert(int{QK_G} == int{Qt::Key_G});
static_assert(int{QK_H} == int{Qt::Key_H});
static_assert(int{QK_J} == int{Qt::Key_J});
static_assert(int{QK_K} == int{Qt::Key_K});
static_assert(int{QK_L} == int{Qt::Key_L});
static_assert(int{QK_SEMICOLON} == int{Qt::Key_Semicolon});
static_assert(int{QK_APOSTROPHE} == int{Qt::Key_Apostrophe});
static_assert(int{QK_QUOTE_LEFT} == int{Qt::Key_QuoteLeft});
static_assert(int{QK_SHIFT} == int{Qt::Key_Shift});
static_assert(int{QK_Z} == int{Qt::Key_Z});
static_assert(int{QK_X} == int{Qt::Key_X});
static_assert(int{QK_C} == int{Qt::Key_C});
static_assert(int{QK_V} == int{Qt::Key_V});
static_assert(int{QK_B} == int{Qt::Key_B});
static_assert(int{QK_N} == int{Qt::Key_N});
static_assert(int{QK_M} == int{Qt::Key_M});
static_assert(int{QK_COMMA} == int{Qt::Key_Comma});
static_assert(int{QK_PERIOD} == int{Qt::Key_Period});
static_assert(int{QK_SLASH} == int{Qt::Key_Slash});
static_assert(int{QK_ALT} == int{Qt::Key_Alt});
static_assert(int{QK_ALT_GR} == int{Qt::Key_AltGr});
static_assert(int{QK_SPACE} == int{Qt::Key_Space});
static_assert(int{QK_CAPS_LOCK} == int{Qt::Key_CapsLock});
static_assert(int{QK_F1} == int{Qt::Key_F1});
static_assert(int{QK_F2} == int{Qt::Key_F2});
static_assert(int{QK_F3} == int{Qt::Key_F3});
static_assert(int{QK_F4} == int{Qt::Key_F4});
static_assert(int{QK_F5} == int{Qt::Key_F5});
static_assert(int{QK_F6} == int{Qt::Key_F6});
static_assert(int{QK_F7} == int{Qt::Key_F7});
static_assert(int{QK_F8} == int{Qt::Key_F8});
static_assert(int{QK_F9} == int{Qt::Key_F9});
static_assert(int{QK_F10} == int{Qt::Key_F10});
static_assert(int{QK_F11} == int{Qt::Key_F11});
static_assert(int{QK_F12} == int{Qt::Key_F12});
static_assert(int{QK_NUM_LOCK} == int{Qt::Key_NumLock});
static_assert(int{QK_SCROLL_LOCK} == int{Qt::Key_ScrollLock});
static_assert(int{QK_PRINT} == int{Qt::Key_Print});
static_assert(int{QK_ENTER} == int{Qt::Key_Enter});
static_assert(int{QK_HOME} == int{Qt::Key_Home});
static_assert(int{QK_UP} == int{Qt::Key_Up});
static_assert(int{QK_PAGE_UP} == int{Qt::Key_PageUp});
static_assert(int{QK_LEFT} == int{Qt::Key_Left});
static_assert(int{QK_RIGHT} == int{Qt::Key_Right});
static_assert(int{QK_END} == int{Qt::Key_End});
static_assert(int{QK_DOWN} == int{Qt::Key_Down});
static_assert(int{QK_PAGE_DOWN} == int{Qt::Key_PageDown});
static_assert(int{QK_INSERT} == int{Qt::Key_Insert});
static_assert(int{QK_DELETE} == int{Qt::Key_Delete});
static_assert(int{QK_PAUSE} == int{Qt::Key_Pause});
static_assert(int{QK_SUPER_L} == int{Qt::Key_Super_L});
static_assert(int{QK_SUPER_R} == int{Qt::Key_Super_R});
static_assert(int{QK_MENU} == int{Qt::Key_Menu});
static_assert(int{QK_HELP} == int{Qt::Key_Help});
static_assert(int{QK_MEDIA_STOP} == int{Qt::Key_MediaStop});
static_assert(int{QK_MEDIA_PLAY} == int{Qt::Key_MediaPlay});
static_assert(int{QK_MEDIA_PREVIOUS} == int{Qt::Key_MediaPrevious});
static_assert(int{QK_MEDIA_NEXT} == int{Qt::Key_MediaNext});
static_assert(int{QK_PLUS} == int{Qt::Key_Plus});
static_assert(int{QK_ASTERISK} == int{Qt::Key_Asterisk});

int qt_raw_key(const QKeyEvent* e) {
    int raw = -1;
    quint32 scan = e->nativeScanCode();
    if (scan >= 8 && scan < 256 && QGuiApplication::platformName() == "xcb")
        raw = host_raw_from_x11(static_cast<int>(scan));
    if (raw < 0) raw = host_raw_from_toolkit(e->key(), (e->modifiers() & Qt::KeypadModifier) != 0);
    if (raw >= 0) host_keys_follow_sides(raw, e->type() == QEvent::KeyPress);
    return raw;
}

std::uint16_t qt_qualifiers(Qt::KeyboardModifiers m, Qt::MouseButtons b, int raw, bool repeat) {
    HostModifiers held;
    held.shift = m & Qt::ShiftModifier;
    held.control = m & Qt::ControlModifier;
    held.alt = m & Qt::AltModifier;
    held.command = m & Qt::MetaModifier;
    held.left_button = b & Qt::LeftButton;
    held.right_button = b & Qt::RightButton;
    held.middle_button = b & Qt::MiddleButton;
    return host_qualifiers(held, raw, repeat);
}
