// Test support: the one wait for a state. A test never waits a time: it asks
// again and again whether what it needs is there (a window, a question, a
// file written, a frame reached, a reply) until it is, or until the hang
// deadline says the program will not get there.
//
//   ASSERT_TRUE(wait_until([&] { return fs::exists(path); })) << log();
#pragma once

#include "tests/support/hang_deadline.h"

#include <chrono>
#include <thread>

// Asks `ready()` every `every_ms` until it holds, for up to `seconds`:
// whether it held (asked once more at the deadline).
template <typename Ready>
bool wait_until(Ready&& ready, double seconds = TEST_HANG_SECONDS, int every_ms = 20) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(every_ms));
    }
}
