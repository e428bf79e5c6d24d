// A start given a file it does not load, through the real program: the
// autosave holds the user's state (the PIPBUG, a byte at $900), and every way
// the loader refuses a file leaves a start without a file, which resumes that
// state, says on the console why the file was not loaded, and whose QUIT keeps
// the state for the next plain start. A medium given goes into that state.
#include "core/filekinds.h"
#include "core/loader.h"
#include "tests/core/loading_support.h"
#include "tests/support/blank_disks.h"
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class StartFileProgram : public ProgramTest {
  protected:
    void begin(std::vector<std::string> args = {}) {
        if (fd >= 0) ::close(fd);
        fd = -1;
        args.insert(args.end(), {"PORTNAME", "E2E"});
        ASSERT_TRUE(start(args));
        ASSERT_TRUE(port_up()) << log();
    }
    std::string fine(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    void quit() {
        fine("QUIT");
        EXPECT_EQ(wait_exit(), 0) << log();
    }
    void poke(int value) {
        char line[32];
        std::snprintf(line, sizeof line, "DEBUGGER \"E 900 $%02X\"", value);
        fine(line);
    }
    int peek() { return std::stoi(fine("PEEK 2304")); }
    fs::path ini() const { return home.path() / "Configs" / "Brindlemox.ini"; }
    void set_setting(const std::string& key, const std::string& value) {
        std::string lines = test_read_file(ini());
        const std::size_t at = lines.find("\n" + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        lines.replace(at + 1, lines.find('\n', at + 1) - at, key + "=" + value + "\n");
        test_write_file(ini(), lines);
    }
};

enum class Settings { DEFAULT, TIPS_OFF, AUTOSAVE_OFF };

struct Way {
    std::string name;
    std::string file;                          // in the home
    std::function<void(const fs::path&)> make; // puts it there (none: not there)
    std::string why;                           // what follows `"<file>" was not loaded`
    Settings settings = Settings::DEFAULT;
};

void bytes_of(const fs::path& at, const std::string& bytes) {
    test_write_file(at, bytes);
}

// The ways a file given fails: each refusal of the loader's reading, a kind
// no loader takes, kinds the PIPBUG takes no file of, and content refused for
// each program reader of the loader and the other kinds it checks.
std::vector<Way> ways(const fs::path& autosave) {
    const auto with = [](std::string bytes) {
        return [bytes](const fs::path& at) { bytes_of(at, bytes); };
    };
    std::vector<Way> rows = {
        {"not there", "notthere.cos", nullptr, " (not found)."},
        {"a folder", "folder.cos", [](const fs::path& at) { fs::create_directory(at); },
         " (a directory)."},
        {"a FIFO", "fifo.bin", [](const fs::path& at) { mkfifo(at.c_str(), 0600); },
         " (not a regular file)."},
        {"empty", "empty.hex", with(""), " (empty)."},
        {"too large for its kind", "big.bin", with(std::string(BIN_MAX_SIZE + 1, '\0')),
         " (too large)."},
        {"no loader takes it", "x.rexx", with("say 'hello'\n"),
         ": This file format is not supported for loading!"},
        {"a game the database does not know", "game.bin", with(std::string(100, '\x3F')),
         ": This file format is not supported for this guest!"},
        {"a disk image", "disk.raw", with(std::string(1000, '\0')),
         ": This file format is not supported for this guest!"},
        {"an MDCR tape", "tape.mdcr", with(std::string(100, '\0')),
         ": This file format is not supported for this guest!"},
        {"a cassette tape too short", "tape.wav", with("RIFF"), ": File is too short!"},
        {"a truncated state", "cut.cos",
         [autosave](const fs::path& at) { bytes_of(at, test_read_file(autosave).substr(0, 40)); },
         ": Corrupt COS/COR file!"},
        {"corrupt object records", "bad.hex", with("garbage\n"), ": Corrupt HEX file!"},
        {"corrupt AOF records", "bad.aof", with("x"), ": Corrupt AOF file!"},
        {"a corrupt SMS file", "bad.sms", with("\x12"), ": Corrupt SMS file!"},
        {"an Elektor tape program cut short", "bad.tvc", with(std::string("\x02\x00", 2)),
         ": Corrupt TVC file!"},
        {"a ZIP archive holding nothing to load", "none.zip",
         [](const fs::path& at) {
             loading_test::write_zip(at, {{"readme.txt", loading_test::bytes("hello")}});
         },
         ": No Signetics files found in ZIP archive!"},
        {"a source with errors", "err.asm", with("        org $900\n        xyzzy\n        end\n"),
         " (assembly failed): err.asm did not assemble"},
    };
    for (int kind = 0; kind < FILE_KINDS; kind++) {
        if (!loader_program_reader(kind)) continue;
        std::string ext = file_kinds[kind].extension + 1, upper;
        for (char c : ext)
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        rows.push_back({"a corrupt " + upper + " program of another machine", "bad." + ext,
                        with(std::string(7, '\xFF')), ": Corrupt " + upper + " file!"});
    }
    rows.push_back(
        {"not there, tips off", "gone.hex", nullptr, " (not found).", Settings::TIPS_OFF});
    rows.push_back({"corrupt, tips off", "bad2.hex", with("garbage\n"), ": Corrupt HEX file!",
                    Settings::TIPS_OFF});
    rows.push_back({"not there, the autosave off", "away.cos", nullptr, " (not found).",
                    Settings::AUTOSAVE_OFF});
    rows.push_back({"corrupt, the autosave off", "bad3.hex", with("garbage\n"),
                    ": Corrupt HEX file!", Settings::AUTOSAVE_OFF});
    return rows;
}

// Each row: the start given the file resumes the state the last session left
// (or, with the autosave off, sets the machine up afresh, as a plain start
// then does), names the file as not loaded and why, and Revert goes back to
// what a plain start resumed; its QUIT keeps the state, which the next plain
// start resumes. The settings name no file that never ran.
// The rows are taken in four shares, each a test of its own, so that each
// stays well within a test's time on a busy host.
class StartFileNotLoaded : public StartFileProgram,
                           public ::testing::WithParamInterface<std::size_t> {
  public:
    static constexpr std::size_t SHARES = 4;
};

TEST_P(StartFileNotLoaded, AFileNotLoadedLeavesAPlainStartThatKeepsTheUsersState) {
    const fs::path autosave = home.path() / "Games" / "AUTOSAVE.COS";
    begin();
    fine("SETMACHINE PIPBUG");
    poke(90);
    quit();
    const std::string defaults = test_read_file(ini());
    int kept = 90; // what the autosave holds
    int value = 100;
    const std::vector<Way> all = ways(autosave);
    for (std::size_t row = GetParam(); row < all.size(); row += SHARES) {
        const Way& way = all[row];
        SCOPED_TRACE(way.name);
        const fs::path file = home.path() / way.file;
        if (way.make) way.make(file);
        test_write_file(ini(), defaults);
        const bool resumes = way.settings != Settings::AUTOSAVE_OFF;
        if (way.settings == Settings::TIPS_OFF) set_setting("showtips", "false");
        if (!resumes) set_setting("autosave", "false");
        const std::string before = test_read_file(autosave);

        ASSERT_NO_FATAL_FAILURE(begin({file.string()}));
        EXPECT_EQ(fine("GETMACHINE"), "PIPBUG");
        EXPECT_EQ(peek(), resumes ? kept : 0);
        const std::string instead =
            resumes ? "As at a start without a file, this start resumes the autosave.\n"
                    : "As at a start without a file, the autosave is off: the machine is set "
                      "up afresh.\n";
        const std::string named = "\"" + file.string() + "\" was not loaded" + way.why;
        EXPECT_TRUE(printed(instead)) << log();
        EXPECT_EQ(count_of(log(), named), 1) << log();
        EXPECT_EQ(count_of(log(), instead), 1) << log();
        poke(value);
        std::string said;
        EXPECT_EQ(send("REVERT", &said), resumes ? 0 : 10) << said;
        EXPECT_EQ(peek(), resumes ? kept : value);
        poke(value);
        quit();
        EXPECT_EQ(test_read_file(ini()).find(way.file), std::string::npos);

        begin(); // a plain start
        EXPECT_EQ(fine("GETMACHINE"), "PIPBUG");
        EXPECT_EQ(peek(), resumes ? value : 0);
        quit();
        if (resumes) {
            kept = value++;
        } else {
            EXPECT_TRUE(test_read_file(autosave) == before) << "the autosave was written";
        }
    }

    if (GetParam() != 0) return;
    // A batch disassembly of a file that is not loaded ends with 10 and
    // writes no autosave.
    test_write_file(ini(), defaults);
    const std::string before = test_read_file(autosave);
    ASSERT_TRUE(start({"DISGAME", (home.path() / "notthere.bin").string()}));
    EXPECT_EQ(wait_exit(), 10) << log();
    EXPECT_TRUE(test_read_file(autosave) == before);
    begin();
    EXPECT_EQ(peek(), kept);
    quit();
}

INSTANTIATE_TEST_SUITE_P(EveryShare, StartFileNotLoaded,
                         ::testing::Range(std::size_t{0}, StartFileNotLoaded::SHARES));

// A medium given at start (a disk, a tape, a papertape, labels) goes into the
// machine the user left, as it would be opened there: the state runs on with
// it, and its QUIT keeps both. With the autosave off it goes into the machine
// set up afresh, and the old autosave stays as it is.
TEST_F(StartFileProgram, AMediumGoesIntoTheStateTheUserLeft) {
    const fs::path autosave = home.path() / "Games" / "AUTOSAVE.COS";
    const struct {
        const char* machine;
        const char* file;
        std::string bytes;
        const char* check; // a port command that finds the medium in (answers 0)
        Settings settings;
    } rows[] = {
        {"BINBUG", "work.raw", test_blank_binbug_disk(), "EJECTDISK 0", Settings::DEFAULT},
        {"PHUNSY", "t.mdcr", std::string(512, '\2'), "EJECTMDCR", Settings::DEFAULT},
        {"PIPBUG", "labels.sym", "code 0x0901 FOO\n", "DEBUGGER \"E FOO 5B\"",
         Settings::DEFAULT},
        {"PIPBUG", "one.pap", "A", nullptr, Settings::TIPS_OFF},
        {"BINBUG", "off.raw", test_blank_binbug_disk(), "EJECTDISK 0", Settings::AUTOSAVE_OFF},
    };
    begin();
    const std::string defaults = test_read_file(ini());
    quit();
    int value = 40;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        test_write_file(ini(), defaults);
        begin();
        request(std::string("SETMACHINE ") + row.machine);
        poke(value);
        quit();
        const bool resumes = row.settings != Settings::AUTOSAVE_OFF;
        if (row.settings == Settings::TIPS_OFF) set_setting("showtips", "false");
        if (!resumes) set_setting("autosave", "false");
        const std::string before = test_read_file(autosave);
        const fs::path file = home.path() / row.file;
        test_write_file(file, row.bytes);

        ASSERT_NO_FATAL_FAILURE(begin({file.string()}));
        EXPECT_EQ(fine("GETMACHINE"), row.machine);
        EXPECT_EQ(peek(), resumes ? value : 0);
        if (row.check) {
            EXPECT_EQ(ask(row.check), 0) << log();
        }
        EXPECT_EQ(log().find("was not loaded"), std::string::npos) << log();
        poke(value + 1);
        quit();
        if (resumes) {
            begin(); // the next plain start
            EXPECT_EQ(fine("GETMACHINE"), row.machine);
            EXPECT_EQ(peek(), value + 1);
            quit();
        } else {
            EXPECT_TRUE(test_read_file(autosave) == before) << "the autosave was written";
        }
        value += 2;
    }
}

} // namespace
