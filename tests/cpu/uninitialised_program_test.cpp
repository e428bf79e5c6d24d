// The report of uninitialised bytes in the running program: a byte the game
// wrote is not reported when read, nor is any byte after a state was loaded
// (the state gives every byte its value); a reset starts the watch afresh.
#include "tests/support/program_test.h"

#include "tests/support/count_of.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class UninitialisedProgram : public ProgramTest {};

// An Arcadia cartridge that stores $55 at $1800 once, then reads it forever.
std::string store_then_read_cartridge() {
    std::string rom(4096, '\0');
    put_bytes(rom, 0x0000, {0x76, 0x20});       // PPSU II
    put_bytes(rom, 0x0002, {0x04, 0x55});       // LODI,r0 $55
    put_bytes(rom, 0x0004, {0xCC, 0x18, 0x00}); // STRA,r0 $1800
    put_bytes(rom, 0x0007, {0x0C, 0x18, 0x00}); // LODA,r0 $1800
    put_bytes(rom, 0x000A, {0x1B, 0x7B});       // BCTR,un back to the LODA
    return rom;
}

} // namespace

TEST_F(UninitialisedProgram, AStateLoadedLeavesNoByteUninitialised) {
    const std::string cartridge = put("store.bin", store_then_read_cartridge());
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string result;
    ASSERT_EQ(send("OPEN " + cartridge, &result), 0) << result;
    ASSERT_EQ(send("SAVEAS " + (home.path() / "stored.cos").string(), &result), 0) << result;
    ASSERT_EQ(send("DEBUGGER \"L I\"", &result), 0) << result; // log illegal use
    ASSERT_EQ(send("OPEN " + (home.path() / "stored.cos").string(), &result), 0) << result;
    // Some frames of reading $1800 from the state.
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(send("DEBUGGER \"E 1900 0\"", &result), 0) << result;
    EXPECT_EQ(count_of(log(), "Uninitialized byte"), 0) << log();
    // The game now reads $1801, which the state holds too; after a reset,
    // which it never wrote, that read is reported.
    ASSERT_EQ(send("DEBUGGER \"E 9 1\"", &result), 0) << result;
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(send("DEBUGGER \"E 1900 0\"", &result), 0) << result;
    EXPECT_EQ(count_of(log(), "Uninitialized byte"), 0) << log();
    ASSERT_EQ(send("MENU PROJECT.RESETTOGAME", &result), 0) << result;
    EXPECT_TRUE(printed("Uninitialized byte at $1801 has been read")) << log();
    ASSERT_EQ(send("QUIT", &result), 0);
    wait_exit();
}
