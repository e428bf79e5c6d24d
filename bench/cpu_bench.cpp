// Speed of the 2650 interpreter: a tight guest loop (immediate, register,
// absolute store, counting branch, absolute branch) run unthrottled through the
// budgeted run loop, one million clock periods per iteration. Counters report
// clock periods and instructions per host second; the real 2650 runs about
// 1.8 million clock periods per second.
#include "core/emu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"

#include <benchmark/benchmark.h>

#include <cstring>

static void set_up_loop() {
    machine = MIKIT;
    cpu_type = CPU_2650;
    cpu_reset_op_tables();
    mem_reset_tables();
    dbg_hooks_reset();
    dbg_conditions_reset();
    std::memset(guest_memory, 0, sizeof guest_memory);
    static const u8 program[] = {
        0x05, 0x00,       // 0000 LODI r1,$00
        0x84, 0x01,       // 0002 loop: ADDI r0,$01
        0x26, 0x55,       // 0004 EORI r2,$55
        0xCC, 0x04, 0x00, // 0006 STRA r0,$0400
        0x61,             // 0009 IORZ r1
        0xF9, 0x76,       // 000A BDRR r1,loop
        0x1F, 0x00, 0x00, // 000C BCTA,un $0000
    };
    std::memcpy(guest_memory, program, sizeof program);
    cpu_reset_state();
    std::memset(cpu_regs, 0, sizeof cpu_regs);
    cpu_cycles = 0;
    cpu_cycle_budget = 0;
}

static void run_loop(benchmark::State& state) {
    constexpr i32 SLICE = 1000000;
    u64 clocks = 0;
    u64 instructions;
    for (auto _ : state) {
        const u32 before = cpu_cycles;
        cpu_cycle_budget += SLICE;
        cpu_run_cycles();
        clocks += cpu_cycles - before;
    }
    // The loop body runs five instructions in 6 + 6 + 12 + 6 + 9 = 39 clock periods
    // (the outer LODI and BCTA once per 256 passes are left out of the count).
    instructions = clocks * 5 / 39;
    state.counters["clocks/s"] =
        benchmark::Counter(static_cast<double>(clocks), benchmark::Counter::kIsRate);
    state.counters["instr/s"] =
        benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}

static void BM_InterpreterLoop(benchmark::State& state) {
    set_up_loop();
    run_loop(state);
}
BENCHMARK(BM_InterpreterLoop);

// The same loop with every diagnostic of "logillegal" evaluated on the way.
static void BM_InterpreterLoopLogIllegal(benchmark::State& state) {
    set_up_loop();
    logillegal = 1;
    run_loop(state);
    logillegal = 0;
}
BENCHMARK(BM_InterpreterLoopLogIllegal);
