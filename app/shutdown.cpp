#include "app/shutdown.h"
#include "peripherals/papertape.h"
#include "peripherals/tape.h"

#include "core/frame.h"
#include "core/serial.h"
#include "peripherals/printer.h"
#include "peripherals/printer_kept.h"
#include "core/held_things.h"
#include "core/hiscore.h"
#include "core/machine.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "app/rexx_host.h"
#include "core/settings.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "core/seams_services.h"
#include "sound/effects.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "app/startup.h"
#include "core/ui_host.h"
#include "platform/catalog.h"
#include "input/joysticks.h"
#include "input/netplay.h"
#include "platform/gui.h"
#include "platform/file_identity.h"
#include "platform/paths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sys/resource.h>
#include <unistd.h>

std::vector<std::string> app_exit_steps;
// What the port's QUIT may have done ahead of the exit path, each once.
static bool autosave_taken = false;
static bool windows_closed = false;
static bool files_taken = false;
static bool unwritten_said = false; // what a run on a shared home leaves was said
static bool outputs_finished = false;
// The autosave was due and could not be written: the way out keeps nothing in it.
static bool autosave_failed = false;
// Why this start left the autosave there as it is ("" it writes its own),
// and that file as it was then.
static std::string autosave_kept_aside;
static FileIdentity kept_aside_file;
// The printers' unsaved pages could be written nowhere; where they went.
static bool pages_unkept = false;
static bool pages_taken = false;
static std::string pages_file;
// The newest generation of the files of kept pages seen or written; the files
// the start could not take up, left as they are.
static u64 pages_generation = 0;
static std::vector<std::string> pages_left_alone;
// True while the port's QUIT writes ahead: a display that goes away then
// starts the exit path afresh, which finishes what was not done.
static bool writing_ahead = false;
// The exit path runs in stages. Only the stages that show or close windows
// pass host events (and so may find that the display went away); the others
// never wait on the display.
static int exit_code = 0;
static bool exit_session = false;
static size_t exit_stage = 0;

static void end_process(int code) {
    std::fflush(stdout);
    std::exit(code);
}
void (*app_exit_process)(int code) = end_process;

void app_exit_reset() {
    session_exit_reset();
    app_exit_steps.clear();
    autosave_taken = windows_closed = files_taken = outputs_finished = writing_ahead =
        unwritten_said = autosave_failed = pages_unkept = pages_taken = false;
    pages_file.clear();
    autosave_kept_aside.clear();
    exit_stage = 0;
    ui_take_exit_reports();
}

void app_check_home_lock() {
    if (!app_acquired.home_locked || path_lock_holds()) return;
    app_acquired.home_locked = false;
    app_acquired.home_shared = true;
    con_printf("Brindlemox lost its lock on \"%s\" (its lock file was removed or replaced): "
               "this one will not save %s.\n",
               path_progdir().c_str(), app_session_files().c_str());
}

static void step(const char* name) {
    app_exit_steps.emplace_back(name);
}

// Whether this run writes the session's files at its end (its state,
// settings and high scores). A batch job leaves them alone, and so does a
// run on a home that another run holds, and a run that ends before its
// session has set its machine up (on a mistyped argument, with no display,
// on settings it could not read): that one leaves every file as it found it.
static bool session_writes() {
    app_check_home_lock();
    return !upgrade_mode && !startup_batch_job() && !app_acquired.home_shared &&
           app_acquired.machine_ready;
}

// The settings are written at exit unless LOCKCONFIG keeps them.
static bool settings_written() {
    return app_acquired.settings_read && !lock_config;
}

// The files a session writes at its end, by the tests the exit path makes
// for each: what a run on a home another run holds leaves unwritten.
std::string app_session_files() {
    std::vector<std::string> files;
    if (settings_written()) files.emplace_back("its settings");
    if (!startup_batch_job()) files.emplace_back("its high scores");
    if (autosave) files.emplace_back("its autosave");
    std::string text;
    for (std::size_t i = 0; i < files.size(); i++)
        text += (i == 0 ? "" : i + 1 == files.size() ? " or " : ", ") + files[i];
    return text.empty() ? "any file" : text;
}

// A run that writes nothing at its end because another run holds the home
// says so once on its way out: in the reply of the port's QUIT (rc 5), in
// the notice of a window's Quit and on the console.
static void say_unwritten() {
    if (unwritten_said || !app_acquired.home_shared || upgrade_mode || startup_batch_job() ||
        !app_acquired.machine_ready)
        return;
    unwritten_said = true;
    ui_report_failure("This one did not save " + app_session_files() +
                      ": another Brindlemox is using \"" + path_progdir() + "\".\n");
}

// Why the autosave there stays as it is, judged by the file as it is at the
// way out: one a newer version wrote is left for it; the one this start left
// aside stays while it is still that file. "" when it is written as usual: a
// state of this version saved over it made it this version's autosave again.
static std::string autosave_aside() {
    const std::string path = autosave_path();
    if (state_file_is_newer(path))
        return "it was made by a newer version of Brindlemox, which this one cannot read";
    if (autosave_kept_aside.empty()) return "";
    int error = 0;
    return file_identity_fate(path_to_host(path), kept_aside_file, true, &error) == FileFate::same
               ? autosave_kept_aside
               : "";
}

bool app_exit_autosaves() {
    return autosave && !upgrade_mode && (!emu_paused_mid_frame || net_frame_end_kept()) &&
           session_writes() && !autosave_failed && autosave_aside().empty();
}

void app_autosave_keep_aside(const std::string& why) {
    autosave_kept_aside = why;
    kept_aside_file = why.empty() ? FileIdentity{} : file_identity_at(path_to_host(autosave_path()));
}

// The autosave the next start resumes in place of the one due now, which
// is not written (it failed, a frame is half run, or it stays aside): the
// file there when it is a state this version reads.
static std::string older_autosave() {
    if (!autosave || upgrade_mode || !session_writes()) return "";
    if (!autosave_failed && app_exit_autosaves()) return "";
    const std::string path = autosave_path();
    return state_file_reads(path) ? path : "";
}

bool app_printer_pages_kept() {
    return !pages_unkept && session_writes();
}

std::vector<std::string> app_printer_pages_files() {
    const std::string beside = path_to_host(autosave_pages_path());
    return {beside, path_to_host("PROGDIR:Configs/" +
                                 std::filesystem::path(beside).filename().string())};
}

std::string app_printer_pages_file() {
    return pages_file.empty() ? app_printer_pages_files().front() : pages_file;
}

std::string app_printer_pages_place() {
    if (!app_printer_pages_kept()) return "";
    for (const std::string& path : app_printer_pages_files())
        if (std::find(pages_left_alone.begin(), pages_left_alone.end(), path) ==
                pages_left_alone.end() &&
            path_unwritable_folder(path).empty())
            return path;
    return "";
}

void app_printer_pages_seen(u64 generation, const std::string& left_alone) {
    pages_generation = std::max(pages_generation, generation);
    if (!left_alone.empty()) pages_left_alone.push_back(left_alone);
}

std::string app_printer_pages_put(std::string* written) {
    std::vector<std::string> files;
    for (const std::string& path : app_printer_pages_files())
        if (std::find(pages_left_alone.begin(), pages_left_alone.end(), path) ==
            pages_left_alone.end())
            files.push_back(path);
    std::vector<u8> bytes = printer_kept_bytes(pages_generation + 1);
    const bool pages = !bytes.empty();
    std::error_code ec;
    if (!pages) {
        // Once their pages are saved the files go; one that cannot be
        // removed would bring them back, so a newer file that keeps none
        // outranks it.
        bool stays = false;
        for (const std::string& path : files)
            if (std::filesystem::is_regular_file(path, ec)) {
                std::filesystem::remove(path, ec);
                stays = stays || std::filesystem::is_regular_file(path, ec);
            }
        if (!stays) return "";
        bytes = printer_kept_none(pages_generation + 1);
    }
    std::string why;
    for (const std::string& path : files) {
        std::string error;
        if (file_write_replace(path, bytes.data(), bytes.size(), &error)) {
            pages_generation++;
            if (written && pages) *written = path;
            // An older file elsewhere holds nothing this one does not: it
            // goes, or this one outranks it.
            for (const std::string& other : files)
                if (other != path && std::filesystem::is_regular_file(other, ec))
                    std::filesystem::remove(other, ec);
            return "";
        }
        why += file_failure_text("Can't write", path, error) + "\n";
    }
    if (!pages) {
        why += "The printed pages kept for the next start are saved, but their file cannot be "
               "removed, nor a newer one written beside it: the next start saves them again.\n";
    }
    return why;
}

// What the printers could not save is kept for the next start whatever
// becomes of the autosave (a way out stopped mid-frame, the autosave off or
// not written): beside it, else in the settings' folder. With nothing unsaved
// an earlier such file goes, its pages saved since. Once a way out.
static void keep_printer_pages() {
    if (pages_taken) return;
    pages_taken = true;
    const bool pages = !printer_kept_bytes().empty();
    const std::string why = app_printer_pages_put(&pages_file);
    if (why.empty()) return;
    if (pages) pages_unkept = true;
    ui_report_failure(why);
}

// The autosave written once; false when it was due and could not be, said
// on the console and in the reply with the reason and what the next start
// resumes instead (in `*why` too). What a way out said it keeps is named as
// dropped with it, unless `name_kept` is false (the way out names it next).
static bool write_autosave(bool name_kept = true, std::string* why = nullptr) {
    // Whether the printers' pages are lost or kept is known once their
    // saving was tried.
    held_finish_first();
    if (autosave_taken) return !autosave_failed;
    autosave_taken = true;
    const bool named = name_kept && !held_kept().empty();
    const std::string aside = autosave ? autosave_aside() : "";
    // A frame held by a wait for the netplay peer is given up for the
    // machine as the last frame left it, which a state holds.
    if (autosave && !upgrade_mode && aside.empty()) net_back_to_frame_end();
    std::string unsaved = autosave_on_exit(aside);
    keep_printer_pages();
    if (unsaved.empty()) return true;
    autosave_failed = aside.empty();
    if (why) *why = unsaved;
    if (named) unsaved += " " + held_unkept_text();
    ui_report_failure(unsaved + "\n");
    return false;
}

// A way out says the autosave keeps something only once it is written, and
// the printers' pages (kept whatever becomes of the autosave) once they are.
// Written as the exit path writes them (a playback under way goes on).
static std::string keep_held() {
    const bool exiting = app_exiting, ahead = writing_ahead;
    app_exiting = writing_ahead = true;
    held_finish_first();
    if (session_writes()) keep_printer_pages();
    std::string why = pages_unkept ? "Printed pages not kept: \"" + app_printer_pages_file() +
                                         "\" cannot be written."
                                   : "";
    if (!held_kept().empty()) {
        std::string unwritten;
        write_autosave(false, &unwritten);
        if (!unwritten.empty()) why = unwritten + (why.empty() ? "" : " " + why);
    }
    app_exiting = exiting;
    writing_ahead = ahead;
    return why;
}

// The way out was not taken after all (the user stayed): the next one
// writes the autosave afresh, and says afresh what it could not finish.
static void forget_kept() {
    if (app_exiting) return;
    autosave_taken = autosave_failed = pages_taken = pages_unkept = false;
    ui_take_exit_reports();
}

void app_install_keeper() {
    held_set_autosave_check(app_exit_autosaves);
    held_set_older_autosave(older_autosave);
    held_set_keeper(keep_held, forget_kept);
}

// Closing the windows keeps their places for the settings; on a display
// that went away they stay where the settings last had them.
static void exit_windows() {
    if (windows_closed || app_display_gone) return;
    windows_closed = true;
    if (ui_host.main_window_open()) step("main window");
    ui_host.close_tool_windows();
    ui_host.close_main_window();
}

static void write_settings_and_scores() {
    if (files_taken) return;
    files_taken = true;
    if (settings_written()) {
        step("settings");
        ini_save_at_exit();
    }
    if (app_acquired.hiscores_read) {
        step("high scores");
        hiscore_save();
    }
}

// Every output in progress finished (core/held_things.h), once.
static void finish_outputs() {
    if (outputs_finished) return;
    outputs_finished = true;
    step("outputs");
    held_finish(HeldScope::program);
}

void app_exit_write_ahead() {
    // Written ahead it is the way out all the same: a playback under way is
    // not ended by the autosave but finished in the exit path's own step,
    // and nobody is asked. The outputs in progress are finished here too,
    // so that the reply names any that could not be.
    const bool exiting = app_exiting;
    app_exiting = writing_ahead = true;
    if (session_writes()) {
        step("autosave");
        write_autosave();
        if (settings_written()) exit_windows();
        write_settings_and_scores();
    } else {
        say_unwritten();
    }
    finish_outputs();
    app_exiting = exiting;
    writing_ahead = false;
}

static void exit_begin() {
    // From here on nobody is asked (ui_unattended_report): what cannot be
    // finished is said on the console, with the file's name and the reason,
    // and shown at the end to a user who quit from a window.
    if (con_output_seen) {
        step("quitting");
        con_printf("%s.\n", cat_str(147, "Quitting"));
    }
    if (!app_display_gone) ui_host.release_screen();
    if (app_acquired.rexx_port) {
        // No request is served from here on; a running script is told to stop.
        step("scripting port");
        rexx_close_port();
        app_acquired.rexx_port = false;
    }
    step("netplay");
    net_command(0);
    if (asm_output_file) {
        step("disassembly file");
        std::fclose(asm_output_file);
        asm_output_file = nullptr;
    }
    // What must survive the run is written before the recorders and tapes
    // finish their files, so that one that cannot (a full disk) costs none
    // of it.
    exit_session = session_writes();
    if (!exit_session) say_unwritten();
    held_finish_first();
    if (exit_session && !autosave_taken) {
        step("autosave");
        write_autosave();
    }
    // What a finishing after the question could not save is named.
    held_report_unnamed_lost("they are dropped");
}

static void exit_files() {
    if (exit_session) write_settings_and_scores();
    finish_outputs();
    if (session_remove_temporary_files()) step("temporary files");
    if (log_file) {
        step("log file");
        log_file_close();
    }
    // What is said after this (a display that goes away) reaches the console
    // alone: a log opened again would replace the one just closed.
    log_mode = LOG_OFF;
    if (app_acquired.images_loaded && !app_display_gone) {
        step("images");
        ui_host.free_images();
        app_acquired.images_loaded = false;
    }
    if (app_acquired.host_gui) {
        step("sound");
        snd_close(0);
    }
}

// Whoever quit from a window is shown, in one notice, what could not be
// finished (a recorder's file on a full disk, a tape whose file went);
// a signal, a logout, a display that went away or QUIT from a script leaves
// without waiting.
static void exit_notice() {
    const std::string unfinished = ui_take_exit_reports();
    if (!unfinished.empty() && app_quit_attended && app_acquired.host_gui && ui_host.exit_notice &&
        !app_break_pending() && !app_display_gone) {
        step("notice");
        const std::string text = "Not everything could be finished on the way out:\n\n" + unfinished;
        ui_host.exit_notice(text.c_str());
    }
}

static void exit_release() {
    if (app_acquired.audio_device) {
        step("audio device");
        snd_release_device();
        app_acquired.audio_device = false;
    }
    if (app_acquired.pads) {
        step("pads");
        input_pads_close();
        app_acquired.pads = false;
    }
    snd_free_samples();
    // The windows of a display that went away are left to the end of the
    // process: nothing is sent to it.
    if (app_acquired.host_gui && !app_display_gone) {
        step("display");
        gui_host_shutdown();
        app_acquired.host_gui = false;
    }
    if (app_acquired.priority_set) {
        step("priority");
        setpriority(PRIO_PROCESS, 0, task_priority_at_start);
        app_acquired.priority_set = false;
    }
    if (app_acquired.progdir_entered) {
        step("directory");
        if (startup_dir[0] && chdir(startup_dir) != 0) {
            // Nothing more can be done about it at this point.
        }
        app_acquired.progdir_entered = false;
    }
    if (app_acquired.home_locked) {
        step("home lock");
        path_unlock_file();
        app_acquired.home_locked = false;
    }
}

static void (*const exit_stages[])() = {exit_begin, exit_windows, exit_files, exit_notice,
                                         exit_release};

[[noreturn]] static void run_exit_stages() {
    for (; exit_stage < std::size(exit_stages); exit_stage++)
        exit_stages[exit_stage]();
    step("end");
    app_exit_process(exit_code);
    std::abort(); // app_exit_process never returns in the program
}

void app_exit_path(int code) {
    if (app_exiting && !writing_ahead) {
        // The display went away while a stage showed or closed windows: the
        // stages after it run from here, touching no window, and the run
        // ends with the code it was ending with.
        if (app_display_gone && exit_stage < std::size(exit_stages)) {
            exit_stage++;
            run_exit_stages();
        }
        // Entered again from a step below (a fatal error while closing): end now.
        session_remove_temporary_files();
        step("end");
        app_exit_process(code);
        std::abort();
    }
    writing_ahead = false;
    app_exiting = true;
    exit_code = code;
    exit_stage = 0;
    run_exit_stages();
}
