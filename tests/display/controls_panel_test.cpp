// The controls window's LED panel patches and the per-frame recording step.
#include "tests/support/fresh_state.h"

#include "core/frame.h"
#include "core/savestate_seams.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/controls_panel.h"
#include "display/frame.h"
#include "display/host.h"
#include "display/led.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Place {
    i32 left, top, width, height;
    bool operator==(const Place&) const = default;
};

std::vector<Place> places() {
    const PanelPatch* p;
    const int n = display_panel_patches(&p);
    std::vector<Place> out;
    for (int i = 0; i < n; i++)
        out.push_back({p[i].left, p[i].top, p[i].width, p[i].height});
    return out;
}

bool controls_open;

class ControlsPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        colourset = 3;
        display_obtain_pens();
        led_panel_background();
        controls_open = false;
        ui_host.tool_window_open = [](int w) { return controls_open && w == TW_CONTROLS; };
    }
    static void use(Machine m, u32 map) {
        machine = m;
        memmap = map;
        display_setup_geometry(); // the panel's geometry follows
    }
};

TEST_F(ControlsPanel, PatchPlacesByMachineAndOption) {
    const auto digits = [](std::vector<i32> xs, i32 y) {
        std::vector<Place> v;
        for (i32 x : xs)
            v.push_back({x, y, 12, 18});
        return v;
    };
    struct Case {
        Machine m;
        u32 map;
        u32 big_si50, big_mikit;
        std::vector<Place> want;
    };
    const Case cases[] = {
        {SELBST, 20, 0, 0, digits({211, 244, 278, 311, 344, 377}, 57)},
        {MIKIT, 21, 0, 1, digits({474, 503, 531, 559, 603, 631}, 171)},
        {MIKIT, 21, 0, 0, digits({74, 103, 131, 159, 203, 231}, 33)},
        {INSTRUCTOR, 14, 0, 0, {{301, 111, 72, 9}}},
        {INSTRUCTOR, 14, 1, 0, {{524, 69, 144, 18}}},
        {PHUNSY, 19, 0, 0, {{81, 17, 112, 18}}},
        {TYPERIGHT, 30, 0, 0, {{230, 41, 64, 14}}},
        {ARCADIA, 6, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("machine " + std::to_string(c.m) + " big " + std::to_string(c.big_si50) +
                     std::to_string(c.big_mikit));
        bigcontrols_si50 = c.big_si50;
        bigcontrols_mikit = c.big_mikit;
        use(c.m, c.map);
        EXPECT_EQ(places(), c.want);
    }
    // A machine with one panel after one with six: the digit panels are gone.
    use(SELBST, 20);
    use(PHUNSY, 19);
    EXPECT_EQ(places().size(), 1u);
}

TEST_F(ControlsPanel, PatchesCarryThePensOfTheirCells) {
    use(MIKIT, 21);
    led_panel_store(18 * 2 + 3, 5, LED_LIT);  // digit 2's panel, pixel (3, 5)
    led_panel_store(18 * 0 + 13, 0, LED_LIT); // column 13 of a digit: not shown
    const PanelPatch* p;
    ASSERT_EQ(display_panel_patches(&p), 6);
    EXPECT_EQ(p[2].pens[5 * 12 + 3], pen_byte[LED_LIT]);
    EXPECT_EQ(p[2].pens[5 * 12 + 2], pen_byte[LED_ERASED]);
    for (u8 pen : std::vector<u8>(p[0].pens, p[0].pens + 12 * 18))
        EXPECT_EQ(pen, pen_byte[LED_ERASED]);

    use(TYPERIGHT, 30);
    led_panel_store(63, 13, LED_UNLIT); // the last cell of the 64 x 14 panel
    ASSERT_EQ(display_panel_patches(&p), 1);
    EXPECT_EQ(p[0].pens[13 * 64 + 63], pen_byte[LED_UNLIT]);
}

TEST_F(ControlsPanel, TheCopyMarksThePanelOnlyForAnOpenWindow) {
    use(PHUNSY, 19);
    ui_take_changes();
    display_panel_copy();
    EXPECT_EQ(ui_take_changes() & UI_CONTROLS_PANEL, 0u) << "window closed";
    controls_open = true;
    display_panel_copy();
    EXPECT_NE(ui_take_changes() & UI_CONTROLS_PANEL, 0u);
    use(ARCADIA, 6);
    display_panel_copy();
    EXPECT_EQ(ui_take_changes() & UI_CONTROLS_PANEL, 0u) << "no panel";
}

// ---- The CPU monitor's LED image -----------------------------------------------

TEST_F(ControlsPanel, LedImageDigitsAndBackground) {
    use(INSTRUCTOR, 14);
    EXPECT_EQ(led_digit_count(), 8);
    use(ARCADIA, 6);
    EXPECT_EQ(led_digit_count(), 0);
    drawunlit = 1;
    EXPECT_EQ(display_led_background(), 14);
    drawunlit = 0;
    EXPECT_EQ(display_led_background(), 7);
}

// ---- Recording step ----------------------------------------------------------

std::string fed;

class RecordingStep : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        saved = frame_recorders;
        frame_recorders = {[] { fed += "png "; }, [] { fed += "anim "; }, [] { fed += "gif "; },
                           [] { fed += "mng "; }, [] { fed += "psg "; },  [] { fed += "ym "; }};
        fed.clear();
        display_recording_hooks_reset();
        generatepng = generateanim = generategif = generatemng = 0;
    }
    void TearDown() override {
        frame_recorders = saved;
        rec_state = REC_IDLE;
    }
    FrameRecorders saved{};
};

TEST_F(RecordingStep, OncePerFrameCounterAndOnlyWhileRecordingOrPlaying) {
    rec_state = REC_IDLE;
    frame_counter = 10;
    display_recording_hooks();
    EXPECT_EQ(fed, "") << "idle: nothing";

    rec_state = REC_RECORDING;
    generatepng = generategif = 1;
    display_recording_hooks();
    display_recording_hooks(); // the same frame copied again (a debugger step)
    EXPECT_EQ(fed, "png gif psg ym ");

    frame_counter = 11;
    rec_state = REC_PLAYBACK;
    generateanim = generatemng = 1;
    fed.clear();
    display_recording_hooks();
    EXPECT_EQ(fed, "png anim gif mng psg ym ");
}

// The copy to the window feeds no recorder: the end of every frame does,
// shown or not.
TEST_F(RecordingStep, TheBlitFeedsNoRecorder) {
    rec_state = REC_RECORDING;
    generatepng = 1;
    frame_counter = 3;
    display_blit(); // no main window: the frame is not shown
    EXPECT_EQ(fed, "");
}

} // namespace
