// Settings files in runs of the real program: a file edited by hand is read
// by key by a session, by a session on a SETTINGS file and by UPGRADE, and
// written back whole; a session started on a SETTINGS file runs the machine
// that file names, resumes only its own autosave and writes only that file.
#include "tests/support/program_test.h"
#include "tests/support/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The line of `key` in `lines` (lines.size() when there is none).
std::size_t line_of(const std::vector<std::string>& lines, const std::string& key) {
    return std::find_if(lines.begin(), lines.end(),
                        [&](const std::string& l) { return l.rfind(key + "=", 0) == 0; }) -
           lines.begin();
}

// `text` with the values of `values` put in for their keys.
std::string with_values(const std::string& text, const std::map<std::string, std::string>& values) {
    std::vector<std::string> lines = text_lines(text);
    for (const auto& [key, value] : values) {
        const std::size_t at = line_of(lines, key);
        EXPECT_LT(at, lines.size()) << key;
        if (at < lines.size()) lines[at] = key + "=" + value;
    }
    return text_joined(lines);
}

// What a session wrote and what it should have: the tip to show next moves
// on at every start.
std::string differences(const std::string& got, const std::string& wanted) {
    return text_differences(got, wanted, "nexttip=");
}

class SettingsEdits : public ProgramTest {
  protected:
    fs::path configs() const { return home.path() / "Configs"; }
    fs::path games() const { return home.path() / "Games"; }

    // One session started with `args`: the port's `lines` sent, then QUIT.
    // GETMACHINE's answer after the lines.
    std::string session(std::vector<std::string> args, const std::vector<std::string>& lines = {}) {
        args.insert(args.begin(), {"PORTNAME", "E2E"});
        EXPECT_TRUE(start(args));
        if (!port_up()) {
            ADD_FAILURE() << log();
            return "";
        }
        for (const std::string& line : lines)
            request(line);
        std::string machine, result;
        EXPECT_EQ(send("GETMACHINE", &machine), 0);
        EXPECT_EQ(send("QUIT", &result), 0) << result;
        EXPECT_EQ(wait_exit(), 0) << log();
        ::close(fd);
        fd = -1;
        return machine;
    }
    int batch(std::vector<std::string> args) {
        EXPECT_TRUE(start(std::move(args)));
        return wait_exit();
    }
};

} // namespace

// A session's file with the user's values in every kind of key (integers
// and the machine, a boolean, a text, a colour, numbered keys of the key
// and button lists, a byte, a word), then edited by hand. A session on it, a
// session on a copy named with SETTINGS and UPGRADE of both each read every
// value (the PIPBUG runs) and write the file whole, in the program's order.
TEST_F(SettingsEdits, AHandEditedFileIsReadByKeyEverywhere) {
    ASSERT_EQ(session({}), "ARCADIA");
    const std::string mine = (home.path() / "mine").string();
    // The PIPBUG's display is one wide.
    const std::map<std::string, std::string> values = {
        {"memorymap", "9"},      {"speed", "6"},          {"autosave", "false"},
        {"analog", "true"},      {"path_projects", mine}, {"colour_05_2", "$112233"},
        {"left_03", "77"},       {"rightbutton_2", "4"},  {"twin_ribbon_1", "2"},
        {"dips_galaxia", "150"}, {"netport", "6000"},     {"width", "1"}};
    const std::string wanted = with_values(test_read_file(configs() / "Brindlemox.ini"), values);

    using Edit = std::function<void(std::vector<std::string>&)>;
    const auto insert_after = [](const char* key, const char* line) {
        return [=](std::vector<std::string>& lines) {
            lines.insert(lines.begin() + static_cast<long>(line_of(lines, key)) + 1, line);
        };
    };
    const struct {
        const char* what;
        Edit edit;
    } edits[] = {
        {"a comment", insert_after("version", "; my PIPBUG settings")},
        {"a line removed",
         [](std::vector<std::string>& lines) {
             lines.erase(lines.begin() + static_cast<long>(line_of(lines, "filter")));
         }},
        {"a line added in the colour block", insert_after("colour_05_1", "colour_05_9=$FFFFFF")},
        {"two lines swapped",
         [](std::vector<std::string>& lines) {
             std::swap(lines[line_of(lines, "memorymap")], lines[line_of(lines, "speed")]);
         }},
        {"an unknown key", insert_after("host", "futurekey=1")},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.what);
        std::vector<std::string> lines = text_lines(wanted);
        e.edit(lines);
        const std::string edited = text_joined(lines);
        ASSERT_NE(edited, wanted);
        test_write_file(configs() / "Brindlemox.ini", edited);
        test_write_file(configs() / "named.ini", edited);

        EXPECT_EQ(session({}), "PIPBUG");
        EXPECT_EQ(differences(test_read_file(configs() / "Brindlemox.ini"), wanted), "");
        EXPECT_EQ(session({"SETTINGS", "named.ini"}), "PIPBUG");
        EXPECT_EQ(differences(test_read_file(configs() / "named.ini"), wanted), "");

        test_write_file(configs() / "Brindlemox.ini", edited);
        test_write_file(configs() / "named.ini", edited);
        EXPECT_EQ(batch({"UPGRADE"}), 0) << log();
        EXPECT_EQ(differences(test_read_file(configs() / "Brindlemox.ini"), wanted), "");
        EXPECT_EQ(differences(test_read_file(configs() / "named.ini"), wanted), "");
    }
    // A file it cannot take is kept as it was, and the run says it failed.
    test_write_file(configs() / "notes.ini", "my notes\n");
    EXPECT_EQ(batch({"UPGRADE"}), 10) << log();
    EXPECT_EQ(test_read_file(configs() / "notes.ini"), "my notes\n");
    EXPECT_EQ(differences(test_read_file(configs() / "named.ini"), wanted), "");
}

// The README's steps: a session's file copied as pipbug.ini with the PIPBUG's
// memory map, sessions on either file in turn, then the other way round. Each
// session runs its own file's machine, or what its own autosave holds; it
// writes its file and autosave and leaves the other file's alone, byte for byte.
TEST_F(SettingsEdits, ASessionOnANamedFileRunsItsMachineAndWritesOnlyItsFiles) {
    ASSERT_EQ(session({}), "ARCADIA");
    // `to` made by hand from `from` with the memory map `map`.
    const auto copy_as = [](const fs::path& from, const fs::path& to, const char* map) {
        return [=] {
            test_write_file(to, with_values(test_read_file(from), {{"memorymap", map}}));
        };
    };
    const fs::path plain_ini = configs() / "Brindlemox.ini", plain_state = games() / "AUTOSAVE.COS";
    const fs::path pipbug_ini = configs() / "pipbug.ini",
                   pipbug_state = games() / "AUTOSAVE-pipbug.ini.COS";
    const fs::path arcadia_ini = configs() / "arcadia.ini",
                   arcadia_state = games() / "AUTOSAVE-arcadia.ini.COS";
    copy_as(plain_ini, pipbug_ini, "9")();
    const struct {
        const char* what;
        std::function<void()> before;
        std::vector<std::string> args, lines;
        const char* machine;
        fs::path written;                 // the settings file the session writes
        const char* map;                  // its memorymap then
        std::vector<fs::path> left_alone; // files that stay byte for byte
    } steps[] = {
        {"a plain session", {}, {}, {}, "ARCADIA", plain_ini, "6", {pipbug_ini}},
        {"the PIPBUG file",
         {},
         {"SETTINGS", "pipbug.ini"},
         {},
         "PIPBUG",
         pipbug_ini,
         "9",
         {plain_ini, plain_state}},
        {"a plain session after it",
         {},
         {},
         {},
         "ARCADIA",
         plain_ini,
         "6",
         {pipbug_ini, pipbug_state}},
        {"the PIPBUG file again",
         {},
         {"SETTINGS", "pipbug.ini"},
         {},
         "PIPBUG",
         pipbug_ini,
         "9",
         {plain_ini, plain_state}},
        // Its session switches to the Elektor; its file is then set back by hand,
        // and the next session resumes its own autosave, as a plain one does.
        {"the PIPBUG file, switched",
         {},
         {"SETTINGS", "pipbug.ini"},
         {"SETMACHINE ELEKTOR"},
         "ELEKTOR",
         pipbug_ini,
         nullptr,
         {plain_ini, plain_state}},
        {"its own autosave resumed",
         copy_as(pipbug_ini, pipbug_ini, "9"),
         {"SETTINGS", "pipbug.ini"},
         {},
         "ELEKTOR",
         pipbug_ini,
         nullptr,
         {plain_ini, plain_state}},
        // The other way round: the plain session on the PIPBUG, a file for the Arcadia.
        {"a plain session on the PIPBUG",
         {},
         {},
         {"SETMACHINE PIPBUG"},
         "PIPBUG",
         plain_ini,
         "9",
         {pipbug_ini, pipbug_state}},
        {"the Arcadia file",
         copy_as(plain_ini, arcadia_ini, "6"),
         {"SETTINGS", "arcadia.ini"},
         {},
         "ARCADIA",
         arcadia_ini,
         "6",
         {plain_ini, plain_state, pipbug_ini, pipbug_state}},
        {"a plain session after that",
         {},
         {},
         {},
         "PIPBUG",
         plain_ini,
         "9",
         {arcadia_ini, arcadia_state}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.before) s.before();
        std::map<fs::path, std::string> kept;
        for (const fs::path& file : s.left_alone) {
            ASSERT_TRUE(fs::is_regular_file(file)) << file;
            kept[file] = test_read_file(file);
        }
        EXPECT_EQ(session(s.args, s.lines), s.machine);
        for (const auto& [file, bytes] : kept)
            EXPECT_TRUE(test_read_file(file) == bytes) << file << " was written";
        const std::vector<std::string> lines = text_lines(test_read_file(s.written));
        if (s.map) {
            EXPECT_EQ(lines.at(line_of(lines, "memorymap")), std::string("memorymap=") + s.map);
        }
    }

    // A named file that is not a settings file: the run ends before its
    // session, and no other file's settings stand in for it.
    test_write_file(configs() / "notes.ini", "my notes\n");
    const std::string plain = test_read_file(plain_ini);
    EXPECT_EQ(batch({"SETTINGS", "notes.ini"}), 1) << log();
    EXPECT_NE(log().find("Not a settings file!"), std::string::npos) << log();
    EXPECT_EQ(test_read_file(configs() / "notes.ini"), "my notes\n");
    EXPECT_EQ(test_read_file(plain_ini), plain);
    EXPECT_FALSE(fs::exists(games() / "AUTOSAVE-notes.ini.COS"));
}
