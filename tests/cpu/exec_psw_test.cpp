// Program-status instructions on the 2650 and the 2650B, the undefined
// opcodes and HALT.
#include "exec_fixture.h"

using ExecPsw = ExecTest;

TEST_F(ExecPsw, StoreStatusIntoR0) {
    load(0, {0x12, 0x13});
    cpu_psu = PSU_S | PSU_II | 0x05;
    cpu_psl = CC_POSITIVE | PSL_WC;
    EXPECT_EQ(step(), 6u); // SPSU
    EXPECT_EQ(cpu_regs[0], 0xA5);
    EXPECT_EQ(cc(), CC_NEGATIVE);
    cpu_psl = CC_POSITIVE | PSL_WC | PSL_C;
    EXPECT_EQ(step(), 6u); // SPSL: r0 = $49, CC from it (positive)
    EXPECT_EQ(cpu_regs[0], 0x49);
    EXPECT_EQ(cpu_psl, CC_POSITIVE | PSL_WC | PSL_C);
}

// S is an input and never written; the 2650 has no UF1 and UF2 either.
TEST_F(ExecPsw, LoadClearAndPresetPsuFollowTheVariant) {
    const struct {
        bool model_b;
        u8 opcode, operand, psu, r0, psu_after;
        u32 clocks;
    } cases[] = {
        {false, 0x92, 0x00, PSU_S, 0xFF, 0xE7, 6},  // LPSU: F II SP loaded
        {false, 0x92, 0x00, PSU_S, 0x00, PSU_S, 6}, // LPSU
        {false, 0x74, 0xFF, 0xFF, 0x00, 0x98, 9},   // CPSU $FF
        {false, 0x76, 0xFF, 0x00, 0x00, 0x67, 9},   // PPSU $FF
        {true, 0x92, 0x00, 0x00, 0xFF, 0x7F, 6},    // LPSU
        {true, 0x74, 0xFF, 0xFF, 0x00, 0x80, 9},    // CPSU $FF
        {true, 0x76, 0xFF, 0x00, 0x00, 0x7F, 9},    // PPSU $FF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.opcode) << " 2650B " << c.model_b);
        if (c.model_b) use_2650b();
        load(0, {c.opcode, c.operand});
        cpu_iar = 0;
        cpu_psu = c.psu;
        cpu_regs[0] = c.r0;
        EXPECT_EQ(step(), c.clocks);
        EXPECT_EQ(cpu_psu, c.psu_after);
    }
}

TEST_F(ExecPsw, PslLoadClearPresetAndTests) {
    load(0, {0x93, 0x75, 0x0F, 0x77, 0x09, 0xB5, 0xC0, 0xB5, 0x09, 0xB4, 0x40, 0xB4, 0xC0});
    cpu_regs[0] = 0xDF;
    EXPECT_EQ(step(), 6u); // LPSL takes all eight bits
    EXPECT_EQ(cpu_psl, 0xDF);
    EXPECT_EQ(step(), 9u); // CPSL $0F
    EXPECT_EQ(cpu_psl, 0xD0);
    step(); // PPSL $09
    EXPECT_EQ(cpu_psl, 0xD9);
    EXPECT_EQ(step(), 9u); // TPSL $C0: CC is cleared before the test, so never all set
    EXPECT_EQ(cpu_psl, 0x99);
    step(); // TPSL $09: WC and C are set
    EXPECT_EQ(cc(), CC_ZERO);
    cpu_psu = PSU_F;
    EXPECT_EQ(step(), 9u); // TPSU $40
    EXPECT_EQ(cc(), CC_ZERO);
    step(); // TPSU $C0: S is clear
    EXPECT_EQ(cc(), CC_NEGATIVE);
}

TEST_F(ExecPsw, LdplAndStplOn2650BAreUndefinedOn2650) {
    load(0x0100, {0x10, 0x05, 0x00, 0x11, 0x05, 0x01, 0x10, 0x85, 0x10});
    load(0x0500, {0xA5, 0x00});
    load(0x0510, {0x05, 0x00}); // pointer of the indirect LDPL
    use_2650b();
    cpu_iar = 0x0100;
    EXPECT_EQ(step(), 12u); // LDPL $0500
    EXPECT_EQ(cpu_psl, 0xA5);
    EXPECT_EQ(cpu_iar, 0x0103);
    EXPECT_EQ(step(), 12u); // STPL $0501
    EXPECT_EQ(guest_memory[0x0501], 0xA5);
    cpu_psl = 0;
    EXPECT_EQ(step(), 18u); // LDPL *$0510
    EXPECT_EQ(cpu_psl, 0xA5);

    cpu_type = CPU_2650;
    cpu_reset_op_tables();
    cpu_iar = 0x0100;
    cpu_psl = 0;
    EXPECT_EQ(step(), 6u); // undefined: one byte
    EXPECT_EQ(cpu_iar, 0x0101);
    EXPECT_EQ(cpu_psl, 0);
    machine = INTERTON;
    cpu_iar = 0x0100;
    step(); // the Interton skips three bytes for $10
    EXPECT_EQ(cpu_iar, 0x0103);
    step(); // $11: one byte
    EXPECT_EQ(cpu_iar, 0x0104);
}

TEST_F(ExecPsw, UndefinedOpcodesAdvanceAndReport) {
    load(0, {0x90, 0xB6, 0x12, 0xC7, 0x00});
    cpu_regs[0] = 0x42;
    logillegal = 1;
    ConsoleCapture out;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_iar, 1);
    EXPECT_EQ(pause_pending, 0); // "pauselog" is off
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_iar, 3);
    step();
    EXPECT_EQ(cpu_iar, 5);
    EXPECT_EQ(cpu_regs[0], 0x42);
    EXPECT_EQ(cpu_psl, 0);
    const std::string text = out.text();
    EXPECT_NE(text.find("Instruction at $0 executed undefined opcode $90!"), std::string::npos);
    EXPECT_NE(text.find("Instruction at $1 executed undefined opcode $B6!"), std::string::npos);
    EXPECT_NE(text.find("undefined opcode $C7!"), std::string::npos);
}

TEST_F(ExecPsw, HaltRepeatsAndReportsOnce) {
    at(0x0200, {0x40});
    cpu_psu = PSU_II;
    logillegal = 1;
    ConsoleCapture out;
    EXPECT_EQ(steps(3), 18u);
    EXPECT_EQ(cpu_iar, 0x0200);
    EXPECT_EQ(cpu_prev_iar, 0x0200);
    const std::string text = out.text();
    EXPECT_EQ(count_of(text, "executed HALT opcode!"), 1);
    EXPECT_EQ(count_of(text, "Warning: interrupts are inhibited!"), 1);

    use_2650b();
    EXPECT_EQ(step(), 3u);
}

TEST_F(ExecPsw, SettingInhibitDropsAPendingRequestAndLogsIt) {
    load(0, {0x76, 0x20, 0x74, 0x20});
    cpu_irq_pending = 1;
    step(); // PPSU $20
    EXPECT_EQ(cpu_irq_pending, 0u);
    EXPECT_TRUE(cpu_psu & PSU_II);
    step(); // CPSU $20: nothing pending, nothing accepted
    EXPECT_EQ(cpu_iar, 4);
    EXPECT_FALSE(cpu_psu & PSU_II);

    // LPSU drops it too, and the interrupt log says so.
    cpu_iar = 0;
    loginterrupts = 1;
    load(0, {0x92});
    cpu_regs[0] = PSU_II;
    cpu_irq_pending = 1;
    ConsoleCapture out;
    step();
    EXPECT_EQ(cpu_irq_pending, 0u);
    const std::string text = out.text();
    EXPECT_NE(text.find("Cleared pending interrupt!\n"), std::string::npos);
    EXPECT_NE(text.find(": interrupts are now inhibited (disabled).\n\n"), std::string::npos);
}

TEST_F(ExecPsw, StackPointerChangesAreReported) {
    load(0, {0x76, 0x02, 0x74, 0x07, 0x74, 0x01});
    logillegal = 1;
    ConsoleCapture out;
    step(); // PPSU $02 sets an SP bit
    step(); // CPSU $07 resets the whole SP: no report
    cpu_psu = 0x01;
    step(); // CPSU $01 clears a set SP bit
    EXPECT_EQ(count_of(out.text(), "is modifying the SP at"), 2);
}
