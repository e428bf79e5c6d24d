// Debugger operands in the running program, driven through its port: an
// operand is read whole or the command is refused and changes nothing; a
// word that is both a label and a number says which it was read as; a range
// whose end lies before its start says so; a failed assembly keeps the labels.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class OperandsProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    int ask(const std::string& line, std::string* result) {
        result->clear();
        return send("DEBUGGER " + line, result);
    }
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(ask(line, &result), 0) << line << ": " << result;
        return result;
    }
    bool project_file_starting(const std::string& stem) const {
        for (const auto& e : fs::directory_iterator(home.path() / "Projects"))
            if (e.path().filename().string().rfind(stem, 0) == 0) return true;
        return false;
    }
};

} // namespace

// Numbers past 32 bits and operands that end in an operator are refused with
// the evaluator's reason; memory, breakpoints and files stay as they were.
TEST_F(OperandsProgram, OperandsReadOnlyInPartChangeNothing) {
    test_write_file(home.path() / "Projects" / "src.bin", std::string(16, '\x5A'));
    const std::string memory = fine("D 0 $7F") + fine("D 1800 $187F");
    const std::string breakpoints = fine("BL");
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"E 100000000 77", "Error: number wider than 32 bits!\n"},
        {"E 100 100000042", "Error: number wider than 32 bits!\n"},
        {"DOKE 100000000 1234", "Error: number wider than 32 bits!\n"},
        {"DOKE 100 100001234", "Error: number wider than 32 bits!\n"},
        {"FILL 100000005 10000000A 66", "Error: number wider than 32 bits!\n"},
        {"COPY 100000000 100000010 20", "Error: number wider than 32 bits!\n"},
        {"J 100000000", "Error: number wider than 32 bits!\n"},
        {"BP 100000000", "Error: number wider than 32 bits!\n"},
        {"D 100000000", "Error: number wider than 32 bits!\n"},
        {"WRITEPORT 5 100000042", "Error: number wider than 32 bits!\n"},
        {"E 5 !4294967338", "Error: number wider than 32 bits!\n"},
        {"= 8FF*", "Error: missing term!\n"},
        {"E 100 42+", "Error: missing term!\n"},
        {"FILL 0 8FF* 0", "Error: missing term!\n"},
        {"LOADBIN 1000* src.bin", "Error: missing term!\n"},
        {"SAVEBIN 0 8FF* rc", "Error: missing term!\n"},
        {"SAVEBIN 800 8FF+ r4", "Error: missing term!\n"},
        {"WRITEPORT 5 4-", "Error: missing term!\n"},
    };
    for (const auto& c : cases) {
        std::string result;
        EXPECT_EQ(ask(c.line, &result), 10) << c.line << ": " << result;
        EXPECT_EQ(result.rfind(c.reason, 0), 0u) << c.line << ": " << result;
    }
    // Quoted, as scripts send them: a star that starts no escape stays.
    for (const char* line : {"LOADBIN 1000* src.bin", "SAVEBIN 0 8FF* rc", "FILL 0 8FF* 0"}) {
        std::string result;
        EXPECT_EQ(send(std::string("DEBUGGER \"") + line + "\"", &result), 10) << line << ": " << result;
        EXPECT_EQ(result.rfind("Error: missing term!\n", 0), 0u) << line << ": " << result;
    }
    EXPECT_EQ(fine("D 0 $7F") + fine("D 1800 $187F"), memory);
    EXPECT_EQ(fine("BL"), breakpoints);
    EXPECT_FALSE(project_file_starting("rc"));
    EXPECT_FALSE(project_file_starting("r4"));
    // Whole expressions are still read whole.
    EXPECT_EQ(fine("E 100 40+2"), "Changed contents of $100 from $0 to $42.\n\n");
    EXPECT_EQ(fine("LOADBIN 1800+1 src.bin").rfind("OK.", 0), 0u);
    EXPECT_EQ(fine("D 1800 $180F").substr(0, 24), "$1800: 00 5A 5A 5A 5A 5A");
}

// Operands that used to be read as something other than what was typed: a
// sign with no term after it, the location counter outside an assembly, a
// result past 32 bits, an address too long to be read whole. Each is refused
// with its reason, and memory and files stay as they were.
TEST_F(OperandsProgram, OperandsThatMeantSomethingElseAreRefused) {
    const std::string memory = fine("D 0 $7F") + fine("D 800 $9FF") + fine("D 1800 $187F");
    std::string zeros;
    for (int i = 0; i < 39; i++)
        zeros += "0+";
    const std::string long_address = zeros + "1234"; // 82 characters, $1234
    const std::string missing = "Error: missing term!\n\n";
    const std::string location =
        "Error: $ (the location counter) has no value outside an assembly!\n\n";
    const std::string too_long = "Error: operand of 82 characters is longer than 80!\n\n";
    const struct {
        std::string line, reason;
    } cases[] = {
        {"E 900 5--", missing},
        {"SAVEBIN 800 8FF-- rz", missing},
        {"SAVEBIN 800 8FF+- ry", missing},
        {"FILL 0 10 5--", missing},
        {"= 5*-", missing},
        {"= --", missing},
        {"E 1800 $", location},
        {"FILL 0 10 $", location},
        {"E 1806 $-5", location},
        {"E 100 FFFFFFFF+43", "Error: FFFFFFFF+43 is wider than 32 bits!\n\n"},
        {"DOKE 100 10000*10000", "Error: 10000*10000 is wider than 32 bits!\n\n"},
        {"E 0-FFFFFFFF 1", "Error: 0-FFFFFFFF is wider than 32 bits!\n\n"},
        {"E 1802 -FFFFFFFF", "Error: -FFFFFFFF is wider than 32 bits!\n\n"},
        {"DOKE 1800 -FFFFFFFF", "Error: -FFFFFFFF is wider than 32 bits!\n\n"},
        {"E " + long_address + " 77", too_long},
        {"DOKE " + long_address + " 77", too_long},
        {"D " + long_address, too_long},
        {"= " + long_address, too_long},
    };
    for (const auto& c : cases) {
        std::string result;
        EXPECT_EQ(ask(c.line, &result), 10) << c.line << ": " << result;
        EXPECT_EQ(result, c.reason) << c.line;
    }
    EXPECT_EQ(fine("D 0 $7F") + fine("D 800 $9FF") + fine("D 1800 $187F"), memory);
    EXPECT_FALSE(project_file_starting("rz"));
    EXPECT_FALSE(project_file_starting("ry"));
    // An address of 80 characters is still read whole.
    EXPECT_EQ(fine("E " + zeros.substr(2) + "1800 77"),
              "Changed contents of $1800 from $0 to $77.\n\n");
}

// $10014, once the evaluator's failure value, is a value like any other, in
// the debugger and in the assembler; a negative word is its two's complement
// as a negative byte is.
TEST_F(OperandsProgram, EveryValueIsWrittenAsTyped) {
    EXPECT_EQ(fine("E 1800 10014-10000"), "Changed contents of $1800 from $0 to $14.\n\n");
    EXPECT_EQ(fine("DOKE 1802 10014-FF00"),
              "Changed contents of $1802..$1803 from $0000 to $0114.\n\n");
    EXPECT_EQ(fine("DOKE 1804 -1"), "Changed contents of $1804..$1805 from $0000 to $FFFF.\n\n");
    EXPECT_EQ(fine("DOKE 1806 -FFFF"), "Changed contents of $1806..$1807 from $0000 to $0001.\n\n");
    EXPECT_EQ(fine("E 1808 -FF"), "Changed contents of $1808 from $0 to $1.\n\n");
    for (const char* line : {"DOKE 180A -10001", "E 180A -101"}) {
        std::string result;
        EXPECT_EQ(ask(line, &result), 10) << line;
        EXPECT_EQ(result.rfind("Value is out of bounds (limit is ", 0), 0u)
            << line << ": " << result;
    }
    test_write_file(home.path() / "Projects" / "v.asm",
                    "        ORG $0\n        DW $10014-$FF00\n        LODI,r1 $10014-$10000\n"
                    "        DW $\n        END\n");
    std::string result;
    EXPECT_EQ(ask("ASM v.asm", &result), 0) << result;
    EXPECT_EQ(fine("D 0 $F").substr(0, 24), "$0000: 01 14 05 14 00 04");
}

// A line with more words than its command takes gets the command's usage
// and changes nothing, whatever the command, one without operands too.
TEST_F(OperandsProgram, WordsPastTheLastOperandGetTheUsage) {
    const std::string memory = fine("D 1800 180F");
    const std::string jump = "Jump to address\nUsage: J|JUMP <address>\n\n";
    const struct {
        const char* line;
        std::string usage;
    } cases[] = {
        {"E 1800 5 -", "Change memory or register\nUsage: E|POKE [<address> [<value>]]\n\n"},
        {"DOKE 1802 1 2", "Change a word of memory\nUsage: DOKE <address> [<value>]\n\n"},
        {"FILL 1804 1807 1 2",
         "Fill address range with value\nUsage: FILL <start-address> <end-address> <value>\n\n"},
        {"J 1800 5", jump},
        {"J ? 5", jump},
        {"BP 1800 1801 R0 == 5 6", "Add code breakpoints to address range\nUsage: BP <start-addr> "
                                   "[<end-addr>] [<addr/reg> <condition> <value>]\n"},
        {"V CPU X", "Usage: V|VIEW BASIC|BIOS|CPU|PSG|RAM|SCRN|UDG|XVI\n\n"},
        {"SPR 1 2", "SPR 0: Set sprite mode to invisible\nSPR 1: Set sprite mode to numbered\n"
                    "SPR 2: Set sprite mode to visible\nUsage: SPR 0|1|2\n\n"},
        {"H 6 X", "Usage: H|HELP|? [category]\n\n"},
        {"PB 1", "Pause after breakpoints/watchpoints on/off\nUsage: PB\n\n"},
        {"WARN 1", "Assembler warnings on/off\nUsage: WARN\n\n"},
        {"HISTORY 5", "View command history\nUsage: HISTORY\n\n"},
        {"CLEARCOV now", "Clear coverage report\nUsage: CLEARCOV\n\n"},
        {"DL x", "Usage: DL\n\n"},
        {"SYS info", "Quit emulator\nUsage: SYS|SYSTEM\n\n"},
    };
    for (const auto& c : cases) {
        std::string result;
        EXPECT_EQ(ask(c.line, &result), 10) << c.line;
        EXPECT_EQ(result, c.usage) << c.line;
    }
    EXPECT_EQ(fine("D 1800 180F"), memory);
    EXPECT_EQ(fine("BL"), "None.\n\n");
    EXPECT_EQ(fine("PB"), "Pause after breakpoints/watchpoints is now off.\n\n"); // was on
}

// J to the address already in the IAR changes nothing, and says so as E does.
TEST_F(OperandsProgram, AJumpToWhereTheGuestIsChangesNothing) {
    ASSERT_EQ(fine("G"), "Pausing...\n\n");
    fine("J 620");
    EXPECT_EQ(fine("J $620"), "No effect (no change to contents of address).\n\n");
}

// A value past what the target holds is refused however many digits it is
// written with; a negative one stands for the two's complement of a byte
// from -$100 and of a word from -$10000.
TEST_F(OperandsProgram, ValuesPastTheRangeAreRefused) {
    fine("E 1808 5");
    fine("DOKE 180A 1");
    fine("E R0 7");
    const std::string memory = fine("D 1800 181F");
    const std::string byte_bounds = "Value is out of bounds (limit is 255)!\n\n";
    const std::string word_bounds = "Value is out of bounds (limit is 65535)!\n\n";
    const struct {
        const char* line;
        std::string reason;
    } cases[] = {
        {"E 1808 FFFFFF01", byte_bounds},
        {"E R0 FFFFFF01", byte_bounds},
        {"E 1808 -$101", byte_bounds},
        {"DOKE 180A FFFF0001", word_bounds},
        {"DOKE 180A -$10001", word_bounds},
        {"FILL 1810 181F FFFFFFFF",
         "Fill address range with value\nUsage: FILL <start-address> <end-address> <value>\n\n"},
        {"WRITEPORT 1 FFFFFF00",
         "Write to I/O port\nUsage: WRITEPORT <port>|CTRL|DATA <value>\n\n"},
    };
    for (const auto& c : cases) {
        std::string result;
        EXPECT_EQ(ask(c.line, &result), 10) << c.line;
        EXPECT_EQ(result, c.reason) << c.line;
    }
    EXPECT_EQ(fine("D 1800 181F"), memory);
    EXPECT_EQ(fine("E R0 7"), "No effect (no change to contents of address).\n\n");
    EXPECT_EQ(fine("E 1808 -$100"), "Changed contents of $1808 from $5 to $0.\n\n");
    EXPECT_EQ(fine("DOKE 180A -$10000"),
              "Changed contents of $180A..$180B from $0001 to $0000.\n\n");
    EXPECT_EQ(fine("WRITEPORT 1 -$100"), "OK.\n\n");
}

// Labels come before hexadecimal digits; the reply says when a word that is
// also a number was read as a label, and how the number is written in the
// notation in use.
TEST_F(OperandsProgram, AWordReadAsALabelSaysSo) {
    EXPECT_EQ(fine("BP C"), "C is the label C = $1; write $C for the number.\n"
                            "Added code breakpoint at $1.\n\n");
    EXPECT_EQ(fine("BP $C"), "Added code breakpoint at $C.\n\n");
    const std::string dump = fine("D 0 F");
    EXPECT_EQ(dump.rfind("F is the label F = $40; write $F for the number.\n$0000: ", 0), 0u)
        << dump;
    EXPECT_EQ(fine("FILL 0 F 0").rfind("F is the label F = $40; write $F for the number.\n", 0),
              0u);
    // A label that is no number, and a number that is no label, go without a word.
    EXPECT_EQ(fine("BP FLAG"), "Added code breakpoint at $40.\n\n");
    EXPECT_EQ(fine("BP 1E"), "Added code breakpoint at $1E.\n\n");
    fine("N 2"); // C names a register here
    EXPECT_EQ(fine("D F").rfind("F is the label F = $40; write 16'F for the number.\n", 0), 0u);
    EXPECT_EQ(fine("D 16'F").rfind("$000F: ", 0), 0u);
    fine("N 4");
    EXPECT_EQ(fine("D F").rfind("F is the label F = $40; write H'F' for the number.\n", 0), 0u);
    EXPECT_EQ(fine("D H'F'").rfind("$000F: ", 0), 0u);
}

// An end before the start is said to be one; addresses past the top still
// get the valid range.
TEST_F(OperandsProgram, AnEndBeforeItsStartIsSaidToBeOne) {
    for (const char* line : {"D 1800 $F", "D 10 5", "DIS 10 5", "FILL 20 10 0", "BC 20 10",
                             "SAVEBIN 20 10 back", "IC 20 10"}) {
        std::string result;
        EXPECT_EQ(ask(line, &result), 10) << line;
        EXPECT_EQ(result, "End address lies before start address!\n\n") << line;
    }
    std::string result;
    request("SETMACHINE MIKIT"); // a machine that opens object records
    EXPECT_EQ(ask("SAVEAOF 20 10 back", &result), 10);
    EXPECT_EQ(result, "End address lies before start address!\n\n");
    EXPECT_EQ(ask("D 10 8000", &result), 10);
    EXPECT_EQ(result, "Valid range is $0..$7FFF!\n\n");
}

// An assembly that fails leaves the label table as it found it: no label of
// the failed source, and every label it had before.
TEST_F(OperandsProgram, AFailedAssemblyKeepsTheLabels) {
    test_write_file(home.path() / "Projects" / "calm.asm",
                    "        .LOC    0\nSTART:  LOAD    A,#5\n        JUMP    START\n"
                    "        LOAD    A,#6\n        DATA     16'C4\n        .END\n");
    fine("N 2");
    fine("DEFSYM KEPT 1234");
    std::string result;
    EXPECT_EQ(ask("ASM calm.asm", &result), 10);
    EXPECT_NE(result.find("syntax error!"), std::string::npos) << result;
    for (const char* label : {"= DATA", "= START"}) {
        EXPECT_EQ(ask(label, &result), 10) << label << ": " << result;
        EXPECT_EQ(result.rfind("Error: invalid label or number", 0), 0u) << label << ": " << result;
    }
    const std::string kept = fine("= KEPT");
    EXPECT_NE(kept.find(", $1234\n"), std::string::npos) << kept;
    // The same source mended assembles and defines its labels.
    test_write_file(home.path() / "Projects" / "calm.asm",
                    "        .LOC    0\nSTART:  LOAD    A,#5\n        JUMP    START\n"
                    "        .END\n");
    EXPECT_EQ(ask("ASM calm.asm", &result), 0) << result;
    EXPECT_EQ(ask("= START", &result), 0) << result;
}
