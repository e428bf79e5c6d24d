// Code advice with "loginefficient": the messages name mnemonics of the
// current notation and the instruction's address; nothing changes what the
// guest does.
#include "exec_fixture.h"

class ExecAdvice : public ExecTest {
  protected:
    void SetUp() override {
        ExecTest::SetUp();
        loginefficient = 1;
    }
    // Runs n instructions from `at` and returns what they printed.
    static std::string run_from(u16 at, int n = 1) {
        cpu_iar = at;
        ConsoleCapture out;
        steps(n);
        return out.text();
    }
};

TEST_F(ExecAdvice, AbsoluteBranchToTheNextInstruction) {
    load(0x0100, {0x1F, 0x01, 0x03});
    const std::string text = run_from(0x0100);
    EXPECT_EQ(text, "Replace BCTA,un with BCTR,un at $100.\n\n"
                    "Omit BCTA,un at $100.\n\n");
    EXPECT_EQ(cpu_iar, 0x0103);
    EXPECT_EQ(pause_pending, 0); // "pauselog" is off
}

TEST_F(ExecAdvice, NotTakenBranchesGiveNothing) {
    load(0x0100, {0x1C, 0x01, 0x03, 0x18, 0x00});
    cpu_psl = CC_POSITIVE;
    EXPECT_EQ(run_from(0x0100, 2), "");
}

TEST_F(ExecAdvice, ZeroPageTargetsSuggestZbrrAndZbsr) {
    load(0x4000, {0x1F, 0x00, 0x10});
    EXPECT_EQ(run_from(0x4000), "Replace BCTA,un with ZBRR at $4000.\n\n");
    load(0x4100, {0x3F, 0x1F, 0xF0});
    EXPECT_EQ(run_from(0x4100), "Replace BSTA,un with ZBSR at $4100.\n\n");
}

TEST_F(ExecAdvice, RelativeBranchToAReturn) {
    load(0x0100, {0x18, 0x1E});
    cpu_psl = CC_ZERO;
    guest_memory[0x0120] = 0x17; // RETC,un
    EXPECT_EQ(run_from(0x0100), "Replace BCTR,eq with RETC,eq at $100.\n\n");
    guest_memory[0x0120] = 0x34; // RETE,eq
    EXPECT_EQ(run_from(0x0100), "Replace BCTR,eq with RETE,eq at $100.\n\n");
    guest_memory[0x0120] = 0x37; // RETE,un: nothing to suggest
    EXPECT_EQ(run_from(0x0100), "");
}

TEST_F(ExecAdvice, ZbrrOnlyToReturns) {
    load(0x0100, {0x9B, 0x10});
    guest_memory[0x0010] = 0x37;
    EXPECT_EQ(run_from(0x0100), "Replace ZBRR with RETE,un at $100.\n\n");
    guest_memory[0x0010] = 0x14;
    EXPECT_EQ(run_from(0x0100), "");
}

TEST_F(ExecAdvice, RelativeReachOfAbsoluteAddresses) {
    load(0x0100, {0x0D, 0x01, 0x20, 0x0D, 0x05, 0x00});
    EXPECT_EQ(run_from(0x0100, 2), "Replace LODA,r1 with LODR,r1 at $100.\n\n");
    // Near the page start the reach wraps and no advice is given.
    load(0x0010, {0x0D, 0x00, 0x20});
    EXPECT_EQ(run_from(0x0010), "");
    // Indexed forms are not advised.
    load(0x0200, {0x0D, 0x62, 0x10});
    EXPECT_EQ(run_from(0x0200), "");
}

TEST_F(ExecAdvice, LoadFollowedByCompareWithZero) {
    load(0x0100, {0x05, 0x05, 0xE5, 0x00});
    EXPECT_EQ(run_from(0x0100), "Omit COMI,r1 at $102.\n\n");
    load(0x0200, {0x85, 0x05, 0xE6, 0x00}); // a different register: nothing
    EXPECT_EQ(run_from(0x0200), "");
}

TEST_F(ExecAdvice, ConstantRomBytesSuggestAnImmediateLoad) {
    load(0x0100, {0x09, 0x1E});
    guest_memory[0x0120] = 0x2A;
    mem_attributes[0x0120] = MEM_UNWRITABLE;
    mem_attributes[0x0121] = MEM_UNWRITABLE;
    EXPECT_EQ(run_from(0x0100), "Replace LODR,r1 with LODI,r1 $2A at $100.\n\n");
    EXPECT_EQ(cpu_regs[1], 0x2A);
    mem_attributes[0x0121] = MEM_UNWRITABLE | MEM_HW_REGISTER;
    EXPECT_EQ(run_from(0x0100), "");
}

TEST_F(ExecAdvice, CountingBranchesAndTailCalls) {
    load(0x0100, {0x85, 0x01, 0x98, 0x10});
    cpu_regs[1] = 4;
    EXPECT_EQ(run_from(0x0100), "Replace ADDI,r1 and BCFR,eq with BIRR,r1 at $100.\n\n");
    load(0x0200, {0xA5, 0x01, 0x9C, 0x02, 0x00});
    EXPECT_EQ(run_from(0x0200), "Replace SUBI,r1 and BCFA,eq with BDRA,r1 at $200.\n\n");

    load(0x0300, {0x3F, 0x12, 0x00, 0x17});
    EXPECT_EQ(run_from(0x0300), "Replace BSTA,un and RETC,un with BCTA,un at $300.\n\n");
}

TEST_F(ExecAdvice, ConditionalBranchToTheNextInstruction) {
    load(0x0100, {0x98, 0x00});
    cpu_psl = CC_POSITIVE;
    EXPECT_EQ(run_from(0x0100), "Omit BCFR,eq at $100.\n\n");
}

TEST_F(ExecAdvice, StatusMasksWithoutEffect) {
    load(0x0100, {0x75, 0xC0, 0x77, 0x00, 0x74, 0x18, 0x00, 0xC0});
    std::string text = run_from(0x0100, 3);
    EXPECT_EQ(text, "Replace CPSL with COMZ r0 at $100.\n\n"
                    "Omit PPSL at $102.\n\n"
                    "Omit CPSU at $104.\n\n");
    EXPECT_EQ(run_from(0x0106, 2), "Replace LODZ r0 with IORZ r0 at $106.\n\n"
                                   "Omit NOP at $107.\n\n");
    use_2650b(); // UF1 and UF2 are writable there
    EXPECT_EQ(run_from(0x0104), "");
}

TEST_F(ExecAdvice, SilentWhenSwitchedOff) {
    loginefficient = 0;
    load(0x0100, {0x1F, 0x01, 0x03, 0x75, 0xC0, 0xC0});
    EXPECT_EQ(run_from(0x0100, 3), "");
}
