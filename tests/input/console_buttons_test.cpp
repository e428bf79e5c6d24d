// The four console buttons of the second toolbar: a click holds the button
// for the machine's number of frames; absent buttons and playback refuse it.
#include "commands/dispatch.h"
#include "core/emu.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "input/console_buttons.h"
#include "input/keys.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

namespace {

class ConsoleButtons : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};

// Frames for which button k reads as held after a click on its toolbar button.
int frames_held_after_click(int k) {
    gui_toolbar_command(2, 11 + k, false);
    int frames = 0;
    while (input_console_button_held(k) && frames < 100) {
        ++frames;
        input_console_buttons_tick();
    }
    return frames;
}

} // namespace

TEST_F(ConsoleButtons, AClickHoldsTheButtonForTheMachinesFrames) {
    struct Case {
        Machine m;
        int frames[CONSOLE_BUTTONS]; // 0: the machine has no such button
    };
    const Case cases[] = {
        {ARCADIA, {5, 5, 5, 0}},    {INTERTON, {5, 5, 0, 0}}, {ELEKTOR, {24, 24, 5, 5}},
        {TYPERIGHT, {2, 2, 2, 2}},  {PONG, {5, 5, 5, 5}},     {PIPBUG, {0, 0, 0, 0}},
        {INSTRUCTOR, {5, 5, 5, 5}},
    };
    for (const Case& c : cases) {
        machine = c.m;
        for (int k = 0; k < CONSOLE_BUTTONS; k++)
            EXPECT_EQ(frames_held_after_click(k), c.frames[k])
                << "machine " << c.m << " button " << k;
    }
}

TEST_F(ConsoleButtons, OnlyTheFourConsoleButtonsPressThem) {
    machine = ELEKTOR;
    for (int index : {10, 15, 0, -1}) {
        gui_toolbar_command(2, index, false);
        for (int k = 0; k < CONSOLE_BUTTONS; k++)
            EXPECT_EQ(console_hold[k], 0) << "button " << index;
    }
    gui_toolbar_command(2, 13, false);
    EXPECT_EQ(console_hold[2], 5);
    EXPECT_EQ(console_hold[0] + console_hold[1] + console_hold[3], 0);
}

TEST_F(ConsoleButtons, DuringPlaybackTheRecordingGivesTheButtons) {
    machine = ARCADIA;
    rec_state = REC_PLAYBACK;
    EXPECT_EQ(frames_held_after_click(0), 0);
    rec_state = REC_IDLE;
    EXPECT_EQ(frames_held_after_click(0), 5);
}

TEST_F(ConsoleButtons, TheHostKeyHoldsAButtonWhileItIsDown) {
    host_key_set(console_keys[1]);
    EXPECT_TRUE(input_console_button_held(1));
    EXPECT_FALSE(input_console_button_held(0));
    input_console_buttons_tick();
    EXPECT_TRUE(input_console_button_held(1));
    host_key_clear(console_keys[1]);
    EXPECT_FALSE(input_console_button_held(1));
    EXPECT_FALSE(input_console_button_held(CONSOLE_BUTTONS));
}
