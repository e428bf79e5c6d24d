// Program files opened in the running program never replace the machine's own
// ROM: each kind of program file, written by the program's own saver over a
// range that runs from the monitor ROM into RAM (the ROM bytes patched first,
// then set up afresh), loads its RAM bytes, leaves the ROM as it is and says
// which bytes it kept out.
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
