// LED digits in the guest frame and in the panel cells.
#include "tests/support/fresh_state.h"

#include "core/machine_table.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"
#include "display/led.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

class LedDigits : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        drawcorners = 0;
        drawunlit = 0;
        showleds = 1;
        std::memset(guest_frame, 8, sizeof guest_frame);
        led_panel_background();
    }
    static void use(Machine m, u32 map) {
        machine = m;
        memmap = map;
        display_setup_geometry();
    }
    static u8 at(int x, int y) { return guest_frame[x * GUEST_FRAME_ROWS + y]; }
};

TEST_F(LedDigits, MikitZeroIsARingAroundAHole) {
    use(MIKIT, 21);
    led_digits[0] = 0xBF; // 0 with the decimal point bit
    led_draw_digit(0);
    const int X = 21, Y = 10; // digit 0's origin
    EXPECT_EQ(at(X + 5, Y + 1), LED_LIT) << "a";
    EXPECT_EQ(at(X + 12, Y + 5), LED_LIT) << "b";
    EXPECT_EQ(at(X + 12, Y + 20), LED_LIT) << "c";
    EXPECT_EQ(at(X + 5, Y + 27), LED_LIT) << "d";
    EXPECT_EQ(at(X + 1, Y + 20), LED_LIT) << "e";
    EXPECT_EQ(at(X + 1, Y + 5), LED_LIT) << "f";
    EXPECT_EQ(at(X + 5, Y + 14), LED_ERASED) << "g is off";
    EXPECT_EQ(at(X + 6, Y + 8), 8) << "the hole is not drawn";
    EXPECT_EQ(at(X, Y + 2), LED_ERASED) << "pointed ends leave the corner erased";
    EXPECT_EQ(at(X + 17, Y + 27), LED_ERASED) << "no decimal point on the MIKIT";
    EXPECT_EQ(led_panel_cells[2 * LED_PANEL_ROWS + 0], LED_LIT) << "panel cell of a";
    EXPECT_EQ(led_panel_cells[2 * 4 * LED_PANEL_ROWS + 2 * 4], LED_ERASED) << "panel cell of g";
}

TEST_F(LedDigits, CornersLightBesideTheirSegments) {
    use(MIKIT, 21);
    drawcorners = 1;
    led_digits[0] = 0x06; // a one: b and c
    led_draw_digit(0);
    const int X = 21, Y = 10, R = X + 11;
    EXPECT_EQ(at(R + 1, Y + 1), LED_LIT) << "corner 9";
    EXPECT_EQ(at(R + 1, Y + 14), LED_LIT) << "corner 11";
    EXPECT_EQ(at(R + 1, Y + 27), LED_LIT) << "corner 13";
    EXPECT_EQ(at(X + 1, Y + 1), LED_ERASED) << "corner 8";
    EXPECT_EQ(at(X + 1, Y + 14), LED_ERASED) << "corner 10";
    EXPECT_EQ(at(X + 1, Y + 27), LED_ERASED) << "corner 12";
    EXPECT_EQ(at(R + 1, Y + 3), LED_LIT) << "b is a full block with corners on";
}

TEST_F(LedDigits, UnlitSegmentsTakeTheirOwnColourWhenAsked) {
    use(MIKIT, 21);
    drawunlit = 1;
    led_digits[1] = 0x00;
    led_draw_digit(1);
    EXPECT_EQ(at(42 + 5, 10 + 1), LED_UNLIT);
}

TEST_F(LedDigits, TheInstructorLeans) {
    use(INSTRUCTOR, 14);
    display_plot_skewed(20, 39, 3);
    display_plot_skewed(20, 0, 4);
    display_plot_skewed(20, 63, 5);
    EXPECT_EQ(at(20, 39), 3);
    EXPECT_EQ(at(29, 0), 4);
    EXPECT_EQ(at(14, 63), 5);
}

TEST_F(LedDigits, PipbugDrawsNothingWithoutItsStrip) {
    showleds = 0;
    use(PIPBUG, 9);
    led_digits[0] = 0x7F;
    led_draw_digit(0);
    led_draw_dot(10, 10, 3);
    for (std::size_t i = 0; i < sizeof guest_frame; i++)
        ASSERT_EQ(guest_frame[i], 8) << i;
}

TEST_F(LedDigits, PipbugValuesAboveNineBlankTheDigit) {
    use(PIPBUG, 9);
    for (int v = 10; v <= 15; v++) {
        led_digits[2] = 0xFF;
        led_set_digit(2, v);
        EXPECT_EQ(led_digits[2], 0) << v;
    }
    led_set_digit(2, 8);
    EXPECT_EQ(led_digits[2], 0x7F);
}

TEST_F(LedDigits, ADotIsASixBySixDiscWithoutCorners) {
    use(MIKIT, 21);
    led_draw_dot(100, 20, 3);
    int lit = 0;
    for (int x = 100; x < 106; x++)
        for (int y = 20; y < 26; y++)
            lit += at(x, y) == 3;
    EXPECT_EQ(lit, 32);
    EXPECT_EQ(at(100, 20), 8);
    EXPECT_EQ(at(105, 25), 8);
}


// A digit drawn over whatever the last one left shows exactly what erasing
// all fourteen segments and drawing the shown ones (corners, then bars) over
// them shows, in the frame and in the panel cells, for every segment pattern
// and every setting of corners and unlit segments.
TEST_F(LedDigits, ARedrawnDigitShowsWhatAWholeEraseAndDrawShows) {
    use(INSTRUCTOR, 14); // a digit with a decimal point
    static constexpr u8 corner_bits[6] = {0x21, 0x03, 0x70, 0x46, 0x18, 0x0C};
    static u8 expected_frame[sizeof guest_frame], expected_cells[sizeof led_panel_cells];
    for (int setting = 0; setting < 4; setting++) {
        drawcorners = setting & 1;
        drawunlit = setting >> 1;
        for (int before : {0x00, 0xFF, 0x5A}) {
            for (int pattern = 0; pattern < 256; pattern++) {
                led_digits[1] = static_cast<u8>(before);
                led_draw_digit(1);
                led_digits[1] = static_cast<u8>(pattern);
                std::memcpy(expected_frame, guest_frame, sizeof guest_frame);
                std::memcpy(expected_cells, led_panel_cells, sizeof led_panel_cells);
                for (int s = 0; s < 14; s++)
                    led_draw_segment(1, s, LED_ERASED);
                const auto draw = [&](int s, bool lit) {
                    if (lit)
                        led_draw_segment(1, s, LED_LIT);
                    else if (drawunlit)
                        led_draw_segment(1, s, LED_UNLIT);
                };
                if (drawcorners)
                    for (int k = 0; k < 6; k++)
                        draw(8 + k, (pattern & corner_bits[k]) != 0);
                for (int s = 0; s < 8; s++)
                    draw(s, (pattern >> s) & 1);
                std::swap_ranges(expected_frame, expected_frame + sizeof guest_frame,
                                 reinterpret_cast<u8*>(guest_frame));
                std::swap_ranges(expected_cells, expected_cells + sizeof led_panel_cells,
                                 led_panel_cells);
                led_draw_digit(1);
                ASSERT_EQ(std::memcmp(expected_frame, guest_frame, sizeof guest_frame), 0)
                    << "pattern " << pattern << " over " << before << ", setting " << setting;
                ASSERT_EQ(std::memcmp(expected_cells, led_panel_cells, sizeof led_panel_cells), 0)
                    << "pattern " << pattern << " over " << before << ", setting " << setting;
            }
        }
    }
}

} // namespace
