#include "tests/support/quiet_output.h"
#include "core/frame.h"
#include "core/hiscore.h"
#include "app/mainloop.h"
#include "gui/tool_windows.h"
#include "core/message.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "gui/main_window.h"
#include "gui/requesters.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>

namespace {

int frames_run = 0;
int event_passes = 0;
u32 set_in_pass = 0; // bits the next event pass sets
int set_after_passes = 1;

void count_frame() {
    ++frames_run;
}
void fake_events() {
    ++event_passes;
    if (event_passes >= set_after_passes) pending_actions |= set_in_pass;
}
const MainLoopHooks test_hooks = {count_frame, fake_events};

class MainLoop : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        fake_clock_install(1000);
        app_exit_process = throw_exit;
        app_set_loop_hooks(&test_hooks);
        frames_run = event_passes = 0;
        set_in_pass = 0;
        set_after_passes = 1;
        turbo = 1; // no pacing: nothing to wait for
        display_scale = 2;
        display_aspect = 1;
        view_gamelist[0] = 0;
    }
};

} // namespace

TEST_F(MainLoop, DeferredActionsWaitForTheEndOfThePassThatSetThem) {
    gui_open_main_window(0);
    const int first_window = main_window;
    set_in_pass = PA_SCALE_1 << 2;
    set_after_passes = 3;
    app_outer_cycle();
    EXPECT_EQ(frames_run, 3); // the pass that set the bit still ran its frame
    EXPECT_EQ(event_passes, 3);
    EXPECT_EQ(display_scale, 3u);
    EXPECT_TRUE(gui_main_window_is_open());
    EXPECT_NE(main_window, first_window); // closed and opened again
}

TEST_F(MainLoop, TheLowestScaleBitWinsAndStretchAndGameListFollow) {
    gui_open_main_window(0);
    pending_actions = (PA_SCALE_1 << 2) | (PA_SCALE_1 << 4) | PA_STRETCH_2 | PA_SHOW_GAMELIST;
    app_frame_boundary();
    EXPECT_EQ(display_scale, 3u);
    EXPECT_EQ(display_aspect, 2u);
    EXPECT_EQ(view_gamelist[0], 1u);
}

TEST_F(MainLoop, StepsThroughTheGameListInPlaceOnlyOnePerCycle) {
    gui_open_main_window(0);
    const int w = main_window;
    pending_actions = PA_NEXT_GAME;
    app_frame_boundary();
    EXPECT_EQ(main_window, w); // no rebuild for a step alone
    pending_actions = PA_PREV_GAME | PA_NEXT_GAME;
    app_frame_boundary();
    EXPECT_NE(main_window, w); // the next-game bit is left: the window is rebuilt
}

TEST_F(MainLoop, IconifyOnTheOwnScreenIsDroppedWithoutARebuild) {
    display_mode = 1;
    gui_open_main_window(0);
    const int w = main_window;
    pending_actions = PA_ICONIFY;
    app_frame_boundary();
    EXPECT_EQ(main_window, w);
    EXPECT_EQ(pending_actions, 0u);
}

TEST_F(MainLoop, QuitAppliesTheScaleFirstAndClosesTheWindowBeforeTheExit) {
    gui_open_main_window(0);
    pending_actions = PA_QUIT | (PA_SCALE_1 << 3);
    try {
        app_frame_boundary();
        FAIL() << "the quit bit did not exit";
    } catch (const Exited& e) {
        EXPECT_EQ(e.code, 0);
    }
    EXPECT_EQ(display_scale, 4u);
    EXPECT_FALSE(gui_main_window_is_open());
}

// A debugger stop holds the processor inside a frame: a quit chosen there
// (the close gadget, the menu) cannot wait for the frame to end.
TEST_F(MainLoop, AQuitChosenAtADebuggerStopEndsTheProgramThere) {
    set_in_pass = PA_REBUILD; // anything else waits for the frame's end
    app_paused_event_pass();
    EXPECT_EQ(event_passes, 1);
    set_in_pass = PA_QUIT;
    try {
        app_paused_event_pass();
        FAIL() << "the quit waited";
    } catch (const Exited& e) {
        EXPECT_EQ(e.code, 0);
    }
}

TEST_F(MainLoop, PausedPassesRunNoFrameAndWaitForEvents) {
    gui_open_main_window(0);
    emu_paused = true;
    set_in_pass = PA_REBUILD;
    set_after_passes = 4;
    app_outer_cycle();
    EXPECT_EQ(frames_run, 0);
    EXPECT_EQ(event_passes, 4);
    EXPECT_EQ(gui_headless_wait_events_count(), 4);
}

TEST_F(MainLoop, CtrlCIsHandledBeforeAnyWindowEvent) {
    app_set_loop_hooks(nullptr); // the real event pass
    gui_open_main_window(0);
    GuiEvent wheel;
    wheel.type = GE_WHEEL;
    wheel.code = 1;
    wheel.qualifier = QUAL_CONTROL;
    view_gamelist[0] = 1;
    gui_headless_post(main_window, wheel);
    pending_actions = 0;
    app_signal_break();
    capture_output();
    try {
        gui_main_window_events();
        FAIL() << "CTRL-C did not exit";
    } catch (const Exited& e) {
        EXPECT_EQ(e.code, 0);
    }
    std::string out = captured_output();
    EXPECT_NE(out.find("Brindlemox: User break!\n"), std::string::npos);
    EXPECT_NE(out.find("Quitting.\n"), std::string::npos);
    EXPECT_EQ(pending_actions, 0u); // the queued wheel event was never taken
}

// Nothing acquired, or an UPGRADE run: the exit path writes nothing.
TEST_F(MainLoop, TheExitPathSkipsWhatWasNeverAcquiredOrMustNotBeWritten) {
    try {
        app_clean_exit(1);
    } catch (const Exited& e) {
        EXPECT_EQ(e.code, 1);
    }
    for (const char* never : {"autosave", "settings", "high scores", "display", "images"})
        EXPECT_EQ(std::count(app_exit_steps.begin(), app_exit_steps.end(), never), 0) << never;
    ASSERT_FALSE(app_exit_steps.empty());
    EXPECT_EQ(app_exit_steps.back(), "end");

    app_exit_reset(); // a second exit in one process would end at once
    app_acquired.machine_ready = app_acquired.settings_read = app_acquired.hiscores_read = true;
    upgrade_mode = 1;
    try {
        app_clean_exit(0);
    } catch (const Exited&) {
    }
    upgrade_mode = 0;
    for (const char* never : {"autosave", "settings", "high scores"})
        EXPECT_EQ(std::count(app_exit_steps.begin(), app_exit_steps.end(), never), 0) << never;
    EXPECT_GT(app_exit_steps.size(), 1u) << "the exit path ran its steps";
}

// With everything acquired, the exit path writes before it lets go of the
// display: the autosave while the window is open, the settings (unless under
// LOCKCONFIG) once the windows have given their places, and the high scores,
// all before the recorders finish their files.
TEST_F(MainLoop, TheExitPathWritesAndReleasesInItsOrder) {
    const std::filesystem::path configs = home / "Configs";
    for (u8 locked : {0, 1}) {
        SCOPED_TRACE(locked ? "LOCKCONFIG" : "settings written");
        std::filesystem::remove_all(configs);
        std::filesystem::create_directories(configs);
        std::filesystem::remove_all(home / "Games");
        std::filesystem::create_directories(home / "Games");
        app_exit_reset();
        gui_open_main_window(0);
        app_acquired.host_gui = true;
        app_acquired.machine_ready = true;
        app_acquired.hiscores_read = true;
        app_acquired.images_loaded = true;
        app_acquired.settings_read = true;
        ini_load_ran = 1;     // as after reading the settings at start-up
        hiscore_load_ran = 1; // and the high scores
        lock_config = locked;
        try {
            app_clean_exit(10);
        } catch (const Exited& e) {
            EXPECT_EQ(e.code, 10);
        }
        lock_config = 0;
        auto at = [](const char* s) {
            return std::find(app_exit_steps.begin(), app_exit_steps.end(), s) -
                   app_exit_steps.begin();
        };
        const long n = static_cast<long>(app_exit_steps.size());
        EXPECT_LT(at("autosave"), at("main window"));
        EXPECT_LT(at("main window"), at("high scores"));
        EXPECT_LT(at("high scores"), at("outputs"));
        EXPECT_LT(at("outputs"), at("images"));
        EXPECT_LT(at("images"), at("sound"));
        EXPECT_LT(at("sound"), at("display"));
        EXPECT_LT(at("display"), at("end"));
        EXPECT_EQ(at("end"), n - 1);
        EXPECT_FALSE(gui_main_window_is_open());
        EXPECT_FALSE(app_acquired.host_gui);
        EXPECT_TRUE(std::filesystem::is_regular_file(home / "Games" / "AUTOSAVE.COS"));
        EXPECT_TRUE(std::filesystem::is_regular_file(configs / "Brindlemox.hgh"));
        if (locked) {
            EXPECT_EQ(at("settings"), n);
            EXPECT_FALSE(std::filesystem::exists(configs / "Brindlemox.ini"));
        } else {
            EXPECT_LT(at("main window"), at("settings"));
            EXPECT_LT(at("settings"), at("high scores"));
            EXPECT_TRUE(std::filesystem::is_regular_file(configs / "Brindlemox.ini"));
        }
    }
}

static std::string tool_log;

// Operations of tool window `N`, open from the start, that log what is done to them.
template <int N> SubwindowOps logged_ops() {
    return {[] { tool_log += "o" + std::to_string(N) + " "; },
            [] { tool_log += "c" + std::to_string(N) + " "; }, nullptr, [] { return true; }};
}

TEST_F(MainLoop, ToolWindowsCloseForReopeningAndReopenInTheirOrder) {
    tool_log.clear();
    gui_subwin_ops[TW_CONTROLS] = logged_ops<0>();
    gui_subwin_ops[TW_CPU] = logged_ops<4>();
    gui_subwin_ops[TW_NONE] = logged_ops<15>();
    gui_subwin_ops[TW_FLOPPY] = logged_ops<17>();
    gui_close_all_subwindows();
    EXPECT_EQ(tool_log, "c0 c4 c17 "); // window 15 stays
    tool_log.clear();
    gui_reopen_subwindows(); // the main window is closed: nothing
    EXPECT_EQ(tool_log, "");
    gui_open_main_window(1);
    EXPECT_EQ(tool_log, "o0 o17 o4 ");
    for (SubwindowOps& ops : gui_subwin_ops)
        ops = SubwindowOps{};
    for (u8& f : gui_subwin_reopen)
        f = 0;
}

TEST_F(MainLoop, TheTimedWaitServesTheHostUntilTheDueTime) {
    u32 before = timer_now_us();
    timer_wait_us(20000);
    EXPECT_EQ(timer_now_us() - before, 20000u);
    EXPECT_EQ(gui_headless_wait_until_count(), 1);
}

// A break closes an open requester as cancelled, whether it came before the
// requester opened or while the user was reading it, and the next check then
// leaves through the exit path with 0.
TEST_F(MainLoop, ABreakClosesAnOpenRequesterAsCancelledAndTheProgramLeaves) {
    struct Case {
        const char* what;
        void (*before)();     // before the requester opens
        void (*while_open)(); // while it waits for the user
    };
    const Case cases[] = {
        {"flag raised before", app_signal_break, nullptr},
        {"SIGINT while open", nullptr, [] { std::raise(SIGINT); }},
        {"SIGTERM while open", nullptr, [] { std::raise(SIGTERM); }},
        {"SIGHUP before", [] { std::raise(SIGHUP); }, nullptr},
    };
    app_install_break_handler();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app_loop_reset();
        app_exit_reset();
        app_exit_process = throw_exit;
        gui_headless_reset();
        gui_open_main_window(0);
        app_acquired.host_gui = true; // requesters are shown
        gui_headless_answer_requesters({1}); // the user would confirm
        gui_headless_on_requester(c.while_open);
        if (c.before) c.before();
        EXPECT_EQ(gui_requester("Brindlemox", "Really quit?", "Yes|No", 1), 0);
        app_acquired.host_gui = false;
        EXPECT_EQ(gui_headless_requesters().size(), 1u);
        EXPECT_EQ(gui_headless_answers_left(), 1); // the user's answer was never taken
        capture_output();
        int code = -1;
        try {
            gui_main_window_events();
        } catch (const Exited& e) {
            code = e.code;
        }
        std::string out = captured_output();
        EXPECT_EQ(code, 0);
        EXPECT_NE(out.find("Brindlemox: User break!\n"), std::string::npos);
    }
}

// Without a break the requester waits for the user's answer as before.
TEST_F(MainLoop, WithoutABreakARequesterTakesTheUsersAnswer) {
    app_install_break_handler();
    gui_open_main_window(0);
    app_acquired.host_gui = true;
    gui_headless_answer_requesters({1, 2});
    EXPECT_EQ(gui_requester("Brindlemox", "Really quit?", "Yes|No", 1), 1);
    EXPECT_NE(gui_requester("Brindlemox", "Really quit?", "Yes|No", 1), 1); // not "Yes"
    EXPECT_EQ(gui_headless_answers_left(), 0);
    app_acquired.host_gui = false;
}
