// The evaluator in the running program's debugger, driven through its port:
// an operand may begin with '~' in every notation, as a source's may, and an
// operator may be followed by one.
#include "tests/support/program_test.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"

#include <gtest/gtest.h>

#include <cstdio>
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

// Each pass starts from the same settings: a radix or CPU switch further down
// does not reach back into pass 2 over the lines above it, in any notation.
// The bytes are read from the PIPBUG's memory and from the object file.
TEST_F(AsmPort, ASwitchFurtherDownDoesNotReachTheLinesAboveIt) {
    std::string result;
    ASSERT_EQ(send("SETMACHINE PIPBUG", &result), 0) << result;
    const struct {
        int notation;
        const char* source;
        const char* bytes; // at $900, as hex digits; "" when the source has an error
        const char* message;
    } cases[] = {
        {0, "\tORG $900\n\tDB 17\n\tLODI,R0 10\n\t.HEX\n\tDB 20\n\tEND\n", "11040A20", "OK."},
        // The origin in decimal; a radix no earlier line could be read in at the end.
        {1, "\tORG 2304\n\tDB 17\n\tDFLT 1\n\tDB 20\n\t.BIN\n\tDB 101\n\tEND\n", "112005", "OK."},
        {2, "\t.LOC 16'900\n\t.PROC S2650B\n\tLOAD L,16'900\n\t.END\n", "100900",
         "Warning at line 2: switching to 2650B CPU!"},
        {3, "\t.LOC 16'900\n\tMOVE U^16'900,PSL\n\t.PROC S2650B\n\t.END\n", "",
         "Error at line 2: 2650B only!"},
        {4, "\tORG H'900'\n\tDATA 17\n\tLD .0,#10\n\tBASE H\n\tDATA 20\n\tEND\n", "11040A20",
         "OK."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notation);
        const std::string name = "switch" + std::to_string(c.notation);
        test_write_file(home.path() / "Projects" / (name + ".asm"), c.source);
        fine("N " + std::to_string(c.notation));
        fine("CPU 0");
        fine("FILL 900 90F 0");
        const std::string want = c.bytes;
        EXPECT_EQ(send("DEBUGGER \"ASM " + name + "\"", &result), want.empty() ? 10 : 0);
        EXPECT_NE(result.find(c.message), std::string::npos) << result;
        std::string spaced;
        for (std::size_t i = 0; i < want.size(); i += 2)
            spaced += " " + want.substr(i, 2);
        EXPECT_EQ(fine("D 900 90F").rfind("$0900:" + spaced + " 00 ", 0), 0u);
        // The object holds one record of these bytes, then the start address.
        const std::string object = test_read_file(home.path() / "Projects" / (name + ".aof"));
        if (want.empty()) {
            EXPECT_EQ(object, "");
            // Nor did the failed run leave the processor switched for the next.
            EXPECT_EQ(send("DEBUGGER \"ASM " + name + "\"", &result), 10) << result;
            continue;
        }
        const std::size_t lf = object.find('\n');
        if (lf == std::string::npos) {
            ADD_FAILURE() << "no object: " << object;
            continue;
        }
        EXPECT_EQ(object.substr(0, 7), ":09000" + std::to_string(want.size() / 2)) << object;
        EXPECT_EQ(object.substr(9, want.size()), want) << object;
        EXPECT_EQ(object.size() - object.find(':', lf), 9u) << object; // ":SSSS00\r\n"
    }
}

// The debugger's ASM on the machines that keep .aof and .tvc objects: an origin
// at a label further down leaves guest memory below it as it was (pass 1 took
// the label for 0) and gives the object file the origin written as a number
// gives.
TEST_F(AsmPort, AnOriginAtALabelFurtherDownLeavesMemoryAndObjectAsANumberDoes) {
    for (const char* machine : {"PIPBUG", "ELEKTOR"}) {
        SCOPED_TRACE(machine);
        std::string result;
        ASSERT_EQ(send(std::string("SETMACHINE ") + machine, &result) % 5, 0) << result;
        std::string objects[2];
        for (int forward = 0; forward < 2; forward++) {
            const std::string name = std::string("top") + machine + std::to_string(forward);
            test_write_file(home.path() / "Projects" / (name + ".asm"),
                            std::string("\tORG ") + (forward ? "TOP" : "$900") +
                                "\nMAIN:\tLODI,R0 5\n\tBCTR,UN MAIN\nTOP\tEQU $900\n\tEND TOP\n");
            fine("FILL 0 F 77");
            fine("FILL 900 90F 77");
            EXPECT_EQ(send("DEBUGGER \"ASM " + name + "\"", &result), 0) << result;
            EXPECT_NE(result.find("OK."), std::string::npos) << result;
            EXPECT_EQ(fine("D 0 7").rfind("$0000: 77 77 77 77 77 77 77 77", 0), 0u);
            EXPECT_EQ(fine("D 900 907").rfind("$0900: 04 05 1B 7C 77 77 77 77", 0), 0u);
            EXPECT_NE(fine("= MAIN").find("$900\n"), std::string::npos);
            const std::string ext = std::string(machine) == "PIPBUG" ? ".aof" : ".tvc";
            objects[forward] = test_read_file(home.path() / "Projects" / (name + ext));
        }
        EXPECT_FALSE(objects[0].empty());
        EXPECT_EQ(objects[1], objects[0]);
    }
}

// The debugger's ASM names the file and its own line of an error once the
// source includes another: in the include, and after it returns.
TEST_F(AsmPort, AnErrorAfterAnIncludeNamesItsFileAndLine) {
    test_write_file(home.path() / "Projects" / "main.asm",
                    "\tORG 0\n\tINCLUDE sub.asm\n\tLODI,R0 300\n\tEND 0\n");
    test_write_file(home.path() / "Projects" / "sub.asm", "\tDB 1\n\tDB 256\n\tDB 3\n");
    std::string result;
    EXPECT_EQ(send("DEBUGGER \"ASM main\"", &result), 10) << result;
    EXPECT_NE(
        result.find("Error at line 2 of sub.asm: immediate value out of range!\n$0001:  DB 256\n"),
        std::string::npos)
        << result;
    EXPECT_NE(result.find("Error at line 3 of main.asm: immediate value out of range!\n"),
              std::string::npos)
        << result;
}

// What the assembler writes on a machine opens again on that machine, the
// program where it was assembled: every machine of the table that has a
// processor, a little way above its default start (clear of a monitor ROM).
TEST_F(AsmPort, TheObjectFileOfEveryMachineOpensThere) {
    for (u32 m = 0; m < MACHINES; m++) {
        if (machine_table[m].traits.no_processor) continue;
        const std::string name = machine_table[m].keyword;
        SCOPED_TRACE(name);
        std::string result;
        ASSERT_EQ(send("SETMACHINE " + name, &result) % 5, 0) << result;
        const int at = machine_debug(m).asm_start + 0x440;
        char source[64];
        std::snprintf(source, sizeof source, "\tORG $%X\n\tLODI,R0 5\n\tEND\n", at);
        test_write_file(home.path() / "Projects" / ("obj" + name + ".asm"), source);
        EXPECT_EQ(send("DEBUGGER \"ASM obj" + name + "\"", &result) % 5, 0) << result;
        const auto object =
            home.path() / "Projects" / ("obj" + name + machine_debug(m).object_suffix);
        ASSERT_TRUE(std::filesystem::exists(object)) << result;
        ASSERT_EQ(send("SETMACHINE " + name, &result) % 5, 0) << result;
        const int rc = send("OPEN " + object.string(), &result);
        EXPECT_TRUE(rc == 0 || rc == 5) << rc << ": " << result;
        // The program is where it was assembled.
        EXPECT_EQ(send("PEEK " + std::to_string(at + 1), &result), 0);
        EXPECT_EQ(result, "5");
    }
}

// An absolute address the instruction cannot reach is an error with its line
// at the instruction's address (the listing's) and a caret under the address, and the run leaves guest memory as it was:
// a branch beyond $7FFF (whose high bit would be read as indirection), a load
// or store outside the 8 KB page the instruction stands in.
TEST_F(AsmPort, AnAddressTheInstructionCannotReachIsAnErrorWithItsCaret) {
    const struct {
        const char* machine;
        const char* source;
        const char* origin; // and the 8 bytes from there on
        std::vector<std::string> messages;
    } cases[] = {
        {"PIPBUG",
         "\tORG $440\n\tBCTA,UN $9000\n\tBSTA,UN $A000\n\tLODA,R0 $2200\n\tEND\n",
         "440",
         {"Error at line 2: absolute address out of range (beyond 32K)!\n"
          "$0440:  BCTA,UN $9000\n"
          "                ^\n",
          "Error at line 3: absolute address out of range (beyond 32K)!\n"
          "$0443:  BSTA,UN $A000\n"
          "                ^\n",
          "Error at line 4: absolute address out of range (wrong page)!\n"
          "$0446:  LODA,R0 $2200\n"
          "                ^\n"}},
        {"CD2650",
         "\tORG $5000\n\tSTRA,R0 $1000\n\tEND\n",
         "5000",
         {"Error at line 2: absolute address out of range (wrong page)!\n"
          "$5000:  STRA,R0 $1000\n"
          "                ^\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.machine);
        std::string result;
        ASSERT_EQ(send(std::string("SETMACHINE ") + c.machine, &result) % 5, 0) << result;
        test_write_file(home.path() / "Projects" / "far.asm", c.source);
        const std::string origin = c.origin, last = origin + "+7";
        fine("FILL " + origin + " " + last + " 77");
        EXPECT_EQ(send("DEBUGGER \"ASM far\"", &result), 10) << result;
        for (const std::string& message : c.messages)
            EXPECT_NE(result.find(message), std::string::npos) << result;
        EXPECT_NE(result.find(std::to_string(c.messages.size()) + " error(s)"), std::string::npos)
            << result;
        EXPECT_NE(fine("D " + origin + " " + last).find(": 77 77 77 77 77 77 77 77"),
                  std::string::npos)
            << "memory was written";
    }
}
