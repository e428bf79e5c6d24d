#include "app/hooks.h"
#include "core/hooks.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "input/paddles.h"
#include "sound/voice_update.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ran;
void hook_a() {
    ran += 'a';
}
void hook_b() {
    ran += 'b';
}

// Every test leaves the registry as the program fills it.
class HookRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        ran.clear();
        core_hooks_clear();
    }
    void TearDown() override { app_install_hooks(); }
};

} // namespace

TEST_F(HookRegistry, APointRunsItsHooksInTheOrderAddedAndNoOthers) {
    core_hook_add(CoreHook::paused, hook_b);
    core_hook_add(CoreHook::paused, hook_a);
    core_hook_add(CoreHook::unpaused, hook_a);
    core_hooks_run(CoreHook::paused);
    EXPECT_EQ(ran, "ba");
    core_hooks_run(CoreHook::frame_ended); // nothing added there
    EXPECT_EQ(ran, "ba");
    core_hooks_clear();
    core_hooks_run(CoreHook::paused);
    core_hooks_run(CoreHook::unpaused);
    EXPECT_EQ(ran, "ba");
}

// Filling the registry again replaces what it held: a start-up reset that
// runs twice does not run the layers' hooks twice.
TEST_F(HookRegistry, InstallingAgainReplacesTheHooks) {
    core_hook_add(CoreHook::machine_reset, hook_a);
    fresh_state(); // installs them once more
    core_hooks_run(CoreHook::machine_reset);
    EXPECT_EQ(ran, "");
}

// What the layers do at the machine's reset, through the registry.
TEST(InstalledHooks, AResetCentresThePaddlesAndStopsTheBeeps) {
    fresh_state();
    paddle_x[0] = paddle_y[1] = machine_live_row().paddle_centre + 20;
    snd_start_beep(1);
    ASSERT_GT(beeper_countdowns[1], 0);
    machine_reset();
    EXPECT_EQ(paddle_x[0], machine_live_row().paddle_centre);
    EXPECT_EQ(paddle_y[1], machine_live_row().paddle_centre);
    EXPECT_EQ(beeper_countdowns[1], 0);
}
