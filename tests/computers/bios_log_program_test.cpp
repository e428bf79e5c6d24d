// The log of calls into the monitor, as a user switches it on: the program
// started offscreen and driven through its port, a small guest program
// entered with E calling a monitor routine.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class BiosLogProgram : public ProgramTest {
  protected:
    std::string ask(const std::string& line) {
        std::string result;
        const int rc = send(line, &result);
        EXPECT_TRUE(rc == 0 || rc == 5) << line << ": " << rc << " " << result;
        return result;
    }
};

// Game code at $0440 calls the PIPBUG's routine at $0017 (BSTA,un $0017;
// BCTA,un $0440): the call is logged with the routine's notes.
TEST_F(BiosLogProgram, CallsFromGameCodeAreLoggedWithTheRoutinesNotes) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE PIPBUG");
    ask("PAUSE");
    EXPECT_EQ(ask("DEBUGGER \"L B\""), "Log BIOS calls on.\n\n");
    const unsigned program[] = {0x3F, 0x00, 0x17, 0x1F, 0x04, 0x40};
    char line[40];
    for (unsigned i = 0; i < sizeof program / sizeof program[0]; i++) {
        std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", 0x440 + i, program[i]);
        ask(line);
    }
    ask("DEBUGGER \"J 440\"");
    ask("DEBUGGER G");
    EXPECT_TRUE(printed("BIOS code at $17 was called by game code at $440.\n"
                        ";Subr that increments TEMP - must precede STRT\n"))
        << log();
}

} // namespace
