#include "platform/clock.h"

#include <chrono>
#include <thread>

static std::uint32_t real_now() {
    using namespace std::chrono;
    auto us = duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(us);
}

static void real_wait_until(std::uint32_t due) {
    std::int32_t left = static_cast<std::int32_t>(due - real_now());
    if (left > 0) std::this_thread::sleep_for(std::chrono::microseconds(left));
}

static const ClockSource real_source = {real_now, real_wait_until};
static const ClockSource* source = &real_source;

void clock_set_source(const ClockSource* s) { source = s ? s : &real_source; }
std::uint32_t clock_micros() { return source->now(); }
static std::uint64_t waits_asked = 0;

void clock_wait_until(std::uint32_t due) {
    const std::int32_t ahead = static_cast<std::int32_t>(due - source->now());
    if (ahead > 0) waits_asked += static_cast<std::uint64_t>(ahead);
    source->wait_until(due);
}

std::uint64_t clock_waits_asked() { return waits_asked; }
