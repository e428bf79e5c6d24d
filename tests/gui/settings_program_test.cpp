// The settings dialogs and the tip of the day in the running program, driven
// through its port (offscreen, in a program home of the test's own).
#include "core/settings.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class SettingsProgram : public ProgramTest {
  protected:
    // Settings as a first start has them: the tip of the day on.
    void settings_with_tips() {
        std::filesystem::create_directories(home.path() / "Configs");
        std::ofstream(home.path() / "Configs" / "Brindlemox.ini") << ini_default_text();
    }
    // The first answer of the port (up to 20 seconds), with its text.
    int first_answer(std::string* result) {
        for (int i = 0; i < 1000; ++i) {
            const int rc = send_within("GETVERSION", result, &fd, 5);
            if (rc >= 0) return rc;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
};

} // namespace

TEST_F(SettingsProgram, ATipGreetsAStartUnlessTipsAreOff) {
    settings_with_tips();
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    std::string result;
    EXPECT_EQ(first_answer(&result), 5); // the tip's window waits for the user
    EXPECT_EQ(result, "A requester is open.\n");
}

TEST_F(SettingsProgram, AStartupScriptRunsInsteadOfTheTip) {
    settings_with_tips();
    const std::string out = (home.path() / "ran.txt").string();
    std::ofstream(home.path() / "go.rexx") << "/* no tip */\n"
                                           << "call lineout '" << out << "', 'ran'\n"
                                           << "call lineout '" << out << "'\n"
                                           << "'QUIT'\n";
    ASSERT_TRUE(start({"STARTUP", "go.rexx"}));
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_EQ(test_read_file(out), "ran\n");
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
