// Private helpers of the Qt window layer.
#pragma once

#include "platform/gui.h"

#include <Qt>

class QKeyEvent;

// The raw key code (0..127) of a host key event, or -1 when it has none.
int qt_raw_key(const QKeyEvent* event);
// The raw qualifiers for the host modifier and button state.
std::uint16_t qt_qualifiers(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons, int raw,
                            bool repeat);
