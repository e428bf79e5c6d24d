// The debugger on the video-game machines, as a user reaches it: the program
// started offscreen and driven through its port. Small guest programs entered
// with E run on the real boards; what the debugger says of them is read from
// the program's output and the port's answers.
#include "tests/support/count_of.h"
#include "tests/support/program_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class MachineDebugProgram : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
    }
    // Sends a line; returns its answer, which must come with 0 (or 5, the
    // missing ROM images of a machine switch).
    std::string ask(const std::string& line) {
        std::string result;
        const int rc = send(line, &result);
        EXPECT_TRUE(rc == 0 || rc == 5) << line << ": " << rc << " " << result;
        return result;
    }
    // Enters `bytes` at `address` with the debugger's E, one byte a line.
    void enter(unsigned address, const std::vector<unsigned>& bytes) {
        char line[48];
        for (unsigned b : bytes) {
            std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", address++, b);
            ask(line);
        }
    }
    // Runs a small program on a coin-op board with its ports watched.
    void ports_traced(const struct Board& board);
    // Steps `count` instructions, waiting for each one's listing.
    void step(int count) {
        for (int i = 0; i < count; i++) {
            const int before = count_of(log(), "Next instruction is");
            ask("DEBUGGER S");
            ASSERT_TRUE(printed("Next instruction is", before + 1)) << log();
        }
    }
};

// The coin-op boards' ports go through the port trace: a watched port stops
// the program with its message, and the port record lists what was used.
struct Board {
    const char* name;
    unsigned at;
    std::vector<unsigned> program;
    std::vector<const char*> traps, said;
    const char* record;
};

void MachineDebugProgram::ports_traced(const Board& b) {
    ask(std::string("SETMACHINE ") + b.name);
    ask("PAUSE");
    ask("DEBUGGER CLEARCOV");
    enter(b.at, b.program);
    for (const char* trap : b.traps)
        ask(std::string("DEBUGGER \"") + trap + "\"");
    char jump[32];
    std::snprintf(jump, sizeof jump, "DEBUGGER \"JUMP $%X\"", b.at);
    ask(jump);
    step(3);
    for (const char* text : b.said)
        EXPECT_EQ(count_of(log(), text), 1) << text << "\n" << log();
    EXPECT_EQ(ask("DEBUGGER \"COVER 2\""), b.record);
}

// LODI,r0 $12; WRTE,r0 0 (scroll); REDE,r1 2 (inputs); BCTR,un back
TEST_F(MachineDebugProgram, ZaccariaPortsAreTracedAndRecorded) {
    ports_traced({"ZACCARIA",
                  0x1800,
                  {0x04, 0x12, 0xD4, 0x00, 0x55, 0x02, 0x1B, 0x78},
                  {"IP 0", "IP 2"},
                  {"Handled write of $12 (DC2) to extended I/O port $00 at address $1802. "
                   "Previous value was $00.",
                   "from extended I/O port $02 at address $1804."},
                  "I/O port accesses:\n----W:  $000\n---R-:  $002\n\n"});
}

// LODI,r0 $37; WRTE,r0 96 (scroll); REDE,r1 128 (inputs); BCTR,un back
TEST_F(MachineDebugProgram, MalzakPortsAreTracedAndRecorded) {
    ports_traced({"MALZAK",
                  0x1000,
                  {0x04, 0x37, 0xD4, 0x60, 0x55, 0x80, 0x1B, 0x78},
                  {"IP 60", "IP 80"},
                  {"Handled write of $37 ('7') to extended I/O port $60 at address $1002.",
                   "from extended I/O port $80 at address $1004."},
                  "I/O port accesses:\n----W:  $060\n---R-:  $080\n\n"});
}

// The consoles' chips and the Elektor's I/O lines and PSGs have names: the
// "=" command takes them and the disassembler shows them.
TEST_F(MachineDebugProgram, HardwareNamesAreLabels) {
    ask("SETMACHINE ELEKTOR");
    ask("PAUSE");
    struct Name {
        const char* name;
        const char* value;
    } names[] = {{"CASIN", "$1DBF"},         {"CASR", "$1DBF"},        {"LINEIN0", "$1D9C"},
                 {"LINEIN7", "$1DBF"},       {"LINEOUT3", "$1DDF"},    {"CASW", "$1DFF"},
                 {"PITCHA1_L", "$1D00"},     {"PITCHC2_H", "$1D15"},   {"MIXER1", "$1D07"},
                 {"PORTB2", "$1D1F"},        {"SHAPE2", "$1D1D"},      {"NOISE", "$1E80"},
                 {"CONSOLE", "$1E8B"},       {"P2RIGHTKEYS", "$1E8E"}, {"PITCH", "$1FC7"},
                 {"SPRITECOLLIDE", "$1FCB"}, {"SPRITE3BY", "$1F4D"},   {"P2PADDLE", "$1FCD"}};
    for (const Name& n : names) {
        const std::string said = ask(std::string("DEBUGGER \"= ") + n.name + "\"");
        EXPECT_NE(said.find(std::string(n.value) + "\n"), std::string::npos)
            << n.name << ": " << said;
    }
    // STRA,r0 $1D07; LODA,r1 $1DBF; STRA,r2 $1FC7
    enter(0x0900, {0xCC, 0x1D, 0x07, 0x0D, 0x1D, 0xBF, 0xCE, 0x1F, 0xC7});
    const std::string listing = ask("DEBUGGER \"DIS $900 $906\"");
    EXPECT_NE(listing.find("STRA,r0 MIXER1 "), std::string::npos) << listing;
    EXPECT_NE(listing.find("LODA,r1 LINEIN7 "), std::string::npos) << listing;
    EXPECT_NE(listing.find("STRA,r2 PITCH "), std::string::npos) << listing;

    // The Interton names its PVI and its I/O area; the Arcadia its UVI.
    ask("SETMACHINE INTERTON");
    EXPECT_NE(ask("DEBUGGER \"= BGCOLOUR\"").find("$1FC6\n"), std::string::npos);
    EXPECT_NE(ask("DEBUGGER \"= P1LEFTKEYS\"").find("$1E88\n"), std::string::npos);
    ask("SETMACHINE ARCADIA");
    EXPECT_NE(ask("DEBUGGER \"= GFXMODE\"").find("$19F8\n"), std::string::npos);
    EXPECT_NE(ask("DEBUGGER \"= SPRITE0X\"").find("$18F1\n"), std::string::npos);
    std::string refused;
    EXPECT_EQ(send("DEBUGGER \"= CASIN\"", &refused), 10) << refused; // not an Arcadia name
}

} // namespace
