// Addressing modes: immediate, relative, absolute, indirect, indexed with
// auto-increment and auto-decrement, the page wrap of every computed address,
// and the access history the interpreter keeps.
#include "exec_fixture.h"

using ExecModes = ExecTest;

TEST_F(ExecModes, RelativeLoadsCountFromTheNextInstructionInsideThePage) {
    load(0x0100, {0x09, 0x05, 0x0A, 0x7E}); // LODR r1,$+7 ; LODR r2,$-2+2
    guest_memory[0x0107] = 0x11;
    guest_memory[0x0102] = 0x0A; // LODR r2 with -2 reads its own opcode byte
    cpu_iar = 0x0100;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu_regs[1], 0x11);
    EXPECT_EQ(cpu_ea, 0x0107u);
    step();
    EXPECT_EQ(cpu_regs[2], 0x0A);
    EXPECT_EQ(cpu_ea, 0x0102u);

    load(0x2000, {0x08, 0x40}); // LODR r0,-64 from $2002 reaches $3FC2
    guest_memory[0x3FC2] = 0x5C;
    guest_memory[0x1FC2] = 0xEE;
    cpu_iar = 0x2000;
    step();
    EXPECT_EQ(cpu_regs[0], 0x5C);
    EXPECT_EQ(cpu_ea, 0x3FC2u);
}

TEST_F(ExecModes, RelativeIndirectCostsTwoMoreCycles) {
    load(0x0200, {0x08, 0x82, 0x00, 0x00, 0x12, 0x34}); // LODR r0,*$0204
    guest_memory[0x1234] = 0x77;
    cpu_iar = 0x0200;
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(cpu_op_cycles, 5u);
    EXPECT_EQ(cpu_regs[0], 0x77);
    EXPECT_TRUE(mem_access[0x0204] & ACC_INDIRECT);
    EXPECT_TRUE(mem_access[0x0205] & ACC_INDIRECT);
    EXPECT_TRUE(mem_access[0x1234] & ACC_READ);

    at(0x0300, {0xC8, 0x82, 0x00, 0x00, 0x12, 0x40}); // STRR r0,*$0304
    EXPECT_EQ(step(), 15u);
    EXPECT_EQ(guest_memory[0x1240], 0x77);
    EXPECT_TRUE(mem_access[0x1240] & ACC_WRITTEN);
}

TEST_F(ExecModes, AbsoluteAddressesAndPointersStayInTheirPage) {
    load(0x2100, {0x0C, 0x01, 0x50, 0xCD, 0x01, 0x51}); // LODA r0,$0150 ; STRA r1,$0151
    guest_memory[0x2150] = 0x99;
    guest_memory[0x0150] = 0x11;
    cpu_iar = 0x2100;
    cpu_regs[1] = 0x3C;
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(cpu_regs[0], 0x99);
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(guest_memory[0x2151], 0x3C);
    EXPECT_EQ(guest_memory[0x0151], 0x00);

    // An indirect pointer at the page end takes its second byte from the page start.
    load(0x2103, {0x0C, 0x9F, 0xFF}); // LODA r0,*$3FFF
    guest_memory[0x3FFF] = 0x05;
    guest_memory[0x2000] = 0x67; // low byte of the pointer, not $4000
    guest_memory[0x4000] = 0x01;
    guest_memory[0x0567] = 0xAB;
    cpu_iar = 0x2103;
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(cpu_regs[0], 0xAB);
    EXPECT_TRUE(mem_access[0x3FFF] & ACC_INDIRECT);
    EXPECT_TRUE(mem_access[0x2000] & ACC_INDIRECT);
}

TEST_F(ExecModes, IndexedFormsAutoIncrementDecrementAndIndirection) {
    load(0, {0x0D, 0x61, 0x00}); // LODA r0,$0100,r1
    guest_memory[0x0105] = 0xAA;
    cpu_regs[1] = 0x05;
    EXPECT_EQ(step(), 12u);
    EXPECT_EQ(cpu_regs[0], 0xAA);
    EXPECT_EQ(cpu_regs[1], 0x05);

    load(3, {0xCE, 0x61, 0x00}); // STRA r0,$0100,r2
    cpu_regs[2] = 0x07;
    step();
    EXPECT_EQ(guest_memory[0x0107], 0xAA);

    cpu_iar = 0;
    load(0, {0x0D, 0x21, 0x00}); // LODA r1,$0100,+ with RS = 1: r4 counts
    guest_memory[0x0110] = 0x5A;
    cpu_psl = PSL_RS;
    cpu_regs[4] = 0x0F;
    cpu_regs[1] = 0x33;
    step();
    EXPECT_EQ(cpu_regs[4], 0x10);
    EXPECT_EQ(cpu_regs[0], 0x5A);
    EXPECT_EQ(cpu_regs[1], 0x33);

    cpu_iar = 0;
    cpu_psl = 0;
    cpu_regs[2] = 0;
    load(0, {0x0E, 0x41, 0x00}); // LODA r2,$0100,- with r2 = 0
    guest_memory[0x01FF] = 0x42;
    step();
    EXPECT_EQ(cpu_regs[2], 0xFF);
    EXPECT_EQ(cpu_regs[0], 0x42);

    load(0x6100, {0x0F, 0x7F, 0xFF}); // LODA r3,$7FFF,r3 with r3 = 2: $6001
    guest_memory[0x6001] = 0x61;
    guest_memory[0x0001] = 0x99;
    cpu_iar = 0x6100;
    cpu_regs[3] = 2;
    step();
    EXPECT_EQ(cpu_ea, 0x6001u);
    EXPECT_EQ(cpu_regs[0], 0x61);

    cpu_iar = 0;
    load(0, {0x0D, 0xE1, 0x00}); // LODA r0,*$0100,r1
    load(0x0100, {0x03, 0x00});
    guest_memory[0x0304] = 0x4D;
    cpu_regs[1] = 4;
    EXPECT_EQ(step(), 18u);
    EXPECT_EQ(cpu_regs[0], 0x4D);
}

TEST_F(ExecModes, FetchWrapsAtThePageEndAndIsReported) {
    load(0x1FFF, {0x04}); // LODI r0 with its operand at $0000
    guest_memory[0x0000] = 0x42;
    guest_memory[0x2000] = 0x24;
    cpu_iar = 0x1FFF;
    step();
    EXPECT_EQ(cpu_regs[0], 0x42);
    EXPECT_EQ(cpu_iar, 0x0001);

    load(0x7FFF, {0x05});
    guest_memory[0x6000] = 0x17;
    cpu_iar = 0x7FFF;
    step();
    EXPECT_EQ(cpu_regs[1], 0x17);
    EXPECT_EQ(cpu_iar, 0x6001);
    EXPECT_TRUE(mem_access[0x6000] & ACC_OPERAND);

    // With "logillegal" the wrap is reported once.
    at(0x1FFE, {0xC0, 0xC0});
    logillegal = 1;
    ConsoleCapture out;
    steps(2);
    EXPECT_EQ(cpu_iar, 0x0000);
    EXPECT_EQ(count_of(out.text(), "IAR has wrapped after instruction at"), 1);
}

TEST_F(ExecModes, RegisterFieldZeroIsAlwaysR0) {
    load(0, {0x01, 0xC2, 0x00});
    cpu_psl = PSL_RS | CC_POSITIVE;
    cpu_regs[1] = 0x11;
    cpu_regs[4] = 0x84;
    step(); // LODZ r1 means r4
    EXPECT_EQ(cpu_regs[0], 0x84);
    EXPECT_EQ(cc(), CC_NEGATIVE);
    step(); // STRZ r2 means r5
    EXPECT_EQ(cpu_regs[5], 0x84);
    EXPECT_EQ(cpu_regs[2], 0x00);
    cpu_regs[0] = 0;
    step(); // LODZ r0 sets CC only
    EXPECT_EQ(cc(), CC_ZERO);
}

TEST_F(ExecModes, AccessHistoryMarksOpcodesOperandsAndData) {
    load(0, {0x0C, 0x01, 0x00, 0xCC, 0x01, 0x01});
    step();
    step();
    EXPECT_EQ(mem_access[0] & (ACC_OPCODE | ACC_OPERAND), ACC_OPCODE);
    EXPECT_EQ(mem_access[1] & (ACC_OPCODE | ACC_OPERAND), ACC_OPERAND);
    EXPECT_EQ(mem_access[2] & (ACC_OPCODE | ACC_OPERAND), ACC_OPERAND);
    EXPECT_TRUE(mem_access[3] & ACC_OPCODE);
    EXPECT_TRUE(mem_access[0x0100] & ACC_READ);
    EXPECT_TRUE(mem_access[0x0101] & ACC_WRITTEN);
}

TEST_F(ExecModes, ExecutingAnOperandByteIsReportedEachTime) {
    load(0, {0x04, 0xC0, 0x1B, 0x7D}); // LODI r0,$C0 ; BCTR,un back to $0001
    logillegal = 1;
    ConsoleCapture out;
    steps(5); // LODI, BCTR, NOP at $0001, BCTR, NOP
    EXPECT_EQ(
        count_of(out.text(), "The byte at $1, now an opcode, has previously been an operand!"), 2);
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
