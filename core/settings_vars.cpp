// Initial values of the settings that the settings file binds; start-up reads
// the file over them.
#include "core/settings_vars.h"

#include "core/emu.h"

// Start-up and exit
u8 upgrade_mode = 0;
u8 lock_config = 0;
u32 windowed_scale = 1, windowed_width = 1;

// Debugger and disassembler
i32 dbg_base = 3;
i32 debugger_drive = 0;
u32 warn = 1;

// Frame pacing, machine options
bool emu_paused = false;
u32 turbo = 0;
u32 auto_frame_skip = 0;
i32 frame_skip = 1;
i32 emu_speed = 3;
u32 emu_region = 1;
u32 exactspeed = 0, limitrefreshes = 1, autopause = 0, framebased = 1, identifyemulator = 1;
u32 post = 1, randomizememory = 0, stubprograms = 1, sensegame = 1, viewbuiltin = 1;
u32 autosave = 1, collisions = 1, trainer_lives = 0, trainer_time = 0;
u32 trainer_invincibility = 0, autocoin = 1, loop = 1;

// Display
u32 display_mode = 0;
u32 display_scale = 1;
u32 display_aspect = 1;
i32 display_filter = 3;
i32 colourset = 3;
i32 demultiplex = 2;
i32 sprite_mode = 2;
i32 draw_mode = 0;
u8 screen_edit_mode = 0;
u32 screen_edit_address = 0;
u32 fullscreen = 0;
u32 artefacts = 0, blankingareas = 0, darkenbg = 1, dejitter = 0, drawcorners = 0;
u32 drawunlit = 1, flagline = 1, invertflashed = 0, inversevideo = 0, rotatescreen = 1;
u32 scanlines = 0, showleds = 1, showpositions = 0;
u32 pipbug_blink = 1;

// Sound and speech
u32 snd_enabled = 1;
u32 led_filter = 0;
u32 retune = 0, speech = 0, teletypesounds = 1;
i32 snd_output_mode = 0;
i32 snd_record_rate = 11025;
i32 snd_master_volume = 8;
i32 speech_pitch = 110, speech_wpm = 200, speech_articulation = 100;
i32 speech_centralization = 0, speech_centralizeto = 0, speech_enthusiasm = 32;
i32 speech_frication = 0, speech_perturbation = 0, speech_voicing = 0;
u8 speech_race = 110, speech_sex = 109;

// Recorders
u32 generate = 0, generateanim = 0, generategif = 0, generatemng = 0, generatepng = 0;
u32 generatepsg = 0, generate8svx = 0, generateaiff = 0, generatemidi = 0;
u32 generatesmus = 0, generatewav = 0, generateym = 0;

// Input
u32 analog = 0, autofire_left = 0, autofire_right = 0;
u32 forcefeedback_left = 1, forcefeedback_right = 1;
i32 lowercase = 0;
u32 guestrmb = 0, queuekeystrokes = 1, requirebutton_left = 0;
u32 requirebutton_right = 0, springloaded = 0, swapped = 0, confinepointer = 0;
i32 controller_left = 3, controller_right = 0;
i32 sensitivity_left = 3, sensitivity_right = 3;
i32 robot_left = 0, robot_right = 0;
i32 keyboardtype = 0, keymap = 0;
u16 net_port = 6666;
// Fire 1, keypad 1-12, the four extra keys, up, down, left, right, fire 2-4,
// the diagonals (127: no key). One list for the defaults and the start-up
// values, so that both are set before any other start-up code runs.
#define DEFAULT_PLAYER_KEYS                                                        \
    {                                                                              \
        {64, 1, 2, 3, 16, 17, 18, 32, 33, 34, 49, 50, 51, 4,                       \
         19, 35, 52, 76, 77, 79, 78, 5, 6, 7, 127, 127, 127, 127},                 \
        {15, 90, 91, 92, 61, 62, 63, 45, 46, 47, 29, 30, 31, 93,                   \
         74, 94, 67, 23, 39, 38, 40, 60, 70, 95, 22, 24, 55, 57},                  \
    }
#define DEFAULT_CONSOLE_KEYS {80, 81, 82, 83} // F1 to F4
const u16 default_console_keys[4] = DEFAULT_CONSOLE_KEYS;
const u16 default_player_keys[2][28] = DEFAULT_PLAYER_KEYS;
u16 console_keys[4] = DEFAULT_CONSOLE_KEYS;
u16 player_keys[2][28] = DEFAULT_PLAYER_KEYS;
#undef DEFAULT_PLAYER_KEYS
#undef DEFAULT_CONSOLE_KEYS
u8 leftbutton[4] = {1, 2, 3, 4};
u8 rightbutton[4] = {1, 2, 3, 4};

// Computers and peripherals
i32 binbug_baudrate = 0, binbug_biosversion = 2, binbug_dosversion = 1;
i32 binbug_interface = 0, binbug_userdrives = 1, cd2650_userdrives = 4;
u32 cd2650_biosversion = 2, cd2650_dosversion = 0, phunsy_biosversion = 1, selbst_biosversion = 3;
u32 pipbug_bios = 2;
i32 cd2650_vdu = 2, elektor_biosversion = 0, pipbug_baudrate = 0, pipbug_peripheral = 0;
i32 pipbug_vdu = 2;
i32 si50_intselector = 1, si50_interrupts = 0;
u32 si50_parallelio = 1;
u32 si50_toggles = 0;
i32 twin_dosversion = 1, twin_printerunit = 0;
i32 twin_ribbon[2] = {}, twin_condensed[2] = {};
i32 narrowprinter = 1;
u8 tapeskewage = 128;
u32 fast_binbug = 0, fast_cd2650 = 0, fast_pipbug = 0, fast_selbst = 1;
u32 declinate = 1, eachpage = 0, echoconsole = 0, erasedeleted = 1, tape_invert = 0;
u32 tape_verbose = 0;
u32 verbose_log = 0;
u32 write_protect[2] = {};
u32 tape_write_protect = 0;
u32 papertape_write_protect = 0;

// Video-game machines
u8 dips_astrowars = 143, dips_astrowars_2 = 0, dips_galaxia = 143, dips_laserbattle = 191;
u8 dips_lazarian_2 = 191, dips_lazarian_3 = 242;
u32 settings_memmap = MAP_ARCADIA_EMERSON;
i32 pong_angles = 1, pong_batsizes = 1, pong_machine = 2, pong_players = 0;
i32 pong_serving = 0, pong_speed = 0, pong_variant = 4;
u32 pong_lockhorizontal = 1, pong_playerid = 0;

// GUI, windows and views
u32 bigcontrols_arcadia = 1, bigcontrols_interton = 1, bigcontrols_elektor = 1;
u32 bigcontrols_mikit = 0, bigcontrols_si50 = 0, confirmquit = 1, createicons = 0;
u32 palladium_gameinfo = 0, palladium_redefinekeys = 0, show_tips = 1, startupupdates = 0;
u32 view_debugger[2] = {1, 1}, view_pointer[2] = {1, 1}, view_titlebar[2] = {1, 1};
u32 view_toolbar[2] = {1, 1}, view_gamelist[2] = {1, 1}, view_statusbar[2] = {1, 1};
u32 clip_unit = 0;
i32 next_tip = 0;
i32 games_sort_by = 0;
i32 memedit_base = 6144;
i32 memedit_view_as = 0;
i32 memedit_map_view = 0;
i32 viewctrlsas_arcadia = 1, viewctrlsas_8550 = 1, viewctrlsas_8600 = 1, viewdiskas = 0;
i32 viewkybdas = 2, viewpadsas = 2, viewpadsas2 = 0, viewspeedas = 1;
i32 game_list_width = 128;
i32 main_window_pos[2] = {-1, -1};

// Drawers and recent files
char disks_path[SETTINGS_PATH_LEN] = "PROGDIR:Disks";
char games_path[SETTINGS_PATH_LEN] = "PROGDIR:Games";
char projects_path[SETTINGS_PATH_LEN] = "PROGDIR:Projects";
char screenshots_path[SETTINGS_PATH_LEN] = "PROGDIR:Screenshots";
char scripts_path[SETTINGS_PATH_LEN] = "PROGDIR:ARexx";
char tapes_path[SETTINGS_PATH_LEN] = "PROGDIR:Tapes";
char recent_files[8][SETTINGS_PATH_LEN] = {};
i32 recent_count = 0;
i32 recent_memmaps[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
i32 recent_games[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
