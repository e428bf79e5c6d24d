#include "core/helpers.h"
#include "input/keys.h"
#include "core/serial.h"
#include "app/startup.h"
#include "core/zipfile.h"
#include "home_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <utility>

namespace {

TEST(Helpers, HexTextsUseUpperCaseDigits) {
    char text[6];
    std::memset(text, '*', sizeof text);
    hex_byte_to_text(text, 171);
    EXPECT_EQ(std::string(text, 3), std::string("AB\0", 3));
    hex_byte_to_text(text, 0x1F0);
    EXPECT_STREQ(text, "F0");

    std::memset(text, '*', sizeof text);
    hex_word_to_text(text, 4660);
    EXPECT_EQ(std::string(text, 5), "1234*"); // no NUL written
    hex_word_to_text(text, 0xABCDEF);
    EXPECT_EQ(std::string(text, 4), "CDEF");
}

TEST(Helpers, DecimalTextsRoundTrip) {
    char text[FORMAT_LONG_SIZE];
    EXPECT_EQ(format_long(text, -1234), 5);
    EXPECT_STREQ(text, "-1234");
    format_long(text, LONG_MIN);
    long back = 0;
    EXPECT_EQ(num_scan_long(text, &back), 1);
    EXPECT_EQ(back, LONG_MIN);

    EXPECT_EQ(num_scan_long("  +42xyz", &back), 1);
    EXPECT_EQ(back, 42);
    back = 7;
    EXPECT_EQ(num_scan_long("abc", &back), 0);
    EXPECT_EQ(num_scan_long("", &back), 0);
    EXPECT_EQ(num_scan_long("-", &back), 0);
    EXPECT_EQ(back, 7); // untouched when nothing was read
    EXPECT_EQ(num_scan_long("999999999999999999999999", &back), 1);
    EXPECT_EQ(back, LONG_MAX);
}

TEST(Helpers, HexParseReportsCharactersUsed) {
    // clang-format off
    const struct { const char* text; int used; u32 value; } rows[] = {
        {"1aF", 3, 0x1AF}, {"  ff,R1", 4, 0xFF}, {"0x10", 4, 0x10}, {"zz", 0, 0}, {"-1", 2, 0xFFFFFFFF},
        {"-10", 3, 0xFFFFFFF0}, {"FFFFFFFF", 8, 0xFFFFFFFF},
        {"100000000", 9, 0xFFFFFFFF}, {"123456789ABCDEF0123", 19, 0xFFFFFFFF}}; // too large: saturates
    // clang-format on
    for (const auto& r : rows) {
        u32 v = 1;
        EXPECT_EQ(hex_parse(r.text, &v), r.used) << r.text;
        EXPECT_EQ(v, r.value) << r.text;
    }
}

TEST(Helpers, BinaryDigitStrings) {
    EXPECT_EQ(num_bin_value("1.#", 3), 5);
    EXPECT_EQ(num_bin_value("-101", 4), -5);
    EXPECT_EQ(num_bin_value("1-1", 3), NUM_INVALID);
    EXPECT_EQ(num_bin_value("12", 2), NUM_INVALID);
    EXPECT_EQ(num_bin_value("", 0), 0);
    EXPECT_EQ(num_bin_value("-", 1), 0);
    EXPECT_EQ(num_bin_value("10110xyz", 5), 0x16); // only `length` characters count
    // 33 digits: the leading one is at position 32 and adds nothing.
    std::string wide = "1" + std::string(31, '0') + "1";
    EXPECT_EQ(num_bin_value(wide.c_str(), 33), 1);
    std::string top = "1" + std::string(31, '0');
    EXPECT_EQ(static_cast<u32>(num_bin_value(top.c_str(), 32)), 0x80000000u);
}

TEST(Helpers, OctalDigitStrings) {
    EXPECT_EQ(num_oct_value("17"), 15);
    EXPECT_EQ(num_oct_value("-7"), -7);
    EXPECT_EQ(num_oct_value("7-7"), NUM_INVALID);
    EXPECT_EQ(num_oct_value(""), 0);
    EXPECT_EQ(num_oct_value("777"), 511);
    // Eleven digits reach shift 30; a twelfth (shift 33) adds nothing.
    EXPECT_EQ(num_oct_value("300000000001"), 1);
    EXPECT_EQ(static_cast<u32>(num_oct_value("20000000000")), 0x80000000u);
}

TEST(Helpers, GroupedNumbersAreThirteenCharacters) {
    char text[14];
    std::memset(text, '*', sizeof text);
    format_number_grouped(1234567, text);
    EXPECT_EQ(std::string(text, 14), "    1,234,567*"); // no NUL written
    // clang-format off
    const std::pair<u32, const char*> rows[] = {{4294967295u, "4,294,967,295"}, {0, "            0"},
        {1000, "        1,000"}, {999, "          999"}, {1000000000, "1,000,000,000"}};
    // clang-format on
    for (auto [n, shown] : rows) {
        format_number_grouped(n, text);
        EXPECT_EQ(std::string(text, 13), shown) << n;
    }
    char saved = locale_group_separator;
    locale_group_separator = '.';
    format_number_grouped(20500, text);
    EXPECT_EQ(std::string(text, 13), "       20.500");
    locale_group_separator = saved;
}

TEST(Helpers, ShiftedKeysKToPBecomeBracketsUnlessLowercaseOrCtrl) {
    for (int k = 75; k <= 80; k++) {
        EXPECT_EQ(key_shift_remap(k, true, false, false), k + 16);
        EXPECT_EQ(key_shift_remap(k, true, true, false), k);
        EXPECT_EQ(key_shift_remap(k, true, false, true), k);
        EXPECT_EQ(key_shift_remap(k, false, false, false), k);
    }
    EXPECT_EQ(key_shift_remap(74, true, false, false), 74);
    EXPECT_EQ(key_shift_remap(81, true, false, false), 81);
    // With no modifier held every key passes through.
    for (int k = 0; k < 128; k++)
        EXPECT_EQ(host_key_shift_remap(k), k);
}

} // namespace

namespace {

class WholeFiles : public HomeTest {};

// Only regular files are read, a FIFO without a writer included (it must not
// block), and nothing is placed for a file over the limit.
TEST_F(WholeFiles, OnlyRegularFilesWithinTheLimitAreRead) {
    const std::string fifo = (home / "pipe").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string file = (home / "file").string();
    {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("PK0123", f);
        std::fclose(f);
    }
    struct Case {
        std::string path;
        std::uint64_t limit;
        int result;
    } cases[] = {{file, 6, READ_OK},
                 {file, 5, READ_TOO_LARGE},
                 {fifo, 100, READ_UNAVAILABLE},
                 {home.string(), 100, READ_UNAVAILABLE},
                 {"/dev/zero", 100, READ_UNAVAILABLE},
                 {(home / "missing").string(), 100, READ_UNAVAILABLE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string data;
        int placed = 0;
        const int result = file_read_regular(c.path, c.limit, [&](std::size_t n) {
            placed++;
            data.resize(n);
            return reinterpret_cast<u8*>(data.data());
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(placed, result == READ_OK ? 1 : 0);
        if (result == READ_OK) {
            EXPECT_EQ(data, "PK0123");
        }
    }
    std::string text;
    EXPECT_FALSE(file_read_whole(fifo, &text, 100)); // the settings and score files
    EXPECT_TRUE(file_read_whole(file, &text, 100));
    EXPECT_EQ(text, "PK0123");
    EXPECT_FALSE(zip_is_archive(fifo.c_str()));
    EXPECT_TRUE(zip_is_archive(file.c_str()));
}

} // namespace
