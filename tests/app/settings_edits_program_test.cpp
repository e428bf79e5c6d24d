// Settings files in runs of the real program: a file edited by hand is read
// by key by a session, by a session on a SETTINGS file and by UPGRADE, and
// written back whole; a session started on a SETTINGS file runs the machine
// that file names, resumes only its own autosave and writes only that file.
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"
#include "tests/support/text_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
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
    // "analog" and "dips_galaxia", which a machine's set-up sets too, typed in
    // with other values than their defaults: the user's choices, listed.
    const std::string chosen = "userchosen=analog,dips_galaxia\n";

    using Edit = std::function<void(std::vector<std::string>&)>;
    const auto insert_after = [](const char* key, const char* line) {
        return [=](std::vector<std::string>& lines) {
            lines.insert(lines.begin() + static_cast<long>(line_of(lines, key)) + 1, line);
        };
    };
    // A line naming no setting goes back after the program's own lines.
    const struct {
        const char* what;
        Edit edit;
        const char* kept = "";
    } edits[] = {
        {"a comment", insert_after("version", "; my PIPBUG settings")},
        {"a line removed",
         [](std::vector<std::string>& lines) {
             lines.erase(lines.begin() + static_cast<long>(line_of(lines, "filter")));
         }},
        {"a line added in the colour block", insert_after("colour_05_1", "colour_05_9=$FFFFFF"),
         "colour_05_9=$FFFFFF\n"},
        {"two lines swapped",
         [](std::vector<std::string>& lines) {
             std::swap(lines[line_of(lines, "memorymap")], lines[line_of(lines, "speed")]);
         }},
        {"an unknown key", insert_after("host", "futurekey=1"), "futurekey=1\n"},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.what);
        std::vector<std::string> lines = text_lines(wanted);
        e.edit(lines);
        const std::string edited = text_joined(lines);
        ASSERT_NE(edited, wanted);
        const std::string written = wanted + chosen + e.kept;
        test_write_file(configs() / "Brindlemox.ini", edited);
        test_write_file(configs() / "named.ini", edited);

        EXPECT_EQ(session({}), "PIPBUG");
        EXPECT_EQ(differences(test_read_file(configs() / "Brindlemox.ini"), written), "");
        EXPECT_EQ(session({"SETTINGS", "named.ini"}), "PIPBUG");
        EXPECT_EQ(differences(test_read_file(configs() / "named.ini"), written), "");

        test_write_file(configs() / "Brindlemox.ini", edited);
        test_write_file(configs() / "named.ini", edited);
        EXPECT_EQ(batch({"UPGRADE"}), 0) << log();
        EXPECT_EQ(differences(test_read_file(configs() / "Brindlemox.ini"), written), "");
        EXPECT_EQ(differences(test_read_file(configs() / "named.ini"), written), "");
    }
    // A file it cannot take is kept as it was, and the run says it failed.
    test_write_file(configs() / "notes.ini", "my notes\n");
    EXPECT_EQ(batch({"UPGRADE"}), 10) << log();
    EXPECT_EQ(test_read_file(configs() / "notes.ini"), "my notes\n");
    EXPECT_EQ(differences(test_read_file(configs() / "named.ini"), wanted + chosen + "futurekey=1\n"),
              "");
}

// The README's steps: a session's file copied as pipbug.ini with the PIPBUG's
// memory map, sessions on either file in turn, then the other way round. Each
// session runs its own file's machine, or what its own autosave holds; it
// writes its file and autosave and leaves every other one alone, byte for byte.
TEST_F(SettingsEdits, ASessionOnANamedFileRunsItsMachineAndWritesOnlyItsFiles) {
    ASSERT_EQ(session({}), "ARCADIA");
    // `to` made by hand from `from` with the memory map `map`.
    const auto copy_as = [this](const char* from, const char* to, const char* map) {
        return [=, this] {
            test_write_file(configs() / to,
                            with_values(test_read_file(configs() / from), {{"memorymap", map}}));
        };
    };
    copy_as("Brindlemox.ini", "pipbug.ini", "9")();
    const struct {
        const char* file;               // named with SETTINGS ("": none)
        std::vector<std::string> lines; // sent in the session
        const char* machine;            // what runs then
        const char* map;                // the memorymap its file gets (nullptr: any)
        std::function<void()> before = {};
    } steps[] = {
        {"", {}, "ARCADIA", "6"},
        {"pipbug.ini", {}, "PIPBUG", "9"},
        {"", {}, "ARCADIA", "6"},
        {"pipbug.ini", {}, "PIPBUG", "9"},
        // Its session switches to the Elektor; its file is then set back by
        // hand, and the next session resumes its own autosave, as a plain one does.
        {"pipbug.ini", {"SETMACHINE ELEKTOR"}, "ELEKTOR", nullptr},
        {"pipbug.ini", {}, "ELEKTOR", nullptr, copy_as("pipbug.ini", "pipbug.ini", "9")},
        // The other way round: the plain session on the PIPBUG, a file for the Arcadia.
        {"", {"SETMACHINE PIPBUG"}, "PIPBUG", "9"},
        {"arcadia.ini", {}, "ARCADIA", "6", copy_as("Brindlemox.ini", "arcadia.ini", "6")},
        {"", {}, "PIPBUG", "9"},
    };
    for (std::size_t i = 0; i < std::size(steps); i++) {
        const auto& s = steps[i];
        SCOPED_TRACE("step " + std::to_string(i) + ": " + s.file);
        if (s.before) s.before();
        const std::string own_ini = *s.file ? s.file : "Brindlemox.ini";
        const std::string own_state = *s.file ? "AUTOSAVE-" + own_ini + ".COS" : "AUTOSAVE.COS";
        std::map<fs::path, std::string> others; // every other settings file and autosave
        for (const fs::path& dir : {configs(), games()})
            for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
                const std::string name = e.path().filename().string();
                if (name != own_ini && name != own_state &&
                    (e.path().extension() == ".ini" || e.path().extension() == ".COS"))
                    others[e.path()] = test_read_file(e.path());
            }
        std::vector<std::string> args;
        if (*s.file) args = {"SETTINGS", s.file};
        EXPECT_EQ(session(args, s.lines), s.machine);
        for (const auto& [file, bytes] : others)
            EXPECT_TRUE(test_read_file(file) == bytes) << file << " was written";
        EXPECT_TRUE(fs::is_regular_file(games() / own_state));
        const std::vector<std::string> lines = text_lines(test_read_file(configs() / own_ini));
        if (s.map) {
            EXPECT_EQ(lines.at(line_of(lines, "memorymap")), std::string("memorymap=") + s.map);
        }
    }

    // A named file that is not a settings file: the run ends before its
    // session, and no other file's settings stand in for it.
    test_write_file(configs() / "notes.ini", "my notes\n");
    const std::string plain = test_read_file(configs() / "Brindlemox.ini");
    EXPECT_EQ(batch({"SETTINGS", "notes.ini"}), 1) << log();
    EXPECT_NE(log().find("Not a settings file!"), std::string::npos) << log();
    EXPECT_EQ(test_read_file(configs() / "notes.ini"), "my notes\n");
    EXPECT_EQ(test_read_file(configs() / "Brindlemox.ini"), plain);
    EXPECT_FALSE(fs::exists(games() / "AUTOSAVE-notes.ini.COS"));
}

// The file a session wrote, edited as a person types (a BOM, CR LF ends,
// blanks around "=" and before the key, keys in capitals) with an unknown
// key and a value out of range: a session, a session on a SETTINGS copy and
// UPGRADE each read the typed values and write them back, and each run names
// the lines it could not take once, the refused value kept.
TEST_F(SettingsEdits, AFileTypedByHandIsReadAsTyped) {
    ASSERT_EQ(session({}), "ARCADIA");
    const std::map<std::string, std::string> values = {
        {"memorymap", "9"}, {"speed", "7"}, {"autosave", "false"}, {"volume", "99"}};
    const std::string wanted = with_values(test_read_file(configs() / "Brindlemox.ini"), values);
    // "analog" and "dips_galaxia", which a machine's set-up sets too, typed in
    // with other values than their defaults: the user's choices, listed.
    const std::string chosen = "userchosen=analog,dips_galaxia\n";
    std::string typed = "\xEF\xBB\xBF";
    for (const std::string& line : text_lines(wanted)) {
        std::string out = line;
        if (line == "host=0") out += "\r\nsped = 1";
        if (line.rfind("memorymap=", 0) == 0) out = "  memorymap = 9";
        if (line.rfind("speed=", 0) == 0) out = "SPEED=7";
        if (line.rfind("autosave=", 0) == 0) out = "AutoSave =\tfalse ";
        typed += out + "\r\n";
    }
    // The volume's line comes after the line put in.
    const std::string volume_line = std::to_string(line_of(text_lines(wanted), "volume") + 2);
    const auto named_once = [&, this](const fs::path& file) {
        const std::string at = "\"" + file.string() + "\" line ";
        EXPECT_EQ(count_of(log(), at + "3: sped: no such setting!"), 1) << log();
        EXPECT_EQ(count_of(log(), at + volume_line + ": volume: integer value of 99 is out of range!"),
                  1)
            << log();
    };
    // A session writes where its window stands.
    const auto has_values = [&](const fs::path& file) {
        const std::vector<std::string> lines = text_lines(test_read_file(file));
        for (const auto& [key, value] : values)
            EXPECT_EQ(lines.at(line_of(lines, key)), key + "=" + value) << file;
        EXPECT_EQ(lines.back(), "sped = 1") << file << ": the line naming no setting goes back last";
    };
    test_write_file(configs() / "Brindlemox.ini", typed);
    EXPECT_EQ(session({}), "PIPBUG");
    named_once(configs() / "Brindlemox.ini");
    has_values(configs() / "Brindlemox.ini");

    test_write_file(configs() / "typed.ini", typed);
    EXPECT_EQ(session({"SETTINGS", "typed.ini"}), "PIPBUG");
    named_once(configs() / "typed.ini");
    has_values(configs() / "typed.ini");

    test_write_file(configs() / "Brindlemox.ini", wanted);
    test_write_file(configs() / "typed.ini", typed);
    EXPECT_EQ(batch({"UPGRADE"}), 0) << log();
    named_once(configs() / "typed.ini");
    EXPECT_EQ(differences(test_read_file(configs() / "typed.ini"), wanted + "sped = 1\n"), "");
}

// Settings files whose names once gave one autosave name ("sub/p2.ini" and
// "sub_p2.ini"), each for another machine: each session resumes and writes
// its own autosave and runs its own file's machine.
TEST_F(SettingsEdits, NamesThatSharedAnAutosaveEachHaveTheirOwn) {
    ASSERT_EQ(session({}), "ARCADIA");
    const std::string plain = test_read_file(configs() / "Brindlemox.ini");
    fs::create_directories(configs() / "sub");
    test_write_file(configs() / "sub" / "p2.ini", with_values(plain, {{"memorymap", "9"}}));
    test_write_file(configs() / "sub_p2.ini", plain);
    const struct {
        const char* file;
        const char* machine;
        const char* state;
    } runs[] = {{"sub/p2.ini", "PIPBUG", "AUTOSAVE-sub%2Fp2.ini.COS"},
                {"sub_p2.ini", "ARCADIA", "AUTOSAVE-sub_p2.ini.COS"}};
    for (int round = 0; round < 2; round++)
        for (const auto& r : runs) {
            SCOPED_TRACE(std::string(r.file) + " round " + std::to_string(round));
            EXPECT_EQ(session({"SETTINGS", r.file}), r.machine);
            EXPECT_TRUE(fs::is_regular_file(games() / r.state));
        }
}
