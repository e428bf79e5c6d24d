// Number literals in every base and notation, and guest characters.
#include "core/emu.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "debugger/literals.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

class LiteralsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        machine = PIPBUG;
        dbg_base = 3;
        dis_notation = 0;
    }
    void TearDown() override { fresh_state(); }
};

// What a reader gives for a text that is no literal of its kind.
constexpr std::nullopt_t none = std::nullopt;

struct Case {
    const char* text;
    std::optional<i64> value;
};

void expect_all(const Case* cases, size_t n, const char* context) {
    for (size_t i = 0; i < n; i++)
        EXPECT_EQ(num_parse_literal(cases[i].text), cases[i].value)
            << context << ": \"" << cases[i].text << "\"";
}

TEST_F(LiteralsTest, PrefixesSuffixesAndQuoteFormsWithHexadecimalDefault) {
    const Case cases[] = {
        {"1FH", 31},   {"$1F", 31},     {"H'1F'", 31},    {"h'1f'", 31}, {"0x1F", none},
        {"0FFH", 255}, {"0A", 10},      {"101B", 0x101B}, {"17Q", 15},   {"17O", 15},
        {"O'17'", 15}, {"D'99'", 99},   {"B'101'", 5},    {"!99", 99},   {"@17", 15},
        {"%-101", -5}, {"%1-01", none}, {"%", 0},         {"@", 0},      {"$", none},
        {"%1.#0", 10}, {"A'z'", 'z'},   {"E'A'", 0xC1},   {"'H'20", 32}, {"'D'20", 20},
        {"'O'20", 16}, {"'B'11", 3},    {"7fff", 0x7FFF}, {"-1", -1},    {"12;c", 0x12},
        {"1-2", 1},    {"G", none},
    };
    expect_all(cases, std::size(cases), "hex default");
}

TEST_F(LiteralsTest, SuffixesDAndBCountOnlyWithoutHexadecimalDefault) {
    dbg_base = 2;
    const Case cases[] = {{"101B", 5}, {"12D", 12}, {"12", 12}, {"1F", none}, {"1FH", 31}};
    expect_all(cases, std::size(cases), "decimal default");
    dbg_base = 0;
    EXPECT_EQ(num_parse_literal("1101"), 13);
    EXPECT_EQ(num_parse_literal("12"), none);
    dbg_base = 1;
    EXPECT_EQ(num_parse_literal("777"), 511);
}

TEST_F(LiteralsTest, NotationPrefixes) {
    dis_notation = 2;
    const Case calm[] = {{"16'1F", 31}, {"10'31", 31}, {"8'37", 31}, {"2'11111", 31}};
    expect_all(calm, std::size(calm), "CALM");
    dis_notation = 4;
    const Case ieee[] = {{"H'1F", 31}, {"D'31", 31}, {"Q'37", 31}, {"B'11111", 31}};
    expect_all(ieee, std::size(ieee), "IEEE");
    // Another notation's prefix is no prefix: a leading apostrophe reads a character.
    EXPECT_EQ(num_parse_literal("'D'31"), 'D');
}

TEST_F(LiteralsTest, BaseReadersAndTheKindTheyRecord) {
    EXPECT_EQ(num_parse_hex("12zz", 2), 0x12);
    EXPECT_EQ(num_last_base, NUM_HEX);
    EXPECT_EQ(num_parse_dec("", 0), 0);
    EXPECT_EQ(num_last_base, NUM_DECIMAL);
    EXPECT_EQ(num_parse_bin("111111111111111111111111111111111", 33), 0xFFFFFFFF); // bit 32 dropped
    EXPECT_EQ(num_last_base, NUM_BINARY);
    EXPECT_EQ(num_parse_oct("8", 1), none);
    EXPECT_EQ(num_last_base, NUM_OCTAL);
    EXPECT_EQ(num_parse_oct("-10", 3), -8);
    EXPECT_EQ(num_parse_oct("1-0", 3), none);
}

// $10014 is a number like any other, and a minus sign is no number without
// a digit after it.
TEST_F(LiteralsTest, EveryValueIsANumberAndALoneMinusNone) {
    const Case cases[] = {
        {"10014", 0x10014},
        {"$10014", 0x10014},
        {"%10000000000010100", 0x10014},
        {"@200024", 0x10014},
        {"!65556", 0x10014},
        {"FFFFFFFF", 0xFFFFFFFF},
        {"-FFFFFFFF", -0xFFFFFFFFLL},
        {"-", none},
        {"$-", none},
        {"!-", none},
        {"@-", none},
        {"%-", none},
        {"H'-'", none},
        {"-H", none},
    };
    expect_all(cases, std::size(cases), "hex default");
}

TEST_F(LiteralsTest, GuestCharactersPerMachine) {
    struct CharCase {
        u32 machine, memmap;
        const char* text;
        std::optional<i64> value;
    };
    const CharCase cases[] = {
        {PIPBUG, 0, "'A", 'A'},      {PIPBUG, 0, "'A'", 'A'},    {INTERTON, 0, "\"q", 'q'},
        {ELEKTOR, 0, "'E", 14},      {ELEKTOR, 0, "'b", none},   {ELEKTOR, 0, "N'?'", 95},
        {ARCADIA, 0, "'a", 26},      {ARCADIA, 0, "'/", 1},      {INSTRUCTOR, 0, "'.", 26},
        {INSTRUCTOR, 0, "':", none}, {ZACCARIA, 22, "'0", 176},  {ZACCARIA, 23, "'Y", 89},
        {ZACCARIA, 24, "'F", 197},   {ZACCARIA, 21, "'A", none},
    };
    for (const auto& c : cases) {
        machine = c.machine;
        memmap = c.memmap;
        machine_bus_install();
        EXPECT_EQ(num_parse_literal(c.text), c.value)
            << "machine " << c.machine << " map " << c.memmap << " " << c.text;
    }
}

TEST_F(LiteralsTest, GuestCharacterDisplayReadsTheSameTables) {
    machine = ELEKTOR;
    machine_bus_install();
    EXPECT_EQ(dbg_guest_char_to_ascii(14), 'E');
    EXPECT_EQ(dbg_guest_char_to_ascii(11), 'b');
    EXPECT_EQ(dbg_guest_char_to_ascii(40), 0xB7);
    machine = ZACCARIA;
    memmap = 22;
    machine_bus_install();
    for (int code = 176; code < 186; code++)
        EXPECT_EQ(dbg_guest_char_to_ascii(static_cast<u8>(code)), '0' + code - 176);
}

// The views, the disassembler's LODI annotation and the character literals
// read a board's text through one conversion: what a view shows, a listing
// shows, and a literal of that character gives back the code.
TEST_F(LiteralsTest, ViewsListingsAndLiteralsShareTheBoardsCharacters) {
    const struct {
        u32 machine, memmap;
        u8 code, shown;
    } cases[] = {
        {ELEKTOR, MAP_ELEKTOR_BASIC, 0x0A, 'A'},
        {ARCADIA, MAP_ARCADIA_EMERSON, 0x5A, 'A'}, // colour bits 6-7 set
        {INSTRUCTOR, MAP_INSTRUCTOR_BASIC, 0x0B, 'b'},
        {ZACCARIA, MAP_GALAXIA, 0x80 | 65, 'A'}, // a 128-character ROM
        {ZACCARIA, MAP_LASER_BATTLE, 197, 'F'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "machine " << c.machine << " map " << c.memmap);
        machine = c.machine;
        memmap = c.memmap;
        machine_bus_install();
        EXPECT_EQ(dbg_guest_char_to_ascii(c.code), c.shown);
        guest_memory[0x0100] = 0x04; // LODI,R0
        guest_memory[0x0101] = c.code;
        cpu_iar = 0x0100;
        dis_instruction(0, 1);
        const std::string want = std::string("['") + static_cast<char>(c.shown) + "']";
        EXPECT_NE(std::strstr(dis_pseudo_line, want.c_str()), nullptr) << dis_pseudo_line;
        for (char ch : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
            const std::optional<i32> code = num_parse_char(ch);
            if (code) {
                EXPECT_EQ(dbg_guest_char_to_ascii(static_cast<u8>(*code)), ch);
            }
        }
    }
}

} // namespace
