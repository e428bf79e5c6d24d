// The microsecond clock that paces frames and measures speed.
//
// Times are unsigned 32-bit microsecond counts that wrap; compare them with
// unsigned differences only. Tests install a fake clock through the headless
// layer (clock_use_fake), so nothing in a test sleeps.
#pragma once

#include <cstdint>

// Microseconds since an arbitrary start, wrapping modulo 2^32.
std::uint32_t clock_micros();

// Sleeps until the clock reaches `due` (unsigned comparison), or returns at
// once when it has passed. Under a fake clock the fake time jumps to `due`.
void clock_wait_until(std::uint32_t due);

// The microseconds of waiting asked of clock_wait_until so far (by the main
// thread, which alone waits on this clock): what the waits would have taken
// had the host woken the program on time.
std::uint64_t clock_waits_asked();

// True when `a` is at or after `b` in wrapping unsigned time.
constexpr bool clock_reached(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::int32_t>(a - b) >= 0;
}

// A replaceable time source: the real clock, or a fake one for tests.
struct ClockSource {
    std::uint32_t (*now)();
    void (*wait_until)(std::uint32_t due);
};
void clock_set_source(const ClockSource* source); // nullptr restores the real clock
