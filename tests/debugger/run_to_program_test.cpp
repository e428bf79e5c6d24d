// Running to a target in the running program, driven through its port: "R S"
// stops at the return address whatever a breakpoint cleared there earlier
// asked for, and keeps the condition of a breakpoint still set there.
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RunToProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        // A call from $2 to SUB, which counts R1 down and returns to BACK ($5),
        // where the program stays.
        test_write_file(home.path() / "Projects" / "rs.asm",
                        "        ORG 0\n        LODI,r0 0\n        BSTA,un SUB\n"
                        "BACK:   BCTR,un BACK\nSUB:    LODI,r1 $FF\nDL:     BDRR,r1 DL\n"
                        "        RETC,un\n        END 0\n");
        fine("SETMACHINE ARCADIA");
        fine("DEBUGGER \"ASM rs\"");
    }
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // Stops in SUB, then runs to the return address with "R S".
    void run_out_of_the_subroutine() {
        fine("DEBUGGER \"BP SUB\"");
        const int hits = count_of(log(), "Hit code breakpoint at SUB");
        fine("MENU PROJECT.RESETTOGAME");
        ASSERT_TRUE(printed("Hit code breakpoint at SUB", hits + 1)) << log();
        fine("DEBUGGER \"BC SUB\"");
        EXPECT_EQ(fine("DEBUGGER \"R S\""), "Running to $5.\n\n");
    }
};

} // namespace

TEST_F(RunToProgram, ReturnTargetStopsWhateverAnOldConditionAskedFor) {
    fine("DEBUGGER \"BP BACK R0 == 5\"");
    fine("DEBUGGER \"BC BACK\"");
    run_out_of_the_subroutine();
    EXPECT_TRUE(printed("Hit code breakpoint at BACK")) << log();
    EXPECT_EQ(fine("DEBUGGER BL"), "BACK ($5)\n\n");

    // A conditional breakpoint that is set stays as it is: R0 is 0 there.
    fine("DEBUGGER BC");
    fine("DEBUGGER \"BP BACK R0 == 5\"");
    fine("UNPAUSE");
    run_out_of_the_subroutine();
    EXPECT_EQ(fine("DEBUGGER BL"), "BACK ($5) when R0 == BACK ($5)\n\n");
    EXPECT_EQ(count_of(log(), "Hit code breakpoint at BACK"), 1) << log();
}
