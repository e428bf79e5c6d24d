// Interrupt acceptance: vectors per machine, inhibit, RETE, the TWIN's
// priorities, the charge, stack overflow and the restored-context check.
#include "exec_fixture.h"

class ExecInterrupt : public ExecTest {
  protected:
    void SetUp() override {
        ExecTest::SetUp();
        machine = INTERTON;
        memmap = 0;
        machine_bus_install();
        std::memset(port_records, 0, sizeof port_records);
    }
    static void request() {
        cpu_irq_pending = 1;
        cpu_interrupt();
    }
};

TEST_F(ExecInterrupt, AcceptanceIsAZeroPageCallToTheVector) {
    cpu_iar = 0x0123;
    cpu_psu = 0x02;
    cpu_psl = 0x5A;
    cpu_regs[3] = 0x33;
    cpu_cycles = 100;
    request();
    EXPECT_EQ(cpu_iar, 0x0003);
    EXPECT_EQ(cpu_ras[2], 0x0123);
    EXPECT_EQ(cpu_psu, PSU_II | 0x03);
    EXPECT_EQ(cpu_irq_level, 2);
    EXPECT_EQ(cpu_irq_pending, 0u);
    EXPECT_EQ(cpu_cycles, 109u);
    EXPECT_EQ(cpu_op_cycles, 3u);
    EXPECT_EQ(cpu_saved_context.psl, 0x5A);
    EXPECT_EQ(cpu_saved_context.psu, 0x02);
    EXPECT_EQ(cpu_saved_context.regs[3], 0x33);
}

TEST_F(ExecInterrupt, InhibitKeepsTheRequestPendingUntilRete) {
    cpu_iar = 0x0100;
    request();
    cpu_irq_pending = 1; // a second request while the first is serviced
    cpu_interrupt();
    EXPECT_EQ(cpu_iar, 0x0003);
    EXPECT_EQ(cpu_psu & PSU_SP, 1);
    EXPECT_EQ(cpu_irq_pending, 1u);
    // RETE,gt with CC = eq falls through; RETE,un returns and takes the pending
    // request at once (9 + 9 clock periods); the second time it ends the level.
    // clang-format off
    run_steps({
        {0x0003, {0x35}, {{PSL, CC_ZERO}}, 9, {{IAR, 0x0004}, {PSU, PSU_II | 1}}},
        {0x0004, {0x37}, {}, 18, {{IAR, 0x0003}, {RAS(0), 0x0100}, {PSU, PSU_II | 1}, {IRQ, 0}}},
        {0x0003, {0x35}, {}, 9, {{IAR, 0x0004}}},
        {0x0004, {0x37}, {}, 9, {{IAR, 0x0100}, {PSU, 0}}},
    });
    // clang-format on
    EXPECT_EQ(cpu_irq_level, CPU_NO_IRQ_LEVEL);
}

// CPSU $20, and LPSU with r0 = 0, let a pending request in after the instruction.
TEST_F(ExecInterrupt, ClearingInhibitLetsAPendingRequestIn) {
    run_steps(
        {{0x0200, {0x74, 0x20}, {{PSU, PSU_II}, {IRQ, 1}}, 18, {{IAR, 3}, {RAS(0), 0x0202}}},
         {0x0203, {0x92}, {{PSU, PSU_II}, {R(0), 0}, {IRQ, 1}}, 15, {{IAR, 3}, {RAS(0), 0x0204}}}});
}

TEST_F(ExecInterrupt, VectorsOfTheMachines) {
    load(0x1FF4, {0xF2, 0x34}); // the PHUNSY's pointer, high byte masked to 13 bits
    const struct {
        u32 machine, memmap, phunsy_bios, phunsy_select;
        u16 vector;
    } rows[] = {
        {ZACCARIA, 24, 0, 0, 0x000A}, {MIKIT, 0, 0, 0, 0x0000},  // no vector of its own
        {PHUNSY, 0, 0, 6, 0x1FEC},    {PHUNSY, 0, 0, 0, 0x1234}, // bit 1 wins over bit 2
        {PHUNSY, 0, 1, 0, 0x001D},
    };
    for (const auto& r : rows) {
        cpu_reset_state();
        machine = r.machine;
        memmap = r.memmap;
        machine_bus_install();
        phunsy_biosversion = r.phunsy_bios;
        phunsy_irq_select = r.phunsy_select;
        cpu_iar = 0x0400;
        request();
        EXPECT_EQ(cpu_iar, r.vector) << r.machine;
    }
}

TEST_F(ExecInterrupt, InstructorIndirectVectorCostsFiveCycles) {
    machine = INSTRUCTOR;
    memmap = 14;
    machine_bus_install();
    si50_interrupts = 1;
    load(0x0007, {0x8A, 0x34});
    request();
    EXPECT_EQ(cpu_iar, 0x0A34);
    EXPECT_EQ(cpu_cycles, 15u);
    EXPECT_EQ(cpu_op_cycles, 5u);
    EXPECT_TRUE(mem_access[0x0007] & ACC_INDIRECT);

    cpu_reset_state();
    si50_interrupts = 0;
    request();
    EXPECT_EQ(cpu_iar, 0x0007);
    EXPECT_EQ(cpu_cycles, 24u);
}

// Port $EA gates two sources: bit 5 the printer (priority 10), bit 4 the
// floppy disk (priority 11); every other source is always eligible. The
// highest eligible priority is taken and only its request is cleared.
TEST_F(ExecInterrupt, TwinTakesTheHighestEligiblePriority) {
    const struct {
        u8 enables;
        int taken;
    } cases[] = {
        {0x00, 14}, {0x10, 11}, {0x20, 10}, {0x30, 10}, {0xCF, 14},
    };
    machine = TWIN;
    memmap = 12;
    twin_setup(); // the master board runs, whichever board a TWIN before left running
    machine_bus_install();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "enables $" << std::hex << int{c.enables});
        cpu_reset_state();
        for (int p : {10, 11, 14})
            twin_irq_pending[p] = 1;
        port_records[0xEA].last_value = c.enables;
        request();
        EXPECT_EQ(twin_irq_current, c.taken);
        EXPECT_EQ(cpu_iar, 2 * c.taken);
        for (int p : {10, 11, 14}) {
            EXPECT_EQ(twin_irq_pending[p], p == c.taken ? 0 : 1) << p;
            twin_irq_pending[p] = 0;
        }
    }

    // Only a source that is not enabled: no acceptance until it is.
    cpu_reset_state();
    twin_irq_pending[11] = 1;
    port_records[0xEA].last_value = 0;
    cpu_iar = 0x0500;
    request();
    EXPECT_EQ(twin_irq_current, 32);
    EXPECT_EQ(cpu_irq_pending, 1u);
    EXPECT_EQ(cpu_iar, 0x0500);
    port_records[0xEA].last_value = 0x10;
    cpu_interrupt();
    EXPECT_EQ(twin_irq_current, 11);
    EXPECT_EQ(cpu_iar, 0x0016);
    port_records[0xEA].last_value = 0;
}

// An interrupt taken at the seventh level of calls fills the stack's last
// slot without a report; one taken at the eighth writes over the oldest
// return address and is reported.
TEST_F(ExecInterrupt, StackOverflowAtAcceptance) {
    for (u16 level = 0; level < 8; ++level)
        load(static_cast<u16>(0x0200 + 0x10 * level),
             {0x3F, 0x02, static_cast<u8>(0x10 * (level + 1))});
    loginterrupts = 1;
    OutputCapture out;
    cpu_iar = 0x0200;
    steps(7);
    request();
    EXPECT_EQ(cpu_ras[7], 0x0270);
    EXPECT_EQ(cpu_psu, PSU_II);
    EXPECT_EQ(cpu_irq_level, 7);
    EXPECT_EQ(count_of(out.text(), "stack overflow"), 0) << out.text();

    cpu_reset();
    cpu_iar = 0x0200;
    steps(8);
    request();
    EXPECT_EQ(cpu_ras[0], 0x0280);
    EXPECT_EQ(cpu_psu, PSU_II | 1);
    EXPECT_EQ(cpu_irq_level, 0);
    const std::string text = out.text();
    EXPECT_EQ(count_of(text, "Interrupt has caused a stack overflow!"), 1);
    EXPECT_EQ(count_of(text, "Handling interrupt at rastline"), 2);
}

TEST_F(ExecInterrupt, RestoredContextCheckNamesChangedRegisters) {
    load(0x0003, {0x06, 0x99, 0x37}); // LODI r2,$99 ; RETE,un
    cpu_iar = 0x0100;
    cpu_regs[2] = 0x11;
    loginterrupts = 1;
    OutputCapture out;
    request();
    steps(2);
    const std::string text = out.text();
    EXPECT_EQ(
        count_of(text, "R2 has not been restored correctly at $100 (old $11 vs. new $99)!\n\n"), 1);
    EXPECT_EQ(count_of(text, "has not been restored correctly"), 2); // R2, and PSL's CC
    EXPECT_NE(text.find("PSL has not been restored correctly"), std::string::npos);
    EXPECT_NE(text.find(" CC (Condition Code) is different.\n"), std::string::npos);

    // A change of the sense input meanwhile is no fault of the handler.
    load(0x0003, {0x37});
    cpu_iar = 0x0100;
    OutputCapture quiet;
    request();
    cpu_psu |= PSU_S;
    step();
    EXPECT_EQ(count_of(quiet.text(), "not been restored"), 0);
}

TEST_F(ExecInterrupt, HaltWaitsForAnInterruptAndResumesAfterIt) {
    load(0x0100, {0x40, 0x04, 0x77, 0x40});
    load(0x0003, {0x37});
    cpu_iar = 0x0100;
    logillegal = 1;
    OutputCapture out;
    EXPECT_EQ(steps(2), 12u);
    EXPECT_EQ(cpu_iar, 0x0100);
    request();
    EXPECT_EQ(cpu_ras[0], 0x0101);
    steps(3); // RETE, LODI r0,$77, HALT
    EXPECT_EQ(cpu_regs[0], 0x77);
    EXPECT_EQ(cpu_iar, 0x0103);
    // HALT is reported again after an acceptance.
    EXPECT_EQ(count_of(out.text(), "executed HALT opcode!"), 2);

    // An interrupt arriving when the IAR merely points at a HALT returns to it.
    cpu_reset_state();
    cpu_iar = 0x0100;
    cpu_prev_iar = 0x00F0;
    request();
    EXPECT_EQ(cpu_ras[0], 0x0100);
}
