#include "tests/support/port_client.h"

#include "platform/rexx_port.h"

#include <chrono>

namespace {

// Each client thread waits against its own deadline.
thread_local std::chrono::steady_clock::time_point deadline;

bool past_deadline() {
    return std::chrono::steady_clock::now() >= deadline;
}

} // namespace

int test_port_send(const char* name, const std::string& line, std::string* result, int* fd_io,
                   int seconds) {
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    return rexx_port_send(name, line, result, fd_io, past_deadline);
}
