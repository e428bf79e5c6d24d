#include "commands/dispatch.h"

#include "commands/command_actions.h"
#include "commands/command_table.h"
#include "commands/help_links.h"
#include "commands/menu_state.h"
#include "commands/menus.h"
#include "core/emu.h"
#include "computers/cd2650.h"
#include "computers/twin_sdos.h"
#include "core/frame.h"
#include "core/user_prefs.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "core/recording.h"
#include "app/rexx_host.h"
#include "core/savestate.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "core/trainers.h"
#include "display/frame.h"
#include "display/host.h"
#include "gui/about_windows.h"
#include "gui/adjust_sound.h"
#include "gui/choose_paths.h"
#include "gui/gamepad_buttons.h"
#include "gui/hiscore_window.h"
#include "gui/host_pads_window.h"
#include "gui/iconify.h"
#include "gui/main_window.h"
#include "gui/redefine_keys_window.h"
#include "gui/requesters.h"
#include "gui/sensitivity.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "input/console_buttons.h"
#include "input/joysticks.h"
#include "input/netplay.h"
#include "sound/sound_output.h"

#include <cstdio>
#include <cstring>


bool cmd_tcpip_open() {
    return true; // POSIX sockets are always there
}

void gui_prefill_command(const char* text) {
    std::snprintf(dbg_line, sizeof dbg_line, "%s", text);
    if (main_window && view_debugger[display_mode]) {
        gui_set_text(main_window, GID_COMMAND, dbg_line);
        gui_activate_gadget(main_window, GID_COMMAND);
    }
}

// ---- the dispatcher ---------------------------------------------------------------------

const char* cmd_run_refusal(const CmdRow& row) {
    const char* why = cmd_refusal(row);
    if (!why && (row.flags & CF_WINDOW) && (!main_window || gui_iconified)) why = cmd_iconified_text;
    return why;
}

const char* cmd_run(const CmdRow& row, const CmdCall& call) {
    const char* why = cmd_run_refusal(row);
    if (why) {
        // Told on the console whatever the road; the script port replies with it too.
        if (why == cmd_between_frames_text) con_printf("%s\n", why);
    } else if (row.run) {
        cmd_take_failure(); // only this action's failure counts
        row.run(row, call);
        // A toggle's setting is the user's own, even where it picks the
        // value a load or a set-up left (a radio's action marks its own).
        if (row.arg) prefs_user_chose(row.arg);
    }
    if (call.from == CmdFrom::MENU) gui_update_pointer(0);
    return why;
}

void gui_menu_pick(int item_id) {
    if (const CmdRow* row = cmd_of_item(item_id)) {
        cmd_run(*row, {CmdFrom::MENU});
        return;
    }
    gui_update_pointer(0);
}

void gui_toolbar_command(int bar, int index, bool selected) {
    if (bar == 2 && index >= 11 && index <= 14) {
        // A console button: pressed for the guest unless the machine has none
        // there, or an input recording plays back (it gives the buttons then).
        const int k = index - 11;
        const char* label = machine_live_row().console_labels[k];
        if (!label || std::strcmp(label, "-") == 0 || rec_state == REC_PLAYBACK) return;
        input_press_console_button(k);
        return;
    }
    if (const CmdRow* row = cmd_toolbar_row(bar, index))
        cmd_run(*row, {CmdFrom::TOOLBAR, bar == 2 ? (selected ? 1 : 0) : -1});
}

bool gui_hotkey(u32 code, u8 qualifiers) {
    const CmdRow* row = cmd_of_hotkey(code, qualifiers);
    if (!row) return false;
    cmd_run(*row, {CmdFrom::HOTKEY});
    return true;
}

// ---- handlers of many rows --------------------------------------------------------------

namespace {

void show(const CmdRow& row) {
    if (row.plain >= 0) gui_update_menu_item(row.plain);
}

// The new value of a toggle: the button's state, else the flipped option.
u32 toggled(u32 value, const CmdCall& call) {
    return call.set >= 0 ? static_cast<u32>(call.set) : value ? 0 : 1;
}

void reopen_main_window() {
    gui_close_main_window();
    gui_open_main_window(1);
}

void refresh_all() {
    gui_refresh_menus();
    gui_speedbar_update();
    gui_refresh_toolbar();
    gui_update_main_title();
}

// The tool windows close before the switch; they open again, built for the
// new machine, with the pass's changes, after the main window was opened again
// for a picture of another size. A refused switch gives them back at once.
bool machine_changed(int new_machine, int new_memmap) {
    gui_close_all_subwindows();
    const bool switched = machine_switch(new_machine, new_memmap, true, true, false);
    if (!switched) gui_reopen_subwindows();
    refresh_all();
    display_redraw_all();
    return switched;
}

void rebuild_geometry_window() {
    gui_close_main_window();
    display_setup_geometry();
    gui_open_main_window(1);
    display_reset_frame();
    display_redraw_all();
}

u32 option_of(const CmdRow& row) {
    return *static_cast<u32*>(const_cast<void*>(row.arg));
}
u32& option_ref(const CmdRow& row) {
    return *static_cast<u32*>(const_cast<void*>(row.arg));
}

} // namespace

void act_toggle(const CmdRow& row, const CmdCall& call) {
    option_ref(row) = toggled(option_of(row), call);
    show(row);
}

void act_view_toggle(const CmdRow& row, const CmdCall& call) {
    u32* views = static_cast<u32*>(const_cast<void*>(row.arg));
    views[display_mode] = toggled(views[display_mode], call);
    show(row);
}

void act_debug_line(const CmdRow& row, const CmdCall&) {
    const char* text = static_cast<const char*>(row.arg);
    if (row.value)
        gui_prefill_command(text);
    else
        gui_run_command(text);
}

void act_debug_radio(const CmdRow& row, const CmdCall&) {
    gui_run_command(static_cast<const char*>(row.arg));
    gui_refresh_menus();
}

void act_open_window(const CmdRow& row, const CmdCall&) {
    gui_open_tool_window(static_cast<ToolWindow>(row.value));
}

// A recent file loads again into the machine it was loaded into, which is set
// up first; the list keeps its order.
void act_recent(const CmdRow& row, const CmdCall&) {
    if (row.value >= recent_count) return;
    LoadRequest r = load_request(recent_files[row.value]);
    r.memmap = recent_memmaps[row.value];
    file_load_request(std::move(r));
}

// ---- handlers of single rows ------------------------------------------------------------

void act_reset(const CmdRow&, const CmdCall&) {
    emu_reset_request(false);
}

void act_jump_to_bios(const CmdRow&, const CmdCall&) {
    if (const auto entry = machine_debug().bios_entry) cpu_iar = static_cast<u16>(entry());
    net_command(0);
    gui_update_menu_item(170);
    gui_update_menu_item(171);
}

void act_reinitialize(const CmdRow&, const CmdCall&) {
    gui_reinitialize_machine();
}

void gui_reinitialize_machine() {
    machine_switch(static_cast<int>(machine), static_cast<int>(memmap), true, true, false);
    refresh_all();
    display_redraw_all();
    gui_reopen_subwindows();
}

void act_open(const CmdRow&, const CmdCall&) {
    file_open_with_requester();
}

void act_revert(const CmdRow&, const CmdCall&) {
    const char* running = file_revert_path();
    if (!running) return;
    char path[FILE_NAME_SIZE];
    std::memcpy(path, running, sizeof path);
    rec_stop_all();
    file_load_by_name(path, 0);
}

void act_quickload(const CmdRow&, const CmdCall&) {
    rec_stop_all();
    char path[FILE_NAME_SIZE];
    games_add_part(std::strcpy(path, games_path), sizeof path, "QUICKSAV.COS");
    if (!file_load_by_name(path, 1)) gui_beep();
}

void act_quicksave(const CmdRow&, const CmdCall&) {
    char path[FILE_NAME_SIZE];
    games_add_part(std::strcpy(path, games_path), sizeof path, "QUICKSAV.COS");
    if (!state_save_aside(path, 8, 1)) cmd_action_failed("the state was not saved", state_save_error());
}

void act_audit(const CmdRow&, const CmdCall&) {
    games_audit_drawer(1);
}

void act_iconify(const CmdRow&, const CmdCall&) {
    gui_iconify();
}

void act_uniconify(const CmdRow&, const CmdCall&) {
    pending_actions |= PA_UNICONIFY;
}

void act_quit(const CmdRow&, const CmdCall&) {
    if (gui_confirm_quit()) pending_actions |= PA_QUIT;
}

void act_screen_edit(const CmdRow&, const CmdCall& call) {
    screen_edit_mode = static_cast<u8>(toggled(screen_edit_mode, call));
    gui_update_menu_item(32);
    display_screen_edit_clamp();
    gui_update_main_title();
    if (!screen_edit_mode) gui_set_status_text();
}

void act_high_scores(const CmdRow&, const CmdCall&) {
    gui_high_scores_window();
}

void act_builtin_games(const CmdRow& row, const CmdCall& call) {
    act_toggle(row, call);
    games_audit_drawer(0);
}

void act_restart_playback(const CmdRow&, const CmdCall&) {
    rec_restart_playback();
}

void act_run_script(const CmdRow&, const CmdCall&) {
    rexx_run_script(1, 0);
}

void act_repeat_script(const CmdRow&, const CmdCall&) {
    rexx_run_script(0, 0);
}

void act_object_save(const CmdRow&, const CmdCall&) {
    gui_prefill_command(machine_debug().object_save_command);
}

void act_disk_save(const CmdRow&, const CmdCall&) {
    if (const char* command = machine_debug().disk_save_command) gui_prefill_command(command);
}

void act_go(const CmdRow&, const CmdCall&) {
    if (machine_traits().no_processor)
        gui_run_command("G");
    else
        gui_prefill_command("G ");
}

void act_activate_debugger(const CmdRow&, const CmdCall&) {
    gui_activate_window();
}

void act_force_feedback(const CmdRow& row, const CmdCall& call) {
    act_toggle(row, call);
    if (!option_of(row)) host_rumble_stop_all();
}

void act_narrow(const CmdRow&, const CmdCall&) {
    // Ticked means narrow (stretch 1); the window is rebuilt at the frame's end.
    if (display_aspect == 2)
        pending_actions |= PA_STRETCH_1;
    else if (display_aspect == 1)
        pending_actions |= PA_STRETCH_2;
}

void act_lowercase(const CmdRow&, const CmdCall& call) {
    lowercase = static_cast<i32>(toggled(lowercase != 0, call));
    gui_update_menu_item(241);
}

void act_ambient_sounds(const CmdRow& row, const CmdCall& call) {
    act_toggle(row, call);
    if (!teletypesounds && snd_enabled)
        for (int v = 16; v <= 25; v++)
            snd_voice_stop(v);
}

void act_pause(const CmdRow&, const CmdCall& call) {
    if (toggled(emu_paused, call))
        emu_pause(PauseCause::user);
    else
        emu_unpause();
    gui_update_menu_item(257);
}

void act_coding_guide(const CmdRow&, const CmdCall&) {
    help_show_node(coding_guide_section(static_cast<int>(machine)));
}

void act_gaming_guide(const CmdRow&, const CmdCall&) {
    help_show_node(gaming_guide_section(static_cast<int>(machine)));
}

void act_manual(const CmdRow&, const CmdCall&) {
    help_show(-1);
}

void act_about_toolkit(const CmdRow&, const CmdCall&) {
    gui_open_about_reaction_window();
}

void act_about(const CmdRow&, const CmdCall&) {
    gui_open_about_window();
}

void act_choose_paths(const CmdRow&, const CmdCall&) {
    gui_choose_paths_window();
}

void act_adjust_sound(const CmdRow&, const CmdCall&) {
    gui_adjust_sound_window();
}

void act_sensitivity(const CmdRow&, const CmdCall&) {
    gui_sensitivity_window();
}

void act_redefine_keys(const CmdRow&, const CmdCall&) {
    gui_redefine_keys();
}

void act_gamepad_buttons(const CmdRow&, const CmdCall&) {
    gui_gamepad_buttons_window();
}

// ---- radio groups -----------------------------------------------------------------------

void act_sort_by(const CmdRow& row, const CmdCall&) {
    games_sort_by = row.value;
    gui_refresh_menus();
    games_audit_drawer(0); // the list in the new order
}

void act_speed_as(const CmdRow& row, const CmdCall&) {
    viewspeedas = row.value;
    gui_refresh_menus();
    gui_status_bar_update();
}

void act_controller_left(const CmdRow& row, const CmdCall&) {
    controller_left = row.value;
    after_controllers();
}

void act_controller_right(const CmdRow& row, const CmdCall&) {
    controller_right = row.value;
    after_controllers();
}

namespace {
// A monitor or disk system chosen for `machine`: its set-up again, or, when
// a changed disk or tape kept it (the user cancelled, or nobody could be asked), the
// setting as it was.
template <typename Version>
void choose_monitor(Version& version, Version value, int machine, int map) {
    const Version was = version;
    version = value;
    if (machine_changed(machine, map)) return;
    version = was;
    gui_refresh_menus();
}
} // namespace

void act_elektor_bios(const CmdRow& row, const CmdCall&) {
    choose_monitor(elektor_biosversion, static_cast<i32>(row.value), ELEKTOR,
                   static_cast<int>(memmap));
}

void act_phunsy_bios(const CmdRow& row, const CmdCall&) {
    choose_monitor(phunsy_biosversion, static_cast<u32>(row.value), PHUNSY,
                   static_cast<int>(memmap));
}

void act_selbst_bios(const CmdRow& row, const CmdCall&) {
    choose_monitor(selbst_biosversion, static_cast<u32>(row.value), SELBST, MAP_SELBST);
}

void act_binbug_bios(const CmdRow& row, const CmdCall&) {
    choose_monitor(binbug_biosversion, static_cast<i32>(row.value), BINBUG,
                   static_cast<int>(memmap));
}

void act_binbug_dos(const CmdRow& row, const CmdCall&) {
    choose_monitor(binbug_dosversion, static_cast<i32>(row.value), BINBUG,
                   static_cast<int>(memmap));
}

void act_twin_dos(const CmdRow& row, const CmdCall&) {
    twin_choose_dos(row.value);
    gui_refresh_menus();
}

// A new monitor or disk system: the character set that suits it, and the
// machine set up again. A refused set-up keeps the choice it had.
static void cd2650_set_up(u32 bios, u32 dos) {
    const u32 was_bios = cd2650_biosversion, was_dos = cd2650_dosversion;
    const i32 was_vdu = cd2650_vdu;
    cd2650_biosversion = bios;
    cd2650_dosversion = dos;
    cd2650_switch_charset();
    // The character set that suits the user's monitor is the user's too: it
    // is chosen before the set-up, which starts from the user's choices, and
    // what the set-up leaves of it after.
    prefs_user_chose(&cd2650_vdu);
    if (machine_changed(CD2650, static_cast<int>(memmap))) {
        prefs_user_chose(&cd2650_vdu);
        return;
    }
    cd2650_biosversion = was_bios;
    cd2650_dosversion = was_dos;
    cd2650_vdu = was_vdu;
    prefs_user_chose(&cd2650_vdu);
    cd2650_load_charset();
    gui_refresh_menus();
}

void act_cd2650_bios(const CmdRow& row, const CmdCall&) {
    cd2650_set_up(static_cast<u32>(row.value), cd2650_dosversion);
}

void act_cd2650_dos(const CmdRow& row, const CmdCall&) {
    // The disk systems run with the IPL; none leaves the IPL for the Supervisor.
    u32 bios = cd2650_biosversion;
    if (row.value != 2)
        bios = 0;
    else if (bios == 0)
        bios = 2;
    cd2650_set_up(bios, static_cast<u32>(row.value));
}

void act_cd2650_vdu(const CmdRow& row, const CmdCall&) {
    cd2650_vdu = row.value;
    prefs_user_chose(&cd2650_vdu);
    cd2650_load_charset();
    gui_refresh_menus();
    display_redraw_all();
}

void act_colour_set(const CmdRow& row, const CmdCall&) {
    colourset = row.value;
    gui_refresh_menus();
    display_apply_palette();
    if (gui_tool_window_open(TW_SPRITES)) {
        gui_subwin_ops[TW_SPRITES].close();
        gui_open_tool_window(TW_SPRITES);
    }
    display_redraw_all();
}

void act_frame_based(const CmdRow& row, const CmdCall&) {
    framebased = static_cast<u32>(row.value);
    gui_refresh_menus();
}

void act_log_mode(const CmdRow& row, const CmdCall&) {
    log_mode_select(row.value);
    gui_refresh_menus();
    if (const std::string why = log_take_open_failure(); !why.empty())
        cmd_action_failed("the log was not opened", why);
}

void act_filter(const CmdRow& row, const CmdCall&) {
    display_filter = row.value;
    display_select_plotter();
    display_redraw_all();
    gui_refresh_menus();
}

void act_scale(const CmdRow& row, const CmdCall&) {
    if (display_scale != static_cast<u32>(row.value))
        pending_actions |= PA_SCALE_1 << (row.value - 1);
}

void act_keymap(const CmdRow& row, const CmdCall&) {
    keymap = row.value;
    if (gui_tool_window_open(TW_HOST_KEYBOARD)) {
        gui_subwin_ops[TW_HOST_KEYBOARD].close();
        gui_open_tool_window(TW_HOST_KEYBOARD);
    }
    gui_refresh_menus();
}

void act_machine(const CmdRow& row, const CmdCall&) {
    machine_changed(memmap_table[row.value].machine, row.value);
}

void act_sound_output(const CmdRow& row, const CmdCall&) {
    snd_close(1);
    snd_output_mode = row.value;
    gui_refresh_menus();
    snd_open(0);
}

void act_region(const CmdRow& row, const CmdCall&) {
    emu_region = static_cast<u32>(row.value);
    prefs_user_chose(&emu_region);
    after_region();
}

void act_skip_level(const CmdRow&, const CmdCall&) {
    if (const auto skip = machine_row().skip_level) skip();
    ui_mark(UI_REFRESH_WINDOWS);
}

void machine_menu_choice(const CmdRow& row) {
    if (const auto take = machine_row().menu_choice) take(row.check);
    gui_refresh_menus();
}

void act_demultiplex(const CmdRow& row, const CmdCall&) {
    demultiplex = row.value;
    display_redraw_all();
    gui_refresh_menus();
}

// ---- follow-ups -------------------------------------------------------------------------

void after_view_debugger() {
    reopen_main_window();
    if (view_debugger[display_mode]) gui_activate_window();
    gui_refresh_menus();
}

void after_view_pointer() {
    gui_update_menu_item(41);
    gui_update_pointer(1);
}

void after_view_sidebar() {
    pending_actions |= view_gamelist[display_mode] ? PA_SHOW_GAMELIST : PA_HIDE_GAMELIST;
}

void after_view_bars() {
    reopen_main_window();
}

void after_autofire_left() {
    gui_update_toolbar_button(0);
    gui_update_menu_item(176);
}

void after_autofire_right() {
    gui_update_toolbar_button(1);
    gui_update_menu_item(180);
}

void after_inverse_video() {
    display_apply_palette();
    display_redraw_all();
}

void after_self_test() {
    if (machine_desc().coinop) trainer_apply();
}

void after_scanlines() {
    display_select_plotter();
    display_redraw_all();
}

void after_blanking() {
    display_setup_geometry();
    display_reset_frame();
    pending_actions |= PA_REBUILD;
}

void after_full_screen() {
    const u32 old_mode = display_mode;
    // The window closes as it was opened, keeping the place the user gave it
    // for the way back.
    gui_close_main_window();
    display_mode = fullscreen ? 1 : 0;
    if (display_mode == 1 && old_mode == 0) {
        windowed_scale = display_scale;
        windowed_width = display_aspect;
    } else if (display_mode == 0 && old_mode == 1) {
        display_scale = windowed_scale;
        display_aspect = windowed_width;
    }
    gui_open_main_window(1);
    gui_update_pointer(1);
}

void after_rotation() {
    machine_apply_rotation();
    display_redraw_all();
}

void after_show_leds() {
    gui_update_menu_item(232);
    rebuild_geometry_window();
}

void after_analog() {
    gui_refresh_menus();
}

void after_swapped() {
    gui_update_toolbar_button(2);
    gui_update_menu_item(236);
    gui_close_all_subwindows();
    gui_reopen_subwindows();
}

void after_confine() {
    gui_update_menu_item(242);
    gui_update_pointer(1);
}

void after_sound() {
    snd_switched();
    gui_update_toolbar_button(3);
    gui_update_menu_item(250);
}

void after_exact_speed() {
    machine_compute_frame_periods();
}

void after_turbo() {
    if (!turbo) frame_due_us = timer_now_us();
    gui_update_toolbar_button(5);
    gui_update_menu_item(261);
    gui_update_main_title();
    gui_status_bar_update();
}

void after_collisions() {
    gui_update_toolbar_button(6);
    gui_update_menu_item(264);
}

void after_trainer() {
    trainer_apply();
}

void after_controllers() {
    gui_update_menu_item(242);
    gui_refresh_menus();
    gui_update_pointer(1);
    host_set_joyport_types();
    host_rumble_stop_all();
    gui_rebuild_subwindow(TW_HOST_PADS);
}

// The right mouse button given to the guest or taken back: let go of it,
// and the Host Gamepads window relabels it.
void after_guestrmb() {
    mouse_buttons_held[2] = 0;
    gui_controls_labels();
}

void after_region() {
    gui_refresh_menus();
    gui_status_bar_update();
    if (machine_traits().region_choice) rebuild_geometry_window();
}

