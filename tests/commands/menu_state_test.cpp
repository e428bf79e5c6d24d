// The state rules of menu items and toolbar buttons over machines and
// options, and the dispatchers reached by picks on the main window.
#include "commands/command_table.h"
#include "commands/dispatch.h"
#include "commands/menu_state.h"
#include "commands/menus.h"
#include "core/frame.h"
#include "core/machine.h"
#include "app/mainloop.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "machines/uvi2637.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class MenuState : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
};

const GuiMenuItem* find(const std::vector<GuiMenuItem>& items, int id) {
    for (const GuiMenuItem& m : items) {
        if (m.id == id) return &m;
        if (const GuiMenuItem* s = find(m.sub, id)) return s;
    }
    return nullptr;
}

struct RuleCase {
    const char* what;
    std::function<void()> set_up;
    int id; // plain id, or MENU_CHECK_BASE + checkable id
    bool enabled;
    int tick;
};

ItemState state_of(int id) {
    return id >= MENU_CHECK_BASE ? menu_check_state(id - MENU_CHECK_BASE) : menu_plain_state(id);
}

bool memory_open = false;

} // namespace

TEST_F(MenuState, RulesFollowMachineMapOptionsAndWindows) {
    const auto on_machine = [](u32 m, u32 map) {
        return [m, map] {
            machine = m;
            memmap = map;
        };
    };
    const RuleCase cases[] = {
        {"Arcadia has a processor", on_machine(0, 6), 110, true, -2},
        {"the ball-and-paddle chips have none", on_machine(11, 28), 110, false, -2},
        {"Type-right has none", on_machine(14, 30), 299, false, -1},
        {"Debug graphics off on the Instructor", on_machine(5, 15), 307, false, -1},
        {"Disk sub-menu needs drives", on_machine(0, 6), 298, false, -1},
        {"BINBUG has drives", on_machine(4, 11), 298, true, -1},
        {"Jump to BIOS on the Elektor", on_machine(2, 5), 1, true, -1},
        {"no BIOS on the Arcadia", on_machine(0, 6), 1, false, -1},
        // Items that follow the machine's options, or the game's board.
        {"the PIPBUG 2 monitor tests itself",
         [] {
             machine = PIPBUG;
             memmap = 10;
             pipbug_bios = 3;
         },
         208, true, -2},
        {"PIPBUG 1 does not", on_machine(3, 9), 208, false, -2},
        {"the TWIN's monitor listing needs a DOS",
         [] {
             machine = TWIN;
             memmap = 12;
             twin_dosversion = 6;
         },
         103, false, -1},
        {"the TWIN with SDOS lists it",
         [] {
             machine = TWIN;
             memmap = 12;
             twin_dosversion = 1;
         },
         103, true, -1},
        {"the CD2650's POPMON takes no lowercase",
         [] {
             machine = CD2650;
             memmap = 16;
             cd2650_biosversion = 1;
         },
         241, false, -2},
        {"the Radio Bulletin VDU has blanking areas",
         [] {
             machine = PIPBUG;
             memmap = 9;
             pipbug_vdu = 3;
         },
         222, true, -2},
        {"Laser Battle's tone units", on_machine(8, 24), 105, true, -1},
        {"Astro Wars has none", on_machine(8, 22), 105, false, -1},
        {"Galaxia rumbles", on_machine(8, 23), 178, true, -2},
        {"Astro Wars does not", on_machine(8, 22), 178, false, -2},
        {"reset waits for the frame end", [] { emu_paused_mid_frame = true; }, 0, false, -1},
        {"Machine items wait too", [] { emu_paused_mid_frame = true; }, MENU_CHECK_BASE + 125,
         false, 1},
        {"the ticked machine", on_machine(1, 3), MENU_CHECK_BASE + 126, true, 1},
        {"another machine is unticked", on_machine(1, 3), MENU_CHECK_BASE + 125, true, 0},
        {"full screen ghosts the view toggles", [] { fullscreen = 1; }, 43, false, -2},
        {"full screen ghosts the scales", [] { fullscreen = 1; }, MENU_CHECK_BASE + 107, false, -2},
        {"the scale that is set", [] { display_scale = 3; }, MENU_CHECK_BASE + 109, true, 1},
        {"Debugger? ticks by the display mode",
         [] {
             view_debugger[0] = 1;
             view_debugger[1] = 0;
             display_mode = 0;
         },
         39, true, 1},
        {"the speed shown as kHz", [] { viewspeedas = 2; }, MENU_CHECK_BASE + 3, true, 1},
        {"pixel-based emulation", [] { framebased = 0; }, MENU_CHECK_BASE + 96, true, 1},
        {"Elektor BIOS idle", on_machine(2, 5), MENU_CHECK_BASE + 55, true, -2},
        {"Elektor BIOS in playback",
         [] {
             machine = 2;
             memmap = 5;
             rec_state = REC_PLAYBACK;
         },
         MENU_CHECK_BASE + 55, false, -2},
        {"playback can be restarted", [] { rec_state = REC_PLAYBACK; }, 48, true, -1},
        {"nothing plays back", [] { rec_state = REC_IDLE; }, 48, false, -1},
        {"collisions on the Arcadia", [] { collisions = 1; }, 264, true, 1},
        {"the memory editor while open", [] { memory_open = true; }, 30, false, -1},
        {"the memory editor while closed", [] { memory_open = false; }, 30, true, -1},
        {"About is there", [] {}, 281, true, -1},
        {"About the toolkit is there", [] {}, 280, true, -1},
        {"the Sound dialog is there", [] {}, 251, true, -1},
        {"Check for updates is not in the program yet", [] {}, 279, false, -1},
    };
    for (const RuleCase& c : cases) {
        fresh_state();
        gui_subwin_ops[TW_MEMORY] = {[] {}, [] {}, nullptr, [] { return memory_open; }};
        c.set_up();
        const ItemState s = state_of(c.id);
        EXPECT_EQ(s.enabled, c.enabled) << c.what;
        if (c.tick != -2) {
            EXPECT_EQ(s.tick, c.tick) << c.what;
        }
    }
    memory_open = false;
}

TEST_F(MenuState, TheWindowShowsTheRulesAfterARefresh) {
    gui_open_main_window(0);
    const std::vector<GuiMenuItem>& strip = *gui_headless_menus(main_window);
    ASSERT_TRUE(find(strip, 110));
    EXPECT_FALSE(find(strip, 110)->disabled);
    machine = 11;
    memmap = 28;
    gui_refresh_menus();
    EXPECT_TRUE(find(strip, 110)->disabled);
    EXPECT_TRUE(find(strip, 299)->disabled);
    EXPECT_TRUE(find(strip, MENU_CHECK_BASE + 142)->checked);
    EXPECT_FALSE(find(strip, MENU_CHECK_BASE + 125)->checked);
    // The recent items beyond the list are ghosted.
    recent_count = 1;
    gui_refresh_menus();
    EXPECT_FALSE(find(strip, 19)->disabled);
    EXPECT_TRUE(find(strip, 20)->disabled);
}

TEST_F(MenuState, ToolbarButtonsFollowRecordingAndMachine) {
    rec_state = REC_IDLE;
    EXPECT_FALSE(toolbar_button_state(9).enabled); // stop with nothing to stop
    EXPECT_TRUE(toolbar_button_state(9).selected);
    rec_state = REC_PLAYBACK;
    EXPECT_TRUE(toolbar_button_state(8).enabled);
    EXPECT_TRUE(toolbar_button_state(8).selected);
    emu_paused_mid_frame = true;
    EXPECT_FALSE(toolbar_button_state(8).enabled);
    EXPECT_FALSE(toolbar_button_state(8).selected);
    emu_paused_mid_frame = false;
    machine = 3; // PIPBUG: no sprites, no autofire
    memmap = 9;
    EXPECT_FALSE(toolbar_button_state(6).enabled);
    EXPECT_FALSE(toolbar_button_state(0).enabled);
    EXPECT_TRUE(toolbar_button_state(3).enabled);
}

TEST_F(MenuState, PicksReachTheDispatchers) {
    gui_open_main_window(0);
    const auto pick = [](int id) {
        gui_headless_post(main_window, {GE_MENU, 0, id, 0, 0, 0, {}});
        gui_main_window_events();
    };
    viewspeedas = 0;
    pick(MENU_CHECK_BASE + 4);
    EXPECT_EQ(viewspeedas, 1); // percentage
    pick(MENU_CHECK_BASE + 3);
    EXPECT_EQ(viewspeedas, 2); // kHz
    EXPECT_TRUE(find(*gui_headless_menus(main_window), MENU_CHECK_BASE + 3)->checked);

    // The sprite items set the debugger's sprite mode, and their ticks show
    // it, however it was set.
    machine = ARCADIA;
    memmap = 6;
    const struct { int item, mode; } sprite_items[] = {{34, 0}, {35, 2}, {36, 1}};
    for (const auto& c : sprite_items) {
        pick(MENU_CHECK_BASE + c.item);
        EXPECT_EQ(sprite_mode, c.mode) << c.item;
        for (const auto& other : sprite_items)
            EXPECT_EQ(find(*gui_headless_menus(main_window), MENU_CHECK_BASE + other.item)->checked,
                      other.item == c.item)
                << c.item << " ticks " << other.item;
    }
    sprite_mode = 2;
    gui_refresh_menus();
    EXPECT_TRUE(find(*gui_headless_menus(main_window), MENU_CHECK_BASE + 35)->checked);

    framebased = 1;
    pick(MENU_CHECK_BASE + 96);
    EXPECT_EQ(framebased, 0u);
    pick(MENU_CHECK_BASE + 95);
    EXPECT_EQ(framebased, 1u);

    pending_actions = 0;
    display_scale = 1;
    pick(MENU_CHECK_BASE + 107); // the scale it has: nothing to do
    EXPECT_EQ(pending_actions, 0u);
    pick(MENU_CHECK_BASE + 108);
    EXPECT_EQ(pending_actions, PA_SCALE_1 << 1);

    const u32 sound = snd_enabled;
    pick(250);
    EXPECT_EQ(snd_enabled, sound ? 0u : 1u);
    EXPECT_EQ(find(*gui_headless_menus(main_window), 250)->checked, snd_enabled != 0);

    const u32 before = autosave;
    pick(279); // Check for updates: not in the program yet, nothing happens
    EXPECT_EQ(autosave, before);

    pending_actions = 0;
    confirmquit = 0;
    pick(29);
    EXPECT_TRUE(pending_actions & PA_QUIT);
}

TEST_F(MenuState, FrameBoundCommandsAreRefusedInsideAFrame) {
    machine = 2;
    memmap = 5;
    cpu_iar = 0x1234;
    emu_paused_mid_frame = true;
    gui_toolbar_command(1, 7, false); // quickload
    gui_menu_pick(1);            // jump to BIOS needs no boundary
    EXPECT_EQ(cpu_iar, 0x0023);
    EXPECT_TRUE((cmd_of_plain(5)->flags & CF_FRAME));
    EXPECT_FALSE((cmd_of_plain(1)->flags & CF_FRAME));
}
