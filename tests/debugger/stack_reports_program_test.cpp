// The debugger's return-address stack reports in the running program: a game
// that nests its calls eight deep (all the 2650 holds) runs without a word;
// the ninth nested call, which loses the oldest return address, is reported.
// The count of return addresses held follows every way the machine gets a
// program: a state (also one of an earlier version, without the count), a
// reset, a source assembled over a program that was deep in its calls.
#include "tests/support/program_test.h"

#include "tests/support/count_of.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class StackReportsProgram : public ProgramTest {
  protected:
    // The program with its settings left as they are. Check with
    // ASSERT_NO_FATAL_FAILURE.
    void start_locked() {
        ASSERT_TRUE(start({"PORTNAME", "E2E", "LOCKCONFIG"}));
        ASSERT_TRUE(port_up());
    }
    void send_all(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            std::string result;
            const int rc = send(line, &result);
            EXPECT_TRUE(rc == 0 || (rc == 5 && line.rfind("SETMACHINE", 0) == 0))
                << line << ": " << rc << " " << result;
        }
    }
};

// An Arcadia cartridge: main calls a chain eight levels deep that returns,
// then a chain nine levels deep whose last level loops.
std::string nested_calls_cartridge() {
    std::string rom(4096, '\0');
    const auto put = [&rom](unsigned at, std::initializer_list<unsigned> bytes) {
        put_bytes(rom, at, bytes);
    };
    put(0x0000, {0x76, 0x20});       // PPSU II: no interrupts
    put(0x0002, {0x3F, 0x02, 0x00}); // BSTA,un $0200: eight levels, $0200..$0900
    put(0x0005, {0x3F, 0x01, 0x80}); // BSTA,un $0180: nine levels, $0180..$0980
    put(0x0008, {0x1B, 0x7E});       // BCTR,un to itself
    for (unsigned level = 2; level <= 8; ++level)
        put(level << 8, {0x3F, level + 1, 0x00, 0x17}); // BSTA,un next; RETC,un
    put(0x0900, {0x17});
    for (unsigned level = 1; level <= 8; ++level)
        put((level << 8) + 0x80, {0x3F, level + 1, 0x80, 0x17});
    put(0x0980, {0x1B, 0x7E});
    return rom;
}

// The same, its first chain entered at level `first` (2: eight deep, 5: five
// deep), waiting at its deepest level for $1800: 1 returns, 2 makes one call
// more from $0909.
std::string waiting_cartridge(unsigned first) {
    std::string rom = nested_calls_cartridge();
    put_bytes(rom, 0x0003, {first});
    put_bytes(rom, 0x0900,
              {0x0C, 0x18, 0x00, // LODA,r0 $1800
               0x18, 0x7B,       // BCTR,eq $0900
               0xE4, 0x02,       // COMI,r0 2
               0x98, 0x03,       // BCFR,eq $090C
               0x3F, 0x0A, 0x00, // BSTA,un $0A00
               0x17});           // RETC,un
    put_bytes(rom, 0x0A00, {0x1B, 0x7E});
    return rom;
}

// A source that calls two deep, then nine: the bytes of its first lines were
// operands and opcodes of the cartridge's first ones.
const char* const nine_deep_source = "        ORG $0000\n"
                                     "START:  LODZ R0\n"
                                     "        PPSU $20\n"
                                     "        BSTA,UN SUB1\n"
                                     "        BSTA,UN D1\n"
                                     "SUB1:   BSTA,UN SUB2\n"
                                     "        RETC,UN\n"
                                     "SUB2:   RETC,UN\n"
                                     "D1:     BSTA,UN D2\n"
                                     "D2:     BSTA,UN D3\n"
                                     "D3:     BSTA,UN D4\n"
                                     "D4:     BSTA,UN D5\n"
                                     "D5:     BSTA,UN D6\n"
                                     "D6:     BSTA,UN D7\n"
                                     "D7:     BSTA,UN D8\n"
                                     "D8:     BSTA,UN D9\n"
                                     "D9:     BCTR,UN D9\n"
                                     "        END START\n";

// "Log illegal" switched on (the settings are not written).
const std::string log_illegal = "DEBUGGER \"L I\"";

// The TWIN's master, its boot area jumping to $0100, calls eight deep and
// halts there; the slave then waits for its $0100 and asks the master for a
// service (interrupt level 16, vector $0020, where the master loops). "Log
// illegal" goes on once the programs are in place.
std::vector<std::string> twin_master_parked_deep() {
    // Reset while paused: the master is the processor the pokes reach.
    std::vector<std::string> lines = {"SETMACHINE TWIN", "PAUSE", "MENU PROJECT.RESETTOGAME"};
    const auto poke = [&lines](unsigned at, std::initializer_list<unsigned> bytes) {
        for (unsigned b : bytes) {
            char line[48];
            std::snprintf(line, sizeof line, "DEBUGGER \"E $%X $%02X\"", at++, b);
            lines.push_back(line);
        }
    };
    poke(0x0000, {0x1F, 0x01, 0x00}); // BCTA,un $0100
    poke(0x0020, {0x1B, 0x7E});
    poke(0x0100, {0x3F, 0x02, 0x00, 0x1B, 0x7E});
    for (unsigned level = 2; level <= 8; ++level)
        poke(level << 8, {0x3F, level + 1, 0x00, 0x17});
    poke(0x0900, {0x40, 0x17}); // HALT: the slave runs
    // The slave's $0000 is the master's $4000 (common memory, bank 0).
    poke(0x4000, {0x0C, 0x01, 0x00, 0x18, 0x7B, 0xD4, 0xF7, 0x1B, 0x7E});
    poke(0x4100, {0x00});
    lines.push_back(log_illegal);
    lines.push_back("MENU PROJECT.RESETTOGAME");
    lines.push_back("UNPAUSE");
    return lines;
}

struct StackCase {
    const char* what;
    std::vector<std::string> first;  // the first run
    bool earlier_version;            // the state saved is made one without the count
    std::vector<std::string> second; // a second run, after a restart (when any)
    std::string last;                // the report that the run ends with
    std::vector<std::pair<std::string, int>> counts; // reports and how often they come
};

} // namespace

TEST_F(StackReportsProgram, OnlyTheNinthNestedCallIsAnOverflow) {
    const std::string cartridge = put("nest.bin", nested_calls_cartridge());
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("DEBUGGER \"L I\"", &result), 0) << result; // log illegal use
    ASSERT_EQ(send("OPEN " + cartridge, &result), 0) << result;
    ASSERT_TRUE(printed("Stack overflow at")) << log();
    // The whole program runs in its first frame; the port answers between frames.
    ASSERT_EQ(send("QUIT", &result), 0);
    wait_exit();
    const std::string text = log();
    EXPECT_EQ(count_of(text, "Stack overflow at"), 1) << text;
    EXPECT_EQ(count_of(text, "Stack overflow at $880!"), 1) << text;
    EXPECT_EQ(count_of(text, "Stack underflow at"), 0) << text;
}

// Each way the machine is given a program or a state leaves the count of
// return addresses that program holds: no false report, and the ninth call
// that loses an address is reported.
TEST_F(StackReportsProgram, TheCountFollowsStatesResetsAndSources) {
    const std::string deep = put("deep.bin", waiting_cartridge(2));
    const std::string five = put("five.bin", waiting_cartridge(5));
    const std::string source = put("nine.asm", nine_deep_source);
    const std::string state = (home.path() / "s.cos").string();
    const std::string interrupt_overflow = "Interrupt has caused a stack overflow!";
    std::vector<std::string> twin_saved = twin_master_parked_deep();
    twin_saved.push_back("SAVEAS " + state);
    std::vector<std::string> twin_reset = twin_master_parked_deep();
    twin_reset.insert(twin_reset.end(), {"MENU PROJECT.RESETTOGAME", "DEBUGGER \"E 100 1\""});
    // A cartridge opened and a state saved; the state opened, $1800 set.
    const auto saved_running = [&state](const std::string& cartridge) {
        return std::vector<std::string>{log_illegal, "OPEN " + cartridge, "SAVEAS " + state};
    };
    const auto loaded_with = [&state](const char* flag) {
        return std::vector<std::string>{log_illegal, "OPEN " + state,
                                        std::string("DEBUGGER \"E 1800 ") + flag + "\""};
    };
    const std::vector<std::pair<std::string, int>> one_overflow = {{"Stack underflow at", 0},
                                                                   {"Stack overflow at", 1}};
    const std::vector<std::pair<std::string, int>> interrupt_only = {{"Stack overflow at", 0},
                                                                     {interrupt_overflow, 1}};
    const StackCase cases[] = {
        {"a state saved eight deep, loaded after a restart, returns", saved_running(deep), false,
         loaded_with("1"), "Stack overflow at $880!", one_overflow},
        {"a state saved eight deep, loaded after a restart, calls a ninth time",
         saved_running(deep), false, loaded_with("2"), "Stack overflow at $909!", one_overflow},
        {"a state of an earlier version saved five deep", saved_running(five), true,
         loaded_with("1"), "Stack overflow at $880!", one_overflow},
        {"a source opened over a program eight deep",
         {log_illegal, "OPEN " + deep, "OPEN " + source},
         false,
         {},
         "Stack overflow at D8",
         {{"Stack overflow at", 1}, {"Stack underflow at", 0}, {"previously been an", 0}}},
        {"the TWIN reset while its master is parked eight deep",
         twin_reset,
         false,
         {},
         interrupt_overflow,
         interrupt_only},
        {"a TWIN state saved with its master parked eight deep, loaded after a restart",
         twin_saved,
         false,
         {log_illegal, "OPEN " + state, "DEBUGGER \"E 100 1\""},
         interrupt_overflow,
         interrupt_only},
    };
    for (const StackCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(state);
        ASSERT_NO_FATAL_FAILURE(start_locked());
        send_all(c.first);
        if (!c.second.empty()) {
            send_all({"QUIT"});
            ASSERT_EQ(wait_exit(), 0) << log();
            if (c.earlier_version) {
                // Earlier versions left the two bytes at 38 zero.
                std::string bytes = test_read_file(state);
                ASSERT_GT(bytes.size(), 40u);
                bytes[38] = bytes[39] = '\0';
                put("s.cos", bytes);
            }
            ASSERT_NO_FATAL_FAILURE(start_locked());
            send_all(c.second);
        }
        EXPECT_TRUE(printed(c.last)) << log();
        send_all({"QUIT"});
        ASSERT_EQ(wait_exit(), 0) << log();
        const std::string text = log();
        for (const auto& [report, times] : c.counts)
            EXPECT_EQ(count_of(text, report), times) << report << "\n" << text;
    }
}
