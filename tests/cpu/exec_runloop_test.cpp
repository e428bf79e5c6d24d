// The budgeted run loops: whole instructions, overshoot carried into the next
// slice, and the clock counter passing $FFFFFFFF.
#include "exec_fixture.h"

class ExecRunLoop : public ExecTest {
  protected:
    void SetUp() override {
        ExecTest::SetUp();
        std::memset(guest_memory, 0xC0, sizeof guest_memory); // NOP: 6 clock periods
    }
};

TEST_F(ExecRunLoop, ZeroOrNegativeBudgetRunsNothing) {
    cpu_cycle_budget = 0;
    cpu_run_cycles();
    EXPECT_EQ(cpu_iar, 0);
    EXPECT_EQ(cpu_cycle_budget, 0);

    cpu_cycle_budget = -5;
    cpu_run_cycles_polled(+[] { ADD_FAILURE() << "ticked without a budget"; });
    EXPECT_EQ(cpu_iar, 0);
    EXPECT_EQ(cpu_cycle_budget, -5);

    cpu_cycles = 0xFFFFFFF0; // a negative budget must not look like a huge one
    cpu_run_cycles();
    EXPECT_EQ(cpu_iar, 0);
    EXPECT_EQ(cpu_cycles, 0xFFFFFFF0u);
}

TEST_F(ExecRunLoop, OvershootIsCarriedIntoTheNextSlice) {
    cpu_cycle_budget = 1;
    cpu_run_cycles();
    EXPECT_EQ(cpu_iar, 1);
    EXPECT_EQ(cpu_cycle_budget, -5);

    cpu_cycle_budget += 20000; // 19995 left: 3333 NOPs = 19998
    cpu_run_cycles();
    EXPECT_EQ(cpu_iar, 1 + 3333);
    EXPECT_EQ(cpu_cycles, 6u + 19998u);
    EXPECT_EQ(cpu_cycle_budget, -3);
}

TEST_F(ExecRunLoop, CounterPassesFFFFFFFF) {
    const struct {
        u32 cycles;
        i32 budget;
        u16 iar;
        u32 cycles_after;
        i32 budget_after;
    } cases[] = {
        {0xFFFFFFF0, 100, 17, 0xFFFFFFF0u + 102u, -2}, // 17 NOPs = 102 during the slice
        // The slice ends below 2^32 but its last instruction carries the counter past it.
        {0xFFFFFFFA, 5, 1, 0, -1},
    };
    for (const auto& c : cases) {
        cpu_iar = 0;
        cpu_cycles = c.cycles;
        cpu_cycle_budget = c.budget;
        cpu_run_cycles();
        EXPECT_EQ(cpu_iar, c.iar);
        EXPECT_EQ(cpu_cycles, c.cycles_after);
        EXPECT_EQ(cpu_cycle_budget, c.budget_after);
    }
}

// The polled loop ticks once before every instruction.
static int ticks;
static u16 tick_addresses[32];

TEST_F(ExecRunLoop, PolledLoopRunsTheSameInstructions) {
    load(0, {0x04, 0x10, 0xF8, 0x7E}); // LODI r0,16 ; BDRR r0,$-2+2
    cpu_cycle_budget = 6 + 16 * 9;
    ticks = 0;
    cpu_run_cycles_polled(+[] {
        if (ticks < 32) tick_addresses[ticks] = cpu_iar;
        ticks++;
    });
    EXPECT_EQ(ticks, 17);
    EXPECT_EQ(tick_addresses[0], 0);
    EXPECT_EQ(tick_addresses[1], 2);
    EXPECT_EQ(tick_addresses[16], 2);
    EXPECT_EQ(cpu_regs[0], 0);
    EXPECT_EQ(cpu_iar, 4);
    EXPECT_EQ(cpu_cycle_budget, 0);
}

TEST_F(ExecRunLoop, InterruptChargeCountsAgainstTheSlice) {
    machine = INTERTON;
    machine_bus_install();
    load(0, {0x74, 0x20}); // CPSU $20 lets the pending request in
    cpu_psu = PSU_II;
    cpu_irq_pending = 1;
    cpu_cycle_budget = 1;
    cpu_run_cycles();
    EXPECT_EQ(cpu_iar, 0x0003);
    EXPECT_EQ(cpu_cycle_budget, 1 - 9 - 9);
}
