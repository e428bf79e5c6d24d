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

// A modal dialog or requester is open: the main window's title says so.
extern u8 gui_modal_active;

// Around every modal dialog and message requester: stops the sound and marks
// the title; the end restarts the timing and the sound and forgets keys and
// input that arrived meanwhile, as the file requester's end does. A plain
// flag, not a count: an inner bracket's end clears it.
void gui_modal_begin();
void gui_modal_end();

// Shows `body` with the buttons of `buttons` ("OK|Open drawer & close
// requester"); returns the button chosen, 1 for the first, 2 for the second
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
// `drawer` and `file` joined as the requester joins them: a "/" between them
// unless the drawer is empty or ends in ":" or "/". False when the result
// with its end byte needs more than `size` bytes.
bool gui_join_path(char* out, std::size_t size, const char* drawer, const char* file);
