// The command table: every menu item, toolbar button, hotkey and script name
// leads to one row and back; the rows' availability over every machine; the
// shared refusals made once whatever the road.
#include "commands/arexx.h"
#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "commands/menu_state.h"
#include "commands/menu_table.h"
#include "commands/menus.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "gui/main_window.h"
#include "machines/pvi2636.h"
#include "gui/ui_pass.h"
#include "input/keys.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace {

class CommandTable : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};

} // namespace

TEST_F(CommandTable, EveryItemButtonKeyAndNameLeadsToOneRowAndBack) {
    for (std::size_t r = 0; r < CMD_COUNT; r++) {
        EXPECT_EQ(static_cast<std::size_t>(cmd_rows[r].cmd), r) << "row " << r;
        EXPECT_FALSE(cmd_rows[r].plain >= 0 && cmd_rows[r].check >= 0) << "row " << r;
    }

    // Menu items: the strip's id, its row and the row's id.
    std::set<const CmdRow*> rows_with_items;
    for (const MenuRow& m : menu_table) {
        if (m.plain < 0 && m.check < 0) continue;
        const CmdRow* row = m.plain >= 0 ? cmd_of_plain(m.plain) : cmd_of_check(m.check);
        ASSERT_NE(row, nullptr) << m.label;
        EXPECT_TRUE(rows_with_items.insert(row).second) << m.label;
        EXPECT_EQ(row->plain, m.plain) << m.label;
        EXPECT_EQ(row->check, m.check) << m.label;
        const int item = m.plain >= 0 ? m.plain : MENU_CHECK_BASE + m.check;
        EXPECT_EQ(cmd_of_item(item), row) << m.label;
    }
    // Script names: each names one row, whose name it is.
    int named = 0;
    for (const CmdRow& row : cmd_rows) {
        const char* name =
            row.plain >= 0 ? menu_plain_names[row.plain].name : menu_check_names[row.check].name;
        if (!name[0]) continue;
        named++;
        EXPECT_EQ(cmd_named(name), &row) << name;
        std::string lower(name);
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(cmd_named(lower.c_str()), &row) << name;
    }
    int names = 0;
    for (int id = 0; id < MENU_PLAIN_IDS; id++)
        names += menu_plain_names[id].name[0] != 0;
    for (int id = 0; id < MENU_CHECK_IDS; id++)
        names += menu_check_names[id].name[0] != 0;
    EXPECT_EQ(named, names);
    EXPECT_EQ(cmd_named("NO.SUCH.ITEM"), nullptr);
    EXPECT_EQ(cmd_named(""), nullptr);

    // Toolbar buttons and hotkeys are rows with a menu item.
    for (int bar = 1; bar <= 2; bar++)
        for (int index = 1; index <= (bar == 1 ? 8 : 10); index++) {
            const CmdRow* row = cmd_toolbar_row(bar, index);
            ASSERT_NE(row, nullptr) << bar << "/" << index;
            EXPECT_TRUE(rows_with_items.count(row)) << bar << "/" << index;
        }
    EXPECT_EQ(cmd_toolbar_row(1, 9), nullptr);
    EXPECT_EQ(cmd_toolbar_row(2, 11), nullptr); // the console buttons are the guest's
    for (std::size_t k = 0; k < cmd_hotkey_count; k++) {
        const CmdHotkey& key = cmd_hotkeys[k];
        EXPECT_EQ(cmd_of_hotkey(key.code, key.qualifiers), &cmd_row(key.cmd)) << int(key.code);
        EXPECT_TRUE(rows_with_items.count(&cmd_row(key.cmd))) << int(key.code);
    }
    // The same key with other qualifiers: Ctrl+F5 is a scale, F5 alone the reset.
    EXPECT_EQ(cmd_of_hotkey(RAW_F1 + 4, HK_CTRL), nullptr);
    EXPECT_EQ(cmd_of_hotkey(RAW_F1 + 4, HK_SHIFT), &cmd_row(Cmd::PROJECT_RESETTOGAME));
    EXPECT_EQ(cmd_of_hotkey(RAW_F1 + 4, HK_CTRL | HK_SHIFT),
              &cmd_row(Cmd::SETTINGS_MACHINE_LAZARIAN));
    EXPECT_EQ(cmd_of_hotkey(17, HK_NONE), nullptr); // W without Alt is the guest's
}

TEST_F(CommandTable, AvailabilityOverEveryMachineMatchesTheRulesItReplaced) {
    // Recorded from the rules per item before they became the rows' questions,
    // each map just switched to, nothing else set: plain ids then checkable ids.
    const int plain[] = {1, 59, 105, 110, 176, 194, 196, 224, 230, 236, 264, 298, 307};
    const int check[] = {36, 40, 49, 55, 113, 147};
    const struct {
        u32 map;
        const char *plain, *check;
    } recorded[] = {
        {0, "0001110101101", "111000"},  {1, "0001110101101", "111000"},
        {2, "0001110101101", "111000"},  {3, "0001110101101", "111000"},
        {4, "1111100101101", "111100"},  {5, "1111100101101", "111100"},
        {6, "0001111101101", "111001"},  {7, "0001111101101", "111001"},
        {8, "0001111101101", "111001"},  {9, "1001000000001", "000010"},
        {10, "1001000000001", "000010"}, {11, "1001100001011", "011010"},
        {12, "0001000000011", "000000"}, {13, "1001000000001", "000010"},
        {14, "1001000000000", "000000"}, {15, "1001000000000", "000000"},
        {16, "1001000000011", "000010"}, {19, "1001000000001", "000000"},
        {20, "1001000000001", "000010"}, {21, "1001000000000", "000000"},
        {22, "0001100011101", "111000"}, {23, "0001100011101", "111000"},
        {24, "0011100001101", "110000"}, {25, "0011100001101", "110000"},
        {26, "0001100001101", "111000"}, {27, "0001100001101", "111000"},
        {28, "0000000001100", "111001"}, {29, "0000100001100", "111001"},
        {30, "0000000000000", "000000"},
    };
    for (const auto& r : recorded) {
        fresh_state();
        ASSERT_TRUE(machine_switch(memmap_table[r.map].machine, static_cast<int>(r.map), true, true,
                                   false));
        std::string got_plain, got_check;
        for (int id : plain)
            got_plain += menu_plain_state(id).enabled ? '1' : '0';
        for (int id : check)
            got_check += menu_check_state(id).enabled ? '1' : '0';
        EXPECT_EQ(got_plain, r.plain) << "map " << r.map;
        EXPECT_EQ(got_check, r.check) << "map " << r.map;
    }
}

TEST_F(CommandTable, InsideAFrameEveryRoadGivesTheSameRefusalAndDoesNothing) {
    gui_open_main_window(0);
    std::snprintf(game_file_name, sizeof game_file_name, "KEPT.BIN");
    emu_paused_mid_frame = true;
    const auto refused = [](const char* road, auto&& pick) {
        capture_output();
        pick();
        EXPECT_EQ(captured_output(), std::string(cmd_between_frames_text) + "\n") << road;
        EXPECT_STREQ(game_file_name, "KEPT.BIN") << road; // the quick load did not start
    };
    refused("menu", [] { gui_menu_pick(5); });
    refused("toolbar", [] { gui_toolbar_command(1, 7, false); });
    refused("hotkey", [] { EXPECT_TRUE(gui_hotkey(40, HK_ALT)); });
    std::string result;
    refused("script", [&] { EXPECT_EQ(arexx_execute("MENU PROJECT.QUICKLOAD", &result), 10); });
    EXPECT_EQ(result, "MENU PROJECT.QUICKLOAD: command is unavailable during the frame\n");

    // A command that needs no boundary runs meanwhile; a ghosted one says why.
    const u32 before = turbo;
    EXPECT_EQ(cmd_run(Cmd::SETTINGS_SPEED_TURBO, {CmdFrom::HOTKEY}), nullptr);
    EXPECT_NE(turbo, before);
    EXPECT_EQ(arexx_execute("MENU HELP.UPDATE", &result), 10);
    EXPECT_EQ(result, std::string("MENU HELP.UPDATE: ") + cmd_refusal(Cmd::HELP_UPDATE) + "\n");
    EXPECT_FALSE(menu_plain_state(279).enabled);
    emu_paused_mid_frame = false;
    EXPECT_NE(cmd_refusal(Cmd::HELP_UPDATE), nullptr); // not only inside a frame
}

TEST_F(CommandTable, ButtonsFollowTheirRowsAndToggleButtonsSetTheirOption) {
    gui_open_main_window(0);
    emu_paused_mid_frame = true;
    gui_refresh_toolbar();
    EXPECT_FALSE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, 1)); // reset waits
    EXPECT_FALSE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, 3)); // save state as waits
    EXPECT_TRUE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, 4));  // a screenshot does not
    emu_paused_mid_frame = false;
    gui_refresh_toolbar();
    for (int b = 1; b <= 8; b++)
        EXPECT_TRUE(gui_bar_enabled(main_window, GID_SPEEDBAR_1, b)) << b;
    // A toolbar toggle takes the button's state; a menu pick flips the option.
    turbo = 0;
    gui_toolbar_command(2, 6, true);
    EXPECT_EQ(turbo, 1u);
    gui_toolbar_command(2, 6, true);
    EXPECT_EQ(turbo, 1u);
    gui_menu_pick(261);
    EXPECT_EQ(turbo, 0u);
    // The machine keys switch machines as their menu items do.
    EXPECT_TRUE(gui_hotkey(RAW_F1 + 9, HK_CTRL | HK_SHIFT));
    EXPECT_EQ(machine, static_cast<u32>(TYPERIGHT));
    EXPECT_EQ(memmap, static_cast<u32>(MAP_TYPERIGHT));
}

TEST_F(CommandTable, AQuickSaveJoinsTheGameListAndALoadHeadsTheRecentFiles) {
    TempHome home("quicksave");
    const std::string drawer = (home.path() / "games").string();
    std::filesystem::create_directories(drawer);
    std::snprintf(games_path, sizeof games_path, "%s/", drawer.c_str());
    view_gamelist[display_mode] = 1;
    gui_open_main_window(0);
    games_audit_drawer(0);
    const auto listed = [] {
        for (int i = 0; i < games_count; i++)
            if (std::strstr(games_found[i].path, "QUICKSAV.COS")) return true;
        return false;
    };
    ASSERT_FALSE(listed());
    gui_menu_pick(16); // quick save
    EXPECT_TRUE(listed());

    // The quick load leaves the recent list; a file the user chooses heads it,
    // and the strip shows it after the interface's pass.
    recent_count = 0;
    gui_menu_pick(5);
    gui_apply_changes();
    EXPECT_EQ(recent_count, 0);
    const std::string path = drawer + "/QUICKSAV.COS";
    ASSERT_TRUE(file_load_request(load_request_chosen(path.c_str())));
    gui_apply_changes();
    ASSERT_EQ(recent_count, 1);
    EXPECT_EQ(std::string(recent_files[0]), path);
    EXPECT_TRUE(menu_plain_state(19).enabled);
    EXPECT_FALSE(menu_plain_state(20).enabled);
    const auto& strip = *gui_headless_menus(main_window);
    bool shown = false;
    for (const GuiMenuItem& title : strip)
        for (const GuiMenuItem& item : title.sub)
            if (item.id == 19) shown = item.text == "1: " + path && !item.disabled;
    EXPECT_TRUE(shown);
}

// The Debug menu's drawing items run DRAW, and their ticks follow the mode the
// command set; a machine switch ends the overlays.
TEST_F(CommandTable, DrawItemsReachTheDebuggerCommand) {
    machine_switch(ARCADIA, MAP_ARCADIA_EMERSON, true, true, false);
    OutputCapture out;
    EXPECT_EQ(cmd_run(Cmd::DEBUG_DRAW_2, {CmdFrom::MENU}), nullptr);
    EXPECT_EQ(draw_mode, 2);
    EXPECT_NE(out.text().find(">DRAW 2\nOK."), std::string::npos) << out.text();
    const CmdRow& two = cmd_row(Cmd::DEBUG_DRAW_2);
    const CmdRow& none = cmd_row(Cmd::DEBUG_DRAW_0);
    EXPECT_EQ(two.tick(two), 1);
    EXPECT_EQ(none.tick(none), 0);
    // The PVI console's DMA write table is its own.
    EXPECT_NE(cmd_refusal(Cmd::DEBUG_DRAW_4), nullptr);
    machine_switch(INTERTON, MAP_INTERTON_A, true, true, false);
    EXPECT_EQ(draw_mode, 0);
    EXPECT_EQ(cmd_run(Cmd::DEBUG_DRAW_4, {CmdFrom::MENU}), nullptr);
    EXPECT_EQ(pvi_overlay_mode, 4);
}
