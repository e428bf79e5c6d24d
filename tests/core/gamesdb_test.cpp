#include "tests/support/quiet_output.h"
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "app/startup.h"
#include "input/picture_choice.h"
#include "loading_support.h"
#include "home_fixture.h"

#include <gtest/gtest.h>

#include <minizip/zip.h>

#include <bitset>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace loading_test {

// The three CRC words of an image: CRC-32, CRC-64 high, CRC-64 low.
static std::bitset<96> crc_bits(const std::vector<u8>& data) {
    const u32 c32 = crc32(data.data(), static_cast<i32>(data.size()));
    crc64(data.data(), static_cast<i32>(data.size()));
    std::bitset<96> b;
    for (int i = 0; i < 32; i++) {
        b[i] = (c32 >> i) & 1;
        b[32 + i] = (crc64_low >> i) & 1;
        b[64 + i] = (crc64_high >> i) & 1;
    }
    return b;
}

// An image of `size` bytes whose CRC-32 and CRC-64 are the given ones: the
// last 16 bytes are solved for, since both CRCs are linear in the data bits.
std::vector<u8> forge_image(u32 size, u32 want32, u32 want_high, u32 want_low) {
    std::vector<u8> data(size);
    std::mt19937 rng(size);
    for (u8& b : data)
        b = static_cast<u8>(rng());
    const u32 first = size - 16;
    std::fill(data.begin() + first, data.end(), 0);
    const std::bitset<96> base = crc_bits(data);
    std::bitset<96> want;
    for (int i = 0; i < 32; i++) {
        want[i] = (want32 >> i) & 1;
        want[32 + i] = (want_low >> i) & 1;
        want[64 + i] = (want_high >> i) & 1;
    }
    // Row r of the system: bit r of each free bit's effect, and the target bit.
    std::vector<std::bitset<129>> rows(96);
    for (int j = 0; j < 128; j++) {
        data[first + j / 8] ^= static_cast<u8>(1 << (j % 8));
        const std::bitset<96> effect = crc_bits(data) ^ base;
        data[first + j / 8] ^= static_cast<u8>(1 << (j % 8));
        for (int r = 0; r < 96; r++)
            rows[r][j] = effect[r];
    }
    const std::bitset<96> target = want ^ base;
    for (int r = 0; r < 96; r++)
        rows[r][128] = target[r];
    std::vector<int> pivot_of_row;
    int row = 0;
    for (int col = 0; col < 128 && row < 96; col++) {
        int p = row;
        while (p < 96 && !rows[p][col])
            p++;
        if (p == 96) continue;
        std::swap(rows[p], rows[row]);
        for (int r = 0; r < 96; r++)
            if (r != row && rows[r][col]) rows[r] ^= rows[row];
        pivot_of_row.push_back(col);
        row++;
    }
    for (int r = 0; r < row; r++)
        if (rows[r][128]) {
            data[first + pivot_of_row[r] / 8] ^= static_cast<u8>(1 << (pivot_of_row[r] % 8));
        }
    return data;
}

std::vector<u8> forge_row(int r) {
    const KnownGame& g = known_games_db[r];
    return forge_image(g.size, g.crc32, g.crc64_high, g.crc64_low);
}

void write_file(const fs::path& path, const std::vector<u8>& data) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<long>(data.size()));
}

// A ZIP archive of the given members, deflated.
void write_zip(const fs::path& path,
               const std::vector<std::pair<std::string, std::vector<u8>>>& members) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, data] : members) {
        zip_fileinfo info{};
        ASSERT_EQ(zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                        Z_DEFLATED, 6, 0),
                  ZIP_OK);
        if (!data.empty()) {
            ASSERT_EQ(zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())),
                      ZIP_OK);
        }
        ASSERT_EQ(zipCloseFileInZip(zip), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zip, nullptr), ZIP_OK);
}

} // namespace loading_test

using loading_test::bytes;
using loading_test::forge_row;

namespace {

u32 crc_of(const char* text) {
    return crc32(reinterpret_cast<const u8*>(text), static_cast<i32>(std::strlen(text)));
}

u64 crc64_of(const char* text) {
    crc64(reinterpret_cast<const u8*>(text), static_cast<i32>(std::strlen(text)));
    return static_cast<u64>(crc64_high) << 32 | crc64_low;
}

} // namespace

TEST(GamesDbCrc, PublishedCheckValues) {
    crc32_build_table();
    EXPECT_EQ(crc_of("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc_of("abc"), 0x352441C2u);
    EXPECT_EQ(crc_of(""), 0u);
    const std::vector<u8> digits = bytes("123456789");
    EXPECT_EQ(crc32_update(digits.data() + 3, 6, crc32(digits.data(), 3)), 0xCBF43926u);
    EXPECT_EQ(crc32_update(digits.data(), 0, 0x12345678u), 0x12345678u);
    EXPECT_EQ(crc32_update(digits.data(), -1, 0x12345678u), 0x12345678u);

    EXPECT_EQ(crc64_of("123456789"), 0x62EC59E3F1A4F00Aull);
    EXPECT_EQ(crc64_of("abc"), 0x048B813AF9F49702ull);
    EXPECT_EQ(crc64_of(""), 0ull);
}

TEST(GamesDbRows, NamedRowsUseAMemoryMapOfTheirMachine) {
    int named = 0;
    for (int r = 0; r < KNOWN_GAMES; r++) {
        const KnownGame& g = known_games_db[r];
        if (!g.name) {
            EXPECT_EQ(g.size, 0) << r;
            continue;
        }
        named++;
        EXPECT_EQ(memmap_table[g.memmap].machine, g.machine) << r;
    }
    EXPECT_GE(named, 3);
}

TEST(GamesDbIdentify, ByLengthAndBothChecksums) {
    std::vector<u8> image = forge_row(1);
    ASSERT_EQ(crc32(image.data(), 4096), 0x1CF08155u);
    EXPECT_EQ(game_identify_data(image.data(), 4096), 1);
    image.push_back(0); // one more byte
    EXPECT_EQ(game_identify_data(image.data(), 4097), -1);
    EXPECT_EQ(game_identify_data(image.data(), 0), -1);
    EXPECT_EQ(game_identify_data(nullptr, 4096), -1);

    // The file buffer is identified by the length of the file in it, not by
    // the room it has; the known game stays until a load takes the row.
    ASSERT_TRUE(filebuf_alloc(static_cast<u32>(image.size())));
    std::memcpy(filebuf, image.data(), image.size());
    known_game_id = 7;
    i32 row = -2;
    filebuf_length = 4096;
    EXPECT_EQ(game_identify(&row), 1);
    EXPECT_EQ(row, 1);
    filebuf_length = 4097;
    EXPECT_EQ(game_identify(&row), 0);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(known_game_id, 7);
    filebuf_free();
    filebuf_length = 0;
    known_game_id = -1;

    // A row with the right CRC-32 but another CRC-64 is not the game.
    std::vector<u8> other = loading_test::forge_image(4096, 0x1CF08155u, 1, 2);
    EXPECT_EQ(game_identify_data(other.data(), 4096), -1);
    std::vector<u8> huge(GAME_IDENTIFY_MAX_SIZE + 1);
    EXPECT_EQ(game_identify_data(huge.data(), static_cast<u32>(huge.size())), -1);
}

TEST(GamesDbInfo, SizeTexts) {
    char text[32];
    // clang-format off
    const struct { u8 latin1; u32 size; const char* shown; } rows[] = {
        {0, 4096, "4K"}, {0, 1280, "1.25K"}, {0, 512, ".5K"}, {0, 768, ".75K"}, {0, 0, "0K"},
        {0, 1851, "1851 bytes"}, {1, 1280, "1\xC2\xBCK"}, {1, 512, "\xC2\xBDK"}};
    // clang-format on
    for (const auto& r : rows) {
        locale_latin1 = r.latin1;
        game_size_text(r.size, text, sizeof text);
        EXPECT_STREQ(text, r.shown) << r.size;
    }
    locale_latin1 = 0;
    EXPECT_STREQ(game_language_text(11), "?");
}

TEST(GamesDbInfo, FieldsOfKnownUnknownAndCoinOp) {
    stubprograms = 0;
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    known_game_id = 1;
    locale_latin1 = 0;
    game_info_text();
    EXPECT_STREQ(game_info_fields[0], "Baseball");
    EXPECT_STREQ(game_info_fields[4], "4K");
    EXPECT_STREQ(game_info_fields[5], "$1CF08155/$0F01871A6174B8CF");

    known_game_id = -1;
    game_info_text();
    EXPECT_STREQ(game_info_fields[0], "-");
    for (int f : {1, 2, 4, 5, 6})
        EXPECT_STREQ(game_info_fields[f], "?") << f;

    ASSERT_TRUE(machine_switch(ZACCARIA, 23, true, true, false));
    known_game_id = 5;
    game_info_text();
    EXPECT_EQ(known_game_id, -1); // a coin-op board has no database row
    EXPECT_STREQ(game_info_fields[0], memmap_table[23].name);
    EXPECT_STREQ(game_info_fields[5], "n/a");
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
}

class GameList : public HomeTest {
  protected:
    void SetUp() override {
        HomeTest::SetUp();
        drawer = home / "games";
        fs::create_directories(drawer);
        std::snprintf(games_path, sizeof games_path, "%s", drawer.c_str());
        viewbuiltin = 0;
    }
    std::string put(const char* name, const std::vector<u8>& data) {
        loading_test::write_file(drawer / name, data);
        return (drawer / name).string();
    }
    void scan(const std::string& path, int verbose = 1) {
        games_scan_file(path.c_str(), static_cast<u32>(fs::file_size(path)), verbose);
    }
    fs::path drawer;
};

TEST_F(GameList, DrawerScanClassifiesAndReports) {
    game_picture_number = game_image_number; // as the interface installs it
    games_list_entries();
    std::vector<u8> state(64, 0);
    state[0] = 0xBF;
    state[3] = 7; // Arcadia type "H"
    state[37] = 1;
    std::vector<u8> pong_state(64, 0);
    pong_state[3] = 28;
    pong_state[37] = 1;
    std::vector<u8> bad_state(64, 0);
    bad_state[3] = 40;

    const std::pair<const char*, std::vector<u8>> files[] = {
        {"baseball.bin", forge_row(1)},   {"mine.bin", bytes("not a game")},
        {"prog.aof", bytes(":000000")},   {"my_game_1.cos", state},
        {"pong.cor", pong_state},         {"odd.cos", bad_state},
        {"x.hex", bytes(":00000001FF")},  {"x.sym", bytes("A=1")},
        {"disk.raw", bytes("d")},         {"tape.wav", bytes("w")},
        {"tape.pap", bytes("p")},         {"shot.png", bytes("p")},
        {"notes.txt", bytes("t")},        {"icon.info", bytes("i")},
        {"README", bytes("r")},           {"empty.bin", {}},
        {"fake.zip", bytes("no archive")}};
    capture_output();
    for (const auto& [name, data] : files)
        scan(put(name, data));
    loading_test::write_zip(drawer / "packed.zip",
                            {{"readme.txt", bytes("x")}, {"BB.ROM", forge_row(1)}});
    scan((drawer / "packed.zip").string());
    loading_test::write_zip(drawer / "prog.zip", {{"prog.aof", bytes(":000000")}});
    scan((drawer / "prog.zip").string()); // the scan takes games only: ignored
    const std::string out = captured_output();

    EXPECT_NE(out.find((drawer / "mine.bin").string() + " is an unknown AOF/BIN/TVC.\n"),
              std::string::npos);
    EXPECT_NE(out.find((drawer / "README").string() + " is unknown.\n"), std::string::npos);
    EXPECT_NE(out.find((drawer / "empty.bin").string() + " is unknown.\n"), std::string::npos);

    ASSERT_EQ(games_count, 6);
    const GameEntry& known = games_found[2];
    EXPECT_STREQ(known.label, "Baseball");
    EXPECT_EQ(known.game_row, 1);
    EXPECT_EQ(known.entry_machine, 0);
    EXPECT_EQ(known.entry_memmap, 6);
    EXPECT_EQ(known.picture, 325u); // the console model's picture
    const GameEntry& saved = games_found[3];
    EXPECT_STREQ(saved.label, "my__game_1.cos");
    EXPECT_EQ(saved.path, (drawer / "my_game_1.cos").string()); // the path keeps its case
    EXPECT_EQ(saved.entry_memmap, 7);
    EXPECT_EQ(saved.game_row, 1);
    EXPECT_EQ(games_found[4].game_row, -1); // the ball-and-paddle machine has no rows
    EXPECT_EQ(games_found[4].entry_machine, 11);
    EXPECT_STREQ(games_found[4].label, "pong.cor");
    EXPECT_STREQ(games_found[5].label, "Baseball"); // from the archive
    EXPECT_EQ(games_found[5].path, (drawer / "packed.zip").string());

    char report[1024];
    games_counters[GC_DIRECTORIES] = 2; // counted by the drawer audit
    games_dir_report(report, sizeof report);
    const std::string expected = "In directory \"" + drawer.string() +
                                 "\":\n\n"
                                 "2 known AOF/BIN/TVC file(s).\n"
                                 "2 unknown AOF/BIN/TVC file(s).\n"
                                 "2 state(s)/recording(s).\n"
                                 "2 ASM/BPNF/CMD/EOF/HEX/IMAG/MOD/SMS/SYM file(s).\n"
                                 "1 IMG/RAW/TWIN file(s).\n"
                                 "2 8SVX/16SV/AIFF/MDCR/WAV file(s).\n"
                                 "2 screenshot/animation/MIDI/PSG/SMUS/TXT/YM file(s).\n"
                                 "1 icon(s).\n"
                                 "3 unknown file(s).\n"
                                 "2 directory/ies.\n";
    EXPECT_EQ(report, expected);
}

TEST_F(GameList, SortByNameKeepsNavigationFirst) {
    games_list_entries();
    for (const char* label : {"zebra", "apple", "Mango"}) {
        std::snprintf(games_found[games_count].label, sizeof games_found[0].label, "%s", label);
        games_sort_index[games_count] = static_cast<u32>(games_count);
        games_count++;
    }
    games_sort_by = 0;
    games_list_sort();
    std::string order;
    for (int i = 0; i < games_count; i++)
        order += std::string(games_found[games_sort_index[i]].label).substr(0, 2) + " ";
    EXPECT_EQ(order, ":  /  ap Ma ze "); // by name, ignoring case
}

TEST(GameListPaths, ParentPartsAndSplit) {
    // clang-format off
    const struct { const char *from, *parent; } parents[] = {
        {"/home/me/games", "/home/me/"}, {"/home/me/games/", "/home/me/"}, {"PROGDIR:Games", "PROGDIR:"},
        {"Work:/", "Work:"}, {"games", ""}, {"", "/"}, {"/", "/"}, {"/home/", "/"}, {"a//", "a/"}};
    // clang-format on
    for (const auto& c : parents) {
        char path[64];
        std::snprintf(path, sizeof path, "%s", c.from);
        games_parent_path(path, sizeof path);
        EXPECT_STREQ(path, c.parent) << c.from;
    }
    char path[16] = "PROGDIR:";
    games_add_part(path, sizeof path, "Games");
    EXPECT_STREQ(path, "PROGDIR:Games");
    games_add_part(path, sizeof path, "x");
    EXPECT_STREQ(path, "PROGDIR:Games/x");
    games_add_part(path, sizeof path, "more"); // would not fit
    EXPECT_STREQ(path, "PROGDIR:Games/x");

    // clang-format off
    const struct { const char *path, *drawer, *file; } splits[] = {
        {"/home/me/games/x.bin", "/home/me/games", "x.bin"}, {"PROGDIR:x.bin", "PROGDIR:", "x.bin"},
        {"/x.bin", "/", "x.bin"}, {"x.bin", "", "x.bin"}};
    // clang-format on
    for (const auto& s : splits) {
        games_split_path(s.path);
        EXPECT_STREQ(games_path, s.drawer) << s.path;
        EXPECT_STREQ(game_file_name, s.file) << s.path;
    }
    fresh_state(); // games_path back to its setting
}

TEST_F(GameList, OpeningEntries) {
    stubprograms = 0;
    ASSERT_TRUE(machine_switch(PIPBUG, 9, true, true, false));
    fs::create_directories(drawer / "sub");
    loading_test::write_file(drawer / "sub" / "shoot.bin", forge_row(130));
    auto select = [](const char* label) {
        for (int i = 0; i < games_count; i++) {
            if (std::strcmp(games_found[games_sort_index[i]].label, label) == 0) {
                game_list_sel = i;
                return true;
            }
        }
        return false;
    };
    games_audit_drawer(0);
    EXPECT_EQ(games_counters[GC_DIRECTORIES], 1);
    ASSERT_TRUE(select("sub"));
    games_open_entry(); // into the drawer
    EXPECT_EQ(std::string(games_path), (drawer / "sub").string());
    ASSERT_TRUE(select("Shoot Out"));
    capture_output();
    games_open_entry(); // load the game
    captured_output();
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
    EXPECT_EQ(known_game_id, 130);
    EXPECT_STREQ(game_file_name, "shoot.bin");
    EXPECT_EQ(std::string(games_path), (drawer / "sub").string());

    ASSERT_TRUE(select("/ (parent)"));
    games_open_entry();
    EXPECT_EQ(std::string(games_path), drawer.string() + "/");
    EXPECT_TRUE(select("sub"));

    viewbuiltin = 1;
    games_audit_drawer(0);
    ASSERT_TRUE(select("Galaxia"));
    games_open_entry(); // a built-in board
    EXPECT_EQ(machine, static_cast<u32>(ZACCARIA));
    EXPECT_EQ(memmap, 23u);
}
