// The command line as a user types it: the program itself, started offscreen
// in a program home of the test's own.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

class CommandLineProgram : public ProgramTest {
  protected:
    std::string ini() const { return test_read_file(home.path() / "Configs" / "Brindlemox.ini"); }
    bool quit() {
        std::string result;
        return send("QUIT", &result) == 0 && wait_exit() == 0;
    }
};

} // namespace

// "--bogus" is no file name: the usage, exit 1, and no session.
TEST_F(CommandLineProgram, AnUnknownDoubleDashWordPrintsTheUsageAndEndsWithOne) {
    for (const char* word : {"--bogus", "--fullscreen"}) {
        ASSERT_TRUE(start({word}));
        EXPECT_EQ(wait_exit(), 1) << word;
        EXPECT_NE(log().find("Usage\n[[FILE] <file>"), std::string::npos) << log();
        EXPECT_EQ(log().find("Can't load"), std::string::npos) << log();
    }
    // After a keyword the same word is that keyword's value.
    ASSERT_TRUE(start({"ASM", "--odd.asm"}));
    EXPECT_EQ(wait_exit(), 10) << log();
    EXPECT_EQ(log().find("Usage"), std::string::npos) << log();
}

TEST_F(CommandLineProgram, VersionPrintsTheVersionAndEndsWithZero) {
    ASSERT_TRUE(start({"--version"}));
    EXPECT_EQ(wait_exit(), 0);
    EXPECT_EQ(log(), "Brindlemox 36.4\n");
}

// FULLSCREEN holds for its run: the settings file keeps what the user chose.
TEST_F(CommandLineProgram, FullscreenOnTheCommandLineIsNotSavedAsASetting) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    ASSERT_TRUE(quit()) << log();
    ASSERT_NE(ini().find("\nfullscreen=true\n"), std::string::npos);

    close(fd);
    fd = -1;
    ASSERT_TRUE(start({"FULLSCREEN=OFF", "PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ASSERT_TRUE(quit()) << log();
    EXPECT_NE(ini().find("\nfullscreen=true\n"), std::string::npos);

    // A change made in the session is the user's and is kept.
    close(fd);
    fd = -1;
    ASSERT_TRUE(start({"FULLSCREEN", "on", "PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    EXPECT_EQ(send("MENU SETTINGS.GRAPHICS.FULLSCREEN", &result), 0) << result;
    ASSERT_TRUE(quit()) << log();
    EXPECT_NE(ini().find("\nfullscreen=false\n"), std::string::npos);
}

// The README's recipe for a batch job on another machine, from a fresh home:
// a session that chose the machine writes the settings at its end; a copy of
// them named by SETTINGS makes the batch job run on that machine.
TEST_F(CommandLineProgram, ACopyOfASessionsSettingsChoosesTheMachineOfABatchJob) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("SETMACHINE PIPBUG", &result), 0) << result;
    ASSERT_TRUE(quit()) << log();
    close(fd);
    fd = -1;
    const auto configs = home.path() / "Configs";
    std::filesystem::copy_file(configs / "Brindlemox.ini", configs / "pipbug.ini");
    std::filesystem::remove(configs / "Brindlemox.ini");

    // A PIPBUG object file, assembled on those settings.
    const auto source = home.path() / "tiny.2650";
    test_write_file(source, "        ORG $440\nB       LODI,r1 5\n        BCTA,un B\n        END B\n");
    ASSERT_TRUE(start({"SETTINGS=pipbug.ini", "ASM", source.string()}));
    ASSERT_EQ(wait_exit(), 0) << log();
    const auto object = home.path() / "tiny.aof";
    ASSERT_TRUE(std::filesystem::exists(object)) << log();
    std::filesystem::remove(source);
    ASSERT_TRUE(start({"SETTINGS=pipbug.ini", "DISGAME=" + object.string()}));
    EXPECT_EQ(wait_exit(), 0) << log();
    const std::string listing = test_read_file(home.path() / "tiny.asm");
    const std::size_t platform = listing.find(";Platform: ");
    ASSERT_NE(platform, std::string::npos) << listing.substr(0, 400);
    EXPECT_NE(listing.substr(platform, listing.find('\n', platform) - platform).find("PIPBUG"),
              std::string::npos)
        << listing.substr(0, 400);
}
