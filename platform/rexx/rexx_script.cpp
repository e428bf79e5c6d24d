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
#include <string>
#include <thread>
#include <pthread.h>
#include <unistd.h>

namespace {

std::atomic<bool> running{false};
std::atomic<bool> halt_requested{false};
std::string script_host; // written before the thread starts, read only by it
int script_fd = -1;      // the script's connection to the port (its thread only)

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
    const std::string line(command->strptr ? command->strptr : "", command->strlength);
    std::string result;
    int rc = rexx_port_send(script_host.c_str(), line.c_str(), &result, &script_fd, give_up);
    if (rc < 0) {
        std::fprintf(stderr, "REXX: port \"%s\" did not answer\n", script_host.c_str());
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
    short rc = 0;
    RXSTRING result;
    MAKERXSTRING(result, nullptr, 0);
    RexxStart(0, nullptr, path.c_str(), nullptr, script_host.c_str(), RXCOMMAND, nullptr, &rc,
              &result);
    if (result.strptr) RexxFreeMemory(result.strptr);
    std::fflush(stdout);
    if (script_fd >= 0) {
        close(script_fd);
        script_fd = -1;
    }
    RexxDeregisterSubcom(script_host.c_str(), nullptr);
    running = false;
}

} // namespace

bool rexx_script_start(const char* path, const char* host) {
    if (!path || !host || running.exchange(true)) return false;
    halt_requested = false;
    script_host = host;
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
    if (running.load()) halt_requested = true;
}

bool rexx_script_wait(int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (running.load()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
