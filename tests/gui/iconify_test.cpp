#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "app/mainloop.h"
#include "core/settings_vars.h"
#include "app/shutdown.h"
#include "gui/iconify.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"
#include "tests/core/loading_support.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;

namespace {

// What the user does while the window is minimised, one step per wait.
std::vector<std::function<void()>> user_steps;
std::size_t next_step = 0;
int waits = 0;
void user_acts() {
    ++waits;
    if (next_step < user_steps.size()) user_steps[next_step++]();
}

GuiEvent drop(const std::string& path) {
    return {GE_DROP, 0, 1, 0, 0, 0, path};
}

class Iconify : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        fake_clock_install(5000);
        app_acquired.host_gui = true;
        viewbuiltin = 0;
        user_steps.clear();
        next_step = 0;
        waits = 0;
        gui_headless_on_wait_events(user_acts);
        gui_open_main_window(0);
    }
    // Opens a tool window that anyone can open: a blank one registered here.
    static void open_blank() {
        GuiWindowDesc d;
        d.title = "Blank";
        gui_open_subwindow(TW_SPEED, d);
    }
};

} // namespace

TEST_F(Iconify, RestoringReopensTheToolWindowsThatWereOpen) {
    gui_subwin_ops[TW_SPEED].open = open_blank;
    gui_open_tool_window(TW_SPEED);
    ASSERT_TRUE(gui_tool_window_open(TW_SPEED));
    user_steps = {[] { EXPECT_FALSE(gui_tool_window_open(TW_SPEED)); },
                  [] { EXPECT_TRUE(gui_window_minimised(main_window)); },
                  [] { gui_window_minimise(main_window, false); }}; // the user restores it
    gui_iconify();
    EXPECT_EQ(waits, 3);
    EXPECT_FALSE(gui_window_minimised(main_window));
    EXPECT_EQ(gui_iconified, 0);
    EXPECT_TRUE(gui_tool_window_open(TW_SPEED));
}

TEST_F(Iconify, TheShowRequestRestores) {
    user_steps = {[] {}, [] { pending_actions |= PA_UNICONIFY; }};
    gui_iconify();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(pending_actions & PA_UNICONIFY, 0u);
    EXPECT_FALSE(gui_window_minimised(main_window));
}

TEST_F(Iconify, ADroppedDrawerIsAuditedAndTheWindowStaysMinimised) {
    fs::create_directories(home / "more");
    loading_test::write_file(home / "more" / "s.bin", loading_test::forge_row(130));
    const std::string path = (home / "more").string();
    user_steps = {[path] { gui_headless_post(main_window, drop(path)); },
                  [] { EXPECT_TRUE(gui_window_minimised(main_window)); },
                  [] { pending_actions |= PA_UNICONIFY; }};
    gui_iconify();
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(std::string(games_path), path);
    EXPECT_EQ(games_count, 3);
}

TEST_F(Iconify, ADroppedFileLoadsAndRestoresOrBeeps) {
    loading_test::write_file(home / "s.bin", loading_test::forge_row(130));
    loading_test::write_file(home / "bad.bin", {1, 2, 3});
    const std::string good = (home / "s.bin").string(), bad = (home / "none.xyz").string();
    user_steps = {[bad] { gui_headless_post(main_window, drop(bad)); },
                  [good] { gui_headless_post(main_window, drop(good)); }};
    stubprograms = 0;
    capture_output();
    gui_iconify();
    captured_output();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(gui_headless_beeps(), 1); // the file that does not load
    EXPECT_EQ(known_game_id, 130);
    EXPECT_FALSE(gui_window_minimised(main_window));
}

TEST_F(Iconify, TheMenuCommandIconifies) {
    user_steps = {[] { gui_window_minimise(main_window, false); }};
    gui_menu_pick(27);
    EXPECT_EQ(waits, 1);
}

TEST_F(Iconify, AutopauseOnlyForOtherPrograms) {
    gui_subwin_ops[TW_SPEED].open = open_blank;
    gui_open_tool_window(TW_SPEED);
    const int tool = gui_subwin_window[TW_SPEED];
    struct Case {
        u32 option;
        bool mid_frame, paused;
        int active; // 0 another program, 1 the main window, 2 the tool window
        bool pauses;
    } cases[] = {{1, false, false, 0, true},  {0, false, false, 0, false},
                 {1, true, false, 0, false},  {1, false, false, 1, false},
                 {1, false, false, 2, false}, {1, false, true, 0, true}};
    for (const Case& c : cases) {
        autopause = c.option;
        emu_paused_mid_frame = c.mid_frame;
        emu_paused = c.paused;
        gui_headless_set_active(c.active == 0 ? 0 : c.active == 1 ? main_window : tool);
        gui_headless_post(main_window, {GE_INACTIVE, 0, 0, 0, 0, 0, {}});
        gui_main_window_events();
        EXPECT_EQ(emu_paused, c.pauses) << c.option << c.mid_frame << c.active;
    }
    emu_paused_mid_frame = false;
}
