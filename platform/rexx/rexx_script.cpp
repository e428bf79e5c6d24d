#include "platform/rexx_script.h"

#include "platform/rexx_port.h"

#define INCL_RXSHV
#define INCL_RXSUBCOM
#define INCL_RXSYSEXIT
#include <rexxsaa.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace {

std::atomic<bool> running{false};
std::atomic<bool> halt_requested{false};

// Halting. The interpreter halts a script when one of the break signals
// reaches the thread that runs it; it takes those signals over while a
// script runs. We keep the program's own handlers in charge of every other
// thread: route_signal passes a signal to the interpreter's handler only on
// the script's thread and only after a halt was asked for.
constexpr int BREAK_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction program_handler[3];     // before the first script
struct sigaction interpreter_handler[3]; // what the interpreter installed
std::atomic<bool> interpreter_known[3];
std::atomic<bool> in_interpreter{false};
// Held while the script's thread enters or leaves the interpreter and while a
// halt signal is sent, so that no signal goes to a thread that has ended.
std::mutex thread_mutex;
pthread_t script_thread;
std::mutex signal_mutex;

int signal_slot(int sig) {
    for (int i = 0; i < 3; ++i)
        if (BREAK_SIGNALS[i] == sig) return i;
    return -1;
}

void call_handler(const struct sigaction& h, int sig) {
    if (h.sa_flags & SA_SIGINFO) {
        if (h.sa_sigaction) {
            siginfo_t info = {};
            info.si_signo = sig;
            h.sa_sigaction(sig, &info, nullptr);
        }
    } else if (h.sa_handler != SIG_DFL && h.sa_handler != SIG_IGN && h.sa_handler) {
        h.sa_handler(sig);
    }
}

void route_signal(int sig) {
    const int i = signal_slot(sig);
    if (i < 0) return;
    if (halt_requested.load() && in_interpreter.load() &&
        pthread_equal(pthread_self(), script_thread) && interpreter_known[i].load())
        call_handler(interpreter_handler[i], sig);
    else
        call_handler(program_handler[i], sig);
}

bool is_route(const struct sigaction& h) {
    return !(h.sa_flags & SA_SIGINFO) && h.sa_handler == route_signal;
}
bool same_handler(const struct sigaction& a, const struct sigaction& b) {
    return (a.sa_flags & SA_SIGINFO) == (b.sa_flags & SA_SIGINFO) &&
           ((a.sa_flags & SA_SIGINFO) ? a.sa_sigaction == b.sa_sigaction
                                      : a.sa_handler == b.sa_handler);
}

// Takes the break signals back from the interpreter (keeping its handlers
// for halting); the program's handlers answer every other thread again.
void reclaim_signals() {
    std::lock_guard<std::mutex> lock(signal_mutex);
    for (int i = 0; i < 3; ++i) {
        struct sigaction now;
        if (sigaction(BREAK_SIGNALS[i], nullptr, &now) != 0 || is_route(now)) continue;
        if (same_handler(now, program_handler[i])) continue;
        interpreter_handler[i] = now;
        interpreter_known[i] = true;
        struct sigaction route = {};
        route.sa_handler = route_signal;
        sigemptyset(&route.sa_mask);
        sigaction(BREAK_SIGNALS[i], &route, nullptr);
    }
}

// After a script: the program's handlers as they were.
void restore_signals() {
    std::lock_guard<std::mutex> lock(signal_mutex);
    for (int i = 0; i < 3; ++i)
        sigaction(BREAK_SIGNALS[i], &program_handler[i], nullptr);
}
std::string script_host; // written before the thread starts, read only by it
int script_fd = -1;      // the script's connection to the port (its thread only)

// What the script wrote (SAY, trace and error texts), until the main loop takes it.
std::mutex output_mutex;
std::string output;
constexpr std::size_t OUTPUT_MAX = 1 << 20; // beyond this, older text is dropped

void add_output(const char* text, std::size_t length) {
    std::lock_guard<std::mutex> lock(output_mutex);
    output.append(text, length);
    output += '\n';
    if (output.size() > OUTPUT_MAX) output.erase(0, output.size() - OUTPUT_MAX);
}

constexpr char EXIT_NAME[] = "BRINDLEMOX_EXITS";

// The interpreter's exit: its output is kept for the console, and terminal
// input reads as an empty line (a script has no keyboard).
LONG APIENTRY script_exit(LONG function, LONG subfunction, PEXIT block) {
    if (function == RXSIO) {
        switch (subfunction) {
        case RXSIOSAY:
        case RXSIOTRC: {
            const RXSTRING& text = reinterpret_cast<RXSIOSAY_PARM*>(block)->rxsio_string;
            add_output(text.strptr ? text.strptr : "", text.strptr ? text.strlength : 0);
            return RXEXIT_HANDLED;
        }
        case RXSIOTRD:
            reinterpret_cast<RXSIOTRD_PARM*>(block)->rxsiotrd_retc.strlength = 0;
            return RXEXIT_HANDLED;
        case RXSIODTR:
            reinterpret_cast<RXSIODTR_PARM*>(block)->rxsiodtr_retc.strlength = 0;
            return RXEXIT_HANDLED;
        default:
            return RXEXIT_NOT_HANDLED;
        }
    }
    return RXEXIT_NOT_HANDLED;
}

bool give_up() {
    return halt_requested.load();
}

void set_variable(const char* name, const std::string* value) {
    SHVBLOCK block;
    std::memset(&block, 0, sizeof block);
    MAKERXSTRING(block.shvname, const_cast<char*>(name), std::strlen(name));
    block.shvnamelen = static_cast<ULONG>(std::strlen(name));
    if (value) {
        MAKERXSTRING(block.shvvalue, const_cast<char*>(value->data()), value->size());
        block.shvvaluelen = static_cast<ULONG>(value->size());
        block.shvcode = RXSHV_SYSET;
    } else {
        block.shvcode = RXSHV_SYDRO;
    }
    RexxVariablePool(&block);
}

// One command of the script: sent to the port, answered there.
APIRET APIENTRY send_command(PRXSTRING command, PUSHORT flags, PRXSTRING retstr) {
    // A script told to stop fails in the interpreter at its next command.
    if (halt_requested.load()) return 1;
    // Every byte goes to the port, which refuses what no command may hold (a NUL).
    const std::string line(command->strptr ? command->strptr : "", command->strlength);
    std::string result;
    int rc = rexx_port_send(script_host.c_str(), line, &result, &script_fd, give_up);
    if (rc < 0) {
        // Told to stop, the script gave up waiting: no need to say so.
        if (!halt_requested.load()) {
            const std::string text = "REXX: port \"" + script_host + "\" did not answer";
            add_output(text.data(), text.size());
        }
        rc = 20;
        result.clear();
    }
    *flags = rc == 0 ? RXSUBCOM_OK : rc >= 20 ? RXSUBCOM_FAILURE : RXSUBCOM_ERROR;
    if (result.empty())
        set_variable("RESULT", nullptr);
    else
        set_variable("RESULT", &result);
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%d", rc);
    if (!retstr->strptr || retstr->strlength < static_cast<ULONG>(n)) {
        retstr->strptr = static_cast<char*>(RexxAllocateMemory(sizeof digits));
        if (!retstr->strptr) return 0;
    }
    std::memcpy(retstr->strptr, digits, static_cast<std::size_t>(n));
    retstr->strlength = static_cast<ULONG>(n);
    return 0;
}

void run(std::string path) {
    RexxRegisterSubcomExe(script_host.c_str(), reinterpret_cast<RexxSubcomHandler*>(send_command),
                          nullptr);
    RexxRegisterExitExe(EXIT_NAME, script_exit, nullptr);
    RXSYSEXIT exits[] = {{const_cast<char*>(EXIT_NAME), RXSIO}, {nullptr, RXENDLST}};
    short rc = 0;
    RXSTRING result;
    MAKERXSTRING(result, nullptr, 0);
    {
        std::lock_guard<std::mutex> lock(thread_mutex);
        in_interpreter = true;
    }
    if (!halt_requested.load())
        RexxStart(0, nullptr, path.c_str(), nullptr, script_host.c_str(), RXCOMMAND, exits, &rc,
                  &result);
    {
        std::lock_guard<std::mutex> lock(thread_mutex);
        in_interpreter = false;
    }
    restore_signals();
    if (result.strptr) RexxFreeMemory(result.strptr);
    std::fflush(stdout);
    if (script_fd >= 0) {
        close(script_fd);
        script_fd = -1;
    }
    RexxDeregisterSubcom(script_host.c_str(), nullptr);
    RexxDeregisterExit(EXIT_NAME, nullptr);
    running = false;
}

} // namespace

bool rexx_script_start(const char* path, const char* host) {
    if (!path || !host || running.exchange(true)) return false;
    halt_requested = false;
    script_host = host;
    {
        std::lock_guard<std::mutex> lock(signal_mutex);
        for (int i = 0; i < 3; ++i) {
            sigaction(BREAK_SIGNALS[i], nullptr, &program_handler[i]);
            interpreter_known[i] = false;
        }
    }
    try {
        std::thread thread(run, std::string(path));
        script_thread = thread.native_handle();
        thread.detach();
    } catch (...) {
        running = false;
        return false;
    }
    return true;
}

bool rexx_script_running() {
    return running.load();
}

void rexx_script_poll() {
    if (running.load()) reclaim_signals();
}

void rexx_script_halt() {
    if (!running.load()) return;
    halt_requested = true;
    reclaim_signals();
    std::lock_guard<std::mutex> lock(thread_mutex);
    if (in_interpreter.load() && interpreter_known[2].load()) pthread_kill(script_thread, SIGHUP);
}

bool rexx_script_wait(int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int pass = 0;
    while (running.load()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        // A halt asked for before the interpreter took the signals is sent again.
        if (halt_requested.load() && ++pass % 10 == 0) rexx_script_halt();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool rexx_script_take_output(std::string* text) {
    std::lock_guard<std::mutex> lock(output_mutex);
    if (output.empty()) return false;
    text->swap(output);
    output.clear();
    return true;
}
