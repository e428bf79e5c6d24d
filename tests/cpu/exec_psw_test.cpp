// Program-status instructions on the 2650 and the 2650B, the undefined
// opcodes and HALT.
#include "exec_fixture.h"

using ExecPsw = ExecTest;

// S is an input and never written; the 2650 has no UF1 and UF2 either.
TEST_F(ExecPsw, StatusInstructionsOnBothVariants) {
    const u8 WC = PSL_WC, C = PSL_C;
    // clang-format off
    run_steps({
        // SPSU, SPSL: CC from the copy in r0.
        {0, {0x12}, {{PSU, PSU_S | PSU_II | 5}, {PSL, CC_POSITIVE | WC}}, 6,
         {{R(0), 0xA5}, {CC, CC_NEGATIVE}}},
        {1, {0x13}, {{PSL, CC_POSITIVE | WC | C}}, 6, {{R(0), 0x49}, {PSL, CC_POSITIVE | WC | C}}},
        // LPSL takes all eight bits; CPSL $0F; PPSL $09; TPSL $C0 (CC is cleared before the
        // test, so never all set); TPSL $09 (WC and C set); TPSU $40 (F set); TPSU $C0 (S clear).
        {0, {0x93}, {{R(0), 0xDF}}, 6, {{PSL, 0xDF}}},
        {0, {0x75, 0x0F}, {}, 9, {{PSL, 0xD0}}},
        {0, {0x77, 0x09}, {}, 9, {{PSL, 0xD9}}},
        {0, {0xB5, 0xC0}, {}, 9, {{PSL, 0x99}}},
        {0, {0xB5, 0x09}, {}, 9, {{CC, CC_ZERO}}},
        {0, {0xB4, 0x40}, {{PSU, PSU_F}}, 9, {{CC, CC_ZERO}}},
        {0, {0xB4, 0xC0}, {}, 9, {{CC, CC_NEGATIVE}}},
        // 2650: LPSU loads F II SP only; CPSU and PPSU $FF leave S, UF1 and UF2 alone.
        {0, {0x92}, {{PSU, PSU_S}, {R(0), 0xFF}}, 6, {{PSU, 0xE7}}},
        {0, {0x92}, {{PSU, PSU_S}, {R(0), 0x00}}, 6, {{PSU, PSU_S}}},
        {0, {0x74, 0xFF}, {{PSU, 0xFF}}, 9, {{PSU, 0x98}}},
        {0, {0x76, 0xFF}, {{PSU, 0x00}}, 9, {{PSU, 0x67}}},
    });
    use_2650b();
    run_steps({
        {0, {0x92}, {{PSU, 0x00}, {R(0), 0xFF}}, 6, {{PSU, 0x7F}}},
        {0, {0x74, 0xFF}, {{PSU, 0xFF}}, 9, {{PSU, 0x80}}},
        {0, {0x76, 0xFF}, {{PSU, 0x00}}, 9, {{PSU, 0x7F}}},
    });
    // clang-format on
}

TEST_F(ExecPsw, LdplAndStplOn2650BAreUndefinedOn2650) {
    load(0x0510, {0x05, 0x00}); // pointer of the indirect LDPL
    use_2650b();
    // clang-format off
    run_steps({ // LDPL $0500, STPL $0501, LDPL *$0510
        {0x0100, {0x10, 0x05, 0x00}, {{0x0500, 0xA5}}, 12, {{PSL, 0xA5}, {IAR, 0x0103}}},
        {0x0103, {0x11, 0x05, 0x01}, {}, 12, {{0x0501, 0xA5}}},
        {0x0106, {0x10, 0x85, 0x10}, {{PSL, 0}}, 18, {{PSL, 0xA5}}},
    });
    cpu_type = CPU_2650;
    cpu_reset_op_tables();
    run_steps({{0x0100, {}, {{PSL, 0}}, 6, {{IAR, 0x0101}, {PSL, 0}}}}); // undefined: one byte
    machine = INTERTON; // the Interton skips three bytes for $10, one for $11
    machine_bus_install();
    run_steps({{0x0100, {}, {}, 6, {{IAR, 0x0103}}}, {0x0103, {}, {}, 6, {{IAR, 0x0104}}}});
    // clang-format on
}

TEST_F(ExecPsw, UndefinedOpcodesAdvanceAndReport) {
    load(0, {0x90, 0xB6, 0x12, 0xC7, 0x00});
    cpu_regs[0] = 0x42;
    logillegal = 1;
    OutputCapture out;
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
    OutputCapture out;
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
    // PPSU $20 drops the request; CPSU $20 then has nothing to let in.
    run_steps({{0, {0x76, 0x20}, {{IRQ, 1}}, 9, {{IRQ, 0}, {PSU, PSU_II}}},
               {2, {0x74, 0x20}, {}, 9, {{IAR, 4}, {PSU, 0}}}});

    // LPSU drops it too, and the interrupt log says so.
    cpu_iar = 0;
    loginterrupts = 1;
    load(0, {0x92});
    cpu_regs[0] = PSU_II;
    cpu_irq_pending = 1;
    OutputCapture out;
    step();
    EXPECT_EQ(cpu_irq_pending, 0u);
    const std::string text = out.text();
    EXPECT_NE(text.find("Cleared pending interrupt!\n"), std::string::npos);
    EXPECT_NE(text.find(": interrupts are now inhibited (disabled).\n\n"), std::string::npos);
}
