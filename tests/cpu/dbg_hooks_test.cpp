// Pause requests, the breakpoint and step-out check, register watches through
// the accessors, branch completion and the texts of the run-time reports.
#include "core/emu.h"
#include "core/frame.h"
#include "core/mainloop.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "cpu/seams.h"
#include "cpu/seams_exec.h"
#include "debugger/debugger.h"
#include "gui/tool_windows.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A tool window whose input handler continues the emulation, as the debugger's
// "go" would: it ends the pause loop on its first event pass.
int event_passes;
void continue_input() {
    event_passes++;
    emu_unpause();
}
bool always_open() {
    return true;
}
constexpr int CONTINUE_SLOT = 19;

class DbgHooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        use(MALZAK);
        gui_subwin_ops[CONTINUE_SLOT] = SubwindowOps{nullptr, nullptr, continue_input, always_open};
        event_passes = 0;
    }
    void TearDown() override { fresh_state(); }

    void use(u32 m) {
        fresh_cpu(m, 0);
        cpu_iar = 0x0100;
        cpu_prev_iar = 0x00FE;
        raster_line = 0;
        dis_notation = 0;
        pipbug_bios = 0;
        cd2650_biosversion = 0;
        cd2650_dosversion = 0;
    }

    template <typename F> std::string output_of(F f) {
        testing::internal::CaptureStdout();
        f();
        return testing::internal::GetCapturedStdout();
    }

    void watch_register(u32 n, u8 condition = COND_ALWAYS, u16 value = 0) {
        mem_attributes[MEM_REG_BASE + n] |= MEM_WATCH;
        watch_conditions[MEM_REG_BASE + n] = WatchCondition{MEM_REG_BASE + n, condition, value};
    }
};

TEST_F(DbgHooksTest, PauseRequestsAreGatedByTheirSwitch) {
    struct Case {
        int reason;
        u32 log, brk;
        u8 pending;
    } cases[] = {
        {PAUSE_LOG, 0, 1, 0},   {PAUSE_LOG, 1, 1, 1},    {PAUSE_BREAK, 1, 0, 0},
        {PAUSE_BREAK, 1, 1, 1}, {PAUSE_ALWAYS, 0, 0, 1}, {7, 0, 0, 0}, // unknown: ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        pause_pending = 0;
        pauselog = c.log;
        pausebreak = c.brk;
        dbg_request_pause(c.reason);
        EXPECT_EQ(pause_pending, c.pending) << "pauselog " << c.log << ", pausebreak " << c.brk;
    }
    dbg_request_pause(PAUSE_ALWAYS);
    dbg_request_pause(7); // an unknown reason leaves a request in place
    EXPECT_EQ(pause_pending, 1);
}

TEST_F(DbgHooksTest, PauseLoopRunsEventPassesUntilContinued) {
    dbg_run_to_loop_end = 1;
    pause_pending = 1;
    dbg_pause_loop();
    EXPECT_EQ(pause_pending, 0);
    EXPECT_EQ(event_passes, 1);
    EXPECT_FALSE(emu_paused);
    EXPECT_EQ(dbg_run_to_loop_end, 0u); // pausing ends the run targets
}

TEST_F(DbgHooksTest, StepOutAndBreakpointOnOneAddress) {
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }), ""); // no mark: nothing happens
    pause_pending = 1; // an earlier report's request waits for the next pause point
    cpu_check_breakpoint();
    EXPECT_EQ(event_passes, 0);
    pause_pending = 0;
    cpu_iar = 0x1234;
    cpu_prev_iar = 0x1230;
    mem_attributes[0x1234] = MEM_STEP_OUT | MEM_BREAKPOINT;
    pausebreak = 0;
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }),
              "Reached end of subroutine or interrupt and returned to $1234.\n\n"
              "Hit code breakpoint at $1234! Previous IAR/PC was $1230.\n\n");
    EXPECT_EQ(mem_attributes[0x1234], MEM_BREAKPOINT); // marker gone, breakpoint kept
    EXPECT_EQ(pause_pending, 0);                       // served by the pause loop
    EXPECT_EQ(event_passes, 1);                        // one pause for both
    // The marker fires once; the breakpoint keeps firing.
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }),
              "Hit code breakpoint at $1234! Previous IAR/PC was $1230.\n\n");
}

TEST_F(DbgHooksTest, BreakpointConditions) {
    cpu_iar = 0x0200;
    mem_attributes[0x0200] = MEM_BREAKPOINT;
    bp_conditions[0x0200] = WatchCondition{MEM_REG_BASE + 0, COND_EQ, 0x10};
    pausebreak = 0;
    cpu_regs[0] = 0x0F;
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }), "");
    cpu_regs[0] = 0x10;
    EXPECT_EQ(output_of([] { cpu_check_breakpoint(); }),
              "Hit code breakpoint at $200! Previous IAR/PC was $FE.\n\n");
    EXPECT_EQ(event_passes, 0); // "pausebreak" off
    pausebreak = 1;
    output_of([] { cpu_check_breakpoint(); });
    EXPECT_EQ(event_passes, 1); // paused before the instruction runs
}

TEST_F(DbgHooksTest, RegisterWriteWatch) {
    cpu_write_register(4, 0x99); // no watch: stored silently
    EXPECT_EQ(cpu_regs[4], 0x99);
    EXPECT_EQ(cpu_read_register(4), 0x99);
    watch_register(1);
    pausebreak = 1;
    cpu_regs[1] = 0x41;
    watchwrites = 1;
    EXPECT_EQ(output_of([] { cpu_write_register(1, 0x41); }), "");
    EXPECT_EQ(pause_pending, 0);
    watchwrites = 2;
    EXPECT_EQ(output_of([] { cpu_write_register(1, 0x41); }),
              "Instruction at $100 (raster 0) is writing $41 ['A'] to R1! "
              "Previous IAR/PC was $FE.\n\n");
    EXPECT_EQ(pause_pending, 1);
    watchwrites = 0;
    EXPECT_EQ(output_of([] { cpu_write_register(1, 0x42); }), "");
    EXPECT_EQ(cpu_regs[1], 0x42); // stored in every case
    // Condition 7: only writes that change a bit of the mask.
    watchwrites = 2;
    watch_register(2, COND_CHANGED, 0x01);
    cpu_regs[2] = 0x10;
    EXPECT_EQ(output_of([] { cpu_write_register(2, 0x20); }), ""); // bit 0 unchanged
    EXPECT_EQ(cpu_regs[2], 0x20);
    EXPECT_NE(output_of([] { cpu_write_register(2, 0x21); }), "");
}

TEST_F(DbgHooksTest, RegisterReadWatch) {
    dis_notation = NOTATION_OLD_CALM;
    watch_register(3);
    cpu_regs[3] = 0x5A;
    u8 v = 0;
    EXPECT_EQ(output_of([&] { v = cpu_read_register(3); }),
              "Instruction at $100 (raster 0) is reading $5A ['Z'] from D! "
              "Previous IAR/PC was $FE.\n\n");
    EXPECT_EQ(v, 0x5A);
    watchreads = 0;
    EXPECT_EQ(output_of([&] { v = cpu_read_register(3); }), "");
    watchreads = 1;
    watch_register(3, COND_LT, 0x50);
    EXPECT_EQ(output_of([&] { v = cpu_read_register(3); }), "");
}

// A call from game code into the BIOS is reported and charged as a branch;
// BIOS code calling itself is not reported. The P1 DOS vectors have their own report.
TEST_F(DbgHooksTest, BiosCallAndDosVectorReports) {
    use(PIPBUG);
    for (u32 a = 0; a < 0x400; a++)
        mem_attributes[a] |= MEM_BIOS;
    logbios = 1;
    pauselog = 1;
    cpu_iar = 0x0440;
    cpu_ea = 0x0100;
    EXPECT_EQ(output_of([] { cpu_report_bios_call(0); }),
              "BIOS code at $100 was called by game code at $440.\n\n");
    EXPECT_EQ(pause_pending, 1);
    EXPECT_EQ(cpu_iar, 0x0100);
    EXPECT_EQ(cpu_op_cycles, 3u);
    EXPECT_EQ(cpu_cycles, 9u);
    cpu_iar = 0x0200;
    EXPECT_EQ(output_of([] { cpu_report_bios_call(1); }), "");
    EXPECT_EQ(cpu_cycles, 9u + 15u); // an indirect branch costs 15 clock periods
    EXPECT_EQ(cpu_op_cycles, 5u);
    EXPECT_EQ(cpu_iar, 0x0100);

    use(INSTRUCTOR);
    mem_attributes[0x0020] = MEM_BIOS;
    logbios = 1;
    pauselog = 0;
    cpu_iar = 0x0800;
    cpu_ea = 0x0020;
    EXPECT_EQ(output_of([] { cpu_report_dos_vector_call(); }),
              "P1 DOS vector at $20 was called by game code at $800.\n\n");
    cpu_ea = 0x0021; // pointer outside the BIOS
    EXPECT_EQ(output_of([] { cpu_report_dos_vector_call(); }), "");
}

TEST_F(DbgHooksTest, EndOfLoopAndIarWrapReports) {
    pausebreak = 0;
    pauselog = 0;
    cpu_iar = 0x0104;
    EXPECT_EQ(output_of([] { cpu_log_end_of_loop(); }), "Reached end of loop at $104.\n\n");
    EXPECT_EQ(pause_pending, 1);

    // The wrap report never pauses and counts in the chosen time unit.
    pause_pending = 0;
    pauselog = 1;
    cpu_prev_iar = 0x1FFF;
    cpu_cycles = 300;
    EXPECT_EQ(output_of([] { cpu_log_iar_wrapped(); }),
              "IAR has wrapped after instruction at $1FFF (100 CPU cycles)!\n\n");
    EXPECT_EQ(pause_pending, 0);
}

} // namespace
