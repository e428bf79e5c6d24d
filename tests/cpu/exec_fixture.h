// Shared set-up of the interpreter tests: a clean processor, plain RAM, no
// diagnostics, and helpers that load tiny programs and run them through the
// budgeted run loop.
#pragma once

#include "tests/support/count_of.h"
#include "tests/support/quiet_output.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "cpu/debug_state.h"
#include "core/seams_services.h"
#include "debugger/debugger.h"
#include "computers/phunsy.h"
#include "computers/pipbug.h"
#include "computers/twin.h"
#include "cpu/bus.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

// Places for the one-instruction tables: a guest address below $8000, or one of
// these processor parts.
// clang-format off
enum : u32 { R0 = 0x10000, RAS0 = 0x18000, IAR = 0x20000, PREV_IAR, EA, CC, PSL, PSU,
             OP_CYCLES, IRQ, SP };
constexpr u32 R(u32 n) { return R0 + n; }     // register n as cpu_regs holds it
constexpr u32 RAS(u32 n) { return RAS0 + n; } // return-address stack slot n
// clang-format on
struct Place {
    u32 where, value;
};
// One instruction at `at`: what is set before, its clock periods, what holds after.
struct StepCase {
    u16 at;
    std::vector<u8> code;
    std::vector<Place> before;
    u32 clocks;
    std::vector<Place> after;
};

class ExecTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        fresh_cpu(MIKIT, 21);
        std::memset(twin_irq_pending, 0, sizeof twin_irq_pending);
        twin_irq_current = 32;
        phunsy_irq_select = 0;
        si50_interrupts = 0;
        phunsy_biosversion = 1;
    }
    void TearDown() override { fresh_state(); }

    static void use_2650b() {
        cpu_type = CPU_2650B;
        cpu_apply_type_tables();
    }

    static void load(u16 at, std::initializer_list<u8> bytes) {
        for (u8 b : bytes) {
            guest_memory[at] = b;
            at = page_add(at, 1);
        }
    }

    // Runs exactly one instruction through the run loop (a budget of one clock
    // period) and returns the clock periods it took.
    static u32 step() {
        const u32 before = cpu_cycles;
        cpu_cycle_budget = 1;
        cpu_run_cycles();
        cpu_cycle_budget = 0;
        return cpu_cycles - before;
    }

    // Loads bytes and points the IAR at them.
    static void at(u16 address, std::initializer_list<u8> bytes) {
        load(address, bytes);
        cpu_iar = address;
    }

    static u32 steps(int n) {
        u32 total = 0;
        for (int i = 0; i < n; ++i)
            total += step();
        return total;
    }

    static u8 cc() { return cpu_psl & PSL_CC; }

    static u32 place(u32 where) {
        if (where < R0) return guest_memory[where];
        if (where < RAS0) return cpu_regs[where - R0];
        if (where < IAR) return cpu_ras[where - RAS0];
        if (where == SP) return cpu_psu & PSU_SP;
        const u32 parts[] = {cpu_iar, cpu_prev_iar, cpu_ea,        cc(),
                             cpu_psl, cpu_psu,      cpu_op_cycles, cpu_irq_pending};
        return parts[where - IAR];
    }
    static void set_place(Place p) {
        const u8 v = static_cast<u8>(p.value);
        if (p.where < R0) guest_memory[p.where] = v;
        if (p.where >= R0 && p.where < RAS0) cpu_regs[p.where - R0] = v;
        if (p.where == PSL) cpu_psl = v;
        if (p.where == PSU) cpu_psu = v;
        if (p.where == IRQ) cpu_irq_pending = v;
    }

    // Runs each case in turn; what a case does not set carries over from the last.
    // Each case runs twice from the same state: first as fetched afresh, then
    // with its fetch marked (the interpreter's second handler for an
    // instruction inside its page), which must leave the same state, memory
    // and history.
    static void run_steps(const std::vector<StepCase>& cases) {
        static u8 memory_before[GUEST_MEMORY_SIZE], memory_after[GUEST_MEMORY_SIZE];
        static u32 access_after[GUEST_MEMORY_SIZE];
        for (size_t i = 0; i < cases.size(); ++i) {
            const StepCase& c = cases[i];
            SCOPED_TRACE(testing::Message() << "case " << i << " at $" << std::hex << c.at);
            for (size_t n = 0; n < c.code.size(); ++n)
                guest_memory[page_add(c.at, static_cast<int>(n))] = c.code[n];
            cpu_iar = c.at;
            for (Place p : c.before)
                set_place(p);
            CpuState before;
            cpu_state_save(before);
            std::memcpy(memory_before, guest_memory, sizeof guest_memory);
            for (int run = 0; run < 2; ++run) {
                SCOPED_TRACE(run == 0 ? "fetched afresh" : "fetch marked");
                if (run == 1) {
                    std::memcpy(memory_after, guest_memory, sizeof guest_memory);
                    std::memcpy(access_after, mem_access, sizeof mem_access);
                    cpu_state_load(before);
                    std::memcpy(guest_memory, memory_before, sizeof guest_memory);
                }
                EXPECT_EQ(step(), c.clocks);
                for (Place p : c.after)
                    EXPECT_EQ(place(p.where), p.value) << "place " << std::hex << p.where;
            }
            EXPECT_EQ(std::memcmp(guest_memory, memory_after, sizeof guest_memory), 0);
            EXPECT_EQ(std::memcmp(mem_access, access_after, sizeof mem_access), 0);
        }
    }
};
