// The files of the program home across starts of the real program: a
// high-score file it cannot take is kept and said once; shipped files the user
// changed stay; saves keep the links and modes of their files; a FIFO (or
// anything else that is no regular file) where the settings or the high
// scores are read, or the log is written, is refused at once, not waited on.
#include "core/gamesdb.h"
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class KeptFiles : public ProgramTest {
  protected:
    fs::path configs() const { return home.path() / "Configs"; }
    fs::path hgh() const { return configs() / "Brindlemox.hgh"; }

    // One whole session: start, port up, quit; its output.
    std::string session(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"PORTNAME", "E2E"});
        EXPECT_TRUE(start(args));
        EXPECT_TRUE(port_up()) << log();
        std::string result;
        EXPECT_EQ(send("QUIT", &result), 0) << result;
        EXPECT_EQ(wait_exit(), 0) << log();
        ::close(fd);
        fd = -1;
        return log();
    }

    std::string kept(const char* what, const fs::path& file) const {
        return std::string("The ") + what + " will not be saved, so that \"" + file.string() +
               "\" is kept.";
    }
};

TEST_F(KeptFiles, AHighScoreFileTheProgramCannotTakeIsKeptAndSaidOnce) {
    session();
    std::string table = test_read_file(hgh());
    ASSERT_EQ(table.size(), 4786u);

    // Another version's table, with a score in its first record.
    table[0] = 0x11;
    table[1 + 2] = 42;
    test_write_file(hgh(), table);
    std::string out = session();
    EXPECT_EQ(count_of(out, "Can't read high-score file \"" + hgh().string() + "\" (version 17)!"),
              1)
        << out;
    EXPECT_EQ(count_of(out, kept("high scores", hgh())), 1) << out;
    EXPECT_TRUE(test_read_file(hgh()) == table);

    // A table of another length.
    test_write_file(hgh(), table.substr(0, 1000));
    out = session();
    EXPECT_EQ(count_of(out, "Can't read high-score file \"" + hgh().string() +
                                "\" (1000 bytes, not 4786)!"),
              1)
        << out;
    EXPECT_EQ(count_of(out, kept("high scores", hgh())), 1) << out;
    EXPECT_EQ(test_read_file(hgh()), table.substr(0, 1000));

    // Something no one can read as a file, root included.
    fs::remove(hgh());
    fs::create_directory(hgh());
    out = session();
    EXPECT_EQ(
        count_of(out, "Can't read high-score file \"" + hgh().string() + "\" (Is a directory)!"), 1)
        << out;
    EXPECT_EQ(count_of(out, kept("high scores", hgh())), 1) << out;
    EXPECT_TRUE(fs::is_directory(hgh()));

    // Without it the session's table is written again, and nothing is said.
    fs::remove(hgh());
    out = session();
    EXPECT_EQ(count_of(out, "high score"), 0) << out;
    EXPECT_EQ(fs::file_size(hgh()), 4786u);
}

TEST_F(KeptFiles, ShippedFilesTheUserChangedSurviveTheNextStart) {
    session();
    const fs::path tips = home.path() / "tips.txt", coin = home.path() / "sounds" / "coin.8svx",
                   bang = home.path() / "sounds" / "bang.8svx",
                   guide = home.path() / "help" / "index.html";
    ASSERT_TRUE(fs::is_regular_file(tips) && fs::is_regular_file(coin) &&
                fs::is_regular_file(bang) && fs::is_regular_file(guide));
    const std::string shipped_guide = test_read_file(guide);
    const std::string own_tips = test_read_file(tips) + "A tip of my own.\n";
    test_write_file(tips, own_tips);
    const std::string own_coin = test_read_file(bang); // another sound for the coin
    ASSERT_NE(own_coin, test_read_file(coin));
    test_write_file(coin, own_coin);
    fs::remove(guide);

    const std::string out = session();
    EXPECT_EQ(count_of(out, "could not be copied"), 0) << out;
    EXPECT_EQ(count_of(out, "coin.8svx"), 0) << out;
    EXPECT_TRUE(test_read_file(tips) == own_tips);
    EXPECT_TRUE(test_read_file(coin) == own_coin);
    EXPECT_TRUE(test_read_file(guide) == shipped_guide) << "a missing one comes back";

    // A copy still as an earlier version shipped it (the home's record of the
    // copies says so) is brought up to date; one the user changed since is not.
    const fs::path record = configs() / "Brindlemox.shipped";
    std::string lines = test_read_file(record);
    const auto crc_line = [](const std::string& text, const std::string& name) {
        char crc[16];
        std::snprintf(
            crc, sizeof crc, "%08x ",
            crc32(reinterpret_cast<const u8*>(text.data()), static_cast<i32>(text.size())));
        return crc + name + "\n";
    };
    const auto set_line = [&lines](const std::string& name, const std::string& line) {
        const size_t at = lines.find(" " + name + "\n");
        ASSERT_NE(at, std::string::npos) << name << " in " << lines;
        lines.replace(at - 8, 8 + name.size() + 2, line);
    };
    const std::string earlier_guide = "<html>The guide as it was</html>\n";
    test_write_file(guide, earlier_guide);
    set_line("help/index.html", crc_line(earlier_guide, "help/index.html"));
    set_line("tips.txt", crc_line("Tips as they were shipped.\n", "tips.txt"));
    test_write_file(record, lines);
    session();
    EXPECT_TRUE(test_read_file(guide) == shipped_guide);
    EXPECT_TRUE(test_read_file(tips) == own_tips);
}

// Saving at exit keeps what the user set up on the files: a settings file
// linked from elsewhere stays a link and its target is written, a private
// file stays private, and a high-score file with a second name stays one file.
TEST_F(KeptFiles, SavesKeepLinksModesAndSecondNamesOfTheirFiles) {
    session();
    const fs::path mine = home.path() / "mine", ini = configs() / "Brindlemox.ini",
                   target = mine / "settings.ini", second = mine / "scores.hgh";
    fs::create_directory(mine);
    test_write_file(target, test_read_file(ini) + "# not written by the program\n");
    fs::remove(ini);
    fs::create_symlink("../mine/settings.ini", ini);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(hgh(), second);
    fs::permissions(hgh(), fs::perms::owner_all | fs::perms::group_read);
    session();
    EXPECT_TRUE(fs::is_symlink(ini));
    EXPECT_EQ(test_read_file(target).find("# not written"), std::string::npos);
    EXPECT_EQ(fs::status(ini).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fs::equivalent(hgh(), second));
    EXPECT_EQ(fs::status(hgh()).permissions(), fs::perms::owner_all | fs::perms::group_read);
}

// A save through a link that leads nowhere writable names where it leads: the
// folder beside the link is there, the one its target needs is not.
TEST_F(KeptFiles, ASaveThroughALinkThatFailsNamesWhereTheLinkLeads) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const fs::path link = home.path() / "Games" / "away.cos";
    fs::create_symlink("../gone/away.cos", link);
    std::string result;
    EXPECT_EQ(send("SAVEAS " + link.string(), &result), 10);
    EXPECT_NE(result.find(": it links to " + (link.parent_path() / "../gone/away.cos").string() +
                          " (No such file or directory)"),
              std::string::npos)
        << result;
    EXPECT_TRUE(fs::is_symlink(link));
}

// The start goes on at once (the old wait lasted until a signal), or, for a
// settings file named with SETTINGS, the run ends at once with 1; the FIFO
// stays as it is.
TEST_F(KeptFiles, AFifoWhereSettingsOrHighScoresAreReadIsRefusedAtOnce) {
    fs::create_directories(configs());
    const struct {
        const char* file;
        std::vector<std::string> args;
        const char* what;
        const char* reading;
    } cases[] = {
        {"Brindlemox.ini", {}, "settings", "settings file"},
        {"Named.ini", {"SETTINGS", "Named.ini"}, "settings", "settings file"},
        {"Brindlemox.hgh", {}, "high scores", "high-score file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path fifo = configs() / c.file;
        fs::remove(fifo);
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        const auto began = std::chrono::steady_clock::now();
        std::string out;
        if (c.args.empty()) {
            out = session(c.args);
        } else {
            ASSERT_TRUE(start(c.args));
            EXPECT_EQ(wait_exit(), 1);
            out = log();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(15));
        EXPECT_EQ(count_of(out, std::string("Can't read ") + c.reading + " \"" + fifo.string() +
                                    "\" (not a regular file)!"),
                  1)
            << out;
        EXPECT_EQ(count_of(out, kept(c.what, fifo)), 1) << out;
        EXPECT_TRUE(fs::is_fifo(fifo));
        fs::remove(fifo);
    }

    // In a sound's place: that sound is not loaded.
    const fs::path coin = home.path() / "sounds" / "coin.8svx";
    fs::remove(coin);
    ASSERT_EQ(mkfifo(coin.c_str(), 0600), 0);
    const std::string sounds = session();
    EXPECT_EQ(count_of(sounds, "Can't load \"PROGDIR:sounds/coin.8svx\""), 1) << sounds;
    EXPECT_TRUE(fs::is_fifo(coin));

    // UPGRADE passes over it and rewrites the others, and says it did not do all.
    test_write_file(configs() / "Other.ini", "version=36.21\n");
    ASSERT_EQ(mkfifo((configs() / "Pipe.ini").c_str(), 0600), 0);
    ASSERT_TRUE(start({"UPGRADE"}));
    EXPECT_EQ(wait_exit(), 10) << "a file was kept as it was";
    const std::string out = log();
    EXPECT_NE(out.find("Upgrading Pipe.ini...Can't read settings file \"" +
                       (configs() / "Pipe.ini").string() +
                       "\" (not a regular file)!\nnot upgraded, file kept."),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Upgrading Other.ini...done."), std::string::npos) << out;
    EXPECT_TRUE(fs::is_fifo(configs() / "Pipe.ini"));
    EXPECT_GT(fs::file_size(configs() / "Other.ini"), 1000u);
}

// Nor is a FIFO where the log is written waited on: it is refused as a log
// that cannot be opened, and the port answers on.
TEST_F(KeptFiles, AFifoWhereTheLogIsWrittenIsRefusedAtOnce) {
    const fs::path fifo = home.path() / "Brindlemox.log";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    EXPECT_EQ(send_within("MENU SETTINGS.EMULATOR.REPLACELOG", &result, &fd), 10) << result;
    EXPECT_TRUE(printed("Can't open RAM:Brindlemox.log for writing!")) << log();
    EXPECT_TRUE(fs::is_fifo(fifo));
}

} // namespace
