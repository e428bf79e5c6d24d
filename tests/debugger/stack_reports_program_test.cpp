// The debugger's return-address stack reports in the running program: a game
// that nests its calls eight deep (all the 2650 holds) runs without a word;
// the ninth nested call, which loses the oldest return address, is reported.
#include "tests/support/program_test.h"

#include "tests/support/count_of.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class StackReportsProgram : public ProgramTest {};

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
