// The dialog windows that answer the user (the high scores, the About
// windows, the load-address prompt): each runs modally, in a loop of its own
// until it closes, when the user asked for it; while a command of the
// scripting port runs nobody waits at the screen for it, so it opens without
// that loop and the event pass hands it its events while the program runs on.
//
//   const bool modal = gui_dialog_begin();
//   my_window = gui_window_open(desc);
//   if (!my_window) { gui_dialog_abandon(modal); return; }
//   gui_dialog_run(modal, my_window, my_handler, [] { my_window = 0; });
#pragma once

#include "platform/gui.h"

#include <functional>

// One event of the dialog; true when it closes the dialog.
using DialogHandler = std::function<bool(const GuiEvent&)>;

// Whether a dialog opened now runs modally; if so the modal bracket begins
// (gui_modal_begin).
bool gui_dialog_begin();
// The dialog's window could not be opened: "Can't open window!", and the
// bracket that gui_dialog_begin began ends.
void gui_dialog_abandon(bool modal);
// Runs the open window `win` until `handle` says it is done or the host
// closes it; then the window closes and `closed` runs. Modal: returns after
// that (meanwhile the port answers that a requester is open). Modeless:
// returns at once.
void gui_dialog_run(bool modal, int win, DialogHandler handle, std::function<void()> closed);
// The event pass's share: the events of every modeless dialog.
void gui_dialogs_input();
// Closes every modeless dialog (the way out).
void gui_dialogs_close_all();
// Forgets the modeless dialogs without closing them, and the held notices
// (the tests' fresh state).
void gui_dialogs_reset();

// A box with one "OK" button that does not wait for the user (without a
// display the text is printed; under a command of the port it is reported).
// Asked for while no main window is open (at start-up), it is held until the
// main window opens, so that it shows above it.
void gui_notice(const char* title, const char* body, int image_kind);
// Shows the notices held for the main window (when it has opened).
void gui_show_held_notices();
