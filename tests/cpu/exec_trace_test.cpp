// The trace path: the instruction is listed, executed exactly as without
// tracing, and a single step ends after one instruction.
#include "exec_fixture.h"

using ExecTrace = ExecTest;

TEST_F(ExecTrace, TracedInstructionIsListedAndExecuted) {
    at(0x0100, {0x84, 0x01, 0x1B, 0x7E});
    cpu_regs[0] = 0x7F;
    cpu_tracing = 1;
    verbosity = 0;
    emu_paused = 0;
    ConsoleCapture out;
    EXPECT_EQ(step(), 6u);
    cpu_tracing = 0;
    EXPECT_EQ(cpu_regs[0], 0x80);
    EXPECT_EQ(cpu_psl, CC_NEGATIVE | PSL_IDC | PSL_OVF);
    const std::string text = out.text();
    EXPECT_NE(text.find("ADDI,r0 1"), std::string::npos);
    EXPECT_NE(text.find("$0100 84 01"), std::string::npos);
}
