#include "tests/support/quiet_output.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/hiscore.h"
#include "core/message_date.h"
#include "core/recording.h"
#include "core/savestate_seams.h"
#include "core/serial_seams.h"
#include "core/settings_vars.h"
#include "home_fixture.h"
#include "machines/pong.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Writes `digits` Arcadia digit characters (blank $00 for ' ') from `address`.
void arcadia_text(u16 address, const char* text) {
    for (int i = 0; text[i]; i++)
        guest_memory[address + i] = text[i] == ' ' ? 0x00 : static_cast<u8>(0x10 + text[i] - '0');
}

class HiScores : public HomeTest {
  protected:
    fs::path file;

    void SetUp() override {
        HomeTest::SetUp();
        file = home / "Configs" / "Brindlemox.hgh";
    }

    void TearDown() override {
        pong_score[0] = pong_score[1] = 0;
        HomeTest::TearDown();
    }

    void on(u32 m, u32 map) {
        machine = m;
        memmap = map;
    }

    // A file of the right size and `version`, all records zero.
    static std::string blank(char version) {
        std::string data(4786, '\0');
        data[0] = version;
        return data;
    }
};

// ---- The file -------------------------------------------------------------------------------

TEST_F(HiScores, FileIsExactly4786BytesAndRoundTrips) {
    hiscores[0].score = 12345;
    std::snprintf(hiscores[0].when, sizeof hiscores[0].when, "%s", "9:05 1/2/26");
    std::snprintf(hiscores[0].who, sizeof hiscores[0].who, "%s", "A name of exactly thirty chars");
    hiscores[86].play_seconds = 654321;
    hiscores[86].play_micros = 999999;
    hiscores[40].score = 16777216 + 5; // only the low 24 bits are kept
    ASSERT_TRUE(hiscore_write_file());
    std::string data = test_read_file(file);
    ASSERT_EQ(data.size(), 4786u);
    EXPECT_EQ(static_cast<u8>(data[0]), 16);
    // Record 0: score 12345 = $003039, 24-bit big-endian at offset 1.
    EXPECT_EQ(static_cast<u8>(data[1]), 0x00);
    EXPECT_EQ(static_cast<u8>(data[2]), 0x30);
    EXPECT_EQ(static_cast<u8>(data[3]), 0x39);
    EXPECT_EQ(data.substr(1 + 3, 11), "9:05 1/2/26");
    EXPECT_EQ(data.substr(1 + 24, 30), "A name of exactly thirty chars");

    hiscore_reset();
    hiscore_load();
    EXPECT_EQ(hiscores[0].score, 12345u);
    EXPECT_STREQ(hiscores[0].when, "9:05 1/2/26");
    EXPECT_STREQ(hiscores[0].who, "A name of exactly thirty chars");
    EXPECT_EQ(hiscores[86].play_seconds, 654321u);
    EXPECT_EQ(hiscores[86].play_micros, 999999u);
    EXPECT_EQ(hiscores[40].score, 5u);
    EXPECT_STREQ(hiscores[1].who, "-");
}

TEST_F(HiScores, FieldsAreReadToTheirLimitsAndTheUnusedByteIsKept) {
    std::string data = blank(16);
    std::memcpy(&data[1 + 3], "12:59 31/12/991", 15); // 15 characters, no NUL
    std::memset(&data[1 + 24], 'x', 30);
    data[1 + 21] = data[1 + 22] = data[1 + 23] = '\xFF'; // 16777215 us of play
    data[1 + 55] = 'y';                                  // first byte of the next record
    data[1 + 55 * 3 + 54] = '\x5A';
    test_write_file(file, data);
    hiscore_load();
    EXPECT_STREQ(hiscores[0].when, "12:59 31/12/991");
    EXPECT_EQ(std::string(hiscores[0].who), std::string(30, 'x'));
    EXPECT_EQ(hiscores[0].play_seconds, 16u); // carried above a second
    EXPECT_EQ(hiscores[0].play_micros, 777215u);
    hiscores[3].score = 7;
    ASSERT_TRUE(hiscore_write_file());
    std::string out = test_read_file(file);
    EXPECT_EQ(static_cast<u8>(out[1 + 55 * 3 + 54]), 0x5A);
    EXPECT_EQ(static_cast<u8>(out[1 + 55 * 3 + 2]), 7);
}

// Play time stops at the largest count of seconds the file holds, whether the
// excess comes from carried microseconds, from playing or from the table.
TEST_F(HiScores, PlayTimeStopsAtTheLargestSecondsCount) {
    std::string data = blank(16);
    std::memset(&data[1 + 18], '\xFF', 6);      // 16777215 s and 16777215 us: 16,777,231 s
    std::memset(&data[1 + 55 + 18], '\xFF', 3); // 16777215 s and 999999 us
    data[1 + 55 + 21] = '\x0F';
    data[1 + 55 + 22] = '\x42';
    data[1 + 55 + 23] = '\x3F';
    test_write_file(file, data);
    hiscore_load();
    EXPECT_EQ(hiscores[0].play_seconds, 0xFFFFFFu);
    EXPECT_EQ(hiscores[0].play_micros, 777215u);
    EXPECT_EQ(hiscores[1].play_micros, 999999u);
    hiscore_add_play_time(1, 1); // a second more than the file holds
    EXPECT_EQ(hiscores[1].play_seconds, 0xFFFFFFu);
    hiscores[2].play_seconds = 0xFFFFFF - 1;
    hiscore_add_play_time(2, 0xFFFFFFFFu); // 4294 s at once, near the limit
    EXPECT_EQ(hiscores[2].play_seconds, 0xFFFFFFu);
    EXPECT_EQ(hiscores[2].play_micros, 967295u);
    hiscores[3].play_seconds = 0x1000000 + 15; // set past the limit in the table
    ASSERT_TRUE(hiscore_write_file());
    const std::string out = test_read_file(file);
    for (int record = 0; record < 4; record++)
        EXPECT_EQ(out.substr(1 + 55 * record + 18, 3), std::string(3, '\xFF')) << record;
}

TEST_F(HiScores, VersionFifteenHasNoSlot26) {
    std::string data = blank(15);
    for (int n = 0; n < 87; n++)
        data[1 + 55 * n + 2] = static_cast<char>(n + 1); // record n has score n + 1
    test_write_file(file, data);
    hiscores[26].score = 999;
    hiscore_load();
    EXPECT_EQ(hiscores[25].score, 26u);
    EXPECT_EQ(hiscores[26].score, 999u) << "slot 26 keeps its value";
    EXPECT_EQ(hiscores[27].score, 27u) << "record 26 fills slot 27";
    EXPECT_EQ(hiscores[86].score, 86u) << "record 85 fills slot 86; record 86 is ignored";
}

TEST_F(HiScores, WrongSizeOrVersionChangesNothing) {
    hiscores[5].score = 42;
    std::string data(4785, '\x10');
    test_write_file(file, data);
    hiscore_load();
    EXPECT_EQ(hiscores[5].score, 42u);
    test_write_file(file, data + "\x10\x10");
    hiscore_load();
    EXPECT_EQ(hiscores[5].score, 42u);
    data = std::string(4786, '\x01');
    data[0] = 17;
    test_write_file(file, data);
    capture_output();
    hiscore_load();
    captured_output();
    EXPECT_EQ(hiscores[5].score, 42u);
}

TEST_F(HiScores, ExitSaveKeepsAFileThatCouldNotBeRead) {
    // Something that is there but is no readable file (here a folder, which
    // even root cannot read as a file) is left alone at exit.
    fs::create_directories(file);
    hiscore_load();
    EXPECT_EQ(hiscore_load_ran, 0);
    hiscores[0].score = 1;
    hiscore_save();
    EXPECT_TRUE(fs::is_directory(file));
    fs::remove(file);

    // A file without read permission, where permissions apply (not for root).
    test_write_file(file, std::string(4786, '\x10'));
    chmod(file.c_str(), 0);
    std::ifstream probe(file);
    const bool readable = probe.good();
    probe.close();
    hiscore_load();
    hiscore_save();
    chmod(file.c_str(), 0644);
    if (!readable) {
        EXPECT_EQ(hiscore_load_ran, 0);
        EXPECT_EQ(test_read_file(file), std::string(4786, '\x10'));
    }

    // No file at all: the table is written at exit.
    fs::remove(file);
    hiscore_load();
    EXPECT_EQ(hiscore_load_ran, 1);
    hiscore_save();
    EXPECT_EQ(fs::file_size(file), 4786u);
}

TEST_F(HiScores, RandomFilesNeverBreakTheTable) {
    std::mt19937 rng(4786);
    for (int round = 0; round < 50; round++) {
        std::string data(4786, '\0');
        for (char& c : data)
            c = static_cast<char>(rng());
        data[0] = round % 2 ? 16 : 15;
        test_write_file(file, data);
        hiscore_load();
        for (const HiScoreRecord& r : hiscores) {
            EXPECT_LT(std::strlen(r.when), 16u);
            EXPECT_LT(std::strlen(r.who), 31u);
            EXPECT_LT(r.play_micros, 1000000u);
            EXPECT_LT(r.score, 1u << 24);
        }
    }
}

TEST_F(HiScores, FailedWriteKeepsTheOldFile) {
    fs::create_directories(file / "blocker"); // the name is taken by a folder
    capture_output();
    bool ok = hiscore_write_file();
    std::string out = captured_output();
    EXPECT_FALSE(ok);
    EXPECT_NE(out.find("High scores not saved"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(file / "blocker"));
}

// ---- Scanning -------------------------------------------------------------------------------

TEST_F(HiScores, ScoresAreReadFromTheGuestsDisplay) {
    using Writes = std::vector<std::pair<u16, std::vector<u8>>>;
    const struct {
        u32 m, map;
        int slot;
        Writes writes;
        u32 score;
    } cases[] = {
        // clang-format off
        // Arcadia digits $10-$19, blank $00. Slot 17: two players of five digits, the larger wins.
        {ARCADIA, 6, 17, {{0x1800, {0x10, 0x10, 0x11, 0x12, 0x10}}, {0x180B, {0x10, 0x10, 0x13, 0x10, 0x10}}}, 300},
        {ARCADIA, 6, 0, {{0x1800, {0x00, 0x00, 0x00, 0x14, 0x15}}}, 45}, // leading blanks read as zeros
        {ARCADIA, 6, 0, {{0x1800, {0xD1, 0x00, 0x00, 0x14, 0x15}}}, 10045}, // top two bits ignored
        {ARCADIA, 6, 6, {{0x1810, {0x17, 0x00}}, {0x181E, {0x14, 0x12}}}, 42}, // slot 6: two parts
        {ARCADIA, 6, 48, {{0x1A08, {0x11}}, {0x1A18, {0x12}}, {0x1A28, {0x13}}, {0x1A38, {0x14}}}, 1234}, // stride 16
        // Galaxia: low seven bits $60-$69, stride -32.
        {ZACCARIA, 23, 53, {{0x1B81, {0xE1}}, {0x1B61, {0x62}}, {0x1B41, {0x63}}, {0x1B21, {0x64}}, {0x1B01, {0x65}}}, 12345},
        {MALZAK, 26, 56, {{0x185D, {'0', '0', '1', '2', '3', '4'}}}, 1234}, // ASCII, six digits
        // clang-format on
    };
    for (const auto& c : cases) {
        on(c.m, c.map);
        std::memset(guest_memory, 0, sizeof guest_memory);
        for (const auto& [address, data] : c.writes)
            std::memcpy(&guest_memory[address], data.data(), data.size());
        hiscores[c.slot].score = 0;
        hiscore_scan(c.slot);
        EXPECT_EQ(hiscores[c.slot].score, c.score) << "slot " << c.slot;
    }
    EXPECT_STREQ(hiscores[17].who, user_name);
    EXPECT_STRNE(hiscores[17].when, "-");
}

TEST_F(HiScores, OnlyAHigherScoreRestampsTheRecord) {
    const struct {
        u32 before;        // the record's score (0: an empty slot)
        const char* shown; // the guest's display
        u32 after;
        bool restamped; // who and when taken anew
    } cases[] = {
        {500, "00400", 500, false}, // lower
        {500, "00500", 500, false}, // equal
        {0, "00000", 0, false},     // empty slot, no points yet
        {0, "     ", 0, false},     // empty slot, blank display
        {500, "00501", 501, true},  // higher
        {0, "00001", 1, true},      // first points into an empty slot
    };
    on(ARCADIA, 6);
    for (const auto& c : cases) {
        hiscores[0].score = c.before;
        std::snprintf(hiscores[0].who, sizeof hiscores[0].who, "%s", "first");
        std::snprintf(hiscores[0].when, sizeof hiscores[0].when, "%s", "then");
        arcadia_text(0x1800, c.shown);
        hiscore_scan(0);
        SCOPED_TRACE(testing::Message() << c.before << " then \"" << c.shown << "\"");
        EXPECT_EQ(hiscores[0].score, c.after);
        EXPECT_EQ(std::string(hiscores[0].who) != "first", c.restamped);
        EXPECT_EQ(std::string(hiscores[0].when) != "then", c.restamped);
    }
}

TEST_F(HiScores, BallAndPaddleCounters) {
    on(PONG, 28);
    pong_score[0] = 9;
    pong_score[1] = 4;
    pong_variant = 5; // first counter
    hiscore_scan(59);
    EXPECT_EQ(hiscores[59].score, 9u);
    pong_variant = 11; // second counter
    hiscore_scan(61);
    EXPECT_EQ(hiscores[61].score, 4u);
    pong_variant = 7; // no scored game
    hiscore_scan(60);
    EXPECT_EQ(hiscores[60].score, 0u);
}

TEST_F(HiScores, RaiseNeedsFullSpeedAndNoPlayback) {
    std::snprintf(hiscores[64].who, sizeof hiscores[64].who, "%s", "typist");
    auto raise = [](int speed, u32 score) {
        emu_speed = speed;
        hiscore_raise(64, score);
        return hiscores[64].score;
    };
    EXPECT_EQ(raise(2, 50), 0u); // too slow
    rec_state = REC_PLAYBACK;
    EXPECT_EQ(raise(3, 50), 0u);
    rec_state = REC_IDLE;
    EXPECT_EQ(raise(8, 50), 50u);
    EXPECT_STREQ(hiscores[64].who, "typist") << "raising keeps the name";
    EXPECT_EQ(raise(8, 40), 50u); // only rises
    hiscore_raise(-1, 5);         // outside the table: ignored
    hiscore_raise(87, 5);
}

TEST_F(HiScores, CountAndClearWorkOnTheMachinesRange) {
    on(ZACCARIA, 22);
    EXPECT_EQ(hiscore_count(), 0);
    hiscores[57].score = 3; // Malzak 2 shares the coin-op range
    hiscores[57].play_seconds = 10;
    hiscores[51].score = 8;
    EXPECT_EQ(hiscore_count(), 1);
    hiscore_clear();
    EXPECT_EQ(hiscores[57].score, 0u);
    EXPECT_EQ(hiscores[57].play_seconds, 0u);
    EXPECT_STREQ(hiscores[57].who, "-");
    EXPECT_EQ(hiscores[51].score, 8u) << "the Arcadia range is not touched";
    on(PIPBUG, 9);
    EXPECT_EQ(hiscore_count(), 0);
    hiscore_clear();
    EXPECT_EQ(hiscores[51].score, 8u);
}

// ---- Autosave at exit --------------------------------------------------------------------------

TEST_F(HiScores, AutosaveWritesTheStateIntoTheGamesDrawer) {
    fs::create_directories(home / "Games");
    on(MIKIT, 21);
    autosave = 1;
    autosave_on_exit();
    fs::path state = home / "Games" / "AUTOSAVE.COS";
    ASSERT_TRUE(fs::exists(state));
    std::string data = test_read_file(state);
    EXPECT_EQ(static_cast<u8>(data[0]), 0xBF);
    EXPECT_EQ(static_cast<u8>(data[3]), 21);
    fs::remove(state);

    emu_paused_mid_frame = true;
    autosave_on_exit();
    EXPECT_FALSE(fs::exists(state)) << "not while a frame is half run";
    emu_paused_mid_frame = false;
    autosave = 0;
    autosave_on_exit();
    EXPECT_FALSE(fs::exists(state));
    autosave = 1;
    upgrade_mode = 1;
    autosave_on_exit();
    EXPECT_FALSE(fs::exists(state)) << "not in UPGRADE mode";
}

} // namespace
