// The cost of the host picture: a whole changed frame plotted pixel by pixel
// (a guest column at a time, and in raster order as the machines draw), a
// line at a time, and the full redraw, at the largest scale.
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void set_up(u32 scale, u32 stretch) {
    machine = CD2650;
    memmap = 16;
    blankingareas = 1; // the widest frame: 904 x 264
    display_setup_geometry();
    display_scale = scale;
    display_aspect = stretch;
    display_filter = 3;
    display_obtain_pens();
    display_select_plotter();
}

// Every pixel of the frame changed, plotted one guest column at a time
// (order 0: each pixel lands a host stride below the last) or in raster
// order (order 1: along host rows).
void BM_PlotChangedFrame(benchmark::State& state) {
    set_up(static_cast<u32>(state.range(0)), 2);
    const bool raster = state.range(1) != 0;
    const u32 w = static_cast<u32>(machine_live[machine].width);
    const u32 h = static_cast<u32>(machine_live[machine].height);
    const u32 outer = raster ? h : w, inner = raster ? w : h;
    u32 colour = 0;
    for (auto _ : state) {
        colour = (colour + 1) % 24;
        for (u32 i = 0; i < outer; i++)
            for (u32 j = 0; j < inner; j++)
                display_plot_pixel(raster ? j : i, raster ? i : j, colour);
        benchmark::DoNotOptimize(display_buffer[0]);
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_PlotChangedFrame)
    ->Args({1, 0})
    ->Args({6, 0})
    ->Args({6, 1})
    ->Unit(benchmark::kMicrosecond);

// The raster machines' way: a line at a time through the row plot.
void BM_PlotChangedFrameRows(benchmark::State& state) {
    set_up(static_cast<u32>(state.range(0)), 2);
    const i32 w = machine_live[machine].width;
    const i32 h = machine_live[machine].height;
    std::vector<u8> line(static_cast<std::size_t>(w));
    u32 colour = 0;
    for (auto _ : state) {
        colour = (colour + 1) % 24;
        for (i32 x = 0; x < w; x++)
            line[static_cast<std::size_t>(x)] = static_cast<u8>((colour + x / 8) % 24);
        for (i32 y = 0; y < h; y++)
            display_plot_row(display_window_left, display_window_top + y, line.data(), w);
        benchmark::DoNotOptimize(display_buffer[0]);
    }
    state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(BM_PlotChangedFrameRows)->Arg(6)->Unit(benchmark::kMicrosecond);

void BM_PlotStillFrame(benchmark::State& state) {
    set_up(6, 2);
    const u32 w = static_cast<u32>(machine_live[machine].width);
    const u32 h = static_cast<u32>(machine_live[machine].height);
    for (auto _ : state) {
        for (u32 x = 0; x < w; x++)
            for (u32 y = 0; y < h; y++)
                display_plot_pixel(x, y, 5);
        benchmark::DoNotOptimize(guest_frame[0]);
    }
}
BENCHMARK(BM_PlotStillFrame)->Unit(benchmark::kMicrosecond);

void BM_FullRedrawLargestScale(benchmark::State& state) {
    set_up(6, 2);
    for (auto _ : state) {
        // The redraw's work without a window: the scanline pass and every pixel.
        display_redraw_picture();
        benchmark::DoNotOptimize(display_buffer[0]);
    }
}
BENCHMARK(BM_FullRedrawLargestScale)->Unit(benchmark::kMicrosecond);

} // namespace
