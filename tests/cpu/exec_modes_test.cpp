// Addressing modes: immediate, relative, absolute, indirect, indexed with
// auto-increment and auto-decrement, the page wrap of every computed address,
// and the access history the interpreter keeps.
#include "exec_fixture.h"

using ExecModes = ExecTest;

TEST_F(ExecModes, LoadsAndStoresInEveryMode) {
    // clang-format off
    run_steps({
        // Relative: counted from the next instruction, inside the page; -64 wraps in page 1.
        {0x0100, {0x09, 0x05}, {{0x0107, 0x11}}, 9, {{R(1), 0x11}, {EA, 0x0107}}},
        {0x0102, {0x0A, 0x7E}, {}, 9, {{R(2), 0x0A}, {EA, 0x0102}}}, // reads its own opcode
        {0x2000, {0x08, 0x40}, {{0x3FC2, 0x5C}, {0x1FC2, 0xEE}}, 9, {{R(0), 0x5C}, {EA, 0x3FC2}}},
        // Relative indirect (LODR, STRR): two more cycles.
        {0x0200, {0x08, 0x82, 0, 0, 0x12, 0x34}, {{0x1234, 0x77}}, 15,
                 {{R(0), 0x77}, {OP_CYCLES, 5}}},
        {0x0300, {0xC8, 0x82, 0, 0, 0x12, 0x40}, {}, 15, {{0x1240, 0x77}}},
        // Absolute addresses (LODA, STRA) stay in the page of the instruction.
        {0x2100, {0x0C, 0x01, 0x50}, {{0x2150, 0x99}, {0x0150, 0x11}}, 12, {{R(0), 0x99}}},
        {0x2103, {0xCD, 0x01, 0x51}, {{R(1), 0x3C}}, 12, {{0x2151, 0x3C}, {0x0151, 0x00}}},
        // A pointer at the page end takes its second byte from the page start.
        {0x2106, {0x0C, 0x9F, 0xFF}, {{0x3FFF, 5}, {0x2000, 0x67}, {0x4000, 1}, {0x0567, 0xAB}}, 18,
                 {{R(0), 0xAB}}},
        // Indexed, auto-increment (r4 with RS), auto-decrement, wrap, indirect indexed.
        {0x0000, {0x0D, 0x61, 0x00}, {{R(1), 5}, {0x0105, 0xAA}}, 12, {{R(0), 0xAA}, {R(1), 5}}},
        {0x0003, {0xCE, 0x61, 0x00}, {{R(2), 0x07}}, 12, {{0x0107, 0xAA}}},
        {0x0000, {0x0D, 0x21, 0x00}, {{PSL, PSL_RS}, {R(4), 0x0F}, {R(1), 0x33}, {0x0110, 0x5A}},
                 12, {{R(4), 0x10}, {R(0), 0x5A}, {R(1), 0x33}}},
        {0x0000, {0x0E, 0x41, 0x00}, {{PSL, 0}, {R(2), 0}, {0x01FF, 0x42}}, 12,
                 {{R(2), 0xFF}, {R(0), 0x42}}},
        {0x6100, {0x0F, 0x7F, 0xFF}, {{R(3), 2}, {0x6001, 0x61}, {0x0001, 0x99}}, 12,
                 {{EA, 0x6001}, {R(0), 0x61}}},
        {0x0000, {0x0D, 0xE1, 0x00}, {{R(1), 4}, {0x0100, 0x03}, {0x0101, 0}, {0x0304, 0x4D}}, 18,
                 {{R(0), 0x4D}}},
        // Register field 0 is always r0; with RS, LODZ r1 means r4 and STRZ r2 means r5.
        {0x0000, {0x01}, {{PSL, PSL_RS | CC_POSITIVE}, {R(1), 0x11}, {R(4), 0x84}}, 6,
                 {{R(0), 0x84}, {CC, CC_NEGATIVE}}},
        {0x0000, {0xC2}, {{R(2), 0x00}}, 6, {{R(5), 0x84}, {R(2), 0x00}}},
        {0x0000, {0x00}, {{R(0), 0}}, 6, {{CC, CC_ZERO}}},
        // The fetch wraps at the page end.
        {0x1FFF, {0x04}, {{PSL, 0}, {0x0000, 0x42}, {0x2000, 0x24}}, 6, {{R(0), 0x42}, {IAR, 1}}},
        {0x7FFF, {0x05}, {{0x6000, 0x17}}, 6, {{R(1), 0x17}, {IAR, 0x6001}}},
    });
    // clang-format on
    for (u32 a : {0x0204, 0x0205, 0x3FFF, 0x2000})
        EXPECT_TRUE(mem_access[a] & ACC_INDIRECT) << std::hex << a;
    EXPECT_TRUE(mem_access[0x1234] & ACC_READ);
    EXPECT_TRUE(mem_access[0x1240] & ACC_WRITTEN);
    EXPECT_TRUE(mem_access[0x6000] & ACC_OPERAND);
    // LODA at $2100 and STRA at $2103: opcodes, operands and the data they touched.
    EXPECT_EQ(mem_access[0x2100] & (ACC_OPCODE | ACC_OPERAND), ACC_OPCODE);
    EXPECT_EQ(mem_access[0x2101] & (ACC_OPCODE | ACC_OPERAND), ACC_OPERAND);
    EXPECT_EQ(mem_access[0x2102] & (ACC_OPCODE | ACC_OPERAND), ACC_OPERAND);
    EXPECT_TRUE(mem_access[0x2103] & ACC_OPCODE);
    EXPECT_TRUE(mem_access[0x2150] & ACC_READ);
    EXPECT_TRUE(mem_access[0x2151] & ACC_WRITTEN);
}

TEST_F(ExecModes, FetchMarksFollowTheInstructionThatRunsThereNow) {
    const auto marks = [](u16 a) { return mem_access[a] & (ACC_OPCODE | ACC_OPERAND); };
    // A one-byte instruction at the page end, then a three-byte one written
    // over it: its operands, one of them past the wrap, are marked too.
    at(0x1FFE, {0x60}); // IORZ r0
    step();
    EXPECT_EQ(marks(0x1FFE), ACC_OPCODE);
    EXPECT_EQ(marks(0x1FFF), 0u);
    at(0x1FFE, {0x0C, 0x00, 0x10}); // LODA r0,$0010
    step();
    EXPECT_EQ(marks(0x1FFF), ACC_OPERAND);
    EXPECT_EQ(marks(0x0000), ACC_OPERAND);
    // History cleared, the same instruction again: marked afresh.
    mem_clear_access();
    cpu_iar = 0x1FFE;
    step();
    EXPECT_EQ(marks(0x1FFE), ACC_OPCODE);
    EXPECT_EQ(marks(0x0000), ACC_OPERAND);
    // $10 is one byte on the 2650 and three on the 2650B.
    cpu_type = CPU_2650;
    cpu_apply_type_tables();
    ASSERT_EQ(op_length[0x10], 1u);
    at(0x0100, {0x10, 0x01, 0x80});
    step();
    EXPECT_EQ(marks(0x0101), 0u);
    use_2650b();
    cpu_iar = 0x0100;
    step();
    EXPECT_EQ(marks(0x0101), ACC_OPERAND);
    EXPECT_EQ(marks(0x0102), ACC_OPERAND);
}

// Instructions that run again once their fetch has been marked: those that
// end their page or wrap round it take their operands and the next address
// from the page's start on every run, not from the page after it; the one
// just before them, which stays inside, goes on to the page's last bytes.
TEST_F(ExecModes, InstructionsAtThePageEndWrapOnEveryRun) {
    load(0x1FFB, {0x84, 0x01});       // ADDI r0,$01
    load(0x1FFD, {0x0C, 0x01, 0x80}); // LODA r0,$0180: the next address wraps
    load(0x3FFF, {0x06, 0x77});       // LODI r2,$77: the operand wraps
    load(0x5FFE, {0x0D, 0x01, 0x90}); // LODA r1,$4190: the low address byte wraps
    load(0x7FFF, {0x3F, 0x02, 0x00}); // BSTA,un $0200: the return address wraps
    guest_memory[0x0180] = 0x5A;
    guest_memory[0x4190] = 0x3C;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        cpu_psu = 0;
        cpu_iar = 0x1FFB;
        EXPECT_EQ(step(), 6u);
        EXPECT_EQ(cpu_iar, 0x1FFD);
        EXPECT_EQ(step(), 12u);
        EXPECT_EQ(cpu_regs[0], 0x5A);
        EXPECT_EQ(cpu_iar, 0x0000);
        EXPECT_EQ(cpu_prev_iar, 0x1FFD);
        cpu_iar = 0x3FFF;
        step();
        EXPECT_EQ(cpu_regs[2], 0x77);
        EXPECT_EQ(cpu_iar, 0x2001);
        cpu_iar = 0x5FFE;
        step();
        EXPECT_EQ(cpu_regs[1], 0x3C);
        EXPECT_EQ(cpu_iar, 0x4001);
        cpu_iar = 0x7FFF;
        EXPECT_EQ(step(), 9u);
        EXPECT_EQ(cpu_iar, 0x0200);
        EXPECT_EQ(cpu_ras[0], 0x6002);
    }
}

TEST_F(ExecModes, TheWrapIsReportedOnce) {
    logillegal = 1;
    at(0x1FFE, {0xC0, 0xC0});
    OutputCapture out;
    steps(2);
    EXPECT_EQ(cpu_iar, 0x0000);
    EXPECT_EQ(count_of(out.text(), "IAR has wrapped after instruction at"), 1);
}

TEST_F(ExecModes, MirroredDataAccessesUseTheCanonicalAddress) {
    load(0, {0x0C, 0x15, 0x00, 0xCC, 0x15, 0x01}); // LODA r0,$1500 ; STRA r0,$1501
    for (u32 a = 0x1500; a < 0x1600; ++a) {
        mem_read_mirror[a] = static_cast<u16>(a - 0x0100);
        mem_write_mirror[a] = static_cast<u16>(a - 0x0100);
    }
    guest_memory[0x1400] = 0x3E;
    steps(2);
    EXPECT_EQ(cpu_regs[0], 0x3E);
    EXPECT_EQ(guest_memory[0x1401], 0x3E);
    EXPECT_EQ(guest_memory[0x1501], 0x00);
}

// r0 indexing itself is reported for loads and stores alike, once each, and
// only with "logillegal"; other registers and the plain form are not.
TEST_F(ExecModes, RegisterZeroAsOperandAndIndexIsReported) {
    const std::initializer_list<u8> code = {
        0x0C, 0x62, 0x00, // LODA r0,$0200,r0
        0xCC, 0x22, 0x10, // STRA r0,$0210,r0+
        0x0D, 0x62, 0x00, // LODA r1,$0200,r1
        0x0C, 0x02, 0x00, // LODA r0,$0200
    };
    for (u32 on : {0u, 1u}) {
        SCOPED_TRACE(on);
        SetUp();
        logillegal = on;
        at(0x0100, code);
        guest_memory[0x0200] = 0x05;
        OutputCapture out;
        steps(4);
        EXPECT_EQ(guest_memory[0x0216], 0x06);
        EXPECT_EQ(count_of(out.text(), "is used as an operand and index for"), on ? 2 : 0);
        EXPECT_EQ(count_of(out.text(), "index for STRA"), on ? 1 : 0);
    }
}
