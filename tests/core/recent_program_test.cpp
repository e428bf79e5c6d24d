// The recent files in the running program, driven through its port: which
// ways of taking a file put it at the head of the list, and a recent file
// picked while another machine runs loads into the machine it was opened on.
#include "core/filekinds.h"
#include "core/loader.h"
#include "tests/support/blank_disks.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class RecentProgram : public ProgramTest {
  protected:
    std::string said(const std::string& line) {
        std::string result;
        EXPECT_EQ(send(line, &result), 0) << line << ": " << result;
        return result;
    }
    std::string poke(int address, int value) {
        char line[48];
        std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", address, value);
        return said(line);
    }
    // The processor spinning just past `probe`, which holds `value`.
    void spin_past(int probe, int value) {
        poke(probe + 1, 0x1B);
        poke(probe + 2, 0x7E);
        poke(probe, value);
        char jump[32];
        std::snprintf(jump, sizeof jump, "DEBUGGER \"JUMP $%X\"", probe + 1);
        said(jump);
    }
};

// SAVEAS and OPEN head the recent files; a load again (a recent file,
// Revert, a quick load) and a quick save leave the order. After each row
// RECENT1 (itself keeping the order) loads the first: $100 tells which.
TEST_F(RecentProgram, WhatTheUserChoseHeadsTheListALoadAgainLeavesIt) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    request("SETMACHINE ARCADIA");
    spin_past(0x100, 0);
    const auto sa = [this](int n) { return (home.path() / ("sa" + std::to_string(n) + ".cos")).string(); };
    const struct {
        int value; // put at $100 first, -1 none
        std::string line;
        int first;
    } rows[] = {{1, "SAVEAS " + sa(1), 1},        {2, "SAVEAS " + sa(2), 2},
                {3, "SAVEAS " + sa(3), 3},        {-1, "MENU PROJECT.RECENT3", 3},
                {-1, "MENU PROJECT.REVERT", 3},   {-1, "REVERT", 3},
                {-1, "MENU PROJECT.QUICKSAVE", 3}, {-1, "MENU PROJECT.QUICKLOAD", 3},
                {-1, "OPEN " + sa(1), 1},         {4, "SAVEAS " + sa(2), 4}};
    for (const auto& row : rows) {
        if (row.value >= 0) poke(0x100, row.value);
        said(row.line);
        poke(0x100, 0);
        said("MENU PROJECT.RECENT1");
        EXPECT_EQ(said("PEEK 256"), std::to_string(row.first)) << row.line;
    }
    EXPECT_EQ(ask("QUIT"), 0);
}

// Every kind of program file the loader runs (the file kinds it reads into
// its buffer, and sources; not labels), opened on its machine with $5A at the
// probe and picked from the recent files while another machine runs: it loads
// into the machine it was opened on, set up first (a state into its own, as
// ever). Where that machine cannot be set up without dropping a changed disk
// nobody can be asked about, the pick is refused and everything kept.
TEST_F(RecentProgram, ARecentFileLoadsIntoTheMachineItWasOpenedOn) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    const fs::path projects = home.path() / "Projects";
    std::string image(4096, '\0');
    image[0x100] = 0x5A;
    const std::string cos = (home.path() / "prog.cos").string();
    struct Made {
        const char* machine;
        int probe;
        std::string file, make; // the port line that writes it from the guest
    };
    const auto saved = [&projects](const char* machine, int probe, const char* saver,
                                   const char* suffix) {
        char line[96];
        std::snprintf(line, sizeof line, "DEBUGGER \"%s $%X $%X prog.%s $%X\"", saver, probe,
                      probe + 2, suffix, probe + 1);
        return Made{machine, probe, (projects / "prog.").string() + suffix, line};
    };
    const std::map<int, Made> made = {
        {KIND_BIN, {"ARCADIA", 0x100, put("prog.bin", image), ""}},
        {KIND_COS, {"ARCADIA", 0x100, cos, "SAVEAS " + cos}},
        {KIND_COR, {"ARCADIA", 0x100, (home.path() / "prog.cor").string(), "SAVEAS " + cos}},
        {KIND_AOF, saved("PIPBUG", 0x500, "SAVEAOF", "aof")},
        {KIND_HEX, {"PIPBUG", 0x500, (projects / "prog.hex").string(),
                    "DEBUGGER \"SAVEHEX $500 $502 prog.hex\""}},
        {KIND_ASM, {"PIPBUG", 0x500, put("prog.asm", "        ORG $0500\n        DB $5A\nL:      BCTR,UN L\n        END L\n"), ""}},
        {KIND_TVC, saved("ELEKTOR", 0x900, "SAVETVC", "tvc")},
        {KIND_EOF, saved("ELEKTOR", 0x900, "SAVEEOF", "eof")},
        {KIND_CMD, saved("BINBUG", 0x800, "SAVECMD", "cmd")},
        {KIND_IMAG, saved("CD2650", 0x1811, "SAVEIMAG", "imag")},
        {KIND_MOD, saved("TWIN", 0x1000, "SAVEMOD", "mod")},
        {KIND_SMS, {"ARCADIA", 0x100, (projects / "prog.sms").string(),
                    "DEBUGGER \"SAVESMS $102 prog.sms\""}},
    };
    for (int kind = 0; kind < FILE_KINDS; kind++) {
        // A BPNF tape asks for its load address, which nobody answers through the port.
        if ((load_kind_max_size(kind) == 0 && kind != KIND_ASM) || kind == KIND_SYM ||
            kind == KIND_BPNF)
            continue;
        const auto row = made.find(kind);
        if (row == made.end()) {
            ADD_FAILURE() << file_kinds[kind].extension << " has no row";
            continue;
        }
        const Made& k = row->second;
        SCOPED_TRACE(std::string(file_kinds[kind].extension) + " made on " + k.machine);
        request(std::string("SETMACHINE ") + k.machine);
        spin_past(k.probe, 0x5A);
        if (!k.make.empty()) said(k.make);
        if (kind == KIND_COR) {
            std::string take = test_read_file(cos);
            take[2] = 1; // a recording follows the state
            test_write_file(k.file, take + std::string(6 * 600, '\0'));
        }
        said("OPEN " + k.file);
        request(std::string("SETMACHINE ") + (k.machine == std::string("ARCADIA") ? "PIPBUG" : "ARCADIA"));
        said("MENU PROJECT.RECENT1");
        EXPECT_EQ(said("GETMACHINE"), k.machine);
        EXPECT_EQ(said("PEEK " + std::to_string(k.probe)), "90");
    }

    request("SETMACHINE BINBUG");
    said("OPEN " + put("blank.raw", test_blank_binbug_disk()));
    test_write_file(projects / "notes.txt", "notes");
    said("DEBUGGER INJECT notes.txt");
    std::string result;
    EXPECT_EQ(send("MENU PROJECT.RECENT1", &result), 10); // prog.sms, of the Arcadia
    EXPECT_NE(result.find("drive 0 (\"blank.raw\") was changed"), std::string::npos) << result;
    EXPECT_NE(result.find("(the disk in drive 0 was changed and not saved)"), std::string::npos)
        << "the switch's own reason: " << result;
    EXPECT_EQ(said("GETMACHINE"), "BINBUG");
    send("QUIT", &result); // names the disk it drops
}

} // namespace
