// The requesters and the modal bracket. Every part of the program reports and
// asks through these: the general requester with its fixed forms (fatal
// error, warning, message), the quit confirmation and the file requester.
// While one is open no frame runs; the sound stops and the frame timing
// restarts afterwards. Without a display (batch runs) the texts are printed
// instead and nobody is asked.
#pragma once

#include "core/types.h"
#include "core/ui_host.h"

#include <cstddef>
#include <string>

// A modal dialog or requester is open: the main window's title says so.
extern u8 gui_modal_active;

// The modal bracket, around every modal window and requester the program
// opens: the rule it keeps is that while one is open no frame runs (the
// window runs its own loop), a playback does not advance, the sound is off,
// the window stays over the main window and the windows under it take no
// input, and keys typed into it never reach the guest. The begin stops the
// sound and holds what opens over the main window; the end restarts the frame
// timing (no catch-up) and the sound, drops what reached the main window
// meanwhile, lets go of the keys held and gives the keyboard back to the
// window it was asked from (the main window when none of the program's was
// active, or that one has closed). Brackets nest: a requester opened from a
// modal window (a warning, a file requester, a question) ends only its own,
// and the outer one's end does the ending. A dialog, prompt or requester that
// runs a loop or waits for the user is inside one; none calls the host's
// requesters around it.
//
// ModalMark::title marks the main window's title ("(close subwindow)",
// gui_modal_active) and gives the guest the keyboard afterwards; the file
// requesters leave both alone.
enum class ModalMark { title, none };
void gui_modal_begin(ModalMark mark = ModalMark::title);
void gui_modal_end();
// Forgets every open bracket (the tests' fresh state).
void gui_modal_reset();

// Shows `body` with the buttons of `buttons` ("OK|Open drawer & close
// requester", "_Replace|_Keep": a "_" marks the key of a button); returns the button chosen, 1 for the first, 2 for the second
// and so on, 0 for the last. image_kind: 1 information, 2 warning, 3 error.
// `preset` (counted from 0) is the button under Return.
int gui_requester(const char* title, const char* body, const char* buttons, int image_kind,
                  int preset = 0);
// Shows `text` and ends the program with return code 1.
[[noreturn]] void gui_fatal(const char* text);
// "Warning" and "Message" with their one "OK" button; the requester's answer.
int gui_warning(const char* text);
int gui_message(const char* text);
// 1 when the user confirms quitting in the quit window (gui/quit_window.h),
// which opens when "confirmquit" is on or a changed disk would be lost; 1
// at once otherwise.
int gui_confirm_quit();

// The file requester (`flags`: FILE_REQUEST_*, core/ui_host.h): 0 a file was
// chosen (drawer and file joined into `path`, 513 bytes), 5 confirmed without
// a file name (`path` untouched), 1 cancelled, not shown, or the joined path
// does not fit (with a beep).
int gui_file_request(const char* title, const char* pattern, int flags, const char* drawer,
                     const char* file, char* path);
// The save requester of a caller that adds a suffix to the name chosen:
// `path` gets the name `written` makes of it, and the requester asks before
// a file of that name is replaced (ui_host.save_request).
int gui_save_request(const char* title, const char* pattern, const char* drawer, const char* file,
                     const SaveName& written, char* path);
// The same for an action that writes several files: `also` gives the others
// for the name written, and each of them is asked about too
// (ui_host.save_request_also).
int gui_save_request_also(const char* title, const char* pattern, const char* drawer,
                          const char* file, const SaveName& written, const SaveAlso& also,
                          char* path);
// The file requester in its drawers-only form (gui_host_drawer_request) in
// the modal bracket: 0 with the drawer in *chosen, 1 cancelled or not shown.
int gui_drawer_request(const char* title, const char* drawer, std::string* chosen);
// `drawer` and `file` joined as the requester joins them: a "/" between them
// unless the drawer is empty or ends in ":" or "/". False when the result
// with its end byte needs more than `size` bytes.
bool gui_join_path(char* out, std::size_t size, const char* drawer, const char* file);
