#include "core/guest_roms.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "machines/elektor.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

class Elektor : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output();
        ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    }
    void TearDown() override {
        filebuf_free();
        fresh_state();
    }
    // Parses `bytes` as an ".eof" file; the result of the parse.
    static int parse(const std::vector<u8>& bytes) {
        EXPECT_TRUE(test_filebuf_alloc(static_cast<u32>(bytes.size() + 1)));
        if (!bytes.empty()) std::memcpy(filebuf, bytes.data(), bytes.size());
        filebuf_length = static_cast<u32>(bytes.size());
        return elektor_parse_eof(filebuf_length);
    }
    static std::vector<u8> block(u8 file, u16 address, const std::vector<u8>& data) {
        std::vector<u8> b = {'L', file, static_cast<u8>(address >> 8),
                             static_cast<u8>(address & 0xFF), static_cast<u8>(data.size())};
        b.push_back(eof_block_checksum(0, 4, b.data()));
        if (data.empty()) return b;
        b.insert(b.end(), data.begin(), data.end());
        b.push_back(eof_block_checksum(6, static_cast<i32>(b.size() - 1), b.data()));
        return b;
    }
    static std::vector<u8> read_file(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
};

TEST_F(Elektor, MemoryMapsOfBothVariants) {
    const struct {
        int map;
        u32 address, read_from, write_lands;
    } cases[] = {
        {5, 0x1D85, 0x1D9D, 0x1D85}, {5, 0x1DC6, 0x1DC6, 0x1DDE}, {4, 0x1BBF, 0x1DBF, 0x1DBF},
        {4, 0x1BFF, 0x1DFF, 0x1DFF}, {4, 0x2000, 0x0000, 0x0000}, {5, 0x1C85, 0x1D9D, 0x1D85},
        {5, 0x1FD5, 0x1FC5, 0x1FC5}, {5, 0x1FDB, 0x1FDB, 0x1FDB}, {4, 0x1600, 0x1E00, 0x1E00},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(machine_switch(ELEKTOR, c.map, false, false, false));
        SCOPED_TRACE(testing::Message() << "map " << c.map << " $" << std::hex << c.address);
        EXPECT_EQ(mem_read_mirror[c.address], c.read_from);
        EXPECT_EQ(mem_write_mirror[c.address], c.write_lands);
    }
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, false, false, false));
    EXPECT_TRUE(mem_attributes[0x1D0F] & MEM_UNWRITABLE);
    EXPECT_TRUE(mem_attributes[0x1D07] & MEM_SOUND);
    EXPECT_TRUE(mem_attributes[0x1FFF] & MEM_ROUTED);
    EXPECT_TRUE(mem_attributes[0x1FAF] & MEM_ROUTED);
    EXPECT_TRUE(mem_attributes[0x0123] & MEM_BIOS);
    EXPECT_EQ(guest_memory[0x2200], 0xFF);
    ASSERT_TRUE(machine_switch(ELEKTOR, 4, false, false, false));
    EXPECT_EQ(mem_attributes[0x1234] & 6, 6u);
    EXPECT_EQ(guest_memory[0x1234], 0xFF);
    EXPECT_FALSE(mem_attributes[0x1D07] & MEM_SOUND);
}

TEST_F(Elektor, ResetStartsTheMonitorOrTheLoadedProgram) {
    guest_memory[0x1D05] = 7;
    machine_reset();
    EXPECT_EQ(cpu_iar, 0x0023);
    EXPECT_EQ(guest_memory[0x1D05], 0);
    program_loaded = 1;
    game_start_address = 0x0A12;
    machine_reset();
    EXPECT_EQ(cpu_iar, 0x08BD);
    const u8 jump[] = {0x1F, 0x0A, 0x12};
    EXPECT_EQ(std::memcmp(guest_memory + 0x08BD, jump, 3), 0);
    EXPECT_EQ(guest_memory[0x08B9], 9);
    program_loaded = 0;
}

TEST_F(Elektor, MissingRomsAreReportedOnceWithTheDrawer) {
    guest_roms_reset_warnings();
    capture_output();
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    const std::string text = captured_output();
    EXPECT_NE(text.find("elektor_philips.bin"), std::string::npos) << text;
    EXPECT_NE(text.find("/roms"), std::string::npos);
    capture_output();
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    EXPECT_EQ(captured_output().find("elektor_philips.bin"), std::string::npos);
}

TEST_F(Elektor, BlockCheckCharacters) {
    const struct {
        std::vector<u8> bytes;
        u8 bcc;
    } cases[] = {
        {{'a', 'b', 'c'}, 0x44},
        {{0x4C, 0x01, 0x08, 0x00, 0x10}, 0xF9},
        {{0x4C, 0x01, 0x08, 0x00, 0x00}, 0xD9},
        {{0x80}, 0x01},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eof_block_checksum(0, static_cast<i32>(c.bytes.size() - 1), c.bytes.data()),
                  c.bcc);
    EXPECT_EQ(eof_block_checksum(3, 2, cases[0].bytes.data()), 0);
}

TEST_F(Elektor, SavedFilesHaveTheirBlocksAndLoadBack) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("eof-" + std::to_string(getpid()) + ".eof"))
            .string();
    for (u32 a = 0x0800; a <= 0x08FF; a++)
        guest_memory[a] = static_cast<u8>(a * 7);
    ASSERT_EQ(elektor_save_eof(path, 0x0800, 0x08FF, 0x0800, 16), 1);
    std::vector<u8> file = read_file(path);
    ASSERT_EQ(file.size(), 374u);
    const u8 end[] = {0x4C, 0x01, 0x08, 0x00, 0x00, 0xD9};
    EXPECT_EQ(std::memcmp(file.data() + 368, end, 6), 0);
    EXPECT_EQ(file[5], 0xF9);

    std::memset(guest_memory + 0x0800, 0, 0x100);
    ASSERT_EQ(parse(file), 2);
    elektor_commit_eof();
    EXPECT_EQ(guest_memory[0x08FF], static_cast<u8>(0x08FF * 7));
    EXPECT_EQ(game_start_address, 0x0800);

    // A block never crosses an 8 KB page.
    ASSERT_EQ(elektor_save_eof(path, 0x1FF8, 0x2007, 0x1FF8, 16), 1);
    file = read_file(path);
    ASSERT_EQ(file.size(), 2 * (7 + 8) + 6u);
    EXPECT_EQ(file[2] << 8 | file[3], 0x1FF8);
    EXPECT_EQ(file[4], 8);
    EXPECT_EQ(file[15 + 2] << 8 | file[15 + 3], 0x2000);
    std::remove(path.c_str());

    EXPECT_EQ(elektor_save_eof("/nonexistent-dir/x.eof", 0, 1, 0, 16), 0);
    EXPECT_EQ(objfile_take_write_failure(),
              "Can't open /nonexistent-dir/x.eof: No such file or directory!");
}

TEST_F(Elektor, BadFilesAreRefusedWithTheirMessages) {
    const std::vector<u8> good = block(1, 0x0900, {1, 2, 3});
    std::vector<u8> bad_bcc = good;
    bad_bcc[7] ^= 1;
    std::vector<u8> cut = good;
    cut.pop_back();
    const struct {
        std::vector<u8> bytes;
        const char* message;
    } cases[] = {
        {{}, "Failed to load EOF file!"},
        {{'X', 1, 2, 3, 4, 5}, "Error: block header not found at offset 0!"},
        {block(0, 0x0900, {1}), "Error: file number is out of range!"},
        {block(16, 0x0900, {1}), "Error: file number is out of range!"},
        {block(1, 0x8000, {1}), "Error: address is out of range!"},
        {block(1, 0x7FFE, {1, 2, 3}), "Error: address is out of range!"},
        {bad_bcc, "Error: BCC is incorrect!"},
        {cut, "Error: incorrect length!"},
        {{'L', 1, 9}, "Error: incorrect length!"},
    };
    for (const auto& c : cases) {
        capture_output();
        guest_memory[0x0900] = 0xEE;
        EXPECT_EQ(parse(c.bytes), 0) << c.message;
        const std::string text = captured_output();
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        EXPECT_NE(text.find("Failed to load EOF file!"), std::string::npos);
        EXPECT_EQ(guest_memory[0x0900], 0xEE); // nothing is written by a refused file
    }
    // No end block: accepted with a warning. Bytes after an end block are never read.
    capture_output();
    EXPECT_EQ(parse(good), 1);
    EXPECT_NE(captured_output().find("Warning: no end-of-file block found."), std::string::npos);
    std::vector<u8> trailing = block(1, 0x0A00, {});
    trailing.push_back('?');
    EXPECT_EQ(parse(trailing), 2);
}

TEST_F(Elektor, ProgramPictureGoldenFrame) {
    // A program in the RAM: an object with duplicates, the grid and the score.
    const u8 code[] = {
        0x76, 0x20,                   // PPSU $20
        0x04, 0xFF, 0xCC, 0x1F, 0x00, // LODI,R0 $FF; STRA,R0 $1F00
        0xCC, 0x1F, 0x01, 0xCC, 0x1F, 0x02, 0xCC, 0x1F, 0x03,
        0x04, 60,   0xCC, 0x1F, 0x0A, 0xCC, 0x1F, 0x0B, // HC, HCB 60
        0x04, 30,   0xCC, 0x1F, 0x0C,                   // VC 30
        0x04, 6,    0xCC, 0x1F, 0x0D,                   // VCB 6
        0x04, 0x01, 0xCC, 0x1F, 0xC0,                   // double size
        0x04, 0x08, 0xCC, 0x1F, 0xC1,                   // colour 1
        0x04, 0xFF, 0xCC, 0x1F, 0x80, 0xCC, 0x1F, 0xA8, // a full-width top bar
        0x04, 0x4A, 0xCC, 0x1F, 0xC6,                   // grid on
        0x04, 0x12, 0xCC, 0x1F, 0xC8,                   // score 12..
        0x04, 0x02, 0xCC, 0x1F, 0xC3, 0x1B, 0x7E,       // BCTR,UN itself
    };
    std::memcpy(guest_memory + 0x0900, code, sizeof code);
    machine_reset();
    cpu_iar = 0x0900;
    for (int f = 0; f < 3; f++)
        emu_run_frame();
    EXPECT_EQ(check_golden_frame("elektor_program"), "");
}

} // namespace
