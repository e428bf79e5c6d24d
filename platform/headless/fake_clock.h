// A fake microsecond clock for tests: time moves only when told to.
#pragma once

#include <cstdint>

void fake_clock_install(std::uint32_t start_us); // replaces the real clock
void fake_clock_remove();                        // restores the real clock
void fake_clock_advance(std::uint32_t us);
std::uint32_t fake_clock_now();
