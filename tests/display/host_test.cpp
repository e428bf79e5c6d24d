// The host picture: plotters for every layout, the scanline pass, the
// Scale2x-family filters, the beam marker and live recolouring.
#include "tests/support/fresh_state.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "display/frame.h"
#include "display/host.h"
#include "gui/main_window.h"
#include "platform/headless/gui_headless.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class HostPicture : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        scanlines = 0;
        display_filter = 3;
        colourset = 3;
        display_obtain_pens();
    }
    void TearDown() override {
        display_rotated = 0;
        display_free_bitmap();
    }
    // A machine of w x h frame pixels at the given layout, buffer cleared.
    static void layout(Machine m, u32 map, u32 scale, u32 stretch, bool rotated) {
        machine = m;
        memmap = map;
        display_setup_geometry();
        display_scale = scale;
        display_aspect = stretch;
        display_rotated = rotated;
        display_select_plotter();
        std::memset(display_buffer, 0xEE,
                    static_cast<std::size_t>(display_stride) *
                        static_cast<std::size_t>(display_host_height));
        std::memset(guest_frame, 0xEE, sizeof guest_frame);
    }
    static u8 host(int x, int y) { return display_rows[y][x]; }
    // Runs `check(scale, stretch, rotated, scanlines)` on the 240 x 240 board
    // in every layout: scales 1-6, both stretches, plain and rotated, with
    // and without scanlines.
    template <typename Check> static void each_layout(Check check) {
        for (u32 s = 1; s <= 6; s++)
            for (u32 t = 1; t <= 2; t++)
                for (int rot = 0; rot < 2; rot++)
                    for (int scan = 0; scan < 2; scan++) {
                        SCOPED_TRACE("scale " + std::to_string(s) + " stretch " +
                                     std::to_string(t) + (rot ? " rotated" : "") +
                                     (scan ? " scanlines" : ""));
                        scanlines = static_cast<u32>(scan);
                        layout(ZACCARIA, 22, s, t, rot != 0);
                        check(s, t, rot, scan);
                        if (::testing::Test::HasFatalFailure()) return;
                    }
    }
};

TEST_F(HostPicture, EveryLayoutPaintsItsBlockPlainAndRotated) {
    const int w = 240;
    each_layout([&](u32 s, u32 t, int rot, int scan) {
        ASSERT_EQ(display_layout, (s - 1) * 2 + (t - 1));
        EXPECT_EQ(display_stride % 16, 0);
        EXPECT_GE(display_stride, display_host_width);
        display_plot_pixel(0, 0, 5);
        display_plot_pixel(3, 1, 6);
        const int bw = static_cast<int>(s * t), bh = static_cast<int>(s);
        const int shown_rows = scan && s > 1 ? static_cast<int>(s + 1) / 2 : bh;
        // Rows of the first four guest lines (or columns when rotated).
        for (int hy = 0; hy < 4 * bh; hy++)
            for (int hx = 0; hx < display_host_width; hx++) {
                const int gx = rot ? hy / bh : hx / bw;
                const int gy = rot ? (w - 1) - hx / bw : hy / bh;
                int expected = 0xEE;
                if (hy % bh < shown_rows) {
                    if (gx == 0 && gy == 0) expected = 5;
                    if (gx == 3 && gy == 1) expected = 6;
                }
                ASSERT_EQ(host(hx, hy), expected) << hx << "," << hy;
            }
    });
}

TEST_F(HostPicture, WholeFrameRedrawWritesWhatThePlottersWrite) {
    // Every kind of every layout: the buffer after the row-wise redraw equals
    // the buffer after plotting each pixel, padding and gap rows included.
    each_layout([&](u32, u32, int, int) {
        u32 seed = 12345;
        for (u32 x = 0; x < 240; x++)
            for (u32 y = 0; y < 240; y++) {
                seed = seed * 1103515245u + 12345u;
                guest_frame[x * GUEST_FRAME_ROWS + y] = static_cast<u8>((seed >> 16) % 24);
            }
        const std::size_t size = static_cast<std::size_t>(display_stride) *
                                 static_cast<std::size_t>(display_host_height);
        display_scanline_prepass();
        for (u32 x = 0; x < 240; x++)
            for (u32 y = 0; y < 240; y++)
                plotter_fn(x, y, guest_frame[x * GUEST_FRAME_ROWS + y]);
        const std::vector<u8> by_pixel(display_buffer, display_buffer + size);
        std::memset(display_buffer, 0xEE, size);
        display_redraw_picture();
        ASSERT_EQ(std::vector<u8>(display_buffer, display_buffer + size), by_pixel);
    });
}

TEST_F(HostPicture, RowPlotsWriteWhatThePlottersWrite) {
    // Runs of changed pixels, broken where a pixel already holds its colour,
    // in every kind: the same frame and buffer as plotting pixel by pixel.
    // The second pass plots every row again over the first, with the rows
    // known from it, so runs of every length start and end mid-row.
    each_layout([&](u32, u32, int, int) {
        const std::size_t size = static_cast<std::size_t>(display_stride) *
                                 static_cast<std::size_t>(display_host_height);
        std::vector<u8> start(sizeof guest_frame);
        for (std::size_t i = 0; i < start.size(); i++)
            start[i] = static_cast<u8>((i * 7 / 3) % 24);
        u8 line[240];
        const auto colours_of = [&](u32 y, u32 pass) {
            for (u32 x = 0; x < 240; x++)
                line[x] = static_cast<u8>(pass == 0                   ? (x / 3 + y) % 24
                                          : (x * x / 7 + y) % 13 == 0 ? x % 24
                                                                      : (x / 3 + y) % 24);
        };
        const auto fills = [](u32 y, u32 pass) { return y % 5 == pass * 2; };
        // Pixel by pixel.
        std::memcpy(guest_frame, start.data(), start.size());
        display_frame_rewritten();
        for (u32 pass = 0; pass < 2; pass++)
            for (u32 y = 0; y < 240; y++) {
                colours_of(y, pass);
                for (u32 x = 0; x < 240; x++)
                    display_plot_pixel(x, y, fills(y, pass) ? 9 : line[x]);
            }
        const std::vector<u8> frame(guest_frame, guest_frame + sizeof guest_frame);
        const std::vector<u8> picture(display_buffer, display_buffer + size);
        // A line at a time; every fifth line filled with one colour.
        std::memcpy(guest_frame, start.data(), start.size());
        display_frame_rewritten();
        std::memset(display_buffer, 0xEE, size);
        for (u32 pass = 0; pass < 2; pass++)
            for (u32 y = 0; y < 240; y++) {
                colours_of(y, pass);
                if (fills(y, pass))
                    display_fill_row(0, static_cast<i32>(y), 240, 9);
                else
                    display_plot_row(0, static_cast<i32>(y), line, 240);
            }
        ASSERT_EQ(std::vector<u8>(guest_frame, guest_frame + sizeof guest_frame), frame);
        ASSERT_EQ(std::vector<u8>(display_buffer, display_buffer + size), picture);
    });
}

TEST_F(HostPicture, PlottersRefuseWhatLiesOutsideTheBuffer) {
    // Pixels and runs beyond the 240 x 240 frame leave the buffer as it was;
    // a run that starts inside stops at the frame's right edge.
    each_layout([&](u32 s, u32, int rot, int) {
        const std::size_t size = static_cast<std::size_t>(display_stride) *
                                 static_cast<std::size_t>(display_host_height);
        const std::vector<u8> before(display_buffer, display_buffer + size);
        const u32 outside[][2] = {{240, 0},   {0, 240},        {240, 240},     {239, 255},
                                  {255, 239}, {0, 0xFFFFFFFF}, {0xFFFFFFFF, 0}};
        for (const auto& at : outside)
            plotter_fn(at[0], at[1], 4);
        const u8 colours[32] = {};
        for (const auto& at : outside)
            run_plotter_fn(at[0], at[1], colours, 0, 32);
        ASSERT_EQ(std::vector<u8>(display_buffer, display_buffer + size), before);
        if (rot) return;
        run_plotter_fn(230, 0, nullptr, 4, 32);
        for (i32 r = static_cast<i32>(s); r < display_host_height; r++)
            ASSERT_EQ(std::memcmp(display_rows[r], before.data() + r * display_stride,
                                  static_cast<std::size_t>(display_stride)),
                      0)
                << "row " << r;
    });
}

TEST_F(HostPicture, RotationPutsTheFirstPixelTopRight) {
    layout(ZACCARIA, 22, 2, 1, true);
    display_plot_pixel(0, 0, 3);
    display_plot_pixel(239, 239, 4);
    const int W = display_host_width, H = display_host_height;
    EXPECT_EQ(host(W - 1, 0), 3);
    EXPECT_EQ(host(W - 2, 1), 3);
    EXPECT_EQ(host(0, H - 1), 4);
    EXPECT_EQ(host(1, H - 2), 4);
}

TEST_F(HostPicture, ScanlinesAtScaleThreeLeaveEveryThirdRowBlack) {
    scanlines = 1;
    layout(ARCADIA, 6, 3, 1, false);
    std::memset(guest_frame, 8, sizeof guest_frame);
    display_scanline_prepass();
    for (u32 x = 0; x < 164; x++)
        for (u32 y = 0; y < 10; y++)
            plotter_fn(x, y, 2);
    for (int row = 0; row < 30; row++)
        EXPECT_EQ(host(7, row), row % 3 == 2 ? 7 : 2) << row;
}

TEST_F(HostPicture, ScanlinesAreNotUsedAtScaleOneOrOnTheInstructor) {
    scanlines = 1;
    layout(ARCADIA, 6, 1, 1, false);
    display_plot_pixel(0, 0, 2);
    EXPECT_EQ(host(0, 0), 2);
    layout(INSTRUCTOR, 14, 2, 1, false);
    display_plot_pixel(0, 0, 2);
    EXPECT_EQ(host(0, 1), 2) << "the second row is painted too";
}

TEST_F(HostPicture, FullScreenChoosesTheLargestScaleThatFits) {
    display_mode = 1;
    machine = ARCADIA;
    memmap = 6;
    emu_region = 0;
    display_screen_width = 800;
    display_screen_height = 600;
    display_compute_layout();
    EXPECT_EQ(display_scale, 2u) << "164 x 2 x 2 = 656 wide, 226 x 2 = 452 high";
    EXPECT_EQ(display_aspect, 2u);
    display_screen_width = 200;
    display_compute_layout();
    EXPECT_EQ(display_scale, 1u) << "too small for scale 2: scale 1, never 0";
    display_mode = 0;
    display_screen_width = 1920;
    display_screen_height = 1080;
}

// ---- Filters ---------------------------------------------------------------------

// A tiny frame of `rows` (one string per row, 'X' colour 3, '.' colour 7).
void small_frame(const std::vector<std::string>& rows, u32 scale) {
    machine = ARCADIA;
    memmap = 6;
    display_setup_geometry();
    machine_live[ARCADIA].width = static_cast<i32>(rows[0].size());
    machine_live[ARCADIA].height = static_cast<i32>(rows.size());
    display_scale = scale;
    display_aspect = 1;
    display_filter = 2;
    display_select_plotter();
    for (std::size_t y = 0; y < rows.size(); y++)
        for (std::size_t x = 0; x < rows[y].size(); x++)
            guest_frame[x * GUEST_FRAME_ROWS + y] = rows[y][x] == 'X' ? 3 : 7;
}

// The filter of the current scale over every row of the frame.
void filter_whole_frame() {
    display_filter_rows(0, GUEST_FRAME_COLUMNS);
}

std::vector<std::string> filtered(int w, int h) {
    std::vector<std::string> out;
    for (int y = 0; y < h; y++) {
        std::string row;
        for (int x = 0; x < w; x++)
            row += display_rows[y][x] == 3 ? 'X' : display_rows[y][x] == 7 ? '.' : '?';
        out.push_back(row);
    }
    return out;
}

TEST_F(HostPicture, Scale2xTurnsADiagonalIntoAStaircase) {
    small_frame({"X..", ".X.", "..X"}, 2);
    // Under the filter the plotters leave the picture alone: the filter draws it.
    display_plot_pixel(1, 0, 3);
    EXPECT_EQ(display_rows[0][2], 0);
    display_plot_pixel(1, 0, 7);
    filter_whole_frame();
    const std::vector<std::string> expected = {"XXOOOO", "XOXOOO", "OXXXOO",
                                               "OOXXXO", "OOOXOX", "OOOOXX"};
    std::vector<std::string> want;
    for (std::string r : expected) {
        for (char& c : r)
            c = c == 'O' ? '.' : c;
        want.push_back(r);
    }
    EXPECT_EQ(filtered(6, 6), want);
}

TEST_F(HostPicture, FiltersKeepAFlatFrameFlat) {
    for (u32 s = 2; s <= 4; s++) {
        small_frame({"XXXX", "XXXX", "XXXX"}, s);
        filter_whole_frame();
        for (const std::string& row : filtered(static_cast<int>(4 * s), static_cast<int>(3 * s)))
            EXPECT_EQ(row, std::string(4 * s, 'X')) << "scale " << s;
    }
}

TEST_F(HostPicture, Scale3xFillsTheCornerBesideADiagonal) {
    small_frame({"X..", ".X.", "..X"}, 3);
    filter_whole_frame();
    const std::vector<std::string> out = filtered(9, 9);
    // The block of the background pixel right of the top-left X.
    EXPECT_EQ(out[0].substr(3, 3), "...");
    EXPECT_EQ(out[1].substr(3, 3), "X..");
    EXPECT_EQ(out[2].substr(3, 3), "X..");
    // A lone dot stays a square.
    small_frame({"...", ".X.", "..."}, 3);
    filter_whole_frame();
    const std::vector<std::string> dot = filtered(9, 9);
    for (int y = 0; y < 9; y++)
        EXPECT_EQ(dot[y], y >= 3 && y < 6 ? "...XXX..." : ".........") << y;
}

TEST_F(HostPicture, Scale4xWithScanlinesLeavesEveryFourthRow) {
    scanlines = 1;
    small_frame({"XX", "XX"}, 4);
    std::memset(display_buffer, 0, static_cast<std::size_t>(display_stride) * display_host_height);
    filter_whole_frame();
    for (int y = 0; y < 8; y++)
        EXPECT_EQ(display_rows[y][0], y % 4 == 3 ? 0 : 3) << y;
}

TEST_F(HostPicture, TheFilterIsUnusedAtScalesOneFiveAndSix) {
    for (u32 s : {1u, 5u, 6u}) {
        small_frame({"X."}, s);
        display_plot_pixel(1, 0, 3);
        EXPECT_EQ(display_rows[0][s], 3) << "the ordinary plotter draws at scale " << s;
    }
}

// ---- Beam marker -----------------------------------------------------------------

TEST_F(HostPicture, BeamMarkerDrawnThenErasedLeavesEverythingAsItWas) {
    emu_region = 0;
    layout(ARCADIA, 6, 2, 1, false);
    for (std::size_t i = 0; i < sizeof guest_frame; i++)
        guest_frame[i] = static_cast<u8>(i % 24); // 0 and 23 on the line too
    display_redraw_all();                         // no window: nothing
    for (u32 x = 0; x < 164; x++)
        for (u32 y = 0; y < 226; y++)
            plotter_fn(x, y, guest_frame[x * GUEST_FRAME_ROWS + y]);
    const std::vector<u8> frame(guest_frame, guest_frame + sizeof guest_frame);
    const std::vector<u8> picture(display_buffer,
                                  display_buffer + static_cast<std::size_t>(display_stride) *
                                                       display_host_height);
    in_frame = 1;
    cpu_beam_clock = 200;
    raster_line = 60;
    display_update_beam_marker(0);
    EXPECT_NE(std::vector<u8>(guest_frame, guest_frame + sizeof guest_frame), frame);
    // The origin (138, line 154) is frame pixel (83, 126): one colour up.
    EXPECT_EQ(guest_frame[83 * GUEST_FRAME_ROWS + 126],
              (frame[83 * GUEST_FRAME_ROWS + 126] + 1) % 24);
    cpu_beam_clock = 70; // moving it erases the old line first
    raster_line = 240;
    display_update_beam_marker(0);
    display_update_beam_marker(1);
    in_frame = 0;
    EXPECT_EQ(std::vector<u8>(guest_frame, guest_frame + sizeof guest_frame), frame);
    EXPECT_EQ(
        std::vector<u8>(display_buffer, display_buffer + static_cast<std::size_t>(display_stride) *
                                                             display_host_height),
        picture);
}

// The coin-op boards' window is their frame, blanking areas shown or not;
// a trace typed on every board, plain and turned, keeps its beam marker
// inside the frame and the picture (the sanitizer build sees any stray write).
TEST_F(HostPicture, TracingOnEveryCoinOpMapStaysInsideThePicture) {
    for (u32 map = 0; map < MEMMAPS; map++) {
        const i32 board = memmap_table[map].machine;
        if (memmap_is_empty(map) || (board != ZACCARIA && board != MALZAK)) continue;
        for (u32 turned = 0; turned < 2; turned++)
            for (u32 blanking = 0; blanking < 2; blanking++) {
                SCOPED_TRACE("map " + std::to_string(map) + (turned ? " turned" : "") +
                             (blanking ? " with blanking areas" : ""));
                rotatescreen = turned;
                blankingareas = blanking;
                ASSERT_TRUE(machine_switch(board, static_cast<int>(map), true, true, false));
                display_compute_layout();
                ASSERT_NE(display_buffer, nullptr);
                ASSERT_EQ(display_rotated, memmap_table[map].may_rotate && turned);
                EXPECT_EQ(display_window_right - display_window_left + 1, machine_live_row().width);
                EXPECT_EQ(display_window_bottom - display_window_top + 1,
                          machine_live_row().height);
                // Traced with the marker on: it moves to the beam at every
                // instruction, on every line of the frame.
                gui_run_command("T");
                ASSERT_EQ(cpu_tracing, 1u);
                emu_run_frame();
                gui_run_command("T");
            }
    }
}

TEST_F(HostPicture, NoMarkerOutsideAFrameUnlessTracing) {
    emu_region = 0;
    layout(ARCADIA, 6, 1, 1, false);
    std::memset(guest_frame, 5, sizeof guest_frame);
    in_frame = 0;
    cpu_beam_clock = 100;
    raster_line = 100;
    display_update_beam_marker(0);
    EXPECT_EQ(guest_frame[83 * GUEST_FRAME_ROWS + 126], 5);
}

// ---- Palettes --------------------------------------------------------------------

TEST_F(HostPicture, BuiltInSetsAndWorkingCopies) {
    EXPECT_EQ(palette_get_red(0, 0), 255);
    EXPECT_EQ(palette_get_green(0, 0), 128);
    EXPECT_EQ(palette_get_blue(4, 7), 26);
    EXPECT_EQ(palette_get_green(3, 5), 221);
    palette_set_blue_grey(3, 5, 99);
    EXPECT_EQ(palette_get_blue(3, 5), 99);
    palette_set_colour(3, 5, false);
    EXPECT_EQ(palette_get_blue(3, 5), 0);
    EXPECT_EQ(palette_get_red(6, 0), 0) << "no seventh set";
    EXPECT_EQ(palette_get_red(0, 24), 0) << "no 25th colour";
}

TEST_F(HostPicture, SwitchingTheSetRecoloursTheShownPicture) {
    gui_open_main_window(0);
    std::memset(guest_frame, 3, sizeof guest_frame); // red
    display_redraw_all();
    int w = 0, h = 0;
    std::vector<u32> shown = gui_headless_display(main_window, GID_DISPLAY, &w, &h);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], 0xFF0000u);
    colourset = 1; // "Green screen"
    display_obtain_pens();
    display_blit();
    shown = gui_headless_display(main_window, GID_DISPLAY, &w, &h);
    EXPECT_EQ(shown[0], 0x004C00u);
    palette_set_green_grey(1, 3, 0x11); // an edit of the current set shows at once
    display_blit();
    shown = gui_headless_display(main_window, GID_DISPLAY, &w, &h);
    EXPECT_EQ(shown[0], 0x001100u);
    gui_close_main_window();
}

TEST_F(HostPicture, TextColoursFollowTheMachine) {
    machine = BINBUG;
    memmap = 11;
    inversevideo = 1;
    display_setup_geometry();
    display_apply_palette();
    EXPECT_EQ(display_ink, 7);
    EXPECT_EQ(display_paper, 0);
    machine = CD2650;
    memmap = 16;
    inversevideo = 0;
    display_setup_geometry();
    std::memset(guest_frame, 3, sizeof guest_frame);
    display_apply_palette();
    EXPECT_EQ(display_paper, 7);
    EXPECT_EQ(guest_frame[639 * GUEST_FRAME_ROWS + 191], 7) << "the frame takes the paper colour";
}

} // namespace
