// The main window's place and size on the desktop, kept in one place that
// every opening of the window goes through: the start, full screen and back,
// a machine switch, a size, stretch or view change (the toolbar, the status
// bar, the game list, the debugger's command line), another public screen.
//
// The place is the user's: the one the settings brought, or where the user
// (by hand, through the window manager, or the port's MOVEWINDOW) moved the
// window. Every rebuild opens the window there again and only that place is
// saved ("winleftx", "wintopy"); where the program put it on its own
// (centred, moved to keep it wholly on the screen, full screen) is never
// taken for the user's.
//
// The size: the window opens at the user's scale and stretch where it fits
// the screen's available area, else at the largest below them that fits, for
// as long as the room is short; the settings keep the user's own.
#pragma once

#include "platform/gui.h"

// Where the window is to open: in a window, at the user's place (centred
// while there is none); on the program's own screen, the whole screen.
void main_place_desc(GuiWindowDesc* d);
// The room the picture has on the screen before anything is put beside it.
void main_place_screen_setup();
// The window `win` has just been opened, or moved or resized by the program:
// where it lies now is the program's doing.
void main_place_opened(int win);
// Before the program closes, moves or resizes the window: a place the user
// moved it to since it was opened becomes the user's.
void main_place_take(int win);
// Right after opening: true when the window does not fit the screen and a
// smaller picture would, the room for the picture made smaller to match;
// the window is then to be opened again.
bool main_place_refit(int win);
