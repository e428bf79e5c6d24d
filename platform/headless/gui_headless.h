// The window layer without a display: windows and gadgets live in memory so
// that tests can set gadgets, post events and read back what was drawn.
#pragma once

#include "platform/gui.h"

#include <cstdint>
#include <string>
#include <vector>

// Closes every window, forgets images, requesters, beeps and hooks.
void gui_headless_reset();
// Queues an event on a window as if the user had caused it.
void gui_headless_post(int win, const GuiEvent& event);
// The newest open window whose title starts with `prefix` ("" any), else 0.
int gui_headless_find_window(const char* prefix);
int gui_headless_open_count();
// The description a window was opened with (nullptr when not open).
const GuiWindowDesc* gui_headless_desc(int win);
std::string gui_headless_title(int win);
int gui_headless_pointer(int win);
const std::vector<GuiMenuItem>* gui_headless_menus(int win);

// Requesters are answered with the queued answers in turn, then with 0; a
// break reported by the program's break poll answers 0 and takes no answer.
// The break poll is the program's and outlives gui_headless_reset.
void gui_headless_answer_requesters(const std::vector<int>& answers);
// Queued answers not yet taken.
int gui_headless_answers_left();
// Every requester shown so far as "title|body|buttons".
const std::vector<std::string>& gui_headless_requesters();
// Every box that did not wait (gui_host_notice), as "title|body|button".
const std::vector<std::string>& gui_headless_notices();
int gui_headless_beeps();

// The next gui_window_open fails (returns 0), as when the host refuses it.
void gui_headless_fail_next_open();
// How many times window `win` was sent to the back.
int gui_headless_to_back_count(int win);
// The user drags window `win` to (left, top).
void gui_headless_move(int win, int left, int top);
// The size of the screen's area for windows (1280 x 1024 until reset).
void gui_headless_set_screen_size(int width, int height);

// File requesters are answered with these in turn, then cancelled (1); a
// break cancels one without taking an answer.
struct GuiFileAnswer {
    int result = 1; // 0 confirmed, 1 cancelled, -1 the requester cannot be shown
    std::string drawer, file;
};
void gui_headless_answer_file_requests(const std::vector<GuiFileAnswer>& answers);
// Every file requester shown so far as "title|pattern|load or save|drawer|file";
// a drawers-only one as "title|drawers|drawer" (answered from the same queue
// with the answer's drawer).
const std::vector<std::string>& gui_headless_file_requests();

// The window closed last: its description and a gadget's value at the close
// (nullptr and 0 when none was closed since the reset).
const GuiWindowDesc* gui_headless_last_closed_desc();
int gui_headless_last_closed_value(int gid);
// The range of a slider, scroller, gauge or integer entry.
void gui_headless_range(int win, int gid, int* min, int* max, int* visible);
// The image a picture or image button shows (0 none).
int gui_headless_image(int win, int gid);
// The buttons of a speedbar as they stand (nullptr for no speedbar).
const std::vector<GuiBarButton>* gui_headless_bar(int win, int gid);

// Called each time the layer is asked to wait for host events, so a test can
// post the event that a user would cause meanwhile.
void gui_headless_on_wait_events(void (*hook)());
// Called while each requester or file requester is open, before it is answered, so a test can
// cause what happens while the user reads it.
void gui_headless_on_requester(void (*hook)());
int gui_headless_wait_events_count();
int gui_headless_wait_until_count();

// The display as last refreshed: 0x00RRGGBB per pixel, row-major.
std::vector<std::uint32_t> gui_headless_display(int win, int gid, int* width, int* height);
// Path an image was loaded from ("" for an unknown handle).
std::string gui_headless_image_path(int image);
int gui_headless_image_count();
// A gadget's tool tip and background (-1 the default).
std::string gui_headless_hint(int win, int gid);
int gui_headless_background(int win, int gid);
// Calls of the gadget setters (text, value, disabled, selected, image, hint,
// background) since the program started.
long gui_headless_setter_calls();
// The rows a list with columns shows (nullptr when there is no such gadget).
const std::vector<GuiListRow>* gui_headless_rows(int win, int gid);
// The user activates window `win` (0: a window of another program).
void gui_headless_set_active(int win);
// The host pointer: the user moves it to (x, y) of window `win`; where it is
// now (gui_window_confine_pointer may have moved it).
void gui_headless_move_pointer(int win, int x, int y);
void gui_headless_pointer_at(int* x, int* y);

// Clipboard: another program puts plain text on `unit`; every clipboard call
// fails while `failing`; every unit empty again.
void gui_headless_clip_put_text(int unit, const std::string& text);
void gui_headless_clip_fail(bool failing);
void gui_headless_clip_reset();
// The toolkit version the layer reports (0, 0 after a reset).
void gui_headless_set_toolkit_version(int version, int revision);
// Whether the desktop is said to have a URL handler (true after a reset).
void gui_headless_set_url_handler(bool present);
// Every address opened so far.
const std::vector<std::string>& gui_headless_opened_urls();

// Help: every document shown as "file#node", in order; the user presses the
// Help key in window `win` (its help node goes to the program's handler at
// the next pump; a window without one gets the raw key 95).
const std::vector<std::string>& gui_headless_help_shown();
void gui_headless_press_help(int win);
// The script console: everything written to it (also printed on standard
// output), whether it is open, and the user choosing Stop.
const std::string& gui_headless_console_text();
bool gui_headless_console_open();
bool gui_headless_console_running();
void gui_headless_console_stop();
// Everything written to the message console, whether shown or not.
const std::string& gui_headless_message_console_text();

// The gadget that has the keyboard in window `win` (-1 none); a window opens
// with it on its display, else on its first entry unless the window keeps it
// (keys_to_window). A key pressed or released there: typed into a string or
// integer gadget that has the keyboard (`ch` on the press; it replaces a
// selected text; an integer takes digits and swallows other keys), else a raw
// key event of the window with `qualifier`. A string gadget, as the host's
// entries do, reports each typed character (GE_EDITED), ends the edit on
// Return, Enter, Tab and Esc (its gadget event with 13, 9, 69) and hands cursor
// up and down to the window (GE_EDITKEY); an integer reports each new value
// (its gadget event with the value).
int gui_headless_focus(int win);
void gui_headless_key(int win, int raw, char ch, bool up, std::uint16_t qualifier = 0);
