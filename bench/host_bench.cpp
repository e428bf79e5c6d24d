// Presenting whole frames to the host the way the program does at the end of
// each frame, on the headless back end: the machine's lines go through the
// row plot, then the blit (grid, filter, the copy to the display gadget).
// The frame is the Arcadia's; every line is plotted every frame, as the
// machines do, and either nothing, a few lines or everything changed since
// the frame before.
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"
#include "gui/main_window.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Two pictures of the frame, row-major, that differ in every pixel.
struct Pictures {
    i32 w, h;
    std::vector<u8> a, b;
};

Pictures set_up(u32 scale, u32 filter) {
    turbo = 0;
    limitrefreshes = 0;
    stubprograms = 1;
    emu_region = 0;
    machine_switch(ARCADIA, 6, true, true, false);
    gui_open_main_window(0);
    display_scale = scale;
    display_aspect = 1;
    display_filter = filter;
    display_redraw_all();
    Pictures p{machine_live_row().width, machine_live_row().height, {}, {}};
    const std::size_t size = static_cast<std::size_t>(p.w) * static_cast<std::size_t>(p.h);
    p.a.resize(size);
    p.b.resize(size);
    for (i32 y = 0; y < p.h; y++)
        for (i32 x = 0; x < p.w; x++) {
            const std::size_t i = static_cast<std::size_t>(y) * p.w + x;
            p.a[i] = static_cast<u8>((x / 8 + y / 16) % 8);
            p.b[i] = static_cast<u8>(8 + (x / 8 + y / 16) % 8);
        }
    return p;
}

// Arguments: scale, what changes from frame to frame (0 nothing, 1 eight
// lines, 2 every line) and the filter setting (3 none, 2 the smoothing one).
void BM_PresentFrame(benchmark::State& state) {
    const Pictures p = set_up(static_cast<u32>(state.range(0)), static_cast<u32>(state.range(2)));
    const auto change = state.range(1);
    u32 frame = 0;
    for (auto _ : state) {
        frame++;
        for (i32 y = 0; y < p.h; y++) {
            // A score at the top and an object further down change.
            const bool few = (y >= 8 && y < 12) || (y >= 120 && y < 124);
            const bool changes = change == 2 || (change == 1 && few);
            const std::vector<u8>& pic = changes && (frame & 1) ? p.b : p.a;
            display_plot_row(display_window_left, display_window_top + y,
                             pic.data() + static_cast<std::size_t>(y) * p.w, p.w);
        }
        display_blit();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    gui_close_main_window();
}
BENCHMARK(BM_PresentFrame)
    ->Args({1, 0, 3})
    ->Args({1, 1, 3})
    ->Args({1, 2, 3})
    ->Args({6, 0, 3})
    ->Args({6, 1, 3})
    ->Args({6, 2, 3})
    ->Args({3, 0, 2})
    ->Args({3, 1, 2})
    ->Args({3, 2, 2})
    ->Unit(benchmark::kMicrosecond);

} // namespace
