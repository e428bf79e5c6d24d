// The DIP-switch windows: which machine has which, what their gadgets set,
// how they follow the switches and how a playback disables them.
#include "devicewindows/dips_window.h"

#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "core/user_prefs.h"
#include "gui/tool_windows.h"
#include "machines/coinop_inputs.h"
#include "platform/gui.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"

#include <string>

namespace {

class DipsWindows : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        ui_host.warning = [](const char*) {};
        dips_window_register();
    }
    void TearDown() override {
        rec_state = REC_IDLE;
        gui_close_subwindow(TW_DIPS);
        HomeTest::TearDown();
    }
    void on(u32 m, u32 map) {
        gui_close_subwindow(TW_DIPS);
        ASSERT_TRUE(machine_switch(static_cast<int>(m), static_cast<int>(map), true, true, false));
    }
    static int win() { return gui_subwin_window[TW_DIPS]; }
    static void release(int gid, int code = 0) {
        GuiEvent e;
        e.type = GE_GADGET;
        e.gid = gid;
        e.code = code;
        gui_headless_post(win(), e);
        gui_dips_handle_input();
    }
    static int value(int gid) { return gui_get_value(win(), gid); }
    static bool disabled(int gid) { return gui_get_disabled(win(), gid); }
};

TEST_F(DipsWindows, OnlyFourMachinesHaveOne) {
    for (const auto& [m, map] : {std::pair{ARCADIA, 6}, {MALZAK, MAP_MALZAK_1}, {PIPBUG, 9}}) {
        on(m, static_cast<u32>(map));
        gui_open_dips_window();
        EXPECT_EQ(win(), 0) << m;
    }
    on(MALZAK, MAP_MALZAK_2);
    gui_open_dips_window();
    EXPECT_NE(win(), 0);
    EXPECT_EQ(gui_headless_title(win()), "Malzak 2 DIP Switches");
}

TEST_F(DipsWindows, InstructorTogglesFlipTheirBits) {
    on(INSTRUCTOR, MAP_INSTRUCTOR_BASIC);
    si50_toggles = 0x0F;
    si50_parallelio = 0;
    gui_open_dips_window();
    ASSERT_NE(win(), 0);
    EXPECT_TRUE(gui_get_selected(win(), GID_SI50_TOGGLE + 7)); // "0"
    EXPECT_FALSE(gui_get_selected(win(), GID_SI50_TOGGLE));    // "7"
    release(GID_SI50_TOGGLE + 7);
    EXPECT_EQ(si50_toggles, 0x0Eu);
    release(GID_SI50_TOGGLE);
    EXPECT_EQ(si50_toggles, 0x8Eu);
    release(GID_SI50_PARALLEL, 2);
    release(GID_SI50_INTERRUPTS, 1);
    release(GID_SI50_SELECTOR, 0);
    EXPECT_EQ(si50_parallelio, 2u);
    EXPECT_EQ(si50_interrupts, 1);
    EXPECT_EQ(si50_intselector, 0);

    // A change elsewhere (a load, a playback) shows after the next refresh.
    si50_toggles = 0x01;
    si50_parallelio = 1;
    gui_dips_refresh(0);
    EXPECT_TRUE(gui_get_selected(win(), GID_SI50_TOGGLE + 7));
    EXPECT_FALSE(gui_get_selected(win(), GID_SI50_TOGGLE));
    EXPECT_EQ(value(GID_SI50_PARALLEL), 1);
}

TEST_F(DipsWindows, ZaccariaChoicesRoundTripOrSpringBack) {
    const int radios[] = {GID_ZAC_LIVES, GID_ZAC_COIN_A, GID_ZAC_COIN_B, GID_ZAC_HIGH_SCORE};
    const CoinopDip dips[] = {DIP_LIVES, DIP_COIN_A, DIP_COIN_B, DIP_HIGH_SCORE};
    const int entries[] = {6, 5, 6, 5};
    for (u32 map = 22; map <= 25; map++) {
        on(ZACCARIA, map);
        gui_open_dips_window();
        ASSERT_NE(win(), 0);
        for (int r = 0; r < 4; r++) {
            EXPECT_EQ(disabled(radios[r]), !coinop_dip_enabled(dips[r])) << map << " " << r;
            if (!coinop_dip_enabled(dips[r])) continue;
            for (int entry = 0; entry < entries[r]; entry++) {
                const int before = coinop_dip_choice(dips[r]);
                release(radios[r], entry);
                const int now = coinop_dip_choice(dips[r]);
                // Taken, or refused with the gadget back on the byte's choice.
                EXPECT_TRUE(now == entry || now == before) << map << " " << r << " " << entry;
                EXPECT_EQ(value(radios[r]), now) << map << " " << r << " " << entry;
            }
        }
        const int boxes[] = {GID_ZAC_FREEZE, GID_ZAC_GRID, GID_ZAC_COLLISIONS, GID_ZAC_RAPID};
        const CoinopDip box_dips[] = {DIP_FREEZE, DIP_GRID, DIP_COLLISIONS, DIP_RAPID_FIRE};
        for (int b = 0; b < 4; b++) {
            EXPECT_EQ(disabled(boxes[b]), !coinop_dip_enabled(box_dips[b])) << map << " " << b;
            if (!coinop_dip_enabled(box_dips[b])) continue;
            for (int tick : {1, 0}) {
                release(boxes[b], tick);
                EXPECT_EQ(coinop_dip_choice(box_dips[b]), tick) << map << " " << b;
            }
        }
    }
    // Astro Wars has three or five lives: "4" springs back.
    on(ZACCARIA, 22);
    gui_open_dips_window();
    release(GID_ZAC_LIVES, 3);
    const u8 five = dips_astrowars;
    release(GID_ZAC_LIVES, 2);
    EXPECT_EQ(dips_astrowars, five);
    EXPECT_EQ(value(GID_ZAC_LIVES), 3);
}

TEST_F(DipsWindows, ZaccariaHalfCreditFollowsTheLocale) {
    on(ZACCARIA, 25);
    locale_latin1 = 0;
    gui_open_dips_window();
    EXPECT_EQ(
        gui_headless_desc(win())->root.children[0].children[0].children[0].items[0].substr(0, 4),
        "1/2 ");
    gui_close_subwindow(TW_DIPS);
    locale_latin1 = 1;
    gui_open_dips_window();
    EXPECT_EQ(
        gui_headless_desc(win())->root.children[0].children[0].children[0].items[0].substr(0, 3),
        "\xC2\xBD ");
}

TEST_F(DipsWindows, MalzakPositionsFromTheTestSwitchByte) {
    on(MALZAK, MAP_MALZAK_2);
    gui_open_dips_window();
    const struct {
        u8 byte;
        int position;
    } cases[] = {{0xF0, 0}, {0x90, 1}, {0x70, 2}, {0x00, 3}, {0x12, 3}};
    for (const auto& c : cases) {
        guest_memory[0x14CC] = c.byte;
        gui_dips_refresh(0);
        EXPECT_EQ(value(GID_MALZAK_TEST), c.position) << int(c.byte);
    }
    release(GID_MALZAK_TEST, 1);
    EXPECT_EQ(guest_memory[0x14CC], 0x90);
    release(GID_MALZAK_TEST, 7); // no such position
    EXPECT_EQ(guest_memory[0x14CC], 0x90);
}

TEST_F(DipsWindows, BallAndPaddleGamesAndChip) {
    on(PONG, MAP_PONG_8600);
    pong_variant = 16;
    gui_open_dips_window();
    EXPECT_EQ(value(GID_PONG_GAME), 9); // "2-Player Target"
    EXPECT_EQ(gui_headless_title(win()), "AY-3-8600 DIP Switches");
    release(GID_PONG_GAME, 0);
    EXPECT_EQ(pong_variant, 7);

    on(PONG, MAP_PONG_8550);
    gui_open_dips_window();
    pending_actions = 0;
    release(GID_PONG_MACHINE, 2);
    EXPECT_EQ(pong_machine, 2);
    EXPECT_TRUE(pending_actions & PA_REBUILD); // the main window opens again
    gui_dips_refresh(0);
    EXPECT_FALSE(disabled(GID_PONG_LOCK)); // the AY-3-8550 locks the bats
    release(GID_PONG_MACHINE, 0);
    gui_dips_refresh(0);
    EXPECT_TRUE(disabled(GID_PONG_LOCK));
    release(GID_PONG_LEFT, 3);
    EXPECT_EQ(robot_left, 3);
}

// A switch set in the window is the user's choice, also where it is the value
// a load set for its run: the next load does not take it back from the file.
TEST_F(DipsWindows, APickOfTheValueALoadSetIsTheUsersOwn) {
    const struct {
        u32 m, map;
        int gid;
        i32* setting;
        i32 picked;
    } rows[] = {
        {PONG, MAP_PONG_8550, GID_PONG_SPEED, &pong_speed, 1},
        {PONG, MAP_PONG_8550, GID_PONG_ANGLES, &pong_angles, 2},
        {PONG, MAP_PONG_8550, GID_PONG_PLAYERS, &pong_players, 1},
        {INSTRUCTOR, MAP_INSTRUCTOR_BASIC, GID_SI50_INTERRUPTS, &si50_interrupts, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.gid);
        on(row.m, row.map);
        *row.setting = 0;
        prefs_take_user_choice(); // the file holds 0
        {
            const PrefsForRun load;
            *row.setting = row.picked;
        }
        gui_open_dips_window();
        release(row.gid, row.picked);
        {
            const PrefsForRun next_load;
            *row.setting = 0;
        }
        const PrefsUserChoice written;
        EXPECT_EQ(*row.setting, row.picked);
    }
}

void collect_texts(const GuiNode& node, std::string* out) {
    *out += node.text + "\n";
    for (const GuiNode& child : node.children)
        collect_texts(child, out);
}

// The one bat of Practice stands on the right but is the left side's: the
// window says whose controls and which computer setting play it, on both chips.
TEST_F(DipsWindows, BallAndPaddleWindowSaysWhoPlaysTheOneBat) {
    for (u32 map : {MAP_PONG_8550, MAP_PONG_8600}) {
        on(PONG, map);
        gui_open_dips_window();
        ASSERT_NE(win(), 0);
        std::string texts;
        collect_texts(gui_headless_desc(win())->root, &texts);
        EXPECT_NE(texts.find("One-player games: the left player's controls and Left: play the bat"),
                  std::string::npos)
            << texts;
    }
}

TEST_F(DipsWindows, PlaybackDisablesEverySwitch) {
    on(ZACCARIA, 22);
    gui_open_dips_window();
    rec_state = REC_PLAYBACK;
    gui_dips_refresh(0);
    for (int gid = GID_ZAC_FREEZE; gid <= GID_ZAC_HIGH_SCORE; gid++)
        EXPECT_TRUE(disabled(gid)) << gid;
    const u8 recorded = dips_astrowars;
    release(GID_ZAC_LIVES, 1); // what the recording decides stays
    EXPECT_EQ(dips_astrowars, recorded);
    rec_state = REC_IDLE;
    gui_dips_refresh(0);
    // Enabled again, but for what Astro Wars lacks.
    EXPECT_FALSE(disabled(GID_ZAC_LIVES));
    EXPECT_FALSE(disabled(GID_ZAC_FREEZE));
    EXPECT_TRUE(disabled(GID_ZAC_GRID));
    EXPECT_TRUE(disabled(GID_ZAC_RAPID));
}

} // namespace
