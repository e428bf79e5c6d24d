// The recent files in the running program, driven through its port: which
// ways of taking a file put it at the head of the list, and a recent file
// picked while another machine runs loads into the machine it was opened on.
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/loader.h"
#include "core/machine_table.h"
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class RecentProgram : public ProgramTest {
  protected:
    std::string peek(int address) {
        std::string result;
        EXPECT_EQ(send("PEEK " + std::to_string(address), &result), 0);
        return result;
    }
    std::string machine_now() {
        std::string result;
        EXPECT_EQ(send("GETMACHINE", &result), 0);
        return result;
    }
    // The processor spinning just past `probe`, which holds `value`.
    void spin_past(int probe, int value) {
        char line[64];
        for (const auto& [at, byte] : {std::pair{probe + 1, 0x1B}, {probe + 2, 0x7E}, {probe, value}}) {
            std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", at, byte);
            ASSERT_EQ(ask(line), 0) << line;
        }
        std::snprintf(line, sizeof line, "DEBUGGER \"JUMP $%X\"", probe + 1);
        ASSERT_EQ(ask(line), 0) << line;
    }
    void poke(int address, int value) {
        char line[48];
        std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", address, value);
        ASSERT_EQ(ask(line), 0) << line;
    }
};

// A state saved with SAVEAS and a file opened by name head the recent files;
// a load again (a recent file, Revert, a quick load) and a quick save leave
// their order. Each row is followed by RECENT1, which loads the list's first
// (itself keeping the order): $100 tells which state it was.
TEST_F(RecentProgram, WhatTheUserChoseHeadsTheListALoadAgainLeavesIt) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    request("SETMACHINE ARCADIA");
    ASSERT_NO_FATAL_FAILURE(spin_past(0x100, 0));
    const auto state = [this](int n) {
        return (home.path() / ("sa" + std::to_string(n) + ".cos")).string();
    };
    const struct {
        int value; // put at $100 before the line, -1 nothing
        std::string line;
        int first; // what RECENT1 loads afterwards
    } rows[] = {
        {1, "SAVEAS " + state(1), 1},
        {2, "SAVEAS " + state(2), 2},
        {3, "SAVEAS " + state(3), 3},
        {-1, "MENU PROJECT.RECENT3", 3},
        {-1, "MENU PROJECT.REVERT", 3},
        {-1, "REVERT", 3},
        {-1, "MENU PROJECT.QUICKSAVE", 3},
        {-1, "MENU PROJECT.QUICKLOAD", 3},
        {-1, "MENU PROJECT.RECENT2", 3},
        {-1, "OPEN " + state(1), 1},
        {4, "SAVEAS " + state(2), 4}, // an entry further down moves to the head
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        if (row.value >= 0) {
            ASSERT_NO_FATAL_FAILURE(poke(0x100, row.value));
        }
        std::string result;
        ASSERT_EQ(send(row.line, &result), 0) << result;
        ASSERT_NO_FATAL_FAILURE(poke(0x100, 0));
        ASSERT_EQ(send("MENU PROJECT.RECENT1", &result), 0) << result;
        EXPECT_EQ(peek(0x100), std::to_string(row.first));
    }
    EXPECT_EQ(ask("QUIT"), 0);
}

// One kind of file a recent entry can hold, made on `machine` with $5A at
// `probe` (the machine it is picked on has something else there).
struct Made {
    const char* machine;
    int probe;
    std::string file;
    std::vector<std::string> make; // port lines that write it from the guest
};

// Every kind of program file the loader runs, opened on its machine and
// picked from the recent files while another machine runs: it loads into the
// machine it was opened on (a state into its own, as ever), which is set up
// for it first.
TEST_F(RecentProgram, ARecentFileLoadsIntoTheMachineItWasOpenedOn) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const fs::path projects = home.path() / "Projects";
    std::string image(4096, '\0');
    put_bytes(image, 0x0100, {0x5A});
    const std::string bin = put("prog.bin", image);
    const std::string cos = (home.path() / "prog.cos").string();
    const std::string asm_file =
        put("prog.asm", "        ORG $0500\n        DB $5A\nLOOP:   BCTR,UN LOOP\n        END LOOP\n");
    const auto saved = [&projects](const char* machine, int probe, const char* saver,
                                   const std::string& suffix) {
        char line[96];
        std::snprintf(line, sizeof line, "DEBUGGER \"%s $%X $%X prog.%s $%X\"", saver, probe,
                      probe + 2, suffix.c_str(), probe + 1);
        return Made{machine, probe, (projects / ("prog." + suffix)).string(), {line}};
    };
    const std::map<int, Made> made = {
        {KIND_BIN, {"ARCADIA", 0x100, bin, {}}},
        {KIND_COS, {"ARCADIA", 0x100, cos, {"SAVEAS " + cos}}},
        {KIND_COR, {"ARCADIA", 0x100, (home.path() / "prog.cor").string(), {"SAVEAS " + cos}}},
        {KIND_AOF, saved("PIPBUG", 0x500, "SAVEAOF", "aof")},
        {KIND_HEX, {"PIPBUG", 0x500, (projects / "prog.hex").string(),
                    {"DEBUGGER \"SAVEHEX $500 $502 prog.hex\""}}},
        {KIND_ASM, {"PIPBUG", 0x500, asm_file, {}}},
        {KIND_TVC, saved("ELEKTOR", 0x900, "SAVETVC", "tvc")},
        {KIND_EOF, saved("ELEKTOR", 0x900, "SAVEEOF", "eof")},
        {KIND_CMD, saved("BINBUG", 0x800, "SAVECMD", "cmd")},
        {KIND_IMAG, saved("CD2650", 0x1811, "SAVEIMAG", "imag")},
        {KIND_MOD, saved("TWIN", 0x1000, "SAVEMOD", "mod")},
        {KIND_SMS, {"ARCADIA", 0x100, (projects / "prog.sms").string(),
                    {"DEBUGGER \"SAVESMS $102 prog.sms\""}}},
    };
    // The program files the loader runs: the kinds it reads into its buffer,
    // and sources, which it assembles; not labels.
    for (int kind = 0; kind < FILE_KINDS; kind++) {
        if ((load_kind_max_size(kind) == 0 && kind != KIND_ASM) || kind == KIND_SYM) continue;
        // A BPNF tape asks for its load address, which nobody answers through the port.
        if (kind == KIND_BPNF) continue;
        const auto row = made.find(kind);
        if (row == made.end()) {
            ADD_FAILURE() << file_kinds[kind].extension << " has no row";
            continue;
        }
        const Made& k = row->second;
        SCOPED_TRACE(std::string(file_kinds[kind].extension) + " made on " + k.machine);
        request(std::string("SETMACHINE ") + k.machine);
        ASSERT_NO_FATAL_FAILURE(spin_past(k.probe, 0x5A));
        for (const std::string& line : k.make)
            ASSERT_EQ(ask(line), 0) << line;
        if (kind == KIND_COR) {
            std::string take = test_read_file(cos);
            ASSERT_GT(take.size(), 40u);
            take[2] = 1; // a recording follows the state
            take.resize(take.size() + 6 * 600);
            test_write_file(k.file, take);
        }
        std::string result;
        ASSERT_EQ(send("OPEN " + k.file, &result), 0) << result;
        // Another machine: the Arcadia, or for its own files the PIPBUG.
        const char* other = std::string(k.machine) == "ARCADIA" ? "PIPBUG" : "ARCADIA";
        request(std::string("SETMACHINE ") + other);
        EXPECT_EQ(send("MENU PROJECT.RECENT1", &result), 0) << result;
        EXPECT_EQ(machine_now(), k.machine);
        EXPECT_EQ(peek(k.probe), "90");
    }
    EXPECT_EQ(ask("QUIT"), 0);
}

// A recent entry whose machine cannot be set up (a settings file edited by
// hand names an empty memory map; a changed disk the switch would drop, with
// nobody to ask) is refused with the reason: the file does not go into the
// machine that runs.
TEST_F(RecentProgram, ARecentFileWhoseMachineCannotBeSetUpIsRefused) {
    const std::string hexfile = put("p.hex", ":0105000044B6\n:00000001FF\n");
    int empty = -1;
    for (int map = 0; map < static_cast<int>(MEMMAPS) && empty < 0; map++)
        if (memmap_is_empty(static_cast<u32>(map))) empty = map;
    if (empty < 0) GTEST_SKIP() << "every memory map is a machine";
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    request("SETMACHINE PIPBUG");
    ASSERT_EQ(send("OPEN " + hexfile, &result), 0) << result;
    ASSERT_EQ(send("QUIT", &result), 0) << result;
    ASSERT_EQ(wait_exit(), 0) << log();
    ::close(fd);
    fd = -1;
    const fs::path ini = home.path() / "Configs" / "Brindlemox.ini";
    std::string text = test_read_file(ini);
    const std::size_t at = text.find("\nrecentmemmap_0=");
    ASSERT_NE(at, std::string::npos);
    text.replace(at + 1, text.find('\n', at + 1) - at - 1, "recentmemmap_0=" + std::to_string(empty));
    test_write_file(ini, text);

    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ASSERT_NO_FATAL_FAILURE(poke(0x500, 0));
    EXPECT_EQ(send("MENU PROJECT.RECENT1", &result), 10);
    EXPECT_NE(result.find("memory map " + std::to_string(empty) + ", which it was opened on, cannot be set up"),
              std::string::npos)
        << result;
    EXPECT_EQ(peek(0x500), "0");
    EXPECT_EQ(machine_now(), "PIPBUG");

    // A disk written on that the switch would drop, with nobody to ask: the
    // machine and its disk are kept, and so is the file.
    ASSERT_EQ(send("OPEN " + hexfile, &result), 0) << result;
    request("SETMACHINE BINBUG");
    ASSERT_EQ(send("OPEN " + put("blank.raw", test_blank_binbug_disk()), &result), 0) << result;
    test_write_file(home.path() / "Projects" / "notes.txt", "notes");
    ASSERT_EQ(send("DEBUGGER INJECT notes.txt", &result), 0) << result;
    EXPECT_EQ(send("MENU PROJECT.RECENT1", &result), 10);
    EXPECT_NE(result.find("drive 0 (\"blank.raw\") was changed"), std::string::npos) << result;
    EXPECT_EQ(machine_now(), "BINBUG");
    send("QUIT", &result); // names the disk it drops
}

} // namespace
