// The guest frame's plot operation, the geometry of every machine and the
// fixed areas that the frame reset paints.
#include "tests/support/fresh_state.h"

#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::array<u32, 3>> plotted;
void recording_plotter(u32 x, u32 y, u32 c) {
    plotted.push_back({x, y, c});
}

class GuestFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        plotted.clear();
        blankingareas = 0;
        showleds = 0;
        inversevideo = 0;
        display_build_blanking_pictures();
    }
    void TearDown() override { display_select_plotter(); }
    static void use(Machine m, u32 map, u32 region) {
        machine = m;
        memmap = map;
        emu_region = region;
        display_setup_geometry();
    }
    static u8 at(int x, int y) { return guest_frame[x * GUEST_FRAME_ROWS + y]; }
};

TEST_F(GuestFrame, PlottingStoresOnlyChangesAndHandsThemToThePlotter) {
    plotter_fn = recording_plotter;
    std::memset(guest_frame, 8, sizeof guest_frame);
    display_plot_pixel(903, 355, 3);
    EXPECT_EQ(guest_frame[321823], 3);
    display_plot_pixel(1, 0, 5);
    EXPECT_EQ(guest_frame[356], 5);
    display_plot_pixel(0, 0, 8);     // already held: the plotter is not called
    display_plot_pixel(1, 0, 5);     // the same new colour again
    display_plot_pixel(2, 7, 0x104); // stored as its low byte, passed as given
    EXPECT_EQ(at(2, 7), 4);
    ASSERT_EQ(plotted.size(), 3u);
    EXPECT_EQ(plotted[0], (std::array<u32, 3>{903, 355, 3}));
    EXPECT_EQ(plotted[1], (std::array<u32, 3>{1, 0, 5}));
    EXPECT_EQ(plotted[2], (std::array<u32, 3>{2, 7, 0x104}));
}

// A column put at once leaves the frame, its mirror, the changes noted and
// the plotter's calls as the same pixels put one by one would.
TEST_F(GuestFrame, ColumnPlotsMatchPixelByPixelPlots) {
    plotter_fn = recording_plotter;
    struct Column {
        u32 x, y, n;
    } const columns[] = {
        {0, 0, 250}, {5, 3, 10}, {903, 100, 256}, {17, 0, GUEST_FRAME_ROWS}, {40, 9, 1}};
    u8 colours[GUEST_FRAME_ROWS];
    for (const Column& c : columns) {
        for (u32 i = 0; i < sizeof guest_frame; i++)
            guest_frame[i] = static_cast<u8>((i * 7) % 5);
        display_frame_rewritten();
        display_forget_changes();
        for (u32 i = 0; i < c.n; i++) // some the same as the frame, runs of others
            colours[i] =
                static_cast<u8>(i % 9 < 4 ? guest_frame[c.x * GUEST_FRAME_ROWS + c.y + i] : i % 7);
        const std::vector<u8> before(guest_frame, guest_frame + sizeof guest_frame);

        plotted.clear();
        for (u32 i = 0; i < c.n; i++)
            display_plot_pixel(c.x, c.y + i, colours[i]);
        const auto want_plots = plotted;
        const std::vector<u8> want_frame(guest_frame, guest_frame + sizeof guest_frame);
        const std::vector<u8> want_mirror(frame_mirror, frame_mirror + sizeof frame_mirror);
        const FrameChanges want_changes = frame_changes;

        std::copy(before.begin(), before.end(), guest_frame);
        display_frame_rewritten();
        display_forget_changes();
        plotted.clear();
        display_plot_column(c.x, c.y, colours, c.n);
        EXPECT_EQ(plotted, want_plots) << c.x;
        EXPECT_TRUE(std::equal(want_frame.begin(), want_frame.end(), guest_frame)) << c.x;
        for (u32 i = 0; i < c.n; i++)
            EXPECT_EQ(frame_mirror[(c.y + i) * GUEST_FRAME_COLUMNS + c.x],
                      want_mirror[(c.y + i) * GUEST_FRAME_COLUMNS + c.x]);
        EXPECT_EQ(std::memcmp(&frame_changes, &want_changes, sizeof frame_changes), 0) << c.x;
        plotted.clear();
        display_plot_column(c.x, c.y, colours, c.n); // again: nothing left to put
        EXPECT_TRUE(plotted.empty());
    }
}

TEST_F(GuestFrame, PviPixelsSit49ClocksInAndBelowTheFirstVisibleLine) {
    use(ARCADIA, 6, 0); // window from clock 55 and line 28; first visible line 20
    plotter_fn = recording_plotter;
    std::memset(guest_frame, 8, sizeof guest_frame);
    display_plot_guest(10, 20, 4); // clock 59, line 40: frame (4, 12)
    display_plot_guest(5, 20, 4);  // clock 54: left of the window
    display_plot_guest(10, 7, 4);  // line 27: above it
    ASSERT_EQ(plotted.size(), 1u);
    EXPECT_EQ(plotted[0], (std::array<u32, 3>{4, 12, 4}));
}

TEST_F(GuestFrame, RasterPlotsClipToTheVisibleWindow) {
    use(ARCADIA, 6, 0);
    plotter_fn = recording_plotter;
    std::memset(guest_frame, 8, sizeof guest_frame);
    display_plot_clipped(54, 100, 1);  // left of the window
    display_plot_clipped(219, 100, 1); // right of it
    display_plot_clipped(100, 27, 1);  // above
    display_plot_clipped(100, 254, 1); // below
    EXPECT_TRUE(plotted.empty());
    display_plot_clipped(55, 28, 2);
    display_plot_clipped(218, 253, 2);
    ASSERT_EQ(plotted.size(), 2u);
    EXPECT_EQ(plotted[0], (std::array<u32, 3>{0, 0, 2}));
    EXPECT_EQ(plotted[1], (std::array<u32, 3>{163, 225, 2}));
}

// Runs of one line: the same cells and plotter calls, in the same order, as
// plotting each pixel of the run through display_plot_clipped. The Arcadia
// window is clocks 55-218 and lines 28-253.
TEST_F(GuestFrame, RowPlotsMatchPixelByPixelPlots) {
    use(ARCADIA, 6, 0);
    struct Run {
        const char* what;
        i32 x, y, n;
    };
    const Run runs[] = {
        {"inside", 60, 100, 37},
        {"across the left edge", 49, 100, 178},
        {"across the right edge", 200, 28, 27},
        {"wider than the window", 0, 253, 227},
        {"left of the window", 0, 100, 55},
        {"right of the window", 219, 100, 8},
        {"above the window", 60, 27, 20},
        {"below the window", 60, 254, 20},
        {"one pixel", 55, 28, 1},
        {"empty", 60, 100, 0},
    };
    u8 colours[227];
    for (int i = 0; i < 227; i++)
        colours[i] = static_cast<u8>((i * 7) % 24);
    for (const Run& r : runs) {
        for (bool fill : {false, true}) {
            SCOPED_TRACE(std::string(r.what) + (fill ? ", one colour" : ", colours"));
            // Some cells already hold the colour that arrives, so those are skipped.
            for (std::size_t i = 0; i < sizeof guest_frame; i++)
                guest_frame[i] = static_cast<u8>((i * 5) % 24);
            display_frame_rewritten();
            const std::vector<u8> before(guest_frame, guest_frame + sizeof guest_frame);
            plotted.clear();
            plotter_fn = recording_plotter;
            for (i32 i = 0; i < r.n; i++)
                display_plot_clipped(r.x + i, r.y, fill ? 9 : colours[i]);
            const std::vector<u8> want(guest_frame, guest_frame + sizeof guest_frame);
            const auto want_plots = plotted;

            std::memcpy(guest_frame, before.data(), before.size());
            display_frame_rewritten();
            plotted.clear();
            if (fill)
                display_fill_row(r.x, r.y, r.n, 9);
            else
                display_plot_row(r.x, r.y, colours, r.n);
            EXPECT_TRUE(std::equal(want.begin(), want.end(), guest_frame));
            EXPECT_EQ(plotted, want_plots);
        }
    }
}

// Rows plotted again and again, mixed with single pixels, as a machine's
// frames do: after every step the frame and the plotter calls are those of
// plotting each pixel on its own, including when a run repeats what the row
// already holds and when single pixels changed the row in between.
TEST_F(GuestFrame, RepeatedRowPlotsMatchPixelByPixelPlots) {
    use(ARCADIA, 6, 0);
    std::memset(guest_frame, 8, sizeof guest_frame);
    display_frame_rewritten();
    std::vector<u8> model(guest_frame, guest_frame + sizeof guest_frame);
    std::vector<std::array<u32, 3>> want_plots;
    const auto model_plot = [&](i32 x, i32 y, u32 c) {
        if (x < display_window_left || x > display_window_right || y < display_window_top ||
            y > display_window_bottom)
            return;
        const u32 fx = static_cast<u32>(x - display_window_left);
        const u32 fy = static_cast<u32>(y - display_window_top);
        u8& cell = model[fx * GUEST_FRAME_ROWS + fy];
        if (cell == static_cast<u8>(c)) return;
        cell = static_cast<u8>(c);
        want_plots.push_back({fx, fy, c});
    };
    u32 seed = 12345;
    const auto next = [&seed](u32 n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    plotter_fn = recording_plotter;
    u8 colours[227];
    for (int step = 0; step < 3000; step++) {
        SCOPED_TRACE(step);
        // A few lines, so runs come back over the same row often.
        const i32 y = 100 + static_cast<i32>(next(4));
        const i32 x = static_cast<i32>(next(227));
        const i32 n = static_cast<i32>(next(228 - static_cast<u32>(x)));
        // Few colours, so many pixels already hold theirs.
        const u32 palette = 1 + next(3);
        for (i32 i = 0; i < n; i++)
            colours[i] = static_cast<u8>(next(palette));
        plotted.clear();
        want_plots.clear();
        switch (next(4)) {
        case 0:
            display_plot_row(x, y, colours, n);
            for (i32 i = 0; i < n; i++)
                model_plot(x + i, y, colours[i]);
            break;
        case 1:
            display_fill_row(x, y, n, colours[0]);
            for (i32 i = 0; i < n; i++)
                model_plot(x + i, y, colours[0]);
            break;
        case 2:
            display_plot_clipped(x, y, colours[0]);
            model_plot(x, y, colours[0]);
            break;
        default: // the same run again: nothing changes
            display_plot_row(x, y, colours, n);
            display_plot_row(x, y, colours, n);
            for (i32 i = 0; i < n; i++)
                model_plot(x + i, y, colours[i]);
            break;
        }
        ASSERT_TRUE(std::equal(model.begin(), model.end(), guest_frame));
        ASSERT_EQ(plotted, want_plots);
    }
}

// A frame reset paints the frame without the plots: a row plotted before it
// is plotted again in full afterwards, not taken for unchanged.
TEST_F(GuestFrame, RowsArePlottedAgainAfterAFrameReset) {
    use(ARCADIA, 6, 0);
    plotter_fn = recording_plotter;
    display_reset_frame();
    u8 colours[164];
    for (int i = 0; i < 164; i++)
        colours[i] = static_cast<u8>(i % 7);
    display_plot_row(55, 100, colours, 164);
    display_reset_frame(); // back to colour 8 everywhere
    EXPECT_EQ(at(10, 72), 8);
    plotted.clear();
    display_plot_row(55, 100, colours, 164);
    for (int i = 0; i < 164; i++)
        ASSERT_EQ(at(i, 72), colours[i]) << i;
    EXPECT_EQ(plotted.size(), 164u);
}

struct GeometryCase {
    const char* what;
    Machine m;
    u32 map, region, blanking, leds;
    int vdu, pong;
    i32 width, height, left, top, right, bottom;
};

TEST_F(GuestFrame, FrameSizesAndVisibleWindows) {
    const GeometryCase cases[] = {
        {"Arcadia 60 Hz", ARCADIA, 6, 0, 0, 0, 0, 0, 164, 226, 55, 28, 218, 253},
        {"Arcadia 50 Hz", ARCADIA, 6, 1, 0, 0, 0, 0, 164, 269, 55, 43, 218, 311},
        {"Interton 50 Hz", INTERTON, 0, 1, 0, 0, 0, 0, 164, 269, 60, 43, 223, 311},
        {"Elektor 60 Hz blanking", ELEKTOR, 4, 0, 1, 0, 0, 0, 228, 262, 0, 0, 227, 261},
        {"Interton 50 Hz blanking", INTERTON, 0, 1, 1, 0, 0, 0, 228, 312, 0, 0, 227, 311},
        {"PIPBUG VT100 with LEDs", PIPBUG, 9, 1, 0, 1, 5, 0, 640, 331, 0, 0, 639, 330},
        {"PIPBUG Radio Bulletin, blanking, LEDs", PIPBUG, 9, 1, 1, 1, 3, 0, 518, 356, 84, 43, 601,
         398},
        {"PIPBUG Low Cost 32", PIPBUG, 9, 1, 0, 0, 1, 0, 192, 192, 0, 0, 191, 191},
        {"BINBUG with LEDs", BINBUG, 11, 1, 0, 1, 0, 0, 576, 286, 0, 0, 575, 285},
        {"BINBUG blanking, LEDs", BINBUG, 11, 1, 1, 1, 0, 0, 768, 343, 0, 0, 767, 342},
        {"TWIN", TWIN, 12, 0, 0, 0, 0, 0, 560, 250, 0, 0, 559, 249},
        {"CD2650 blanking", CD2650, 16, 0, 1, 0, 0, 0, 904, 264, 0, 0, 903, 263},
        {"PHUNSY", PHUNSY, 19, 1, 0, 0, 0, 0, 384, 256, 128, 0, 511, 255},
        {"PHUNSY blanking, LEDs", PHUNSY, 19, 1, 1, 1, 0, 0, 512, 355, 0, 0, 511, 354},
        {"ball-and-paddle map 28, chip 0", PONG, 28, 0, 0, 0, 0, 0, 164, 202, 27, 42, 163, 201},
        {"ball-and-paddle map 29, 50 Hz", PONG, 29, 1, 0, 0, 0, 0, 152, 242, 27, 44, 151, 241},
        {"Selbstbaucomputer with LEDs", SELBST, 20, 1, 0, 1, 0, 0, 512, 183, 0, 0, 511, 182},
        {"Zaccaria", ZACCARIA, 22, 1, 0, 0, 0, 0, 240, 240, 0, 0, 239, 239},
        {"Type-right", TYPERIGHT, 30, 1, 0, 0, 0, 0, 128, 28, 0, 0, 127, 27},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.what);
        blankingareas = c.blanking;
        showleds = c.leds;
        pipbug_vdu = c.vdu;
        pong_machine = c.pong;
        use(c.m, c.map, c.region);
        EXPECT_EQ(machine_live[c.m].width, c.width);
        EXPECT_EQ(machine_live[c.m].height, c.height);
        EXPECT_EQ(display_window_left, c.left);
        EXPECT_EQ(display_window_top, c.top);
        EXPECT_EQ(display_window_right, c.right);
        EXPECT_EQ(display_window_bottom, c.bottom);
        EXPECT_LE(machine_live[c.m].width, GUEST_FRAME_COLUMNS);
        EXPECT_LE(machine_live[c.m].height, GUEST_FRAME_ROWS);
    }
}

TEST_F(GuestFrame, ConsoleTimingFollowsTheStandard) {
    use(ARCADIA, 6, 0);
    EXPECT_EQ(lines_per_frame, 262);
    EXPECT_EQ(input_line, 141);
    EXPECT_EQ(border_clocks, 10);
    EXPECT_EQ(first_visible_line, 20);
    EXPECT_DOUBLE_EQ(machine_live[ARCADIA].clocks_per_frame, 14868.5);
    use(INTERTON, 0, 1);
    EXPECT_EQ(lines_per_frame, 312);
    EXPECT_EQ(input_line, 177);
    EXPECT_EQ(border_clocks, 6);
    EXPECT_EQ(first_visible_line, 43);
    EXPECT_DOUBLE_EQ(machine_live[INTERTON].clocks_per_frame, 17706.0);
}

TEST_F(GuestFrame, LedStripsAreNeverAddedTwice) {
    use(BINBUG, 11, 1);
    for (int round = 0; round < 3; round++) {
        showleds = 1;
        display_setup_geometry();
        showleds = 0;
        display_setup_geometry();
    }
    EXPECT_EQ(machine_live[BINBUG].height, 256);
    EXPECT_EQ(machine_live[PHUNSY].height, 256);
    EXPECT_EQ(machine_live[SELBST].height, 128);
    EXPECT_EQ(machine_live[PIPBUG].height, 16 * 12);
}

TEST_F(GuestFrame, BallAndPaddleFieldFollowsTheChip) {
    pong_machine = 0;
    use(PONG, 28, 0);
    EXPECT_EQ(pong_field_left, 21);
    EXPECT_EQ(pong_field_right, 99);
    pong_machine = 1;
    use(PONG, 28, 0);
    EXPECT_EQ(pong_field_left, 25);
    EXPECT_EQ(pong_field_right, 97);
    EXPECT_EQ(machine_live[PONG].width, 152);
}

// ---- Frame reset ----------------------------------------------------------------

TEST_F(GuestFrame, ConsoleWithoutBlankingIsAllColour8) {
    use(ARCADIA, 6, 0);
    std::memset(guest_frame, 3, sizeof guest_frame);
    display_reset_frame();
    for (int x = 0; x < 164; x++)
        for (int y = 0; y < 226; y++)
            ASSERT_EQ(at(x, y), 8) << x << "," << y;
    EXPECT_EQ(at(164, 0), 3) << "outside the frame nothing is painted";
}

TEST_F(GuestFrame, ConsoleBlankingPictures) {
    blankingareas = 1;
    use(ARCADIA, 6, 1);
    display_reset_frame();
    struct Point {
        int x, y, colour;
    };
    for (Point p : std::vector<Point>{
             {11, 100, 4}, {11, 13, 14}, {60, 13, 2}, {60, 12, 23}, {120, 12, 2}, {33, 20, 8}}) {
        EXPECT_EQ(at(p.x, p.y), p.colour) << "50 Hz " << p.x << "," << p.y;
    }
    EXPECT_EQ(at(100, 100), 8) << "the active picture is left to the machine";
    use(INTERTON, 0, 0);
    display_reset_frame();
    for (Point p : std::vector<Point>{{33, 3, 11}, {20, 3, 6}, {20, 6, 14}, {33, 6, 3}}) {
        EXPECT_EQ(at(p.x, p.y), p.colour) << "60 Hz " << p.x << "," << p.y;
    }
}

TEST_F(GuestFrame, BinbugInverseVideoWithLeds) {
    inversevideo = 1;
    showleds = 1;
    use(BINBUG, 11, 1);
    display_reset_frame();
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(575, 255), 0);
    EXPECT_EQ(at(10, 256), 8);
    EXPECT_EQ(at(10, 257), 8);
    EXPECT_EQ(at(10, 258), 7);
    EXPECT_EQ(at(575, 285), 7);
}

TEST_F(GuestFrame, BinbugBlankingHasItsSyncAndHalfLine) {
    blankingareas = 1;
    use(BINBUG, 11, 1);
    display_reset_frame();
    EXPECT_EQ(at(600, 100), 22) << "porch on an active line";
    EXPECT_EQ(at(650, 100), 4) << "horizontal sync on an active line";
    EXPECT_EQ(at(100, 283), 2) << "vertical sync";
    EXPECT_EQ(at(700, 281), 14) << "the sync starts late in line 281";
    EXPECT_EQ(at(600, 281), 3);
    EXPECT_EQ(at(100, 312), 23) << "first half of the last line";
    EXPECT_EQ(at(500, 312), 8) << "second half of the last line";
}

TEST_F(GuestFrame, BallAndPaddleGreyscaleHasNoColourBurst) {
    blankingareas = 1;
    pong_machine = 0;
    colourset = 2;
    use(PONG, 28, 0);
    display_reset_frame();
    for (int x = 0; x <= 41; x++)
        EXPECT_EQ(at(x, 100), 22) << x;
    for (int x = 42; x <= 199; x++)
        EXPECT_EQ(at(x, 100), 8) << x;
    EXPECT_EQ(at(240, 100), 4);
    colourset = 3;
    display_reset_frame();
    EXPECT_EQ(at(20, 100), 0) << "colour burst with a colour set";
}

TEST_F(GuestFrame, PipbugWithoutBlankingOrLedsIsUntouched) {
    use(PIPBUG, 9, 1);
    std::memset(guest_frame, 5, sizeof guest_frame);
    display_reset_frame();
    for (std::size_t i = 0; i < sizeof guest_frame; i++)
        ASSERT_EQ(guest_frame[i], 5) << i;
}

} // namespace
