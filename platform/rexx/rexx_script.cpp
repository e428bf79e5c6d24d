#include "platform/rexx_script.h"

#include "platform/rexx_port.h"

#define INCL_RXARI
#define INCL_RXSHV
#define INCL_RXSUBCOM
#define INCL_RXSYSEXIT
#include <rexxsaa.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

void (*rexx_script_stage_hook)(RexxScriptStage stage) = nullptr;

namespace {

std::atomic<bool> running{false};
std::atomic<bool> halt_requested{false};

// Halting. The interpreter halts a script at its next clause once its own halt
// request is set on the script's thread (RexxSetHalt acts on the calling
// thread only; once the interpreter is set up on a thread it only sets a
// flag there). The script's thread sets it itself where it can: at the start
// of the script (a halt asked for before) and in a command that gives up
// waiting. A loop that sends no commands is reached by halt_signal(), sent to
// the script's thread only from the script's first clause until the
// interpreter returns (a script another one calls starts and ends inside
// that span), never while the thread or the interpreter sets up; its handler
// only sets the request.
std::mutex thread_mutex;              // held while in_script changes and a signal is sent
std::atomic<bool> in_script{false};   // from the first clause until the interpreter returns
std::atomic<pthread_t> script_thread; // written by the script's thread before in_script
int halt_signal() {
    return SIGRTMIN + 2;
}

void on_halt_signal(int) {
    const int saved_errno = errno;
    if (in_script.load() && pthread_equal(pthread_self(), script_thread.load()))
        RexxSetHalt(getpid(), 0);
    errno = saved_errno;
}

// The interpreter takes the break signals over as it first runs on a thread;
// they stay the program's: its handlers, as they were when the script started,
// are put back at once on the script's thread and again as the thread ends.
constexpr int BREAK_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction program_handler[3]; // written before the thread starts

void restore_signals() {
    for (int i = 0; i < 3; ++i)
        sigaction(BREAK_SIGNALS[i], &program_handler[i], nullptr);
}

void set_in_script(bool on) {
    std::lock_guard<std::mutex> lock(thread_mutex);
    in_script = on;
}

void stage(RexxScriptStage which) {
    if (rexx_script_stage_hook) rexx_script_stage_hook(which);
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

// The value of the script's variable RC; empty when it has none.
std::string rc_value() {
    char value[32];
    SHVBLOCK block;
    std::memset(&block, 0, sizeof block);
    MAKERXSTRING(block.shvname, const_cast<char*>("RC"), 2);
    block.shvnamelen = 2;
    MAKERXSTRING(block.shvvalue, value, sizeof value);
    block.shvvaluelen = sizeof value;
    block.shvcode = RXSHV_SYFET;
    if (RexxVariablePool(&block) != RXSHV_OK || (block.shvret & (RXSHV_NEWV | RXSHV_TRUNC)))
        return {};
    return std::string(value, block.shvvalue.strlength);
}

// A trace line. The interpreter traces a command that did not succeed as
// "+++ RC=1 +++" (an error) or "+++ RC=2 +++" (a failure) whatever the port
// answered; the line shows the code itself, which RC holds by then.
std::string trace_line(const char* text, std::size_t length) {
    std::string line(text, length);
    const std::size_t mark = line.find_first_not_of(' ');
    if (mark == std::string::npos || line.compare(mark, 7, "+++ RC=") != 0) return line;
    const std::size_t digits = mark + 7, end = line.find(' ', digits);
    if (end == std::string::npos || end == digits ||
        line.compare(end, std::string::npos, " +++") != 0 ||
        line.find_first_not_of("0123456789", digits) != end)
        return line;
    const std::string rc = rc_value();
    if (rc.empty()) return line;
    return line.substr(0, digits) + rc + " +++";
}

// The interpreter's exit: its output is kept for the console, and terminal
// input reads as an empty line (a script has no keyboard). The start of the
// script's clauses opens the span in which a halt may be signalled.
LONG APIENTRY script_exit(LONG function, LONG subfunction, PEXIT block) {
    if (function == RXINI) {
        set_in_script(true);
        // A halt asked for before this point has found no clause to stop.
        if (halt_requested.load()) RexxSetHalt(getpid(), 0);
        stage(RexxScriptStage::clauses_start);
        return RXEXIT_HANDLED;
    }
    if (function == RXTER) {
        stage(RexxScriptStage::clauses_end);
        return RXEXIT_HANDLED;
    }
    if (function == RXSIO) {
        switch (subfunction) {
        case RXSIOSAY: {
            const RXSTRING& text = reinterpret_cast<RXSIOSAY_PARM*>(block)->rxsio_string;
            add_output(text.strptr ? text.strptr : "", text.strptr ? text.strlength : 0);
            return RXEXIT_HANDLED;
        }
        case RXSIOTRC: {
            const RXSTRING& text = reinterpret_cast<RXSIOSAY_PARM*>(block)->rxsio_string;
            const std::string line =
                trace_line(text.strptr ? text.strptr : "", text.strptr ? text.strlength : 0);
            add_output(line.data(), line.size());
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
    // Every byte goes to the port, which refuses what no command may hold (a NUL).
    const std::string line(command->strptr ? command->strptr : "", command->strlength);
    std::string result;
    // A script told to stop sends nothing more, or gives up waiting.
    int rc = halt_requested.load()
                 ? -1
                 : rexx_port_send(script_host.c_str(), line, &result, &script_fd, give_up);
    if (rc < 0) {
        if (halt_requested.load()) {
            // It ends at its next clause, without a word about the port.
            RexxSetHalt(getpid(), 0);
        } else {
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
    script_thread = pthread_self();
    // However the thread ends (the script's end, a halt, or the interpreter
    // leaving the thread), no halt is signalled to it any more, the break
    // signals are the program's and the script no longer counts as running.
    bool registered = false;
    struct TearDown {
        bool& registered;
        ~TearDown() {
            set_in_script(false);
            if (script_fd >= 0) {
                close(script_fd);
                script_fd = -1;
            }
            if (registered) {
                RexxDeregisterSubcom(script_host.c_str(), nullptr);
                RexxDeregisterExit(EXIT_NAME, nullptr);
            }
            restore_signals();
            std::fflush(stdout);
            running = false;
        }
    } tear_down{registered};
    stage(RexxScriptStage::thread_start);
    if (halt_requested.load()) return;
    // The first call on this thread sets the interpreter up for it.
    registered = true;
    RexxRegisterSubcomExe(script_host.c_str(), reinterpret_cast<RexxSubcomHandler*>(send_command),
                          nullptr);
    restore_signals();
    RexxRegisterExitExe(EXIT_NAME, script_exit, nullptr);
    stage(RexxScriptStage::interpreter_set_up);
    RXSYSEXIT exits[] = {{const_cast<char*>(EXIT_NAME), RXSIO},
                         {const_cast<char*>(EXIT_NAME), RXINI},
                         {const_cast<char*>(EXIT_NAME), RXTER},
                         {nullptr, RXENDLST}};
    short rc = 0;
    RXSTRING result;
    MAKERXSTRING(result, nullptr, 0);
    if (!halt_requested.load())
        RexxStart(0, nullptr, path.c_str(), nullptr, script_host.c_str(), RXCOMMAND, exits, &rc,
                  &result);
    set_in_script(false);
    if (result.strptr) RexxFreeMemory(result.strptr);
    stage(RexxScriptStage::thread_end);
}

} // namespace

bool rexx_script_start(const char* path, const char* host) {
    if (!path || !host || running.exchange(true)) return false;
    halt_requested = false;
    script_host = host;
    for (int i = 0; i < 3; ++i)
        sigaction(BREAK_SIGNALS[i], nullptr, &program_handler[i]);
    static const bool halt_handler_set = [] {
        struct sigaction action = {};
        action.sa_handler = on_halt_signal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        return sigaction(halt_signal(), &action, nullptr) == 0;
    }();
    (void)halt_handler_set;
    try {
        std::thread(run, std::string(path)).detach();
    } catch (...) {
        running = false;
        return false;
    }
    return true;
}

bool rexx_script_running() {
    return running.load();
}

void rexx_script_halt() {
    if (!running.load()) return;
    halt_requested = true;
    std::lock_guard<std::mutex> lock(thread_mutex);
    if (in_script.load()) pthread_kill(script_thread.load(), halt_signal());
}

bool rexx_script_wait(int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int pass = 0;
    while (running.load()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        // A script that catches its halt is asked again.
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
