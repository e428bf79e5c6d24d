// Branches, calls, returns and the eight-level return-address stack.
#include "exec_fixture.h"

using ExecBranch = ExecTest;

TEST_F(ExecBranch, RelativeBranchesTakenNotTakenAndWrapped) {
    at(0x0100, {0x18, 0x10, 0x98, 0x10, 0x1A, 0x10, 0x99, 0x10});
    cpu_psl = CC_ZERO;
    EXPECT_EQ(step(), 9u); // BCTR,eq taken
    EXPECT_EQ(cpu_iar, 0x0112);
    EXPECT_EQ(cpu_prev_iar, 0x0100);
    cpu_iar = 0x0102;
    EXPECT_EQ(step(), 9u); // BCFR,eq not taken
    EXPECT_EQ(cpu_iar, 0x0104);
    step(); // BCTR,lt not taken with CC = eq
    EXPECT_EQ(cpu_iar, 0x0106);
    step(); // BCFR,gt taken
    EXPECT_EQ(cpu_iar, 0x0118);

    at(0x2000, {0x1B, 0x40}); // the target wraps inside the page
    step();
    EXPECT_EQ(cpu_iar, 0x3FC2);
}

TEST_F(ExecBranch, AbsoluteBranchesCrossPagesAndIndirectCostsMore) {
    load(0x0100, {0x1F, 0x45, 0x00});
    load(0x4500, {0x1F, 0x80, 0x50});
    load(0x0050, {0x12, 0x34});
    cpu_iar = 0x0100;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu_iar, 0x4500);
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(cpu_op_cycles, 5u);
    EXPECT_EQ(cpu_iar, 0x1234);
    EXPECT_TRUE(mem_access[0x4500] & ACC_BRANCH);
    EXPECT_TRUE(mem_access[0x1234] & ACC_BRANCH);
}

TEST_F(ExecBranch, CountingBranches) {
    load(0, {0xD9, 0x10, 0xF9, 0x10, 0xF9, 0x10, 0x5A, 0x10});
    cpu_regs[1] = 0xFF;
    step(); // BIRR r1: $FF -> 0, falls through
    EXPECT_EQ(cpu_regs[1], 0x00);
    EXPECT_EQ(cpu_iar, 2);
    cpu_regs[1] = 0x01;
    step(); // BDRR r1: 1 -> 0, falls through
    EXPECT_EQ(cpu_regs[1], 0x00);
    EXPECT_EQ(cpu_iar, 4);
    EXPECT_EQ(step(), 9u); // BDRR r1: 0 -> $FF, taken
    EXPECT_EQ(cpu_regs[1], 0xFF);
    EXPECT_EQ(cpu_iar, 0x0016);
    EXPECT_TRUE(mem_access[0x0016] & ACC_LOOP_TARGET);
    EXPECT_TRUE(mem_access[0x0004] & ACC_LOOP_SOURCE);
    cpu_iar = 6;
    step(); // BRNR r2 with r2 = 0 falls through
    EXPECT_EQ(cpu_iar, 8);
    EXPECT_FALSE(cpu_psl & PSL_CC); // counting leaves CC alone
}

TEST_F(ExecBranch, ZeroPageBranchesReachBothEndsOfPageZero) {
    at(0x6000, {0x9B, 0x7F});
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu_iar, 0x1FFF);

    at(0x6100, {0xBB, 0x7F}); // ZBSR from page 3
    step();
    EXPECT_EQ(cpu_iar, 0x1FFF);
    EXPECT_EQ(cpu_ras[0], 0x6102);
    EXPECT_EQ(cpu_psu & PSU_SP, 1);

    load(0x4000, {0x9B, 0x85}); // ZBRR *$0005
    load(0x0005, {0x23, 0x45});
    cpu_iar = 0x4000;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(cpu_iar, 0x2345);
}

TEST_F(ExecBranch, IndexedBranchAddsR3OrR6) {
    at(0x0100, {0x9F, 0x7F, 0xFF});
    cpu_regs[3] = 2;
    step();
    EXPECT_EQ(cpu_iar, 0x0001); // $7FFF + 2 wraps round the whole space

    at(0x0200, {0xBF, 0x03, 0x00}); // BSXA $0300,r6 with RS set
    cpu_psl = PSL_RS;
    cpu_regs[3] = 0x10;
    cpu_regs[6] = 0x20;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu_iar, 0x0320);
    EXPECT_EQ(cpu_ras[0], 0x0203);
}

TEST_F(ExecBranch, CallAndReturn) {
    load(0x0100, {0x3F, 0x05, 0x00, 0x14, 0x17});
    load(0x0500, {0x3B, 0x10, 0x17});
    load(0x0512, {0x16, 0x17});
    cpu_iar = 0x0100;
    EXPECT_EQ(step(), 9u); // BSTA,un $0500
    EXPECT_EQ(cpu_iar, 0x0500);
    EXPECT_EQ(cpu_ras[0], 0x0103);
    EXPECT_EQ(mem_access[0x0500] & (ACC_CALL | ACC_DEPTH_MASK), ACC_CALL | (1u << ACC_DEPTH_SHIFT));
    step(); // BSTR,un $0512
    EXPECT_EQ(cpu_ras[1], 0x0502);
    EXPECT_EQ(cpu_psu & PSU_SP, 2);
    cpu_psl = CC_ZERO;
    EXPECT_EQ(step(), 9u); // RETC,lt not taken
    EXPECT_EQ(cpu_iar, 0x0513);
    EXPECT_EQ(step(), 9u); // RETC,un
    EXPECT_EQ(cpu_iar, 0x0502);
    step();
    EXPECT_EQ(cpu_iar, 0x0103);
    EXPECT_EQ(cpu_psu & PSU_SP, 0);
    step(); // RETC,eq taken: underflow, SP wraps to 7
    EXPECT_EQ(cpu_psu & PSU_SP, 7);
}

TEST_F(ExecBranch, ConditionalCallsOnRegisterAndCondition) {
    load(0, {0x79, 0x10, 0xB8, 0x20, 0x7D, 0x01, 0x00});
    cpu_regs[1] = 0;
    cpu_psl = CC_ZERO;
    step(); // BSNR r1 with r1 = 0: no call
    EXPECT_EQ(cpu_iar, 2);
    step(); // BSFR,eq with CC = eq: no call
    EXPECT_EQ(cpu_iar, 4);
    cpu_regs[1] = 1;
    step(); // BSNA r1,$0100
    EXPECT_EQ(cpu_iar, 0x0100);
    EXPECT_EQ(cpu_ras[0], 0x0007);
}

// Eight nested calls fill the stack: the eighth reports an overflow although its
// return address is safe in slot 7; the first return from there reports the
// underflow, and every return still comes back to its caller.
TEST_F(ExecBranch, EightNestedCallsAndTheirReturns) {
    load(0x0000, {0x3F, 0x01, 0x00, 0x40});
    for (u16 level = 1; level < 8; ++level)
        load(static_cast<u16>(level << 8), {0x3F, static_cast<u8>(level + 1), 0x00, 0x17});
    load(0x0800, {0x17});
    logillegal = 1;
    ConsoleCapture out;
    steps(8);
    EXPECT_EQ(cpu_iar, 0x0800);
    EXPECT_EQ(cpu_psu & PSU_SP, 0);
    EXPECT_EQ(cpu_ras[7], 0x0703);
    steps(8);
    EXPECT_EQ(cpu_iar, 0x0003);
    EXPECT_EQ(cpu_psu & PSU_SP, 0);
    const std::string text = out.text();
    EXPECT_EQ(count_of(text, "Stack overflow at $700!"), 1);
    EXPECT_EQ(count_of(text, "Stack underflow at $800!"), 1);
}

TEST_F(ExecBranch, InterruptLevelMarksTargetsAndEndsOnItsReturn) {
    load(0x0100, {0x1B, 0x10, 0x00});
    load(0x0112, {0x3B, 0x10});
    cpu_iar = 0x0100;
    cpu_irq_level = 0;
    cpu_psu = 1;
    steps(2);
    EXPECT_TRUE(mem_access[0x0112] & ACC_BRANCH_IRQ);
    EXPECT_FALSE(mem_access[0x0112] & ACC_BRANCH);
    EXPECT_TRUE(mem_access[0x0124] & ACC_CALL_IRQ);

    // A return from the interrupt's own slot ends the level.
    at(0x0300, {0x17});
    cpu_psu = 3;
    cpu_ras[2] = 0x0444;
    cpu_irq_level = 2;
    step();
    EXPECT_EQ(cpu_iar, 0x0444);
    EXPECT_EQ(cpu_irq_level, CPU_NO_IRQ_LEVEL);
}

TEST_F(ExecBranch, SubroutineLogIndentsByDepth) {
    load(0, {0x3F, 0x01, 0x00});
    load(0x0100, {0x17});
    cpu_psu = 2;
    cpu_iar = 0;
    logsubroutines = 1;
    ConsoleCapture out;
    steps(2);
    const std::string text = out.text();
    EXPECT_NE(text.find("  Calling subroutine $100 from $0...\n\n"), std::string::npos);
    EXPECT_NE(text.find("  Returning to $3 from subroutine or interrupt at $100.\n\n"),
              std::string::npos);
}
