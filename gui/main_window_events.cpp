// The event pass of the main loop: CTRL-C first, then the host's events, the
// scripting port, the main window's queue (dropped files, keys, mouse, menus,
// gadgets), then the tool windows.
#include "gui/main_window.h"
#include "gui/main_window_place.h"
#include "inspect/magnifier.h"

#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "commands/help_links.h"
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "core/frame.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "app/rexx_host.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "debugger/commands.h"
#include "debugger/labels.h"
#include "gui/dialogs.h"
#include "gui/game_list.h"
#include "gui/iconify.h"
#include "gui/requesters.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "input/host_pad_labels.h"
#include "input/joysticks.h"
#include "devicewindows/floppy_window.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "display/frame.h"
#include "display/host.h"
#include "display/pointer_text.h"

#include <cstdio>
#include <filesystem>
#include <string>

u8 gui_mouse_left = 0, gui_mouse_middle = 0, gui_mouse_right = 0, gui_window_left = 0;

static bool inside_display(int x, int y) {
    return x >= display_rect[0] && x <= display_rect[2] && y >= display_rect[1] &&
           y <= display_rect[3];
}

GuiDrop gui_take_drop(const GuiEvent& e) {
    if (e.code != 1 || e.text.empty()) return GuiDrop::NOTHING;
    std::error_code ec;
    if (std::filesystem::is_directory(e.text, ec)) {
        gui_game_list_drop_drawer(e.text.c_str());
        return GuiDrop::DRAWER;
    }
    if (emu_paused_mid_frame) {
        gui_warning(cmd_between_frames_text);
        return GuiDrop::REFUSED;
    }
    return file_load_request(load_request_chosen(e.text.c_str())) ? GuiDrop::LOADED : GuiDrop::FAILED;
}

static void dropped(const GuiEvent& e) {
    const GuiDrop taken = gui_take_drop(e);
    if (taken == GuiDrop::NOTHING || taken == GuiDrop::FAILED) gui_beep();
}

static void new_size(const GuiEvent& e) {
    // A picture of another size (another machine) resized the window, not the
    // user: it opens again for that picture, on the screen, at the same scale.
    if (gui_main_picture_changed()) {
        gui_set_scale(static_cast<int>(display_scale));
        return;
    }
    const int growth = e.y - opened_height;
    // One scale step more grows the picture by a guest frame's height, zoomed.
    const int step = machine_live_row().height * static_cast<int>(display_zoom());
    u32 scale = display_scale;
    if (step > 0 && growth >= step && scale <= 5) {
        scale += static_cast<u32>(growth / step);
        if (scale > 6) scale = 6;
    }
    if (scale != display_scale) {
        display_scale = scale;
        pending_actions |= PA_SCALE_1 << (scale - 1);
    } else if (e.y != opened_height) {
        int w = 0;
        gui_window_position(main_window, nullptr, nullptr, &w, nullptr);
        main_place_take(main_window);
        gui_window_resize(main_window, w, opened_height);
        main_place_opened(main_window);
    } else {
        display_blit();
    }
}

static void status_label_clicked(u16 qualifier) {
    if (qualifier & QUAL_SHIFT)
        viewspeedas = (viewspeedas + 1) % 3;
    else
        viewspeedas = viewspeedas == 0 ? 2 : viewspeedas - 1;
    gui_status_bar_update();
}

// The message console opens on the first message after a typed command.
static bool console_armed = false;

static void mirror_message(const char* text) {
    gui_message_console_write(text, console_armed);
    console_armed = false;
}

void gui_messages_to_console(bool wanted) {
    con_console_mirror = wanted ? mirror_message : nullptr;
    console_armed = false;
}

// The command line's place in the debugger's history (row 0 the newest):
// -1 while the line shows none of it.
static int history_position = -1;

// Cursor up and down in the command line walk the history: one entry older
// or newer, with Shift or Ctrl to the oldest entry or back to an empty line.
// When no entry can be shown the line keeps what it holds.
static void gui_command_edit_hook(const GuiEvent& e) {
    if (e.gid != GID_COMMAND || !main_window) return;
    const bool far = (e.qualifier & (QUAL_SHIFT | QUAL_CONTROL)) != 0;
    int at = history_position;
    if (e.code == RAW_UP) {
        if (at >= DBG_HISTORY_ROWS - 1) return;
        if (!far) {
            if (cmd_history[at + 1][0]) at++;
        } else {
            for (int row = DBG_HISTORY_ROWS - 1; row > at; row--)
                if (cmd_history[row][0]) {
                    at = row;
                    break;
                }
        }
        if (at < 0) return;
    } else if (e.code == RAW_DOWN) {
        if (at < 0) return;
        at = far ? -1 : at - 1;
    } else {
        return;
    }
    history_position = at;
    gui_set_text(main_window, GID_COMMAND, at < 0 ? "" : cmd_history[at]);
}

static void command_line(const GuiEvent& e) {
    std::string text = gui_get_text(main_window, GID_COMMAND);
    std::snprintf(dbg_line, sizeof dbg_line, "%s", text.c_str());
    if (e.code == 9) { // Tab completes the label name being typed
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", text.c_str());
        dbg_complete_label();
        if (main_window) {
            gui_set_text(main_window, GID_COMMAND, g_dbg_line);
            gui_activate_gadget(main_window, GID_COMMAND);
        }
        g_dbg_line[0] = '\0';
        return;
    }
    if (e.code == 69) { // Escape: back to the game, the line kept
        gui_focus_guest();
        return;
    }
    if (!dbg_line[0]) { // nothing typed: back to the game
        gui_focus_guest();
        return;
    }
    // The keyboard stays in the line for the next command.
    console_armed = true;
    gui_run_command(dbg_line);
    history_position = -1;
    if (main_window) gui_set_text(main_window, GID_COMMAND, "");
}

static void gadget(const GuiEvent& e) {
    switch (e.gid) {
    case GID_COMMAND:
        command_line(e);
        break;
    case GID_STATUS_LABEL:
        status_label_clicked(e.qualifier);
        break;
    case GID_DRIVE_0:
    case GID_DRIVE_0 + 1:
    case GID_DRIVE_0 + 2:
    case GID_DRIVE_0 + 3:
        gui_floppy_window_toggle();
        break;
    case GID_SPEEDBAR_1:
        if (view_toolbar[display_mode]) gui_toolbar_command(1, e.code, false);
        break;
    case GID_SPEEDBAR_2:
        if (!view_toolbar[display_mode]) break;
        gui_toolbar_command(2, e.code, gui_bar_selected(main_window, GID_SPEEDBAR_2, e.code));
        break;
    case GID_GAME_LIST:
        gui_game_list_clicked(e.code);
        break;
    default: // the machine picture
        break;
    }
}

// The mouse buttons over the display are the guest's (the right one only
// while it belongs to the guest); an entry changes only when the main
// window's own button does, so that a button latched in the Host Gamepads
// window stays latched while the pointer merely moves.
struct MouseState {
    u8 held[3];
};
static MouseState mouse_state() {
    return {{gui_mouse_left, gui_mouse_middle, static_cast<u8>(guestrmb && gui_mouse_right)}};
}
static void mouse_to_players(const MouseState& before) {
    const MouseState now = mouse_state();
    for (int n = 0; n < 3; n++)
        if (now.held[n] != before.held[n]) {
            mouse_buttons_held[n] = now.held[n];
            // Running, the next frame sees the press however soon it is let go.
            if (now.held[n] && !emu_paused) mouse_buttons_clicked[n] = 1;
        }
}

// The guest frame position under window position (x, y), the picture being
// drawn stretched over display_rect; false outside it.
static bool guest_position(int x, int y, i32* gx, i32* gy) {
    if (!inside_display(x, y)) return false;
    const MachineLive& live = machine_live_row();
    const i32 w = display_rotated ? live.height : live.width;
    const i32 h = display_rotated ? live.width : live.height;
    const int dw = display_rect[2] - display_rect[0] + 1, dh = display_rect[3] - display_rect[1] + 1;
    if (w <= 0 || h <= 0 || dw <= 0 || dh <= 0) return false;
    *gx = static_cast<i32>(static_cast<long>(x - display_rect[0]) * w / dw);
    *gy = static_cast<i32>(static_cast<long>(y - display_rect[1]) * h / dh);
    return true;
}

// The status bar shows the guest position under the pointer (while Ctrl is held).
static bool pointer_shows_position = false;

// With Ctrl held over the picture, the status bar tells what lies under the
// pointer; a click in screen-edit mode also moves the editor's cursor there.
static void describe_pointer(const GuiEvent& e, int click) {
    i32 gx, gy;
    if (!guest_position(e.x, e.y, &gx, &gy)) return;
    display_describe_position(gx, gy, click);
    gui_set_status_text_plain(display_position_text);
    if (click) return;
    // The description is longer than the field at the smaller sizes.
    if (gui_status_bar_shown()) gui_show_whole_text(main_window, GID_STATUS_TEXT, true);
    pointer_shows_position = true;
}

// Once Ctrl is let go the status bar shows its own text again.
static void position_follow() {
    if (!pointer_shows_position || host_ctrl_down()) return;
    pointer_shows_position = false;
    if (gui_status_bar_shown()) gui_show_whole_text(main_window, GID_STATUS_TEXT, false);
    gui_set_status_text();
}

static void mouse_button(const GuiEvent& e) {
    const MouseState before = mouse_state();
    const bool up = e.code >= RAWKEY_UP;
    const int b = up ? e.code - RAWKEY_UP : e.code;
    if (!inside_display(e.x, e.y)) {
        gui_mouse_left = gui_mouse_middle = gui_mouse_right = 0;
    } else if (b == 1) {
        if (up)
            gui_mouse_left = 0;
        else if (!gui_window_left)
            gui_mouse_left = 1;
    } else if (b == 2) {
        gui_mouse_middle = up ? 0 : 1;
    } else {
        gui_mouse_right = up ? 0 : 1;
    }
    gui_window_left = 0;
    mouse_to_players(before);
    if (b == 1 && !up && screen_edit_mode) describe_pointer(e, 1);
}

static void mouse_move(const GuiEvent& e) {
    const MouseState before = mouse_state();
    pointer_x = e.x;
    pointer_y = e.y;
    for (int i = 0; i < 4; i++)
        pointer_display[i] = display_rect[i];
    if (!(e.qualifier & QUAL_LEFTBUTTON)) gui_mouse_left = 0;
    if (!(e.qualifier & QUAL_MIDBUTTON)) gui_mouse_middle = 0;
    if (!(e.qualifier & QUAL_RBUTTON)) gui_mouse_right = 0;
    mouse_to_players(before);
    gui_update_pointer(0);
    if (e.qualifier & QUAL_CONTROL) describe_pointer(e, 0);
}

static void one_event(const GuiEvent& e) {
    switch (e.type) {
    case GE_DROP:
        dropped(e);
        break;
    case GE_RAWKEY:
        if (e.code < RAWKEY_UP)
            input_host_key_event(static_cast<u32>(e.code));
        else
            input_host_key_release(static_cast<u32>(e.code & 0x7F));
        break;
    case GE_NEWSIZE:
        new_size(e);
        break;
    case GE_ICONIFY:
        if (display_mode == 0) gui_iconify();
        break;
    case GE_MOVED:
        emu_restart_timing();
        break;
    case GE_MENU:
        emu_restart_timing();
        gui_update_pointer(1);
        gui_menu_pick(e.code);
        break;
    case GE_MENUVERIFY:
        host_rumble_stop_all(); // no controller shakes on while the user picks
        break;
    case GE_MENUHELP:
        // The item's hint in the status bar where it has one, else the help
        // document at the node of the menu.
        if (const char* hint = e.code >= 0 && gui_status_bar_shown() ? menu_hint(e.code) : nullptr)
            gui_set_status_text_plain(hint);
        else
            help_show(e.x & 31);
        break;
    case GE_INACTIVE:
        gui_window_left = 1;
        gui_autopause_check();
        break;
    case GE_ACTIVE:
        input_clear_key_matrix();
        break;
    case GE_CLOSE:
        if (gui_confirm_quit()) pending_actions |= PA_QUIT;
        break;
    case GE_GADGET:
        gadget(e);
        break;
    case GE_EDITKEY:
        gui_command_edit_hook(e);
        break;
    case GE_MOUSEBUTTON:
        mouse_button(e);
        break;
    case GE_MOUSEMOVE:
        mouse_move(e);
        break;
    case GE_WHEEL:
        // The wheel is a pair of raw keys: turned up 122, down 123; with Ctrl
        // it steps through the game list.
        if (view_gamelist[display_mode] && !emu_paused_mid_frame && (e.qualifier & QUAL_CONTROL)) {
            pending_actions |= e.code < 0 ? PA_PREV_GAME : PA_NEXT_GAME;
        } else {
            const u32 raw = e.code < 0 ? RAW_WHEEL_UP : RAW_WHEEL_DOWN;
            input_host_key_event(raw);
            input_host_key_release(raw);
        }
        break;
    default:
        break;
    }
}

// While the guest reads the mouse and "confinepointer" is on, the pointer stays
// over the guest display (the host lets go when the window is not the user's).
static void confine_pointer() {
    if (!main_window || !confinepointer || emu_paused || !host_pads_available()) return;
    if (controller_left != 1 && controller_right != 1) return;
    gui_window_confine_pointer(main_window,
                               GuiRect{display_rect[0], display_rect[1], display_rect[2], display_rect[3]});
}

void gui_main_window_events() {
    app_check_break();
    if (app_exiting) return;
    gui_host_pump();
    gui_display_rect_refresh();
    confine_pointer();
    help_check_closed();
    rexx_serve_port();
    GuiEvent e;
    // A handler may close the window (a reopen for a new scale): stop then.
    while (main_window && gui_window_next_event(main_window, &e))
        one_event(e);
    gui_subwindows_input();
    gui_magnifier_follow();
    position_follow();
    gui_dialogs_input();
    gui_apply_changes();
}
