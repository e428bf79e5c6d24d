// Private helpers of the Qt window layer.
#pragma once

#include "platform/gui.h"

#include <Qt>

#include <string>

class QKeyEvent;
class QWidget;

// The raw key code (0..127) of a host key event, or -1 when it has none.
int qt_raw_key(const QKeyEvent* event);
// The raw qualifiers for the host modifier and button state.
std::uint16_t qt_qualifiers(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons, int raw,
                            bool repeat);

// Test support: the widget that draws gadget `gid` of window `win`, nullptr
// when there is none, for tests that send real Qt events to a gadget.
QWidget* qt_gadget_widget(int win, int gid);

// The display went away (gui_host_set_display_lost): no window is shown or
// closed any more.
bool qt_display_gone();

// The raw code of the Help key.
constexpr int QT_RAW_HELP = 0x5F;
// The Help key was pressed in a window whose help node is `node`: the
// program's handler hears of it at the end of the next host pump.
void qt_help_key(const std::string& node);
void qt_help_keys_run();

// Moves `window` (already at its size) so that its own area, inside the frame
// a window manager adds, lies at (left, top), or centres it on the screen
// (under the pointer, on the pointer's screen, with `under_pointer`) when
// either is -1, keeping it with its frame on the screen's free area: a window
// larger than the screen shows its top left corner.
void qt_place_on_screen(QWidget* window, int left, int top, bool under_pointer = false);
