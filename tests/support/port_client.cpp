#include "tests/support/port_client.h"

#include "platform/rexx_port.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>

namespace {

// Each client thread waits against its own deadline.
thread_local std::chrono::steady_clock::time_point deadline;

bool past_deadline() {
    return std::chrono::steady_clock::now() >= deadline;
}

} // namespace

int test_port_send(const char* name, const std::string& line, std::string* result, int* fd_io,
                   int seconds) {
    // Waiting for a port whose socket cannot exist would only time out.
    const std::string wanted = rexx_port_socket_path_wanted(name);
    if (wanted.size() > REXX_SOCKET_PATH_MAX) {
        static std::atomic<const testing::TestInfo*> told{nullptr}; // once a test is enough
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        if (told.exchange(test) != test)
            ADD_FAILURE() << "port " << name << " has no socket: the path \"" << wanted << "\" is "
                          << wanted.size() << " bytes long, a Unix socket takes at most "
                          << REXX_SOCKET_PATH_MAX << " (is TMPDIR very long?)";
        if (result) *result = "no socket";
        return -1;
    }
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    return rexx_port_send(name, line, result, fd_io, past_deadline);
}
