// The interface's side of the notifications: what the emulation marked since
// the last event pass is done here once, and the services the emulation asks
// of the interface (core/ui_host.h) are this layer's functions.
#include "gui/ui_pass.h"

#include "commands/arexx.h"
#include "commands/help_links.h"
#include "app/rexx_host.h"

#include "commands/command_actions.h"
#include "commands/dispatch.h"
#include "commands/menu_state.h"
#include "commands/menus.h"
#include "core/emu.h"
#include "devicewindows/dips_window.h"
#include "devicewindows/music_window.h"
#include "devicewindows/papertape_window.h"
#include "devicewindows/floppy_window.h"
#include "devicewindows/lab_window.h"
#include "devicewindows/printer_window.h"
#include "devicewindows/tape_deck_window.h"
#include "core/frame.h"
#include "sound/voice_update.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "cpu/optables.h"
#include "gui/clipboard.h"
#include "gui/game_list.h"
#include "gui/iconify.h"
#include "gui/dialogs.h"
#include "gui/images.h"
#include "gui/prompts.h"
#include "debugger/memory_commands.h"
#include "gui/main_window.h"
#include "gui/palette_editor.h"
#include "gui/requesters.h"
#include "devicewindows/gameinfo_window.h"
#include "gui/guest_controls_window.h"
#include "gui/host_name_prompt.h"
#include "gui/listen_window.h"
#include "gui/host_keyboard_window.h"
#include "gui/host_pads_window.h"
#include "gui/speed_window.h"
#include "gui/tip_of_the_day.h"
#include "gui/tool_windows.h"
#include "input/netplay.h"
#include "inspect/opcodes_window.h"
#include "inspect/sprite_editor_window.h"
#include "inspect/cpu_monitor_window.h"
#include "inspect/psg_monitor_window.h"
#include "inspect/video_monitor_window.h"
#include "inspect/memory_editor_window.h"
#include "input/picture_choice.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

static void append_word(char* title, std::size_t size, const char* word) {
    std::size_t len = std::strlen(title);
    if (len < size) std::snprintf(title + len, size - len, " (%s)", word);
}

void gui_title_state(char* title, std::size_t size) {
    if (!title || size == 0) return;
    if (net_mode == NET_SERVER)
        append_word(title, size, cat_str(241, "server"));
    else if (net_mode == NET_CLIENT)
        append_word(title, size, cat_str(242, "client"));
    else if (net_mode == NET_LISTENING)
        append_word(title, size, cat_str(711, "listening"));
    if (rec_state == REC_RECORDING)
        append_word(title, size, cat_str(708, "recording"));
    else if (rec_state == REC_PLAYBACK)
        append_word(title, size, cat_str(709, "playback"));
    if (screen_edit_mode) append_word(title, size, cat_str(1050, "editing screen"));
    if (emu_paused)
        append_word(title, size,
                    emu_paused_mid_frame ? cat_str(1386, "paused during frame")
                                         : cat_str(144, "paused"));
    else if (turbo)
        append_word(title, size, cat_str(510, "turbo"));
    if (gui_modal_active) {
        std::size_t len = std::strlen(title);
        if (len < size)
            std::snprintf(title + len, size - len, " %s", cat_str(777, "(close subwindow)"));
    }
}
// The machine picture of the status bar and its game information line.
static void show_status() {
    if (!gui_status_bar_shown()) return;
    gui_set_image(main_window, GID_MACHINE_PICTURE,
                  gui_image(games_machine_label_id(known_game_id, static_cast<int>(memmap))));
    gui_floppy_indicators_refresh(); // another machine may have other drives
    gui_set_status_text();
    gui_show_caps();
}

void gui_show_speed() {
    if (!main_window) return;
    gui_speed_window_show();
    gui_status_speed_text(speed_text);
}

void gui_status_bar_update() {
    snd_choose_tone_reference();
    if (!main_window) return;
    gui_speed_window_show();
    if (gui_status_bar_shown()) {
        gui_status_speed_label(viewspeedas == 0   ? cat_str(140, "FPS:")
                               : viewspeedas == 1 ? cat_str(494, "Speed:")
                                                  : cat_str(621, "kHz:"));
        emu_measure_speed();
    }
    emu_restart_timing();
    gui_show_speed();
}

void gui_relabel_opcodes() {
    cpu_apply_type_tables();
    opcodes_window_relabel();
}

void gui_apply_changes() {
    const u32 c = ui_take_changes();
    const u32 wanted = ui_take_tool_window_requests();
    // The windows first, so that what follows draws into the new ones.
    if ((c & UI_TOOL_WINDOWS) && main_window) gui_close_all_subwindows();
    if ((c & UI_SCALE) && main_window) gui_set_scale(static_cast<int>(display_scale));
    if (c & UI_REOPEN_WINDOWS) gui_reopen_subwindows();
    for (int w = 0; w < TOOL_WINDOWS; w++)
        if (wanted & (1u << w)) gui_offer_tool_window(static_cast<ToolWindow>(w));
    if (c & UI_DIP_GADGETS) gui_dips_refresh(1);

    if (c & UI_TITLE) gui_update_main_title();
    if (c & UI_RECENT) gui_rebuild_menus(ui_recent_path());
    if (c & UI_MENUS) gui_refresh_menus();
    if (c & UI_TOOLBAR) {
        gui_toolbar_set_pause(emu_paused);
        gui_speedbar_update();
        gui_refresh_toolbar();
    }
    if (c & UI_NOTATION)
        gui_toggle_cpu_monitor(); // relabels the opcodes too
    else if (c & UI_OPCODES)
        gui_relabel_opcodes();
    if (c & UI_STATUS) show_status();
    if (c & UI_SPEED) gui_show_speed();
    if (c & UI_POINTER) gui_update_pointer(1);
    if (c & UI_REFRESH_FORCED)
        gui_refresh_windows(1);
    else if (c & UI_REFRESH_WINDOWS)
        gui_refresh_windows(0);
    if (c & UI_MONITOR_LEDS) cpu_monitor_draw_leds();
    if (c & UI_CONTROLS_PANEL) guest_controls_paint_panel();
    if (c & UI_GAME_LIST)
        gui_game_list_show();
    else if (c & UI_GAME_SELECT)
        gui_game_list_select();
    if (c & UI_GUEST_FOCUS) gui_focus_guest();
}

// ---- the services the emulation asks for -------------------------------------------------
static bool window_open() {
    return main_window != 0;
}
static bool tool_open(int w) {
    return gui_tool_window_open(static_cast<ToolWindow>(w));
}
static void images() {
    gui_load_images_progress(0, 91, -1, -1);
}
// While no main window is open (at start-up) nobody need be at the screen,
// and the port already answers: a warning then does not wait for the user.
static void warn_user(const char* text) {
    // The open windows show what the warning speaks of while it is read (it
    // may come in the middle of a frame, before the frame's own refresh).
    if (ui_changes_pending() & (UI_REFRESH_WINDOWS | UI_REFRESH_FORCED)) gui_refresh_windows(0);
    if (!main_window && rexx_host_name[0])
        gui_notice(cat_str(124, "Warning"), text, 2);
    else
        gui_warning(text);
}
static void browse(int step) {
    if (step < 0)
        games_browse_prev(0);
    else
        games_browse_next(0);
}

static void clip_picture(const unsigned char* data, unsigned long size) {
    clip_open();
    clip_do_io(data, static_cast<u32>(size));
    clip_close();
}
static void clip_text_out(const char* text) {
    clip_text = text;
    clip_write_text();
}

void gui_install_ui_host() {
    ui_host.main_window_open = window_open;
    ui_host.status_bar_shown = gui_status_bar_shown;
    ui_host.tool_window_open = tool_open;
    ui_host.warning = warn_user;
    ui_host.beep = gui_beep;
    ui_host.file_request = gui_file_request;
    ui_host.save_request = gui_save_request;
    ui_host.save_request_also = gui_save_request_also;
    ui_host.choose_load_address = gui_choose_load_address;
    ui_host.open_main_window = gui_open_main_window;
    ui_host.close_main_window = gui_close_main_window;
    ui_host.close_tool_windows = gui_close_all_subwindows;
    ui_host.forget_window_positions = gui_forget_subwindow_positions;
    ui_host.events = gui_main_window_events;
    ui_host.load_images = images;
    ui_host.free_images = gui_free_images;
    ui_host.tip_of_the_day = gui_tip_of_the_day;
    ui_host.iconify = gui_iconify;
    ui_host.release_screen = gui_unlock_pubscreen;
    ui_host.browse_games = browse;
    ui_host.confirm_quit = gui_confirm_quit;
    ui_host.question = [](const char* title, const char* text, const char* buttons, int preset) {
        return gui_requester(title, text, buttons, 1, preset);
    };
    ui_host.exit_notice = [](const char* text) {
        gui_dialogs_close_all();
        gui_host_requester(cat_str(124, "Warning"), text, cat_str(143, "OK"), 2, 0, main_window);
    };
    ui_host.activate_command_line = gui_activate_command_line;
    gui_messages_to_console(!isatty(STDOUT_FILENO));
    ui_host.reinitialize = gui_reinitialize_machine;
    ui_host.region_changed = after_region;
    ui_host.hotkey = gui_hotkey;
    ui_host.clip_iff = clip_picture;
    ui_host.clip_text = clip_text_out;
    ui_host.status_text = gui_set_status_text_plain;
    ui_host.status_message = gui_set_status_message;
    ui_host.enter_hostname = gui_enter_hostname;
    ui_host.listen_open = gui_listen_window_open;
    ui_host.listen_poll = gui_listen_window_poll;
    ui_host.listen_close = gui_listen_window_close;
    dbg_edit_prompt = gui_edit_value_window;
    rexx_command = arexx_execute;
    gui_iconified_service = rexx_serve_port;
    help_install();
    printer_window_register();
    lab_window_register();
    tape_deck_window_register();
    papertape_window_register();
    dips_window_register();
    floppy_window_register();
    guest_controls_window_register();
    host_keyboard_window_register();
    host_pads_window_register();
    gameinfo_window_register();
    speed_window_register();
    palette_editor_register();
    music_window_register();
    opcodes_window_register();
    sprite_editor_register();
    cpu_monitor_window_register();
    psg_monitor_window_register();
    video_monitor_window_register();
    memory_editor_window_register();
    game_picture_number = game_image_number;
}
