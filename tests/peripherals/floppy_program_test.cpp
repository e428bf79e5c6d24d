// The floppy window and the debugger's disk commands in the running program,
// driven through its port.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

namespace {

class FloppyProgram : public ProgramTest {
  protected:
    std::string ask(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    // A debugger line the debugger refuses: answered with 10 and its reason.
    std::string refused(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 10) << line << ": " << result;
        return result;
    }
};

} // namespace

TEST_F(FloppyProgram, TheWindowOpensAndTheDiskCommandsAnswerOnDiskMachinesOnly) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ask("SETMACHINE ARCADIA");
    EXPECT_EQ(refused("DEBUGGER DRIVE"), "Wrong guest machine!\n\n");
    // Without its ROMs the machine still runs, after one warning naming them.
    std::string warned;
    EXPECT_EQ(send("SETMACHINE CD2650", &warned), 5);
    EXPECT_NE(warned.find("cd2650_font.bin (1280 bytes)"), std::string::npos) << warned;
    ask("OPENDISKDRIVE");
    EXPECT_EQ(ask("DEBUGGER DRIVE 3"), "OK.\n\n");
    EXPECT_EQ(ask("DEBUGGER DRIVE"), "Current drive is #3.\n\n");
    EXPECT_EQ(refused("DEBUGGER FPEEK 0"), "No disk is inserted!\n\n");
    EXPECT_EQ(ask("DEBUGGER FP 13AFF"), "Added data watchpoint at $13AFF.\n\n");
    EXPECT_EQ(refused("DEBUGGER FP 13B00"), "Valid range is $0..$13AFF!\n\n");
    EXPECT_EQ(ask("DEBUGGER FL"), "$13AFF\n\n");
    ask("CLOSEDISKDRIVE");
    ask("SETMACHINE TWIN");
    ask("OPENDISKDRIVE");
    EXPECT_EQ(refused("DEBUGGER DRIVE 3"), "Invalid drive number!\n\n");
    ask("QUIT");
    EXPECT_EQ(wait_exit(), 0);
}
