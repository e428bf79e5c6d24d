#include "core/session.h"

#include "core/message.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/held_things.h"
#include "peripherals/changed_media.h"
#include "platform/clock.h"
#include "platform/gui.h"
#include "platform/paths.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>
#include <vector>

u32 startup_mode = 0;
char asm_source_path[STARTUP_PATH_LEN] = {};
char rexx_script_path[STARTUP_PATH_LEN] = {};
char startup_sym_path[STARTUP_PATH_LEN] = {};
char rexx_port_name[STARTUP_PATH_LEN] = {};
char pubscreen_name[2][PUBSCREEN_NAME_LEN] = {};
char program_path[512] = {};
u8 use_lowlevel = 1;
int task_priority = 0;
u8 task_priority_given = 0;
int task_priority_at_start = 0;
char startup_dir[STARTUP_PATH_LEN] = {};
u32 games_rescan_pending = 0;
char locale_decimal_point = '.';
char locale_group_separator = ',';
u8 locale_latin1 = 1;

// A drawer that cannot be entered is never stood in for by another: the
// program's home stays current and *why names the drawer and the reason. A
// drawer of the program's home is made again when it has gone, as start-up
// makes it.
static bool enter(const char* dir, const char* what, std::string* why) {
    const std::string host = path_to_host(dir);
    if (chdir(host.c_str()) == 0) return true;
    const int error = errno;
    if (strncasecmp(dir, "PROGDIR:", 8) == 0 && path_make_dirs(host) && chdir(host.c_str()) == 0)
        return true;
    dir_restore();
    if (why)
        *why = std::string("Can't lock directory \"") + dir + "\" (the " + what +
               "): " + std::strerror(error) + "!";
    return false;
}
bool dir_enter_projects(std::string* why, const char* name) {
    return enter(projects_path, "projects drawer", why) ||
           (name && path_to_host(name).rfind('/', 0) == 0);
}
void dir_restore() {
    if (chdir(path_progdir().c_str()) != 0) {
        // The home folder vanished: stay where we are.
    }
}

// ---- The way out -----------------------------------------------------------------------
AppAcquired app_acquired;

bool session_home_file_writable(const std::string& host) {
    return !app_acquired.home_shared && !file_write_protected(host);
}
bool app_exiting = false;
bool app_quit_attended = false;
static void (*exit_path)(int code) = nullptr;
static std::vector<std::string> exit_removals;

void session_set_exit_path(void (*path)(int code)) {
    exit_path = path;
}

void app_clean_exit(int code) {
    if (exit_path) exit_path(code);
    std::fflush(stdout);
    std::exit(code);
}

void app_exit_remove_file(const std::string& path) {
    exit_removals.push_back(path);
}

void app_exit_forget_file(const std::string& path) {
    for (auto it = exit_removals.begin(); it != exit_removals.end(); ++it) {
        if (*it == path) {
            exit_removals.erase(it);
            return;
        }
    }
}

bool session_remove_temporary_files() {
    if (exit_removals.empty()) return false;
    for (const std::string& path : exit_removals)
        ::unlink(path.c_str());
    exit_removals.clear();
    return true;
}

void session_exit_reset() {
    app_acquired = AppAcquired{};
    app_exiting = false;
    app_quit_attended = false;
    app_display_gone = false;
    exit_removals.clear();
}

// ---- The main loop's requests and waits ------------------------------------------------
u32 pending_actions = 0;

u32 timer_now_us() {
    return clock_micros();
}

void timer_wait_us(i32 us) {
    if (us < 0) us = 0;
    gui_host_wait_until(clock_micros() + static_cast<u32>(us));
}

// While paused the wait ends at least every 100 ms so that a CTRL-C typed in
// the shell is seen even when the window gets no events.
void app_wait_events() {
    gui_host_wait_events(100);
}

// ---- Quitting from the port -----------------------------------------------------------
bool rexx_quit_requested = false;
static void (*write_ahead)() = nullptr;

void session_set_write_ahead(void (*write)()) {
    write_ahead = write;
}

std::string rexx_quit_after_reply() {
    // The console hears it too, even from a debugger command whose output
    // goes to its reply alone (or nowhere, when QUIET).
    const int quiet = rexx_quiet;
    rexx_quiet = 0;
    const bool pushed = con_push_sink(con_console_sink);
    // What is dropped is named first: a display that goes away while the
    // windows close ends the program from there.
    held_report_lost("they are dropped");
    if (write_ahead) write_ahead();
    if (pushed) con_pop_sink();
    rexx_quiet = quiet;
    rexx_quit_requested = true;
    std::string saved;
    for (const std::string& clause : held_finished())
        saved += (saved.empty() ? "Saved on the way out: " : "; ") + clause;
    return saved.empty() ? saved : saved + ".\n";
}

// ---- The break signal ------------------------------------------------------------------
static volatile std::sig_atomic_t break_signal = 0;

bool app_break_pending() {
    return break_signal != 0;
}

void app_signal_break() {
    break_signal = 1;
}

void app_clear_break() {
    break_signal = 0;
}

// The ways out that nobody took at the screen: said on the console with what
// they drop, as nobody is asked on the way out, and nobody waits for a notice.
[[noreturn]] static void leave_unasked(const char* why, int code) {
    app_quit_attended = false;
    con_printf("Brindlemox: %s\n", why);
    held_report_lost("they are dropped");
    app_clean_exit(code);
}

void app_check_break() {
    if (!break_signal || app_exiting) return;
    break_signal = 0;
    leave_unasked("User break!", 0);
}

// ---- The display going away ------------------------------------------------------------
bool app_display_gone = false;
static const char* const display_gone_text = "The display went away!";

void app_display_lost() {
    app_display_gone = true;
    if (!app_exiting) leave_unasked(display_gone_text, 1);
    // The exit path goes on from where it was, and ends with the code it was
    // ending with; what the quit had to drop it has named already.
    con_printf("Brindlemox: %s\n", display_gone_text);
    app_clean_exit(1);
}
