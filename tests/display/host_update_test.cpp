// The host shows only the rows whose guest pixels changed since the last
// shown frame: the picture it shows after every frame is the one it shows
// when every frame is taken whole, in every kind of layout.
#include "tests/support/fresh_state.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/frame.h"
#include "display/host.h"
#include "gui/main_window.h"
#include "machines/pvi2636.h"
#include "platform/headless/gui_headless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Scene {
    Machine machine;
    u32 map, scale, stretch, turned, scanlines;
    i32 filter; // 2 the smoothing filter, 3 none
};

u64 picture_hash() {
    int w = 0, h = 0;
    u64 hash = 14695981039346656037ull;
    for (u32 c : gui_headless_display(main_window, GID_DISPLAY, &w, &h))
        hash = (hash ^ c) * 1099511628211ull;
    return (hash ^ static_cast<u64>(w)) * 1099511628211ull ^ static_cast<u64>(h);
}

// The scene's frames with objects moving, a palette change and a change of
// scale on the way; the shown picture's hash after every frame.
std::vector<u64> shown_frames(const Scene& s, bool whole) {
    fresh_state();
    display_update_whole = whole;
    limitrefreshes = 0;
    display_mode = 0;
    stubprograms = 0;
    collisions = 1;
    rotatescreen = s.turned;
    scanlines = s.scanlines;
    display_scale = s.scale;
    display_aspect = s.stretch;
    display_filter = s.filter;
    EXPECT_TRUE(machine_switch(s.machine, static_cast<int>(s.map), true, true, false));
    gui_open_main_window(0);
    // The PVI machines idle in a loop that takes each interrupt and returns,
    // with the grid on and four objects over it.
    const u32 pvi = s.machine == INTERTON ? 0x1F00 : 0x1500;
    if (s.machine != TYPERIGHT) {
        static const u8 loop[] = {0x1B, 0x7E, 0x00, 0x37};
        for (u32 i = 0; i < sizeof loop; i++)
            guest_memory[i] = loop[i];
        machine_reset();
        for (u32 i = 0; i < 0x28; i++)
            guest_memory[pvi + 0x80 + i] = static_cast<u8>(i % 3 ? 0x81 : 0xFF);
        guest_memory[pvi + 0xC1] = 0x0A;
        guest_memory[pvi + 0xC6] = 0x2B;
    }
    display_redraw_all();
    std::vector<u64> hashes;
    for (u32 frame = 0; frame < 40; frame++) {
        if (s.machine != TYPERIGHT)
            for (u32 n = 0; n < 4; n++) {
                const u32 block = pvi + pvi_object_block[n];
                for (u32 r = 0; r < 10; r++)
                    guest_memory[block + r] = static_cast<u8>(0x3C ^ (r * 0x11) ^ (n + frame));
                guest_memory[block + 10] = static_cast<u8>(20 + 30 * n + frame * (n + 1));
                guest_memory[block + 12] = static_cast<u8>(15 + 20 * n + frame * (2 - n % 2));
            }
        if (frame == 12) {
            colourset = (colourset + 1) % 4;
            display_apply_palette();
        }
        if (frame == 25) {
            display_scale = s.scale == 2 ? 3 : 2;
            display_redraw_all();
        }
        emu_run_frame();
        hashes.push_back(picture_hash());

    }
    gui_close_main_window();
    display_update_whole = false;
    return hashes;
}

TEST(HostUpdate, ChangedRowsAloneShowWhatTheWholePictureShows) {
    const Scene scenes[] = {
        {INTERTON, 3, 1, 1, 0, 0, 3},  {INTERTON, 3, 2, 1, 0, 1, 2},
        {INTERTON, 3, 3, 1, 0, 0, 2},  {INTERTON, 3, 4, 2, 0, 1, 2},
        {ZACCARIA, 22, 2, 1, 1, 1, 2}, {ZACCARIA, 22, 3, 2, 1, 1, 3},
        {TYPERIGHT, 30, 2, 1, 0, 1, 3}, {TYPERIGHT, 30, 3, 1, 0, 1, 2},
    };
    for (const Scene& s : scenes) {
        SCOPED_TRACE("machine " + std::to_string(s.machine) + " scale " + std::to_string(s.scale) +
                     " stretch " + std::to_string(s.stretch) + (s.turned ? " turned" : "") +
                     (s.scanlines ? " scanlines" : "") + (s.filter == 2 ? " filter" : ""));
        const std::vector<u64> whole = shown_frames(s, true);
        const std::vector<u64> changed = shown_frames(s, false);
        ASSERT_EQ(whole.size(), changed.size());
        for (std::size_t f = 0; f < whole.size(); f++)
            EXPECT_EQ(whole[f], changed[f]) << "frame " << f;
        // The scene is no still picture.
        EXPECT_NE(whole.front(), whole.back());
    }
    fresh_state();
}

} // namespace
