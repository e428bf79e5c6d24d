// Speed of the PVI's picture on the Interton, headless and unthrottled, one
// guest frame per iteration. "x real time" divides the frame rate by the
// machine's own frame rate.
#include "core/frame.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "machines/pvi2636.h"

#include <benchmark/benchmark.h>

#include <initializer_list>

// Four objects that move every frame over the background grid, with their
// duplicates and the score, as a game drives them: the program polls the
// status register for the vertical blank, then moves each object one pixel
// right and one line down, and polls again for the blank's end. Between the
// polls the beam meets the processor instruction by instruction, drawing the
// lines and writing the collisions of objects that cross each other and the
// grid.
static void BM_PviMovingObjectsOverGrid(benchmark::State& state) {
    turbo = 1;
    stubprograms = 0;
    collisions = 1;
    machine_switch(INTERTON, 3, true, true, false);
    machine_reset();
    static constexpr u32 HC[4] = {0x1F0A, 0x1F1A, 0x1F2A, 0x1F4A};
    u8 program[0x80] = {0x1F, 0x00, 0x20, 0x37}; // BCTA,UN $0020; the interrupt: RETE,UN
    u32 at = 0x20;
    const auto put = [&](std::initializer_list<u8> bytes) {
        for (u8 b : bytes)
            program[at++] = b;
    };
    put({0x0C, 0x1F, 0xCB, 0xF4, 0x40, 0x98, 0x79}); // LODA r0,$1FCB; TMI r0,$40; BCFR,EQ $0020
    for (u32 hc : HC)
        for (u32 a : {hc, hc + 2}) // HC, then VC
            put({0x0D, static_cast<u8>(a >> 8), static_cast<u8>(a), 0x85, 0x01, 0xCD,
                 static_cast<u8>(a >> 8), static_cast<u8>(a)}); // LODA r1; ADDI r1,1; STRA r1
    put({0x0C, 0x1F, 0xCB, 0xF4, 0x40, 0x18, 0x79}); // LODA r0,$1FCB; TMI r0,$40; BCTR,EQ back
    put({0x1F, 0x00, 0x20});                         // BCTA,UN $0020
    for (u32 i = 0; i < sizeof program; i++)
        guest_memory[i] = program[i];
    cpu_iar = 0;
    cpu_psu |= PSU_II;
    for (u32 n = 0; n < 4; n++) {
        const u32 block = 0x1F00 + pvi_object_block[n];
        for (u32 r = 0; r < 10; r++)
            guest_memory[block + r] = static_cast<u8>(0x3C ^ (r * 0x11) ^ n);
        guest_memory[block + 10] = static_cast<u8>(20 + 36 * n); // horizontal
        guest_memory[block + 11] = static_cast<u8>(30 + 36 * n); // duplicates' horizontal
        guest_memory[block + 12] = static_cast<u8>(15 + 20 * n); // vertical
        guest_memory[block + 13] = 12;                           // duplicates' offset
    }
    for (u32 i = 0; i < 0x28; i++) // the grid's bars
        guest_memory[0x1F80 + i] = static_cast<u8>(i % 3 ? 0x81 : 0xFF);
    guest_memory[0x1FC0] = 0x1B; // sizes
    guest_memory[0x1FC1] = 0x0A;
    guest_memory[0x1FC2] = 0x1C;
    guest_memory[0x1FC3] = 0x01; // score at the top, two pairs
    guest_memory[0x1FC6] = 0x2B; // grid on
    guest_memory[0x1FC8] = 0x12;
    guest_memory[0x1FC9] = 0x34;
    for (auto _ : state)
        emu_run_frame();
    const double frames = static_cast<double>(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["x real time"] = benchmark::Counter(
        frames / (lines_per_frame == 312 ? 50.0 : 60.0), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PviMovingObjectsOverGrid);
