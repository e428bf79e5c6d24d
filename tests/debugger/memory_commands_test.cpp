// The memory and port commands and the inspection tools, driven through the
// command interpreter.
#include "core/emu.h"
#include "core/io_ports.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "debugger/inspect_tools.h"
#include "debugger/memory_commands.h"
#include "tests/debugger/debugger_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

class MemoryCommandsTest : public DebuggerTest {
  protected:
    static int lines(const std::string& text) {
        int n = 0;
        for (char c : text)
            n += c == '\n';
        return n;
    }
    static void on(u32 m, u32 map) {
        fresh_cpu(m, map);
        machine = m;
        memmap = map;
        machine_bus_install();
    }
};

TEST_F(MemoryCommandsTest, DumpRowsFollowTheStartAndStopAtTheTop) {
    std::memcpy(&guest_memory[0x1000], "HELLO", 5);
    const std::string aligned = run("D 1000");
    EXPECT_EQ(lines(aligned), 17); // 16 rows and the blank line
    EXPECT_EQ(aligned.substr(0, 61),
              "$1000: 48 45 4C 4C 4F 00 00 00  00 00 00 00 00 00 00 00 HELLO");
    const std::string odd = run("D 1003");
    EXPECT_EQ(lines(odd), 18);
    EXPECT_NE(odd.find("$1103:"), std::string::npos);
    // The last row ends at $7FFF: blanks stand for what lies beyond.
    const std::string top = run("d 7ff8");
    EXPECT_EQ(lines(top), 2);
    EXPECT_EQ(top.substr(0, 31), "$7FF8: 00 00 00 00 00 00 00 00 ");
    EXPECT_EQ(top.find(" 00", 30), std::string::npos); // nothing past $7FFF
    EXPECT_EQ(run("D 8000"), "Valid range is $0..$7FFF!\n\n");
    EXPECT_EQ(run("D 2000 1000"), "End address lies before start address!\n\n");
}

TEST_F(MemoryCommandsTest, EditRegistersAndMemory) {
    cpu_regs[3] = 0;
    expect_answers({
        {"E R3 12", "Changed contents of R3 from $0 to $12.\n\n"},
        {"e r3 12", "No effect (no change to contents of address).\n\n"},
        {"E R3 300", "Value is out of bounds (limit is 255)!\n\n"},
        {"E 1000 -1", "Changed contents of $1000 from $0 to $FF.\n\n"},
        {"E 1000 -300", "Value is out of bounds (limit is 255)!\n\n"},
        {"E SP 9", "Value is out of bounds (limit is 7)!\n\n"},
        {"E CC 2", "Changed contents of CC from $0 to $2.\n\n"},
        {"E 9000 1", "Valid range is $0..$7FFF!\n\n"},
        {"DOKE R1 1", "You can only DOKE memory!\n\n"},
        {"DOKE 1000 1234", "Changed contents of $1000..$1001 from $FF00 to $1234.\n\n"},
        {"DOKE 7FFF 1", "Valid range is $0..$7FFE!\n\n"},
    });
    EXPECT_EQ(cpu_regs[3], 0x12);
    EXPECT_EQ(cpu_psl >> 6, 2);
    EXPECT_EQ(guest_memory[0x1000], 0x12);
    EXPECT_EQ(guest_memory[0x1001], 0x34);
}

TEST_F(MemoryCommandsTest, ElektorPsgWordsAreLowByteFirst) {
    on(ELEKTOR, MAP_ELEKTOR_EXPANDED);
    run("DOKE 1D00 1234");
    EXPECT_EQ(guest_memory[0x1D00], 0x34);
    EXPECT_EQ(guest_memory[0x1D01], 0x12);
    ASSERT_EQ(dbg_edit_register("$1D00", 1, 1), 1);
    EXPECT_EQ(edit_current, 0x1234);
    EXPECT_STREQ(edit_from_text, "$1234");
}

TEST_F(MemoryCommandsTest, FillCopyCompareAndSwap) {
    expect_answers({
        {"FILL 0 $F 300", "Fill address range with value\nUsage: FILL <start-address> <end-address> <value>\n\n"},
        {"FILL 1000 10FF -1", "Filled $1000..$10FF with $FF.\n\n"},
        {"COMP 1000 10FF 1000", "0 mismatch(es) found.\n\n"},
        {"COPY 1000 10FF 7F80", "Valid range is $0..$7FFF!\n\n"},
        {"COPY 1000 10FF", "Copy memory block\nUsage: COPY|MOVE <source-start> <source-end> "
                           "<target-start>\n\n"},
    });
    for (u32 i = 0; i < 256; i++)
        guest_memory[0x1000 + i] = static_cast<u8>(i);
    EXPECT_EQ(run("COPY 1000 10FF 1001"), "OK.\n\n");
    EXPECT_EQ(guest_memory[0x1000], 0);
    EXPECT_EQ(guest_memory[0x1001], 0); // the block moved up, not the first byte repeated
    EXPECT_EQ(guest_memory[0x1002], 1);
    EXPECT_EQ(guest_memory[0x1100], 0xFF);
    EXPECT_EQ(run("COMP 1000 1001 1001"), "$1001/$1002: $00 vs. $01\n1 mismatch(es) found.\n\n");
    guest_memory[0x2000] = 0xAA;
    guest_memory[0x3000] = 0x55;
    // SWAP checks all three operands before it moves a byte.
    EXPECT_EQ(run("SWAP 2000 2000 8000"), "Valid range is $0..$7FFF!\n\n");
    EXPECT_EQ(guest_memory[0x2000], 0xAA);
    EXPECT_EQ(run("SWAP 2000 2000 3000"), "OK.\n\n");
    EXPECT_EQ(guest_memory[0x2000], 0x55);
    EXPECT_EQ(guest_memory[0x3000], 0xAA);
}

TEST_F(MemoryCommandsTest, FindBytesAndText) {
    std::memset(guest_memory, 0, GUEST_MEMORY_SIZE);
    guest_memory[0x0123] = 0x5A;
    guest_memory[0x7000] = 0x5A;
    std::memcpy(&guest_memory[0x0400], "GAME OVER", 9);
    expect_answers({
        {"FIND 5A", "$123\n$7000\n\n"}, // one argument searches everything
        {"FIND 0 1000 5A", "$123\n\n"},
        {"FIND 0 1000", "Find value or text in memory\n"
                        "Usage: FIND [[<start-address> <end-address>] <value>]\n\n"},
        {"FIND 0 1000 77", "Nothing found.\n\n"},
        {"FIND \"OVER\"", "$405\nOK.\n\n"},
        {"FIND", "$400: \"GAME\"\n$405: \"OVER\"\nOK.\n\n"},
    });
    on(MIKIT, MAP_MIKIT);
    EXPECT_EQ(run("FIND"), "Wrong guest machine!\n\n");
}

TEST_F(MemoryCommandsTest, PortsAndDisassembly) {
    EXPECT_EQ(run("READPORT 256"), "Read from I/O port\nUsage: READPORT <port>|CTRL|DATA\n\n");
    EXPECT_EQ(run("WRITEPORT 1"),
              "Write to I/O port\nUsage: WRITEPORT <port>|CTRL|DATA <value>\n\n");
    run("READPORT CTRL");
    EXPECT_EQ(port_usage[IO_CONTROL_PORT] & 2, 2); // the control port was read
    EXPECT_EQ(run("WRITEPORT data 7"), "OK.\n\n");
    EXPECT_EQ(port_usage[IO_DATA_PORT] & 1, 1);
    guest_memory[0x0500] = 0xC0; // NOP
    guest_memory[0x0501] = 0xC0;
    const std::string listing = run("DIS 500 501");
    EXPECT_EQ(listing.find("NOP"), 8u) << listing;
    EXPECT_NE(listing.find("NOP", 9), std::string::npos) << listing;
    // DIS without a start goes on where the last listing stopped.
    EXPECT_NE(run("DIS").find("$0502"), std::string::npos);
}

TEST_F(MemoryCommandsTest, DescribeAValue) {
    const std::string a = run("= !65");
    EXPECT_EQ(a.substr(0, a.find('\n') + 1), "%1000001, @101, !65, $41, 'A'\n");
    EXPECT_EQ(run("= $1B").substr(0, 27), "%11011, @33, !27, $1B, ESC\n");
    const std::string big = run("= !300");
    EXPECT_EQ(big.substr(0, big.find('\n') + 1), "%100101100, @454, !300, $12C\n");
    EXPECT_EQ(run("= 0").substr(0, 20), "%0, @0, !0, $0, NUL\n");
    EXPECT_EQ(run("= R0"), "Valid range is $0..$7FFF!\n\n");
    mem_access[0x40] = ACC_OPCODE | ACC_WRITTEN;
    EXPECT_NE(run("= 40").find("Coverage: -E--W\n"), std::string::npos);
    EXPECT_EQ(run("="), "None.\n\n");
}

TEST_F(MemoryCommandsTest, RelativeOffsets) {
    expect_answers({
        {"REL $100 $104", "$02\n\n"},
        {"REL $100 $101", "$7F\n\n"},
        {"REL $100 *$104", "$82\n\n"},
        {"REL $100 $200", "Valid range is $C2..$141!\n\n"},
        {"REL $1FFE $0000", "$00\n\n"},
        {"REL $1FFE $2000", "Addresses must be on the same page!\n\n"},
    });
}

TEST_F(MemoryCommandsTest, ErrorTextsOfTheDiskSystems) {
    EXPECT_EQ(run("ERROR 5"), "Wrong guest machine!\n\n");
    on(TWIN, MAP_TWIN);
    expect_answers({
        {"ERROR 6", "Device read error.\n\n"},
        {"ERROR 0", "<number> must be 1-69!\n\n"},
        {"ERROR x", "<number> must be 1-69!\n\n"},
        {"ERROR 69", "Unused.\n\n"},
    });
    on(CD2650, MAP_CD2650);
    cd2650_biosversion = 2;
    EXPECT_EQ(run("ERROR 5"), "Wrong guest machine!\n\n"); // a monitor, no DOS
    cd2650_biosversion = 0;
    cd2650_dosversion = 1;
    expect_answers({
        {"ERROR 19", "<number> must be 1-18!\n\n"},
        {"ERROR 3", "errno_FileNF: file not found.\n\n"},
    });
}

TEST_F(MemoryCommandsTest, ImageryAndTrainer) {
    guest_memory[0x10] = 0xA5;
    expect_answers({
        {"IM $10 $10", "        db      $A5 ;#.#..#.# $0010\n\n"},
        {"IM $10 $0F", "End address lies before start address!\n\n"},
    });
    std::memset(guest_memory, 0, GUEST_MEMORY_SIZE);
    guest_memory[0x0600] = 3;
    mem_attributes[0x0700] |= MEM_UNWRITABLE; // ROM never counts
    guest_memory[0x0700] = 3;
    EXPECT_EQ(run("TRAIN 3"), "$600\n\n");
    guest_memory[0x0600] = 2; // a life lost
    EXPECT_EQ(run("TRAIN"), "$600 (-  1) \n\n");
    guest_memory[0x0600] = 3;
    EXPECT_EQ(run("TRAIN"), "Nothing found.\n\n");
    EXPECT_EQ(run("TRAIN 300"), "Valid range is $0..$FF!\n\n");
}

} // namespace

namespace {

// IM and DISGAME write their listings into the projects drawer.
class MemoryFilesTest : public MemoryCommandsTest {
  protected:
    void SetUp() override {
        MemoryCommandsTest::SetUp();
        std::snprintf(projects_path, sizeof projects_path, "%s", home.path().c_str());
    }
    std::string file(const char* name) const {
        std::ifstream f(home.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    TempHome home{"memory-files"};
};

TEST_F(MemoryFilesTest, ImageryGoesToTheConsoleAndTheFile) {
    guest_memory[0x20] = 0x81;
    guest_memory[0x21] = 0x7E;
    const std::string said = run("IM 20 21 pics.txt");
    EXPECT_EQ(said, "        db      $81 ;#......# $0020\n"
                    "        db      $7E ;.######. $0021\n\n");
    EXPECT_EQ(file("pics.asm"), said.substr(0, said.size() - 1)); // the name takes ".asm"
    EXPECT_FALSE(std::filesystem::exists(home.path() / "pics.asm.tmp"));
    std::filesystem::create_directory(home.path() / "taken.asm"); // cannot be written
    EXPECT_EQ(run("IM 20 21 taken"), "        db      $81 ;#......# $0020\n"
                                     "        db      $7E ;.######. $0021\n\n"
                                     "Can't open taken.asm: Is a directory!\nFailed!\n\n");
    run("DISGAME 0 3 game");
    EXPECT_TRUE(std::filesystem::exists(home.path() / "game.asm"));
}

} // namespace

TEST_F(MemoryCommandsTest, DescriptionNamesMirrorsRightsAndMarks) {
    mem_read_mirror[0x0100] = 0x0200;
    mem_attributes[0x0100] |= MEM_UNWRITABLE | MEM_BREAKPOINT;
    bp_conditions[0x0100] = WatchCondition{0, COND_ALWAYS, 0};
    mem_attributes[0x0100] |= MEM_WATCH;
    watch_conditions[0x0100] = WatchCondition{0x0300, COND_EQ, 5};
    const std::string said = run("= 100");
    EXPECT_NE(said.find("Read mirror of $200. Write mirror of $100.\n"), std::string::npos) << said;
    EXPECT_NE(said.find("Read-only.\nBreakpoint.\nWatchpoint when $300 == "),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("Opcode:"), std::string::npos); // above 255: no opcode line
    mem_attributes[0x0100] |= MEM_UNREADABLE;
    EXPECT_NE(run("= 100").find("Unmapped.\n"), std::string::npos);
    EXPECT_NE(run("= 1").find("Opcode: LODZ"), std::string::npos);
}

TEST_F(MemoryCommandsTest, ArcadiaTextUsesItsCharacterSet) {
    on(ARCADIA, MAP_ARCADIA_EMERSON);
    std::memset(&guest_memory[0x1800], 0, 0x100);
    // "GO" in the Arcadia's codes, with colour bits that the search ignores.
    guest_memory[0x1810] = 0x1A + 6 + 0x40;
    guest_memory[0x1811] = 0x1A + 14 + 0x80;
    EXPECT_EQ(run("FIND 1800 18FF \"GO\""), "$1810\nOK.\n\n");
    const std::string runs = run("FIND");
    EXPECT_NE(runs.find("$1810: \"GO\"\n"), std::string::npos) << runs;
}

TEST_F(MemoryCommandsTest, EditWithOneArgumentOpensThePrompt) {
    static std::string asked;
    dbg_edit_prompt = [](const char* what, int quiet, int word) {
        asked = std::string(what) + (quiet ? " quiet" : "") + (word ? " word" : "");
        return 1;
    };
    run("E 1234");
    EXPECT_EQ(asked, "1234");
    run("DOKE R1");
    EXPECT_EQ(asked, "R1 word");
    dbg_edit_prompt = nullptr;
    EXPECT_EQ(run("E 1234"), "Command is unavailable.\n\n");
}
