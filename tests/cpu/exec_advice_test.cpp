// Code advice with "loginefficient": the messages name mnemonics of the
// current notation and the instruction's address; nothing changes what the
// guest does.
#include "exec_fixture.h"

#include <vector>

namespace {

struct AdviceCase {
    const char* what;
    u16 at;
    std::vector<u8> code;
    u8 psl;
    int steps;
    const char* expected;
};

// clang-format off
const AdviceCase advice_cases[] = {
    {"BCTA to the next instruction", 0x0100, {0x1F, 0x01, 0x03}, 0, 1,
     "Replace BCTA,un with BCTR,un at $100.\n\nOmit BCTA,un at $100.\n\n"},
    {"branches not taken", 0x0100, {0x1C, 0x01, 0x03, 0x18, 0x00}, CC_POSITIVE, 2, ""},
    {"BCTA into page zero", 0x4000, {0x1F, 0x00, 0x10}, 0, 1,
     "Replace BCTA,un with ZBRR at $4000.\n\n"},
    {"BSTA into page zero", 0x4100, {0x3F, 0x1F, 0xF0}, 0, 1,
     "Replace BSTA,un with ZBSR at $4100.\n\n"},
    {"LODA within reach, then out of reach", 0x0100, {0x0D, 0x01, 0x20, 0x0D, 0x05, 0x00}, 0, 2,
     "Replace LODA,r1 with LODR,r1 at $100.\n\n"},
    {"reach wraps at the page start", 0x0010, {0x0D, 0x00, 0x20}, 0, 1, ""},
    {"indexed LODA", 0x0200, {0x0D, 0x62, 0x10}, 0, 1, ""},
    {"load then compare with zero", 0x0100, {0x05, 0x05, 0xE5, 0x00}, 0, 1,
     "Omit COMI,r1 at $102.\n\n"},
    {"compare of another register", 0x0100, {0x85, 0x05, 0xE6, 0x00}, 0, 1, ""},
    {"ADDI 1 before BCFR,eq", 0x0100, {0x85, 0x01, 0x98, 0x10}, 0, 1,
     "Replace ADDI,r1 and BCFR,eq with BIRR,r1 at $100.\n\n"},
    {"SUBI 1 before BCFA,eq", 0x0200, {0xA5, 0x01, 0x9C, 0x02, 0x00}, 0, 1,
     "Replace SUBI,r1 and BCFA,eq with BDRA,r1 at $200.\n\n"},
    {"call followed by return", 0x0300, {0x3F, 0x12, 0x00, 0x17}, 0, 1,
     "Replace BSTA,un and RETC,un with BCTA,un at $300.\n\n"},
    {"BCFR to the next instruction", 0x0100, {0x98, 0x00}, CC_POSITIVE, 1,
     "Omit BCFR,eq at $100.\n\n"},
    {"status masks without effect", 0x0100, {0x75, 0xC0, 0x77, 0x00, 0x74, 0x18, 0x00, 0xC0}, 0, 5,
     "Replace CPSL with COMZ r0 at $100.\n\nOmit PPSL at $102.\n\nOmit CPSU at $104.\n\n"
     "Replace LODZ r0 with IORZ r0 at $106.\n\nOmit NOP at $107.\n\n"},
};
// clang-format on

} // namespace

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

TEST_F(ExecAdvice, MessagesOfEachRuleOnlyWhenSwitchedOn) {
    for (const AdviceCase& c : advice_cases) {
        SCOPED_TRACE(c.what);
        std::memset(guest_memory, 0, sizeof guest_memory);
        for (size_t i = 0; i < c.code.size(); ++i)
            guest_memory[c.at + i] = c.code[i];
        cpu_psl = c.psl;
        cpu_psu = 0;
        EXPECT_EQ(run_from(c.at, c.steps), c.expected);
        EXPECT_EQ(pause_pending, 0); // "pauselog" is off
    }
    loginefficient = 0; // switched off: silent
    load(0x0100, {0x1F, 0x01, 0x03, 0x75, 0xC0, 0xC0});
    EXPECT_EQ(run_from(0x0100, 3), "");
}

TEST_F(ExecAdvice, BranchToAReturnSuggestsTheReturn) {
    load(0x0100, {0x18, 0x1E, 0x9B, 0x10});
    cpu_psl = CC_ZERO;
    const struct {
        u8 opcode_at_target;
        const char* bctr;
        const char* zbrr;
    } cases[] = {
        {0x17, "Replace BCTR,eq with RETC,eq at $100.\n\n",
         "Replace ZBRR with RETC,un at $102.\n\n"},
        {0x34, "Replace BCTR,eq with RETE,eq at $100.\n\n", ""},
        {0x37, "", "Replace ZBRR with RETE,un at $102.\n\n"},
    };
    for (const auto& c : cases) {
        guest_memory[0x0120] = c.opcode_at_target;
        guest_memory[0x0010] = c.opcode_at_target;
        EXPECT_EQ(run_from(0x0100), c.bctr);
        EXPECT_EQ(run_from(0x0102), c.zbrr);
    }
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

TEST_F(ExecAdvice, WritableUserFlagsMakeCpsuUsefulOn2650B) {
    load(0x0100, {0x74, 0x18});
    EXPECT_EQ(run_from(0x0100), "Omit CPSU at $100.\n\n");
    use_2650b();
    EXPECT_EQ(run_from(0x0100), "");
}
