// The quit window: "Really quit?" beside the current machine's picture, the
// "Confirm on quit?" switch, Yes and No, the disks and tapes that quitting
// would lose with a button that updates them first, the punched papertapes
// not back in their files, and the recorders and tapes still running that
// quitting finishes. It runs modally; nothing else
// is served meanwhile but the scripting port's "a requester is open".
//
// Keys: the letters the texts underline (Y, N, C, U), Return and Enter for
// Yes, Esc for No, right-Amiga V and B; the close gadget answers Yes. With
// something held that quitting loses, Return and the close gadget answer No
// (the rows Question::quit and quit_losing, core/questions.h).
#pragma once

#include "gui/tool_windows.h"

enum QuitGadget : int {
    GID_QUIT_YES = 302,
    GID_QUIT_NO = 303,
    GID_QUIT_CONFIRM = 304,
    // Beyond the shared table: only this window has it.
    GID_QUIT_UPDATE = GUI_GADGETS,
    GID_QUIT_DISKS = GUI_GADGETS + 1,
    GID_QUIT_RUNNING = GUI_GADGETS + 2,
};

// The window while it is open, 0 otherwise.
extern int quit_window;

// The key that answers for a button or switch text: the character after its
// first "_", in upper case; 0 when the text has none or is one character long.
char gui_hotkey_of(const char* text);
