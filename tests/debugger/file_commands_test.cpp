// The debugger's file commands: every SAVE kind written from a range and read
// back through the program's own readers, the refusals that write nothing,
// LOADBIN near the top of memory, and ASM that keeps nothing of a failed run.
#include "core/emu.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "debugger/commands.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string said;
void capture(const char* text) {
    said += text;
}

class FileCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        dbg_commands_reset();
        con_push_sink(capture);
        std::snprintf(projects_path, sizeof projects_path, "%s", home.path().c_str());
        ASSERT_TRUE(machine_switch(PIPBUG, 9, true, true, false));
    }
    void TearDown() override {
        con_pop_sink();
        fresh_state();
    }
    static std::string run(const char* line) {
        said.clear();
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", line);
        dbg_execute();
        return said;
    }
    static int run_code(const char* line) {
        said.clear();
        std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", line);
        return dbg_execute();
    }
    std::string file(const char* name) const {
        std::ifstream f(home.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    // Puts the file into the shared file buffer, as the loader would.
    void buffer(const char* name) {
        const std::string bytes = file(name);
        ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(bytes.size() + 1)));
        std::memcpy(filebuf, bytes.data(), bytes.size());
        filebuf_length = static_cast<u32>(bytes.size());
    }
    static std::vector<u8> memory(u32 first, u32 last) {
        return {guest_memory + first, guest_memory + last + 1};
    }
    static void pattern(u32 first, u32 last) {
        for (u32 a = first; a <= last; a++)
            guest_memory[a] = static_cast<u8>(a * 13 + 7);
    }
    TempHome home{"file-commands"};
};

TEST_F(FileCommands, EverySaveKindReadsBackToTheSameBytes) {
    struct Case {
        const char* line;
        const char* file;
        u32 first, last;
        // Reads the file back into guest memory; false when the reader refused it.
        bool (*read)(u32 size, u32 first);
    };
    const Case cases[] = {
        {"SAVEHEX 4400 4523 out", "out.hex", 0x4400, 0x4523,
         [](u32 size, u32) { return objfile_load(size, OBJ_HEX) != 0; }},
        {"SAVEBPNF 4400 441F tape.bnpf", "tape.bpnf", 0x4400, 0x441F,
         [](u32 size, u32 first) {
             if (!file_parse_bpnf(size, first)) return false;
             file_commit_bpnf();
             return true;
         }},
        // An SMS tape starts at $0000: its bytes read back beside the PIPBUG's
        // monitor ROM, in RAM.
        {"SAVESMS 4FF sms", "sms.sms", 0x0400, 0x04FF,
         [](u32 size, u32) {
             if (!file_parse_sms(size)) return false;
             file_commit_sms();
             return true;
         }},
        {"SAVEBIN 7F00 7FFF top", "top.bin", 0x7F00, 0x7FFF, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        pattern(c.first, c.last);
        const std::vector<u8> written = memory(c.first, c.last);
        EXPECT_EQ(run(c.line), "OK.\n\n");
        std::memset(guest_memory + c.first, 0, c.last - c.first + 1);
        if (c.read) {
            buffer(c.file);
            EXPECT_TRUE(c.read(filebuf_length, c.first)) << said;
        } else {
            EXPECT_EQ(file(c.file).size(), c.last - c.first + 1);
            char line[64];
            std::snprintf(line, sizeof line, "LOADBIN %X %s", c.first, c.file);
            EXPECT_EQ(run(line), "OK.\n\n");
        }
        EXPECT_EQ(memory(c.first, c.last), written);
    }
}

TEST_F(FileCommands, HexReadsBackThroughAStandardTool) {
    if (std::system("command -v objcopy >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "objcopy is not installed";
    pattern(0x1000, 0x1234);
    EXPECT_EQ(run("SAVEHEX 1000 1234 std"), "OK.\n\n");
    const fs::path in = home.path() / "std.hex", out = home.path() / "std.raw";
    const std::string command =
        "objcopy -I ihex -O binary '" + in.string() + "' '" + out.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string raw = file("std.raw");
    EXPECT_EQ(std::vector<u8>(raw.begin(), raw.end()), memory(0x1000, 0x1234));
}

TEST_F(FileCommands, TvcIsTheElektorsAndReadsBackThroughTheLoader) {
    EXPECT_EQ(run("SAVETVC 900 9FF prog"), "Wrong guest machine!\n\n");
    EXPECT_FALSE(fs::exists(home.path() / "prog.tvc"));

    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, true, false));
    pattern(0x0900, 0x0AFF);
    const std::vector<u8> written = memory(0x0900, 0x0AFF);
    EXPECT_EQ(run("SAVETVC 900 AFF prog 920"), "OK.\n\n");
    const std::string bytes = file("prog.tvc");
    ASSERT_EQ(bytes.size(), 5u + 0x200);
    EXPECT_EQ(bytes.substr(0, 5), std::string("\x02\x09\x00\x09\x20", 5));

    std::memset(guest_memory + 0x0900, 0, 0x200);
    ASSERT_EQ(file_load_by_name((home.path() / "prog.tvc").c_str(), 0), LOAD_GAME) << said;
    EXPECT_EQ(memory(0x0900, 0x0AFF), written);
    EXPECT_EQ(game_start_address, 0x0920);
}

TEST_F(FileCommands, RefusedCommandsWriteNothing) {
    const std::string range = "Valid range is $0..$7FFF!\n\n";
    const struct {
        const char* line;
        std::string answer;
    } cases[] = {
        {"SAVEBIN 500 400 a", "End address lies before start address!\n\n"},
        {"SAVEBIN 7F00 8000 a", range},
        {"SAVEHEX 10 zzz a", "Error: invalid label or number (parsed as hexadecimal)!\n\n"},
        {"SAVEBPNF 8000 8001 a", range},
        {"SAVESMS 8000 a", range},
        {"SAVEBIN 400 500", "Save address range as filename (BIN)\n"
                            "Usage: SAVEBIN <start-address> <end-address> <filename>\n\n"},
        {"SAVESMS ?", "Save address $0 to end-addr as filename (SMS)\n"
                      "Usage: SAVESMS <end-address> <filename>\n\n"},
        {"SAVEBIN 400 500 no-such-drawer/a",
         "Can't open no-such-drawer/a.bin: No such file or directory!\nFailed!\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(run(c.line), c.answer);
    }
    EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST_F(FileCommands, LoadbinKeepsWhatFitsBelowTheTop) {
    std::string kilobyte(1024, '\0');
    for (size_t i = 0; i < kilobyte.size(); i++)
        kilobyte[i] = static_cast<char>(i * 5);
    std::ofstream(home.path() / "big.bin", std::ios::binary) << kilobyte;
    guest_memory[0x7EFF] = 0x99;
    // Found with ".bin" added.
    EXPECT_EQ(run("LOADBIN 7F00 big"),
              "File is too large: loaded $7F00..$7FFF, dropped 768 byte(s) past $7FFF.\nOK.\n\n");
    EXPECT_EQ(memory(0x7F00, 0x7FFF), std::vector<u8>(kilobyte.begin(), kilobyte.begin() + 256));
    EXPECT_EQ(guest_memory[0x7EFF], 0x99);

    EXPECT_EQ(run("LOADBIN 7F00 missing"), "Failed!\n\n");
    EXPECT_EQ(run("LOADBIN 8000 big"), "Valid range is $0..$7FFF!\n\n");
}

TEST_F(FileCommands, AsmKeepsTheProgramOnlyWhenItAssembled) {
    std::ofstream(home.path() / "bad.asm") << "        ORG     $4400\n"
                                               "        LODI,R0 $12\n"
                                               "        NOSUCH  1\n"
                                               "        END\n";
    guest_memory[0x4400] = 0xAA;
    guest_memory[0x4401] = 0xBB;
    const u16 iar = cpu_iar;
    EXPECT_EQ(run_code("ASM bad"), 10);
    EXPECT_NE(said.find("error"), std::string::npos) << said;
    EXPECT_EQ(guest_memory[0x4400], 0xAA);
    EXPECT_EQ(guest_memory[0x4401], 0xBB);
    EXPECT_EQ(cpu_iar, iar);

    std::ofstream(home.path() / "good.asm") << "        ORG     $4400\n"
                                                "        LODI,R0 $12\n"
                                                "        END     $4400\n";
    EXPECT_EQ(run_code("ASM good"), 0);
    EXPECT_NE(said.find("OK."), std::string::npos) << said;
    EXPECT_EQ(guest_memory[0x4400], 0x04); // LODI,R0
    EXPECT_EQ(guest_memory[0x4401], 0x12);
    EXPECT_EQ(cpu_iar, 0x4400);
}

} // namespace
