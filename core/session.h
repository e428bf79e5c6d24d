// The running session as the layers below the application shell see it: the
// options it was started with, the user's locale, what it has acquired, the
// way out, the break signal and the main loop's pending actions. The shell
// (app/) fills and drives all of it; the rest of the program only reads it,
// asks for an action or leaves through app_clean_exit.
#pragma once

#include "cpu/cpu.h"

#include <string>

// ---- Start-up options and paths ------------------------------------------------
constexpr int PUBSCREEN_NAME_LEN = 139;
constexpr int STARTUP_PATH_LEN = 513;

extern u32 startup_mode; // 0 normal, 1 ASM, 2 DISGAME
extern char asm_source_path[STARTUP_PATH_LEN];
extern char rexx_script_path[STARTUP_PATH_LEN];
extern char startup_sym_path[STARTUP_PATH_LEN];
extern char rexx_port_name[STARTUP_PATH_LEN];
extern char pubscreen_name[2][PUBSCREEN_NAME_LEN]; // [0] windowed, [1] own screen
extern char program_path[512];
extern u8 use_lowlevel;
extern int task_priority;
extern u8 task_priority_given;
extern int task_priority_at_start;
extern char startup_dir[STARTUP_PATH_LEN]; // the directory the program was started in
extern u32 games_rescan_pending;
// The user's locale: number separators, and whether the host text is Latin-1.
extern char locale_decimal_point, locale_group_separator;
extern u8 locale_latin1;

// Enters the projects drawer for a drawer operation on `name` (nullptr: names
// not known yet). False when it cannot be entered: the program's home stays
// current (no file of the operation may go there in its place) and *why names
// the drawer and the reason; a full path as `name` needs no drawer (true).
bool dir_enter_projects(std::string* why = nullptr, const char* name = nullptr);
// Returns to the program's home after a drawer operation.
void dir_restore();

// ---- The way out -------------------------------------------------------------------
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
// Whether this run may write its own file `host` in the program home now, as
// a machine does with its battery-backed memory: not while another run holds
// the home (this one writes none of the session's files), nor over a
// write-protected file, which is passed over without a word as the settings'
// and high scores' are.
bool session_home_file_writable(const std::string& host);

// True from the first step of the exit path on.
extern bool app_exiting;
// The user asked to quit in a window (the quit window, the Quit menu, the
// debugger's command line): someone is at the screen, and the exit path shows
// them what it could not finish. A break (a signal) clears it: that way out
// waits for nobody.
extern bool app_quit_attended;

// Ends the program through the exit path that the shell installed with
// session_set_exit_path, with `code`; never returns. Before one is installed
// the process just ends.
[[noreturn]] void app_clean_exit(int code);
void session_set_exit_path(void (*path)(int code));

// Temporary files being written: the exit path removes every file still
// registered, so that a run ended mid-write (CTRL-C, SIGTERM, a fatal error)
// leaves none behind. The writer forgets its file once it has been renamed or
// removed.
void app_exit_remove_file(const std::string& path);
void app_exit_forget_file(const std::string& path);
// Removes the registered files (the exit path); false when there were none.
bool session_remove_temporary_files();
// Forgets what was acquired, the registered files and the exit under way.
void session_exit_reset();

// ---- The main loop's requests ------------------------------------------------------
// Interface handlers never rebuild windows inside a pass: they set bits of
// pending_actions, and the main loop acts on them at the frame boundary.
constexpr u32 PA_SCALE_1 = 0x00001; // ... PA_SCALE_1 << 5 = scale 6
constexpr u32 PA_SCALE_MASK = 0x0003F;
constexpr u32 PA_STRETCH_1 = 0x00040;
constexpr u32 PA_STRETCH_2 = 0x00080;
constexpr u32 PA_SHOW_GAMELIST = 0x00100;
constexpr u32 PA_HIDE_GAMELIST = 0x00200;
constexpr u32 PA_PREV_GAME = 0x00400;
constexpr u32 PA_NEXT_GAME = 0x00800;
constexpr u32 PA_REBUILD = 0x01000;
constexpr u32 PA_SOUND_RESTART = 0x02000;
constexpr u32 PA_PUBSCREEN = 0x04000;
constexpr u32 PA_QUIT = 0x10000;
constexpr u32 PA_ICONIFY = 0x20000;
constexpr u32 PA_UNICONIFY = 0x40000;

extern u32 pending_actions;

// Time of the host clock in microseconds (wraps every 71.6 minutes).
u32 timer_now_us();
// Waits `us` microseconds while serving host events.
void timer_wait_us(i32 us);
// Waits until a host event arrives (paused).
void app_wait_events();

// ---- Quitting from the port -----------------------------------------------------------
// A command of the port asked to quit (the port's QUIT, the debugger's SYS
// sent through it): what the program drops is named on the console and in
// the reply (rc 5), and rexx_quit_requested is set; the port's host ends the
// program once that reply is written. Returns what the outputs finished on
// the way saved, for the reply ("Saved on the way out: page 1 of the printer
// saved as ...\n"), "" when nothing.
std::string rexx_quit_after_reply();
extern bool rexx_quit_requested;
// What writes the session's files ahead of the exit path (the shell installs
// it): the port's QUIT runs it before its reply, which then names each of the
// autosave, the settings and the high scores that could not be written; the
// exit path does not write them again.
void session_set_write_ahead(void (*write)());

// ---- The break signal ----------------------------------------------------------------
// CTRL-C (and a kill or a closed terminal): prints "Brindlemox: User break!",
// names what it drops, and leaves through the exit path (ending with 0).
void app_check_break();
// Records a CTRL-C for the next check (the SIGINT handler and tests call it).
void app_signal_break();
// True while a break waits for its check (long jobs stop early on it).
bool app_break_pending();
// Forgets a recorded break.
void app_clear_break();

// ---- The display going away ----------------------------------------------------------
// The display connection broke under the program (the X server ended, the
// link to it dropped): the same way out as a break, from wherever the host
// found it: "Brindlemox: The display went away!", the changed disks and tapes
// it drops named, and the exit path with no window touched; the run ends with
// 1. Found while the exit path is under way, the line is said all the same
// and the rest of the exit path runs from there, ending with its own code.
[[noreturn]] void app_display_lost();
// True once the display went away.
extern bool app_display_gone;
