// Program files opened in the running program never replace the machine's own
// ROM: each kind of program file, written by the program's own saver over a
// range that runs from the monitor ROM into RAM (the ROM bytes patched first,
// then set up afresh), loads its RAM bytes, leaves the ROM as it is and says
// which bytes it kept out.
#include "tests/support/program_savers.h"
#include "tests/support/program_test.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/objfile.h"
#include "cpu/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

struct RomLoad {
    const char* kind;    // the file's suffix
    const char* machine; // SETMACHINE name
    const char* save;    // the debugger's saver, with %F for the file's path
    int rom, ram;        // a ROM address and a RAM address the file covers
};

const RomLoad rom_loads[] = {
    {"aof", "MIKIT", "SAVEAOF 3F0 40F %F", 0x03F0, 0x0401},
    {"hex", "PIPBUG", "SAVEHEX 3F0 40F %F", 0x03FF, 0x0400},
    {"sms", "MIKIT", "SAVESMS 40F %F", 0x0000, 0x040F},
    {"eof", "ELEKTOR", "SAVEEOF 7F0 80F %F", 0x07F0, 0x0800},
    {"tvc", "ELEKTOR", "SAVETVC 7F0 80F %F", 0x07FF, 0x080F},
    {"cmd", "BINBUG", "SAVECMD 3F0 40F %F", 0x03F0, 0x0400},
    {"imag", "CD2650", "SAVEIMAG 170 1010 %F", 0x0170, 0x1010},
    {"mod", "TWIN", "SAVEMOD F0 10F %F", 0x00F0, 0x0100},
    {"bin", "INSTRUCTOR", "SAVEBIN 0 1800 %F", 0x1800, 0x0000},
};

class RomKeptProgram : public ProgramTest {
  protected:
    int peek(int address) {
        std::string result;
        EXPECT_EQ(send("PEEK " + std::to_string(address), &result), 0) << result;
        return std::atoi(result.c_str());
    }
    // FILL of one address with `value`.
    void fill(int address, int value) {
        char command[48];
        std::snprintf(command, sizeof command, "FILL $%X $%X $%X", address, address, value);
        debugger(command);
    }
    void debugger(const std::string& command) {
        std::string result;
        EXPECT_EQ(send("DEBUGGER \"" + command + "\"", &result), 0) << command << ": " << result;
    }
};

TEST_F(RomKeptProgram, EveryProgramFileLoadsBesideTheRomNotOverIt) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    for (const RomLoad& row : rom_loads) {
        SCOPED_TRACE(row.kind);
        request(std::string("SETMACHINE ") + row.machine);
        const int rom = peek(row.rom);
        const int patched = rom ^ 0xFF;
        const std::string file = (home.path() / (std::string("prog.") + row.kind)).string();
        std::string save = row.save;
        save.replace(save.find("%F"), 2, file);
        // The debugger reaches ROM: the file carries bytes the ROM does not hold.
        fill(row.rom, patched);
        fill(row.ram, 165);
        debugger(save);
        request("MENU PROJECT.REINITIALIZE");
        ASSERT_EQ(peek(row.rom), rom);
        fill(row.ram, 0);

        std::string result;
        EXPECT_EQ(send("OPEN " + file, &result), 5) << result;
        EXPECT_NE(result.find("would have changed the machine's ROM and w"), std::string::npos)
            << result;
        EXPECT_EQ(peek(row.rom), rom);
        EXPECT_EQ(peek(row.ram), 165);
    }
}

} // namespace

// ---- Every way a program reaches guest memory, on every machine with a ROM -----------

namespace {

// A machine with a monitor ROM, as it sets up: a ROM address, a RAM address a
// little way into the nearest RAM (a reset sets the first bytes on some), the
// savers of the program files it opens ("SAVEHEX ", suffix) and the suffix of
// the assembler's object file.
struct RomMachine {
    std::string name;
    int rom = -1, ram = -1;
    std::vector<std::pair<std::string, std::string>> savers;
    std::string object_suffix;
};

std::vector<RomMachine> rom_machines() {
    std::vector<RomMachine> found;
    const auto ram = [](int a) {
        return a >= 0 && a < static_cast<int>(GUEST_MEMORY_SIZE) &&
               !(mem_attributes[a] & (MEM_UNWRITABLE | MEM_UNREADABLE | MEM_BIOS));
    };
    for (u32 m = 0; m < MACHINES; m++) {
        RomMachine row;
        row.name = machine_table[m].keyword;
        if (!machine_switch(m, machine_table[m].default_memmap, true, true, false)) continue;
        for (int a = 0; a < static_cast<int>(GUEST_MEMORY_SIZE) && row.rom < 0; a++)
            if (load_is_rom(static_cast<u32>(a))) row.rom = a;
        if (row.rom < 0) continue;
        for (int d = 1; row.ram < 0 && d < static_cast<int>(GUEST_MEMORY_SIZE); d++)
            row.ram = ram(row.rom + d) ? row.rom + d : ram(row.rom - d) ? row.rom - d : -1;
        if (const int further = row.ram + (row.ram > row.rom ? 64 : -64); ram(further))
            row.ram = further;
        row.savers = test_program_savers(false);
        row.object_suffix = machine_debug().object_suffix;
        found.push_back(row);
    }
    return found;
}

} // namespace

// Each way in: a source assembled by OPEN and by the debugger's ASM, the
// debugger's LOADBIN, and the program files each machine opens (written by
// its own savers). The RAM byte arrives, the ROM byte stays, one warning says so.
TEST_F(RomKeptProgram, EveryWayAProgramReachesMemoryLeavesTheRomAlone) {
    const std::vector<RomMachine> machines = rom_machines();
    ASSERT_GE(machines.size(), 8u);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    for (const RomMachine& row : machines) {
        SCOPED_TRACE(row.name);
        ASSERT_GE(row.ram, 0);
        request("SETMACHINE " + row.name);
        const int rom = peek(row.rom), patched = rom ^ 0xFF;
        const int first = std::min(row.rom, row.ram), last = std::max(row.rom, row.ram);
        const std::string base = (home.path() / ("p" + row.name)).string();
        const auto expect_kept = [&](const std::string& line) {
            SCOPED_TRACE(line);
            fill(row.ram, 0);
            std::string result;
            EXPECT_EQ(send(line, &result), 5) << result;
            const std::string warning = "would have changed the machine's ROM and w";
            EXPECT_NE(result.find(warning), std::string::npos) << result;
            EXPECT_EQ(result.find(warning), result.rfind(warning)) << result;
            EXPECT_EQ(peek(row.rom), rom);
            EXPECT_EQ(peek(row.ram), 165);
        };

        test_write_file(base + ".asm", "\tORG $" + test_hex(row.rom) + "\n\tDB $" +
                                           test_hex(patched) + "\n\tORG $" + test_hex(row.ram) +
                                           "\n\tDB $A5\n\tEND\n");
        expect_kept("OPEN " + base + ".asm");
        expect_kept("DEBUGGER \"ASM " + base + ".asm\"");
        // A binary image is placed where the machine puts one (the Instructor's
        // row of the table above has it).
        if (row.object_suffix != ".bin") expect_kept("OPEN " + base + row.object_suffix);

        std::string image(static_cast<std::size_t>(last - first + 1), '\0');
        image[row.rom - first] = static_cast<char>(patched);
        image[row.ram - first] = static_cast<char>(165);
        test_write_file(base + ".img", image);
        expect_kept("DEBUGGER \"LOADBIN " + test_hex(first) + " " + base + ".img\"");

        for (const auto& [saver, suffix] : row.savers) {
            request("SETMACHINE " + row.name);
            fill(row.rom, patched);
            fill(row.ram, 165);
            debugger(saver + test_hex(first) + " " + test_hex(last) + " " + base + suffix);
            request("MENU PROJECT.REINITIALIZE");
            ASSERT_EQ(peek(row.rom), rom);
            expect_kept("OPEN " + base + suffix);
        }
    }
}
