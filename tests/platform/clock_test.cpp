#include "platform/clock.h"
#include "platform/headless/fake_clock.h"

#include <gtest/gtest.h>

TEST(Clock, ComparisonsSurviveWrapAround) {
    EXPECT_TRUE(clock_reached(5, 0xFFFFFFF0u));
    EXPECT_FALSE(clock_reached(0xFFFFFFF0u, 5));
    EXPECT_TRUE(clock_reached(100, 100));
}

TEST(Clock, FakeClockJumpsToDueTimeAndRealClockReturns) {
    fake_clock_install(0xFFFFFF00u);
    clock_wait_until(0x10); // past the wrap
    EXPECT_EQ(clock_micros(), 0x10u);
    clock_wait_until(0x08); // already passed: no change
    EXPECT_EQ(clock_micros(), 0x10u);
    fake_clock_advance(5);
    EXPECT_EQ(fake_clock_now(), 0x15u);
    fake_clock_remove();
    std::uint32_t a = clock_micros();
    std::uint32_t b = clock_micros();
    EXPECT_TRUE(clock_reached(b, a));
}
