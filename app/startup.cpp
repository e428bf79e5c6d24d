#include "app/startup.h"
#include "app/settings_table.h"

#include "app/cmdline.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/guest_roms.h"
#include "core/files_in_use.h"
#include "core/loader.h"
#include "core/hiscore.h"
#include "core/machine.h"
#include "core/user_prefs.h"
#include "input/console_buttons.h"
#include "input/controls_help.h"
#include "input/host_key_labels.h"
#include "input/joysticks.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "core/machine_table.h"
#include "peripherals/changed_media.h"
#include "peripherals/printer.h"
#include "peripherals/printer_kept.h"
#include "core/savestate.h"
#include "app/mainloop.h"
#include "core/notify.h"
#include "core/message.h"
#include "core/message_date.h"
#include "core/gamesdb.h"
#include "core/recording.h"
#include "core/serial.h"
#include "app/rexx_host.h"
#include "core/seams_services.h"
#include "sound/effects.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "core/ui_host.h"
#include "cpu/disasm.h"
#include "debugger/commands.h"
#include "debugger/debugger.h"
#include "debugger/disasm_file.h"
#include "debugger/labels.h"
#include "gui/main_window.h"
#include "gui/update_check.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "display/colour_names.h"
#include "display/frame.h"
#include "display/host.h"
#include "display/led.h"

#include <langinfo.h>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

void startup_reset_state() {
    startup_mode = 0;
    asm_source_path[0] = rexx_script_path[0] = startup_sym_path[0] = rexx_port_name[0] = '\0';
    pubscreen_name[0][0] = '\0';
    std::snprintf(pubscreen_name[1], PUBSCREEN_NAME_LEN, "Brindlemox");
    file_name_buffer[0] = '\0';
    std::snprintf(settings_path, sizeof settings_path, "PROGDIR:Configs/Brindlemox.ini");
    use_lowlevel = 1;
    task_priority = 0;
    task_priority_given = 0;
    lock_config = 0;
    upgrade_mode = 0;
    cmdline_upgrade = false;
    cmdline_fullscreen_given = false;
    settings_games_path_unreached[0] = '\0';
}

void emu_reset_all() {
    app_install_hooks();
    app_exit_reset();
    // The guest frame starts cleared, the palettes built-in; the fixed
    // pictures of the blanking intervals and the LED panels are drawn here,
    // before anything can show them.
    display_clear_frame();
    palette_reset();
    display_build_blanking_pictures();
    led_panel_background();
    display_beam_marker_reset();
    message_reset();
    rec_reset();
    ini_read_text(ini_default_text());
    prefs_forget_stretches(); // the defaults' width is no one's choice
    ini_loaded = 0;
    ini_load_ran = 0;
    display_mode = 0; // windowed: the file's size and width are the display's
    windowed_scale = windowed_width = 1;
    startup_reset_state();
    frame_reset();
    hiscore_reset();
    ui_changes_reset();
    machine_table_reset();
    snd_output_reset();
    snd_voice_update_reset();
    snd_build_note_tables();
    known_game_id = -1;
    games_list_reset();
    game_start_address = 0;
    file_loaded = 0;
    input_keys_reset();
    input_key_events_reset();
    input_paddles_reset();
    input_joysticks_reset();
    input_console_buttons_reset();
    host_key_labels_reset();
    dbg_commands_reset();
    sprite_mode = 2; // the debugger's SPR choice lasts until the program ends
}

void startup_absolute_path(char* path, int size) {
    if (!path[0] || path[0] == '/' || std::strchr(path, ':') || !startup_dir[0]) return;
    std::string joined = std::string(startup_dir) + "/" + path;
    if (static_cast<int>(joined.size()) < size) std::snprintf(path, size, "%s", joined.c_str());
}

// The files the program ships (see path_resources) are copied into the
// program home where they are missing, each under a temporary name renamed
// into place. A copy is replaced by a newer shipped file only while it is
// still exactly what was copied: "Configs/Brindlemox.shipped" keeps the
// CRC-32 of each copy. Whatever else is there (a copy the user changed, such
// as tips of their own or another sound, or a file of a home older than that
// record) stays. Failed copies are reported in one line and tried again at the
// next start.
constexpr size_t SEED_FILE_MAX = 64u << 20;
constexpr const char* SHIPPED_RECORD = "PROGDIR:Configs/Brindlemox.shipped";

// The record's lines: "%08x <path>\n", the path relative to the home.
static std::map<std::string, u32> read_shipped_record() {
    std::map<std::string, u32> record;
    std::string text;
    if (!file_read_whole(path_to_host(SHIPPED_RECORD), &text, SEED_FILE_MAX)) return record;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        char* rest = nullptr;
        const unsigned long crc = std::strtoul(line.c_str(), &rest, 16);
        if (rest == line.c_str() + 8 && *rest == ' ' && rest[1])
            record[rest + 1] = static_cast<u32>(crc);
    }
    return record;
}

static u32 crc_of(const std::string& data) {
    return crc32(reinterpret_cast<const u8*>(data.data()), static_cast<i32>(data.size()));
}

static void seed_progdir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string found = path_resources();
    if (found.empty()) return;
    const fs::path source = found;
    const fs::path home = path_progdir();
    std::map<std::string, u32> record = read_shipped_record();
    bool recorded = false;
    int failed = 0;
    std::string first_error;
    for (auto it = fs::recursive_directory_iterator(source, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code e;
        const fs::path relative = fs::relative(it->path(), source, e);
        const fs::path target = home / relative;
        if (it->is_directory(e)) {
            fs::create_directories(target, e);
            continue;
        }
        std::string data, error;
        if (!file_read_whole(it->path(), &data, SEED_FILE_MAX)) {
            if (!failed++) first_error = "can't read " + it->path().string();
            continue;
        }
        const u32 shipped = crc_of(data);
        const auto known = record.find(relative.string());
        const fs::file_status there = fs::symlink_status(target, e);
        if (fs::exists(there)) {
            if (known != record.end() && known->second == shipped) continue;
            std::string copy;
            if (!fs::is_regular_file(there) || !file_read_whole(target, &copy, SEED_FILE_MAX))
                continue;
            const u32 now = crc_of(copy);
            if (now == shipped) {
                record[relative.string()] = shipped; // as shipped: it may be updated later
                recorded = true;
                continue;
            }
            if (known == record.end() || known->second != now) continue; // the user's own
        }
        if (file_write_replace(target, data.data(), data.size(), &error, false)) {
            record[relative.string()] = shipped;
            recorded = true;
        } else if (!failed++) {
            first_error = error;
        }
    }
    if (recorded) {
        std::string text;
        char crc[16];
        for (const auto& [name, value] : record) {
            std::snprintf(crc, sizeof crc, "%08x ", static_cast<unsigned>(value));
            text += crc + name + "\n";
        }
        file_write_replace(path_to_host(SHIPPED_RECORD), text.data(), text.size(), nullptr, false);
    }
    if (failed)
        con_printf("%d of the program's files could not be copied into its home (%s); the next "
                   "start tries again.\n",
                   failed, first_error.c_str());
}

// Separators and the date order from the C locale the user's environment
// names; text other than UTF-8 or Latin-1 (ISO 8859-1/-15) cannot show the
// Latin-1 characters.
static void read_locale() {
    const char* name = std::setlocale(LC_ALL, "");
    if (const std::lconv* lc = std::localeconv()) {
        if (lc->decimal_point && lc->decimal_point[0]) locale_decimal_point = lc->decimal_point[0];
        if (lc->thousands_sep && lc->thousands_sep[0])
            locale_group_separator = lc->thousands_sep[0];
    }
    // The C and POSIX locales name no country's order: the day stays first.
    const char* time_name = std::setlocale(LC_TIME, nullptr);
    const std::string time_locale = time_name ? time_name : "C";
    date_month_first = time_locale != "C" && time_locale != "POSIX" &&
                       time_locale.rfind("C.", 0) != 0 &&
                       date_format_month_first(nl_langinfo(D_FMT));
    std::string codeset = name ? name : "";
    for (char& c : codeset)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    locale_latin1 =
        codeset.find('.') == std::string::npos || codeset.find("UTF-8") != std::string::npos ||
        codeset.find("UTF8") != std::string::npos || codeset.find("8859-1") != std::string::npos ||
        codeset.find("8859-15") != std::string::npos;
    std::setlocale(LC_ALL, "C"); // the program formats its own numbers
}

// On the console, and in a warning over the window.
static void say_at_start(const std::string& text) {
    con_printf("%s\n", text.c_str());
    ui_warning(text.c_str());
}

// The autosave that this start does not bring back stays as it is while it
// keeps changed disks of an earlier run: the next start that resumes it
// brings them back.
// One a later version of the program wrote (the user went back a version)
// is that version's to resume, with whatever it keeps.
static void keep_autosave_aside() {
    const std::string host = path_to_host(autosave_path());
    if (autosave && state_file_is_newer(autosave_path())) {
        app_autosave_keep_aside("it was made by a newer version of Brindlemox, which this one "
                                "cannot read");
        say_at_start("The autosave \"" + host +
                     "\" was made by a newer version of Brindlemox: this one leaves it as it is "
                     "for that version to resume, and writes no autosave over it. Saving a state "
                     "over it (Save state as...) makes it this version's autosave again; "
                     "switching the autosave off ends this.");
        return;
    }
    if (!media_changed_in_state(autosave_path())) return;
    app_autosave_keep_aside("it keeps changed disks of an earlier run, which this one did not "
                            "bring back");
    say_at_start("The autosave \"" + host +
                 "\" keeps changed disks of an earlier run: this start did not bring them back, "
                 "and leaves it as it is for the next start that does.");
}

// The pages the printers could not save at the last way out, kept in
// `host` (beside the autosave, or in the settings' folder) as `data`: put
// back on the units, each in the printout it was printed in. A file that
// cannot be read stays as it is, and is named. Whether they are back.
static bool restore_printer_pages_from(const std::string& host, const std::string& data,
                                       bool read) {
    std::string why = read ? "" : "it cannot be read";
    if (why.empty() &&
        !printer_kept_restore(reinterpret_cast<const u8*>(data.data()), data.size(), &why) &&
        why.empty())
        why = "it is not whole";
    if (!why.empty()) {
        say_at_start("The printed pages kept in \"" + host + "\" are not back (" + why +
                     "): the file stays as it is.");
        app_printer_pages_seen(0, host);
        return false;
    }
    // A file that keeps none only outranks an older one.
    if (data.size() > printer_kept_none(0).size())
        con_printf("The printed pages the last quit kept are back from \"%s\".\n", host.c_str());
    return true;
}

// The pages kept by the last way out saved now, or, where they still cannot
// be, kept on the units (the sheet back on its paper) and in their file. Of
// several such files the newest holds what is kept: an older one (which a
// way out could not remove) holds pages saved or kept since, and is not
// taken up again.
static void restore_printer_pages() {
    if (app_acquired.home_shared) return;
    struct Found {
        std::string host, data;
        bool read = false;
        u64 generation = 0;
    };
    std::vector<Found> found;
    u64 newest = 0;
    std::error_code ec;
    for (const std::string& host : app_printer_pages_files()) {
        if (!std::filesystem::exists(std::filesystem::symlink_status(host, ec))) continue;
        Found f;
        f.host = host;
        f.read = file_read_whole(host, &f.data, std::size_t{1} << 30);
        if (f.read)
            f.generation =
                printer_kept_generation(reinterpret_cast<const u8*>(f.data.data()), f.data.size());
        newest = std::max(newest, f.generation);
        found.push_back(std::move(f));
    }
    if (found.empty()) return;
    app_printer_pages_seen(newest);
    bool back = false, outranked = false;
    for (const Found& f : found) {
        if (f.read && f.generation < newest) {
            outranked = true;
            continue;
        }
        back = restore_printer_pages_from(f.host, f.data, f.read) || back;
    }
    if (!back && !outranked) return;
    printer_finish_pages();
    const std::vector<u8> left = printer_kept_bytes(newest);
    // Nothing to write while the one file taken up holds what is left.
    if (!outranked && found.size() == 1 && !left.empty() &&
        left.size() == found.front().data.size() &&
        std::memcmp(left.data(), found.front().data.data(), left.size()) == 0)
        return;
    if (const std::string why = app_printer_pages_put(); !why.empty())
        say_at_start(why.substr(0, why.size() - 1));
    // What the guest prints next is a printout of its own.
    if (back && left.empty()) printer_begin_printout();
}

// The console during a batch disassembly: what goes to the listing file is
// not echoed.
static void listing_sink(const char* text) {
    if (!asm_output_file) con_console_sink(text);
}

// One session per home: a second one runs but writes nothing at exit, and
// no log (the log belongs to the session that holds the home).
static void lock_progdir() {
    const int locked = path_lock_file(path_to_host("PROGDIR:Configs/Brindlemox.lock"));
    app_acquired.home_locked = locked == 1;
    app_acquired.home_shared = locked == 0;
    if (locked == 0) {
        con_printf("Another Brindlemox is using \"%s\": this one will not save %s, and "
                   "leaves the log (%s) to the other one.\n",
                   path_progdir().c_str(), app_session_files().c_str(), LOG_FILE_NAME);
        const std::string why =
            "No log is written while another Brindlemox is using \"" + path_progdir() + "\".";
        log_leave_to_other(why.c_str());
    }
}

// A games drawer that cannot be read at start (a drive not plugged in) is
// said on the console, and in the status bar once the window stands; the
// session goes on in the home's games drawer, and nobody is asked.
static std::string games_drawer_note;
static void check_games_drawer() {
    constexpr const char* home_games = "PROGDIR:Games";
    std::error_code ec;
    std::filesystem::directory_iterator(path_to_host(games_path[0] ? games_path : "."), ec);
    if (!ec) return;
    games_drawer_note = "Can't lock directory \"" + std::string(games_path) +
                        "\"! The games drawer is \"" + home_games + "\" instead.";
    con_printf("%s\n", games_drawer_note.c_str());
    std::snprintf(settings_games_path_unreached, SETTINGS_PATH_LEN, "%s", games_path);
    std::snprintf(games_path, sizeof games_path, "%s", home_games);
}

// Whether `named` is the autosave or holds it byte for byte (a copy of it).
static bool holds_the_autosave(const std::string& named) {
    std::string given, kept;
    const u32 limit = load_kind_max_size(KIND_COS);
    return file_read_whole(path_to_host(named), &given, limit) &&
           file_read_whole(path_to_host(autosave_path()), &kept, limit) && given == kept;
}

// The machine of a start without a file: the autosave resumed, or, when it is
// off or not resumed, the configured machine reset (and the autosave left as
// it is where it must be). `refused`: this start's load of the autosave was
// refused already. Whether the autosave runs.
static bool resume_autosave(bool refused = false) {
    file_name_buffer[0] = '\0'; // no file runs yet
    file_name_running("", false);
    const bool loaded =
        autosave && !refused && file_load_request(load_request(autosave_path().c_str(), 1)) != 0;
    if (!loaded) keep_autosave_aside();
    machine_adapt_opcode_tables();
    if (!loaded) emu_reset_request(false);
    return loaded;
}

// The warnings of the loads of the file a start was given are held: a file
// not loaded is named once, with them, in the start's own word; the warnings
// of a load that went ahead (or was refused in words of its own) are given
// as ever.
static std::vector<std::string> held_warnings;

// Holds the warnings given while it lives.
class HoldWarnings : public UiWarningsTo {
  public:
    HoldWarnings()
        : UiWarningsTo([](const std::string& text) { held_warnings.push_back(text); }) {}
};

// Gives the held warnings, in order.
static void give_held_warnings() {
    std::vector<std::string> given;
    given.swap(held_warnings);
    for (const std::string& text : given)
        ui_warning(text.c_str());
}

// What the held warnings said, one after the other ("" none); they are done.
static std::string take_held_warnings() {
    std::string said;
    for (const std::string& text : held_warnings)
        said += (said.empty() ? "" : "\n") + text;
    held_warnings.clear();
    return said;
}

// A start given a file it did not load is a start without a file (the
// machine is as that start leaves it): it says so, why, and what runs, on the
// console and in the window.
static void say_not_loaded(const std::string& named, const std::string& refusal,
                           const std::string& warned, bool resumed) {
    std::string why = refusal.empty() ? "" : " (" + refusal + ")";
    why += warned.empty() ? "." : ": " + warned;
    const std::string instead = resumed ? "this start resumes the autosave"
                                : autosave
                                    ? "this start resumes no autosave: the machine is set up afresh"
                                    : "the autosave is off: the machine is set up afresh";
    say_at_start("\"" + path_to_host(named) + "\" was not loaded" + why +
                 "\nAs at a start without a file, " + instead + ".");
}

// A start given a game, a program or a state loads it into the machine set
// up at start; one given a medium puts it into the autosave's. A file not
// loaded (not there, no loader takes it, the machine does not take it, its
// content refused) costs nothing: the start is a start without a file, and
// says why the file was not loaded.
//
// A changed disk that a way out said the autosave keeps stays kept whatever
// the next start does. A start given a file brings the autosave's changed
// disks back first and loads the file into that machine: a program for it
// keeps them, and a file that would drop them (a state, a program of another
// machine, a disk for their drive) is not loaded, and the start says why and
// how the disk is saved or dropped. The autosave given by name (or a copy of
// it) is what brings them back, and a disk image a drive holds already stays
// there as it is, said at start. A start that does not bring them back (the
// autosave switched off, or its load refused) leaves the autosave as it is
// and says so; another settings file has an autosave of its own, and a batch
// job writes none.
static void start_with_file(const std::string& named) {
    std::string refusal; // why the last load of it failed, when the loader says
    const auto load_named = [&named, &refusal]() {
        const HoldWarnings hold;
        const int result = file_load_request(load_request_chosen(named.c_str()));
        refusal = file_load_refusal();
        return result;
    };
    bool resumed = false;
    bool autosave_refused = false; // a second load of it would fare no better
    int loaded = LOAD_FAILED;
    // A medium (a tape, a disk, a papertape, labels) goes into the machine a
    // start without it would run, the autosave's: what the user left there
    // runs on with it, and the next way out keeps both.
    if (autosave && (file_taken_beside(named.c_str()) || media_changed_in_state(autosave_path()))) {
        if (holds_the_autosave(named)) {
            loaded = load_named();
            resumed = loaded != LOAD_FAILED;
        }
        if (!resumed) {
            resumed = file_load_request(load_request(autosave_path().c_str(), 1)) != 0;
            autosave_refused = !resumed;
        }
    }
    std::string refused; // the start's word on a file that would drop a kept disk
    if (resumed && loaded == LOAD_FAILED) {
        const std::string host = path_to_host(named);
        if (const int drive = medium_unit_holding(host, FileUse::disk); drive >= 0) {
            const std::string d = std::to_string(drive);
            refused = drives[drive].changed
                          ? host + " is already in drive " + d +
                                ", changed as the autosave kept it; it stays there as it is. " +
                                media_ways_out(1u << drive, false) + "."
                          : host + " is already in drive " + d + "; it stays there as it is.";
            loaded = LOAD_MEDIUM;
        } else {
            media_take_refusal();
            {
                const MediaKeptUnasked keep;
                loaded = load_named();
            }
            u32 media = 0;
            if (const std::string why = media_take_refusal(&media); !why.empty())
                refused = "Not loaded: " + named + ": " + why + " (the autosave brought " +
                          (media & (media - 1) ? "them" : "it") + " back). " +
                          media_ways_out(media, false) + "; then open the file again.";
        }
    } else if (!resumed) {
        const u32 map = memmap;
        const i32 game = known_game_id;
        loaded = load_named();
        if (loaded == LOAD_FAILED) {
            // What the refused load set up on its way goes: the machine is
            // the one this start set up, as at a start without a file.
            if (memmap != map || known_game_id != game)
                machine_switch(memmap_table[settings_memmap].machine,
                               static_cast<int>(settings_memmap), true, true, true);
            autosave_refused = autosave_refused || holds_the_autosave(named);
        }
    }
    if (loaded != LOAD_FAILED || !refused.empty()) {
        give_held_warnings();
        if (!resumed) keep_autosave_aside();
        machine_adapt_opcode_tables();
        if (!refused.empty()) say_at_start(refused);
        return;
    }
    const std::string warned = take_held_warnings();
    if (resumed)
        machine_adapt_opcode_tables();
    else
        resumed = resume_autosave(autosave_refused);
    say_not_loaded(named, refusal, warned, resumed);
}

bool startup_batch_job() {
    return startup_mode != 0 || cmdline_upgrade;
}

void app_main(int argc, char** argv) {
    // 1-2: names, the program's home as the current directory (the reset has
    // drawn the guest frame, palettes and fixed pictures).
    path_fix_progdir();
    emu_reset_all();
    log_hold(); // until the session has started (a run that ends earlier writes no log)
    if (cmdline_help_asked(argc, argv)) {
        cmdline_print_help(argc > 0 ? argv[0] : nullptr);
        app_clean_exit(0);
    }
    if (cmdline_version_asked(argc, argv)) {
        std::printf("%s\n", cmdline_version);
        app_clean_exit(0);
    }
    if (!getcwd(startup_dir, sizeof startup_dir)) startup_dir[0] = '\0';
    if (!path_make_progdir()) {
        con_printf("Can't create the program's home folder \"%s\" (%s)!\n", path_progdir().c_str(),
                   std::strerror(errno));
        app_clean_exit(1);
    }
    for (const char* drawer :
         {"PROGDIR:Configs", "PROGDIR:Disks", "PROGDIR:Games", "PROGDIR:Projects",
          "PROGDIR:Screenshots", "PROGDIR:ARexx", "PROGDIR:Tapes"})
        path_make_dirs(path_to_host(drawer));
    seed_progdir();
    guest_roms_seed_drawer();
    if (chdir(path_progdir().c_str()) == 0) app_acquired.progdir_entered = true;

    // 11-12: the catalog's texts that live in tables.
    file_kinds_load_titles();
    key_table_localise();
    display_colour_names();
    controls_names_localise();

    // 13: the user's locale.
    read_locale();

    app_install_break_handler();

    // 21: the command line, read before the settings: a run started with a
    // SETTINGS file takes every setting from that file alone (the display
    // mode, the log, the window's size among them), and what the command line
    // and the run's kind put over them (FULLSCREEN, no log) is put over that
    // file's values.
    std::snprintf(program_path, sizeof program_path, "PROGDIR:%s",
                  argc > 0 ? std::filesystem::path(argv[0]).filename().c_str() : "Brindlemox");
    int rc = cmdline_take(argc, argv);
    if (rc) app_clean_exit(rc);

    // 15-16: the settings, the file named by SETTINGS in place of the
    // default one.
    if (cmdline_settings_given) {
        // Running on other settings than the ones asked for would do the
        // wrong job quietly (and write the named file at exit).
        if (!ini_load_named()) app_clean_exit(1);
    } else if (!cmdline_upgrade) {
        // UPGRADE reads each file itself, from the defaults (and names what
        // it cannot take there, once).
        ini_load();
    }
    app_acquired.settings_read = true;
    display_mode = fullscreen ? 1 : 0;
    windowed_scale = display_scale;
    windowed_width = display_aspect;

    if (startup_batch_job()) {
        // A batch job opens no window and never waits for a user: its warnings
        // go to standard error. It writes only its own files: not the log
        // either, whatever the settings say of it.
        ui_host_defaults();
        app_acquired.settings_read = false;
        log_mode = LOG_OFF;
    } else {
        lock_progdir();
        // 6-14: the display connection (the one "library" a session needs).
        if (!gui_host_init(argc, argv)) {
            con_printf("Need a display (set DISPLAY or QT_QPA_PLATFORM)!\n");
            app_acquired.settings_read = false; // no session ran: nothing to keep
            app_clean_exit(1);
        }
        app_acquired.host_gui = true;
    }
    // What the processor's reports reach above it: labels and comments always;
    // a stop waits for the user only in a session, where its event pass runs.
    dbg_install_cpu_host(startup_batch_job() ? nullptr : app_paused_event_pass);
    if (cmdline_upgrade) {
        upgrade_mode = 1;
        app_clean_exit(ini_upgrade_all());
    }
    if (cmdline_fullscreen_given) {
        fullscreen = static_cast<u32>(cmdline_fullscreen);
        display_mode = static_cast<u32>(cmdline_fullscreen);
    }
    startup_absolute_path(file_name_buffer, sizeof file_name_buffer);
    startup_absolute_path(asm_source_path, sizeof asm_source_path);
    startup_absolute_path(startup_sym_path, sizeof startup_sym_path);

    // The scripting port, before the machine is set up (not for batch jobs).
    if (startup_mode == 0) rexx_open_port();

    // PORT and CLIPUNIT hold for this run over the settings read.
    if (cmdline_net_port >= 0) net_port = static_cast<u16>(cmdline_net_port);
    if (cmdline_clip_unit >= 0) clip_unit = static_cast<u32>(cmdline_clip_unit);
    if (startup_mode == 2 && dis_file_exists(file_name_buffer)) {
        // The listing never replaces a file (it may be the user's source).
        ui_warning((dis_file_name(file_name_buffer) + " exists; not overwritten.").c_str());
        app_clean_exit(10);
    }

    // 25-26: high scores (and who sets them; a batch job has no use for them), priority.
    if (startup_mode == 0) {
        user_name_read();
        hiscore_load();
        app_acquired.hiscores_read = true;
    }
    errno = 0;
    task_priority_at_start = getpriority(PRIO_PROCESS, 0);
    if (task_priority_given && task_priority < 0) {
        // A lower priority is a higher nice value; raising it needs privileges.
        if (setpriority(PRIO_PROCESS, 0, task_priority_at_start - task_priority) == 0)
            app_acquired.priority_set = true;
    } else if (!task_priority_given) {
        task_priority = 0;
    }

    // The game controllers (not under NOLOWLEVEL) and their port types, the
    // sound output and its samples (the machine switch opens it): a batch job
    // plays nothing and reads no controller.
    snd_setup_audio();
    if (startup_mode == 0) {
        if (input_pads_open(use_lowlevel != 0)) app_acquired.pads = true;
        snd_load_samples();
    } else {
        snd_host_output = false;
    }

    // 36: the interface images of the toolbars and status bar.
    if (startup_mode == 0) {
        ui_host.load_images();
        app_acquired.images_loaded = true;
    }

    if (startup_mode == 0) check_games_drawer();
    // The console heard them as the file was read; the window shows them
    // once, as the machine's missing ROM images are shown.
    const std::string unread_settings = ini_take_unread_note();
    if (startup_mode == 0 && !unread_settings.empty()) ui_warning(unread_settings.c_str());

    // 39: the configured machine (which names its own files in the shared buffer).
    const std::string named_file = file_name_buffer;
    machine_switch(memmap_table[settings_memmap].machine, static_cast<int>(settings_memmap), true,
                   true, true);
    app_acquired.machine_ready = true;
    log_release();

    // 40-41: symbols, batch jobs, the first file.
    if (startup_sym_path[0]) dbg_load_symbols(startup_sym_path);
    if (startup_mode == 1) {
        int result = asm_assemble_startup(asm_source_path);
        app_clean_exit(result < 0 ? 1 : result);
    }
    if (startup_mode == 2) {
        const int loaded = file_load_request(load_request_chosen(named_file.c_str()));
        machine_adapt_opcode_tables();
        // A listing of a file that was never loaded would list nothing.
        if (!loaded) app_clean_exit(10);
        // The listing goes to its file; the console gets only the messages
        // printed while no file is open (such as one that cannot be written).
        con_push_sink(listing_sink);
        const bool written = dis_to_file(0x0000, 0x7FFF, named_file.c_str());
        con_pop_sink();
        app_clean_exit(written ? 0 : 10);
    } else if (cmdline_file_named) {
        start_with_file(named_file);
    } else {
        resume_autosave();
    }

    restore_printer_pages();

    // 42-47: the main window, the script or the tip, then the loop.
    games_rescan_pending = 1;
    ui_host.open_main_window(0);
    if (!games_drawer_note.empty()) gui_status_note(games_drawer_note.c_str());
    // A session quit paused starts paused; no frame has drawn its picture yet.
    app_draw_paused_picture();
    if (startupupdates && update_check_available() && ui_host.main_window_open()) net_check_updates(1);
    if (rexx_script_path[0])
        rexx_run_script(0, 1);
    else if (show_tips)
        ui_host.tip_of_the_day();
    emu_restart_timing();
    app_main_loop();
}
