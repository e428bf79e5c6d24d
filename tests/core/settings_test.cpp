#include "tests/support/quiet_output.h"
#include "tests/support/checkout_paths.h"
#include "core/emu.h"
#include "core/message.h"
#include "core/notify.h"
#include "core/serial.h"
#include "core/serial_seams.h"
#include "core/hiscore.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "cpu/dbg_hooks.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "home_fixture.h"
#include "display/host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The settings as the program starts with them, taken before any test runs.
const std::string& g_defaults = fresh_settings_defaults();

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line))
        lines.push_back(line);
    return lines;
}

// `text` with the line of `key` replaced by `line` ("" removes it).
std::string with_line(const std::string& text, const std::string& key, const std::string& line) {
    std::string out;
    bool found = false;
    for (const std::string& l : lines_of(text)) {
        if (!found && l.compare(0, key.size() + 1, key + "=") == 0) {
            found = true;
            if (!line.empty()) out += line + "\n";
            continue;
        }
        out += l + "\n";
    }
    EXPECT_TRUE(found) << key;
    return out;
}

// `text` with several lines replaced, one after the other, as with_line does.
std::string with_lines(std::string text,
                       std::initializer_list<std::pair<std::string, std::string>> changes) {
    for (const auto& [key, line] : changes)
        text = with_line(text, key, line);
    return text;
}

// "line N: why" for the first line of `text` that begins with `start`, as the
// reader names a line it could not take.
std::string named(const std::string& text, const std::string& start, const std::string& why) {
    const std::vector<std::string> lines = lines_of(text);
    for (std::size_t i = 0; i < lines.size(); i++)
        if (lines[i].rfind(start, 0) == 0) return "line " + std::to_string(i + 1) + ": " + why + "\n";
    ADD_FAILURE() << start;
    return "";
}

std::string read_capturing(const std::string& text, bool* accepted = nullptr) {
    capture_output();
    bool ok = ini_read_text(text);
    if (accepted) *accepted = ok;
    return captured_output();
}

// Each test runs in a temporary program home and runtime folder, starting from
// the default settings.
class Settings : public HomeTest {
  protected:
    fs::path configs;

    void SetUp() override {
        HomeTest::SetUp();
        ASSERT_TRUE(ini_read_text(g_defaults));
        fs::create_directories(home / "run");
        configs = home / "Configs";
        setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    }
};

// ---- Writing ------------------------------------------------------------------------

TEST_F(Settings, DefaultFileMatchesTheGoldenFile) {
    // The host keys and the colours are the built-in defaults.
    dbg_time_unit = 1; // the debugger's time unit starts at clock periods
    std::string text = ini_write_text();
    fs::path golden = fs::path(test_data()) / "settings" / "default.ini";
    std::string expected = test_read_file(golden);
    if (text != expected)
        test_write_file(fs::temp_directory_path() / "brindlemox-default.ini.actual", text);
    EXPECT_EQ(text, expected) << "actual text written to /tmp/brindlemox-default.ini.actual";
}

TEST_F(Settings, ChangedSettingsSurviveAWriteAndRead) {
    cpu_type = 1;
    frame_skip = 7;
    net_port = 1234;
    dips_galaxia = 7;
    speech_voicing = -32;
    main_window_pos[0] = -200;
    player_keys[1][27] = 127;
    palette_set_red_grey(5, 23, 0xAB);
    palette_set_green_grey(5, 23, 0x01);
    palette_set_blue_grey(5, 23, 0xFE);
    // Blanks at a text's ends are its own, and so are quotes around it.
    std::snprintf(games_path, sizeof games_path, "%s", "/home/user/My Games ");
    std::snprintf(recent_files[2], sizeof recent_files[2], "%s", "\"/x/y.bin\"");
    recent_memmaps[2] = 22;
    recent_games[2] = 859;
    std::string text = ini_write_text();
    EXPECT_NE(text.find("colour_23_5=$AB01FE\n"), std::string::npos);

    ASSERT_TRUE(ini_read_text(g_defaults));
    EXPECT_EQ(frame_skip, 1);
    ASSERT_TRUE(ini_read_text(text)); // every value back: the same text again
    EXPECT_EQ(frame_skip, 7);
    EXPECT_EQ(recent_count, 3);
    EXPECT_STREQ(games_path, "/home/user/My Games ");
    EXPECT_STREQ(recent_files[2], "\"/x/y.bin\"");
    EXPECT_EQ(ini_write_text(), text);
}

TEST_F(Settings, FullScreenWritesTheWindowedSizeKeptAside) {
    display_scale = 4;
    display_aspect = 2;
    windowed_scale = 2;
    windowed_width = 1;
    display_mode = 1;
    std::string text = ini_write_text();
    EXPECT_NE(text.find("\nsize=2\n"), std::string::npos);
    EXPECT_NE(text.find("\nwidth=1\n"), std::string::npos);
    display_mode = 0;
    text = ini_write_text();
    EXPECT_NE(text.find("\nsize=4\n"), std::string::npos);
    EXPECT_NE(text.find("\nwidth=2\n"), std::string::npos);
    // Reading always sets the current values.
    ASSERT_TRUE(ini_read_text(with_line(text, "size", "size=5")));
    EXPECT_EQ(display_scale, 5u);
    EXPECT_EQ(windowed_scale, 2u);
}

// ---- Version and host ----------------------------------------------------------------

TEST_F(Settings, VersionsAcceptedAndRefused) {
    std::string changed = with_line(g_defaults, "frameskipping", "frameskipping=5");
    for (const char* v : {"36.21", "36.2", "36.1", " 36.21 "}) {
        frame_skip = 1;
        bool ok = false;
        EXPECT_EQ(read_capturing(with_line(changed, "version", std::string("version=") + v), &ok),
                  "");
        EXPECT_TRUE(ok) << v;
        EXPECT_EQ(frame_skip, 5) << v;
    }
    for (const char* v : {"36.20", "36.3", "", "36.21x"}) {
        frame_skip = 1;
        bool ok = true;
        EXPECT_EQ(read_capturing(with_line(changed, "version", std::string("version=") + v), &ok),
                  "Wrong INI file version (obsolete/future)!\n");
        EXPECT_FALSE(ok) << v;
        EXPECT_EQ(frame_skip, 1) << "no setting changes after a refused version";
    }
}

TEST_F(Settings, VersionAndHostKeysIgnoreCase) {
    std::string text = with_lines(
        g_defaults, {{"version", "VERSION=36.21"}, {"host", "Host=1"}, {"2650b", "2650b=true"}});
    bool ok = true;
    EXPECT_EQ(read_capturing(text, &ok), "Foreign host INI file format!\n");
    EXPECT_FALSE(ok);
    EXPECT_EQ(cpu_type, 0u) << "the walk stopped at the host line";
}

TEST_F(Settings, ForeignHostStopsTheWalk) {
    std::string text = with_lines(g_defaults, {{"host", "host=1"}, {"2650b", "2650b=true"}});
    bool ok = true;
    EXPECT_EQ(read_capturing(text, &ok), "Foreign host INI file format!\n");
    EXPECT_FALSE(ok);
    EXPECT_EQ(cpu_type, 0u);
}

// ---- Reading rules per field type -------------------------------------------------------

TEST_F(Settings, AMissingIntegerLineKeepsItsSettingAndNoOther) {
    std::string text = with_lines(g_defaults, {{"binbug_baudrate", ""},
                                               {"binbug_biosversion", "binbug_biosversion=4"},
                                               {"binbug_dosversion", "binbug_dosversion=2"}});
    binbug_baudrate = 2;
    EXPECT_EQ(read_capturing(text), "");
    EXPECT_EQ(binbug_baudrate, 2) << "keeps its value";
    EXPECT_EQ(binbug_biosversion, 4) << "the next key reads its own line";
    EXPECT_EQ(binbug_dosversion, 2);
}

// Lines that read without a word: bounds, keys in capitals, a missing
// boolean, texts; and those named: no number, a text too long.
TEST_F(Settings, LinesThatReadSilently) {
    std::string text =
        with_lines(g_defaults, {{"analog", ""}, // offered to the next key
                                {"artefacts", "artefacts=true"},
                                {"frameskipping", "FrameSkipping=4"},
                                {"speech_frication", "speech_frication=-32"},
                                {"samplerate", "samplerate=22050"},
                                {"regionstart", "regionstart= 32512"},
                                {"speed", "speed=fast"},
                                {"tapeskewage", "tapeskewage="},
                                {"path_games", "PATH_GAMES=" + std::string(600, 'x')},
                                {"path_disks", "path_disks="}});
    analog = 0;
    EXPECT_EQ(read_capturing(text),
              named(text, "PATH_GAMES=", "path_games: text longer than 512 characters!") +
                  named(text, "speed=", "speed: \"fast\" is not a number!") +
                  named(text, "tapeskewage=", "tapeskewage: no value!"));
    EXPECT_EQ(analog, 0u);
    EXPECT_EQ(artefacts, 1u);
    EXPECT_EQ(frame_skip, 4) << "a key in any letter case";
    EXPECT_EQ(speech_frication, -32);
    EXPECT_EQ(snd_record_rate, 22050);
    EXPECT_EQ(memedit_base, 32512) << "page 127, which the editor saves, reads back";
    EXPECT_EQ(emu_speed, 3);
    EXPECT_EQ(tapeskewage, 128);
    EXPECT_EQ(std::string(games_path), std::string(512, 'x'));
    EXPECT_STREQ(disks_path, "");
}

// Booleans read by their first letters; values out of range keep the setting and say so.
TEST_F(Settings, BooleanAndRangeMessages) {
    std::string text = with_lines(g_defaults, {{"analog", "ANALOG=TRUE"},
                                               {"artefacts", "artefacts=trueish"},
                                               {"autocoin", "autocoin=False"},
                                               {"autofire_left", "autofire_left=yes"},
                                               {"autofire_right", "autofire_right=true"},
                                               {"frameskipping", "frameskipping=0"},
                                               {"speech_frication", "speech_frication=-33"},
                                               {"winleftx", "winleftx=99999999999"},
                                               {"netport", "netport=65536"},
                                               {"dips_galaxia", "dips_galaxia=-1"},
                                               {"dips_laserbattle", "dips_laserbattle=256"},
                                               {"left_03", "left_03=128"},
                                               {"leftbutton_0", "leftbutton_0=255"}});
    autofire_left = 1;
    frame_skip = 2;
    EXPECT_EQ(read_capturing(text),
              named(text, "autofire_left=", "autofire_left: invalid boolean!") +
                  named(text, "dips_galaxia=",
                        "dips_galaxia: unsigned byte value of -1 is out of range!") +
                  named(text, "dips_laserbattle=",
                        "dips_laserbattle: unsigned byte value of 256 is out of range!") +
                  named(text, "frameskipping=",
                        "frameskipping: integer value of 0 is out of range! (Range is 1..11.)") +
                  named(text, "netport=",
                        "netport: unsigned word value of 65536 is out of range! (Range is "
                        "0..65535.)") +
                  named(text, "speech_frication=",
                        "speech_frication: integer value of -33 is out of range! (Range is "
                        "-32..31.)") +
                  named(text, "winleftx=",
                        "winleftx: integer value of 2147483647 is out of range! (Range is "
                        "-32768..32767.)") +
                  named(text, "left_03=",
                        "left_03: unsigned word value of 128 is out of range! (Range is 0..127.)") +
                  named(text, "leftbutton_0=",
                        "leftbutton_0: gamepad button value of 255 is out of range! (Range is "
                        "1..4.)"));
    EXPECT_EQ(analog, 1u);
    EXPECT_EQ(artefacts, 1u) << "a value that begins with true reads as true";
    EXPECT_EQ(autocoin, 0u);
    EXPECT_EQ(autofire_left, 1u) << "an invalid boolean keeps the value";
    EXPECT_EQ(autofire_right, 1u) << "and does not shift the following lines";
    EXPECT_EQ(frame_skip, 2);
    EXPECT_EQ(speech_frication, 0);
    EXPECT_EQ(main_window_pos[0], -1);
    EXPECT_EQ(net_port, 6666);
    EXPECT_EQ(dips_galaxia, 143);
    EXPECT_EQ(dips_laserbattle, 191);
    EXPECT_EQ(leftbutton[0], 1) << "a button map outside 1..4 is refused";
}

TEST_F(Settings, FixUps) {
    std::string text =
        with_lines(g_defaults, {{"demultiplex", "demultiplex=1"}, {"filter", "filter=1"}});
    read_capturing(text);
    EXPECT_EQ(demultiplex, 2);
    EXPECT_EQ(display_filter, 3);
    // On writing the fix-up runs right after the line.
    demultiplex = 1;
    display_filter = 0;
    std::string written = ini_write_text();
    EXPECT_NE(written.find("\ndemultiplex=1\n"), std::string::npos);
    EXPECT_NE(written.find("\nfilter=0\n"), std::string::npos);
    EXPECT_EQ(demultiplex, 2);
    EXPECT_EQ(display_filter, 3);
    read_capturing(with_line(g_defaults, "filter", "filter=2"));
    EXPECT_EQ(display_filter, 2);
}

TEST_F(Settings, BlinkAndPipbugBlinkShareOneSetting) {
    std::string text = with_line(g_defaults, "blink", "blink=false");
    read_capturing(text);
    EXPECT_EQ(pipbug_blink, 1u) << "the later key wins";
    text = with_line(text, "pipbug_blink", "pipbug_blink=false");
    read_capturing(text);
    EXPECT_EQ(pipbug_blink, 0u);
    std::string written = ini_write_text();
    EXPECT_NE(written.find("\nblink=false\n"), std::string::npos);
    EXPECT_NE(written.find("\npipbug_blink=false\n"), std::string::npos);
}

TEST_F(Settings, ColourLines) {
    palette_set_red_grey(1, 0, 9);
    palette_set_red_grey(2, 0, 9);
    std::string text = with_lines(g_defaults, {{"colour_00_0", "colour_00_0=$a0b1c2"},
                                               {"colour_00_1", "colour_00_1=junk"},
                                               {"colour_00_2", "colour_00_2=$12"}});
    read_capturing(text);
    EXPECT_EQ(palette_get_red(0, 0), 0xA0);
    EXPECT_EQ(palette_get_green(0, 0), 0xB1);
    EXPECT_EQ(palette_get_blue(0, 0), 0xC2);
    EXPECT_EQ(palette_get_red(1, 0), 9) << "a line without a colour keeps the colour";
    EXPECT_EQ(palette_get_red(2, 0), 0x12);
    EXPECT_EQ(palette_get_green(2, 0), 0);
}

TEST_F(Settings, RecentCountIsTheLastNonEmptyEntry) {
    std::string text = with_line(g_defaults, "recent_4", "recent_4=/a/b.bin");
    read_capturing(text);
    EXPECT_EQ(recent_count, 5);
    read_capturing(g_defaults);
    EXPECT_EQ(recent_count, 0);
}

TEST_F(Settings, MemoryMapIsRecordedForStartUp) {
    const u32 running_machine = machine, running_map = memmap;
    read_capturing(with_line(g_defaults, "memorymap", "memorymap=22"));
    EXPECT_EQ(settings_memmap, 22u);
    EXPECT_EQ(read_capturing(with_line(g_defaults, "memorymap", "memorymap=17")),
              named(g_defaults, "memorymap=", "memorymap: memory map 17 is empty!"));
    EXPECT_EQ(settings_memmap, 22u) << "an empty map leaves the choice read before";
    EXPECT_EQ(machine, running_machine) << "reading settings never switches the running machine";
    EXPECT_EQ(memmap, running_map);
}

TEST_F(Settings, LineEndsAndBlankLines) {
    std::string lf =
        with_lines(g_defaults, {{"frameskipping", "frameskipping=6"}, {"analog", "analog=true"}});
    std::string crlf;
    for (const std::string& l : lines_of(lf))
        crlf += l + "\r\n\r\n\n";
    read_capturing(crlf);
    EXPECT_EQ(frame_skip, 6);
    EXPECT_EQ(analog, 1u);
    // "analog", typed in with another value than its default, is the user's choice.
    EXPECT_EQ(ini_write_text(), lf + "userchosen=analog\n");
}

TEST_F(Settings, TruncatedFileKeepsTheRest) {
    std::string text = with_line(g_defaults, "2650b", "2650b=true");
    // Cut in the middle of the last line read: "frameskipping=1" becomes "frameskipping=1"
    // without its line end, and nothing after it exists.
    text = with_line(text, "frameskipping", "frameskipping=9");
    size_t at = text.find("frameskipping=9\n");
    ASSERT_NE(at, std::string::npos);
    std::string cut = text.substr(0, at + 15);
    palette_set_red_grey(0, 0, 77);
    emu_speed = 6;
    EXPECT_EQ(read_capturing(cut), "");
    EXPECT_EQ(cpu_type, 1u);
    EXPECT_EQ(frame_skip, 9);
    EXPECT_EQ(emu_speed, 6) << "keys after the end keep their values";
    EXPECT_EQ(palette_get_red(0, 0), 255) << "colour lines before the end were read";
}

TEST_F(Settings, GarbageNeverCrashes) {
    std::mt19937 rng(2650);
    std::string base = g_defaults;
    for (int round = 0; round < 300; round++) {
        std::string text = base;
        int edits = 1 + static_cast<int>(rng() % 40);
        for (int e = 0; e < edits; e++) {
            size_t at = rng() % text.size();
            const u32 op = rng() % 3; // overwrite, cut or insert
            if (op == 0)
                text[at] = static_cast<char>(rng());
            else if (op == 1)
                text.erase(at, rng() % 20);
            else
                text.insert(at, 1, static_cast<char>(rng()));
            if (text.empty()) text = "x";
        }
        if (round % 10 == 0) text = text.substr(0, rng() % text.size());
        capture_output();
        ini_read_text(text);
        captured_output();
        // Whatever was read, every setting is still within its range.
        EXPECT_GE(frame_skip, 1);
        EXPECT_LE(frame_skip, 11);
        EXPECT_LE(emu_speed, 8);
        EXPECT_LT(settings_memmap, 31u);
        EXPECT_FALSE(settings_memmap == 17 || settings_memmap == 18);
        EXPECT_LE(std::strlen(games_path), 512u);
        ASSERT_TRUE(ini_read_text(g_defaults));
    }
}

// ---- Lines as a person types them ---------------------------------------------------------

// A value other than `value` that the key's field takes, tried from the
// defaults: a boolean turned, a number one up or down, another colour or
// text ("" when the key takes none of them).
std::string other_value(const std::string& key, const std::string& value) {
    std::vector<std::string> tries;
    if (value == "true" || value == "false") {
        tries = {value == "true" ? "false" : "true"};
    } else if (!value.empty() && value[0] == '$') {
        tries = {value == "$123456" ? "$654321" : "$123456"};
    } else if (!value.empty() && value.find_first_not_of("-0123456789") == std::string::npos) {
        tries = {std::to_string(std::stoll(value) + 1), std::to_string(std::stoll(value) - 1)};
    } else {
        tries = {"/typed/by/hand"};
    }
    for (const std::string& t : tries) {
        ini_read_text(g_defaults);
        capture_output();
        ini_read_text(with_line(g_defaults, key, key + "=" + t));
        const bool silent = captured_output().empty();
        const std::vector<std::string> written = lines_of(ini_write_text());
        if (silent && std::find(written.begin(), written.end(), key + "=" + t) != written.end())
            return t;
    }
    return "";
}

// Every key of the settings walk, with a value of its own, written as a
// person might type it (blanks before the key and around "=", any letter
// case, a BOM, CR LF ends): read from the defaults, each reads back the value
// its plain line gives, and no line is named.
TEST_F(Settings, EveryKeyReadsAsAPersonTypesIt) {
    std::string changed = g_defaults;
    std::vector<std::string> keys, untaken;
    for (const std::string& line : lines_of(g_defaults)) {
        const std::size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        keys.push_back(key);
        if (key == "version" || key == "host") continue; // the file's own, not settings
        const std::string value = other_value(key, line.substr(eq + 1));
        if (value.empty())
            untaken.push_back(key);
        else
            changed = with_line(changed, key, key + "=" + value);
    }
    // Keys whose field takes no other value alone: one read with a later key,
    // one whose other values are fixed up to its default.
    EXPECT_EQ(testing::PrintToString(untaken), "{ \"blink\", \"demultiplex\" }");
    ASSERT_TRUE(ini_read_text(changed));
    const std::vector<std::string> wanted = lines_of(ini_write_text());

    const auto typed = [](const std::string& key, const std::string& value, std::size_t style) {
        std::string mixed = key;
        for (std::size_t i = 0; i < mixed.size(); i += 2)
            mixed[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[i])));
        std::string upper = key;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        switch (style % 4) {
        case 0: return key + " = " + value;
        case 1: return "  " + key + "=" + value;
        case 2: return upper + "=" + value;
        default: return "\t" + mixed + "\t =\t" + value + "  ";
        }
    };
    for (std::size_t pass = 0; pass < 4; pass++) {
        SCOPED_TRACE("pass " + std::to_string(pass));
        const std::string end = pass % 2 ? "\n" : "\r\n";
        std::string text = pass % 2 ? "" : "\xEF\xBB\xBF";
        std::size_t i = 0;
        for (const std::string& line : lines_of(changed)) {
            const std::size_t eq = line.find('=');
            text += typed(line.substr(0, eq), line.substr(eq + 1), i++ + pass) + end;
        }
        ASSERT_TRUE(ini_read_text(g_defaults));
        bool accepted = false;
        EXPECT_EQ(read_capturing(text, &accepted), "");
        ASSERT_TRUE(accepted);
        const std::vector<std::string> got = lines_of(ini_write_text());
        ASSERT_EQ(got.size(), wanted.size());
        for (std::size_t k = 0; k < got.size(); k++)
            EXPECT_EQ(got[k], wanted[k]) << "typed as \"" << typed(keys[k], "...", k + pass) << "\"";
    }

    // The list of the user's choices read as a person types it: blanks around
    // the names and after the commas, capitals, an empty entry. A name that is
    // no kept setting is named with its line, which is written back as typed.
    const std::string hand = g_defaults + "userchosen = Sensitivity_Left ,\tPONG_SPEED,, bogus \n";
    EXPECT_EQ(read_capturing(hand), named(hand, "userchosen", "userchosen: no such setting: bogus!"));
    EXPECT_EQ(prefs_chosen_keys(), "sensitivity_left,pong_speed");
    EXPECT_TRUE(lines_of(ini_write_text()).back() == "userchosen=Sensitivity_Left ,\tPONG_SPEED,, bogus");
}

// A line the reader cannot take is named by its number, with why; its
// setting keeps its value, and a refused value is written back as the line
// held it until the setting is changed.
TEST_F(Settings, LinesThatCannotBeTakenAreNamedAndKept) {
    const struct {
        const char* key;  // the line replaced ("": the line put after "host")
        const char* line;
        const char* why;
        const char* kept; // the line written back
    } rows[] = {
        {"speed", "speed = 99", "speed: integer value of 99 is out of range! (Range is 0..8.)",
         "speed=99"},
        {"speed", "SPEED=fast", "speed: \"fast\" is not a number!", "speed=fast"},
        {"analog", "Analog = maybe", "analog: invalid boolean!", "analog=maybe"},
        {"colour_00_1", "colour_00_1=junk", "colour_00_1: \"junk\" is no colour ($RRGGBB)!",
         "colour_00_1=junk"},
        {"leftbutton_0", "leftbutton_0=9",
         "leftbutton_0: gamepad button value of 9 is out of range! (Range is 1..4.)",
         "leftbutton_0=9"},
        {"memorymap", "memorymap=17", "memorymap: memory map 17 is empty!", "memorymap=17"},
        {"", "sped = 7", "sped: no such setting!", "sped = 7"},
        {"", "speed 7", "\"speed 7\" holds no \"=\"!", "speed 7"},
        {"", " = 7", "no key before \"=\"!", "= 7"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line);
        std::string text = *r.key ? with_line(g_defaults, r.key, r.line)
                                  : with_line(g_defaults, "host", std::string("host=0\n") + r.line);
        ASSERT_TRUE(ini_read_text(g_defaults));
        EXPECT_EQ(read_capturing(text), named(text, r.line, r.why));
        const std::string written = ini_write_text();
        EXPECT_NE(written.find("\n" + std::string(r.kept) + "\n"), std::string::npos);
        // A line that names no setting goes back after the walk's own lines.
        if (!*r.key) {
            EXPECT_EQ(written, g_defaults + r.kept + "\n") << "nothing else changes";
        }
    }
    // A line its key's later line overrides is named with the one read; a
    // setting changed after a refused line is written as the user chose.
    const std::string twice =
        with_line(with_line(g_defaults, "speed", "speed=99"), "host", "host=0\nspeed=7");
    const std::string later = named(twice, "speed=99", "");
    EXPECT_EQ(read_capturing(twice),
              named(twice, "speed=7",
                    "speed: given again on " + later.substr(0, later.find(':')) +
                        ", which is the one read!") +
                  named(twice, "speed=99",
                        "speed: integer value of 99 is out of range! (Range is 0..8.)"));
    emu_speed = 5;
    EXPECT_NE(ini_write_text().find("\nspeed=5\n"), std::string::npos);
}

// The autosave's name is the settings file's own: names that shared one
// (a "/" and "_", the escape character and what it escapes) differ, a name
// spelt another way for the same file keeps it, and a plain name keeps the
// one earlier versions gave it.
TEST_F(Settings, EachSettingsFileHasAnAutosaveOfItsOwn) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } pairs[] = {
        {"sub/p2.ini", "sub_p2.ini", false},
        {"a/b/c.ini", "a_b/c.ini", false},
        {"x/y.ini", "x%2Fy.ini", false},
        {"%.ini", "%25.ini", false},
        {"%2F.ini", "%252F.ini", false},
        {"sub/Brindlemox.ini", "Brindlemox.ini", false},
        {"PROGDIR:Configs/sub/./p2.ini", "sub/p2.ini", true},
        {"PROGDIR:Configs/pipbug.ini", "pipbug.ini", true},
    };
    for (const auto& p : pairs)
        EXPECT_EQ(autosave_name(p.a) == autosave_name(p.b), p.same)
            << p.a << " " << autosave_name(p.a) << ", " << p.b << " " << autosave_name(p.b);
    EXPECT_EQ(autosave_name("pipbug.ini"), "AUTOSAVE-pipbug.ini.COS");
    EXPECT_EQ(autosave_name("sub_p2.ini"), "AUTOSAVE-sub_p2.ini.COS");
    EXPECT_EQ(autosave_name("PROGDIR:Configs/Brindlemox.ini"), "AUTOSAVE.COS");
}

// ---- Files -------------------------------------------------------------------------------

TEST_F(Settings, SaveThenLoad) {
    frame_skip = 8;
    ASSERT_TRUE(ini_save());
    fs::path file = configs / "Brindlemox.ini";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(test_read_file(file), ini_write_text()); // written whole
    for (const auto& e : fs::directory_iterator(configs))
        EXPECT_EQ(e.path().filename(), "Brindlemox.ini") << "no temporary file is left";
    frame_skip = 1;
    ini_load();
    EXPECT_EQ(frame_skip, 8);
    EXPECT_EQ(ini_loaded, 1);
    EXPECT_EQ(ini_load_ran, 1);
}

// Loaded settings may name another processor variant or notation: the opcode
// tables follow at once, and the interface is told to relabel.
TEST_F(Settings, LoadingAdaptsTheOpcodeTables) {
    struct Row {
        u32 type, notation;
        u32 length_10, cycles_00;
        const char* ldpl;
    };
    const Row rows[] = {
        {CPU_2650B, NOTATION_SIGNETICS, 3, 3, "LDPL"},
        {CPU_2650, NOTATION_SIGNETICS, 1, 6, "-------"},
        {CPU_2650B, NOTATION_IEEE, 3, 3, "LD .L"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "type " << r.type << " notation " << r.notation);
        cpu_type = r.type;
        dis_notation = r.notation;
        ASSERT_TRUE(ini_save());
        cpu_type = r.type ^ 1;
        dis_notation = NOTATION_EXTENDED;
        cpu_reset_op_tables();
        ui_take_changes();
        ini_load();
        EXPECT_EQ(op_length[0x10], r.length_10);
        EXPECT_EQ(op_cycles[0x00], r.cycles_00);
        EXPECT_STREQ(op_text[r.notation][0x10].mnemonic, r.ldpl);
        EXPECT_TRUE(ui_take_changes() & UI_OPCODES);
    }
}

TEST_F(Settings, NoFileChangesNothingButAllowsTheExitSave) {
    ini_load();
    EXPECT_EQ(ini_loaded, 0);
    EXPECT_EQ(ini_load_ran, 1);
    ini_save_at_exit();
    EXPECT_TRUE(fs::exists(configs / "Brindlemox.ini"));
}

TEST_F(Settings, OldBinaryFileIsNotParsedButCountsAsLoaded) {
    test_write_file(configs / "Brindlemox.ini", std::string("\xC6\x02", 2) + "frameskipping=9\n");
    ini_load();
    EXPECT_EQ(frame_skip, 1);
    EXPECT_EQ(ini_loaded, 1);
}

TEST_F(Settings, ExitSaveOnlyAfterStartUpReadTheSettings) {
    test_write_file(configs / "Brindlemox.ini", "user file");
    auto exit_save_kept = [&] {
        ini_save_at_exit();
        return test_read_file(configs / "Brindlemox.ini") == "user file";
    };
    EXPECT_TRUE(exit_save_kept()) << "start-up never read it";
    ini_load_ran = 1;
    lock_config = 1;
    EXPECT_TRUE(exit_save_kept()) << "LOCKCONFIG";
    lock_config = 0;
    upgrade_mode = 1;
    EXPECT_TRUE(exit_save_kept()) << "UPGRADE";
    upgrade_mode = 0;
    EXPECT_FALSE(exit_save_kept());
    EXPECT_EQ(test_read_file(configs / "Brindlemox.ini").substr(0, 14), "version=36.21\n");
}

// A file the program does not understand (no version line as its first
// setting, another version, another host) or cannot read is reported, changes
// no setting and is kept at exit; the user is told once that the settings will
// not be saved. Blank lines and comments before the version line are passed over.
TEST_F(Settings, FilesThatAreRefusedOrUnreadableAreKeptAtExit) {
    const std::string changed = with_line(g_defaults, "frameskipping", "frameskipping=5");
    struct Case {
        const char* what;
        std::string text;
        const char* message; // "" for a file that is read and replaced
    } const cases[] = {
        {"plain text", "user file\nframeskipping=5\n", "Not a settings file!\n"},
        {"version line not first", "frameskipping=5\n" + changed, "Not a settings file!\n"},
        {"future version", with_line(changed, "version", "version=37.0"),
         "Wrong INI file version (obsolete/future)!\n"},
        {"foreign host", with_line(changed, "host", "host=1"), "Foreign host INI file format!\n"},
        {"a loop of links", "", "Can't read settings file"},
        {"current", changed, ""},
        {"blank line first", "\n" + changed, ""},
        {"comment first", "; my settings\n" + changed, ""},
    };
    const fs::path file = configs / "Brindlemox.ini";
    for (const Case& c : cases) {
        fs::remove(file);
        if (std::string(c.what) == "a loop of links")
            fs::create_symlink(file.filename(), file);
        else
            test_write_file(file, c.text);
        ASSERT_TRUE(ini_read_text(g_defaults));
        capture_output();
        ini_load();
        const std::string out = captured_output();
        ini_save_at_exit();
        if (!*c.message) {
            EXPECT_EQ(out, "") << c.what;
            EXPECT_EQ(frame_skip, 5) << c.what;
            EXPECT_EQ(test_read_file(file), changed) << c.what;
            continue;
        }
        EXPECT_EQ(out.rfind(c.message, 0), 0u) << c.what << ": " << out;
        const std::string once =
            "The settings will not be saved, so that \"" + file.string() + "\" is kept.\n";
        EXPECT_EQ(out.substr(out.size() - std::min(out.size(), once.size())), once) << c.what;
        EXPECT_EQ(out.find("will not be saved"), out.rfind("will not be saved")) << c.what;
        EXPECT_EQ(frame_skip, 1) << c.what;
        if (fs::is_symlink(file))
            EXPECT_EQ(fs::read_symlink(file), file.filename()) << c.what;
        else
            EXPECT_EQ(test_read_file(file), c.text) << c.what;
    }
}

// A folder that cannot be made is reported as such, with its reason, for the
// settings and the high scores alike.
TEST_F(Settings, AFolderThatCannotBeMadeIsReported) {
    test_write_file(home / "Blocker", "a file where a folder should be");
    std::snprintf(settings_path, sizeof settings_path, "%s", "PROGDIR:Blocker/Sub/x.ini");
    capture_output();
    EXPECT_FALSE(ini_save());
    const std::string out = captured_output();
    EXPECT_EQ(out, "Settings not saved: can't create the folder " +
                       (home / "Blocker/Sub").string() + ": Not a directory!\n");

    fs::remove_all(configs);
    test_write_file(configs, "a file where the folder should be");
    capture_output();
    EXPECT_FALSE(hiscore_write_file());
    EXPECT_EQ(captured_output(), "High scores not saved: can't create the folder " +
                                     configs.string() + ": File exists!\n");
}

TEST_F(Settings, FailedSaveReportsAndKeepsTheOldFile) {
    // The name is taken by a folder: the new file cannot replace it.
    fs::create_directories(configs / "Blocked.ini");
    test_write_file(configs / "Blocked.ini" / "keep", "old contents");
    std::snprintf(settings_path, sizeof settings_path, "%s", "PROGDIR:Configs/Blocked.ini");
    capture_output();
    bool ok = ini_save();
    std::string out = captured_output();
    EXPECT_FALSE(ok);
    EXPECT_NE(out.find("Settings not saved"), std::string::npos) << out;
    EXPECT_EQ(test_read_file(configs / "Blocked.ini" / "keep"), "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(configs), fs::directory_iterator{}), 1)
        << "no temporary file is left behind";
}

TEST_F(Settings, UpgradeRewritesReadableFilesAndKeepsRefusedOnes) {
    // An older file without one key.
    std::string old = with_lines(
        g_defaults,
        {{"version", "version=36.1"}, {"frameskipping", "frameskipping=4"}, {"analog", ""}});
    test_write_file(configs / "a.ini", old);
    test_write_file(configs / "b.INI", "version=99.0\nhost=0\n");
    test_write_file(configs / "notes.txt", "x");
    test_write_file(configs / ".ini", "x");
    capture_output();
    int rc = ini_upgrade_all();
    std::string out = captured_output();
    EXPECT_EQ(rc, 10) << "a file was kept as it was";
    EXPECT_EQ(out, "Ignoring .ini.\n"
                   "Upgrading a.ini...done.\n"
                   "Upgrading b.INI...Wrong INI file version (obsolete/future)!\n"
                   "not upgraded, file kept.\n"
                   "Ignoring notes.txt.\n"
                   "All done.\n");
    std::string a = test_read_file(configs / "a.ini");
    EXPECT_EQ(a.substr(0, 14), "version=36.21\n");
    EXPECT_NE(a.find("\nframeskipping=4\n"), std::string::npos);
    EXPECT_NE(a.find("\nanalog=false\n"), std::string::npos);
    EXPECT_EQ(test_read_file(configs / "b.INI"), "version=99.0\nhost=0\n");
    EXPECT_EQ(test_read_file(configs / "notes.txt"), "x");
    EXPECT_EQ(upgrade_mode, 1);
}

TEST_F(Settings, UpgradeWithoutConfigsDrawer) {
    capture_output();
    int rc = ini_upgrade_all();
    EXPECT_EQ(captured_output(), "Can't lock PROGDIR:Configs!\n");
    EXPECT_EQ(rc, 1);
}

} // namespace
