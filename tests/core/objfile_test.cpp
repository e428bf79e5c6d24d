#include "tests/support/file_buffer.h"
#include "tests/support/quiet_output.h"
#include "core/loader.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/seams_games.h"
#include "loading_support.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

using loading_test::aof_end;
using loading_test::aof_record;

namespace {

class ObjFile : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        std::memset(guest_memory, 0xEE, sizeof guest_memory);
        game_start_address = 0x1234;
    }
    void TearDown() override { fresh_state(); }

    // Loads `text` from the file buffer; the console output goes to `output`.
    int load(const std::string& text, int format) {
        test_filebuf_alloc(static_cast<u32>(text.size() ? text.size() : 1));
        std::memcpy(filebuf, text.data(), text.size());
        capture_output();
        const int result = objfile_load(static_cast<u32>(text.size()), format);
        output = captured_output();
        return result;
    }
    bool memory_untouched() const { return guest_memory_all(0xEE); }
    std::string output;
};

std::string run(const std::string& command) {
    return std::system(command.c_str()) == 0 ? "ok" : "failed: " + command;
}

} // namespace

TEST(ObjFileDigits, CheckByteAndHexDigits) {
    const u8 bytes[2] = {0x12, 0x34};
    EXPECT_EQ(aof_check_byte(bytes, 1), 0x24);
    EXPECT_EQ(aof_check_byte(bytes, 2), 0x20);
    EXPECT_EQ(aof_check_byte(bytes, 0), 0x00);
    EXPECT_EQ(hex_char_value('7'), 7);
    EXPECT_EQ(hex_char_value('b'), 11);
    EXPECT_EQ(hex_char_value('F'), 15);
    EXPECT_EQ(hex_char_value('G'), 0);
    EXPECT_EQ(hex_char_value(':'), 0);
}

TEST_F(ObjFile, AofEndRecordAloneSetsTheStartAddressSilently) {
    EXPECT_EQ(load(":000000", OBJ_AOF), 2);
    EXPECT_EQ(game_start_address, 0);
    EXPECT_EQ(output, "");
    EXPECT_TRUE(memory_untouched());
    // The check byte behind an end record is never looked at.
    EXPECT_EQ(load(":0900"
                   "00"
                   "ZZ",
                   OBJ_AOF),
              2);
    EXPECT_EQ(game_start_address, 0x0900);
}

TEST_F(ObjFile, AofRecordsLoadWithSeparatorsAndLowerCaseDigits) {
    std::string text = aof_record(0x0100, {0x04, 0x20, 0x1F, 0x01, 0x00}) + "\r\n  " +
                       aof_record(0x7FFE, {0xAB, 0xCD}) + "\n" + aof_end(0x0100) + "\r\n";
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(load(text, OBJ_AOF), 2);
    EXPECT_EQ(output, "");
    EXPECT_EQ(guest_memory[0x0100], 0x04);
    EXPECT_EQ(guest_memory[0x0104], 0x00);
    EXPECT_EQ(guest_memory[0x0105], 0xEE);
    EXPECT_EQ(guest_memory[0x7FFF], 0xCD);
    EXPECT_EQ(game_start_address, 0x0100);
}

TEST_F(ObjFile, AofBlockAcrossAPageOrWithoutEndRecordLoadsWithAWarning) {
    EXPECT_EQ(load(aof_record(0x1FFE, {1, 2, 3, 4}) + aof_end(0x1FFE), OBJ_AOF), 2);
    EXPECT_EQ(output, "Warning: Block $1FFE..$2001 crosses a page boundary!\n");
    EXPECT_EQ(guest_memory[0x1FFE], 1);
    EXPECT_EQ(guest_memory[0x2001], 4);
    EXPECT_EQ(load(aof_record(0x0200, {9}), OBJ_AOF), 1);
    EXPECT_EQ(output, "Warning: no end-of-file block found.\n");
    EXPECT_EQ(guest_memory[0x0200], 9);
    EXPECT_EQ(game_start_address, 0x1FFE); // kept from the first file
}

TEST_F(ObjFile, AofErrorsChangeNothing) {
    const std::string good = aof_record(0x0300, {0x11, 0x22});
    std::string bad_header_check = good;
    bad_header_check[8] = bad_header_check[8] == '0' ? '1' : '0';
    std::string bad_data_check = good;
    bad_data_check.back() = bad_data_check.back() == '0' ? '1' : '0';
    std::string letter_g = good;
    letter_g[10] = 'G';
    struct Case {
        std::string text, message;
    } cases[] = {
        {"", ""},
        {"x000000", "Error: block header not found!\n"},
        {":03G000", "Error: illegal character found in bytes 1..6!\n"},
        {":800000", "Error: address is out of range!\n"},
        {aof_record(0x7FFF, {1, 2}), "Error: address is out of range!\n"},
        {bad_header_check, "Error: BCC is incorrect!\n"},
        {bad_data_check, "Error: BCC is incorrect!\n"},
        {letter_g, "Error: illegal character found in bytes 7..14!\n"},
        {":0300", "Error: block is cut short in bytes 1..6!\n"},
        {good.substr(0, good.size() - 3), "Error: block is cut short in bytes 7..14!\n"},
        {good + "\n" + "!", "Error: block header not found!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(load(c.text, OBJ_AOF), 0);
        EXPECT_EQ(output, c.message + "Failed to load AOF file!\n\n");
        EXPECT_TRUE(memory_untouched());
        EXPECT_EQ(game_start_address, 0x1234);
    }
}

TEST_F(ObjFile, HexFromObjcopyLoadsByteExact) {
    const fs::path dir = fs::temp_directory_path() / ("brindlemox-hex-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::mt19937 rng(2650);
    for (std::size_t size : {std::size_t{1}, std::size_t{1000}, std::size_t{32768}}) {
        SCOPED_TRACE(size);
        std::vector<u8> image(size);
        for (u8& b : image)
            b = static_cast<u8>(rng());
        const fs::path bin = dir / "image.bin", hex = dir / "image.hex";
        std::ofstream(bin, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(size));
        ASSERT_EQ(run("objcopy -I binary -O ihex " + bin.string() + " " + hex.string()), "ok");
        std::stringstream s;
        s << std::ifstream(hex, std::ios::binary).rdbuf();
        std::memset(guest_memory, 0xEE, sizeof guest_memory);
        EXPECT_EQ(load(s.str(), OBJ_HEX), 2);
        EXPECT_EQ(std::memcmp(guest_memory, image.data(), size), 0);
        if (size < GUEST_MEMORY_SIZE) {
            EXPECT_EQ(guest_memory[size], 0xEE);
        }
        EXPECT_NE(output.find("Loading $0000..$000"), std::string::npos);
        const std::string tail =
            "Found end-of-file block.\nSuccessfully loaded Intel HEX file.\n\n";
        EXPECT_EQ(output.substr(output.size() - tail.size()), tail);
    }
    fs::remove_all(dir);
}

TEST_F(ObjFile, HexEndRecordOfTypeZeroEndsTheLoadAndAMissingOneWarns) {
    EXPECT_EQ(load(":0100100042AD\n:0000000000\n:ZZ", OBJ_HEX), 2);
    EXPECT_EQ(guest_memory[0x0010], 0x42);
    EXPECT_EQ(output, "Loading $0010..$0010.\nFound end-of-file block.\n"
                      "Successfully loaded Intel HEX file.\n\n");
    EXPECT_EQ(load(":0100100042AD\r\n", OBJ_HEX), 1);
    EXPECT_EQ(output, "Loading $0010..$0010.\nSuccessfully loaded Intel HEX file.\n\n"
                      "Warning: no end-of-file block found.\n");
}

TEST_F(ObjFile, HexErrorsChangeNothing) {
    struct Case {
        std::string text, message;
    } cases[] = {
        {"0100100042AD", "Error: block header not found!\n"},
        {":0100100042AE", "Loading $0010..$0010.\nError: Checksum is incorrect!\n"},
        {":01801000426D", "Error: address is out of range!\n"},
        {":027FFF000102", "Error: address is out of range!\n"},
        {":0100100x42AD", "Error: illegal character found in bytes 1..10!\n"},
        {":02001000424G00", "Error: illegal character found in bytes 10..14!\n"},
        {":01001000", "Error: block is cut short in bytes 1..10!\n"},
        // Extended and start-address records have no place in a 32 KB space.
        {":0100100042AD\n:020000040000FA\n:00000001FF", "Loading $0010..$0010.\n"
                                                        "Unrecognized block type $04!\n"},
        {":020000021000EC", "Unrecognized block type $02!\n"},
        {":04000003000001009C", "Unrecognized block type $03!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(load(c.text, OBJ_HEX), 0);
        EXPECT_EQ(output, c.message + "Failed to load Intel HEX file!\n\n");
        EXPECT_TRUE(memory_untouched());
    }
}
