// The main window's place and size through every rebuild: the rows are the
// command table's View, Graphics and Machine items and the machine table.
#include "app/mainloop.h"
#include "commands/arexx.h"
#include "commands/command_table.h"
#include "commands/menu_table.h"
#include "core/machine_table.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "display/host.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class MainWindowPlace : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        display_scale = 1;
        view_debugger[0] = view_gamelist[0] = view_statusbar[0] = 1;
        view_titlebar[0] = view_toolbar[0] = 1;
        gui_open_main_window(0);
    }
    // A port command, then what the main loop does after it.
    void command(const std::string& line) {
        std::string result;
        arexx_execute(line.c_str(), &result);
        app_frame_boundary();
        pending_actions = 0;
        gui_main_window_events();
    }
};

// The script name of a command row's menu item ("" none).
std::string menu_name(const CmdRow& row) {
    if (row.plain >= 0) return menu_plain_names[row.plain].name;
    if (row.check >= 0) return menu_check_names[row.check].name;
    return "";
}

} // namespace

TEST_F(MainWindowPlace, EveryRebuildOpensTheWindowWhereTheUserPutIt) {
    command("MOVEWINDOW 40 60");
    int rebuilt = 0;
    for (const CmdRow& row : cmd_rows) {
        const std::string name = menu_name(row);
        if (name.rfind("VIEW.", 0) != 0 && name.rfind("SETTINGS.GRAPHICS.", 0) != 0 &&
            name.rfind("SETTINGS.MACHINE.", 0) != 0)
            continue;
        SCOPED_TRACE(name);
        const int before = main_window;
        command("MENU " + name);
        if (display_mode == 1) command("MENU " + name); // full screen, and back
        ASSERT_NE(main_window, 0);
        if (main_window != before) rebuilt++;
        EXPECT_EQ(gui_headless_desc(main_window)->left, 40);
        EXPECT_EQ(gui_headless_desc(main_window)->top, 60);
    }
    EXPECT_GE(rebuilt, 20); // the views, sizes, full screen and the machines
    gui_close_main_window();
    EXPECT_EQ(main_window_pos[0], 40);
    EXPECT_EQ(main_window_pos[1], 60);
}

// On every machine, at the largest size and wide, the window fits the
// screen's 1280 x 1024; the settings keep the size and width chosen.
TEST_F(MainWindowPlace, EveryMachineOpensAtASizeThatFitsTheScreen) {
    for (u32 m = 0; m < MACHINES; m++) {
        SCOPED_TRACE(machine_table[m].keyword);
        command(std::string("SETMACHINE ") + machine_table[m].keyword);
        command("MENU SETTINGS.GRAPHICS.6XSIZE");
        if (display_aspect == 1) command("MENU SETTINGS.GRAPHICS.NARROW");
        int width = 0, height = 0;
        gui_window_outer_size(main_window, &width, &height);
        EXPECT_LE(width, 1280);
        EXPECT_LE(height, 1024);
        EXPECT_EQ(display_scale, 6u);
        EXPECT_EQ(display_aspect, 2u);
    }
}
