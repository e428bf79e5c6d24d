// The requesters of the main window's layer (main_window_state.cpp): fatal
// error, warning and the quit confirmation. A header of their own, so that
// code far from the window can report without the window's other names.
#pragma once

// Shows `text` and ends the program.
[[noreturn]] void gui_fatal(const char* text);
// Shows `text` until the user answers OK; printed while there is no window.
void gui_warning(const char* text);
// 1 when the user confirms quitting (always, unless "confirmquit" is on).
int gui_confirm_quit();
