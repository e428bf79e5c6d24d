// The settings file across two starts of the real program: a file name
// holding a line break or another control character never breaks the file,
// nothing a name holds changes another setting, and the machine's set-up at
// the start does not replace the paddle and controller settings it holds.
#include "tests/core/loading_support.h"
#include "tests/support/program_test.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SettingsNames : public ProgramTest {
  protected:
    fs::path ini() const { return home.path() / "Configs" / "Brindlemox.ini"; }

    // One start with `args`, the port's `lines` sent (each answering rc 0, or
    // at most `highest_rc`), then QUIT.
    void session(std::vector<std::string> args, const std::vector<std::string>& lines = {},
                 int highest_rc = 0) {
        args.insert(args.begin(), {"PORTNAME", "E2E"});
        ASSERT_TRUE(start(args));
        ASSERT_TRUE(port_up()) << log();
        std::string result;
        for (const std::string& line : lines) {
            const int rc = send(line, &result);
            EXPECT_TRUE(rc >= 0 && rc <= highest_rc) << line << ": " << rc << " " << result;
        }
        EXPECT_EQ(send("QUIT", &result), 0) << result;
        EXPECT_EQ(wait_exit(), 0) << log();
        ::close(fd);
        fd = -1;
    }

    // The settings file's lines as key and value; a line without "=" or a key
    // written twice is a fault of its own.
    std::map<std::string, std::string> settings() const {
        std::map<std::string, std::string> keys;
        const std::string text = test_read_file(ini());
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(at, end - at);
            at = end + 1;
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos || eq == 0) {
                ADD_FAILURE() << "a line that is no setting: \"" << line << "\"";
                continue;
            }
            EXPECT_TRUE(keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second)
                << "written twice: " << line;
        }
        return keys;
    }

    // The settings file with `values` put in for their keys.
    void set(const std::map<std::string, std::string>& values) const {
        std::string text = test_read_file(ini());
        for (const auto& [key, value] : values) {
            const std::size_t at = text.find("\n" + key + "=");
            ASSERT_NE(at, std::string::npos) << key;
            const std::size_t end = text.find('\n', at + 1);
            text.replace(at + 1, end - at - 1, key + "=" + value);
        }
        std::ofstream(ini()) << text;
    }
};

} // namespace

// A ZIP named on the command line whose name holds line feeds (and whose
// folder's holds a carriage return) would be the recent file and the games
// drawer; a state whose name holds a tab and other control characters is
// opened over the port. The next start reads back every setting the first
// wrote, and nothing the names hold becomes a setting.
TEST_F(SettingsNames, NamesWithControlCharactersLeaveEverySettingAsItWas) {
    const fs::path folder = home.path() / "odd\rlogtofile=2";
    fs::create_directories(folder);
    const fs::path zip = folder / "evil\nlogtofile=2\nx.zip";
    std::vector<u8> image(2048, 0x40); // an Arcadia cartridge
    image[0] = 0x1F;
    loading_test::write_zip(zip, {{"game.bin", image}});

    const fs::path state = home.path() / "tab\there\x01\x1b.cos";
    session({"FILE", zip.string()},
            {"DEBUGGER BASE 2", "SAVEAS \"" + state.string() + "\"", "OPEN \"" + state.string() + "\""});
    const std::map<std::string, std::string> first = settings();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.at("logtofile"), "1");
    EXPECT_EQ(first.at("base"), "0");
    EXPECT_EQ(first.at("recent_0"), state.string()); // a tab reads back as it was
    for (const auto& [key, value] : first)
        EXPECT_EQ(value.find('\r'), std::string::npos) << key;

    session({});
    const std::map<std::string, std::string> second = settings();
    for (const auto& [key, value] : first) {
        if (key == "nexttip") continue; // each start shows the next tip
        const auto again = second.find(key);
        ASSERT_NE(again, second.end()) << key << " was not read back";
        EXPECT_EQ(again->second, value) << key;
    }
}

// A colour line that a hand edit broke (its value, or its key misspelt) is
// passed over like any other setting's: the colour stays as it was, not
// black; the misspelt key's colour is written back as it was, the broken
// value as the user typed it (named at the start, to be mended).
TEST_F(SettingsNames, AColourLineNotReadKeepsTheColour) {
    session({});
    const std::map<std::string, std::string> first = settings();
    ASSERT_NE(first.at("colour_05_2"), "$000000");
    ASSERT_NE(first.at("colour_06_3"), "$000000");
    std::string text = test_read_file(ini());
    const std::string value_line = "colour_05_2=" + first.at("colour_05_2");
    const std::string key_line = "colour_06_3=" + first.at("colour_06_3");
    ASSERT_NE(text.find(value_line), std::string::npos);
    ASSERT_NE(text.find(key_line), std::string::npos);
    text.replace(text.find(value_line), value_line.size(), "colour_05_2=light blue");
    text.replace(text.find(key_line), key_line.size(), "colur_06_3=" + first.at("colour_06_3"));
    test_write_file(ini(), text);
    session({});
    const std::map<std::string, std::string> second = settings();
    EXPECT_EQ(second.at("colour_05_2"), "light blue");
    EXPECT_EQ(second.at("colour_06_3"), first.at("colour_06_3"));
    EXPECT_EQ(second.at("colour_07_0"), first.at("colour_07_0")) << "the next line is read";
}

// PORT and CLIPUNIT on the command line hold for their run, over what a
// SETTINGS file says, and for their run only: each settings file keeps its
// own values, unless the session itself changed one (SETPORT).
TEST_F(SettingsNames, PortAndClipUnitArgumentsHoldForTheirRunOnly) {
    session({});
    std::string text = test_read_file(ini());
    ASSERT_NE(text.find("\nnetport=6666\n"), std::string::npos);
    ASSERT_NE(text.find("\nclipunit=0\n"), std::string::npos);
    const fs::path other = home.path() / "Configs" / "other.ini";
    text.replace(text.find("\nnetport=6666\n"), 14, "\nnetport=6000\n");
    text.replace(text.find("\nclipunit=0\n"), 12, "\nclipunit=2\n");
    test_write_file(other, text);

    ASSERT_TRUE(start({"PORTNAME", "E2E", "PORT", "7000", "CLIPUNIT", "3", "SETTINGS", "other.ini"}));
    ASSERT_TRUE(port_up()) << log();
    std::string result;
    EXPECT_EQ(send("GETPORT", &result), 0);
    EXPECT_EQ(result, "7000") << "the SETTINGS file's port was taken";
    EXPECT_EQ(send("QUIT", &result), 0) << result;
    EXPECT_EQ(wait_exit(), 0) << log();
    ::close(fd);
    fd = -1;
    const std::string kept = test_read_file(other);
    EXPECT_NE(kept.find("\nnetport=6000\n"), std::string::npos) << kept;
    EXPECT_NE(kept.find("\nclipunit=2\n"), std::string::npos) << kept;

    session({"PORT", "7001", "CLIPUNIT", "4"});
    EXPECT_EQ(settings().at("netport"), "6666");
    EXPECT_EQ(settings().at("clipunit"), "0");
    session({"PORT", "7002"}, {"SETPORT 7003"});
    EXPECT_EQ(settings().at("netport"), "7003");
}

// Sensitivity, Analog for guest? and Swapped? as the user left them are what
// the next session runs with and writes back, whether it resumes the
// autosave or runs the machine's own program; a game loaded in the session
// still brings its own (sensitivity 3 for one the games database does not
// know).
TEST_F(SettingsNames, TheNextStartKeepsThePaddleAndControllerSettings) {
    // Resuming the autosave (a state holds none of them).
    session({}, {"MENU SETTINGS.INPUT.ANALOG", "MENU SETTINGS.INPUT.SWAPPED"});
    set({{"sensitivity_left", "5"}, {"sensitivity_right", "1"}});
    session({});
    std::map<std::string, std::string> after = settings();
    EXPECT_EQ(after.at("sensitivity_left"), "5");
    EXPECT_EQ(after.at("sensitivity_right"), "1");
    EXPECT_EQ(after.at("analog"), "true");
    EXPECT_EQ(after.at("swapped"), "true");
    // Without the autosave, the machine's own program runs.
    const std::map<std::string, std::string> chosen = {
        {"sensitivity_left", "2"}, {"sensitivity_right", "4"}, {"analog", "true"},
        {"swapped", "true"}, {"autosave", "false"}, {"stubprograms", "true"}};
    set(chosen);
    session({});
    after = settings();
    for (const auto& [key, value] : chosen)
        EXPECT_EQ(after.at(key), value) << key;
    const fs::path game = home.path() / "Games" / "mine.bin";
    std::ofstream(game, std::ios::binary) << std::string(4096, '\0');
    session({}, {"OPEN " + game.string()});
    EXPECT_EQ(settings().at("sensitivity_left"), "2");
    EXPECT_EQ(settings().at("sensitivity_right"), "4");
}

// A load, a playback or a machine switch sets up what runs; the settings the
// user chose stay theirs. The file keeps them whatever the load set for its
// run, and a program that brings no paddle settings of its own runs with the
// user's: Analog for guest? toggled after the load is written as the
// opposite of what ran.
TEST_F(SettingsNames, LoadsAndSwitchesLeaveTheUsersOwnSettings) {
    const auto path = [&](const std::string& name) { return (home.path() / name).string(); };
    // The Arcadia's title program (a row of the games database) saved as a
    // state and as the quick save; a Pong recording whose frames hold the
    // console switches at 0; Pong in the autosave.
    session({}, {"SAVEAS " + path("mine.cos"), "MENU PROJECT.QUICKSAVE", "SETMACHINE PONG",
                 "SAVEAS " + path("pong.cos")});
    std::string take = test_read_file(home.path() / "pong.cos");
    take[2] = 1;
    take.append(18 * 20, '\0');
    test_write_file(home.path() / "pong.cor", take);

    const std::map<std::string, std::string> users = {
        {"sensitivity_left", "5"}, {"sensitivity_right", "1"}, {"swapped", "true"},
        {"region", "0"},           {"pong_speed", "1"},        {"pong_angles", "1"},
        {"pong_variant", "12"}};
    const std::string toggle = "MENU SETTINGS.INPUT.ANALOG", arcadia = "SETMACHINE ARCADIA";
    struct Load {
        const char* what;
        std::vector<std::string> lines;
        const char* analog_written;
        bool resumes = false; // the start resumes the autosave
    };
    const Load loads[] = {
        {"the autosave", {}, "true", true},
        {"the user's state", {"OPEN " + path("mine.cos"), toggle}, "false"},
        {"the quick save", {"MENU PROJECT.QUICKLOAD", toggle}, "false"},
        {"Revert", {"OPEN " + path("mine.cos"), "REVERT", toggle}, "false"},
        {"a playback", {"OPEN " + path("pong.cor"), arcadia, toggle}, "false"},
        {"Reinitialize", {"MENU PROJECT.REINITIALIZE", toggle}, "false"},
        {"a machine with paddles of its own", {"SETMACHINE PONG"}, "true"},
        {"a machine of another video standard", {"SETMACHINE PIPBUG"}, "true"},
        {"a board without analog paddles", {"MENU SETTINGS.MACHINE.MALZAK1"}, "true"},
        {"a board without analog paddles, left", {"MENU SETTINGS.MACHINE.MALZAK1", arcadia, toggle},
         "false"},
    };
    for (const Load& load : loads) {
        SCOPED_TRACE(load.what);
        std::map<std::string, std::string> chosen = users;
        chosen["memorymap"] = "6"; // the Arcadia
        chosen["analog"] = "true";
        chosen["autosave"] = load.resumes ? "true" : "false";
        set(chosen);
        session({}, load.lines, 5);
        const std::map<std::string, std::string> after = settings();
        for (const auto& [key, value] : users)
            EXPECT_EQ(after.at(key), value) << key;
        EXPECT_EQ(after.at("analog"), load.analog_written);
    }
}

// A user who picks through the port the value a state set for its run has
// chosen it: the next state's load does not take it back and the file keeps
// it. Each row's key is one of the keeper's own.
TEST_F(SettingsNames, APickOfTheValueALoadSetIsTheUsersOwn) {
    const auto path = [&](const std::string& name) { return (home.path() / name).string(); };
    const struct {
        const char* key;
        const char* machine;
        const char* pick;  // the port's line for the value the first state holds
        const char* other; // and for the one the second holds
        const char* picked;
    } rows[] = {
        {"region", "ARCADIA", "MENU SETTINGS.SPEED.NTSC", "MENU SETTINGS.SPEED.PAL", "0"},
        {"cd2650_vdu", "CD2650", "MENU SETTINGS.VDU.ASCII", "MENU SETTINGS.VDU.LOWERCASE", "0"},
        {"pipbug_vdu", "PIPBUG", "MENU SETTINGS.VDU.NARROW", "MENU SETTINGS.VDU.WIDE", "1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        bool kept = false;
        for (std::size_t i = 0; i < prefs_kept_count(); i++)
            kept = kept || prefs_kept(i).key == std::string(row.key);
        EXPECT_TRUE(kept);
        std::filesystem::remove(ini());
        std::filesystem::remove(home.path() / "Games" / "AUTOSAVE.COS");
        session({}, {std::string("SETMACHINE ") + row.machine, row.pick, "SAVEAS " + path("picked.cos"),
                     row.other, "SAVEAS " + path("other.cos")},
                5);
        EXPECT_NE(settings().at(row.key), row.picked);
        session({}, {"OPEN " + path("picked.cos"), row.pick, "OPEN " + path("other.cos")}, 5);
        EXPECT_EQ(settings().at(row.key), row.picked);
    }
}

// A machine that takes the user's video standard, switched to from one whose
// set-up brings its own, runs on the user's: the picture's height shows it,
// at once and when the next start resumes the autosave, and the file keeps
// the choice.
TEST_F(SettingsNames, ASwitchBackRunsOnTheUsersVideoStandard) {
    constexpr unsigned ARCADIA_PAL = 269, ARCADIA_NTSC = 226, PONG_PAL = 242;
    const struct {
        const char* what;
        std::vector<std::string> lines; // the choice, the switches away and back
        const char* region;
        unsigned height;
    } cases[] = {
        {"PAL, by the CD2650", {"SETMACHINE CD2650", "SETMACHINE ARCADIA"}, "1", ARCADIA_PAL},
        {"PAL, by the Twin and Pong",
         {"SETMACHINE TWIN", "SETMACHINE PONG", "SETMACHINE ARCADIA"},
         "1",
         ARCADIA_PAL},
        {"PAL, Pong by the CD2650", {"SETMACHINE CD2650", "SETMACHINE PONG"}, "1", PONG_PAL},
        {"NTSC chosen, by the Interton",
         {"MENU SETTINGS.SPEED.NTSC", "SETMACHINE INTERTON", "SETMACHINE ARCADIA"},
         "0",
         ARCADIA_NTSC},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(ini());
        std::filesystem::remove(home.path() / "Games" / "AUTOSAVE.COS");
        for (const bool resumed : {false, true}) {
            ASSERT_TRUE(start({"PORTNAME", "E2E"}));
            ASSERT_TRUE(port_up()) << log();
            if (!resumed)
                for (const std::string& line : c.lines)
                    request(line); // a machine's missing ROM images warn
            EXPECT_EQ(picture("shown.png").height, c.height) << (resumed ? "resumed" : "switched");
            std::string result;
            EXPECT_EQ(send("QUIT", &result), 0) << result;
            EXPECT_EQ(wait_exit(), 0) << log();
            ::close(fd);
            fd = -1;
            EXPECT_EQ(settings().at("region"), c.region);
        }
    }
}

// The pause the manual's viewer holds while it is open is not saved as the
// user's; a pause the user chose is.
TEST_F(SettingsNames, OnlyTheUsersOwnPauseIsSaved) {
    session({}, {"MENU HELP.MANUAL"});
    EXPECT_EQ(settings()["paused"], "false");
    session({}, {"PAUSE", "MENU HELP.MANUAL"});
    EXPECT_EQ(settings()["paused"], "true");
}
