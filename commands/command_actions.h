// The handlers the command table's rows name, and the follow-ups that other
// roads share after they change an option themselves (the scripting port's
// CMDSHELL, the machine's region after a load).
#pragma once

#include "commands/command_table.h"
#include "core/user_prefs.h"

#include <type_traits>

// Handlers for many rows: the row's argument says what they act on.
void act_toggle(const CmdRow& row, const CmdCall& call);      // arg: u32 option
void act_view_toggle(const CmdRow& row, const CmdCall& call); // arg: u32[2] by display mode
void act_debug_line(const CmdRow& row, const CmdCall& call);  // arg: line; value 1 prefills
void act_debug_radio(const CmdRow& row, const CmdCall& call); // arg: line
void act_open_window(const CmdRow& row, const CmdCall& call); // value: ToolWindow
void act_recent(const CmdRow& row, const CmdCall& call);      // value: entry 0..7

// A toggle whose option change is followed by `After`.
template <void (*After)()> void act_toggle_then(const CmdRow& row, const CmdCall& call) {
    act_toggle(row, call);
    After();
}

// Handlers of single rows.
void act_reset(const CmdRow&, const CmdCall&);
void act_jump_to_bios(const CmdRow&, const CmdCall&);
void act_reinitialize(const CmdRow&, const CmdCall&);
// Netplay and the update check (commands/netplay_actions.cpp). act_netplay's
// value: 2 act as server, 1 connect as client; either disconnects a link.
void act_netplay(const CmdRow&, const CmdCall&);
void act_check_updates(const CmdRow&, const CmdCall&);
void act_open(const CmdRow&, const CmdCall&);
void act_revert(const CmdRow&, const CmdCall&);
void act_quickload(const CmdRow&, const CmdCall&);
void act_quicksave(const CmdRow&, const CmdCall&);
void act_audit(const CmdRow&, const CmdCall&);
void act_iconify(const CmdRow&, const CmdCall&);
void act_uniconify(const CmdRow&, const CmdCall&);
void act_quit(const CmdRow&, const CmdCall&);
void act_screen_edit(const CmdRow&, const CmdCall&);
void act_high_scores(const CmdRow&, const CmdCall&);
void act_builtin_games(const CmdRow&, const CmdCall&);
void act_restart_playback(const CmdRow&, const CmdCall&);
void act_run_script(const CmdRow&, const CmdCall&);
void act_repeat_script(const CmdRow&, const CmdCall&);
void act_object_save(const CmdRow&, const CmdCall&);
void act_disk_save(const CmdRow&, const CmdCall&);
void act_go(const CmdRow&, const CmdCall&);
void act_activate_debugger(const CmdRow&, const CmdCall&);
void act_force_feedback(const CmdRow&, const CmdCall&);
void act_narrow(const CmdRow&, const CmdCall&);
void act_lowercase(const CmdRow&, const CmdCall&);
void act_ambient_sounds(const CmdRow&, const CmdCall&);
void act_pause(const CmdRow&, const CmdCall&);
void act_coding_guide(const CmdRow&, const CmdCall&);
void act_gaming_guide(const CmdRow&, const CmdCall&);
void act_manual(const CmdRow&, const CmdCall&);
void act_about_toolkit(const CmdRow&, const CmdCall&);
void act_about(const CmdRow&, const CmdCall&);
void act_skip_level(const CmdRow&, const CmdCall&);
// The settings dialogs: paths, sound, paddle sensitivity, gamepad buttons.
void act_choose_paths(const CmdRow&, const CmdCall&);
void act_adjust_sound(const CmdRow&, const CmdCall&);
void act_sensitivity(const CmdRow&, const CmdCall&);
void act_gamepad_buttons(const CmdRow&, const CmdCall&);
void act_redefine_keys(const CmdRow&, const CmdCall&);
// Radio groups: the row's value is the option's new value.
void act_sort_by(const CmdRow&, const CmdCall&);
void act_speed_as(const CmdRow&, const CmdCall&);
void act_controller_left(const CmdRow&, const CmdCall&);
void act_controller_right(const CmdRow&, const CmdCall&);
void act_elektor_bios(const CmdRow&, const CmdCall&);
void act_phunsy_bios(const CmdRow&, const CmdCall&);
void act_selbst_bios(const CmdRow&, const CmdCall&);
// The BINBUG's monitor and disk system, the CD2650's monitor, disk system and
// character set.
void act_binbug_bios(const CmdRow&, const CmdCall&);
void act_binbug_dos(const CmdRow&, const CmdCall&);
void act_twin_dos(const CmdRow&, const CmdCall&);
void act_cd2650_bios(const CmdRow&, const CmdCall&);
void act_cd2650_dos(const CmdRow&, const CmdCall&);
void act_cd2650_vdu(const CmdRow&, const CmdCall&);
void act_colour_set(const CmdRow&, const CmdCall&);
void act_frame_based(const CmdRow&, const CmdCall&);
void act_log_mode(const CmdRow&, const CmdCall&);
void act_filter(const CmdRow&, const CmdCall&);
void act_scale(const CmdRow&, const CmdCall&);
void act_keymap(const CmdRow&, const CmdCall&);
void act_machine(const CmdRow&, const CmdCall&); // value: memory map
void act_sound_output(const CmdRow&, const CmdCall&);
void act_region(const CmdRow&, const CmdCall&);
void act_demultiplex(const CmdRow&, const CmdCall&);
// A radio of the machine's own ranges: the option takes the row's value, the
// machine takes the choice in (machine_menu_choice).
void machine_menu_choice(const CmdRow& row);
template <auto* Option> void act_machine_choice(const CmdRow& row, const CmdCall&) {
    *Option = static_cast<std::remove_reference_t<decltype(*Option)>>(row.value);
    prefs_user_chose(Option);
    machine_menu_choice(row);
}

// Follow-ups after an option changed, by whatever road.
void after_view_debugger();
void after_view_pointer();
void after_view_sidebar();
void after_view_bars();
void after_autofire_left();
void after_autofire_right();
void after_colours();
void after_inverse_video();
void after_self_test();
void after_scanlines();
void after_blanking();
void after_full_screen();
void after_rotation();
void after_show_leds();
void after_analog();
void after_swapped();
void after_confine();
void after_sound();
void after_exact_speed();
void after_turbo();
void after_collisions();
void after_trainer();
void after_controllers();
void after_guestrmb();
void after_region();

// A toggle of one option per display mode, followed by `After`.
template <void (*After)()> void act_view_then(const CmdRow& row, const CmdCall& call) {
    act_view_toggle(row, call);
    After();
}
