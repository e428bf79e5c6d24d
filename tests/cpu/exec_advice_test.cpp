// Code advice with "loginefficient": the messages name mnemonics of the
// current notation and the instruction's address; nothing changes what the
// guest does.
#include "exec_fixture.h"

#include <vector>

namespace {

struct AdviceCase {
    u16 at;
    std::vector<u8> code;
    u8 psl;
    int steps;
    const char* expected;
};

// clang-format off
const AdviceCase advice_cases[] = {
    {0x0100, {0x1F, 0x01, 0x03}, 0, 1,
     "Replace BCTA,un with BCTR,un at $100.\n\nOmit BCTA,un at $100.\n\n"},
    {0x0100, {0x1C, 0x01, 0x03, 0x18, 0x00}, CC_POSITIVE, 2, ""}, // branches not taken
    {0x0100, {0x0D, 0x01, 0x20, 0x0D, 0x05, 0x00}, 0, 2,
     "Replace LODA,r1 with LODR,r1 at $100.\n\n"},                 // the second is out of reach
    {0x0100, {0x05, 0x05, 0xE5, 0x00}, 0, 1, "Omit COMI,r1 at $102.\n\n"},
    {0x0100, {0x85, 0x01, 0x98, 0x10}, 0, 1,
     "Replace ADDI,r1 and BCFR,eq with BIRR,r1 at $100.\n\n"},
    {0x0100, {0x75, 0xC0, 0x77, 0x00, 0xC0}, 0, 3,
     "Replace CPSL with COMZ r0 at $100.\n\nOmit PPSL at $102.\n\nOmit NOP at $104.\n\n"},
};
// clang-format on

} // namespace

using ExecAdvice = ExecTest;

TEST_F(ExecAdvice, MessagesOnlyWhenSwitchedOn) {
    loginefficient = 1;
    for (const AdviceCase& c : advice_cases) {
        SCOPED_TRACE(c.expected);
        std::memset(guest_memory, 0, sizeof guest_memory);
        for (size_t i = 0; i < c.code.size(); ++i)
            guest_memory[c.at + i] = c.code[i];
        cpu_iar = c.at;
        cpu_psl = c.psl;
        OutputCapture out;
        steps(c.steps);
        EXPECT_EQ(out.text(), c.expected);
        EXPECT_EQ(pause_pending, 0); // "pauselog" is off
    }
    loginefficient = 0; // switched off: silent
    at(0x0100, {0x1F, 0x01, 0x03, 0x75, 0xC0, 0xC0});
    OutputCapture out;
    steps(3);
    EXPECT_EQ(out.text(), "");
}
