// Arithmetic, logic, compare, rotate, decimal adjust and test-under-mask
// results and flags, with the clock periods each form costs.
#include "exec_fixture.h"

using ExecAlu = ExecTest;

TEST_F(ExecAlu, AddSetsCarryDigitCarryOverflowAndCondition) {
    load(0, {0x84, 0x01}); // ADDI r0,$01
    cpu_regs[0] = 0x7F;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_regs[0], 0x80);
    EXPECT_EQ(cpu_psl, CC_NEGATIVE | PSL_IDC | PSL_OVF); // no carry
    EXPECT_EQ(cpu_iar, 2);
    EXPECT_EQ(cpu_op_cycles, 2u);

    // $FF + $01: carry out, digit carry, no overflow, zero.
    load(2, {0x85, 0x01}); // ADDI r1,$01
    cpu_regs[1] = 0xFF;
    step();
    EXPECT_EQ(cpu_regs[1], 0x00);
    EXPECT_EQ(cpu_psl, CC_ZERO | PSL_IDC | PSL_C);
}

TEST_F(ExecAlu, AddTakesCarryInOnlyWithCarry) {
    load(0, {0x84, 0x20, 0x84, 0x00});
    cpu_regs[0] = 0x10;
    cpu_psl = PSL_C; // carry set but WC clear: ignored
    step();
    EXPECT_EQ(cpu_regs[0], 0x30);
    EXPECT_EQ(cpu_psl & PSL_C, 0);

    cpu_regs[0] = 0xFF;
    cpu_psl = PSL_WC | PSL_C | PSL_COM | PSL_RS; // RS, WC, COM are kept
    cpu_regs[0] = 0xFF;
    step(); // $FF + $00 + 1
    EXPECT_EQ(cpu_regs[0], 0x00);
    EXPECT_EQ(cpu_psl, PSL_WC | PSL_COM | PSL_RS | PSL_C | PSL_IDC);
}

TEST_F(ExecAlu, SubtractBorrowsAndSetsDigitBorrowAndOverflow) {
    load(0, {0xA4, 0x01}); // SUBI r0,$01
    cpu_regs[0] = 0x00;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_regs[0], 0xFF);
    EXPECT_EQ(cpu_psl, CC_NEGATIVE); // C = 0 (borrow), IDC = 0, OVF = 0

    cpu_iar = 0;
    cpu_regs[0] = 0x80; // -128 - 1 overflows to +127
    step();
    EXPECT_EQ(cpu_regs[0], 0x7F);
    EXPECT_EQ(cpu_psl, CC_POSITIVE | PSL_OVF | PSL_C);

    cpu_iar = 0;
    cpu_regs[0] = 0x35; // no borrow anywhere
    step();
    EXPECT_EQ(cpu_regs[0], 0x34);
    EXPECT_EQ(cpu_psl, CC_POSITIVE | PSL_C | PSL_IDC);
}

TEST_F(ExecAlu, SubtractWithCarryTakesBorrowWhenCarryClear) {
    load(0, {0xA4, 0x00}); // SUBI r0,$00
    cpu_psl = PSL_WC;      // C clear = borrow pending
    step();
    EXPECT_EQ(cpu_regs[0], 0xFF);
    EXPECT_EQ(cpu_psl, PSL_WC | CC_NEGATIVE);

    cpu_iar = 0;
    cpu_regs[0] = 0;
    cpu_psl = PSL_WC | PSL_C; // no borrow pending
    step();
    EXPECT_EQ(cpu_regs[0], 0x00);
    EXPECT_EQ(cpu_psl, PSL_WC | PSL_C | PSL_IDC | CC_ZERO);
}

TEST_F(ExecAlu, RegisterFormsUseBankAndCostLessOn2650B) {
    load(0, {0x81, 0xA1, 0x81}); // ADDZ r1, SUBZ r1, ADDZ r1
    cpu_psl = PSL_RS;
    cpu_regs[0] = 0x05;
    cpu_regs[1] = 0x50; // bank 0: not used
    cpu_regs[4] = 0x03;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_regs[0], 0x08);
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cpu_regs[0], 0x05);
    use_2650b();
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(cpu_op_cycles, 1u);
    EXPECT_EQ(cpu_regs[0], 0x08);
}

TEST_F(ExecAlu, CompareIsSignedOrLogicalByCom) {
    load(0, {0xE4, 0x80}); // COMI r0,$80
    cpu_regs[0] = 0x01;
    cpu_psl = PSL_C | PSL_OVF;
    EXPECT_EQ(step(), 6u);
    EXPECT_EQ(cc(), CC_POSITIVE); // 1 > -128
    EXPECT_EQ(cpu_psl & ~PSL_CC, PSL_C | PSL_OVF);
    EXPECT_EQ(cpu_regs[0], 0x01);

    cpu_iar = 0;
    cpu_psl = PSL_COM;
    step();
    EXPECT_EQ(cc(), CC_NEGATIVE); // 1 < 128

    load(2, {0xE1, 0xE0}); // COMZ r1, COMZ r0
    cpu_regs[1] = 0x01;
    step();
    EXPECT_EQ(cc(), CC_ZERO);
    cpu_psl = CC_NEGATIVE;
    step();
    EXPECT_EQ(cc(), CC_ZERO);
}

TEST_F(ExecAlu, LogicalOperationsAndTheirRegisterZeroForms) {
    load(0, {0x45, 0x0F, 0x66, 0x80, 0x27, 0xFF, 0x20, 0x60});
    cpu_regs[1] = 0xF3;
    cpu_regs[2] = 0x01;
    cpu_regs[3] = 0x0F;
    cpu_regs[0] = 0x77;
    step(); // ANDI r1,$0F
    EXPECT_EQ(cpu_regs[1], 0x03);
    EXPECT_EQ(cc(), CC_POSITIVE);
    step(); // IORI r2,$80
    EXPECT_EQ(cpu_regs[2], 0x81);
    EXPECT_EQ(cc(), CC_NEGATIVE);
    step(); // EORI r3,$FF
    EXPECT_EQ(cpu_regs[3], 0xF0);
    EXPECT_EQ(step(), 6u); // EORZ r0 clears r0
    EXPECT_EQ(cpu_regs[0], 0x00);
    EXPECT_EQ(cc(), CC_ZERO);
    cpu_regs[0] = 0x90;
    step(); // IORZ r0 only sets CC
    EXPECT_EQ(cpu_regs[0], 0x90);
    EXPECT_EQ(cc(), CC_NEGATIVE);
}

TEST_F(ExecAlu, RotatesWithCarryMoveCarryAndSetFlags) {
    load(0, {0xD0, 0x50, 0xD1, 0x52});
    cpu_psl = PSL_WC | PSL_C;
    cpu_regs[0] = 0x40;
    EXPECT_EQ(step(), 6u); // RRL r0: $40 -> $81, carry in at bit 0
    EXPECT_EQ(cpu_regs[0], 0x81);
    EXPECT_EQ(cpu_psl, PSL_WC | PSL_OVF | CC_NEGATIVE);

    cpu_regs[0] = 0x01;
    step(); // RRR r0: bit 0 out to C, C (0) in at bit 7
    EXPECT_EQ(cpu_regs[0], 0x00);
    EXPECT_EQ(cpu_psl, PSL_WC | PSL_C | CC_ZERO);

    cpu_regs[1] = 0x90;
    cpu_psl = PSL_WC;
    step(); // RRL r1: $90 -> $20, C = 1, IDC = bit 5, no overflow from 1 to 0
    EXPECT_EQ(cpu_regs[1], 0x20);
    EXPECT_EQ(cpu_psl, PSL_WC | PSL_C | PSL_IDC | CC_POSITIVE);

    cpu_regs[2] = 0x01;
    cpu_psl = PSL_IDC | PSL_OVF; // without WC only CC changes
    step();                      // RRR r2: $01 -> $80
    EXPECT_EQ(cpu_regs[2], 0x80);
    EXPECT_EQ(cpu_psl, PSL_IDC | PSL_OVF | CC_NEGATIVE);
}

TEST_F(ExecAlu, DecimalAddWithDar) {
    // 19 + 28 = 47 and 15 + 21 = 36: add $66 first, add, then adjust.
    load(0, {0x04, 0x19, 0x84, 0x66, 0x84, 0x28, 0x94, //
             0x05, 0x15, 0x85, 0x66, 0x85, 0x21, 0x95});
    EXPECT_EQ(steps(3), 18u);
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu_regs[0], 0x47);
    EXPECT_EQ(cc(), CC_POSITIVE);
    steps(4);
    EXPECT_EQ(cpu_regs[1], 0x36);

    // With C and IDC both set DAR changes nothing, not even CC.
    load(14, {0x96});
    cpu_regs[2] = 0x55;
    cpu_psl = PSL_C | PSL_IDC | CC_NEGATIVE;
    step();
    EXPECT_EQ(cpu_regs[2], 0x55);
    EXPECT_EQ(cpu_psl, PSL_C | PSL_IDC | CC_NEGATIVE);
}

TEST_F(ExecAlu, TestUnderMask) {
    load(0, {0xF4, 0x81, 0xF4, 0x81});
    cpu_regs[0] = 0xC1;
    cpu_psl = CC_NEGATIVE | PSL_C;
    EXPECT_EQ(step(), 9u);
    EXPECT_EQ(cpu_psl, CC_ZERO | PSL_C);
    cpu_regs[0] = 0x41;
    step();
    EXPECT_EQ(cc(), CC_NEGATIVE);
}
