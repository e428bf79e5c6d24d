// The settings walk: every key in its fixed order, 227 entries, 453 lines in a
// complete file. The same walk writes (serial_dir 1) and reads (0) the file.
#include "app/settings_table.h"

#include "app/cmdline.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/session.h"
#include "core/serial.h"
#include "core/serial_seams.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "display/host.h"
#include "cpu/dbg_hooks.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"

#include <cstdio>
#include <cstring>
#include <string>

static bool reading() {
    return serial_dir != SERIAL_WRITE;
}

static void path_field(const char* key, char* buffer) {
    ini_field_text(key, buffer, SETTINGS_PATH_LEN);
}

char settings_games_path_unreached[SETTINGS_PATH_LEN] = "";

static void games_path_field() {
    const bool stand_in = !reading() && settings_games_path_unreached[0] &&
                          std::strcmp(games_path, "PROGDIR:Games") == 0;
    path_field("path_games", stand_in ? settings_games_path_unreached : games_path);
}

// A gamepad button's guest button, 1..4: anything else would press no button
// the pad has, so it is refused and the setting kept.
static void gamepad_button_field(const char* key, u8* setting) {
    const u8 before = *setting;
    ini_field_byte(key, setting);
    if (reading() && (*setting < 1 || *setting > 4)) {
        const u8 read = *setting;
        *setting = before >= 1 && before <= 4 ? before : 1;
        if (read != before)
            ini_refuse_value(key,
                             std::string(key) + ": gamepad button value of " +
                                 std::to_string(read) + " is out of range! (Range is 1..4.)",
                             std::to_string(*setting));
    }
}

// FULLSCREEN, PORT and CLIPUNIT on the command line hold for their run only:
// while the setting keeps the value the argument gave, the file keeps the
// value it had; a value the user picks in the session instead is written.
// `field` reads or writes the line for the setting it is handed.
template <typename T, typename Field>
static void run_only_field(T* setting, bool given, long argument, T* in_file, Field field) {
    T value = *setting;
    if (!reading() && given && static_cast<long>(*setting) == argument) value = *in_file;
    field(reading() ? setting : &value);
    if (reading()) *in_file = *setting;
}

// What the files read held (the defaults until a file is read).
static u32 fullscreen_in_file = 0;
static u16 net_port_in_file = net_port;
static u32 clip_unit_in_file = clip_unit;

static void fullscreen_field() {
    run_only_field(&fullscreen, cmdline_fullscreen_given, cmdline_fullscreen, &fullscreen_in_file,
                   [](u32* v) { ini_field_bool("fullscreen", v); });
}

static void booleans_a() {
    ini_field_bool("2650b", &cpu_type);
    ini_field_bool("analog", &analog);
    ini_field_bool("artefacts", &artefacts);
    ini_field_bool("autocoin", &autocoin);
    ini_field_bool("autofire_left", &autofire_left);
    ini_field_bool("autofire_right", &autofire_right);
    ini_field_bool("autoframeskip", &auto_frame_skip);
    ini_field_bool("autopause", &autopause);
    ini_field_bool("autosave", &autosave);
    ini_field_bool("bigcontrols_arcadia", &bigcontrols_arcadia);
    ini_field_bool("bigcontrols_interton", &bigcontrols_interton);
    ini_field_bool("bigcontrols_elektor", &bigcontrols_elektor);
    ini_field_bool("bigcontrols_mikit", &bigcontrols_mikit);
    ini_field_bool("bigcontrols_si50", &bigcontrols_si50);
    ini_field_bool("blankingareas", &blankingareas);
    ini_field_bool("blink", &pipbug_blink);
    ini_field_bool("collisions", &collisions);
    ini_field_bool("confinepointer", &confinepointer);
    ini_field_bool("confirmquit", &confirmquit);
    ini_field_bool("createicons", &createicons);
    ini_field_bool("darkenbg", &darkenbg);
    ini_field_bool("declinate", &declinate);
    ini_field_bool("dejitter", &dejitter);
    ini_field_bool("drawcorners", &drawcorners);
    ini_field_bool("drawunlit", &drawunlit);
    ini_field_bool("eachpage", &eachpage);
    ini_field_bool("echoconsole", &echoconsole);
    ini_field_bool("erasedeleted", &erasedeleted);
    ini_field_bool("exactspeed", &exactspeed);
    ini_field_bool("framebased", &framebased);
    ini_field_bool("identifyemulator", &identifyemulator);
    ini_field_bool("fastbinbug", &fast_binbug);
    ini_field_bool("fastcd2650", &fast_cd2650);
    ini_field_bool("fastpipbug", &fast_pipbug);
    ini_field_bool("fastselbstbaucomputer", &fast_selbst);
    ini_field_bool("flagline", &flagline);
    ini_field_bool("invertflashed", &invertflashed);
    ini_field_bool("forcefeedback_left", &forcefeedback_left);
    ini_field_bool("forcefeedback_right", &forcefeedback_right);
    fullscreen_field();
    ini_field_bool("generate", &generate);
    ini_field_bool("generateanim", &generateanim);
    ini_field_bool("generategif", &generategif);
    ini_field_bool("generatemng", &generatemng);
    ini_field_bool("generatepng", &generatepng);
    ini_field_bool("generatepsg", &generatepsg);
    ini_field_bool("generate8svx", &generate8svx);
    ini_field_bool("generateaiff", &generateaiff);
    ini_field_bool("generatemidi", &generatemidi);
    ini_field_bool("generatesmus", &generatesmus);
    ini_field_bool("generatewav", &generatewav);
    ini_field_bool("generateym", &generateym);
}

static void booleans_b() {
    ini_field_bool("guestrmb", &guestrmb);
    ini_field_bool("guidepixel", &guidepixel);
    ini_field_bool("inversevideo", &inversevideo);
    ini_field_bool("inverttape", &tape_invert);
    ini_field_bool("ledfilter", &led_filter);
    ini_field_bool("limitrefreshes", &limitrefreshes);
    ini_field_bool("logbios", &logbios);
    ini_field_bool("loginefficient", &loginefficient);
    ini_field_bool("logillegal", &logillegal);
    ini_field_bool("loginterrupts", &loginterrupts);
    ini_field_bool("logreadwrites", &logreadwrites);
    ini_field_bool("logsubroutines", &logsubroutines);
    ini_field_bool("loop", &loop);
    {
        u32 v = lowercase != 0;
        ini_field_bool("lowercase", &v);
        lowercase = static_cast<i32>(v);
    }
    {
        // Only the user's own pause is kept; the program's own last for the run.
        bool paused = emu_paused_by(PauseCause::user);
        ini_field_bool("paused", &paused);
        if (reading()) emu_restore_user_pause(paused);
    }
    ini_field_bool("pausebreak", &pausebreak);
    ini_field_bool("pauselog", &pauselog);
    ini_field_bool("palladium_gameinfo", &palladium_gameinfo);
    ini_field_bool("palladium_redefinekeys", &palladium_redefinekeys);
    ini_field_bool("pipbug_blink", &pipbug_blink);
    ini_field_bool("pong_lockhorizontal", &pong_lockhorizontal);
    ini_field_bool("pong_playerid", &pong_playerid);
    ini_field_bool("post", &post);
    ini_field_bool("queuekeystrokes", &queuekeystrokes);
    ini_field_bool("randomizememory", &randomizememory);
    ini_field_bool("requirebutton_left", &requirebutton_left);
    ini_field_bool("requirebutton_right", &requirebutton_right);
    ini_field_bool("retune", &retune);
    ini_field_bool("rotatescreen", &rotatescreen);
    ini_field_bool("scanlines", &scanlines);
    ini_field_bool("showpositions", &showpositions);
    ini_field_bool("showtips", &show_tips);
    ini_field_bool("sensegame", &sensegame);
    ini_field_bool("showleds", &showleds);
    ini_field_bool("sound", &snd_enabled);
    ini_field_bool("speech", &speech);
    ini_field_bool("springloaded", &springloaded);
    ini_field_bool("startupupdates", &startupupdates);
    ini_field_bool("stubprograms", &stubprograms);
    ini_field_bool("swapped", &swapped);
    ini_field_bool("teletypesounds", &teletypesounds);
    ini_field_bool("trainer_lives", &trainer_lives);
    ini_field_bool("trainer_time", &trainer_time);
    ini_field_bool("trainer_invincibility", &trainer_invincibility);
    ini_field_bool("turbo", &turbo);
    ini_field_bool("verbosedisk", &verbose_log);
    ini_field_bool("verbosetape", &tape_verbose);
    ini_field_bool("viewbuiltin", &viewbuiltin);
    ini_field_bool("warn", &warn);
    ini_field_bool("watchreads", &watchreads);
}

static void views_and_colours() {
    ini_field_int("watchwrites", &watchwrites, 0, 2);
    ini_field_bool("windowed_debugger", &view_debugger[0]);
    ini_field_bool("windowed_pointer", &view_pointer[0]);
    ini_field_bool("windowed_titlebar", &view_titlebar[0]);
    ini_field_bool("windowed_toolbar", &view_toolbar[0]);
    ini_field_bool("windowed_sidebar", &view_gamelist[0]);
    ini_field_bool("windowed_statusbar", &view_statusbar[0]);
    ini_field_bool("writeprotect", &write_protect[0]);
    ini_field_bool("writeprotect2", &write_protect[1]);
    ini_field_bool("writeprotect3", &tape_write_protect);
    ini_field_bool("writeprotect4", &papertape_write_protect);

    char key[32];
    for (int c = 0; c < 24; c++) {
        for (int p = 0; p < 6; p++) {
            std::snprintf(key, sizeof key, "colour_%02d_%d", c, p);
            u8 r = palette_get_red(p, c), g = palette_get_green(p, c), b = palette_get_blue(p, c);
            ini_field_colour(key, &r, &g, &b);
            if (reading()) {
                palette_set_red_grey(p, c, r);
                palette_set_green_grey(p, c, g);
                palette_set_blue_grey(p, c, b);
            }
        }
    }

    path_field("path_disks", disks_path);
    games_path_field();
    path_field("path_projects", projects_path);
    path_field("path_screenshots", screenshots_path);
    path_field("path_scripts", scripts_path);
    path_field("path_tapes", tapes_path);
    for (int i = 0; i < 8; i++) {
        std::snprintf(key, sizeof key, "recent_%d", i);
        path_field(key, recent_files[i]);
    }
    if (reading()) {
        recent_count = 0;
        for (int i = 0; i < 8; i++)
            if (recent_files[i][0]) recent_count = i + 1;
    }
}

static void integers_a() {
    ini_field_int("base", &dbg_base, 0, 3);
    ini_field_int("binbug_baudrate", &binbug_baudrate, 0, 3);
    ini_field_int("binbug_biosversion", &binbug_biosversion, 0, 5);
    ini_field_int("binbug_dosversion", &binbug_dosversion, 0, 2);
    ini_field_int("binbug_interface", &binbug_interface, 0, 1);
    ini_field_int("binbug_userdrives", &binbug_userdrives, 1, 2);
    ini_field_int("cd2650_biosversion", &cd2650_biosversion, 0, 2);
    ini_field_int("cd2650_dosversion", &cd2650_dosversion, 0, 2);
    ini_field_int("cd2650_userdrives", &cd2650_userdrives, 1, 4);
    ini_field_int("cd2650_vdu", &cd2650_vdu, 0, 2);
    run_only_field(&clip_unit, cmdline_clip_unit >= 0, cmdline_clip_unit, &clip_unit_in_file,
                   [](u32* v) { ini_field_int("clipunit", v, 0, 255); });
    ini_field_int("colourset", &colourset, 0, 5);
    ini_field_int("controller_left", &controller_left, 0, 8);
    ini_field_int("controller_right", &controller_right, 0, 8);
    ini_field_int("debugger_drive", &debugger_drive, 0, 3);
    ini_field_int("demultiplex", &demultiplex, 0, 2);
    if (demultiplex == 1) demultiplex = 2;

    ini_field_byte("dips_astrowars", &dips_astrowars);
    ini_field_byte("dips_astrowars_2", &dips_astrowars_2);
    ini_field_byte("dips_galaxia", &dips_galaxia);
    ini_field_byte("dips_laserbattle", &dips_laserbattle);
    ini_field_byte("dips_lazarian_2", &dips_lazarian_2);
    ini_field_byte("dips_lazarian_3", &dips_lazarian_3);

    ini_field_int("elektor_biosversion", &elektor_biosversion, 0, 1);
    ini_field_int("filter", &display_filter, 0, 3);
    if (display_filter < 2) display_filter = 3;
    ini_field_int("frameskipping", &frame_skip, 1, 11);
    // A log that could not be opened is off for its session only.
    int log_mode_kept = log_mode == LOG_OFF && log_mode_failed >= 0 ? log_mode_failed : log_mode;
    ini_field_int("logtofile", reading() ? &log_mode : &log_mode_kept, 0, 2);
    if (reading()) log_mode_failed = -1;
    ini_field_int("keyboardtype", &keyboardtype, 0, 2);
    ini_field_int("keymap", &keymap, 0, 2);
    {
        // Reading records the chosen map; start-up switches to it through the machine
        // switch, so reading settings never changes the running machine behind its back.
        // A session writes the map that runs; a run with no machine (UPGRADE)
        // writes the one its file chose.
        i32 map = static_cast<i32>(reading() || !app_acquired.machine_ready ? settings_memmap
                                                                            : memmap);
        ini_field_int("memorymap", &map, 0, MEMMAPS - 1);
        if (reading() && map != static_cast<i32>(settings_memmap)) {
            if (memmap_is_empty(static_cast<u32>(map)))
                ini_refuse_value("memorymap",
                                 "memorymap: memory map " + std::to_string(map) + " is empty!",
                                 std::to_string(settings_memmap));
            else
                settings_memmap = static_cast<u32>(map);
        }
    }
    run_only_field(&net_port, cmdline_net_port >= 0, cmdline_net_port, &net_port_in_file,
                   [](u16* v) { ini_field_word("netport", v, 0, 65535); });
}

static void integers_b() {
    char key[32];
    ini_field_int("nexttip", &next_tip, 0, 25);
    ini_field_int("notation", &dis_notation, 0, 4);
    ini_field_int("phunsy_biosversion", &phunsy_biosversion, 0, 1);
    ini_field_int("pipbug_baudrate", &pipbug_baudrate, 0, 2);
    ini_field_int("pipbug_biosversion", &pipbug_bios, 0, 3);
    ini_field_int("pipbug_peripheral", &pipbug_peripheral, 0, 3);
    ini_field_int("pipbug_vdu", &pipbug_vdu, 0, 5);
    ini_field_int("pong_angles", &pong_angles, 0, 2);
    ini_field_int("pong_batsizes", &pong_batsizes, 0, 3);
    ini_field_int("pong_machine", &pong_machine, 0, 2);
    ini_field_int("pong_players", &pong_players, 0, 3);
    ini_field_int("pong_serving", &pong_serving, 0, 1);
    ini_field_int("pong_speed", &pong_speed, 0, 2);
    ini_field_int("pong_variant", &pong_variant, 0, 16);
    for (int i = 0; i < 8; i++) {
        std::snprintf(key, sizeof key, "recentmemmap_%d", i);
        ini_field_int(key, &recent_memmaps[i], -1, 30);
        std::snprintf(key, sizeof key, "recentgame_%d", i);
        ini_field_int(key, &recent_games[i], -1, 859);
    }
    ini_field_int("region", &emu_region, 0, 1);
    ini_field_int("regionstart", &memedit_base, 0, 32512);
    ini_field_int("robot_left", &robot_left, 0, 4);
    ini_field_int("robot_right", &robot_right, 0, 4);
    ini_field_int("samplerate", &snd_record_rate, 11025, 22050);
    ini_field_int("selbst_biosversion", &selbst_biosversion, 0, 3);
    ini_field_int("sensitivity_left", &sensitivity_left, 1, 5);
    ini_field_int("sensitivity_right", &sensitivity_right, 1, 5);
    ini_field_int("sidebarwidth", &game_list_width, 0, 65535);
    ini_field_int("si50_intselector", &si50_intselector, 0, 1);
    ini_field_int("si50_interrupts", &si50_interrupts, 0, 1);
    ini_field_int("si50_parallelio", &si50_parallelio, 0, 2);
    {
        u8 v = static_cast<u8>(si50_toggles);
        ini_field_byte("si50_toggles", &v);
        si50_toggles = v;
    }

    // On the program's own screen the windowed values kept aside are written.
    bool own_screen = !reading() && display_mode == 1;
    u32 scale = own_screen ? windowed_scale : display_scale;
    ini_field_int("size", &scale, 1, 6);
    if (reading()) display_scale = scale;
    ini_field_int("sortby", &games_sort_by, 0, 1);
    ini_field_int("soundoutput", &snd_output_mode, 0, 1);
    ini_field_int("speech_pitch", &speech_pitch, 65, 320);
    ini_field_byte("speech_race", &speech_race);
    ini_field_byte("speech_sex", &speech_sex);
    ini_field_int("speech_wpm", &speech_wpm, 40, 400);
    ini_field_int("speech_articulation", &speech_articulation, 0, 255);
    ini_field_int("speech_centralization", &speech_centralization, 0, 100);
    ini_field_int("speech_centralizeto", &speech_centralizeto, 0, 10);
    ini_field_int("speech_enthusiasm", &speech_enthusiasm, 0, 255);
    ini_field_int("speech_frication", &speech_frication, -32, 31);
    ini_field_int("speech_perturbation", &speech_perturbation, 0, 255);
    ini_field_int("speech_voicing", &speech_voicing, -32, 31);
    ini_field_int("speed", &emu_speed, 0, 8);
    ini_field_byte("tapeskewage", &tapeskewage);
}

static void integers_c() {
    char key[32];
    ini_field_int("timeunit", &dbg_time_unit, 0, 2);
    ini_field_int("twin_dosversion", &twin_dosversion, 0, 6);
    ini_field_int("twin_printerunit", &twin_printerunit, 0, 1);
    for (int i = 0; i < 2; i++) {
        std::snprintf(key, sizeof key, "twin_ribbon_%d", i);
        ini_field_int(key, &twin_ribbon[i], 0, 3);
        std::snprintf(key, sizeof key, "twin_condensed_%d", i);
        ini_field_int(key, &twin_condensed[i], 0, 1);
    }
    ini_field_int("verbosity", &verbosity, 0, 2);
    ini_field_int("viewctrlsas_arcadia", &viewctrlsas_arcadia, 0, 2);
    ini_field_int("viewctrlsas_8550", &viewctrlsas_8550, 0, 1);
    ini_field_int("viewctrlsas_8600", &viewctrlsas_8600, 0, 1);
    ini_field_int("viewdiskas", &viewdiskas, 0, 1);
    ini_field_int("viewkybdas", &viewkybdas, 0, 2);
    ini_field_int("viewmemoryas", &memedit_view_as, 0, 1);
    ini_field_int("viewmemorymapas", &memedit_map_view, 0, 2);
    ini_field_int("viewpadsas", &viewpadsas, 0, 2);
    ini_field_int("viewpadsas2", &viewpadsas2, 0, 1);
    ini_field_int("viewspeedas", &viewspeedas, 0, 2);
    ini_field_int("volume", &snd_master_volume, 0, 8);
    ini_field_int("narrowprinter", &narrowprinter, 0, 1);
    bool own_screen = !reading() && display_mode == 1;
    // Read, 0 stands for none in the file: the machine's default holds then.
    u32 width = reading() ? 0 : own_screen ? windowed_width : display_aspect;
    ini_field_int("width", &width, 1, 2);
    if (reading() && width) display_aspect = width;
    // The choice for the kind of machine the file does not name (0: none).
    u32 other_width = reading() ? 0 : prefs_other_kind_stretch(machine_stretch_kind());
    ini_field_int("otherwidth", &other_width, 0, 2);
    if (reading()) prefs_stretch_read(width, other_width);
    ini_field_int("winleftx", &main_window_pos[0], -32768, 32767);
    ini_field_int("wintopy", &main_window_pos[1], -32768, 32767);

    ini_field_word("console_start", &console_keys[0], 0, 127);
    ini_field_word("console_a", &console_keys[1], 0, 127);
    ini_field_word("console_b", &console_keys[2], 0, 127);
    ini_field_word("console_reset", &console_keys[3], 0, 127);
    for (int i = 0; i < 28; i++) {
        std::snprintf(key, sizeof key, "left_%02d", i);
        ini_field_word(key, &player_keys[0][i], 0, 127);
    }
    for (int i = 0; i < 28; i++) {
        std::snprintf(key, sizeof key, "right_%02d", i);
        ini_field_word(key, &player_keys[1][i], 0, 127);
    }
    for (int i = 0; i < 4; i++) {
        std::snprintf(key, sizeof key, "leftbutton_%d", i);
        gamepad_button_field(key, &leftbutton[i]);
    }
    for (int i = 0; i < 4; i++) {
        std::snprintf(key, sizeof key, "rightbutton_%d", i);
        gamepad_button_field(key, &rightbutton[i]);
    }
}

bool settings_walk() {
    // The file gets the user's own choices, not what a game or state set for its run.
    const PrefsUserChoice users_own(!reading());
    char version[16];
    std::snprintf(version, sizeof version, "%s", INI_VERSION);
    // A settings file begins with its version line (after blank lines or
    // comments, if any); other text is something else.
    if (reading() && !ini_first_key_is("version")) {
        con_printf("Not a settings file!\n");
        return false;
    }
    ini_field_text("version", version, sizeof version);
    if (reading() && std::strcmp(version, "36.21") != 0 && std::strcmp(version, "36.2") != 0 &&
        std::strcmp(version, "36.1") != 0) {
        con_printf("Wrong INI file version (obsolete/future)!\n");
        return false;
    }
    i32 host = 0;
    ini_field_int("host", &host, 0, 1);
    if (reading() && host != 0) {
        con_printf("Foreign host INI file format!\n");
        return false;
    }
    booleans_a();
    booleans_b();
    views_and_colours();
    integers_a();
    integers_b();
    integers_c();
    // Which of the kept settings the user chose: those win over a machine's
    // set-up's own values. Those the line names, and those whose line holds
    // a value other than the default: typed in by hand.
    char chosen[1024];
    std::snprintf(chosen, sizeof chosen, "%s", reading() ? "" : prefs_chosen_keys().c_str());
    if (reading() || chosen[0] || ini_keeps_refused("userchosen"))
        ini_field_text("userchosen", chosen, sizeof chosen);
    if (reading()) {
        prefs_take_user_choice();
        const std::string unknown = prefs_read_chosen_keys(chosen, ini_line_taken);
        if (!unknown.empty())
            ini_refuse_value("userchosen", "userchosen: no such setting: " + unknown + "!",
                             prefs_chosen_keys());
    }
    return true;
}
