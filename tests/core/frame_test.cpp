#include "tests/support/quiet_output.h"
#include "core/frame.h"
#include "gui/ui_pass.h"
#include "core/gamesdb.h"
#include "core/hiscore.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "core/settings_vars.h"
#include "debugger/debugger.h"
#include "platform/clock.h"
#include "platform/headless/fake_clock.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr u32 START_US = 0xFFF00000u; // close to the wrap, so every comparison must wrap

class Frame : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        fake_clock_install(START_US);
        viewspeedas = 1;
        ASSERT_TRUE(machine_switch(INTERTON, 3, false, true, false));
        emu_restart_timing();
    }
    void TearDown() override {
        emu_unpause();
        fresh_state();
    }

    // One pass of the main loop whose frame takes `work_us` of host time.
    void pass(u32 work_us) {
        emu_schedule_frame();
        fake_clock_advance(work_us);
        emu_wait_frame();
    }

    std::string speed(u32 count, u32 elapsed) {
        char text[SPEED_TEXT_SIZE];
        emu_speed_text(count, elapsed, text, sizeof text);
        return text;
    }
};

} // namespace

TEST_F(Frame, SpeedStepsScaleThePeriod) {
    const u32 expected[SPEED_STEPS] = {79868, 39934, 26622, 19967, 15973, 13311, 9983, 4991, 2495};
    for (int step = 0; step < SPEED_STEPS; step++)
        EXPECT_EQ(frame_period_for_step(19967, step), expected[step]) << step;
    EXPECT_EQ(frame_period_for_step(16614, 2), 22152u);
    EXPECT_EQ(frame_period_for_step(16614, 99), 16614u); // a bad step paces at 100 %
}

TEST_F(Frame, FramesAreDueOnePeriodApart) {
    for (int step : {3, 8}) {
        emu_speed = step;
        emu_restart_timing();
        const u32 start = fake_clock_now();
        const u32 period = frame_period_for_step(19967, step);
        for (int i = 1; i <= 3; i++) {
            pass(100);
            EXPECT_EQ(fake_clock_now() - start, period * i) << "step " << step;
        }
    }
}

TEST_F(Frame, ExactSpeedPeriods) {
    exactspeed = 1;
    ASSERT_TRUE(machine_switch(ARCADIA, 6, false, true, false));
    emu_region = 0;
    emu_restart_timing();
    const u32 start = fake_clock_now();
    pass(0);
    EXPECT_EQ(fake_clock_now() - start, 16666u);
    emu_region = 1;
    pass(0);
    EXPECT_EQ(fake_clock_now() - start, 16666u + 20000u);
}

TEST_F(Frame, ASlightlyLateFrameKeepsTheSchedule) {
    pass(0);
    const u32 due = frame_due_us;
    pass(19967 + 5000); // this frame took 5 ms too long
    EXPECT_EQ(frame_due_us, due + 19967);
    emu_schedule_frame(); // the next frame is due one period after the missed one
    EXPECT_EQ(frame_due_us, due + 2 * 19967);
}

TEST_F(Frame, AFrameLateByMoreThanAPeriodRestartsFromNow) {
    pass(0);
    fake_clock_advance(100000); // five periods lost, e.g. in a requester
    emu_schedule_frame();
    EXPECT_EQ(frame_due_us, fake_clock_now() + 19967);
    // No catch-up burst: the following frames wait their full period.
    const u32 start = fake_clock_now();
    emu_wait_frame();
    pass(0);
    EXPECT_EQ(fake_clock_now() - start, 2u * 19967);
}

TEST_F(Frame, AutomaticFrameSkipGrowsAfterFiftyLateFramesUpToTen) {
    auto_frame_skip = 1;
    for (int i = 0; i < 49; i++)
        pass(2 * 19967);
    EXPECT_EQ(frame_skip, 1);
    pass(0); // on time: the count starts again
    for (int i = 0; i < 49; i++)
        pass(2 * 19967);
    EXPECT_EQ(frame_skip, 1);
    pass(2 * 19967);
    EXPECT_EQ(frame_skip, 2);
    for (int i = 0; i < 50 * 20; i++)
        pass(2 * 19967);
    EXPECT_EQ(frame_skip, 10);
    for (int i = 0; i < 100; i++)
        pass(0);
    EXPECT_EQ(frame_skip, 10); // never lowered by itself

    auto_frame_skip = 0;
    frame_skip = 1;
    for (int i = 0; i < 60; i++)
        pass(2 * 19967);
    EXPECT_EQ(frame_skip, 1);
}

TEST_F(Frame, TurboNeitherSchedulesNorWaits) {
    turbo = 1;
    const u32 due = frame_due_us;
    const u32 start = fake_clock_now();
    for (int i = 0; i < 10; i++)
        pass(10);
    EXPECT_EQ(frame_due_us, due);
    EXPECT_EQ(fake_clock_now() - start, 100u);
    EXPECT_NE(speed(1000, 1000).find("of Turbo"), std::string::npos);
    // A turbo run far past the nominal speed reads as a multiple, never as "####%".
    viewspeedas = 1;
    const std::string fast = speed(0x7FFFFFFFu, 1000000);
    EXPECT_EQ(fast.find('#'), std::string::npos) << fast;
    EXPECT_NE(fast.find("x of Turbo"), std::string::npos) << fast;
}

TEST_F(Frame, SpeedTextsInTheThreeViews) {
    // Interton at 50 Hz: 17706 clock periods per frame at 50.0804 frames a second.
    const u32 nominal = static_cast<u32>(17706 * machine_table[INTERTON].refresh_rate[1]);
    viewspeedas = 1;
    EXPECT_EQ(speed(nominal, 1000000), "100% of 100%");
    EXPECT_EQ(speed(nominal / 2, 1000000), "50% of 100%");
    EXPECT_EQ(speed(0, 1000000), "- of 100%");
    EXPECT_EQ(speed(nominal, 0), "- of 100%");
    // Past 9999% a multiple of the nominal speed.
    EXPECT_EQ(speed(nominal * 100, 1000000), "100x of 100%");
    EXPECT_EQ(speed(nominal * 99, 1000000), "9900% of 100%");
    EXPECT_NE(speed(0xFFFFFFFFu, 1).find("x of 100%"), std::string::npos);
    emu_speed = 6;
    EXPECT_EQ(speed(nominal * 2, 1000000), "200% of 200%");
    emu_speed = SPEED_NORMAL;

    viewspeedas = 0;
    EXPECT_EQ(speed(nominal, 1000000), "50 of 50.08");
    EXPECT_EQ(speed(0xFFFFFFFFu, 1), "##### of 50.08");
    exactspeed = 1;
    EXPECT_EQ(speed(nominal, 1000000), "50 of 50.00");
    exactspeed = 0;

    viewspeedas = 2;
    EXPECT_EQ(speed(886723, 1000000), "886.723 of 886.724");
    video_set_line_length(226); // shorter lines: a slower nominal clock
    EXPECT_EQ(speed(882817, 1000000), "882.817 of 882.817");
    video_set_line_length(227);
    EXPECT_EQ(speed(0xFFFFFFFFu, 1), ">= 1 GHz of 886.724");

    ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
    EXPECT_EQ(speed(1234567, 1000000), "1,234.5 of 1000.000000");
    ASSERT_TRUE(machine_switch(TYPERIGHT, 30, false, true, false));
    EXPECT_EQ(speed(50, 1000000), "- of 0.050000");
    viewspeedas = 1;
    EXPECT_EQ(speed(50, 1000000), "100% of 100%"); // frames, not cycles
}

TEST_F(Frame, PauseAndTheTitleWords) {
    in_frame = 1;
    emu_pause(PauseCause::user);
    EXPECT_TRUE(emu_paused_mid_frame);
    char title[128] = "B";
    gui_title_state(title, sizeof title);
    EXPECT_STREQ(title, "B (paused during frame)");

    emu_end_of_frame(); // the frame ends: no longer mid-frame
    EXPECT_EQ(in_frame, 0);
    EXPECT_FALSE(emu_paused_mid_frame);
    EXPECT_TRUE(emu_paused);
    emu_unpause();
    EXPECT_FALSE(emu_paused);
    turbo = 1;
    rec_state = REC_RECORDING;
    std::strcpy(title, "B");
    gui_title_state(title, sizeof title);
    EXPECT_STREQ(title, "B (recording) (turbo)");
    rec_state = REC_IDLE;

    char tiny[4] = "B";
    gui_title_state(tiny, sizeof tiny); // cut to fit, never overrun
    EXPECT_EQ(std::strlen(tiny), 3u);
}

TEST_F(Frame, RefreshLimiterAboveFullSpeed) {
    EXPECT_TRUE(display_refresh_due());
    EXPECT_TRUE(display_refresh_due()); // at 100 % every refresh is allowed
    emu_speed = 7;
    refresh_due_us = fake_clock_now();
    EXPECT_TRUE(display_refresh_due());
    EXPECT_FALSE(display_refresh_due());
    fake_clock_advance(19966);
    EXPECT_FALSE(display_refresh_due());
    fake_clock_advance(1);
    EXPECT_TRUE(display_refresh_due());
    refresh_due_us = fake_clock_now() + 5000000; // the clock was reset
    EXPECT_FALSE(display_refresh_due());
    EXPECT_EQ(refresh_due_us, fake_clock_now() + 19967);
    limitrefreshes = 0;
    EXPECT_TRUE(display_refresh_due());
    limitrefreshes = 1;
}

TEST_F(Frame, HighScoreRowsOfTheRunningGame) {
    EXPECT_EQ(hiscore_row_of_game(), -1); // the Interton keeps no high scores
    ASSERT_TRUE(machine_switch(ZACCARIA, 22, false, true, false));
    EXPECT_EQ(hiscore_row_of_game(), 52);
    ASSERT_TRUE(machine_switch(PONG, 28, false, true, false));
    pong_variant = 4;
    EXPECT_EQ(hiscore_row_of_game(), 58);
    pong_variant = 7; // a variant without a score
    EXPECT_EQ(hiscore_row_of_game(), -1);
}

TEST_F(Frame, HighScoresAreScannedOnlyInFairPlay) {
    collisions = 1;
    EXPECT_FALSE(hiscore_scan_allowed()); // the Interton has no scores
    ASSERT_TRUE(machine_switch(ZACCARIA, 23, false, true, false));
    EXPECT_TRUE(hiscore_scan_allowed());
    for (int step = 0; step < SPEED_STEPS; step++) {
        emu_speed = step;
        EXPECT_EQ(hiscore_scan_allowed(), step >= SPEED_NORMAL) << step;
    }
    emu_speed = SPEED_NORMAL;
    collisions = 0;
    EXPECT_FALSE(hiscore_scan_allowed());
    collisions = 1;
    rec_state = REC_PLAYBACK;
    EXPECT_FALSE(hiscore_scan_allowed());
    rec_state = REC_RECORDING;
    EXPECT_TRUE(hiscore_scan_allowed());
    rec_state = REC_IDLE;
    emu_pause(PauseCause::user);
    EXPECT_FALSE(hiscore_scan_allowed());
    emu_unpause();
    trainer_time = 1;
    EXPECT_FALSE(hiscore_scan_allowed());
    ASSERT_TRUE(machine_switch(PONG, 28, false, true, false));
    EXPECT_TRUE(hiscore_scan_allowed()); // trainers do not matter on the ball-and-paddle machine
    trainer_time = 0;
    ASSERT_TRUE(machine_switch(ARCADIA, 6, false, true, false));
    EXPECT_TRUE(hiscore_scan_allowed());
}

TEST_F(Frame, PlayTimeAccumulatesAtEverySpeed) {
    ASSERT_TRUE(machine_switch(ZACCARIA, 22, false, true, false));
    emu_speed = 0; // too slow for the score scan, but the time still counts
    const u32 seconds = hiscores[52].play_seconds;
    const u32 micros = hiscores[52].play_micros;
    emu_region = 1;
    for (int i = 0; i < 50; i++)
        emu_end_of_frame();
    EXPECT_EQ(hiscores[52].play_seconds, seconds + 1);
    EXPECT_EQ(hiscores[52].play_micros, micros);
    emu_region = 0;
    emu_end_of_frame();
    EXPECT_EQ(hiscores[52].play_micros, micros + 16667);
}

TEST_F(Frame, EndOfFrameServesVoicesAndBeepers) {
    snd_voice_request[2] = 3; // one frame
    snd_voice_request[3] = 1;
    beeper_countdowns[0] = 2;
    frame_counter = 1;
    emu_end_of_frame();
    EXPECT_EQ(frame_counter, 2u);
    EXPECT_EQ(snd_voice_request[2], 2u); // stops at the next frame end
    EXPECT_EQ(snd_voice_request[3], 0u);
    EXPECT_EQ(beeper_countdowns[0], 1);
    emu_end_of_frame();
    EXPECT_EQ(beeper_countdowns[0], 0);
    // The short beep's end updated the voices: voice 1 (the beep) is asked to
    // stop, and so is the silent voice 2 after its one frame.
    EXPECT_EQ(snd_voice_request[1], 2u);
    EXPECT_EQ(snd_voice_request[2], 2u);
}

TEST_F(Frame, FrameStepStopsWithTheNewFrameNumber) {
    frame_counter = 41;
    dbg_run_to_frame = 1;
    capture_output();
    emu_end_of_frame();
    std::string out = captured_output();
    EXPECT_NE(out.find("Reached next frame (42)."), std::string::npos) << out;
    EXPECT_TRUE(emu_paused);
    EXPECT_EQ(dbg_run_to_frame, 0u);
}

TEST_F(Frame, ResetRestartsTheTiming) {
    fake_clock_advance(123456);
    machine_reset();
    EXPECT_EQ(frame_due_us, fake_clock_now());
    EXPECT_EQ(speed_measure_start_us, fake_clock_now());
    EXPECT_EQ(late_frame_count, 0u);
    EXPECT_EQ(speed_last_count, 0u);
}
