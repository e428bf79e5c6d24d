// Services of other subsystems that machine switching, reset, the frame
// dispatch, the port dispatch and the end of frame call on.
//
// The definitions in core/seams_*.cpp are weak stand-ins with the least
// behaviour (most do nothing); each owning subsystem's own definitions replace
// them at link time. Where a stand-in keeps state, it is the state the owner
// will keep.
#pragma once

#include "cpu/cpu.h"

// ---- Video-game machines -----------------------------------------------------
void malzak_save_nvram();
void arcadia_setup();
void interton_setup();
void elektor_setup();
void malzak_setup();
void pong_machine_init();
void typeright_machine_init();
void zaccaria_setup_astro_wars();
void zaccaria_setup_galaxia();
void zaccaria_setup_laser_battle(); // Laser Battle and Lazarian
void arcadia_reset();
void interton_reset();
void elektor_reset();
void pong_reset();
void typeright_reset();
void coinop_auto_coin();
void coinop_clear_latches(); // collision latch, the second board latch, automatic coin
u8 coinop_io_read(u32 port);
void coinop_io_write(u32 port, u8 value);
u8 malzak_io_read(u32 port);
void malzak_io_write(u32 port, u8 value);

// Sprite de-flicker settings of the Arcadia and the PVI machines.
struct DeflickerSettings {
    i32 depth;
    i32 range_start;
    i32 range_end;
    i32 second_pass;
    u8 sprite[4]; // per-sprite flags
    u8 pvi[4];    // per-PVI flags
};
extern DeflickerSettings deflicker_settings;

// ---- Computers and peripherals ----------------------------------------------
void pipbug_setup();
void binbug_setup();
void instructor_setup();
void twin_setup();
void cd2650_setup();
void phunsy_machine_init();
void selbst_machine_init();
void mikit_machine_init();
void pipbug_reset();
void binbug_reset();
void instructor_reset();
void twin_reset();
void cd2650_reset();
void phunsy_reset();
void selbst_reset();
void mikit_reset();
u8 pipbug_io_read(u32 port);
void pipbug_io_write(u32 port, u8 value);
u8 binbug_io_read(u32 port);
void binbug_io_write(u32 port, u8 value);
u8 instructor_io_read(u32 port);
void instructor_io_write(u32 port, u8 value);
u8 twin_io_read(u32 port);
void twin_io_write(u32 port, u8 value);
u8 cd2650_io_read(u32 port);
void cd2650_io_write(u32 port, u8 value);
u8 phunsy_io_read(u32 port);
void phunsy_io_write(u32 port, u8 value);
u8 selbst_io_read(u32 port);
void selbst_io_write(u32 port, u8 value);
u8 mikit_io_read(u32 port);
void mikit_io_write(u32 port, u8 value);
void printer_flush(int unit);
void printer_setup_geometry();
void term_reset_states();   // character output and keyboard input state bytes := 1
extern u8 drive_present[4]; // floppy drives present
extern u8 lamp_latch;
extern i32 tape_state;      // 2 playing, 3 recording
extern i32 tape_reel_phase; // 0-5
extern i32 beeper_countdowns[2];
constexpr int VDU_COLUMNS = 80, VDU_ROWS = 64;
extern u8 vdu_text[VDU_COLUMNS * VDU_ROWS]; // column-major
extern u8 vdu_blank_char;
extern i32 binbug_serial_bit_time; // clock cycles per bit of the BINBUG serial line

// ---- Display, sound and recording ---------------------------------------------
extern u8 guest_frame[904 * 356]; // column-major colour indices
void display_setup_geometry();
void display_screen_edit_clamp();
void display_select_plotter();
void display_apply_palette();
void display_reset_frame();
void display_blit();
void display_redraw_all();
void display_update_beam_marker(int on);
void rec_stop_all();
void rec_restart_playback();
void snd_close(int flag);
void snd_open(int flag);
void snd_expire_effects();
void snd_voice_play(int voice, int volume, float frequency);
void snd_voice_stop(int voice);
void snd_update_voices(int arg);
void snd_reset_latches();
extern u32 snd_voice_request[16]; // 0 none, 1 start/retune, 2 stop, 3 one frame
extern u8 snd_voice_volume[16];
extern float snd_voice_frequency[16];
extern float snd_tone_reference;

// ---- Input ----------------------------------------------------------------------
void host_rumble_stop_all();
bool host_key_down(int raw_code);
void input_host_key_release(int code);
extern i32 input_deferred_release;  // raw key whose release waits for the frame end, -1 none
void music_restore_default_notes(); // D#4, D4, C#4, G3 of both musical-keyboard maps
void net_command(int command);      // 0 ends a netplay connection
extern u32 g_net_mode;              // 0 off, 1 client, 2 server, 3 listening
extern i32 key_remap_six[2][6];     // the game's guest-key remap pairs
extern i32 key_remap_four[2][4];

// ---- File loading ----------------------------------------------------------------
extern char game_file_name[513]; // file part of the last file opened
extern u32 state_length;         // bytes of the save state before a recording's input

// ---- GUI framework and commands ---------------------------------------------------
extern u8 gui_main_window_open;
extern u8 gui_modal_active;
extern u8 gui_screen_editing;
void gui_close_all_subwindows();
void gui_set_scale(int scale, int flag);
void gui_update_pointer(int a, int b);
void gui_update_main_title();
void gui_refresh_menus();
void gui_refresh_toolbar();
void gui_speedbar_update();
void gui_toolbar_set_pause(bool paused);
bool gui_status_bar_shown();
void gui_status_speed_label(const char* text);
void gui_status_speed_text(const char* text);
bool gui_speed_window_open();
void gui_speed_window_show(int speed, const char* level, int frame_skip);
void games_find_loaded();
void game_info_text();
void vdu_select_type(int menu_id);
void gui_refresh_windows(int force);

// ---- Debugger -------------------------------------------------------------------------
extern u32 dbg_run_to_frame;       // a step to the next frame was requested
int addr_comment_address(int row); // guest address of a comment row, -1 = none

// ---- High scores -------------------------------------------------------------------
void hiscore_scan(int slot);
// Adds play time to a slot; whole seconds carry into its play seconds.
void hiscore_add_play_time(int slot, u32 micros);
u32 hiscore_play_seconds(int slot);
u32 hiscore_play_micros(int slot);
