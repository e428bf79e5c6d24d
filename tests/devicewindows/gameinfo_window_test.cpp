// The Game Information window: its lines, keypads, fire-button marks,
// hints, boxes, and OPENGAMEINFO.
#include "commands/arexx.h"
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "devicewindows/gameinfo_window.h"
#include "gui/images.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "input/redefine_keys.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <regex>
#include <string>

namespace {

class GameInfoWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        ASSERT_TRUE(machine_switch(ARCADIA, MAP_ARCADIA_EMERSON, true, true, false));
        gui_open_main_window(0);
    }
    void TearDown() override { fresh_state(); }
    static int win() { return gui_subwin_window[TW_GAMEINFO]; }
    static int count_keys(const GuiNode& n) {
        int c = n.gid >= GID_INFO_EXTRA && n.gid <= 398 ? 1 : 0;
        for (const GuiNode& child : n.children)
            c += count_keys(child);
        return c;
    }
    static bool has_image(const GuiNode& n, int image) {
        if (n.kind == GK_IMAGE && n.image == image) return true;
        for (const GuiNode& child : n.children)
            if (has_image(child, image)) return true;
        return false;
    }
    // A known game of the current machine, or -1.
    static int some_known_game() {
        for (int i = 0; i < KNOWN_GAMES; i++)
            if (known_games_db[i].name && known_games_db[i].machine == machine &&
                known_games_db[i].memmap == memmap)
                return i;
        return -1;
    }
};

constexpr int RED = 0xFF8888, BLUE = 0xAAAAFF, MINT = 0x88FF88;

} // namespace

TEST_F(GameInfoWindow, WithoutAGameTheFireButtonsMarkKeys213) {
    known_game_id = -1;
    game_apply_settings();
    palladium_gameinfo = 0;
    gui_open_tool_window(TW_GAMEINFO);
    ASSERT_NE(win(), 0);
    EXPECT_EQ(count_keys(gui_headless_desc(win())->root), 24);
    for (int p = 0; p < 2; p++) {
        EXPECT_EQ(gui_headless_background(win(), gameinfo_key_gadget(p, 2)), RED) << p;
        EXPECT_EQ(gui_headless_background(win(), gameinfo_key_gadget(p, 1)), BLUE) << p;
        EXPECT_EQ(gui_headless_background(win(), gameinfo_key_gadget(p, 3)), MINT) << p;
        EXPECT_EQ(gui_headless_background(win(), gameinfo_key_gadget(p, 4)), -1) << p;
    }
    EXPECT_FALSE(gui_get_disabled(win(), GID_INFO_LEGEND + 3));
    // The 4th button presses no keypad key: a plain hint, its host keys.
    EXPECT_NE(gameinfo_hints[35].find("Host keys:"), std::string::npos) << gameinfo_hints[35];
    EXPECT_NE(gameinfo_hints[32].find("Left player:"), std::string::npos) << gameinfo_hints[32];
    EXPECT_NE(gameinfo_hints[8].find("Guest key: 1"), std::string::npos) << gameinfo_hints[8];
    EXPECT_TRUE(gui_get_disabled(win(), GID_INFO_INSTRUCTIONS)); // no instructions

    // "Show Palladium keys?": reopened in place with sixteen keys a side.
    gui_headless_move(win(), 50, 60);
    GuiEvent box;
    box.type = GE_GADGET;
    box.gid = GID_INFO_PALLADIUM;
    box.code = 1;
    gui_headless_post(win(), box);
    gui_subwindows_input();
    ASSERT_NE(win(), 0);
    EXPECT_EQ(palladium_gameinfo, 1u);
    EXPECT_EQ(count_keys(gui_headless_desc(win())->root), 32);
    int left = 0, top = 0;
    gui_window_position(win(), &left, &top, nullptr, nullptr);
    EXPECT_EQ(left, 50);
    EXPECT_FALSE(gui_get_disabled(win(), GID_INFO_EXTRA));
    // The Interton maps use no extra keys: they are there but disabled.
    gui_close_subwindow(TW_GAMEINFO);
    ASSERT_TRUE(machine_switch(INTERTON, MAP_INTERTON_A, true, true, false));
    gui_open_tool_window(TW_GAMEINFO);
    ASSERT_NE(win(), 0);
    EXPECT_TRUE(gui_get_disabled(win(), GID_INFO_EXTRA));
    EXPECT_TRUE(gui_get_disabled(win(), GID_INFO_EXTRA + 7));
    EXPECT_FALSE(gui_get_disabled(win(), GID_INFO_KEYPAD));
}

TEST_F(GameInfoWindow, GuardedHintsAndComputers) {
    fire_button_assign[0] = -1;
    fire_button_assign[1] = 0;
    fire_button_assign[2] = 17; // a direction, no keypad key
    fire_button_assign[3] = 99;
    gui_gameinfo_build_hints();
    for (int k = 32; k < 36; k++)
        EXPECT_EQ(gameinfo_hints[k].rfind("Host keys:", 0), 0u) << k;

    ASSERT_TRUE(machine_switch(PIPBUG, MAP_PIPBUG_2, true, true, false));
    gui_open_tool_window(TW_GAMEINFO);
    ASSERT_NE(win(), 0);
    for (int k = 0; k < 4; k++)
        EXPECT_TRUE(gui_get_disabled(win(), GID_INFO_LEGEND + k));
    EXPECT_EQ(gameinfo_hints[32], "");
    EXPECT_EQ(gui_get_text(win(), gameinfo_key_gadget(0, 5)), "n/a");
    EXPECT_EQ(gui_headless_background(win(), gameinfo_key_gadget(0, 2)), -1);
}

TEST_F(GameInfoWindow, BoxesOnlyForKnownGamesWithTheirPicture) {
    EXPECT_EQ(gameinfo_box_picture(-1), -1);
    EXPECT_EQ(gameinfo_box_picture(850), -1);
    EXPECT_EQ(gameinfo_box_picture(1), -1);
    viewctrlsas_arcadia = 0;
    const int golf = gameinfo_box_picture(65);
    ASSERT_GE(golf, 0);
    EXPECT_STREQ(gui_image_names[golf], "boxes/box-GOLF.gif");
    viewctrlsas_arcadia = 1;
    EXPECT_STREQ(gui_image_names[gameinfo_box_picture(0)], "boxes/box-mg324.gif");
    EXPECT_STREQ(gui_image_names[gameinfo_box_picture(3)], "boxes/box-MACROSS.gif");
    EXPECT_EQ(gameinfo_box_picture(261), -1);
    viewctrlsas_arcadia = 0;

    // The pictures are not shipped: the window shows none.
    known_game_id = 0;
    gui_open_tool_window(TW_GAMEINFO);
    ASSERT_NE(win(), 0);
    EXPECT_FALSE(has_image(gui_headless_desc(win())->root, gui_image(golf)));
}

TEST_F(GameInfoWindow, ShowsTheLinesAndFollowsANewLoad) {
    const int game = some_known_game();
    ASSERT_GE(game, 0);
    known_game_id = -1;
    game_info_text();
    gui_open_tool_window(TW_GAMEINFO);
    ASSERT_NE(win(), 0);
    known_game_id = game;
    game_info_text();
    gui_refresh_windows(0);
    ASSERT_NE(win(), 0);
    const GuiWindowDesc* d = gui_headless_desc(win());
    std::string all;
    std::function<void(const GuiNode&)> walk = [&](const GuiNode& n) {
        if (n.kind == GK_STRING) all += n.text + "\n";
        for (const GuiNode& c : n.children)
            walk(c);
    };
    walk(d->root);
    EXPECT_NE(all.find(known_games_db[game].name), std::string::npos) << all;
    EXPECT_TRUE(std::regex_search(all, std::regex(R"(\$[0-9A-F]{8}/\$[0-9A-F]{16}\n)"))) << all;
}

// OPENGAMEINFO answers as Help > Game information: refused while no known
// game is loaded and the game's information says nothing.
TEST_F(GameInfoWindow, OpenGameInfoRefusesWithoutAGame) {
    file_loaded = 0;
    known_game_id = -1;
    std::snprintf(game_info_fields[0], sizeof game_info_fields[0], "-");
    std::string result;
    EXPECT_EQ(arexx_execute("OPENGAMEINFO", &result), 10);
    EXPECT_EQ(result, "OPENGAMEINFO: command is unavailable now\n");
    EXPECT_EQ(win(), 0);
    file_loaded = 1;
    known_game_id = 0;
    game_info_text();
    EXPECT_EQ(arexx_execute("OPENGAMEINFO", &result), 0) << result;
    EXPECT_NE(win(), 0);
}

// A source opened after another program shows its own start address, as the
// processor starts it there.
TEST_F(GameInfoWindow, AnOpenedSourceShowsItsStartAddress) {
    TempHome home("gameinfo_asm");
    const std::string bin = (home.path() / "first.bin").string(),
                      source = (home.path() / "second.asm").string();
    test_write_file(bin, std::string("\x04\x12\x1B\x7E", 4));
    test_write_file(source, "        ORG $100\n        NOP\nBEGIN   LODI,R1 5\n"
                            "        HALT\n        END BEGIN\n");
    std::string result;
    ASSERT_EQ(arexx_execute(("OPEN " + bin).c_str(), &result), 0) << result;
    ASSERT_EQ(arexx_execute(("OPEN " + source).c_str(), &result), 0) << result;
    ASSERT_EQ(cpu_iar, 0x101);
    gui_open_tool_window(TW_GAMEINFO); // an unknown program: its menu item is ghosted
    ASSERT_NE(win(), 0);
    std::vector<std::string> values;
    std::function<void(const GuiNode&)> walk = [&](const GuiNode& n) {
        if (n.kind == GK_STRING) values.push_back(n.text);
        for (const GuiNode& c : n.children)
            walk(c);
    };
    walk(gui_headless_desc(win())->root);
    ASSERT_EQ(values.size(), std::size_t{GAME_INFO_FIELDS});
    EXPECT_EQ(values[7], "$101") << "the start address";
}
