#include "app/shutdown.h"
#include "peripherals/papertape.h"
#include "peripherals/tape.h"

#include "core/frame.h"
#include "core/hiscore.h"
#include "app/mainloop.h"
#include "core/message.h"
#include "app/rexx_host.h"
#include "core/settings.h"
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
#include "platform/paths.h"

#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

std::vector<std::string> app_exit_steps;

static void end_process(int code) {
    std::fflush(stdout);
    std::exit(code);
}
void (*app_exit_process)(int code) = end_process;

void app_exit_reset() {
    session_exit_reset();
    app_exit_steps.clear();
    ui_take_exit_reports();
}

void app_check_home_lock() {
    if (!app_acquired.home_locked || path_lock_holds()) return;
    app_acquired.home_locked = false;
    app_acquired.home_shared = true;
    con_printf("Brindlemox lost its lock on \"%s\" (its lock file was removed or replaced): "
               "this one will not save its settings, high scores or autosave.\n",
               path_progdir().c_str());
}

static void step(const char* name) {
    app_exit_steps.emplace_back(name);
}

void app_exit_path(int code) {
    if (app_exiting) {
        // Entered again from a step below (a fatal error while closing): end now.
        session_remove_temporary_files();
        step("end");
        app_exit_process(code);
        std::abort();
    }
    app_exiting = true;
    // From here on nobody is asked (ui_unattended_report): what cannot be
    // finished is said on the console, with the file's name and the reason,
    // and shown at the end to a user who quit from a window.

    if (con_output_seen) {
        step("quitting");
        con_printf("%s.\n", cat_str(147, "Quitting"));
    }
    ui_host.release_screen();
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
    // of it. A batch job leaves the session's state, settings and high
    // scores alone, and so does a run on a home that another run holds.
    app_check_home_lock();
    const bool session = !upgrade_mode && !startup_batch_job() && !app_acquired.home_shared;
    if (session && app_acquired.machine_ready) {
        step("autosave");
        autosave_on_exit();
    }
    // Closing the windows keeps their places for the settings.
    if (ui_host.main_window_open()) step("main window");
    ui_host.close_tool_windows();
    ui_host.close_main_window();
    if (session) {
        if (app_acquired.settings_read && !lock_config) {
            step("settings");
            ini_save_at_exit();
        }
        if (app_acquired.hiscores_read) {
            step("high scores");
            hiscore_save();
        }
    }
    step("recorders");
    rec_stop_all();
    step("tapes");
    tape_close_sample_file();
    papertape_close(0);
    papertape_close(1);
    if (session_remove_temporary_files()) step("temporary files");
    if (log_file) {
        step("log file");
        log_file_close();
    }
    if (app_acquired.images_loaded) {
        step("images");
        ui_host.free_images();
        app_acquired.images_loaded = false;
    }
    if (app_acquired.host_gui) {
        step("sound");
        snd_close(0);
    }
    // Whoever quit from a window is shown, in one notice, what could not be
    // finished (a recorder's file on a full disk, a tape whose file went);
    // a signal, a logout or QUIT from a script leaves without waiting.
    const std::string unfinished = ui_take_exit_reports();
    if (!unfinished.empty() && app_quit_attended && app_acquired.host_gui && ui_host.exit_notice &&
        !app_break_pending()) {
        step("notice");
        const std::string text = "Not everything could be finished on the way out:\n\n" + unfinished;
        ui_host.exit_notice(text.c_str());
    }
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
    if (app_acquired.host_gui) {
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
    step("end");
    app_exit_process(code);
    std::abort(); // app_exit_process never returns in the program
}
