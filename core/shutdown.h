// The single way out of the program: app_clean_exit writes what must survive
// the run, releases every process-lifetime resource in one fixed order
// (skipping whatever was never acquired) and ends the process.
//
// Return codes: 0 normal end, 1 failure (bad argument, no display, a fatal
// requester), 5 an ASM run with warnings, 10 an ASM run with errors or a
// DISGAME run that loaded nothing or found its listing's file already there.
#pragma once

#include <string>
#include <vector>

// What start-up has acquired or loaded; the exit path releases or writes only
// what is marked here.
struct AppAcquired {
    bool host_gui = false;        // the display connection
    bool progdir_entered = false; // the program's home is the current directory
    bool priority_set = false;    // the process priority was changed
    bool settings_read = false;   // ini_load ran: the settings may be written at exit
    bool hiscores_read = false;   // the high scores were loaded: they may be written
    bool machine_ready = false;   // the machine was set up: the autosave state may be written
    bool images_loaded = false;   // interface images exist
    bool sigint_handler = false;
    bool audio_device = false; // the host's audio device and audio system
    bool rexx_port = false;    // the scripting port
    bool pads = false;         // the host's game controllers
    bool home_locked = false;  // this run holds the program home's lock
    bool home_shared = false;  // another run holds it: this one writes nothing at exit
};
extern AppAcquired app_acquired;

// Whether this run still holds the home's lock (path_lock_holds): once its
// file has been replaced by another run's, the run says so and becomes one
// that writes nothing at exit. The main loop asks now and then, the exit path
// before its writes.
void app_check_home_lock();

// Ends the program through the exit path with `code`; never returns.
[[noreturn]] void app_clean_exit(int code);

// Temporary files being written: the exit path removes every file still
// registered, so that a run ended mid-write (CTRL-C, SIGTERM, a fatal error)
// leaves none behind. The writer forgets its file once it has been renamed or
// removed.
void app_exit_remove_file(const std::string& path);
void app_exit_forget_file(const std::string& path);

// True from the first step of the exit path on.
extern bool app_exiting;

// The exit path's steps as they ran, by name (tests read it; it is cleared by
// app_exit_reset).
extern std::vector<std::string> app_exit_steps;

// The last step: ends the process. Tests replace it with one that throws.
extern void (*app_exit_process)(int code);
// Forgets what was acquired and the steps taken (tests start clean with it).
void app_exit_reset();
