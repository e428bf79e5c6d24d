// A self-checking 2650 program: each check sets r3 to its number and branches
// to the failure exit (r0 = r3, HALT) when a result is wrong; the success exit
// clears r0 and halts. The answers are worked out by hand from the instruction
// set, not taken from the interpreter.
#include "exec_fixture.h"

#include <vector>

namespace {

constexpr u16 FAIL = 0x0F00;
constexpr u16 TABLE = 0x0E00;   // 1..10
constexpr u16 POINTER = 0x0E20; // -> $0E10, which holds $A5

struct Program {
    std::vector<u8> bytes;
    u16 origin = 0x0100;

    u16 here() const { return static_cast<u16>(origin + bytes.size()); }
    void emit(std::initializer_list<u8> list) { bytes.insert(bytes.end(), list); }
    void check(u8 number) { emit({0x07, number}); }                 // LODI r3,number
    void fail_unless_eq() { emit({0x9C, FAIL >> 8, FAIL & 0xFF}); } // BCFA,eq FAIL
    void expect(u8 reg, u8 value) {
        emit({static_cast<u8>(0xE4 | reg), value}); // COMI reg,value
        fail_unless_eq();
    }
};

Program self_check(u8 dar_expected) {
    Program p;
    // 1: 16-bit add with carry: $12F0 + $0E20 = $2110.
    p.check(1);
    p.emit({0x77, 0x08, 0x75, 0x01}); // PPSL WC ; CPSL C
    p.emit({0x05, 0xF0, 0x85, 0x20}); // LODI r1,$F0 ; ADDI r1,$20
    p.emit({0x06, 0x12, 0x86, 0x0E}); // LODI r2,$12 ; ADDI r2,$0E (+ carry)
    p.expect(1, 0x10);
    p.expect(2, 0x21);
    // 2: 16-bit subtract with borrow: $2110 - $12F0 = $0E20.
    p.check(2);
    p.emit({0x77, 0x09});             // PPSL WC,C (no borrow)
    p.emit({0x05, 0x10, 0xA5, 0xF0}); // LODI r1,$10 ; SUBI r1,$F0
    p.emit({0x06, 0x21, 0xA6, 0x12}); // LODI r2,$21 ; SUBI r2,$12 (- borrow)
    p.emit({0x75, 0x09});             // CPSL WC,C
    p.expect(1, 0x20);
    p.expect(2, 0x0E);
    // 3: sum of a table through auto-incremented indexing and a counting loop.
    p.check(3);
    p.emit({0x05, 0xFF, 0x06, 0x0A, 0x20}); // LODI r1,$FF ; LODI r2,10 ; EORZ r0
    const u16 loop = p.here();
    p.emit({0x8D, 0x20 | (TABLE >> 8), TABLE & 0xFF});               // ADDA r0,TABLE,r1,+
    p.emit({0xFA, static_cast<u8>((loop - (p.here() + 2)) & 0x7F)}); // BDRR r2,loop
    p.expect(0, 55);
    // 4: a subroutine returns a value and leaves the stack as it found it.
    p.check(4);
    const u16 call = p.here();
    const u16 sub = static_cast<u16>(call + 5);
    p.emit({0x3F, static_cast<u8>(sub >> 8), static_cast<u8>(sub & 0xFF)}); // BSTA,un sub
    p.emit({0x1B, 0x03});       // BCTR,un over the subroutine
    p.emit({0x04, 0x5A, 0x17}); // sub: LODI r0,$5A ; RETC,un
    p.expect(0, 0x5A);
    p.emit({0x12, 0x44, 0x07}); // SPSU ; ANDI r0,7
    p.expect(0, 0x00);
    // 5: an indirect load.
    p.check(5);
    p.emit({0x0C, 0x80 | (POINTER >> 8), POINTER & 0xFF}); // LODA r0,*POINTER
    p.expect(0, 0xA5);
    // 6: rotate through carry.
    p.check(6);
    p.emit({0x04, 0x81, 0x77, 0x08, 0x75, 0x01}); // LODI r0,$81 ; PPSL WC ; CPSL C
    p.emit({0xD0, 0x75, 0x08});                   // RRL r0 ; CPSL WC
    p.expect(0, 0x02);
    p.emit({0xB5, 0x01}); // TPSL C: the old bit 7 went to C
    p.fail_unless_eq();
    // 7: decimal addition 19 + 28.
    p.check(7);
    p.emit({0x04, 0x19, 0x84, 0x66, 0x84, 0x28, 0x94}); // LODI ; ADDI $66 ; ADDI ; DAR r0
    p.expect(0, dar_expected);
    // 8: test under mask.
    p.check(8);
    p.emit({0x05, 0xC3, 0xF5, 0xC0}); // LODI r1,$C3 ; TMI r1,$C0
    p.fail_unless_eq();
    // 9: logical compare treats $80 as 128.
    p.check(9);
    p.emit({0x77, 0x02, 0x04, 0x01, 0xE4, 0x80, 0x75, 0x02}); // PPSL COM ; LODI ; COMI ; CPSL
    p.emit({0x9E, FAIL >> 8, FAIL & 0xFF});                   // BCFA,lt FAIL
    // Success.
    p.emit({0x20, 0x40}); // EORZ r0 ; HALT
    return p;
}

class ExecProgram : public ExecTest {
  protected:
    u16 load_program(const Program& p) {
        for (size_t i = 0; i < p.bytes.size(); ++i)
            guest_memory[p.origin + i] = p.bytes[i];
        for (u8 i = 0; i < 10; ++i)
            guest_memory[TABLE + i] = static_cast<u8>(i + 1);
        guest_memory[POINTER] = 0x0E;
        guest_memory[POINTER + 1] = 0x10;
        guest_memory[0x0E10] = 0xA5;
        load(FAIL, {0x03, 0x40});         // LODZ r3 ; HALT
        load(0x0000, {0x1F, 0x01, 0x00}); // BCTA,un $0100
        return static_cast<u16>(p.origin + p.bytes.size() - 1);
    }
};

} // namespace

TEST_F(ExecProgram, SelfCheckPasses) {
    const u16 success_halt = load_program(self_check(0x47));
    cpu_regs[0] = 0xEE;
    cpu_cycle_budget = 5000;
    cpu_run_cycles();
    EXPECT_EQ(cpu_regs[0], 0x00);
    EXPECT_EQ(cpu_iar, success_halt);
    EXPECT_LE(cpu_cycle_budget, 0);

    cpu_type = CPU_2650B; // the same program on the 2650B
    cpu_apply_type_tables();
    cpu_reset_state();
    cpu_regs[0] = 0xEE;
    cpu_cycle_budget = 5000;
    cpu_run_cycles();
    EXPECT_EQ(cpu_regs[0], 0x00);
    EXPECT_EQ(cpu_iar, success_halt);
}

TEST_F(ExecProgram, AWrongAnswerIsNamedByItsCheck) {
    load_program(self_check(0x48));
    cpu_cycle_budget = 5000;
    cpu_run_cycles();
    EXPECT_EQ(cpu_regs[0], 7);
    EXPECT_EQ(cpu_iar, FAIL + 1);
}
