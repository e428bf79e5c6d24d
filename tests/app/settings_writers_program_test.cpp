// The settings files as the program itself writes them, in batch runs of the
// real binary: UPGRADE rewrites each file with every value that file holds,
// and a run that ends before its session starts (a mistyped argument, the
// help) writes nothing, not the settings and not the log.
#include "core/settings.h"
#include "tests/support/program_test.h"
#include "tests/support/quiet_output.h"
#include "tests/support/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// `text` with the value of `key` set to `value` ("" with no value: the line goes).
std::string with_value(const std::string& text, const std::string& key, const char* value) {
    std::vector<std::string> lines;
    for (const std::string& line : text_lines(text)) {
        if (line.rfind(key + "=", 0) != 0)
            lines.push_back(line);
        else if (value)
            lines.push_back(key + "=" + value);
    }
    return text_joined(lines);
}

// Other values for a line's value, in the order they are tried.
std::vector<std::string> other_values(const std::string& value) {
    if (value == "true") return {"false"};
    if (value == "false") return {"true"};
    if (!value.empty() && value[0] == '$') {
        char colour[8];
        std::snprintf(colour, sizeof colour, "$%06lX",
                      std::strtoul(value.c_str() + 1, nullptr, 16) ^ 0x102030ul);
        return {colour};
    }
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (!value.empty() && *end == '\0')
        return {std::to_string(number + 1), std::to_string(number - 1)};
    return {value + "x", "PROGDIR:Projects/other.bin"};
}

// The default settings with every value that can change alone changed to
// another the program takes and writes back as it is: each line is tried
// with other values, and one is kept when the whole text then reads without
// a word and writes back unchanged.
std::string every_value_changed() {
    std::vector<std::string> lines = text_lines(ini_default_text());
    int changed = 0;
    for (std::string& line : lines) {
        const std::size_t eq = line.find('=');
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "version" || key == "host") continue;
        for (const std::string& other : other_values(value)) {
            const std::string kept = line;
            line = key + "=" + other;
            const std::string text = text_joined(lines);
            capture_output();
            const bool read = ini_read_text(text);
            if (read && captured_output().empty() && ini_write_text() == text) {
                changed++;
                break;
            }
            line = kept;
        }
    }
    ini_read_text(ini_default_text());
    EXPECT_GT(changed, 400) << text_joined(lines);
    return text_joined(lines);
}

class SettingsWriters : public ProgramTest {
  protected:
    fs::path configs() const { return home.path() / "Configs"; }
    std::string file(const char* name) const { return test_read_file(configs() / name); }
    int run(std::vector<std::string> args) {
        EXPECT_TRUE(start(std::move(args)));
        return wait_exit();
    }
};

} // namespace

// The README's steps: a session's settings copied under another name, then
// UPGRADE. Each file keeps its machine and every other value it holds; a key
// a file lacks takes its default, not the value of the file read before it.
TEST_F(SettingsWriters, UpgradeRewritesEachFileWithTheValuesItHolds) {
    const std::string changed = every_value_changed();
    ASSERT_NE(changed.find("\nmemorymap=7\n"), std::string::npos);
    ASSERT_NE(changed.find("\nfullscreen=true\n"), std::string::npos);
    fs::create_directories(configs());
    test_write_file(configs() / "Brindlemox.ini", changed);
    // An older file on the PIPBUG, in a window of another size, with no
    // "analog" line.
    const std::string pipbug = with_value(
        with_value(with_value(ini_default_text(), "memorymap", "9"), "size", "3"), "analog",
        nullptr);
    test_write_file(configs() / "pipbug.ini", with_value(pipbug, "version", "36.2"));
    EXPECT_EQ(run({"UPGRADE"}), 0) << log();
    EXPECT_EQ(text_differences(file("Brindlemox.ini"), changed), "");
    EXPECT_EQ(text_differences(file("pipbug.ini"), with_value(with_value(ini_default_text(), "memorymap",
                                                                    "9"),
                                                         "size", "3")),
              "");
}

// UPGRADE rewrites the settings files alone: a file named beside it (a stray
// word takes FILE's place), or ASM's or DISGAME's, is a mistyped argument. The
// run prints the usage, ends with 1 and leaves the older file as it was, which
// UPGRADE alone then rewrites.
TEST_F(SettingsWriters, UpgradeWithAFileBesideItIsAMistypedArgument) {
    fs::create_directories(configs());
    const std::string older = with_value(ini_default_text(), "version", "36.2");
    test_write_file(configs() / "Brindlemox.ini", older);
    const std::vector<std::vector<std::string>> mistyped = {{"UPGRADE", "x"},
                                                            {"x", "UPGRADE"},
                                                            {"UPGRADE", "FILE=x"},
                                                            {"ASM=p.asm", "UPGRADE"},
                                                            {"UPGRADE", "DISGAME", "g.bin"}};
    for (const std::vector<std::string>& args : mistyped) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        EXPECT_EQ(run(args), 1) << log();
        EXPECT_NE(log().find(": Usage\n"), std::string::npos) << log();
        EXPECT_EQ(file("Brindlemox.ini"), older);
    }
    EXPECT_EQ(run({"UPGRADE"}), 0) << log();
    EXPECT_NE(file("Brindlemox.ini"), older);
}

// A run that ends on a mistyped argument, or on the help, writes no file of
// the home: the settings stay as they were (also while another session holds
// the home) and the log is neither made nor replaced. A session that starts
// logs what start-up said before it.
TEST_F(SettingsWriters, ARunThatEndsBeforeItsSessionWritesNothing) {
    fs::create_directories(configs());
    const std::string settings =
        with_value(with_value(ini_default_text(), "memorymap", "9"), "logtofile", "2");
    test_write_file(configs() / "Brindlemox.ini", settings);
    const fs::path log_file = home.path() / "Brindlemox.log";
    const auto nothing_written = [&](const std::vector<std::string>& args, int code) {
        SCOPED_TRACE(args[0]);
        EXPECT_EQ(run(args), code) << log();
        EXPECT_EQ(text_differences(file("Brindlemox.ini"), settings), "");
        EXPECT_FALSE(fs::exists(log_file)) << test_read_file(log_file);
        EXPECT_FALSE(fs::exists(configs() / "Brindlemox.hgh"));
    };
    nothing_written({"--verison"}, 1);
    nothing_written({"PORT=99999"}, 1);
    nothing_written({"FULLSCREEN=maybe"}, 1);
    nothing_written({"CLIPUNIT", "300"}, 1);
    nothing_written({"LOCKCONFIG", "UPGRADE"}, 1);
    nothing_written({"?"}, 0);
    nothing_written({"--version"}, 0);
    EXPECT_FALSE(fs::exists(home.path() / "Games" / "AUTOSAVE.COS"));

    // While another session holds the home.
    test_write_file(configs() / "Brindlemox.ini",
                    with_value(settings, "frameskipping", "99")); // said while starting
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up()) << log();
    const pid_t session = pid;
    const std::string session_log = test_read_file(log_file); // replaced at every opening
    pid = test_start_program(home.path(), {"--verison"});
    EXPECT_EQ(wait_exit(), 1);
    EXPECT_EQ(text_differences(file("Brindlemox.ini"), with_value(settings, "frameskipping", "99")), "");
    EXPECT_EQ(test_read_file(log_file), session_log);
    pid = session;
    std::string result;
    EXPECT_EQ(send("QUIT", &result), 0) << result;
    EXPECT_EQ(wait_exit(), 0);
    const std::string logged = test_read_file(log_file);
    EXPECT_EQ(logged.rfind("Opened RAM:Brindlemox.log for writing at ", 0), 0u) << logged;
    EXPECT_NE(logged.find("frameskipping: integer value of 99 is out of range!"),
              std::string::npos)
        << logged;
    EXPECT_NE(file("Brindlemox.ini").find("\nmemorymap=9\n"), std::string::npos);
}
