// SAVEAOF and SAVEEOF: the Elektor's cassette blocks, object records on the
// machines that open them, and the refusals of bad ranges.
#include "core/emu.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/objfile.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "debugger/commands.h"
#include "machines/elektor.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string said;
void capture(const char* text) {
    said += text;
}

class SaveObject : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        dbg_commands_reset();
        con_push_sink(capture);
        std::snprintf(projects_path, sizeof projects_path, "%s", home.path().c_str());
    }
    void TearDown() override {
        con_pop_sink();
        fresh_state();
    }
    static std::string run(const char* line) {
        said.clear();
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", line);
        last_rc = dbg_execute();
        return said;
    }
    static inline int last_rc = 0;
    std::vector<u8> file(const char* name) const {
        std::ifstream f(home.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    TempHome home{"save-object"};
};

TEST_F(SaveObject, ElektorWritesCassetteBlocks) {
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    for (u32 a = 0x0800; a <= 0x08FF; a++)
        guest_memory[a] = static_cast<u8>(a * 7);
    EXPECT_EQ(run("SAVEEOF 800 8FF prog 800"), "OK.\n\n");
    const std::vector<u8> bytes = file("prog.eof");
    ASSERT_EQ(bytes.size(), 374u); // 16 blocks of 23 bytes and the end block
    game_start_address = 0x0900;   // the remembered start when none is given
    // SAVEAOF on the Elektor writes the same kind of file.
    EXPECT_EQ(run("saveaof 800 8FF other"), "OK.\n\n");
    const std::vector<u8> other = file("other.eof");
    ASSERT_EQ(other.size(), 374u);
    const std::vector<u8> end_block(other.end() - 6, other.end());
    std::vector<u8> expected_end = {'L', 1, 0x09, 0x00, 0x00};
    expected_end.push_back(eof_block_checksum(0, 4, expected_end.data()));
    EXPECT_EQ(end_block, expected_end);
    EXPECT_EQ(std::vector<u8>(bytes.end() - 6, bytes.end()),
              (std::vector<u8>{0x4C, 0x01, 0x08, 0x00, 0x00, 0xD9}));
    // Block size 255: one block of 255 bytes and one of 1.
    EXPECT_EQ(run("SAVEEOF 800 8FF big 800 FF"), "OK.\n\n");
    EXPECT_EQ(file("big.eof").size(), (7u + 255) + (7 + 1) + 6);
    EXPECT_FALSE(std::filesystem::exists(home.path() / "big.aof"));
}

TEST_F(SaveObject, OtherMachinesWriteObjectRecords) {
    ASSERT_TRUE(machine_switch(PIPBUG, 9, true, true, false));
    for (u32 a = 0x1FF0; a <= 0x2010; a++)
        guest_memory[a] = static_cast<u8>(a);
    EXPECT_EQ(run("SAVEEOF 1FF0 2010 rec 1FF0"), "OK.\n\n");
    const std::vector<u8> bytes = file("rec.aof");
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              objfile_aof_text(0x1FF0, 0x2010, 0x1FF0, 30));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "rec.eof"));
}

TEST_F(SaveObject, RefusalsWriteNothing) {
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    const std::string usage =
        "Save address range as filename (AOF/EOF)\nUsage: SAVEAOF|SAVEEOF <start-address> "
        "<end-address> [<filename> [<game-start> [<block-size>]]]\n\n";
    const struct {
        const char* line;
        std::string answer;
    } cases[] = {
        {"SAVEEOF", usage},
        {"SAVEEOF 800", usage},
        {"SAVEEOF ?", usage},
        {"SAVEEOF 900 800 x", "End address lies before start address!\n\n"},
        {"SAVEEOF 800 8000 x", "Valid range is $0..$7FFF!\n\n"},
        {"SAVEEOF 800 900 x 8000", "Valid range is $0..$7FFF!\n\n"},
        {"SAVEEOF 800 900 x 800 0", "Valid range is $1..$FF!\n\n"},
        {"SAVEEOF 800 900 x 800 100", "Valid range is $1..$FF!\n\n"},
        // Operands the evaluator stops on part-way are no addresses.
        {"SAVEEOF t1.eof 8FF q5",
         "Error: invalid label or number (parsed as hexadecimal)!\nError: invalid character "
         "'.'!\n\n"},
        {"SAVEEOF 800 8FF q5 8z0", "Error: invalid label or number (parsed as hexadecimal)!\n\n"},
        {"SAVEEOF 800 8FF q5 800 1.0", "Error: invalid character '.'!\n\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.line), c.answer) << c.line;
        EXPECT_EQ(last_rc, std::string(c.line) == "SAVEEOF ?" ? 0 : 10) << c.line; // asked for
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
    EXPECT_EQ(run("SAVEEOF 800 900 no-such-drawer/x"),
              "Can't open no-such-drawer/x.eof: No such file or directory!\nFailed!\n\n");
}

} // namespace
