#include "app/rexx_host.h"

#include "app/mainloop.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "core/ui_host.h"
#include "platform/catalog.h"
#include "platform/gui.h"
#include "platform/paths.h"
#include "platform/rexx_port.h"
#include "platform/rexx_script.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

char rexx_host_name[STARTUP_PATH_LEN] = "";

static int commands_not_available(const char*, std::string* result) {
    *result = "Commands are not available yet\n";
    return 20;
}
int (*rexx_command)(const char* line, std::string* result) = commands_not_available;

static void port_notice(const char* line) {
    con_printf("%s", line);
}

void rexx_open_port() {
    rexx_port_notice = port_notice;
    const bool exact = rexx_port_name[0] != '\0';
    std::string chosen;
    const int error = rexx_port_open(exact ? rexx_port_name : "BRINDLEMOX", exact, &chosen);
    if (error) {
        std::string why;
        switch (error) {
        case REXX_PORT_NO_NAME:
            why = "no host base name was provided";
            break;
        case REXX_PORT_NOT_UNIQUE:
            why = "unable to create unique name";
            break;
        case REXX_PORT_NO_MEMORY:
            why = "out of memory";
            break;
        case REXX_PORT_PATH_TOO_LONG:
            // The runtime folder (or the program home) lies too deep.
            why = "its socket path \"" + chosen + "\" is " + std::to_string(chosen.size()) +
                  " bytes long; a socket path takes at most " +
                  std::to_string(REXX_SOCKET_PATH_MAX);
            break;
        default:
            why = "unknown error";
            break;
        }
        const std::string text = "Can't create ARexx object (" + why + ")!";
        con_printf("%s\n", text.c_str());
        ui_warning(text.c_str());
        app_clean_exit(1);
    }
    std::snprintf(rexx_host_name, sizeof rexx_host_name, "%s", chosen.c_str());
    app_acquired.rexx_port = true;
}

// What the scripts wrote goes to the console window; its Stop control halts
// the running script (asked again each pass until the script has ended).
static bool stop_asked = false;
static void serve_console() {
    std::string text;
    if (rexx_script_take_output(&text)) gui_console_write(text.c_str());
    const bool running = rexx_script_running();
    if (gui_console_take_stop()) stop_asked = running;
    if (stop_asked && running) rexx_script_halt();
    if (!running) stop_asked = false;
    gui_console_set_running(running);
}

static int quitting(const char*, std::string* result) {
    *result = "Brindlemox is quitting!\n";
    return 10;
}

namespace {
// The reply kept back: what it says once its time is up, and what it says
// when the program ends first.
struct Kept {
    std::chrono::steady_clock::time_point until;
    RexxLateReply late, ended;
} kept;
} // namespace

void rexx_close_port() {
    rexx_script_halt();
    if (!rexx_script_wait(1000))
        con_printf("The script \"%s\" did not stop within a second.\n", rexx_script_path);
    std::string text;
    if (rexx_script_take_output(&text)) gui_console_write(text.c_str());
    gui_console_close();
    stop_asked = false;
    // Every client that sent a command has its answer before the port goes.
    if (rexx_port_holding()) rexx_port_release(kept.ended.rc, kept.ended.result);
    rexx_port_close_answering(quitting, 1000);
    rexx_host_name[0] = '\0';
}

// Nobody sits at the screen for a command of the port: it never waits on a dialog.
// A machine switched while paused shows its picture before the next command
// (a SAVEPNG, say) is served.
static int run_unattended(const char* line, std::string* result) {
    // A request that asked to quit has written the session's files: nothing
    // sent after it is done.
    if (rexx_quit_requested) return quitting(line, result);
    const int rc = ui_unattended_run(rexx_command, line, result);
    if (paused_picture_pending) app_draw_paused_picture();
    return rc;
}

bool rexx_reply_hold(int ms, const RexxLateReply& late, const RexxLateReply& ended) {
    if (!rexx_port_hold()) return false;
    kept = {std::chrono::steady_clock::now() + std::chrono::milliseconds(ms), late, ended};
    return true;
}

void rexx_reply_release(int rc, const std::string& result) {
    rexx_port_release(rc, result);
}

// The reply kept back goes once its time is up, also while a requester holds
// the program.
static void release_when_due() {
    if (rexx_port_holding() && std::chrono::steady_clock::now() >= kept.until)
        rexx_port_release(kept.late.rc, kept.late.result);
}

void rexx_serve_port() {
    serve_console();
    release_when_due();
    rexx_port_serve(run_unattended);
    if (rexx_quit_requested) {
        rexx_quit_requested = false;
        app_clean_exit(0);
    }
}

static int requester_open(const char*, std::string* result) {
    *result = "A requester is open.\n";
    return 5;
}

bool rexx_serve_port_waiting() {
    release_when_due();
    rexx_port_serve_waiting(requester_open);
    return rexx_port_asker_gone();
}

void rexx_run_script(int ask, int relative) {
    char path[STARTUP_PATH_LEN];
    if (relative) {
        // A name relative to the program's home; an absolute one stands as it is.
        const std::string named = path_to_host(rexx_script_path);
        const std::string full =
            !named.empty() && named[0] == '/' ? named : path_progdir() + "/" + named;
        std::snprintf(path, sizeof path, "%s", full.c_str());
    } else {
        std::snprintf(path, sizeof path, "%s", rexx_script_path);
    }
    if (ask) {
        const std::string drawer = path_to_host(scripts_path);
        char chosen[STARTUP_PATH_LEN] = "";
        if (ui_host.file_request(cat_str(116, "Run REXX Script"), "#?.rexx", 0, drawer.c_str(), "",
                                 chosen) != 0)
            return;
        std::snprintf(path, sizeof path, "%s", chosen);
    }
    if (!relative) {
        // The script's drawer is where the requester opens next time.
        std::string p = path;
        const std::size_t slash = p.find_last_of('/');
        if (slash != std::string::npos)
            std::snprintf(scripts_path, sizeof scripts_path, "%s", p.substr(0, slash).c_str());
    }
    const std::string host = path_to_host(path);
    char full[PATH_MAX];
    struct stat st;
    if (stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !realpath(host.c_str(), full) ||
        std::strlen(full) >= sizeof rexx_script_path) {
        std::printf("Can't lock file \"%s\"!\n\n", path);
        std::fflush(stdout);
        return;
    }
    std::memcpy(rexx_script_path, full, std::strlen(full) + 1);
    if (!rexx_host_name[0] || !rexx_script_start(rexx_script_path, rexx_host_name))
        con_printf("Can't run \"%s\": %s.\n", rexx_script_path,
                   rexx_host_name[0] ? "another script is still running" : "the port is closed");
    ui_mark(UI_MENUS);
}
