// Settings variables that the settings file binds and that no subsystem has
// declared yet. Each group names the subsystem that uses the settings; when
// that subsystem is written it either includes this header or moves its group
// into its own header (and deletes it here).
//
// Types follow the settings file: booleans and integers are 32-bit, words
// 16-bit, bytes 8-bit, paths and recent files 513-byte text buffers.
#pragma once

#include "cpu/cpu.h"

constexpr int SETTINGS_PATH_LEN = 513;

// ---- Start-up and exit ----------------------------------------------------
extern u8 upgrade_mode;                    // the UPGRADE run: no high-score load, no writes at exit
extern u8 lock_config;                     // LOCKCONFIG: settings are not written at exit
extern u32 windowed_scale, windowed_width; // "size"/"width" kept aside for full screen

// ---- Debugger and disassembler ------------------------------------------
extern i32 dbg_base;       // "base" 0..3: number base of the debugger's output
extern i32 debugger_drive; // "debugger_drive" 0..3
extern u32 warn;
// "timeunit" is dbg_time_unit (cpu/debug_state.h); "verbosity", "guidepixel"
// and the log and watch switches live in cpu/dbg_hooks.h.

// ---- Frame pacing, machine options ----------------------------------------
extern bool emu_paused;     // "paused"
extern u32 turbo;           // "turbo"
extern u32 auto_frame_skip; // "autoframeskip"
extern i32 frame_skip;      // "frameskipping" 1..11
extern i32 emu_speed;       // "speed" 0..8
extern u32 emu_region;      // "region" 0..1
extern u32 exactspeed, limitrefreshes, autopause, framebased, identifyemulator, post;
extern u32 randomizememory, stubprograms, sensegame, viewbuiltin, autosave, collisions;
extern u32 trainer_lives, trainer_time, trainer_invincibility, autocoin, loop;

// ---- Display ---------------------------------------------------------------
extern u32 display_mode;   // 0 windowed, 1 the program's own screen ("fullscreen")
extern u32 display_scale;  // "size" 1..6
extern u32 display_aspect; // "width" 1..2: horizontal stretch
extern i32 display_filter; // "filter" 0..3
extern i32 colourset;      // "colourset" 0..5
extern i32 demultiplex;    // "demultiplex" 0..2
extern i32 sprite_mode;    // the debugger's SPR: 0 invisible, 1 numbered, 2 the guest's shapes
extern i32 draw_mode;      // the debugger's DRAW 0..4: the machines' debugging overlays
// The screen editor: on while the user types into the guest's screen memory,
// and its cursor (a guest address; the PVI consoles keep a grid cell instead).
extern u8 screen_edit_mode;
extern u32 screen_edit_address;
extern u32 fullscreen;
extern u32 artefacts, blankingareas, darkenbg, dejitter, drawcorners, drawunlit, flagline;
extern u32 invertflashed, inversevideo, rotatescreen, scanlines, showleds, showpositions;
extern u32 pipbug_blink; // keys "blink" and "pipbug_blink"

// ---- Sound and speech -------------------------------------------------------
extern u32 snd_enabled; // "sound"
extern u32 led_filter;  // "ledfilter": host audio filter
extern u32 retune, speech, teletypesounds;
extern i32 snd_output_mode;   // "soundoutput" 0..1
extern i32 snd_record_rate;   // "samplerate" 11025..22050
extern i32 snd_master_volume; // "volume" 0..8
extern i32 speech_pitch, speech_wpm, speech_articulation, speech_centralization;
extern i32 speech_centralizeto, speech_enthusiasm, speech_frication, speech_perturbation;
extern i32 speech_voicing;
extern u8 speech_race, speech_sex;

// ---- Recorders ---------------------------------------------------------------
extern u32 generate, generateanim, generategif, generatemng, generatepng, generatepsg;
extern u32 generate8svx, generateaiff, generatemidi, generatesmus, generatewav, generateym;

// ---- Input -------------------------------------------------------------------
extern u32 analog, autofire_left, autofire_right, forcefeedback_left, forcefeedback_right;
extern i32 lowercase; // "lowercase"
extern u32 guestrmb, queuekeystrokes, requirebutton_left, requirebutton_right;
extern u32 springloaded, swapped, confinepointer;
extern i32 controller_left, controller_right;   // 0..8
extern i32 sensitivity_left, sensitivity_right; // 1..5
extern i32 robot_left, robot_right;             // 0..4
extern i32 keyboardtype, keymap;                // 0..2
extern u16 net_port;                            // "netport"
extern u16 console_keys[4];    // "console_start", "console_a", "console_b", "console_reset"
extern u16 player_keys[2][28]; // "left_%02d", "right_%02d": host raw key codes
// The default assignment: the start-up values of the two above, and what
// "Reset to defaults" of the Redefine Keys window restores.
extern const u16 default_console_keys[4];
extern const u16 default_player_keys[2][28];
extern u8 leftbutton[4], rightbutton[4]; // gamepad button assignments

// ---- Computers and peripherals ----------------------------------------------
extern i32 binbug_baudrate, binbug_biosversion, binbug_dosversion, binbug_interface;
extern i32 binbug_userdrives, cd2650_userdrives;
extern u32 cd2650_biosversion, cd2650_dosversion, phunsy_biosversion, selbst_biosversion;
extern u32 pipbug_bios;                       // "pipbug_biosversion"
inline u32& pipbug_biosversion = pipbug_bios; // the same setting under its key name
extern i32 cd2650_vdu, elektor_biosversion, pipbug_baudrate, pipbug_peripheral, pipbug_vdu;
extern i32 si50_intselector, si50_interrupts;
extern u32 si50_parallelio;
extern u32 si50_toggles; // "si50_toggles": a byte setting
extern i32 twin_dosversion, twin_printerunit;
extern i32 twin_ribbon[2], twin_condensed[2]; // per printer unit
extern i32 narrowprinter;
extern u8 tapeskewage;
extern u32 fast_binbug, fast_cd2650, fast_pipbug, fast_selbst;
extern u32 declinate, eachpage, echoconsole, erasedeleted, tape_invert, tape_verbose;
extern u32 verbose_log;             // "verbosedisk"
extern u32 write_protect[2];        // "writeprotect", "writeprotect2": floppy drives 0 and 1
extern u32 tape_write_protect;      // "writeprotect3"
extern u32 papertape_write_protect; // "writeprotect4"

// ---- Video-game machines -----------------------------------------------------
extern u32 settings_memmap; // "memorymap": the map start-up switches to
extern u8 dips_astrowars, dips_astrowars_2, dips_galaxia, dips_laserbattle;
extern u8 dips_lazarian_2, dips_lazarian_3;
extern i32 pong_angles, pong_batsizes, pong_machine, pong_players, pong_serving;
extern i32 pong_speed, pong_variant;
extern u32 pong_lockhorizontal, pong_playerid;

// ---- GUI, windows and views ---------------------------------------------------
extern u32 bigcontrols_arcadia, bigcontrols_interton, bigcontrols_elektor;
extern u32 bigcontrols_mikit, bigcontrols_si50, confirmquit, createicons;
extern u32 palladium_gameinfo, palladium_redefinekeys, show_tips, startupupdates;
extern u32 view_debugger[2], view_pointer[2], view_titlebar[2], view_toolbar[2];
extern u32 view_gamelist[2], view_statusbar[2]; // [0] windowed mode, [1] own screen
extern u32 clip_unit;                           // "clipunit" 0..255
extern i32 next_tip;                            // "nexttip" 0..25
extern i32 games_sort_by;                       // "sortby" 0..1
extern i32 memedit_base;                        // "regionstart" 0..32512
extern i32 memedit_view_as;                     // "viewmemoryas" 0..1
extern i32 memedit_map_view;                    // "viewmemorymapas" 0..2
extern i32 viewctrlsas_arcadia, viewctrlsas_8550, viewctrlsas_8600, viewdiskas;
extern i32 viewkybdas, viewpadsas, viewpadsas2, viewspeedas;
// "logtofile" is log_mode (core/message.h).
extern i32 game_list_width;    // "sidebarwidth" 0..65535
extern i32 main_window_pos[2]; // "winleftx", "wintopy"; -1 = system default

// ---- Drawers and recent files ---------------------------------------------------
extern char disks_path[SETTINGS_PATH_LEN], games_path[SETTINGS_PATH_LEN];
extern char projects_path[SETTINGS_PATH_LEN], screenshots_path[SETTINGS_PATH_LEN];
extern char scripts_path[SETTINGS_PATH_LEN], tapes_path[SETTINGS_PATH_LEN];
extern char recent_files[8][SETTINGS_PATH_LEN];
extern i32 recent_count;
extern i32 recent_memmaps[8], recent_games[8];
