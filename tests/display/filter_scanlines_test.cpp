// The smoothing filter with the scanline setting on, chosen through the menus
// and the port as a user does, on the machines whose displays have no
// scanlines (the LED panels) and on the one that draws them as a grid.
#include "app/mainloop.h"
#include "commands/arexx.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "computers/instructor.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"
#include "gui/main_window.h"
#include "platform/headless/fake_clock.h"
#include "platform/headless/gui_headless.h"
#include "tests/core/home_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class FilterScanlines : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        fake_clock_install(5000);
        display_scale = 1;
        display_aspect = 1;
        // The Instructor 50 finds its monitor (blank), so it starts without a warning.
        std::filesystem::create_directories(home / "roms");
        std::ofstream(home / "roms" / instructor_rom.name) << std::string(instructor_rom.size, '\0');
        gui_open_main_window(0);
    }
    // A port command, then what the main loop does about it before the next frame.
    void command(const std::string& line) {
        std::string result;
        ASSERT_EQ(arexx_execute(line.c_str(), &result), 0) << line << ": " << result;
        app_frame_boundary();
        pending_actions = 0;
        gui_main_window_events();
    }
    // The picture the window shows, after a few frames of the machine.
    std::vector<u32> shown(int* w, int* h) {
        for (int f = 0; f < 3; f++)
            emu_run_frame();
        gui_main_window_events();
        return gui_headless_display(main_window, GID_DISPLAY, w, h);
    }
    // The machine's picture through Scale2x, with the scanline setting on
    // (set on the Arcadia, where the menu offers it) or off.
    std::vector<u32> filtered(const char* machine, bool lines, int* w, int* h) {
        command("SETMACHINE ARCADIA");
        if ((scanlines != 0) != lines) command("MENU SETTINGS.FILTERS.SCANLINES");
        EXPECT_EQ(scanlines != 0, lines);
        command(std::string("SETMACHINE ") + machine);
        return shown(w, h);
    }
};

} // namespace

// The setting is kept but draws nothing on the LED panels: the filtered
// picture is the one without it, with no row left unpainted. On the Arcadia
// the gaps are there, black.
TEST_F(FilterScanlines, TheLedPanelsShowNoGapsUnderTheFilter) {
    command("MENU SETTINGS.GRAPHICS.2XSIZE");
    command("MENU SETTINGS.FILTERS.SCALE2X");
    command("MENU SETTINGS.FILTERS.SCANLINES");
    ASSERT_EQ(scanlines, 1u);
    int w = 0, h = 0;
    const std::vector<u32> arcadia = shown(&w, &h);
    ASSERT_GT(h, 2);
    for (int x = 0; x < w; x++)
        ASSERT_EQ(arcadia[static_cast<std::size_t>(w) + x], 0x000000u) << "gap row pixel " << x;

    for (const char* machine : {"MIKIT", "INSTRUCTOR"}) {
        SCOPED_TRACE(machine);
        int w1 = 0, h1 = 0, w0 = 0, h0 = 0;
        const std::vector<u32> with = filtered(machine, true, &w1, &h1);
        std::string refused;
        EXPECT_NE(arexx_execute("MENU SETTINGS.FILTERS.SCANLINES", &refused), 0);
        const std::vector<u32> without = filtered(machine, false, &w0, &h0);
        ASSERT_EQ(w1, w0);
        ASSERT_EQ(h1, h0);
        ASSERT_EQ(h1, 2 * machine_live_row().height);
        for (int y = 0; y < h1; y++)
            for (int x = 0; x < w1; x++) {
                const std::size_t i = static_cast<std::size_t>(y) * w1 + x;
                ASSERT_EQ(with[i], without[i]) << "host pixel " << x << "," << y;
            }
    }
}

// The Type-right's grid lies over the filtered picture: with the setting on,
// every pixel off the grid is the filter's own, and the grid is drawn.
TEST_F(FilterScanlines, TheTypeRightGridLiesOverTheFilteredPicture) {
    command("MENU SETTINGS.GRAPHICS.2XSIZE");
    command("MENU SETTINGS.FILTERS.SCALE2X");
    int w1 = 0, h1 = 0, w0 = 0, h0 = 0;
    const std::vector<u32> with = filtered("TYPERIGHT", true, &w1, &h1);
    const std::vector<u32> without = filtered("TYPERIGHT", false, &w0, &h0);
    ASSERT_EQ(w1, w0);
    ASSERT_EQ(h1, h0);
    // The LCD is magnified twice more than the scale: Scale4x, the grid every
    // two guest pixels.
    const int s = static_cast<int>(display_picture_scale());
    ASSERT_EQ(s, 4);
    ASSERT_EQ(h1, s * machine_live_row().height);
    const u32 grid = display_colour_table[pen_byte[19]];
    int lines = 0;
    for (int y = 0; y < h1; y++)
        for (int x = 0; x < w1; x++) {
            const std::size_t i = static_cast<std::size_t>(y) * w1 + x;
            const bool on_grid = y % (2 * s) == 2 * s - 1 || (y > 0 && x % (2 * s) == 2 * s - 1);
            if (on_grid) {
                ASSERT_EQ(with[i], grid) << "grid pixel " << x << "," << y;
                lines++;
            } else {
                ASSERT_EQ(with[i], without[i]) << "host pixel " << x << "," << y;
            }
        }
    EXPECT_GT(lines, 0);
}
