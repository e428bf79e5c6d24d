// Symbol files that cannot be read, or that hold bad lines, in the running
// program: a file that cannot be read is named with the reason (at start with
// SYM=, and with LOADSYM, rc 10); each bad line is said with its number and
// what is wrong with it, and the good lines load.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
class SymbolFilesProgram : public ProgramTest {};
} // namespace

TEST_F(SymbolFilesProgram, FailuresNameTheFileTheReasonAndTheLine) {
    const fs::path missing = home.path() / "nosuch.sym";
    ASSERT_TRUE(start({"PORTNAME", "E2E", "SYM", missing.string()}));
    ASSERT_TRUE(port_up()) << log();
    EXPECT_NE(log().find("Failed! Can't read " + missing.string() +
                         ": No such file or directory!"),
              std::string::npos)
        << log();
    request("SETMACHINE ARCADIA");

    const fs::path projects = home.path() / "Projects";
    fs::create_directories(projects / "folder.sym");
    test_write_file(projects / "mixed.sym", "; labels\n"
                                            "data 0xZZZZ BAD\n"
                                            "this line is garbage\n"
                                            "code 0x0100 GOOD\n"
                                            "word 0x9000 HIGH\n"
                                            "symbol 0x0200 9LIVES\n");
    const std::string forms = " (0x and four hex digits, 0 and five octal digits, or five "
                              "decimal digits)!\n\n";
    struct Case {
        const char* line;
        int rc;
        std::string said; // the answer holds this
    } const cases[] = {
        {"LOADSYM nosuch", 10,
         "Failed! Can't read " + (projects / "nosuch.sym").string() +
             ": No such file or directory!\n"},
        {"LOADSYM folder.sym", 10,
         "Failed! Can't read " + (projects / "folder.sym").string() + ": Is a directory!\n"},
        {"LOADSYM mixed", 0,
         "Label BAD on line 2 of mixed.sym has a value that can't be read: \"0xZZZZ\"" + forms +
             "Line 3 of mixed.sym is skipped: \"this\" is no keyword of a label line!\n"
             "Adding user-defined code label GOOD as $100.\n"
             "Label HIGH is out of range on line 5 of mixed.sym!\n"
             "Valid range is $0..$7FFF!\n\n"
             "Error: illegal symbol name \"9LIVES\" on line 6 of mixed.sym\n"
             "OK.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::string said;
        EXPECT_EQ(ask(std::string("DEBUGGER \"") + c.line + "\"", &said), c.rc);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
    }
    std::string said;
    EXPECT_EQ(ask("DEBUGGER \"CLEARSYM GOOD\"", &said), 0) << said; // the good line loaded
}
