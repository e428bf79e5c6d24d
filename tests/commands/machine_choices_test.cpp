// The Settings items that act on the machine itself: the PIPBUG monitor and
// VDU radios (kept in the settings file) and the Skip level trainer on every
// memory map that has one.
#include "commands/command_table.h"
#include "display/frame.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class MachineChoices : public ::testing::Test {
  protected:
    void SetUp() override { fresh_state(); }
    void TearDown() override { fresh_state(); }
    static int ticked(Cmd cmd) {
        const CmdRow& row = cmd_row(cmd);
        return row.tick(row);
    }
};

TEST_F(MachineChoices, PipbugMonitorAndVduRadiosSwitchAndAreKeptInTheSettings) {
    ASSERT_TRUE(machine_switch(PIPBUG, 9, true, true, false));
    pipbug_bios = 2;
    pipbug_vdu = 0;

    EXPECT_EQ(cmd_run(Cmd::SETTINGS_BIOS_PIPBUG2), nullptr);
    EXPECT_EQ(pipbug_bios, 3u);
    EXPECT_EQ(memmap, 10u); // the second monitor's memory map
    EXPECT_EQ(ticked(Cmd::SETTINGS_BIOS_PIPBUG2), 1);
    EXPECT_EQ(ticked(Cmd::SETTINGS_BIOS_PIPBUG1), 0);
    EXPECT_EQ(cmd_run(Cmd::SETTINGS_BIOS_ARTEMIS), nullptr);
    EXPECT_EQ(memmap, 13u);
    EXPECT_EQ(cmd_run(Cmd::SETTINGS_BIOS_PIPBUG2), nullptr);

    EXPECT_EQ(cmd_run(Cmd::SETTINGS_VDU_NARROW), nullptr);
    EXPECT_EQ(vdu_columns, 32);
    const i32 narrow_width = machine_live_row().width;
    EXPECT_EQ(cmd_run(Cmd::SETTINGS_VDU_WIDE), nullptr);
    EXPECT_EQ(pipbug_vdu, 2);
    EXPECT_EQ(ticked(Cmd::SETTINGS_VDU_WIDE), 1);
    EXPECT_EQ(ticked(Cmd::SETTINGS_VDU_NARROW), 0);
    EXPECT_EQ(vdu_columns, 64);
    EXPECT_EQ(machine_live_row().width, 2 * narrow_width); // the picture follows

    // Both choices come back from the settings file.
    const std::string text = ini_write_text();
    pipbug_bios = 0;
    pipbug_vdu = 0;
    ASSERT_TRUE(ini_read_text(text));
    EXPECT_EQ(pipbug_bios, 3u);
    EXPECT_EQ(pipbug_vdu, 2);

    // Another machine has neither.
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    EXPECT_NE(cmd_refusal(Cmd::SETTINGS_VDU_WIDE), nullptr);
    EXPECT_NE(cmd_refusal(Cmd::SETTINGS_BIOS_HYBUG), nullptr);
}

TEST_F(MachineChoices, SkipLevelOnEveryMemoryMapThatHasOne) {
    const auto skip = [] { return cmd_run(Cmd::SETTINGS_TRAINERS_SKIPLEVEL); };

    // Astro Wars: only while the wave counter is low.
    ASSERT_TRUE(machine_switch(ZACCARIA, 22, true, true, false));
    cpu_iar = 0x0100;
    guest_memory[0x1401] = 0x24;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(cpu_iar, 0x0100);
    guest_memory[0x1401] = 0x23;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(cpu_iar, 0x131A);

    // Galaxia: two ways on, by bit 6 of $1C00.
    ASSERT_TRUE(machine_switch(ZACCARIA, 23, true, true, false));
    guest_memory[0x1C00] = 0x40;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(cpu_iar, 0x29F1);
    guest_memory[0x1C00] = 0;
    guest_memory[0x1D88] = guest_memory[0x1D89] = 7;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(cpu_iar, 0x2B5E);
    EXPECT_EQ(guest_memory[0x1D88] | guest_memory[0x1D89], 0);

    // The Arcadia by game: memory, memory and address, address alone, nothing.
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    known_game_id = 47;
    std::memset(guest_memory + 0x1820, 0x55, 96);
    EXPECT_EQ(skip(), nullptr);
    for (u32 a = 0x1820; a < 0x1880; a++)
        ASSERT_EQ(guest_memory[a], 0) << a;
    EXPECT_EQ(guest_memory[0x18D4], 0xE4);
    EXPECT_EQ(guest_memory[0x18E4], 0x32);
    known_game_id = 830;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(guest_memory[0x180E], 0x78);
    EXPECT_EQ(cpu_iar, 0x0B4E);
    known_game_id = 125;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(cpu_iar, 0x0796);
    known_game_id = 40;
    guest_memory[0x1AF0] = 1; // too early in the game: nothing
    guest_memory[0x1AEF] = 9;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(guest_memory[0x1AEF], 9);
    known_game_id = -1;
    cpu_iar = 0x0200;
    EXPECT_EQ(skip(), nullptr);
    EXPECT_EQ(cpu_iar, 0x0200);

    // Only between frames, and only where the game has a level to skip.
    emu_paused_mid_frame = true;
    EXPECT_STREQ(skip(), cmd_between_frames_text);
    emu_paused_mid_frame = false;
    ASSERT_TRUE(machine_switch(ZACCARIA, 24, true, true, false));
    EXPECT_NE(skip(), nullptr);
    ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
    EXPECT_NE(skip(), nullptr);
}

} // namespace
