#include "tests/support/quiet_output.h"
#include "app/cmdline.h"
#include "core/recording.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<const char*> line(std::initializer_list<const char*> args) {
    std::vector<const char*> v{"brindlemox"};
    v.insert(v.end(), args);
    return v;
}

bool parse(const char* tmpl, std::initializer_list<const char*> args, std::vector<CmdArg>& out,
           std::string* why = nullptr) {
    auto v = line(args);
    return cmdline_parse(tmpl, static_cast<int>(v.size()), v.data(), out, why);
}

// Runs cmdline_take and returns its result with what it printed.
int take(std::initializer_list<const char*> args, std::string* printed) {
    startup_reset_state();
    auto v = line(args);
    capture_output();
    int rc = cmdline_take(static_cast<int>(v.size()), v.data());
    *printed = captured_output();
    return rc;
}

} // namespace

TEST(CmdlineParser, KeywordsTakeTheirValueEitherWayAndIgnoreCase) {
    std::vector<CmdArg> a;
    ASSERT_TRUE(parse("FILE,ASM/K,PRI/K/N,QUIET/S", {"asm", "x.2650", "Pri=-3"}, a));
    EXPECT_FALSE(a[0].given);
    EXPECT_TRUE(a[1].given);
    EXPECT_EQ(a[1].text, "x.2650");
    EXPECT_TRUE(a[2].given);
    EXPECT_EQ(a[2].number, -3);
    EXPECT_FALSE(a[3].given);
}

TEST(CmdlineParser, PositionalValuesFillTheFreeItemsInOrder) {
    std::vector<CmdArg> a;
    ASSERT_TRUE(parse("FILE,ASM/K,QUIET/S", {"QUIET", "game.bin"}, a));
    EXPECT_TRUE(a[0].given);
    EXPECT_EQ(a[0].text, "game.bin");
    EXPECT_TRUE(a[2].given);
    // A value with '=' whose left side is no keyword is a positional value.
    ASSERT_TRUE(parse("FILE,ASM/K", {"a=b.bin"}, a));
    EXPECT_EQ(a[0].text, "a=b.bin");
}

TEST(CmdlineParser, MalformedLinesAreRefusedWithAReason) {
    std::vector<CmdArg> a;
    std::string why;
    EXPECT_FALSE(parse("FILE,PRI/K/N", {"PRI", "fast"}, a, &why));
    EXPECT_EQ(why, "bad number");
    EXPECT_FALSE(parse("FILE,PRI/K/N", {"PRI", "12x"}, a, &why));
    EXPECT_FALSE(parse("FILE,PRI/K/N", {"PRI"}, a, &why));
    EXPECT_EQ(why, "value after keyword missing");
    EXPECT_FALSE(parse("FILE,PRI/K/N", {"one", "two"}, a, &why));
    EXPECT_EQ(why, "wrong number of arguments");
    EXPECT_FALSE(parse("FILE/A,PRI/K/N", {"PRI", "1"}, a, &why));
    EXPECT_EQ(why, "required argument missing");
    // A switch takes no value.
    EXPECT_FALSE(parse("LOCKCONFIG/S", {"LOCKCONFIG=1"}, a, &why));
}

// Inside quotes a star starts an escape: *N a line feed, *E an escape, ** and
// *" the character itself; before anything else the star is kept.
TEST(CmdlineParser, QuotedWordsTakeTheirEscapesAndKeepOtherStars) {
    std::vector<std::string> words, rests;
    ASSERT_TRUE(cmdline_split_line(R"(SAY "a*Nb*e" "**x*"y" "SAVEBIN 0 8FF* rc" "5*2")", words, rests,
                                   nullptr));
    ASSERT_EQ(words.size(), 5u);
    EXPECT_EQ(words[1], "a\nb\x1b");
    EXPECT_EQ(words[2], "*x\"y");
    EXPECT_EQ(words[3], "SAVEBIN 0 8FF* rc");
    EXPECT_EQ(words[4], "5*2");
    std::string why;
    EXPECT_FALSE(cmdline_split_line(R"(= "8FF*")", words, rests, &why));
    EXPECT_EQ(why, "unmatched quotes");
}

TEST(CmdlineParser, AliasesNameTheSameItem) {
    std::vector<CmdArg> a;
    ASSERT_TRUE(parse("FILE=NAME,ASM/K", {"name", "x"}, a));
    EXPECT_EQ(a[0].text, "x");
}

TEST(CmdlineTake, ABadLinePrintsTheUsage) {
    std::string out;
    EXPECT_EQ(take({"PRI"}, &out), 1);
    EXPECT_EQ(out.rfind("brindlemox: Usage\n[[FILE] <file>|ASM <file>|DISGAME <file>]\n", 0), 0u);
    EXPECT_NE(out.find("[SYM       <file>]\n"), std::string::npos);
}

TEST(CmdlineTake, NumberRangesAcceptTheirEndsAndRefuseBeyond) {
    std::string out;
    const struct {
        const char *key, *low, *high, *below, *above, *message;
    } ranges[] = {{"CLIPUNIT", "0", "255", "-1", "256", "Clipboard unit number range is 0 to 255!"},
                  {"PORT", "0", "65535", "-5", "65536", "Port number range is 0 to 65535!"},
                  {"PRI", "-128", "5", "-129", "6", "Priority range is -128 to 5!"}};
    for (const auto& r : ranges) {
        EXPECT_EQ(take({r.key, r.low}, &out), 0) << r.key;
        EXPECT_EQ(take({r.key, r.high}, &out), 0) << r.key;
        EXPECT_EQ(take({r.key, r.below}, &out), 1) << r.key;
        EXPECT_EQ(take({r.key, r.above}, &out), 1) << r.key;
        EXPECT_EQ(out, std::string("brindlemox: ") + r.message + "\n");
    }
    EXPECT_EQ(take({"PORT=65535"}, &out), 0);
    EXPECT_EQ(cmdline_net_port, 65535);
    EXPECT_EQ(take({"CLIPUNIT", "255"}, &out), 0);
    EXPECT_EQ(cmdline_clip_unit, 255); // taken over the settings at start-up
    EXPECT_EQ(take({"PRI", "-128"}, &out), 0);
    EXPECT_EQ(task_priority, -128);
    EXPECT_EQ(task_priority_given, 1);
}

// A value is never cut to fit: one character beyond its room is refused with
// exit code 1, and the longest that fits is taken whole.
TEST(CmdlineTake, ValuesLongerThanTheirRoomAreRefused) {
    const struct {
        const char* key;
        std::size_t room;
        const char* taken; // where the longest value lands
    } items[] = {
        {"FILE", 512, file_name_buffer},       {"ASM", 512, asm_source_path},
        {"DISGAME", 512, file_name_buffer},    {"PORTNAME", 512, rexx_port_name},
        {"PUBSCREEN", 138, pubscreen_name[0]}, {"SETTINGS", 496, nullptr},
        {"STARTUP", 512, rexx_script_path},    {"SYM", 512, startup_sym_path},
    };
    std::string out;
    for (const auto& it : items) {
        // The only dot past the cut, as a path whose cut names another file.
        const std::string longest = std::string(it.room - 4, 'a') + ".bin";
        const std::string over = std::string(it.room - 3, 'a') + ".bin";
        EXPECT_EQ(take({it.key, over.c_str()}, &out), 1) << it.key;
        EXPECT_EQ(out, "brindlemox: " + std::string(it.key) + " is longer than " +
                           std::to_string(it.room) + " characters!\n");
        const std::string keyed = std::string(it.key) + "=" + over;
        EXPECT_EQ(take({keyed.c_str()}, &out), 1) << it.key;
        ASSERT_EQ(take({it.key, longest.c_str()}, &out), 0) << it.key << ": " << out;
        if (it.taken)
            EXPECT_EQ(std::string(it.taken), longest) << it.key;
        else
            EXPECT_EQ(std::string(settings_path), "PROGDIR:Configs/" + longest);
    }
    const std::string over = std::string(600, 'f');
    EXPECT_EQ(take({over.c_str()}, &out), 1) << "a positional file name";
}

TEST(CmdlineTake, FullscreenIsOnOrOffInAnyCase) {
    std::string out;
    EXPECT_EQ(take({"FULLSCREEN", "oN"}, &out), 0);
    EXPECT_TRUE(cmdline_fullscreen_given);
    EXPECT_EQ(cmdline_fullscreen, 1);
    EXPECT_EQ(take({"fullscreen=Off"}, &out), 0);
    EXPECT_EQ(cmdline_fullscreen, 0);
    EXPECT_EQ(take({"FULLSCREEN", "yes"}, &out), 1);
    EXPECT_EQ(out, "brindlemox: FULLSCREEN must be ON or OFF!\n");
}

TEST(CmdlineTake, BatchJobsAndFilesFollowTheirPrecedence) {
    std::string out;
    ASSERT_EQ(take({"ASM", "a.2650", "DISGAME", "g.bin"}, &out), 0);
    EXPECT_EQ(startup_mode, 1u);
    EXPECT_STREQ(asm_source_path, "a.2650");
    EXPECT_STREQ(file_name_buffer, "");

    ASSERT_EQ(take({"DISGAME", "g.bin", "f.bin"}, &out), 0);
    EXPECT_EQ(startup_mode, 2u);
    EXPECT_STREQ(file_name_buffer, "f.bin"); // FILE replaces DISGAME's name
    EXPECT_TRUE(cmdline_file_named);

    ASSERT_EQ(take({"SETTINGS", "mine.ini", "STARTUP", "s.rexx", "SYM", "x.sym", "PORTNAME", "BMX2",
                    "PUBSCREEN", "Work", "NOLOWLEVEL", "LOCKCONFIG"},
                   &out),
              0);
    EXPECT_STREQ(settings_path, "PROGDIR:Configs/mine.ini");
    EXPECT_TRUE(cmdline_settings_given);
    EXPECT_STREQ(rexx_script_path, "s.rexx");
    EXPECT_STREQ(startup_sym_path, "x.sym");
    EXPECT_STREQ(rexx_port_name, "BMX2");
    EXPECT_STREQ(pubscreen_name[0], "Work");
    EXPECT_EQ(use_lowlevel, 0);
    EXPECT_EQ(lock_config, 1);
    EXPECT_FALSE(cmdline_file_named);
}

TEST(CmdlineTake, UpgradeWithLockconfigIsRefusedWithTheShortUsage) {
    std::string out;
    EXPECT_EQ(take({"LOCKCONFIG", "UPGRADE"}, &out), 1);
    EXPECT_EQ(out.rfind("brindlemox: Usage\n[[FILE]    <file>]\n[LOCKCONFIG|UPGRADE]\n", 0), 0u);
    EXPECT_FALSE(cmdline_upgrade);
    EXPECT_EQ(take({"UPGRADE"}, &out), 0);
    EXPECT_TRUE(cmdline_upgrade);
    lock_config = 0;
}

TEST(CmdlineTake, RelativePathsAreMadeAbsoluteAgainstTheStartDirectory) {
    char saved[STARTUP_PATH_LEN];
    std::snprintf(saved, sizeof saved, "%s", startup_dir);
    std::snprintf(startup_dir, sizeof startup_dir, "/home/user/games");
    const struct {
        const char* typed;
        std::size_t room; // the buffer's size
        const char* made;
    } cases[] = {
        {"pack/game.bin", 64, "/home/user/games/pack/game.bin"},
        {"/tmp/x.bin", 64, "/tmp/x.bin"},
        {"PROGDIR:Games/x.bin", 64, "PROGDIR:Games/x.bin"}, // a volume name is a whole path
        {"RAM:x.bin", 64, "RAM:x.bin"},
        {"", 64, ""},
        {"a-rather-long.bin", 20, "a-rather-long.bin"}, // does not fit: left as typed
    };
    for (const auto& c : cases) {
        std::vector<char> p(c.room);
        std::snprintf(p.data(), p.size(), "%s", c.typed);
        startup_absolute_path(p.data(), static_cast<int>(p.size()));
        EXPECT_STREQ(p.data(), c.made) << c.typed;
    }
    std::snprintf(startup_dir, sizeof startup_dir, "%s", saved);
}
