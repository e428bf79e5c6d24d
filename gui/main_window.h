// The main window: the guest display, two toolbars, the game list, the
// debugger's command line and the status bar, built whole by
// gui_open_main_window and torn down whole by gui_close_main_window. Every
// change of its shape is made by closing and reopening it at a frame boundary.
#pragma once

#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "platform/gui.h"

#include <cstddef>
#include <string>
#include <vector>

// Gadget ids of the main window.
enum MainGadget : int {
    GID_MAIN_ROOT = 0,
    GID_DISPLAY = 1,
    GID_STATUS_TEXT = 2,
    GID_STATUS_VALUE = 3,
    GID_CAPS = 4,
    GID_COMMAND = 5,
    GID_MACHINE_PICTURE = 6,
    GID_STATUS_LABEL = 7,
    GID_DRIVE_0 = 8, // 8..11: floppy drives 0..3
    GID_GAME_LIST = 12,
    GID_SPEEDBAR_1 = 13,
    GID_SPEEDBAR_2 = 14,
};

constexpr int DBG_LINE_SIZE = 593;

// display_mode (0 a window on the desktop, 1 full screen) is in core/settings_vars.h.
extern int main_window; // window handle, 0 while closed
extern u8 gui_main_window_open;
extern char dbg_line[DBG_LINE_SIZE];
extern int opened_height;            // the window's height right after opening
extern int display_rect[4];          // left, top, right, bottom of the picture
// display_rect from the picture the display gadget shows now: a machine
// switch attaches another picture, maybe of another size, to the open window.
void gui_display_rect_refresh();
extern char gui_status_message[256]; // shown in preference to everything else
extern u8 gui_menu_hint_shown;
extern int current_pointer; // 0 normal, 1 aiming, 2 invisible
// The menu strip: filled by the command layer, attached each time the window opens.
extern std::vector<GuiMenuItem> gui_menu_strip;
extern u8 gui_mouse_left, gui_mouse_middle, gui_mouse_right, gui_window_left;

// Opens as the last main window was closed, minimised included (a rebuild
// never brings a minimised window back on the desktop).
void gui_open_main_window(int reopen_tools);
void gui_close_main_window();
bool gui_main_window_is_open();
void gui_screen_setup();
void gui_unlock_pubscreen();
// Resizes the window to `scale` (1-6) by reopening it, placed on the screen as
// at opening; nothing when it has that size and shows the picture it was
// opened for.
void gui_set_scale(int scale);
// True while the picture differs in size from the one the window was opened for.
bool gui_main_picture_changed();
void gui_run_command(const char* text);

// The event pass (main_window_events.cpp).
void gui_main_window_events();

// Visible state (main_window_state.cpp).
void gui_update_main_title();
void gui_set_status_text();
void gui_set_status_text_plain(const char* text);
// The status bar's Caps Lock field: "CAPS", in lower case while the guest's
// Caps Lock is off; shown when the status bar is.
std::string gui_caps_text();
void gui_show_caps();
// Keeps `text` in gui_status_message and shows it ("" clears it): the
// netplay peer's chat and the scripting port's STATUS.
void gui_set_status_message(const char* text);
// Shows `text` in place of the game information line at the next refresh of
// the status bar, until the one after it.
void gui_status_note(const char* text);
void gui_speedbar_update();
void gui_update_pointer(int force);
// Activates the main window with the keyboard on the guest picture.
void gui_activate_window();
// Activates the main window with the keyboard in the debugger's command line
// (when it is shown).
void gui_activate_command_line();
// The keyboard goes to the guest picture.
void gui_focus_guest();
// Whether the program's messages also go to the message console: when
// standard output is no terminal. A command typed in the command line opens
// it on its first message.
void gui_messages_to_console(bool wanted);
// While scripts or netplay hold the interface: the menu items 283 to 288, 290
// and 291, the game list and both toolbars cannot be used.
void gui_lock_menus();
void gui_unlock_menus();
void gui_flush_main_port();
bool gui_status_bar_shown();
void gui_status_speed_label(const char* text);
void gui_status_speed_text(const char* text);
void gui_toolbar_set_pause(bool paused);
// Gives the toolbar's console buttons the pictures and tool tips of the
// current machine's buttons.
void gui_console_buttons_refresh();
void gui_beep();

// What became of a file or drawer dropped on the main window or its icon.
enum class GuiDrop {
    NOTHING, // the drop named no file
    DRAWER,  // a drawer: it became the games drawer
    REFUSED, // the emulation is paused mid-frame: the user was told
    LOADED,  // the file was loaded
    FAILED,  // the file could not be loaded
};
// Takes a drop: a drawer becomes the games drawer, a file is loaded between frames.
GuiDrop gui_take_drop(const GuiEvent& e);
