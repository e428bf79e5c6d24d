// The smoothing filter with the scanline setting on, chosen through the menus
// and the port as a user does, on the LED panels (no scanlines) and on the
// Type-right (a grid).
#include "app/mainloop.h"
#include "commands/arexx.h"
#include "computers/instructor.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
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
        display_aspect = 1;
        // The Instructor 50 finds its monitor (blank) and starts without a warning.
        std::filesystem::create_directories(home / "roms");
        std::ofstream(home / "roms" / instructor_rom.name) << std::string(instructor_rom.size, '\0');
        gui_open_main_window(0);
        command("MENU SETTINGS.GRAPHICS.2XSIZE");
        command("MENU SETTINGS.FILTERS.SCALE2X");
    }
    // A port command, and what the main loop does about it at the frame's end.
    void command(const std::string& line) {
        std::string result;
        ASSERT_EQ(arexx_execute(line.c_str(), &result), 0) << line << ": " << result;
        app_frame_boundary();
        pending_actions = 0;
        gui_main_window_events();
    }
    // The machine's picture as shown after a few frames, with the scanline
    // setting on or off (set on the Arcadia, where the menu offers it).
    std::vector<u32> shown(const char* machine, bool lines, int* w, int* h) {
        command("SETMACHINE ARCADIA");
        if ((scanlines != 0) != lines) command("MENU SETTINGS.FILTERS.SCANLINES");
        command(std::string("SETMACHINE ") + machine);
        for (int f = 0; f < 3; f++)
            emu_run_frame();
        gui_main_window_events();
        return gui_headless_display(main_window, GID_DISPLAY, w, h);
    }
};

} // namespace

// On the LED panels the setting draws nothing: the picture is the one without
// it, no row left unpainted. The Arcadia's gap rows are black.
TEST_F(FilterScanlines, TheLedPanelsShowNoGapsUnderTheFilter) {
    int w = 0, h = 0;
    const std::vector<u32> arcadia = shown("ARCADIA", true, &w, &h);
    ASSERT_EQ(scanlines, 1u);
    for (int x = 0; x < w; x++)
        ASSERT_EQ(arcadia[static_cast<std::size_t>(w) + x], 0x000000u) << "gap row pixel " << x;
    for (const char* machine : {"MIKIT", "INSTRUCTOR"}) {
        SCOPED_TRACE(machine);
        int w0 = 0, h0 = 0;
        const std::vector<u32> with = shown(machine, true, &w, &h);
        const std::vector<u32> without = shown(machine, false, &w0, &h0);
        ASSERT_EQ(h, 2 * machine_live_row().height);
        ASSERT_EQ(with.size(), without.size());
        for (std::size_t i = 0; i < with.size(); i++)
            ASSERT_EQ(with[i], without[i]) << "host pixel " << i % w << "," << i / w;
    }
}

// The Type-right's grid lies over the filtered picture (Scale4x: its LCD is
// magnified twice), every other pixel being the filter's.
TEST_F(FilterScanlines, TheTypeRightGridLiesOverTheFilteredPicture) {
    int w = 0, h = 0;
    const std::vector<u32> with = shown("TYPERIGHT", true, &w, &h);
    const std::vector<u32> without = shown("TYPERIGHT", false, &w, &h);
    const int s = static_cast<int>(display_picture_scale());
    ASSERT_EQ(s, 4);
    ASSERT_EQ(with.size(), without.size());
    const u32 grid = display_colour_table[pen_byte[19]];
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            const bool on_grid = y % (2 * s) == 2 * s - 1 || (y > 0 && x % (2 * s) == 2 * s - 1);
            ASSERT_EQ(with[i], on_grid ? grid : without[i]) << "host pixel " << x << "," << y;
        }
}
