// The per-frame cost of the open inspection windows: gui_refresh_windows(0)
// with the CPU monitor and the memory editor open on the headless window
// layer, after a frame of the guest changed its registers and some memory.
// A frame lasts 16,667 to 20,000 microseconds; the refresh should take well
// under a tenth of that.
#include "core/machine.h"
#include "cpu/cpu.h"
#include "gui/tool_windows.h"
#include "inspect/cpu_monitor_window.h"
#include "inspect/memory_editor_window.h"
#include "inspect/memory_views.h"
#include "inspect/video_monitor_window.h"
#include "input/paddles.h"
#include "cpu/bus.h"
#include "core/settings_vars.h"

#include <benchmark/benchmark.h>

static void BM_RefreshInspectionWindows(benchmark::State& state) {
    machine_switch(ARCADIA, 6, true, true, false);
    gui_tool_windows_reset();
    cpu_monitor_window_register();
    memory_editor_window_register();
    memedit_map_view = static_cast<i32>(state.range(0));
    gui_open_tool_window(TW_CPU);
    gui_open_tool_window(TW_MEMORY);
    u8 n = 0;
    for (auto _ : state) {
        // What a frame changes: a few registers, the counters and a few bytes.
        cpu_regs[0] = ++n;
        cpu_iar = static_cast<u16>(n);
        cpu_cycles += 19886;
        for (int i = 0; i < 16; i++)
            guest_memory[memedit_base + i * 16] = static_cast<u8>(n + i);
        gui_refresh_windows(0);
    }
    gui_close_all_subwindows();
}
BENCHMARK(BM_RefreshInspectionWindows)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The video chip monitor's refresh after a frame: a few registers moved and
// the paddles with them; the rows compare, the picture is redrawn. Arg: the
// machine (0 the Arcadia, 1 the Interton, 8 a three-PVI coin-op board).
static void BM_RefreshVideoMonitor(benchmark::State& state) {
    const u32 m = static_cast<u32>(state.range(0));
    machine_switch(m, m == ARCADIA ? 6 : m == INTERTON ? 0 : 23, true, true, false);
    gui_tool_windows_reset();
    video_monitor_window_register();
    gui_open_tool_window(TW_VIDEO_CHIP);
    u8 n = 0;
    for (auto _ : state) {
        ++n;
        for (u32 a : {0x18F0u, 0x18F1u, 0x1F0Au, 0x1F0Cu, 0x150Au, 0x160Au})
            guest_memory[a] = n;
        paddle_x[0] = paddle_y[1] = n;
        mon_video_refresh(0);
    }
    gui_close_all_subwindows();
}
BENCHMARK(BM_RefreshVideoMonitor)
    ->Arg(ARCADIA)
    ->Arg(INTERTON)
    ->Arg(ZACCARIA)
    ->Unit(benchmark::kMicrosecond);
