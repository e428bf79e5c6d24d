#include "commands/command_table.h"

#include "commands/command_actions.h"
#include "commands/dispatch.h"
#include "commands/help_links.h"
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "commands/recorder_commands.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/recording.h"
#include "app/rexx_host.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/disasm.h"
#include "debugger/commands.h"
#include "debugger/watch.h"
#include "display/host.h"
#include "gui/clipboard.h"
#include "gui/iconify.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "gui/update_check.h"
#include "input/host_pad_labels.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/netplay.h"
#include "inspect/video_monitor_window.h"
#include "peripherals/floppy.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

const char* const cmd_between_frames_text = "You can only do this between frames!";

namespace {

const char* const not_built_text = "function is not available yet";
const char* const wrong_machine_text = "wrong guest machine";
const char* const not_now_text = "command is unavailable now";
const char* const no_disk_text = "no disk is inserted";
const char* const no_drive_text = "invalid drive number";
const char* const draw_range_text = "drawing mode out of range";

// ---- the questions of the rows ----------------------------------------------------------

const MachineDesc& row_of_machine() {
    return machine_desc();
}
const MachineTraits& traits() {
    return machine_traits();
}
const MemmapTraits& map_traits() {
    return memmap_desc().traits;
}
// A machine option that holds with the current settings; false without one.
bool holds(bool (*option)()) {
    return option && option();
}
bool within(int value, i32 first, i32 last) {
    return value >= first && value <= last;
}
bool has_cpu() {
    return !traits().no_processor;
}
bool pvis() {
    return machine_live_row().pvi_count > 0;
}
bool object_files() {
    return dbg_object_format() != nullptr;
}
bool has_drives() {
    return row_of_machine().drives > 0;
}
// A UVI or PVIs (a coin-op board's PVIs depend on its game).
bool video_chip() {
    return traits().uvi || pvis();
}
// A display drawn by a video chip or timed along a raster: the
// Sprites/characters window, the beam marker.
bool has_glyphs() {
    return machine_debug().glyphs != nullptr;
}
bool raster_display() {
    return video_chip() || traits().raster_timed;
}
bool autofire() {
    return pvis() || map_traits().autofire;
}
bool sprites() {
    return pvis() || traits().sprites;
}
bool idle() {
    return rec_state == REC_IDLE;
}
bool windowed() {
    return fullscreen == 0;
}
bool sound_files() {
    return idle() && !memmap_is_empty(memmap) && memmap_sound_count(memmap) > 0;
}
bool psg_files() {
    return idle() && map_traits().psg;
}
bool jump_to_bios() { return traits().jump_to_bios; }
bool file_to_revert() { return file_revert_path() != nullptr; }
bool screen_text() { return traits().screen_text; }
bool console_screen() { return traits().console_screen; }
bool can_iconify() { return display_mode == 0; }
bool is_iconified() { return gui_iconified != 0; }
bool screen_editing() { return traits().screen_editing; }
bool pasting() {
    return traits().text_screen && clip_guest_takes_text() && rec_state != REC_PLAYBACK;
}
bool hiscores() { return row_of_machine().first_hiscore_row >= 0; }
bool not_recording() { return rec_state != REC_RECORDING; }
bool playing_back() { return rec_state == REC_PLAYBACK; }
bool recorder_busy() { return !idle(); }
bool script_named() { return rexx_script_path[0] != 0; }
bool netplay_on() { return net_connected(); }
bool update_server_known() { return update_check_available(); }
bool speech_on() { return snd_enabled && speech; }
bool tvc_files() { return traits().tvc_files; }
bool drive_ready() { return has_drives() && drive_has_disk(debugger_drive & 3); }
// ERROR: the disk system in use has error texts (the CD2650's DOS, not its monitor).
bool dos_errors() {
    const auto errors = machine_debug().dos_errors;
    return errors && errors();
}
bool basic_view() { return traits().basic_view; }
bool bios_view() { return holds(machine_debug().bios_view); }
bool psg_view() { return map_traits().psg_view; }
bool screen_view() { return traits().screen_view; }
bool udg_view() { return video_chip() || traits().udg_characters; }
bool bios_log() { return traits().bios_log; }
bool interrupts() { return pvis() || traits().raise_interrupt; }
// R I: the PVIs or the board interrupt the processor.
bool interrupt_target() { return pvis() || traits().board_interrupt; }
// R R: the debugger follows a raster line on this machine.
bool raster_target() { return has_cpu() && dbg_machine_has_raster(); }
bool debugger_shown() { return view_debugger[display_mode] != 0; }
bool cpu_monitor() { return traits().cpu_monitor; }
bool psg() { return map_traits().psg; }
bool video_monitor() { return mon_video_available(); }
bool music() { return video_chip() || traits().musical_keyboard || known_game_id == 616; }
bool netplay() { return traits().netplay; }
bool controls_window() { return traits().controls_window; }
bool dip_switches() { return map_traits().dip_switches; }
bool force_feedback() { return map_traits().force_feedback; }
bool cassette() { return traits().cassette; }
bool instruments() { return traits().instruments; }
bool papertape() { return traits().has_papertape; }
bool printer() { return traits().has_printer; }
bool cartridge_console() { return traits().cartridge_console; }
bool pvi_console() { return traits().pvi_console; }
bool uvi() { return traits().uvi; }
bool text_screen() { return traits().text_screen; }
bool echo_console() { return traits().echo_console; }
bool self_test() { return holds(machine_row().self_test); }
bool randomize_memory() { return traits().randomize_memory; }
bool scanline_filter() {
    return traits().scanlines != ScanlineStyle::NONE && display_filter != 0 &&
           display_picture_scale() != 1;
}
bool blanking_areas() { return holds(machine_view().blanking_areas); }
bool blinking_cursor() { return traits().blinking_cursor; }
bool fill_intersections() { return traits().fill_intersections; }
bool udg_characters() { return traits().udg_characters; }
bool may_rotate() { return !memmap_is_empty(memmap) && memmap_desc().may_rotate; }
bool unlit_leds() { return traits().unlit_leds; }
bool show_leds() { return traits().show_leds; }
bool analog_guest() { return traits().analog_guest; }
bool show_positions() { return traits().show_positions; }
bool analog_paddles() { return traits().paddles && analog; }
bool swappable() { return row_of_machine().swappable; }
bool redefine_keys() { return traits().redefine_keys; }
bool lowercase_input() { return holds(machine_row().lowercase_input); }
bool mouse_controller() { return controller_left == 1 || controller_right == 1; }
bool erase_deleted() { return holds(machine_view().erase_deleted); }
bool coinop() { return row_of_machine().coinop; }
bool queue_keystrokes() { return traits().queue_keystrokes; }
bool ambient_sounds() { return traits().ambient_sounds; }
bool retune_voices() { return video_chip() || traits().retune; }
bool lives_trainer() { return traits().trainer_lives; }
bool time_trainer() { return traits().trainer_time; }
bool skip_level() { return map_traits().skip_level; }
bool game_info() { return !(known_game_id < 0 && game_info_fields[0][0] == '-'); }
bool debug_graphics() { return traits().debug_graphics; }
bool draw_tables() { return traits().draw_tables; }
bool bios_choice() { return traits().bios_last >= traits().bios_first; }
bool dos_choice() { return traits().dos_last >= traits().dos_first; }
bool vdu_choice() { return traits().vdu_last >= traits().vdu_first; }
// By the picture's scale: a zoomed machine is magnified at scale 1 too.
bool scaled() { return display_picture_scale() > 1; }
bool filters() { return display_picture_scale() >= 2 && display_picture_scale() <= 4; }
bool keyboard_layouts() { return traits().keyboard_layouts; }
bool region_choice() { return traits().region_choice && idle(); }
bool pixel_based() { return traits().pixel_based; }
bool second_joystick() { return map_traits().second_joystick; }
bool pads() { return pvis() || traits().pad_controllers; }
// The analogue joystick and both analogue gamepads: on every machine whose
// players have controllers (the bats and the coin-op boards' paddles follow a
// stick too), while the host's controller layer reads analogue sticks.
bool analog_joystick() { return pads() && input_analog_host(); }
bool palette_closed() { return !gui_tool_window_open(TW_PALETTE); }
bool never() { return false; }

// Rows ghosted by a state of the machine that has their feature: the reason
// names that state.
struct StateReason {
    bool (*usable)();
    bool (*feature)(); // the machine has what the row works on; nullptr: every machine
    const char* text;
};
bool paddles() { return traits().paddles; }
constexpr StateReason state_reasons[] = {
    {file_to_revert, nullptr, "nothing to revert to"},
    {analog_paddles, paddles, "\"Analog for guest?\" is off"},
};

// Radio items whose value is one of the machine's ranges (BIOS, DOS, VDU).
bool in_bios(int c) { return within(c, traits().bios_first, traits().bios_last) && idle(); }
bool in_dos(int c) { return within(c, traits().dos_first, traits().dos_last); }
bool in_vdu(int c) { return within(c, traits().vdu_first, traits().vdu_last); }
template <int C> bool bios_at() { return in_bios(C); }
template <int C> bool dos_at() { return in_dos(C); }
template <int C> bool vdu_at() { return in_vdu(C); }
template <int N> bool drive_at() { return row_of_machine().drives > N; }
template <int K> bool recent_at() { return K < recent_count; }

// ---- the ticks --------------------------------------------------------------------------

template <auto* Option> int tick_of(const CmdRow&) {
    return *Option != 0;
}
int tick_arg(const CmdRow& row) {
    return *static_cast<const u32*>(row.arg) != 0;
}
int tick_view(const CmdRow& row) {
    return static_cast<const u32*>(row.arg)[display_mode] != 0;
}
int tick_off(const CmdRow&) {
    return 0;
}
int tick_server(const CmdRow&) { return net_mode == NET_SERVER; }
int tick_client(const CmdRow&) { return net_mode == NET_CLIENT; }
int tick_narrow(const CmdRow&) { return display_aspect == 1; }
int tick_lowercase(const CmdRow&) { return lowercase != 0; }
int tick_screen_edit(const CmdRow&) { return screen_edit_mode != 0; }
int tick_paused(const CmdRow&) { return emu_paused; }
// Radio items: ticked when the option holds the row's value.
template <auto* Option> int tick_value(const CmdRow& row) {
    return static_cast<long long>(*Option) == row.value;
}
int tick_draw(const CmdRow& row) { return draw_mode == row.value; }
int tick_sprite_mode(const CmdRow& row) { return sprite_mode == row.value; }
int tick_frame_based(const CmdRow& row) { return (framebased != 0) == (row.value != 0); }
int tick_machine(const CmdRow& row) {
    return !memmap_is_empty(memmap) && memmap_desc().menu_item == row.check;
}

// ---- row builders -----------------------------------------------------------------------

constexpr CmdRow item(Cmd c, int plain, CmdHandler run, bool (*usable)() = nullptr, u8 flags = 0) {
    return {c, static_cast<std::int16_t>(plain), -1, flags, usable, nullptr, run, nullptr, 0};
}
constexpr CmdRow unbuilt(Cmd c, int plain, bool (*usable)() = nullptr, u8 flags = 0) {
    return {c, static_cast<std::int16_t>(plain), -1, static_cast<u8>(flags | CF_UNBUILT), usable, nullptr,
            nullptr, nullptr, 0};
}
constexpr CmdRow menu(Cmd c, int plain, bool (*usable)() = nullptr, u8 flags = 0) {
    return {c, static_cast<std::int16_t>(plain), -1, flags, usable, nullptr, nullptr, nullptr, 0};
}
constexpr CmdRow toggle(Cmd c, int plain, u32* option, bool (*usable)() = nullptr,
                        CmdHandler run = act_toggle, u8 flags = 0) {
    return {c, static_cast<std::int16_t>(plain), -1, flags, usable, tick_arg, run, option, 0};
}
constexpr CmdRow ticked(Cmd c, int plain, CmdHandler run, int (*tick)(const CmdRow&),
                        bool (*usable)() = nullptr, u8 flags = 0) {
    return {c, static_cast<std::int16_t>(plain), -1, flags, usable, tick, run, nullptr, 0};
}
constexpr CmdRow view(Cmd c, int plain, u32* views, CmdHandler run, bool (*usable)() = nullptr) {
    return {c, static_cast<std::int16_t>(plain), -1, CF_STATE | CF_WINDOW, usable, tick_view, run, views, 0};
}
constexpr CmdRow line(Cmd c, int plain, const char* text, bool prefill,
                      bool (*usable)() = has_cpu, int (*tick)(const CmdRow&) = nullptr,
                      u8 flags = 0) {
    return {c, static_cast<std::int16_t>(plain), -1, flags, usable, tick, act_debug_line, text, prefill};
}
constexpr CmdRow window(Cmd c, int plain, ToolWindow w, bool (*usable)() = nullptr, u8 flags = 0) {
    return {c, static_cast<std::int16_t>(plain), -1, flags, usable, nullptr, act_open_window, nullptr, w};
}
constexpr CmdRow radio(Cmd c, int check, i32 value, CmdHandler run,
                       int (*tick)(const CmdRow&), bool (*usable)() = nullptr, u8 flags = 0,
                       const char* arg = nullptr) {
    return {c, -1, static_cast<std::int16_t>(check), flags, usable, tick, run, arg, value};
}
constexpr CmdRow picture(Cmd c, int plain, int kind) {
    return {c, static_cast<std::int16_t>(plain), -1, 0, nullptr, nullptr, act_save_picture, nullptr, kind};
}
constexpr CmdRow recent(Cmd c, int k, bool (*usable)()) {
    // A recent file loads as Open does: only between frames.
    return {c, static_cast<std::int16_t>(19 + k), -1, CF_FRAME | CF_STATE,
            usable, nullptr, act_recent, nullptr, k};
}

} // namespace

// clang-format off
const CmdRow cmd_rows[CMD_COUNT] = {
    item(Cmd::PROJECT_RESETTOGAME, 0, act_reset, nullptr, CF_FRAME),
    item(Cmd::PROJECT_JUMPTOBIOS, 1, act_jump_to_bios, jump_to_bios),
    item(Cmd::PROJECT_REINITIALIZE, 2, act_reinitialize, nullptr, CF_FRAME),
    item(Cmd::PROJECT_OPEN, 3, act_open, nullptr, CF_FRAME),
    item(Cmd::PROJECT_REVERT, 4, act_revert, file_to_revert, CF_FRAME | CF_STATE),
    item(Cmd::PROJECT_QUICKLOAD, 5, act_quickload, nullptr, CF_FRAME),
    item(Cmd::PROJECT_SAVECOS, 6, act_save_state_as, nullptr, CF_FRAME),
    picture(Cmd::PROJECT_SAVESCRN_ACBM, 7, KIND_ACBM),
    picture(Cmd::PROJECT_SAVESCRN_ILBM, 8, KIND_ILBM),
    picture(Cmd::PROJECT_SAVESCRN_BMP, 9, KIND_BMP),
    picture(Cmd::PROJECT_SAVESCRN_GIF, 10, KIND_GIF),
    picture(Cmd::PROJECT_SAVESCRN_PCX, 11, KIND_PCX),
    picture(Cmd::PROJECT_SAVESCRN_PNG, 12, KIND_PNG),
    picture(Cmd::PROJECT_SAVESCRN_TIFF, 13, KIND_TIFF),
    item(Cmd::PROJECT_SAVESCRN_ASCII, 14, act_export_screen_text, screen_text),
    item(Cmd::PROJECT_SAVESCRN_ASM, 15, act_save_screen_asm, console_screen),
    item(Cmd::PROJECT_QUICKSAVE, 16, act_quicksave, nullptr, CF_FRAME),
    item(Cmd::PROJECT_AUDIT, 17, act_audit),
    recent(Cmd::PROJECT_RECENT1, 0, recent_at<0>),
    recent(Cmd::PROJECT_RECENT2, 1, recent_at<1>),
    recent(Cmd::PROJECT_RECENT3, 2, recent_at<2>),
    recent(Cmd::PROJECT_RECENT4, 3, recent_at<3>),
    recent(Cmd::PROJECT_RECENT5, 4, recent_at<4>),
    recent(Cmd::PROJECT_RECENT6, 5, recent_at<5>),
    recent(Cmd::PROJECT_RECENT7, 6, recent_at<6>),
    recent(Cmd::PROJECT_RECENT8, 7, recent_at<7>),
    item(Cmd::PROJECT_ICONIFY, 27, act_iconify, can_iconify, CF_STATE | CF_WINDOW),
    item(Cmd::PROJECT_UNICONIFY, 28, act_uniconify, is_iconified, CF_STATE),
    item(Cmd::PROJECT_QUIT, 29, act_quit),
    window(Cmd::EDIT_MEMORY, 30, TW_MEMORY, has_cpu),
    window(Cmd::EDIT_PALETTE, 31, TW_PALETTE),
    ticked(Cmd::EDIT_SCREEN, 32, act_screen_edit, tick_screen_edit, screen_editing, CF_WINDOW),
    window(Cmd::EDIT_SPRITES, 33, TW_SPRITES, has_glyphs),
    item(Cmd::EDIT_COPYSCREEN, 34, act_copy_screenshot),
    item(Cmd::EDIT_COPYTEXT, 35, act_copy_text, screen_text),
    item(Cmd::EDIT_PASTETEXT, 36, act_paste_text, pasting, CF_STATE),
    item(Cmd::EDIT_EMPTYCLIPBOARD, 37, act_empty_clipboard),
    item(Cmd::VIEW_HIGHSCORES, 38, act_high_scores, hiscores),
    view(Cmd::VIEW_DEBUGGER, 39, view_debugger, act_view_then<after_view_debugger>, windowed),
    unbuilt(Cmd::VIEW_MENUBAR, 40),
    view(Cmd::VIEW_POINTER, 41, view_pointer, act_view_then<after_view_pointer>),
    view(Cmd::VIEW_SIDEBAR, 42, view_gamelist, act_view_then<after_view_sidebar>, windowed),
    view(Cmd::VIEW_STATUSBAR, 43, view_statusbar, act_view_then<after_view_bars>, windowed),
    view(Cmd::VIEW_TITLEBAR, 44, view_titlebar, act_view_then<after_view_bars>, windowed),
    view(Cmd::VIEW_TOOLBAR, 45, view_toolbar, act_view_then<after_view_bars>, windowed),
    toggle(Cmd::VIEW_BUILTINGAMES, 46, &viewbuiltin, windowed, act_builtin_games, CF_STATE),
    item(Cmd::MACRO_STARTRECORDING, 47, act_start_recording, not_recording, CF_FRAME | CF_STATE),
    item(Cmd::MACRO_RESTARTPLAYBACK, 48, act_restart_playback, playing_back, CF_FRAME | CF_STATE),
    item(Cmd::MACRO_STOP, 49, act_stop_recorders, recorder_busy, CF_FRAME | CF_STATE),
    toggle(Cmd::MACRO_LOOP, 50, &loop),
    toggle(Cmd::MACRO_ANIMS_ANIM, 51, &generateanim, idle, act_toggle, CF_STATE),
    toggle(Cmd::MACRO_ANIMS_GIF, 52, &generategif, idle, act_toggle, CF_STATE),
    toggle(Cmd::MACRO_ANIMS_MNG, 53, &generatemng, idle, act_toggle, CF_STATE),
    toggle(Cmd::MACRO_ANIMS_APNG, 54, &generatepng, idle, act_toggle, CF_STATE),
    toggle(Cmd::MACRO_SOUNDS_8SVX, 55, &generate8svx, sound_files),
    toggle(Cmd::MACRO_SOUNDS_AIFF, 56, &generateaiff, sound_files),
    toggle(Cmd::MACRO_SOUNDS_SMUS, 57, &generatesmus, sound_files),
    toggle(Cmd::MACRO_SOUNDS_MIDI, 58, &generatemidi, sound_files),
    toggle(Cmd::MACRO_SOUNDS_PSG, 59, &generatepsg, psg_files),
    toggle(Cmd::MACRO_SOUNDS_WAV, 60, &generatewav, sound_files),
    toggle(Cmd::MACRO_SOUNDS_YM, 61, &generateym, psg_files),
    toggle(Cmd::MACRO_GENERATE, 62, &generate, idle, act_toggle, CF_STATE),
    item(Cmd::MACRO_RUNREXX, 63, act_run_script),
    item(Cmd::MACRO_REPEATREXX, 64, act_repeat_script, script_named, CF_STATE),
    line(Cmd::DEBUG_MESSAGE, 65, "\"", true, netplay_on, nullptr, CF_STATE),
    line(Cmd::DEBUG_CLEARCOV, 66, "CLEARCOV", false),
    line(Cmd::DEBUG_CLS, 67, "CLS", false, nullptr),
    line(Cmd::DEBUG_HELP, 68, "HELP ", true, nullptr),
    // The host has no speech facility.
    line(Cmd::DEBUG_SPEAK, 69, "SAY ", true, speech_on, nullptr, CF_UNBUILT),
    line(Cmd::DEBUG_SYSTEM, 70, "SYSTEM", true, nullptr),
    line(Cmd::DEBUG_SHELL, 71, "*", true, nullptr),
    line(Cmd::DEBUG_ASM, 72, "ASM ", true),
    line(Cmd::DEBUG_DISGAME, 73, "DISGAME ", true),
    line(Cmd::DEBUG_EDIT, 74, "EDIT ", true, nullptr),
    line(Cmd::DEBUG_LOADBIN, 75, "LOADBIN ", true),
    item(Cmd::DEBUG_SAVEAOF, 76, act_object_save, object_files),
    line(Cmd::DEBUG_SAVEBIN, 77, "SAVEBIN ", true),
    line(Cmd::DEBUG_SAVEBPNF, 78, "SAVEBPNF ", true),
    item(Cmd::DEBUG_SAVEIMAG, 79, act_disk_save, has_drives),
    line(Cmd::DEBUG_SAVEHEX, 80, "SAVEHEX ", true),
    line(Cmd::DEBUG_SAVESMS, 81, "SAVESMS ", true),
    line(Cmd::DEBUG_SAVETVC, 82, "SAVETVC ", true, tvc_files),
    line(Cmd::DEBUG_DELETE, 83, "DELETE ", true, drive_ready),
    line(Cmd::DEBUG_LDIR, 84, "DIR", false, drive_ready),
    line(Cmd::DEBUG_EXTRACT, 85, "EXTRACT ", true, drive_ready),
    line(Cmd::DEBUG_INJECT, 86, "INJECT ", true, drive_ready),
    line(Cmd::DEBUG_RENAME, 87, "RENAME ", true, drive_ready),
    line(Cmd::DEBUG_DOKE, 89, "DOKE ", true),
    line(Cmd::DEBUG_POKE, 90, "POKE ", true),
    line(Cmd::DEBUG_FPOKE, 91, "FPOKE ", true, drive_ready),
    line(Cmd::DEBUG_WRITEPORT, 92, "WRITEPORT ", true),
    line(Cmd::DEBUG_LABELS, 93, "= ", true),
    line(Cmd::DEBUG_COVER, 94, "COVER ", true),
    line(Cmd::DEBUG_PEEK, 95, "PEEK ", true),
    line(Cmd::DEBUG_DIS, 96, "DIS ", true),
    line(Cmd::DEBUG_ERROR, 97, "ERROR ", true, dos_errors),
    line(Cmd::DEBUG_FPEEK, 98, "FPEEK ", true, drive_ready),
    line(Cmd::DEBUG_HISTORY, 99, "HISTORY", false, nullptr),
    line(Cmd::DEBUG_IM, 100, "IM ", true),
    line(Cmd::DEBUG_READPORT, 101, "READPORT ", true),
    line(Cmd::DEBUG_VIEW_BASIC, 102, "VIEW BASIC", false, basic_view),
    line(Cmd::DEBUG_VIEW_BIOS, 103, "VIEW BIOS", false, bios_view),
    line(Cmd::DEBUG_VIEW_CPU, 104, "VIEW CPU", false),
    line(Cmd::DEBUG_VIEW_PSG, 105, "VIEW PSG", false, psg_view),
    line(Cmd::DEBUG_VIEW_RAM, 106, "VIEW RAM", false),
    line(Cmd::DEBUG_VIEW_SCRN, 107, "VIEW SCRN", false, screen_view),
    line(Cmd::DEBUG_VIEW_UDG, 108, "VIEW UDG", false, udg_view),
    line(Cmd::DEBUG_VIEW_XVI, 109, "VIEW XVI", false, video_chip),
    line(Cmd::DEBUG_L_A, 110, "L A", false, has_cpu, tick_of<&logreadwrites>),
    line(Cmd::DEBUG_L_B, 111, "L B", false, bios_log, tick_of<&logbios>),
    line(Cmd::DEBUG_L_C, 112, "L C", false, has_cpu, tick_of<&loginefficient>),
    line(Cmd::DEBUG_L_I, 113, "L I", false, has_cpu, tick_of<&logillegal>),
    line(Cmd::DEBUG_L_N, 114, "L N", false, has_cpu, tick_of<&loginterrupts>),
    line(Cmd::DEBUG_L_S, 115, "L S", false, has_cpu, tick_of<&logsubroutines>),
    line(Cmd::DEBUG_PL, 116, "PL", false, has_cpu, tick_of<&pauselog>),
    line(Cmd::DEBUG_T, 117, "T", false, has_cpu, tick_of<&cpu_tracing>),
    item(Cmd::DEBUG_G, 118, act_go),
    line(Cmd::DEBUG_GI, 119, "GI", false, interrupts),
    line(Cmd::DEBUG_I, 120, "I", false),
    line(Cmd::DEBUG_JUMP, 121, "JUMP ", true),
    line(Cmd::DEBUG_O, 122, "O", false),
    line(Cmd::DEBUG_S, 123, "S", false),
    line(Cmd::DEBUG_R, 124, "R ", true, has_cpu, tick_off),
    line(Cmd::DEBUG_R_F, 125, "R F", false, nullptr, tick_off),
    line(Cmd::DEBUG_R_I, 126, "R I", false, interrupt_target, tick_off),
    line(Cmd::DEBUG_R_L, 127, "R L", false, has_cpu, tick_off),
    line(Cmd::DEBUG_R_R, 128, "R R", false, raster_target, tick_off),
    line(Cmd::DEBUG_R_S, 129, "R S", false, has_cpu, tick_off),
    line(Cmd::DEBUG_BP, 130, "BP ", true),
    line(Cmd::DEBUG_BC, 131, "BC ", true),
    line(Cmd::DEBUG_BL, 132, "BL", false),
    line(Cmd::DEBUG_FP, 133, "FP ", true, has_drives),
    line(Cmd::DEBUG_FC, 134, "FC ", true, has_drives),
    line(Cmd::DEBUG_FL, 135, "FL", false, has_drives),
    line(Cmd::DEBUG_IP, 136, "IP ", true),
    line(Cmd::DEBUG_IC, 137, "IC ", true),
    line(Cmd::DEBUG_IL, 138, "IL", false),
    line(Cmd::DEBUG_WP, 139, "WP ", true),
    line(Cmd::DEBUG_WC, 140, "WC ", true),
    line(Cmd::DEBUG_WL, 141, "WL", false),
    line(Cmd::DEBUG_PB, 142, "PB", false, has_cpu, tick_of<&pausebreak>),
    line(Cmd::DEBUG_WR, 143, "WR", false, has_cpu, tick_of<&watchreads>),
    line(Cmd::DEBUG_CLEARSYM, 145, "CLEARSYM ", true),
    line(Cmd::DEBUG_DEFSYM, 146, "DEFSYM ", true),
    line(Cmd::DEBUG_LOADSYM, 147, "LOADSYM ", true),
    line(Cmd::DEBUG_SAVESYM, 148, "SAVESYM ", true),
    line(Cmd::DEBUG_COMP, 149, "COMP ", true),
    line(Cmd::DEBUG_COPY, 150, "COPY ", true),
    line(Cmd::DEBUG_FILL, 151, "FILL ", true),
    line(Cmd::DEBUG_FIND, 152, "FIND ", true),
    line(Cmd::DEBUG_REL, 153, "REL ", true),
    line(Cmd::DEBUG_SWAP, 154, "SWAP ", true),
    line(Cmd::DEBUG_TRAIN, 155, "TRAIN ", true),
    line(Cmd::DEBUG_GR, 161, "GR", false, raster_display, tick_of<&guidepixel>),
    line(Cmd::DEBUG_WARN, 162, "WARN", false, has_cpu, tick_of<&warn>),
    item(Cmd::DEBUG_DEBUGGER, 165, act_activate_debugger, debugger_shown, CF_STATE | CF_WINDOW),
    window(Cmd::TOOLS_CPU, 166, TW_CPU, cpu_monitor),
    window(Cmd::TOOLS_PSG, 167, TW_PSG, psg),
    window(Cmd::TOOLS_XVI, 168, TW_VIDEO_CHIP, video_monitor),
    window(Cmd::TOOLS_MUSIC, 169, TW_MUSIC, music),
    {Cmd::TOOLS_SERVER, 170, -1, CF_FRAME | CF_LINK, netplay, tick_server, act_netplay, nullptr, NET_SERVER},
    {Cmd::TOOLS_CLIENT, 171, -1, CF_FRAME | CF_LINK, netplay, tick_client, act_netplay, nullptr, NET_CLIENT},
    unbuilt(Cmd::TOOLS_RETROACHIEVEMENTS, 172),
    window(Cmd::PERIPHERALS_CONTROLS, 173, TW_CONTROLS, controls_window),
    window(Cmd::PERIPHERALS_DIPSWITCHES, 174, TW_DIPS, dip_switches),
    toggle(Cmd::PERIPHERALS_LEFT_AUTOFIRE, 176, &autofire_left, autofire, act_toggle_then<after_autofire_left>),
    toggle(Cmd::PERIPHERALS_LEFT_REQUIREBUTTON, 177, &requirebutton_left, autofire),
    toggle(Cmd::PERIPHERALS_LEFT_FORCEFEEDBACK, 178, &forcefeedback_left, force_feedback, act_force_feedback),
    toggle(Cmd::PERIPHERALS_RIGHT_AUTOFIRE, 180, &autofire_right, autofire, act_toggle_then<after_autofire_right>),
    toggle(Cmd::PERIPHERALS_RIGHT_REQUIREBUTTON, 181, &requirebutton_right, autofire),
    toggle(Cmd::PERIPHERALS_RIGHT_FORCEFEEDBACK, 182, &forcefeedback_right, force_feedback, act_force_feedback),
    window(Cmd::PERIPHERALS_TAPEDECK, 183, TW_TAPE, cassette),
    window(Cmd::PERIPHERALS_FLOPPYDRIVE, 184, TW_FLOPPY, has_drives),
    window(Cmd::PERIPHERALS_INDUSTRIAL, 185, TW_INSTRUMENTS, instruments),
    window(Cmd::PERIPHERALS_PAPERTAPE, 186, TW_PAPERTAPE, papertape),
    window(Cmd::PERIPHERALS_PRINTER, 187, TW_PRINTER, printer),
    toggle(Cmd::SETTINGS_COLOURS_ARTEFACTS, 194, &artefacts, cartridge_console),
    toggle(Cmd::SETTINGS_COLOURS_DARKENBG, 195, &darkenbg, pvi_console),
    toggle(Cmd::SETTINGS_COLOURS_FLAGLINE, 196, &flagline, uvi),
    toggle(Cmd::SETTINGS_COLOURS_INVERSE, 197, &inversevideo, text_screen, act_toggle_then<after_inverse_video>),
    toggle(Cmd::SETTINGS_EMULATOR_AUTOSAVE, 202, &autosave),
    toggle(Cmd::SETTINGS_EMULATOR_UPDATES, 203, &startupupdates),
    toggle(Cmd::SETTINGS_EMULATOR_CONFIRMQUIT, 204, &confirmquit),
    toggle(Cmd::SETTINGS_EMULATOR_ICONS, 205, &createicons),
    toggle(Cmd::SETTINGS_EMULATOR_CONSOLE, 206, &echoconsole, echo_console),
    toggle(Cmd::SETTINGS_EMULATOR_IDENTIFY, 207, &identifyemulator, has_cpu),
    toggle(Cmd::SETTINGS_EMULATOR_POST, 208, &post, self_test, act_toggle_then<after_self_test>),
    toggle(Cmd::SETTINGS_EMULATOR_RANDOMIZE, 209, &randomizememory, randomize_memory),
    toggle(Cmd::SETTINGS_EMULATOR_SENSEGAME, 210, &sensegame),
    toggle(Cmd::SETTINGS_EMULATOR_SHOWTIPS, 211, &show_tips),
    toggle(Cmd::SETTINGS_EMULATOR_STUBS, 212, &stubprograms, cartridge_console),
    item(Cmd::SETTINGS_EMULATOR_PATHS, 215, act_choose_paths),
    toggle(Cmd::SETTINGS_FILTERS_SCANLINES, 217, &scanlines, scanline_filter, act_toggle_then<after_scanlines>),
    unbuilt(Cmd::SETTINGS_FILTERS_STRETCHWINDOWED, 218),
    unbuilt(Cmd::SETTINGS_GRAPHICS_BEZEL, 221),
    toggle(Cmd::SETTINGS_GRAPHICS_BLANKING, 222, &blankingareas, blanking_areas, act_toggle_then<after_blanking>, CF_FRAME),
    toggle(Cmd::SETTINGS_GRAPHICS_BLINK, 223, &pipbug_blink, blinking_cursor),
    toggle(Cmd::SETTINGS_GRAPHICS_DEJITTER, 224, &dejitter, console_screen),
    unbuilt(Cmd::SETTINGS_GRAPHICS_SKIES, 225),
    toggle(Cmd::SETTINGS_GRAPHICS_INTERSECTIONS, 226, &drawcorners, fill_intersections),
    toggle(Cmd::SETTINGS_GRAPHICS_FULLSCREEN, 227, &fullscreen, nullptr, act_toggle_then<after_full_screen>),
    toggle(Cmd::SETTINGS_GRAPHICS_INVERTFLASHED, 228, &invertflashed, udg_characters),
    ticked(Cmd::SETTINGS_GRAPHICS_NARROW, 229, act_narrow, tick_narrow, windowed, CF_STATE),
    toggle(Cmd::SETTINGS_GRAPHICS_ROTATE, 230, &rotatescreen, may_rotate, act_toggle_then<after_rotation>),
    toggle(Cmd::SETTINGS_GRAPHICS_UNLIT, 231, &drawunlit, unlit_leds),
    toggle(Cmd::SETTINGS_GRAPHICS_SHOWLEDS, 232, &showleds, show_leds, act_toggle_then<after_show_leds>),
    toggle(Cmd::SETTINGS_INPUT_ANALOG, 233, &analog, analog_guest, act_toggle_then<after_analog>),
    toggle(Cmd::SETTINGS_INPUT_POSITIONS, 234, &showpositions, show_positions),
    toggle(Cmd::SETTINGS_INPUT_SPRINGS, 235, &springloaded, analog_paddles),
    toggle(Cmd::SETTINGS_INPUT_SWAPPED, 236, &swapped, swappable, act_toggle_then<after_swapped>),
    unbuilt(Cmd::SETTINGS_INPUT_CALIBRATE, 237),
    item(Cmd::SETTINGS_INPUT_REARRANGE, 238, act_gamepad_buttons, swappable),
    item(Cmd::SETTINGS_INPUT_REDEFINE, 239, act_redefine_keys, redefine_keys),
    item(Cmd::SETTINGS_INPUT_SENSITIVITY, 240, act_sensitivity, analog_paddles),
    ticked(Cmd::SETTINGS_INPUT_LOWERCASE, 241, act_lowercase, tick_lowercase, lowercase_input),
    toggle(Cmd::SETTINGS_INPUT_CONFINE, 242, &confinepointer, mouse_controller, act_toggle_then<after_confine>, CF_STATE),
    toggle(Cmd::SETTINGS_INPUT_ERASEDELETED, 243, &erasedeleted, erase_deleted),
    toggle(Cmd::SETTINGS_INPUT_AUTOCOIN, 244, &autocoin, coinop),
    toggle(Cmd::SETTINGS_INPUT_GUESTRMB, 245, &guestrmb, nullptr, act_toggle_then<after_guestrmb>),
    toggle(Cmd::SETTINGS_INPUT_QUEUEKEYSTROKES, 246, &queuekeystrokes, queue_keystrokes),
    toggle(Cmd::SETTINGS_SOUND_ENABLED, 250, &snd_enabled, nullptr, act_toggle_then<after_sound>),
    item(Cmd::SETTINGS_SOUND_ADJUST, 251, act_adjust_sound),
    toggle(Cmd::SETTINGS_SOUND_AMBIENT, 252, &teletypesounds, ambient_sounds, act_ambient_sounds),
    toggle(Cmd::SETTINGS_SOUND_FILTERED, 253, &led_filter),
    toggle(Cmd::SETTINGS_SOUND_RETUNE, 254, &retune, retune_voices),
    unbuilt(Cmd::SETTINGS_SOUND_OUTPUT, 255),
    window(Cmd::SETTINGS_SPEED_ADJUST, 256, TW_SPEED),
    ticked(Cmd::SETTINGS_SPEED_PAUSED, 257, act_pause, tick_paused),
    toggle(Cmd::SETTINGS_SPEED_AUTOPAUSE, 258, &autopause),
    toggle(Cmd::SETTINGS_SPEED_EXACT, 259, &exactspeed, nullptr, act_toggle_then<after_exact_speed>),
    toggle(Cmd::SETTINGS_SPEED_LIMITREFRESHES, 260, &limitrefreshes),
    toggle(Cmd::SETTINGS_SPEED_TURBO, 261, &turbo, nullptr, act_toggle_then<after_turbo>),
    toggle(Cmd::SETTINGS_SPRITES_COLLISIONS, 264, &collisions, sprites, act_toggle_then<after_collisions>),
    toggle(Cmd::SETTINGS_TRAINERS_CHEATLIVES, 266, &trainer_lives, lives_trainer, act_toggle_then<after_trainer>),
    toggle(Cmd::SETTINGS_TRAINERS_CHEATTIME, 267, &trainer_time, time_trainer, act_toggle_then<after_trainer>),
    toggle(Cmd::SETTINGS_TRAINERS_INVINCIBILITY, 268, &trainer_invincibility, lives_trainer, act_toggle_then<after_trainer>),
    item(Cmd::SETTINGS_TRAINERS_SKIPLEVEL, 269, act_skip_level, skip_level, CF_FRAME),
    window(Cmd::HELP_GAMEINFO, 272, TW_GAMEINFO, game_info, CF_STATE), // no game known: not now
    window(Cmd::HELP_HOSTPADS, 273, TW_HOST_PADS, host_pads_available), // the video-game machines
    window(Cmd::HELP_HOSTKYBD, 274, TW_HOST_KEYBOARD),
    window(Cmd::HELP_OPCODES, 275, TW_OPCODES, has_cpu),
    item(Cmd::HELP_CODINGGUIDE, 276, act_coding_guide),
    item(Cmd::HELP_GAMINGGUIDE, 277, act_gaming_guide),
    item(Cmd::HELP_MANUAL, 278, act_manual),
    item(Cmd::HELP_UPDATE, 279, act_check_updates, update_server_known, CF_STATE),
    item(Cmd::HELP_REACTION, 280, act_about_toolkit),
    item(Cmd::HELP_ABOUT, 281, act_about),
    menu(Cmd::MENU_PROJECT, 283),
    menu(Cmd::MENU_EDIT, 284),
    menu(Cmd::MENU_VIEW, 285),
    menu(Cmd::MENU_MACROS, 286),
    menu(Cmd::MENU_DEBUG, 287, debugger_shown, CF_STATE),
    menu(Cmd::MENU_TOOLS, 288),
    menu(Cmd::MENU_PERIPHERALS, 289),
    menu(Cmd::MENU_SETTINGS, 290),
    menu(Cmd::MENU_HELP, 291),
    menu(Cmd::SUBMENU_GENERATE_ANIMATIONS, 294),
    menu(Cmd::SUBMENU_GENERATE_SOUND_FILES, 295),
    menu(Cmd::SUBMENU_DEBUG_GENERAL, 296),
    menu(Cmd::SUBMENU_DEBUG_PROJECT, 297),
    menu(Cmd::SUBMENU_DEBUG_DISK, 298, has_drives),
    menu(Cmd::SUBMENU_DEBUG_EDIT, 299, has_cpu),
    menu(Cmd::SUBMENU_DEBUG_VIEW, 300),
    menu(Cmd::SUBMENU_DEBUG_LOG, 301, has_cpu),
    menu(Cmd::SUBMENU_DEBUG_RUN, 302),
    menu(Cmd::SUBMENU_DEBUG_BREAKPOINTS, 303, has_cpu),
    menu(Cmd::SUBMENU_DEBUG_SYMBOLS, 304, has_cpu),
    menu(Cmd::SUBMENU_DEBUG_TOOLS, 305, has_cpu),
    menu(Cmd::SUBMENU_DEBUG_SETTINGS, 306, has_cpu),
    menu(Cmd::SUBMENU_DEBUG_GRAPHICS, 307, debug_graphics),
    menu(Cmd::SUBMENU_LEFT_CONTROLLER, 308, swappable),
    menu(Cmd::SUBMENU_RIGHT_CONTROLLER, 309, swappable),
    menu(Cmd::SUBMENU_BIOS, 310, bios_choice),
    menu(Cmd::SUBMENU_DOS, 311, dos_choice),
    menu(Cmd::SUBMENU_FILTERS, 312, scaled, CF_STATE),
    menu(Cmd::SUBMENU_MACHINE, 313, nullptr, CF_FRAME),
    menu(Cmd::SUBMENU_SPRITES, 314, sprites),
    menu(Cmd::SUBMENU_TRAINERS, 315, time_trainer),
    menu(Cmd::SUBMENU_VDU, 316, vdu_choice),
    radio(Cmd::VIEW_SORTBY_NAME, 0, 0, act_sort_by, tick_value<&games_sort_by>),
    radio(Cmd::VIEW_SORTBY_MACHINE, 1, 1, act_sort_by, tick_value<&games_sort_by>),
    radio(Cmd::VIEW_INDICATOR_FPS, 2, 0, act_speed_as, tick_value<&viewspeedas>),
    radio(Cmd::VIEW_INDICATOR_KHZ, 3, 2, act_speed_as, tick_value<&viewspeedas>),
    radio(Cmd::VIEW_INDICATOR_PERCENTAGE, 4, 1, act_speed_as, tick_value<&viewspeedas>),
    radio(Cmd::DEBUG_DRIVE_0, 5, 0, act_debug_radio, tick_value<&debugger_drive>, drive_at<0>, 0, "DRIVE 0"),
    radio(Cmd::DEBUG_DRIVE_1, 6, 1, act_debug_radio, tick_value<&debugger_drive>, drive_at<1>, 0, "DRIVE 1"),
    radio(Cmd::DEBUG_DRIVE_2, 7, 2, act_debug_radio, tick_value<&debugger_drive>, drive_at<2>, 0, "DRIVE 2"),
    radio(Cmd::DEBUG_DRIVE_3, 8, 3, act_debug_radio, tick_value<&debugger_drive>, drive_at<3>, 0, "DRIVE 3"),
    radio(Cmd::DEBUG_WW_NONE, 9, 0, act_debug_radio, tick_value<&watchwrites>, has_cpu, 0, "WW NONE"),
    radio(Cmd::DEBUG_WW_SOME, 10, 1, act_debug_radio, tick_value<&watchwrites>, has_cpu, 0, "WW SOME"),
    radio(Cmd::DEBUG_WW_ALL, 11, 2, act_debug_radio, tick_value<&watchwrites>, has_cpu, 0, "WW ALL"),
    radio(Cmd::DEBUG_BASE_2, 12, 0, act_debug_radio, tick_value<&dbg_base>, has_cpu, 0, "BASE 2"),
    radio(Cmd::DEBUG_BASE_8, 13, 1, act_debug_radio, tick_value<&dbg_base>, has_cpu, 0, "BASE 8"),
    radio(Cmd::DEBUG_BASE_10, 14, 2, act_debug_radio, tick_value<&dbg_base>, has_cpu, 0, "BASE 10"),
    radio(Cmd::DEBUG_BASE_16, 15, 3, act_debug_radio, tick_value<&dbg_base>, has_cpu, 0, "BASE 16"),
    radio(Cmd::DEBUG_CPU_0, 16, 0, act_debug_radio, tick_value<&cpu_type>, has_cpu, 0, "CPU 0"),
    radio(Cmd::DEBUG_CPU_1, 17, 1, act_debug_radio, tick_value<&cpu_type>, has_cpu, 0, "CPU 1"),
    radio(Cmd::DEBUG_N_0, 18, 0, act_debug_radio, tick_value<&dis_notation>, has_cpu, 0, "N 0"),
    radio(Cmd::DEBUG_N_1, 19, 1, act_debug_radio, tick_value<&dis_notation>, has_cpu, 0, "N 1"),
    radio(Cmd::DEBUG_N_2, 20, 2, act_debug_radio, tick_value<&dis_notation>, has_cpu, 0, "N 2"),
    radio(Cmd::DEBUG_N_3, 21, 3, act_debug_radio, tick_value<&dis_notation>, has_cpu, 0, "N 3"),
    radio(Cmd::DEBUG_N_4, 22, 4, act_debug_radio, tick_value<&dis_notation>, has_cpu, 0, "N 4"),
    radio(Cmd::DEBUG_TU_0, 23, 0, act_debug_radio, tick_value<&dbg_time_unit>, has_cpu, 0, "TU 0"),
    radio(Cmd::DEBUG_TU_1, 24, 1, act_debug_radio, tick_value<&dbg_time_unit>, has_cpu, 0, "TU 1"),
    radio(Cmd::DEBUG_TU_2, 25, 2, act_debug_radio, tick_value<&dbg_time_unit>, has_cpu, 0, "TU 2"),
    radio(Cmd::DEBUG_VERBOSE_0, 26, 0, act_debug_radio, tick_value<&verbosity>, has_cpu, 0, "VERBOSE 0"),
    radio(Cmd::DEBUG_VERBOSE_1, 27, 1, act_debug_radio, tick_value<&verbosity>, has_cpu, 0, "VERBOSE 1"),
    radio(Cmd::DEBUG_VERBOSE_2, 28, 2, act_debug_radio, tick_value<&verbosity>, has_cpu, 0, "VERBOSE 2"),
    radio(Cmd::DEBUG_DRAW_0, 29, 0, act_debug_radio, tick_draw, debug_graphics, 0, "DRAW 0"),
    radio(Cmd::DEBUG_DRAW_1, 30, 1, act_debug_radio, tick_draw, debug_graphics, 0, "DRAW 1"),
    radio(Cmd::DEBUG_DRAW_2, 31, 2, act_debug_radio, tick_draw, draw_tables, 0, "DRAW 2"),
    radio(Cmd::DEBUG_DRAW_3, 32, 3, act_debug_radio, tick_draw, draw_tables, 0, "DRAW 3"),
    radio(Cmd::DEBUG_DRAW_4, 33, 4, act_debug_radio, tick_draw, pvi_console, 0, "DRAW 4"),
    radio(Cmd::DEBUG_SPR_INVISIBLE, 34, 0, act_debug_radio, tick_sprite_mode, sprites, 0, "SPR 0"),
    radio(Cmd::DEBUG_SPR_VISIBLE, 35, 2, act_debug_radio, tick_sprite_mode, sprites, 0, "SPR 2"),
    radio(Cmd::DEBUG_SPR_NUMBERED, 36, 1, act_debug_radio, tick_sprite_mode, sprites, 0, "SPR 1"),
    radio(Cmd::PERIPHERALS_LEFT_MOUSE, 37, 1, act_controller_left, tick_value<&controller_left>, pads),
    radio(Cmd::PERIPHERALS_LEFT_KEYBOARD, 38, 0, act_controller_left, tick_value<&controller_left>, pads),
    radio(Cmd::PERIPHERALS_LEFT_1STDJOY, 39, 2, act_controller_left, tick_value<&controller_left>, pads),
    radio(Cmd::PERIPHERALS_LEFT_2NDDJOY, 40, 3, act_controller_left, tick_value<&controller_left>, pads),
    radio(Cmd::PERIPHERALS_LEFT_2NDAJOY, 41, 4, act_controller_left, tick_value<&controller_left>, analog_joystick),
    radio(Cmd::PERIPHERALS_LEFT_1STDPAD, 42, 5, act_controller_left, tick_value<&controller_left>),
    radio(Cmd::PERIPHERALS_LEFT_2NDDPAD, 43, 6, act_controller_left, tick_value<&controller_left>),
    radio(Cmd::PERIPHERALS_LEFT_1STAPAD, 44, 7, act_controller_left, tick_value<&controller_left>, analog_joystick),
    radio(Cmd::PERIPHERALS_LEFT_2NDAPAD, 45, 8, act_controller_left, tick_value<&controller_left>, analog_joystick),
    radio(Cmd::PERIPHERALS_RIGHT_MOUSE, 46, 1, act_controller_right, tick_value<&controller_right>, pads),
    radio(Cmd::PERIPHERALS_RIGHT_KEYBOARD, 47, 0, act_controller_right, tick_value<&controller_right>, pads),
    radio(Cmd::PERIPHERALS_RIGHT_1STDJOY, 48, 2, act_controller_right, tick_value<&controller_right>, pads),
    radio(Cmd::PERIPHERALS_RIGHT_2NDDJOY, 49, 3, act_controller_right, tick_value<&controller_right>, second_joystick),
    radio(Cmd::PERIPHERALS_RIGHT_2NDAJOY, 50, 4, act_controller_right, tick_value<&controller_right>, analog_joystick),
    radio(Cmd::PERIPHERALS_RIGHT_1STDPAD, 51, 5, act_controller_right, tick_value<&controller_right>),
    radio(Cmd::PERIPHERALS_RIGHT_2NDDPAD, 52, 6, act_controller_right, tick_value<&controller_right>),
    radio(Cmd::PERIPHERALS_RIGHT_1STAPAD, 53, 7, act_controller_right, tick_value<&controller_right>, analog_joystick),
    radio(Cmd::PERIPHERALS_RIGHT_2NDAPAD, 54, 8, act_controller_right, tick_value<&controller_right>, analog_joystick),
    radio(Cmd::SETTINGS_BIOS_PHILIPS, 55, 0, act_elektor_bios, tick_value<&elektor_biosversion>, bios_at<55>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_HOBBYMODULE, 56, 1, act_elektor_bios, tick_value<&elektor_biosversion>, bios_at<56>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_ARTEMIS, 57, 0, act_machine_choice<&pipbug_bios>, tick_value<&pipbug_bios>, bios_at<57>),
    radio(Cmd::SETTINGS_BIOS_HYBUG, 58, 1, act_machine_choice<&pipbug_bios>, tick_value<&pipbug_bios>, bios_at<58>),
    radio(Cmd::SETTINGS_BIOS_PIPBUG1, 59, 2, act_machine_choice<&pipbug_bios>, tick_value<&pipbug_bios>, bios_at<59>),
    radio(Cmd::SETTINGS_BIOS_PIPBUG2, 60, 3, act_machine_choice<&pipbug_bios>, tick_value<&pipbug_bios>, bios_at<60>),
    radio(Cmd::SETTINGS_BIOS_BINBUG35, 61, 0, act_binbug_bios, tick_value<&binbug_biosversion>, bios_at<61>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_BINBUG36, 62, 1, act_binbug_bios, tick_value<&binbug_biosversion>, bios_at<62>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_BINBUG61, 63, 2, act_binbug_bios, tick_value<&binbug_biosversion>, bios_at<63>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_GBUG, 64, 3, act_binbug_bios, tick_value<&binbug_biosversion>, bios_at<64>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_MIKEBUG, 65, 4, act_binbug_bios, tick_value<&binbug_biosversion>, bios_at<65>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_MYBUG, 66, 5, act_binbug_bios, tick_value<&binbug_biosversion>, bios_at<66>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_IPL, 67, 0, act_cd2650_bios, tick_value<&cd2650_biosversion>, bios_at<67>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_POPMON, 68, 1, act_cd2650_bios, tick_value<&cd2650_biosversion>, bios_at<68>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_SUPERVISOR, 69, 2, act_cd2650_bios, tick_value<&cd2650_biosversion>, bios_at<69>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_MINIMONITOR, 70, 0, act_phunsy_bios, tick_value<&phunsy_biosversion>, bios_at<70>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_PHUNSY, 71, 1, act_phunsy_bios, tick_value<&phunsy_biosversion>, bios_at<71>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_SELBSTNONE, 72, 0, act_selbst_bios, tick_value<&selbst_biosversion>, bios_at<72>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_SELBST09, 73, 1, act_selbst_bios, tick_value<&selbst_biosversion>, bios_at<73>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_SELBST10, 74, 2, act_selbst_bios, tick_value<&selbst_biosversion>, bios_at<74>, CF_STATE),
    radio(Cmd::SETTINGS_BIOS_SELBST20, 75, 3, act_selbst_bios, tick_value<&selbst_biosversion>, bios_at<75>, CF_STATE),
    radio(Cmd::SETTINGS_COLOURS_AMBER, 76, 0, act_colour_set, tick_value<&colourset>, palette_closed, CF_STATE),
    radio(Cmd::SETTINGS_COLOURS_GREEN, 77, 1, act_colour_set, tick_value<&colourset>, palette_closed, CF_STATE),
    radio(Cmd::SETTINGS_COLOURS_GREY, 78, 2, act_colour_set, tick_value<&colourset>, palette_closed, CF_STATE),
    radio(Cmd::SETTINGS_COLOURS_PURE, 79, 3, act_colour_set, tick_value<&colourset>, palette_closed, CF_STATE),
    radio(Cmd::SETTINGS_COLOURS_PVI, 80, 4, act_colour_set, tick_value<&colourset>, palette_closed, CF_STATE),
    radio(Cmd::SETTINGS_COLOURS_UVI, 81, 5, act_colour_set, tick_value<&colourset>, palette_closed, CF_STATE),
    radio(Cmd::SETTINGS_DOS_MICRODOS, 82, 0, act_binbug_dos, tick_value<&binbug_dosversion>, dos_at<82>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_VHSDOS, 83, 1, act_binbug_dos, tick_value<&binbug_dosversion>, dos_at<83>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_NOBINBUGDOS, 84, 2, act_binbug_dos, tick_value<&binbug_dosversion>, dos_at<84>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_EXOS, 85, 0, act_twin_dos, tick_value<&twin_dosversion>, dos_at<85>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_SDOS20, 86, 1, act_twin_dos, tick_value<&twin_dosversion>, dos_at<86>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_SDOS40, 87, 2, act_twin_dos, tick_value<&twin_dosversion>, dos_at<87>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_SDOS42, 88, 3, act_twin_dos, tick_value<&twin_dosversion>, dos_at<88>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_TOS, 89, 4, act_twin_dos, tick_value<&twin_dosversion>, dos_at<89>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_UDOS, 90, 5, act_twin_dos, tick_value<&twin_dosversion>, dos_at<90>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_NOTWINDOS, 91, 6, act_twin_dos, tick_value<&twin_dosversion>, dos_at<91>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_CDDOS, 92, 0, act_cd2650_dos, tick_value<&cd2650_dosversion>, dos_at<92>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_P1DOS, 93, 1, act_cd2650_dos, tick_value<&cd2650_dosversion>, dos_at<93>, CF_STATE),
    radio(Cmd::SETTINGS_DOS_NOCD2650DOS, 94, 2, act_cd2650_dos, tick_value<&cd2650_dosversion>, dos_at<94>, CF_STATE),
    radio(Cmd::SETTINGS_EMULATOR_FRAMEBASED, 95, 1, act_frame_based, tick_frame_based, pixel_based),
    radio(Cmd::SETTINGS_EMULATOR_PIXELBASED, 96, 0, act_frame_based, tick_frame_based, pixel_based),
    radio(Cmd::SETTINGS_EMULATOR_APPENDLOG, 97, 0, act_log_mode, tick_value<&log_mode>),
    radio(Cmd::SETTINGS_EMULATOR_IGNORELOG, 98, 1, act_log_mode, tick_value<&log_mode>),
    radio(Cmd::SETTINGS_EMULATOR_REPLACELOG, 99, 2, act_log_mode, tick_value<&log_mode>),
    radio(Cmd::SETTINGS_FILTERS_3D, 100, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_FILTERS_HQX, 101, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_FILTERS_SCALE2X, 102, 2, act_filter, tick_value<&display_filter>, filters, CF_STATE),
    radio(Cmd::SETTINGS_FILTERS_NONE, 103, 3, act_filter, tick_value<&display_filter>),
    radio(Cmd::SETTINGS_FILTERS_UNSTRETCHED, 104, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_FILTERS_STRETCH43, 105, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_FILTERS_STRETCHTOFIT, 106, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_GRAPHICS_1XSIZE, 107, 1, act_scale, tick_value<&display_scale>, windowed, CF_STATE),
    radio(Cmd::SETTINGS_GRAPHICS_2XSIZE, 108, 2, act_scale, tick_value<&display_scale>, windowed, CF_STATE),
    radio(Cmd::SETTINGS_GRAPHICS_3XSIZE, 109, 3, act_scale, tick_value<&display_scale>, windowed, CF_STATE),
    radio(Cmd::SETTINGS_GRAPHICS_4XSIZE, 110, 4, act_scale, tick_value<&display_scale>, windowed, CF_STATE),
    radio(Cmd::SETTINGS_GRAPHICS_5XSIZE, 111, 5, act_scale, tick_value<&display_scale>, windowed, CF_STATE),
    radio(Cmd::SETTINGS_GRAPHICS_6XSIZE, 112, 6, act_scale, tick_value<&display_scale>, windowed, CF_STATE),
    radio(Cmd::SETTINGS_INPUT_HOST, 113, 0, act_keymap, tick_value<&keymap>, keyboard_layouts),
    radio(Cmd::SETTINGS_INPUT_EA78UT4, 114, 1, act_keymap, tick_value<&keymap>, keyboard_layouts),
    radio(Cmd::SETTINGS_INPUT_TELETYPE, 115, 2, act_keymap, tick_value<&keymap>, keyboard_layouts),
    radio(Cmd::SETTINGS_LANGUAGE_ENG, 116, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_HOL, 117, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_FRA, 118, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_GER, 119, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_GRE, 120, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_ITA, 121, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_POL, 122, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_RUS, 123, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_LANGUAGE_SPA, 124, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_MACHINE_ARCADIA, 125, 6, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_INTERTON, 126, 3, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_ELEKTOR, 127, 5, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_PIPBUG, 128, 9, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_BINBUG, 129, 11, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_INSTRUCTOR, 130, 15, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_TWIN, 131, 12, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_CD2650, 132, 16, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_PHUNSY, 133, 19, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_SELBST, 134, 20, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_MIKIT, 135, 21, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_ASTROWARS, 136, 22, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_GALAXIA, 137, 23, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_LASERBATTLE, 138, 24, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_LAZARIAN, 139, 25, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_MALZAK1, 140, 26, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_MALZAK2, 141, 27, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_8550, 142, 28, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_8600, 143, 29, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_MACHINE_TYPERIGHT, 144, 30, act_machine, tick_machine, nullptr, CF_FRAME),
    radio(Cmd::SETTINGS_SOUND_AHI, 145, 0, act_sound_output, tick_value<&snd_output_mode>),
    radio(Cmd::SETTINGS_SOUND_PAULA, 146, 1, act_sound_output, tick_value<&snd_output_mode>),
    radio(Cmd::SETTINGS_SPEED_NTSC, 147, 0, act_region, tick_value<&emu_region>, region_choice, CF_STATE),
    radio(Cmd::SETTINGS_SPEED_PAL, 148, 1, act_region, tick_value<&emu_region>, region_choice, CF_STATE),
    radio(Cmd::SETTINGS_SPEED_HIGH, 149, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_SPEED_NORMAL, 150, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_SPEED_LOW, 151, 0, nullptr, tick_off, never, CF_UNBUILT),
    radio(Cmd::SETTINGS_SPRITES_MULTIPLEX, 152, 0, act_demultiplex, tick_value<&demultiplex>, console_screen),
    radio(Cmd::SETTINGS_SPRITES_TRANSPARENT, 153, 1, nullptr, tick_value<&demultiplex>, console_screen, CF_UNBUILT),
    radio(Cmd::SETTINGS_SPRITES_OPAQUE, 154, 2, act_demultiplex, tick_value<&demultiplex>, console_screen),
    radio(Cmd::SETTINGS_VDU_ELEKTERMINAL, 155, 0, act_machine_choice<&pipbug_vdu>, tick_value<&pipbug_vdu>, vdu_at<155>),
    radio(Cmd::SETTINGS_VDU_NARROW, 156, 1, act_machine_choice<&pipbug_vdu>, tick_value<&pipbug_vdu>, vdu_at<156>),
    radio(Cmd::SETTINGS_VDU_WIDE, 157, 2, act_machine_choice<&pipbug_vdu>, tick_value<&pipbug_vdu>, vdu_at<157>),
    radio(Cmd::SETTINGS_VDU_RADIOBULLETIN, 158, 3, act_machine_choice<&pipbug_vdu>, tick_value<&pipbug_vdu>, vdu_at<158>),
    radio(Cmd::SETTINGS_VDU_SVT100, 159, 4, act_machine_choice<&pipbug_vdu>, tick_value<&pipbug_vdu>, vdu_at<159>),
    radio(Cmd::SETTINGS_VDU_VT100, 160, 5, act_machine_choice<&pipbug_vdu>, tick_value<&pipbug_vdu>, vdu_at<160>),
    radio(Cmd::SETTINGS_VDU_ASCII, 161, 0, act_cd2650_vdu, tick_value<&cd2650_vdu>, vdu_at<161>, CF_STATE),
    radio(Cmd::SETTINGS_VDU_CHESSMEN, 162, 1, act_cd2650_vdu, tick_value<&cd2650_vdu>, vdu_at<162>, CF_STATE),
    radio(Cmd::SETTINGS_VDU_LOWERCASE, 163, 2, act_cd2650_vdu, tick_value<&cd2650_vdu>, vdu_at<163>, CF_STATE),
};
// clang-format on

namespace {

// The two menu-id spaces and the script names, indexed once.
struct Index {
    std::array<std::int16_t, MENU_PLAIN_IDS> plain{};
    std::array<std::int16_t, MENU_CHECK_IDS> check{};
    Index() {
        plain.fill(-1);
        check.fill(-1);
        for (std::size_t r = 0; r < CMD_COUNT; r++) {
            if (cmd_rows[r].plain >= 0) plain[static_cast<std::size_t>(cmd_rows[r].plain)] = static_cast<std::int16_t>(r);
            if (cmd_rows[r].check >= 0) check[static_cast<std::size_t>(cmd_rows[r].check)] = static_cast<std::int16_t>(r);
        }
    }
};
const Index& index() {
    static const Index built;
    return built;
}

// The toolbars' buttons, counted from 1.
constexpr Cmd bar1[8] = {Cmd::PROJECT_RESETTOGAME,  Cmd::PROJECT_OPEN,      Cmd::PROJECT_SAVECOS,
                         Cmd::PROJECT_SAVESCRN_ILBM, Cmd::EDIT_COPYSCREEN, Cmd::MACRO_RUNREXX,
                         Cmd::PROJECT_QUICKLOAD,    Cmd::PROJECT_QUICKSAVE};
constexpr Cmd bar2[10] = {Cmd::PERIPHERALS_LEFT_AUTOFIRE, Cmd::PERIPHERALS_RIGHT_AUTOFIRE,
                          Cmd::SETTINGS_INPUT_SWAPPED,    Cmd::SETTINGS_SOUND_ENABLED,
                          Cmd::SETTINGS_SPEED_PAUSED,     Cmd::SETTINGS_SPEED_TURBO,
                          Cmd::SETTINGS_SPRITES_COLLISIONS, Cmd::MACRO_STARTRECORDING,
                          Cmd::MACRO_RESTARTPLAYBACK,     Cmd::MACRO_STOP};

// The debugger command word a Debug item's line starts with ("" for lines the
// debugger takes whole).
bool debugger_knows(const char* line) {
    if (!line || line[0] == '"' || line[0] == '*') return line != nullptr;
    char word[16];
    std::size_t n = 0;
    while (line[n] && line[n] != ' ' && n + 1 < sizeof word) {
        word[n] = line[n];
        n++;
    }
    word[n] = '\0';
    return word[0] == '=' || dbg_command_known(word);
}

ToolWindow window_of(const CmdRow& row) {
    return row.run == act_open_window ? static_cast<ToolWindow>(row.value) : TW_NONE;
}

} // namespace

// ---- the hotkeys ------------------------------------------------------------------------

// Each key with the qualifiers it needs; qualifiers not named are free except
// where a second entry of the same key takes them.
const CmdHotkey cmd_hotkeys[] = {
    {17, HK_ALT, Cmd::SETTINGS_SPEED_TURBO},       // Alt-W
    {119, HK_NONE, Cmd::SETTINGS_SPEED_TURBO},     // fast-forward media key
    {19, HK_ALT, Cmd::PROJECT_RESETTOGAME},        // Alt-R
    {RAW_F1 + 4, HK_NONE, Cmd::PROJECT_RESETTOGAME}, // F5 (without Ctrl)
    {33, HK_ALT, Cmd::PROJECT_QUICKSAVE},          // Alt-S
    {40, HK_ALT, Cmd::PROJECT_QUICKLOAD},          // Alt-L
    {38, HK_ALT, Cmd::SETTINGS_INPUT_SWAPPED},     // Alt-J
    {75, HK_NONE, Cmd::SETTINGS_GRAPHICS_FULLSCREEN}, // F11 (without Ctrl and Shift)
    {RAW_F1 + 0, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_MIKIT},
    {RAW_F1 + 1, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_ASTROWARS},
    {RAW_F1 + 2, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_GALAXIA},
    {RAW_F1 + 3, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_LASERBATTLE},
    {RAW_F1 + 4, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_LAZARIAN},
    {RAW_F1 + 5, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_MALZAK1},
    {RAW_F1 + 6, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_MALZAK2},
    {RAW_F1 + 7, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_8550},
    {RAW_F1 + 8, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_8600},
    {RAW_F1 + 9, HK_CTRL | HK_SHIFT, Cmd::SETTINGS_MACHINE_TYPERIGHT},
};
const std::size_t cmd_hotkey_count = sizeof cmd_hotkeys / sizeof cmd_hotkeys[0];

const CmdRow* cmd_of_hotkey(u32 code, u8 qualifiers) {
    for (const CmdHotkey& k : cmd_hotkeys) {
        if (k.code != code) continue;
        // Alt picks the Alt keys; Ctrl keeps F5 and F11 for the scales and the
        // Ctrl+Shift keys; F11 wants Shift up too.
        bool fits;
        if (k.qualifiers & HK_ALT)
            fits = qualifiers & HK_ALT;
        else if (k.qualifiers == (HK_CTRL | HK_SHIFT))
            fits = (qualifiers & (HK_CTRL | HK_SHIFT)) == (HK_CTRL | HK_SHIFT);
        else if (code == 75)
            fits = !(qualifiers & (HK_CTRL | HK_SHIFT));
        else if (code == RAW_F1 + 4)
            fits = !(qualifiers & HK_CTRL);
        else
            fits = true;
        if (fits) return &cmd_row(k.cmd);
    }
    return nullptr;
}

// ---- lookups ----------------------------------------------------------------------------

const CmdRow& cmd_row(Cmd cmd) {
    return cmd_rows[static_cast<std::size_t>(cmd)];
}

const CmdRow* cmd_of_plain(int id) {
    if (id < 0 || id >= MENU_PLAIN_IDS) return nullptr;
    const std::int16_t r = index().plain[static_cast<std::size_t>(id)];
    return r < 0 ? nullptr : &cmd_rows[r];
}

const CmdRow* cmd_of_check(int id) {
    if (id < 0 || id >= MENU_CHECK_IDS) return nullptr;
    const std::int16_t r = index().check[static_cast<std::size_t>(id)];
    return r < 0 ? nullptr : &cmd_rows[r];
}

const CmdRow* cmd_of_item(int item_id) {
    return item_id >= MENU_CHECK_BASE ? cmd_of_check(item_id - MENU_CHECK_BASE)
                                      : cmd_of_plain(item_id);
}

const CmdRow* cmd_named(const char* name) {
    const int plain = menu_plain_id_named(name);
    if (plain >= 0) return cmd_of_plain(plain);
    const int check = menu_check_id_named(name);
    return check >= 0 ? cmd_of_check(check) : nullptr;
}

const char* cmd_script_name(const CmdRow& row) {
    if (row.plain >= 0) return menu_plain_names[row.plain].name;
    return row.check >= 0 ? menu_check_names[row.check].name : "";
}

const CmdRow* cmd_toolbar_row(int bar, int index) {
    if (bar == 1 && index >= 1 && index <= 8) return &cmd_row(bar1[index - 1]);
    if (bar == 2 && index >= 1 && index <= 10) return &cmd_row(bar2[index - 1]);
    return nullptr;
}

// ---- availability -----------------------------------------------------------------------

bool cmd_built(const CmdRow& row) {
    if (row.flags & CF_UNBUILT) return false;
    const ToolWindow w = window_of(row);
    if (w != TW_NONE) return gui_subwin_ops[w].open != nullptr;
    if (row.run == act_debug_line) return debugger_knows(static_cast<const char*>(row.arg));
    if (row.run == act_debug_radio) return debugger_knows(static_cast<const char*>(row.arg));
    if (row.cmd == Cmd::DEBUG_SAVEAOF) return debugger_knows(machine_debug().object_save_command);
    if (row.cmd == Cmd::DEBUG_SAVEIMAG) {
        const char* command = machine_debug().disk_save_command;
        return !command || debugger_knows(command);
    }
    // The guides are sections of the help document.
    if (row.cmd == Cmd::HELP_CODINGGUIDE)
        return help_available() && coding_guide_section(static_cast<int>(machine))[0] != '\0';
    if (row.cmd == Cmd::HELP_GAMINGGUIDE)
        return help_available() && gaming_guide_section(static_cast<int>(machine))[0] != '\0';
    if (row.cmd == Cmd::HELP_MANUAL) return help_available();
    return true;
}

const char* const cmd_iconified_text = "command is unavailable while iconified";

namespace {
CmdFailure last_failure;
} // namespace

void cmd_action_failed(const char* what, const std::string& why) {
    if (last_failure.what.empty()) last_failure = {what, why};
}

CmdFailure cmd_take_failure() {
    CmdFailure failure;
    std::swap(failure, last_failure);
    return failure;
}

const char* cmd_debugger_wording(const char* why) {
    if (!why) return nullptr;
    if (why == wrong_machine_text) return "Wrong guest machine!\n\n";
    if (why == no_disk_text) return "No disk is inserted!\n\n";
    if (why == no_drive_text) return "Invalid drive number!\n\n";
    if (why == draw_range_text) { // the last DRAW item not ghosted
        static char text[48];
        int top = 0;
        for (const CmdRow& row : cmd_rows)
            if (row.run == act_debug_radio && row.tick == tick_draw && !cmd_refusal(row))
                top = std::max(top, static_cast<int>(row.value));
        std::snprintf(text, sizeof text, "Allowable range is 0..%d!\n\n", top);
        return text;
    }
    return "Command is unavailable.\n\n";
}

const char* cmd_refusal(const CmdRow& row) {
    if (!cmd_built(row)) return not_built_text;
    if ((row.flags & CF_FRAME) && emu_paused_mid_frame && !((row.flags & CF_LINK) && net_connected()))
        return cmd_between_frames_text;
    if (row.usable && !row.usable()) {
        // The disk commands of the debugger's drive: a machine with drives
        // and none in that drive.
        if (row.usable == drive_ready && has_drives()) return no_disk_text;
        // A drive past the machine's last.
        if ((row.usable == drive_at<1> || row.usable == drive_at<2> || row.usable == drive_at<3>) &&
            has_drives())
            return no_drive_text;
        // A drawing mode past the machine's last (the DRAW items; "Darken
        // background" shares one of their conditions).
        if (row.run == act_debug_radio && row.tick == tick_draw && debug_graphics())
            return draw_range_text;
        for (const StateReason& r : state_reasons)
            if (row.usable == r.usable && (!r.feature || r.feature())) return r.text;
        return row.flags & CF_STATE ? not_now_text : wrong_machine_text;
    }
    return nullptr;
}

bool cmd_window_shown(const CmdRow& row) {
    const ToolWindow w = window_of(row);
    return w != TW_NONE && gui_tool_window_shown(w);
}

int cmd_tool_window(const CmdRow& row) {
    return window_of(row);
}
