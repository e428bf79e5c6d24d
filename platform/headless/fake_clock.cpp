#include "platform/headless/fake_clock.h"

#include "platform/clock.h"

static std::uint32_t fake_time;

static std::uint32_t fake_now() { return fake_time; }
static void fake_wait_until(std::uint32_t due) {
    if (!clock_reached(fake_time, due)) fake_time = due;
}

static const ClockSource fake_source = {fake_now, fake_wait_until};

void fake_clock_install(std::uint32_t start_us) {
    fake_time = start_us;
    clock_set_source(&fake_source);
}
void fake_clock_remove() { clock_set_source(nullptr); }
void fake_clock_advance(std::uint32_t us) { fake_time += us; }
std::uint32_t fake_clock_now() { return fake_time; }
