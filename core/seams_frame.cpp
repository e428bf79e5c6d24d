// Weak stand-ins for the display, sound, input, window, debugger and
// high-score services that switching, pacing and the end of frame call, until
// their owners define them. Most do nothing; the display geometry stand-in
// gives the raster machines their clock periods per frame, and the high-score
// stand-in keeps the play time that the high-score table will keep.
#include "core/machine_table.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"

#define WEAK __attribute__((weak))

// ---- Display, sound and recording ---------------------------------------------
WEAK u8 guest_frame[904 * 356];
WEAK void display_setup_geometry() {
    if (machine <= ELEKTOR) machine_table[machine].clocks_per_frame = g_region ? 17706.0 : 14868.5;
}
WEAK void display_screen_edit_clamp() {}
WEAK void display_select_plotter() {}
WEAK void display_apply_palette() {}
WEAK void display_reset_frame() {}
WEAK void display_blit() {}
WEAK void display_redraw_all() {}
WEAK void display_update_beam_marker(int) {}
WEAK void rec_stop_all() {}
WEAK void rec_restart_playback() {}
WEAK void snd_close(int) {}
WEAK void snd_open(int) {}
WEAK void snd_expire_effects() {}
WEAK void snd_voice_play(int, int, float) {}
WEAK void snd_voice_stop(int) {}
WEAK void snd_update_voices(int) {}
WEAK void snd_reset_latches() {}
WEAK u32 snd_voice_request[16];
WEAK u8 snd_voice_volume[16];
WEAK float snd_voice_frequency[16];
WEAK float snd_tone_reference = 7812.5f;

// ---- Input ------------------------------------------------------------------------
WEAK void host_rumble_stop_all() {}
WEAK bool host_key_down(int) {
    return false;
}
WEAK void input_host_key_release(int) {}
WEAK i32 input_deferred_release = -1;
WEAK void music_restore_default_notes() {}
WEAK void net_command(int) {}
WEAK u32 g_net_mode;
WEAK i32 key_remap_six[2][6];
WEAK i32 key_remap_four[2][4];

// ---- GUI framework and commands -------------------------------------------------------
WEAK u8 gui_main_window_open;
WEAK u8 gui_modal_active;
WEAK u8 gui_screen_editing;
WEAK void gui_close_all_subwindows() {}
WEAK void gui_set_scale(int, int) {}
WEAK void gui_update_pointer(int, int) {}
WEAK void gui_update_main_title() {}
WEAK void gui_refresh_menus() {}
WEAK void gui_refresh_toolbar() {}
WEAK void gui_speedbar_update() {}
WEAK void gui_toolbar_set_pause(bool) {}
WEAK bool gui_status_bar_shown() {
    return false;
}
WEAK void gui_status_speed_label(const char*) {}
WEAK void gui_status_speed_text(const char*) {}
WEAK bool gui_speed_window_open() {
    return false;
}
WEAK void gui_speed_window_show(int, const char*, int) {}
WEAK void games_find_loaded() {}
WEAK void game_info_text() {}
WEAK void vdu_select_type(int) {}
WEAK void gui_refresh_windows(int) {}

// ---- Debugger ---------------------------------------------------------------------------
WEAK u32 dbg_run_to_frame;
WEAK int addr_comment_address(int) {
    return -1;
}

// ---- High scores --------------------------------------------------------------------------
namespace {
constexpr int HISCORE_SLOTS = 87;
u32 play_seconds[HISCORE_SLOTS], play_micros[HISCORE_SLOTS];
} // namespace
WEAK void hiscore_scan(int) {}
WEAK void hiscore_add_play_time(int slot, u32 micros) {
    if (slot < 0 || slot >= HISCORE_SLOTS) return;
    play_micros[slot] += micros;
    if (play_micros[slot] > 999999) {
        play_micros[slot] -= 1000000;
        play_seconds[slot]++;
    }
}
WEAK u32 hiscore_play_seconds(int slot) {
    return slot >= 0 && slot < HISCORE_SLOTS ? play_seconds[slot] : 0;
}
WEAK u32 hiscore_play_micros(int slot) {
    return slot >= 0 && slot < HISCORE_SLOTS ? play_micros[slot] : 0;
}
