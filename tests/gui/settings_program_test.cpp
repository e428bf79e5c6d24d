// The settings dialogs and the tip of the day in the running program, driven
// through its port (offscreen, in a program home of the test's own).
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class SettingsProgram : public ProgramTest {
  protected:
    // The settings a first start writes, read back: the tip's place in its cycle.
    std::string next_tip_line() {
        const std::string ini = test_read_file(home.path() / "Configs" / "Brindlemox.ini");
        const std::size_t at = ini.find("\nnexttip=");
        return at == std::string::npos ? "" : ini.substr(at + 1, ini.find('\n', at + 1) - at - 1);
    }
};

} // namespace

// A first start shows the first tip without holding the start-up: the port
// answers at once, and the tip counts as shown.
TEST_F(SettingsProgram, ATipGreetsAStartWithoutHoldingIt) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(next_tip_line(), "nexttip=1");
}

TEST_F(SettingsProgram, AStartupScriptRunsInsteadOfTheTip) {
    std::ofstream(home.path() / "go.rexx") << "/* no tip */\n'QUIT'\n";
    ASSERT_TRUE(start({"STARTUP", "go.rexx"}));
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(next_tip_line(), "nexttip=0");
}

TEST_F(SettingsProgram, EachSettingsDialogOpensFromItsItemWithoutHoldingThePort) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    for (const char* line :
         {"MENU SETTINGS.EMULATOR.PATHS", "MENU SETTINGS.SOUND.ADJUST", "MENU SETTINGS.INPUT.REARRANGE",
          "MENU SETTINGS.INPUT.ANALOG", "MENU SETTINGS.INPUT.SENSITIVITY", "MENU SETTINGS.SPEED.ADJUST",
          "MENU EDIT.PALETTE", "GETVERSION"})
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
    // The palette editor's script commands have their window now.
    EXPECT_EQ(send("CLOSEPALETTE", &result), 0) << result;
    EXPECT_EQ(send("OPENPALETTE", &result), 0) << result;
    EXPECT_EQ(send("SETSPEED 400", &result), 0) << result;
    EXPECT_EQ(send("QUIT", &result), 0);
    EXPECT_EQ(wait_exit(), 0) << log();
}
