// The evaluator in the running program's debugger, driven through its port:
// an operand may begin with '~' in every notation, as a source's may, and an
// operator may be followed by one.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class AsmPort : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    // The debugger's answer to `line`, which must succeed.
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(send("DEBUGGER \"" + line + "\"", &result), 0) << line << ": " << result;
        return result;
    }
};

} // namespace

TEST_F(AsmPort, ADebuggerOperandMayBeginWithTilde) {
    EXPECT_EQ(fine("= ~0").rfind("%11111111, @377, !255, $FF", 0), 0u);
    EXPECT_EQ(fine("= ~$F").rfind("%11110000, @360, !240, $F0", 0), 0u);
    EXPECT_EQ(fine("= ~1+1").rfind("%11111111, @377, !255, $FF", 0), 0u); // (~1)+1
    fine("E 123 ~$3C");
    std::string result;
    ASSERT_EQ(send("PEEK 291", &result), 0) << result;
    EXPECT_EQ(result, "195");
    fine("N 4");
    EXPECT_EQ(fine("= ~H'0F'").rfind("%11110000, @360, !240, $F0", 0), 0u);
    fine("N 2");
    EXPECT_EQ(fine("= ~16'0F").rfind("%11110000, @360, !240, $F0", 0), 0u);
    // A '~' with nothing after it is still a missing term.
    EXPECT_EQ(send("DEBUGGER \"= ~\"", &result), 10);
    EXPECT_EQ(result.rfind("Error: missing term!\n", 0), 0u) << result;
    EXPECT_EQ(send("QUIT", &result), 0);
}

// "1+~0" is 255, as in a source: the '~' drops what came before it.
TEST_F(AsmPort, AnOperatorMayBeFollowedByTilde) {
    EXPECT_EQ(fine("= 1+~0").rfind("%11111111, @377, !255, $FF", 0), 0u);
    EXPECT_EQ(fine("= 7/~$F").rfind("%11110000, @360, !240, $F0", 0), 0u);
}

// DISGAME of the TWIN's system area writes the system's notes as comments,
// so that the source assembles back.
TEST_F(AsmPort, ATwinDisassemblyWithTheSystemNotesAssemblesBack) {
    std::string result;
    ASSERT_EQ(send("MENU SETTINGS.MACHINE.TWIN", &result), 0) << result;
    fine("E 1369 90"); // an illegal opcode: the bytes after it are data, with their notes
    fine("DISGAME 1369 136D notes");
    EXPECT_EQ(send("DEBUGGER \"ASM notes\"", &result), 0) << result;
    EXPECT_NE(result.find("0 error(s)"), std::string::npos) << result;
}

// Labels spelt like a directive (DB) or a mnemonic (LD, in IEEE-694) lie
// outside the disassembled range: their equates assemble back in every
// notation, with the values they had.
TEST_F(AsmPort, EquatesOfLabelsNamedLikeWordsAssembleBackInEveryNotation) {
    test_write_file(home.path() / "Projects" / "eq.asm",
                    "\tORG $500\nDB:\tHALT\nLD\tHALT\n\tORG $510\n\tBCTA,UN DB\n\tBCTA,UN LD\n"
                    "\tEND\n");
    fine("ASM eq");
    for (int n = 0; n <= 4; n++) {
        SCOPED_TRACE(n);
        const std::string copy = "eq" + std::to_string(n);
        fine("N " + std::to_string(n));
        fine("DISGAME 510 515 " + copy + ".asm");
        std::string result;
        EXPECT_EQ(send("DEBUGGER \"ASM " + copy + "\"", &result), 0) << result;
        EXPECT_NE(fine("= DB").find("$500\n"), std::string::npos);
        EXPECT_NE(fine("= LD").find("$501\n"), std::string::npos);
    }
}
