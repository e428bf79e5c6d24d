// Iconifying the main window to the desktop and back, and the automatic
// pause when another program's window becomes active.
#pragma once

#include "core/types.h"

extern u8 gui_iconified; // inside gui_iconify's wait

// Minimises the main window (its tool windows closed and remembered, the
// sound closed) and returns only when it is restored: by the user, by a file
// dropped on it that loads, or by the scripting port's request to show the
// window (pending_actions bit PA_UNICONIFY). A drawer dropped meanwhile is
// audited and the window stays minimised. No frame runs meanwhile. Asked by
// a command of the port, it only asks for the wait at the frame boundary
// (PA_ICONIFY), so that the command answers first.
void gui_iconify();
// Why the main window cannot be iconified here (no window manager would
// minimise it: it would stay on the screen with nothing running), nullptr
// when it can. gui_iconify then leaves it running and says so on the status bar.
const char* gui_iconify_refusal();
// Restores the minimised main window: display, title, pointer, the tool
// windows that were open, the sound.
void gui_uniconify();
// The main window became inactive: with "autopause" on, between frames and
// running, the emulation pauses unless a window of ours became active.
void gui_autopause_check();
// Served once per pass of the iconified wait (the scripting port sets it).
extern void (*gui_iconified_service)();
