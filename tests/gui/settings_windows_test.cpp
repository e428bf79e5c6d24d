// The two settings tool windows: Adjust Speed (with the machines' clock and
// serial rates) and the palette editor. Both act on the running program at
// once; the tests drive them through their events as the event pass does.
#include "commands/arexx.h"
#include "computers/binbug.h"
#include "computers/pipbug.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "display/host.h"
#include "gui/main_window.h"
#include "gui/palette_editor.h"
#include "gui/speed_window.h"
#include "gui/tool_windows.h"
#include "gui/ui_pass.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/gui_headless.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

GuiEvent key(int code) {
    return {GE_RAWKEY, 0, code, 0, 0, 0, {}};
}
GuiEvent gadget(int gid, int code = 0) {
    return {GE_GADGET, gid, code, 0, 0, 0, {}};
}

const GuiNode* find_node(const GuiNode& n, int gid) {
    if (n.gid == gid) return &n;
    for (const GuiNode& c : n.children)
        if (const GuiNode* f = find_node(c, gid)) return f;
    return nullptr;
}

class SettingsWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        fake_clock_install(1000000);
        gui_open_main_window(0);
    }
    void TearDown() override { fresh_state(); }

    static int speed() { return gui_subwin_window[TW_SPEED]; }
    static int palette() { return gui_subwin_window[TW_PALETTE]; }
    // The events reach the window as the event pass hands them over.
    static void send(int win, const GuiEvent& e) {
        gui_headless_post(win, e);
        gui_subwindows_input();
    }
    static bool has(int win, int gid) { return find_node(gui_headless_desc(win)->root, gid); }
};

} // namespace

// ---- Adjust Speed ---------------------------------------------------------------------

TEST_F(SettingsWindows, SpeedKeysStopAtTheEndsAndTheSliderFollowsThem) {
    emu_speed = 0;
    gui_speed_window();
    ASSERT_NE(speed(), 0);
    frame_due_us = 777; // a refresh of the status would restart the timing
    send(speed(), key(0x4F)); // cursor left
    send(speed(), key(0x4A)); // pad minus
    EXPECT_EQ(emu_speed, 0);
    EXPECT_EQ(frame_due_us, 777u);
    send(speed(), key(0x4E)); // cursor right
    EXPECT_EQ(emu_speed, 1);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_SLIDER), 1);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_PERCENT), 50);
    EXPECT_NE(frame_due_us, 777u);

    emu_speed = 8;
    frame_due_us = 777;
    send(speed(), key(0x4E));
    send(speed(), key(0x5E)); // pad plus
    EXPECT_EQ(emu_speed, 8);
    EXPECT_EQ(frame_due_us, 777u);

    // Esc closes; the menu item is usable again.
    send(speed(), key(0x45));
    EXPECT_EQ(speed(), 0);
}

TEST_F(SettingsWindows, SpeedSliderSetsNumberAndTitleWithoutRestartingTheTiming) {
    emu_speed = 3;
    gui_speed_window();
    frame_due_us = 777;
    send(speed(), gadget(GID_SPEED_SLIDER, 7));
    EXPECT_EQ(emu_speed, 7);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_PERCENT), 400);
    EXPECT_EQ(frame_due_us, 777u);
    send(speed(), gadget(GID_SPEED_SKIP_SLIDER, 11));
    EXPECT_EQ(frame_skip, 11);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_SKIP_NUMBER), 11);
    send(speed(), gadget(GID_SPEED_LINE_SLIDER, 200));
    EXPECT_EQ(line_clocks, 200);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_LINE_NUMBER), 200);
}

TEST_F(SettingsWindows, SpeedWindowFollowsAutomaticFrameSkipping) {
    auto_frame_skip = 0;
    gui_speed_window();
    send(speed(), gadget(GID_SPEED_AUTOSKIP, 1));
    EXPECT_EQ(auto_frame_skip, 1u);
    frame_skip = 1;
    // Fifty frames each found late raise the skip by one.
    for (u32 i = 0; i < LATE_FRAMES_PER_SKIP; i++) {
        frame_due_us = fake_clock_now() - 1000;
        emu_wait_frame();
    }
    ASSERT_EQ(frame_skip, 2);
    gui_apply_changes();
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_SKIP_SLIDER), 2);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_SKIP_NUMBER), 2);
}

TEST_F(SettingsWindows, EachMachineShowsItsOwnGroups) {
    const struct {
        u32 machine, map;
        bool line, clock, baud;
    } cases[] = {
        {ARCADIA, 6, true, false, false},
        {PIPBUG, 9, false, true, true},
        {INSTRUCTOR, 14, false, false, false},
    };
    for (const auto& c : cases) {
        machine_switch(static_cast<int>(c.machine), static_cast<int>(c.map), true, true, false);
        gui_apply_changes();
        gui_speed_window();
        ASSERT_NE(speed(), 0) << c.machine;
        EXPECT_EQ(has(speed(), GID_SPEED_LINE_SLIDER), c.line) << c.machine;
        EXPECT_EQ(has(speed(), GID_SPEED_CLOCK), c.clock) << c.machine;
        EXPECT_EQ(has(speed(), GID_SPEED_BAUD), c.baud) << c.machine;
        gui_close_subwindow(TW_SPEED);
    }
}

TEST_F(SettingsWindows, PipbugClockAndBaudRatesFollowTheMonitor) {
    machine_switch(PIPBUG, 9, true, true, false);
    gui_apply_changes();

    // Monitors 0 and 1 fix their own rate: the group is disabled.
    for (u32 monitor : {0u, 1u}) {
        pipbug_bios = monitor;
        gui_speed_window();
        EXPECT_TRUE(gui_get_disabled(speed(), GID_SPEED_BAUD)) << monitor;
        gui_close_subwindow(TW_SPEED);
    }

    // PIPBUG 2 takes 110 and 300 but not 4800, which snaps back.
    pipbug_bios = 3;
    pipbug_baudrate = 1;
    gui_speed_window();
    EXPECT_FALSE(gui_get_disabled(speed(), GID_SPEED_BAUD));
    send(speed(), gadget(GID_SPEED_BAUD, 0));
    EXPECT_EQ(pipbug_baudrate, 0);
    EXPECT_EQ(serial_bit_cycles, 9091u);
    gui_set_value(speed(), GID_SPEED_BAUD, 2);
    send(speed(), gadget(GID_SPEED_BAUD, 2));
    EXPECT_EQ(pipbug_baudrate, 0);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_BAUD), 0);
    gui_close_subwindow(TW_SPEED);

    // PIPBUG 1 takes all three.
    pipbug_bios = 2;
    gui_speed_window();
    send(speed(), gadget(GID_SPEED_BAUD, 2));
    EXPECT_EQ(pipbug_baudrate, 2);
    EXPECT_EQ(serial_bit_cycles, 208u);

    // The clock: 2 MHz doubles the frame's clock periods.
    fast_pipbug = 0;
    send(speed(), gadget(GID_SPEED_CLOCK, 1));
    EXPECT_EQ(fast_pipbug, 1u);
    EXPECT_EQ(machine_live[PIPBUG].clocks_per_frame, 40000.0);
    send(speed(), gadget(GID_SPEED_CLOCK, 0));
    EXPECT_EQ(machine_live[PIPBUG].clocks_per_frame, 20000.0);
}

// The BINBUG, the CD2650 and the Selbstbaucomputer, chosen through the port,
// offer their own clock (and the BINBUG its serial rates) in the window the
// menu opens, and each choice takes effect on the running machine.
TEST_F(SettingsWindows, TheOtherComputersOfferTheirClockAndBaudRates) {
    const struct {
        const char* name;
        u32 machine;
        std::vector<std::string> clocks, bauds;
        u32* fast;
        double slow_clocks, fast_clocks;
    } cases[] = {
        {"BINBUG", BINBUG, {"1 MHz", "2 MHz"}, {"150/300", "300/600", "1200/2400", "2400/4800"},
         &fast_binbug, 20000.0, 40000.0},
        {"CD2650", CD2650, {"1.183 MHz", "1.774 MHz"}, {}, &fast_cd2650, 19888.0, 29832.0},
        {"SELBST", SELBST, {"1 Hz", "1 MHz"}, {}, &fast_selbst, 0.02, 20000.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string result;
        arexx_execute((std::string("SETMACHINE ") + c.name).c_str(), &result);
        ASSERT_EQ(machine, c.machine) << result;
        gui_apply_changes();
        ASSERT_EQ(arexx_execute("MENU SETTINGS.SPEED.ADJUST", &result), 0) << result;
        gui_apply_changes();
        ASSERT_NE(speed(), 0);
        const GuiNode* clock = find_node(gui_headless_desc(speed())->root, GID_SPEED_CLOCK);
        ASSERT_NE(clock, nullptr);
        EXPECT_EQ(clock->items, c.clocks);
        EXPECT_EQ(clock->value, static_cast<int>(*c.fast));
        const GuiNode* baud = find_node(gui_headless_desc(speed())->root, GID_SPEED_BAUD);
        EXPECT_EQ(baud ? baud->items : std::vector<std::string>{}, c.bauds);

        for (u32 choice : {0u, 1u}) {
            send(speed(), gadget(GID_SPEED_CLOCK, static_cast<int>(choice)));
            EXPECT_EQ(*c.fast, choice);
            EXPECT_EQ(machine_live[c.machine].clocks_per_frame, choice ? c.fast_clocks : c.slow_clocks);
        }
        gui_close_subwindow(TW_SPEED);
    }

    // The BINBUG's rates: BINBUG 6.1 takes each; the other monitors only 300/600.
    std::string result;
    arexx_execute("SETMACHINE BINBUG", &result);
    gui_apply_changes();
    binbug_biosversion = 2;
    gui_speed_window();
    send(speed(), gadget(GID_SPEED_BAUD, 3));
    EXPECT_EQ(binbug_baudrate, 3);
    EXPECT_EQ(serial_bit_cycles, 417u);
    gui_close_subwindow(TW_SPEED);
    binbug_biosversion = 0;
    binbug_set_baud_rate();
    gui_speed_window();
    send(speed(), gadget(GID_SPEED_BAUD, 1));
    EXPECT_EQ(binbug_baudrate, 1);
    gui_set_value(speed(), GID_SPEED_BAUD, 2);
    send(speed(), gadget(GID_SPEED_BAUD, 2));
    EXPECT_EQ(binbug_baudrate, 1);
    EXPECT_EQ(gui_get_value(speed(), GID_SPEED_BAUD), 1);
    EXPECT_EQ(serial_bit_cycles, 3333u);
}

// ---- Palette editor --------------------------------------------------------------------

TEST_F(SettingsWindows, PaletteHexFieldsTakeExactlyTwoDigits) {
    colourset = 3;
    palette_selected_colour = 5;
    gui_palette_window();
    ASSERT_NE(palette(), 0);
    gui_set_text(palette(), GID_PAL_RED_HEX, "7f");
    send(palette(), gadget(GID_PAL_RED_HEX, 13));
    EXPECT_EQ(palette_get_red(3, 5), 127);
    EXPECT_EQ(gui_get_text(palette(), GID_PAL_RED_HEX), "7F");
    EXPECT_EQ(gui_get_value(palette(), GID_PAL_RED_SLIDER), 127);
    for (const char* bad : {"7", "7FF", "G0", ""}) {
        gui_set_text(palette(), GID_PAL_RED_HEX, bad);
        send(palette(), gadget(GID_PAL_RED_HEX, 13));
        EXPECT_EQ(palette_get_red(3, 5), 127) << bad;
        EXPECT_EQ(gui_get_text(palette(), GID_PAL_RED_HEX), "7F") << bad;
    }
}

TEST_F(SettingsWindows, PaletteGreySetKeepsItsComponentsTogether) {
    colourset = PALETTE_GREY_SET;
    palette_selected_colour = 0;
    gui_palette_window();
    EXPECT_TRUE(gui_get_disabled(palette(), GID_PAL_WHEEL));
    send(palette(), gadget(GID_PAL_RED_SLIDER + 1, 200));
    EXPECT_EQ(palette_get_red(2, 0), 200);
    EXPECT_EQ(palette_get_green(2, 0), 200);
    EXPECT_EQ(palette_get_blue(2, 0), 200);
    // A click on the disabled wheel changes nothing.
    const GuiRect r = gui_gadget_rect(palette(), GID_PAL_WHEEL);
    send(palette(), {GE_MOUSEBUTTON, GID_PAL_WHEEL, 1, 0, r.right - 4, (r.top + r.bottom) / 2, {}});
    EXPECT_EQ(palette_get_blue(2, 0), 200);
}

TEST_F(SettingsWindows, PaletteResetButtonIsOnlyForChangedColours) {
    colourset = 3;
    palette_selected_colour = 2;
    gui_palette_window();
    EXPECT_TRUE(gui_get_disabled(palette(), GID_PAL_RESET));
    const int red = palette_get_red(3, 2);
    send(palette(), gadget(GID_PAL_RED_NUMBER, red / 2));
    EXPECT_FALSE(gui_get_disabled(palette(), GID_PAL_RESET));
    send(palette(), gadget(GID_PAL_RED_NUMBER, red)); // put back by hand
    EXPECT_TRUE(gui_get_disabled(palette(), GID_PAL_RESET));
    send(palette(), gadget(GID_PAL_RED_SLIDER + 2, 1));
    send(palette(), key(0x13)); // R
    EXPECT_TRUE(gui_get_disabled(palette(), GID_PAL_RESET));
    EXPECT_EQ(palette_at_defaults, 1u);
}

TEST_F(SettingsWindows, PaletteCancelPutsBackTheColoursItOpenedWith) {
    colourset = 3;
    palette_set_red_grey(3, 1, 11); // changed before the editor opened
    palette_selected_colour = 1;
    gui_palette_window();
    send(palette(), gadget(GID_PAL_RED_SLIDER, 99));
    // The picture is recoloured at once.
    if (display_pens_owned[1]) {
        EXPECT_EQ((display_colour_table[display_pens[1]] >> 16) & 0xFF, 99u);
    }
    send(palette(), gadget(GID_PAL_COLOURS, 4));
    send(palette(), gadget(GID_PAL_RED_SLIDER + 1, 5));
    send(palette(), gadget(GID_PAL_RESET));
    send(palette(), gadget(GID_PAL_RED_SLIDER + 2, 6));
    send(palette(), gadget(GID_PAL_CANCEL));
    EXPECT_EQ(palette(), 0);
    EXPECT_EQ(palette_get_red(3, 1), 11);
    for (int c = 2; c < GUEST_COLOURS; c++) {
        const u32 v = palette_rgb[3][c];
        EXPECT_EQ(palette_get_red(3, c), (v >> 16) & 0xFF) << c;
        EXPECT_EQ(palette_get_green(3, c), (v >> 8) & 0xFF) << c;
        EXPECT_EQ(palette_get_blue(3, c), v & 0xFF) << c;
    }

    // OK (or the close gadget) keeps them.
    palette_selected_colour = 1;
    gui_palette_window();
    send(palette(), gadget(GID_PAL_RED_SLIDER, 42));
    send(palette(), {GE_CLOSE, 0, 0, 0, 0, 0, {}});
    EXPECT_EQ(palette_get_red(3, 1), 42);
}

TEST_F(SettingsWindows, PaletteBrightnessAndWheelKeepWhatTheyDoNotSet) {
    colourset = 3;
    palette_selected_colour = 0;
    palette_set_red_grey(3, 0, 200);
    palette_set_green_grey(3, 0, 100);
    palette_set_blue_grey(3, 0, 50);
    double h0, s0, v0;
    palette_rgb_to_hsv(200, 100, 50, &h0, &s0, &v0);
    gui_palette_window();
    send(palette(), gadget(GID_PAL_BRIGHTNESS, 120));
    double h, s, v;
    palette_rgb_to_hsv(palette_get_red(3, 0), palette_get_green(3, 0), palette_get_blue(3, 0), &h, &s,
                       &v);
    EXPECT_NEAR(h, h0, 2.0);
    EXPECT_NEAR(s, s0, 0.02);
    EXPECT_EQ(palette_get_red(3, 0), 120);
    EXPECT_EQ(gui_get_value(palette(), GID_PAL_BRIGHTNESS), 120);

    // The wheel's right edge is pure red at full saturation; the brightness stays.
    const GuiRect r = gui_gadget_rect(palette(), GID_PAL_WHEEL);
    send(palette(), {GE_MOUSEBUTTON, GID_PAL_WHEEL, 1, 0, r.right, (r.top + r.bottom) / 2, {}});
    EXPECT_EQ(palette_get_red(3, 0), 120);
    EXPECT_LE(palette_get_green(3, 0), 3);
    EXPECT_LE(palette_get_blue(3, 0), 3);
    EXPECT_EQ(gui_get_value(palette(), GID_PAL_RED_NUMBER), 120);
}
