// The Arcadia's busy sprite screen with the picture shown: the guest frame
// and the host picture at scale 2 are drawn, as in the running program
// (frame_bench.cpp's cases draw into an empty window). Arguments: the frame
// mode (0 beam, 1 line-based); whether lines drawn from the same inputs as
// the frame before are kept (1) or every line is drawn afresh (0); whether
// the sprites stand (0) or move every frame (1).
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "display/host.h"
#include "machines/uvi2637.h"

#include <benchmark/benchmark.h>

#include <iterator>

namespace {

void BM_ArcadiaBusyShownFrames(benchmark::State& state) {
    turbo = 1;
    stubprograms = 0;
    framebased = static_cast<u32>(state.range(0));
    uvi_copy_lines = state.range(1) != 0;
    const bool moving = state.range(2) != 0;
    emu_region = 0;
    machine_switch(ARCADIA, 6, true, true, false);
    display_setup_geometry();
    display_scale = 2;
    display_obtain_pens();
    display_select_plotter();
    // loop: ADDI r0,1; STRA r0,$1A00; TPSU $80; BCTR,UN loop
    static const u8 program[] = {0x84, 0x01, 0xCC, 0x1A, 0x00, 0xB4, 0x80, 0x1B, 0x77};
    std::copy(std::begin(program), std::end(program), guest_memory);
    machine_reset();
    guest_memory[0x18FC] = 0xEF; // 13 rows of 16 lines from line 16
    guest_memory[0x19F9] = 0x0E;
    for (u32 i = 0; i < 13 * 16; i++)
        guest_memory[0x1800 + i] = static_cast<u8>(0x1A + i % 26 + (i % 4) * 0x40);
    for (u32 s = 0; s < 4; s++)
        for (u32 l = 0; l < 8; l++)
            guest_memory[0x1980 + 8 * s + l] = static_cast<u8>(0x3C ^ (l * 0x11));
    guest_memory[0x19FA] = (4 << 3) | 5;
    guest_memory[0x19FB] = 0xC0 | (1 << 3) | 2;
    u32 f = 0;
    for (auto _ : state) {
        for (u32 s = 0; s < 4; s++) {
            const u32 step = moving ? f * (s + 1) : 0;
            guest_memory[0x18F0 + 2 * s] = static_cast<u8>(200 - 30 * s - step % 120);
            guest_memory[0x18F1 + 2 * s] = static_cast<u8>(40 + 25 * s + step % 90);
        }
        emu_run_frame();
        f++;
    }
    uvi_copy_lines = true;
    const double frames = static_cast<double>(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ArcadiaBusyShownFrames)->ArgsProduct({{0, 1}, {1, 0}, {0, 1}});

} // namespace
