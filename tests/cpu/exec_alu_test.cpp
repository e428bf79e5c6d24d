// Arithmetic, logic, compare, rotate, decimal adjust and test-under-mask
// results and flags, with the clock periods each form costs.
#include "exec_fixture.h"

#include <iterator>

namespace {

// One immediate or register-form instruction at $0000: the register it works on
// and PSL before and after. Every row takes 6 clock periods on the 2650.
struct AluCase {
    const char* what;
    u8 opcode, operand, reg, before, psl, after, psl_after;
};

} // namespace

class ExecAlu : public ExecTest {
  protected:
    static void run_cases(const AluCase* cases, size_t count) {
        for (size_t i = 0; i < count; ++i) {
            const AluCase& c = cases[i];
            SCOPED_TRACE(c.what);
            cpu_iar = 0;
            guest_memory[0] = c.opcode;
            guest_memory[1] = c.operand;
            cpu_regs[c.reg] = c.before;
            cpu_psl = c.psl;
            EXPECT_EQ(step(), 6u);
            EXPECT_EQ(cpu_regs[c.reg], c.after);
            EXPECT_EQ(cpu_psl, c.psl_after);
        }
    }
};

TEST_F(ExecAlu, AddAndSubtractWithAndWithoutCarry) {
    const u8 WC = PSL_WC, C = PSL_C, IDC = PSL_IDC, OVF = PSL_OVF, KEPT = PSL_WC | PSL_COM | PSL_RS;
    const AluCase cases[] = {
        {"ADDI $7F+1: overflow, digit carry", 0x84, 0x01, 0, 0x7F, 0, 0x80,
         CC_NEGATIVE | IDC | OVF},
        {"ADDI $FF+1: carry out, zero", 0x85, 0x01, 1, 0xFF, 0, 0x00, CC_ZERO | IDC | C},
        {"ADDI ignores C without WC", 0x84, 0x20, 0, 0x10, C, 0x30, CC_POSITIVE},
        {"ADDI $FF+0+C with WC; RS WC COM kept", 0x84, 0x00, 0, 0xFF, KEPT | C, 0x00,
         KEPT | C | IDC},
        {"SUBI 0-1: borrow", 0xA4, 0x01, 0, 0x00, 0, 0xFF, CC_NEGATIVE},
        {"SUBI -128-1 overflows to +127", 0xA4, 0x01, 0, 0x80, 0, 0x7F, CC_POSITIVE | OVF | C},
        {"SUBI $35-1: no borrow anywhere", 0xA4, 0x01, 0, 0x35, 0, 0x34, CC_POSITIVE | C | IDC},
        {"SUBI with WC, C clear: borrow taken", 0xA4, 0x00, 0, 0x00, WC, 0xFF, WC | CC_NEGATIVE},
        {"SUBI with WC, C set: no borrow", 0xA4, 0x00, 0, 0x00, WC | C, 0x00,
         WC | C | IDC | CC_ZERO},
    };
    run_cases(cases, std::size(cases));
    cpu_iar = 0;
    step();
    EXPECT_EQ(cpu_iar, 2);
    EXPECT_EQ(cpu_op_cycles, 2u);
}

// Every operand pair with every carry setting, against the flags worked out
// digit by digit and in signed arithmetic.
TEST_F(ExecAlu, AddAndSubtractFlagsForEveryOperandPair) {
    // The immediate form at $0000 on r0 = a with operand b: r0 after it.
    const auto run_immediate = [this](u8 opcode, int a, int b) {
        cpu_iar = 0;
        guest_memory[0] = opcode;
        guest_memory[1] = static_cast<u8>(b);
        cpu_regs[0] = static_cast<u8>(a);
        step();
        return cpu_regs[0];
    };
    for (u8 psl_in : {u8(0), u8(PSL_C), u8(PSL_WC), u8(PSL_WC | PSL_C)}) {
        const int carry = psl_in == (PSL_WC | PSL_C) ? 1 : 0;
        const int borrow = psl_in == PSL_WC ? 1 : 0;
        for (int a = 0; a < 256; ++a)
            for (int b = 0; b < 256; ++b) {
                const auto expect = [&](int wide, int low, int sign, u8 result) {
                    u8 psl = psl_in & PSL_WC;
                    if (wide) psl |= PSL_C;
                    if (low) psl |= PSL_IDC;
                    if (sign < -128 || sign > 127) psl |= PSL_OVF;
                    return static_cast<u8>(psl | (result == 0     ? CC_ZERO
                                                  : result & 0x80 ? CC_NEGATIVE
                                                                  : CC_POSITIVE));
                };
                const auto s8 = [](int v) { return static_cast<int>(static_cast<int8_t>(v)); };
                cpu_psl = psl_in | PSL_CC;
                const u8 sum = run_immediate(0x84, a, b); // ADDI,r0
                ASSERT_EQ(sum, static_cast<u8>(a + b + carry));
                ASSERT_EQ(cpu_psl, expect(a + b + carry > 0xFF, (a & 15) + (b & 15) + carry > 15,
                                          s8(a) + s8(b) + carry, sum))
                    << a << "+" << b << " psl " << int(psl_in);
                cpu_psl = psl_in | PSL_IDC | PSL_OVF;
                const u8 diff = run_immediate(0xA4, a, b); // SUBI,r0
                ASSERT_EQ(diff, static_cast<u8>(a - b - borrow));
                ASSERT_EQ(cpu_psl, expect(a - b - borrow >= 0, (a & 15) - (b & 15) - borrow >= 0,
                                          s8(a) - s8(b) - borrow, diff))
                    << a << "-" << b << " psl " << int(psl_in);
            }
    }
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

TEST_F(ExecAlu, CompareLogicAndTestUnderMask) {
    const u8 C = PSL_C, OVF = PSL_OVF;
    // clang-format off
    run_steps({
        // COMI r0,$80: signed, 1 > -128, other flags kept; logical with COM, 1 < 128.
        {0, {0xE4, 0x80}, {{R(0), 1}, {PSL, C | OVF}}, 6,
         {{PSL, C | OVF | CC_POSITIVE}, {R(0), 1}}},
        {0, {0xE4, 0x80}, {{PSL, PSL_COM}}, 6, {{CC, CC_NEGATIVE}}},
        {2, {0xE1}, {{R(1), 1}}, 6, {{CC, CC_ZERO}}},          // COMZ r1
        {3, {0xE0}, {{PSL, CC_NEGATIVE}}, 6, {{CC, CC_ZERO}}}, // COMZ r0
        // ANDI r1,$0F ; IORI r2,$80 ; EORI r3,$FF ; EORZ r0 clears r0 ; IORZ r0 only sets CC
        {0, {0x45, 0x0F}, {{R(1), 0xF3}}, 6, {{R(1), 0x03}, {CC, CC_POSITIVE}}},
        {0, {0x66, 0x80}, {{R(2), 0x01}}, 6, {{R(2), 0x81}, {CC, CC_NEGATIVE}}},
        {0, {0x27, 0xFF}, {{R(3), 0x0F}}, 6, {{R(3), 0xF0}}},
        {0, {0x20}, {{R(0), 0x77}}, 6, {{R(0), 0x00}, {CC, CC_ZERO}}},
        {0, {0x60}, {{R(0), 0x90}}, 6, {{R(0), 0x90}, {CC, CC_NEGATIVE}}},
        // TMI r0,$81: all selected bits set gives eq, otherwise lt; C is kept.
        {0, {0xF4, 0x81}, {{R(0), 0xC1}, {PSL, CC_NEGATIVE | C}}, 9, {{PSL, CC_ZERO | C}}},
        {0, {0xF4, 0x81}, {{R(0), 0x41}}, 9, {{CC, CC_NEGATIVE}}},
    });
    // clang-format on
}

TEST_F(ExecAlu, RotatesMoveCarryAndSetFlagsOnlyWithCarry) {
    const u8 WC = PSL_WC, C = PSL_C, IDC = PSL_IDC, OVF = PSL_OVF;
    const AluCase cases[] = {
        {"RRL $40 with C in at bit 0", 0xD0, 0, 0, 0x40, WC | C, 0x81, WC | OVF | CC_NEGATIVE},
        {"RRR $01: bit 0 to C, C in at bit 7", 0x50, 0, 0, 0x01, WC | OVF | CC_NEGATIVE, 0x00,
         WC | C | CC_ZERO},
        {"RRL $90: C = 1, IDC = bit 5, no overflow", 0xD1, 0, 1, 0x90, WC, 0x20,
         WC | C | IDC | CC_POSITIVE},
        {"RRR without WC changes only CC", 0x52, 0, 2, 0x01, IDC | OVF, 0x80,
         IDC | OVF | CC_NEGATIVE},
    };
    run_cases(cases, std::size(cases));
}

// Decimal addition: add $66, add the second number, then DAR. Sums whose
// digits, once biased by $66, come to exactly $F carry nothing out of that
// digit, so DAR must take the six back out of it.
TEST_F(ExecAlu, DecimalAddWithDar) {
    struct Case {
        u8 reg, a, b, sum, cc;
    } cases[] = {
        {0, 0x19, 0x28, 0x47, CC_POSITIVE}, {1, 0x15, 0x21, 0x36, CC_POSITIVE},
        {0, 0x14, 0x25, 0x39, CC_POSITIVE}, // low digits 4+6+5 = $F
        {0, 0x45, 0x54, 0x99, CC_NEGATIVE}, // both digits $F
        {2, 0x30, 0x69, 0x99, CC_NEGATIVE}, // high digits 3+6+6 = $F
        {0, 0x15, 0x25, 0x40, CC_POSITIVE}, // low digits one more: the carry is taken
        {0, 0x09, 0x00, 0x09, CC_POSITIVE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.a) << " + " << int(c.b));
        const u8 r = c.reg;
        at(0x0200,
           {static_cast<u8>(0x04 | r), c.a, static_cast<u8>(0x84 | r), 0x66,
            static_cast<u8>(0x84 | r), c.b, static_cast<u8>(0x94 | r)}); // LODI ADDI ADDI DAR
        cpu_psl = 0;
        steps(4);
        EXPECT_EQ(cpu_regs[r], c.sum);
        EXPECT_EQ(cc(), c.cc);
    }

    // With C and IDC both set DAR changes nothing, not even CC.
    at(0x0300, {0x96});
    cpu_regs[2] = 0x55;
    cpu_psl = PSL_C | PSL_IDC | CC_NEGATIVE;
    step();
    EXPECT_EQ(cpu_regs[2], 0x55);
    EXPECT_EQ(cpu_psl, PSL_C | PSL_IDC | CC_NEGATIVE);
}
