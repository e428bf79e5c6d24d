// The main window's visible state kept in step with the emulation: title,
// status text and fields, toolbar buttons, pointer shape; and the requesters.
// Each does nothing while the window is closed or the element is hidden.
#include "gui/main_window.h"

#include "commands/menu_state.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/notify.h"
#include "app/mainloop.h"
#include "core/recording.h"
#include "core/savestate_seams.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "gui/requesters.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "input/key_events.h"
#include "platform/catalog.h"
#include "core/machine_titles.h"
#include "platform/gui.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

char gui_status_message[256] = {};
u8 gui_menu_hint_shown = 0;
int current_pointer = -1;
static char title_buffer[700];

void gui_update_main_title() {
    if (!main_window || !view_titlebar[display_mode]) return;
    // The title names what Revert would load again.
    if (const char* running = file_running_name())
        std::snprintf(title_buffer, sizeof title_buffer, "%s: %s", machine_title(machine),
                      running);
    else
        std::snprintf(title_buffer, sizeof title_buffer, "%s", machine_title(machine));
    gui_title_state(title_buffer, sizeof title_buffer);
    gui_window_set_title(main_window, title_buffer);
}

bool gui_status_bar_shown() {
    return main_window && view_statusbar[display_mode];
}

void gui_set_status_text_plain(const char* text) {
    if (gui_status_bar_shown()) gui_set_text(main_window, GID_STATUS_TEXT, text);
}

void gui_set_status_message(const char* text) {
    std::snprintf(gui_status_message, sizeof gui_status_message, "%s", text);
    gui_set_status_text();
}

// A note stands in the status bar once, until the line is next refreshed.
static std::string status_note;

void gui_status_note(const char* text) {
    status_note = text;
    ui_mark(UI_STATUS);
}

void gui_set_status_text() {
    if (!gui_status_bar_shown()) return;
    if (gui_status_message[0]) {
        gui_set_text(main_window, GID_STATUS_TEXT, gui_status_message);
        return;
    }
    if (!status_note.empty()) {
        gui_set_text(main_window, GID_STATUS_TEXT, status_note.c_str());
        status_note.clear();
        return;
    }
    if (machine_row().status_name) {
        if (const char* name = machine_row().status_name()) {
            gui_set_text(main_window, GID_STATUS_TEXT, name);
            return;
        }
    }
    // The game information line: the game's name and credits, else (nothing known
    // about the game) the memory map.
    std::string line;
    for (int field : {0, 1}) {
        const char* t = game_info_fields[field];
        if (!t[0] || std::strcmp(t, "-") == 0 || std::strcmp(t, "?") == 0) continue;
        if (!line.empty()) line += ", ";
        line += t;
    }
    if (line.empty() && !memmap_is_empty(memmap)) line = memmap_desc().name;
    gui_set_text(main_window, GID_STATUS_TEXT, line.c_str());
}

std::string gui_caps_text() {
    std::string text = cat_str(618, "CAPS");
    if (!caps_lock_state)
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void gui_show_caps() {
    if (gui_status_bar_shown()) gui_set_text(main_window, GID_CAPS, gui_caps_text().c_str());
}

void gui_status_speed_label(const char* text) {
    if (gui_status_bar_shown()) gui_set_text(main_window, GID_STATUS_LABEL, text);
}

void gui_status_speed_text(const char* text) {
    if (gui_status_bar_shown()) gui_set_text(main_window, GID_STATUS_VALUE, text);
}

void gui_speedbar_update() {
    if (!main_window) return;
    if (view_toolbar[display_mode]) {
        for (int b = 0; b < 8; b++)
            gui_bar_set(main_window, GID_SPEEDBAR_1, b + 1, toolbar1_button_enabled(b), false);
    }
    if (view_gamelist[display_mode])
        gui_set_disabled(main_window, GID_GAME_LIST, emu_paused_mid_frame);
}

void gui_toolbar_set_pause(bool paused) {
    if (main_window && view_toolbar[display_mode])
        gui_bar_set(main_window, GID_SPEEDBAR_2, 5, true, paused);
}

void gui_update_pointer(int force) {
    if (!main_window) return;
    int kind = 0;
    if (!view_pointer[display_mode] && !emu_paused) kind = 2;
    if (!force && kind == current_pointer) return;
    gui_window_set_pointer(main_window, kind == 1 ? 6 : kind);
    current_pointer = kind;
}

static void set_locked(bool locked) {
    if (!main_window) return;
    for (int id : {283, 284, 285, 286, 287, 288, 290, 291})
        gui_menu_set_enabled(main_window, id, !locked);
    if (view_gamelist[display_mode]) gui_set_disabled(main_window, GID_GAME_LIST, locked);
    if (view_toolbar[display_mode]) {
        for (int b = 1; b <= 8; ++b)
            gui_bar_set(main_window, GID_SPEEDBAR_1, b, !locked, false);
        for (int b = 1; b <= 14; ++b)
            gui_bar_set(main_window, GID_SPEEDBAR_2, b, !locked,
                        gui_bar_selected(main_window, GID_SPEEDBAR_2, b));
    }
    if (!locked) gui_speedbar_update(); // what needs a frame boundary stays disabled
}

void gui_lock_menus() {
    set_locked(true);
}
void gui_unlock_menus() {
    set_locked(false);
}

void gui_focus_guest() {
    if (main_window) gui_activate_gadget(main_window, GID_DISPLAY);
}

void gui_activate_window() {
    if (!main_window) return;
    gui_window_activate(main_window);
    gui_focus_guest();
    gui_window_left = 0;
}

void gui_activate_command_line() {
    if (!main_window) return;
    gui_window_activate(main_window);
    if (view_debugger[display_mode]) gui_activate_gadget(main_window, GID_COMMAND);
    gui_window_left = 0;
}

void gui_flush_main_port() {
    if (main_window) gui_window_flush_events(main_window);
}

void gui_beep() {
    gui_host_beep();
}
