// The command line as a user types it: the program itself, started offscreen
// in a program home of the test's own.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

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

// A run started with a SETTINGS file takes its settings from that file alone:
// the screen it starts on is that file's (FULLSCREEN puts another over it for
// the run only), and a batch run on it writes no log, whatever the file says
// of the log and whatever the default file says of anything.
TEST_F(CommandLineProgram, ARunTakesItsSettingsFromTheSettingsFileItNames) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ASSERT_TRUE(quit()) << log();
    close(fd);
    fd = -1;
    const auto configs = home.path() / "Configs";
    const std::string plain = ini();
    // The plain file's text with its full-screen and log lines set.
    const auto with = [&](bool full, const char* logging) {
        std::string text = plain;
        for (const auto& [key, value] :
             {std::pair<std::string, std::string>{"fullscreen", full ? "true" : "false"},
              {"logtofile", logging}}) {
            const std::size_t at = text.find("\n" + key + "=");
            EXPECT_NE(at, std::string::npos) << key;
            if (at == std::string::npos) continue;
            text.replace(at + 1, text.find('\n', at + 1) - at - 1, key + "=" + value);
        }
        return text;
    };
    const struct {
        bool plain_full, named_full;
        const char* argument; // "" for none
        const char* screen;   // GETSCREEN: "" in a window
    } runs[] = {
        {true, false, "", ""},
        {false, true, "", "Brindlemox"},
        {false, true, "FULLSCREEN=OFF", ""},
        {true, false, "FULLSCREEN=ON", "Brindlemox"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(std::string(r.named_full ? "full" : "window") + " " + r.argument);
        const std::string own = with(r.plain_full, "1"), named = with(r.named_full, "1");
        test_write_file(configs / "Brindlemox.ini", own);
        test_write_file(configs / "x.ini", named);
        std::vector<std::string> args = {"SETTINGS=x.ini", "PORTNAME", "E2E"};
        if (*r.argument) args.emplace_back(r.argument);
        ASSERT_TRUE(start(args));
        ASSERT_TRUE(port_up()) << log();
        std::string result;
        EXPECT_EQ(send("GETSCREEN", &result), 0);
        EXPECT_EQ(result, r.screen);
        ASSERT_TRUE(quit()) << log();
        close(fd);
        fd = -1;
        EXPECT_EQ(ini(), own) << "the default file was written";
        EXPECT_NE(test_read_file(configs / "x.ini")
                      .find(r.named_full ? "\nfullscreen=true\n" : "\nfullscreen=false\n"),
                  std::string::npos);
    }

    // The log the file asks for (replaced at every start) is not a batch run's.
    test_write_file(configs / "x.ini", with(false, "2"));
    const auto source = home.path() / "tiny.2650";
    test_write_file(source, "        ORG $440\nB       LODI,r1 5\n        BCTA,un B\n        END B\n");
    std::filesystem::remove(home.path() / "Brindlemox.log");
    ASSERT_TRUE(start({"SETTINGS=x.ini", "ASM", source.string()}));
    EXPECT_EQ(wait_exit(), 0) << log();
    EXPECT_FALSE(std::filesystem::exists(home.path() / "Brindlemox.log"));
}
