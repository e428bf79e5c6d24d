// Branches, calls, returns and the eight-level return-address stack.
#include "exec_fixture.h"

using ExecBranch = ExecTest;

TEST_F(ExecBranch, BranchesInEveryMode) {
    // clang-format off
    run_steps({
        // Relative: BCTR,eq taken, BCFR,eq and BCTR,lt not taken, BCFR,gt taken, a wrapped target.
        {0x0100, {0x18, 0x10}, {{PSL, CC_ZERO}}, 9, {{IAR, 0x0112}, {PREV_IAR, 0x0100}}},
        {0x0102, {0x98, 0x10}, {}, 9, {{IAR, 0x0104}}},
        {0x0104, {0x1A, 0x10}, {}, 9, {{IAR, 0x0106}}},
        {0x0106, {0x99, 0x10}, {}, 9, {{IAR, 0x0118}}},
        {0x2000, {0x1B, 0x40}, {}, 9, {{IAR, 0x3FC2}}},
        // Absolute branches cross pages; the indirect one costs two more cycles.
        {0x0100, {0x1F, 0x45, 0x00}, {}, 9, {{IAR, 0x4500}}},
        {0x4500, {0x1F, 0x80, 0x50}, {{0x0050, 0x12}, {0x0051, 0x34}}, 15,
                 {{IAR, 0x1234}, {OP_CYCLES, 5}}},
        // Counting: BIRR r1 $FF->0 and BDRR r1 1->0 fall through, BDRR r1 0->$FF is taken,
        // BRNR r2 with r2 = 0 falls through; none of them touches CC.
        {0x0000, {0xD9, 0x10}, {{R(1), 0xFF}, {PSL, CC_NEGATIVE}}, 9, {{R(1), 0}, {IAR, 2}}},
        {0x0002, {0xF9, 0x10}, {{R(1), 1}}, 9, {{R(1), 0}, {IAR, 4}}},
        {0x0004, {0xF9, 0x10}, {}, 9, {{R(1), 0xFF}, {IAR, 0x0016}}},
        {0x0006, {0x5A, 0x10}, {{R(2), 0}}, 9, {{IAR, 8}, {CC, CC_NEGATIVE}}},
        // Zero-page branches (ZBRR, ZBSR, ZBRR indirect) reach both ends of page zero.
        {0x6000, {0x9B, 0x7F}, {}, 9, {{IAR, 0x1FFF}}},
        {0x6100, {0xBB, 0x7F}, {{PSU, 0}}, 9, {{IAR, 0x1FFF}, {RAS(0), 0x6102}, {SP, 1}}},
        {0x4000, {0x9B, 0x85}, {{0x0005, 0x23}, {0x0006, 0x45}}, 15, {{IAR, 0x2345}}},
        // Indexed: BXA $7FFF,r3 wraps round the whole space; BSXA $0300,r6 with RS set.
        {0x0100, {0x9F, 0x7F, 0xFF}, {{PSL, 0}, {R(3), 2}}, 9, {{IAR, 0x0001}}},
        {0x0200, {0xBF, 0x03, 0x00}, {{PSL, PSL_RS}, {R(3), 0x10}, {R(6), 0x20}, {PSU, 0}}, 9,
                 {{IAR, 0x0320}, {RAS(0), 0x0203}}},
    });
    // clang-format on
    for (u32 a : {0x4500, 0x1234})
        EXPECT_TRUE(mem_access[a] & ACC_BRANCH) << std::hex << a;
    EXPECT_TRUE(mem_access[0x0016] & ACC_LOOP_TARGET);
    EXPECT_TRUE(mem_access[0x0004] & ACC_LOOP_SOURCE);
}

// BSTA,un and BSTR,un push; RETC,lt is not taken with CC = eq, RETC,un returns
// twice; a further RETC,eq underflows and SP wraps to 7.
TEST_F(ExecBranch, CallAndReturn) {
    // clang-format off
    run_steps({
        {0x0100, {0x3F, 0x05, 0x00}, {}, 9, {{IAR, 0x0500}, {RAS(0), 0x0103}}},
        {0x0500, {0x3B, 0x10}, {}, 9, {{RAS(1), 0x0502}, {SP, 2}}},
        {0x0512, {0x16}, {{PSL, CC_ZERO}}, 9, {{IAR, 0x0513}}},
        {0x0513, {0x17}, {}, 9, {{IAR, 0x0502}}},
        {0x0502, {0x17}, {}, 9, {{IAR, 0x0103}, {SP, 0}}},
        {0x0103, {0x14}, {}, 9, {{SP, 7}}},
    });
    // clang-format on
    EXPECT_EQ(mem_access[0x0500] & (ACC_CALL | ACC_DEPTH_MASK), ACC_CALL | (1u << ACC_DEPTH_SHIFT));
}

// The call history of a routine holds the stack depth of its latest call,
// shallower or deeper than the one before; its other bits stay.
TEST_F(ExecBranch, CallDepthFollowsTheLatestCall) {
    struct Call {
        u8 sp_before;
        u32 depth_after;
    };
    mem_access[0x0500] = ACC_READ;
    for (const Call c : {Call{0, 1}, Call{2, 3}, Call{2, 3}, Call{0, 1}, Call{6, 7}, Call{7, 0}}) {
        cpu_psu = static_cast<u8>((cpu_psu & ~PSU_SP) | c.sp_before);
        at(0x0100, {0x3F, 0x05, 0x00}); // BSTA,un $0500
        step();
        ASSERT_EQ(cpu_iar, 0x0500);
        EXPECT_EQ(mem_access[0x0500] & ~ACC_READ, ACC_CALL | (c.depth_after << ACC_DEPTH_SHIFT))
            << "call from depth " << int(c.sp_before);
        EXPECT_TRUE(mem_access[0x0500] & ACC_READ);
    }
}

// BSNR r1 with r1 = 0 and BSFR,eq with CC = eq call nothing; BSNA r1 with r1 = 1 does.
TEST_F(ExecBranch, ConditionalCallsOnRegisterAndCondition) {
    run_steps({{0, {0x79, 0x10}, {{R(1), 0}, {PSL, CC_ZERO}}, 9, {{IAR, 2}}},
               {2, {0xB8, 0x20}, {}, 9, {{IAR, 4}}},
               {4, {0x7D, 0x01, 0x00}, {{R(1), 1}}, 9, {{IAR, 0x0100}, {RAS(0), 0x0007}}}});
}

// Eight nested calls fill the stack and all come back without a report; a
// ninth call writes over the oldest return address and is the one reported,
// and so is the return that then finds the stack empty.
TEST_F(ExecBranch, TheStackReportsTheNinthNestedCallNotTheEighth) {
    load(0x0000, {0x3F, 0x01, 0x00, 0x40});
    for (u16 level = 1; level < 8; ++level)
        load(static_cast<u16>(level << 8), {0x3F, static_cast<u8>(level + 1), 0x00, 0x17});
    load(0x0800, {0x17});
    logillegal = 1;
    OutputCapture out;
    steps(8);
    EXPECT_EQ(cpu_iar, 0x0800);
    EXPECT_EQ(cpu_psu & PSU_SP, 0);
    EXPECT_EQ(cpu_ras[7], 0x0703);
    steps(8);
    EXPECT_EQ(cpu_iar, 0x0003);
    EXPECT_EQ(cpu_psu & PSU_SP, 0);
    EXPECT_EQ(out.text().find("Stack"), std::string::npos) << out.text();

    load(0x0800, {0x3F, 0x09, 0x00, 0x17});
    load(0x0900, {0x17});
    cpu_iar = 0x0000;
    steps(9);
    EXPECT_EQ(cpu_iar, 0x0900);
    EXPECT_EQ(cpu_ras[0], 0x0803); // the first call's return address is gone
    steps(9);
    EXPECT_EQ(cpu_iar, 0x0803);
    const std::string text = out.text();
    EXPECT_EQ(count_of(text, "Stack overflow at"), 1) << text;
    EXPECT_EQ(count_of(text, "Stack overflow at $800!"), 1);
    EXPECT_EQ(count_of(text, "Stack underflow at"), 1) << text;
    EXPECT_EQ(count_of(text, "Stack underflow at $103!"), 1);
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

// BXA and BSXA add the index to the fetched address (or to the pointer's target)
// and resolve the sum through the board's mirror: the IAR and the stack hold the
// canonical address of (base + index), even where base + index leaves a mirror.
TEST_F(ExecBranch, IndexedBranchesResolveTheSumThroughTheMirror) {
    capture_output();
    // clang-format off
    const struct {
        int machine, map;
        StepCase step;
    } rows[] = {
        // Arcadia: $7FCB+$FE wraps to $00C9; $4FF0 ($0FF0) + $20 is $5010, a mirror of $1810;
        // the pointer at $4100 ($0100) holds $4FF0.
        {ARCADIA, 6, {0x0200, {0xBF, 0x7F, 0xCB}, {{PSL, 0}, {PSU, 0x20}, {R(3), 0xFE}}, 9,
                      {{IAR, 0x00C9}, {RAS(0), 0x0203}}}},
        {ARCADIA, 6, {0x0200, {0x9F, 0x4F, 0xF0}, {{PSL, 0}, {R(3), 0x20}}, 9, {{IAR, 0x1810}}}},
        {ARCADIA, 6, {0x0200, {0xBF, 0xC1, 0x00}, {{PSL, 0}, {PSU, 0x20}, {R(3), 0x20},
                      {0x0100, 0x4F}, {0x0101, 0xF0}}, 15, {{IAR, 0x1810}, {RAS(0), 0x0203}}}},
        {ARCADIA, 8, {0x0200, {0x9F, 0x1B, 0xF0}, {{PSL, 0}, {R(3), 0x20}}, 9, {{IAR, 0x1C10}}}},
        // PVI consoles: $15F8 ($11F8) + $10 is $1608, a mirror of $1E08; $1DF0 ($19F0) + r6 is
        // $1E10; $7FF0 + $20 wraps to $0010; the pointer at $2100 ($0100) holds $1DF8.
        {INTERTON, 2, {0x0200, {0x9F, 0x15, 0xF8}, {{PSL, 0}, {R(3), 0x10}}, 9, {{IAR, 0x1E08}}}},
        {INTERTON, 3, {0x0200, {0xBF, 0x1D, 0xF0}, {{PSL, PSL_RS}, {PSU, 0x20}, {R(3), 0x05},
                      {R(6), 0x20}}, 9, {{IAR, 0x1E10}, {RAS(0), 0x0203}}}},
        {INTERTON, 0, {0x0200, {0x9F, 0x7F, 0xF0}, {{PSL, 0}, {R(3), 0x20}}, 9, {{IAR, 0x0010}}}},
        {INTERTON, 3, {0x0200, {0x9F, 0xA1, 0x00}, {{PSL, 0}, {R(3), 0x10}, {0x0100, 0x1D},
                      {0x0101, 0xF8}}, 15, {{IAR, 0x1E08}}}},
        // Coin-op boards: $3FF0 ($1FF0) + $20 is $4010; the pointer at $3800 ($1800) holds $7FF0.
        {ZACCARIA, 22, {0x0200, {0x9F, 0x3F, 0xF0}, {{PSL, 0}, {R(3), 0x20}}, 9, {{IAR, 0x4010}}}},
        {ZACCARIA, 24, {0x0200, {0xBF, 0xB8, 0x00}, {{PSL, 0}, {PSU, 0x20}, {R(3), 0x20},
                       {0x1800, 0x7F}, {0x1801, 0xF0}}, 15, {{IAR, 0x0010}, {RAS(0), 0x0203}}}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "machine " << row.machine << " map " << row.map);
        ASSERT_TRUE(machine_switch(row.machine, row.map, false, false, false));
        ASSERT_EQ(memmap, static_cast<u32>(row.map));
        run_steps({row.step});
    }
}
