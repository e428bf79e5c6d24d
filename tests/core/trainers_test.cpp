#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "core/trainers.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class Trainers : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        std::memset(guest_memory, 0x5A, sizeof guest_memory);
        set_options(0, 0, 0, 1);
    }
    void TearDown() override { fresh_state(); }
    static void set_options(u32 lives, u32 time, u32 invincible, u32 self_test) {
        trainer_lives = lives;
        trainer_time = time;
        trainer_invincibility = invincible;
        post = self_test;
    }
    static std::vector<u8> memory() { return {guest_memory, guest_memory + GUEST_MEMORY_SIZE}; }
    static std::vector<u8> at(u16 address, int n) {
        return {guest_memory + address, guest_memory + address + n};
    }
};

} // namespace

TEST_F(Trainers, CoinOpBoardOptionsSwitchBothWays) {
    ASSERT_TRUE(machine_switch(ZACCARIA, 24, true, true, false));
    std::memset(guest_memory, 0x5A, sizeof guest_memory);
    set_options(0, 0, 0, 0);
    trainer_apply();
    const std::vector<u8> off = memory();
    EXPECT_EQ(at(0x0269, 2), (std::vector<u8>{0x04, 0x55}));

    set_options(1, 1, 1, 1);
    trainer_apply();
    EXPECT_EQ(at(0x0269, 2), (std::vector<u8>{0x84, 0x01}));

    set_options(0, 0, 0, 0);
    trainer_apply();
    EXPECT_EQ(memory(), off);
}

TEST_F(Trainers, EachOptionPatchesOnlyItsOwnBytes) {
    ASSERT_TRUE(machine_switch(MALZAK, 27, true, true, false));
    set_options(0, 0, 0, 0);
    trainer_apply();
    const std::vector<u8> off = memory();
    EXPECT_EQ(at(0x279E, 6), (std::vector<u8>{0xAC, 0x10, 0xCF, 0xAC, 0x10, 0xCF}));
    set_options(0, 1, 0, 0);
    trainer_apply();
    EXPECT_EQ(at(0x279E, 6), (std::vector<u8>{0xA4, 0x00, 0xA4, 0x00, 0xA4, 0x00}));
    int changed = 0;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        changed += guest_memory[a] != off[a];
    EXPECT_EQ(changed, 6); // the six time bytes, nothing else
}

TEST_F(Trainers, GameRowWithAnAddedRoutine) {
    known_game_id = 6;
    trainer_apply(); // all off: the game's own bytes and a cleared routine area
    EXPECT_EQ(at(0x0869, 3), (std::vector<u8>{0x0E, 0x19, 0xFF}));
    EXPECT_EQ(guest_memory[0x01A8], 0x01);
    const std::vector<u8> off = memory();

    trainer_invincibility = 1;
    trainer_apply();
    EXPECT_EQ(at(0x0869, 3), (std::vector<u8>{0x1F, 0x20, 0x40})); // into the added routine
    EXPECT_NE(at(0x2040, 22), std::vector<u8>(22, 0));
    EXPECT_EQ(guest_memory[0x2056], 0x5A); // and no further
    EXPECT_EQ(guest_memory[0x01A8], 0x01); // lives stay off

    trainer_invincibility = 0;
    trainer_apply();
    EXPECT_EQ(memory(), off);
    EXPECT_EQ(at(0x2040, 22), std::vector<u8>(22, 0));
}

TEST_F(Trainers, UnknownAndLastRowsAreNeverPatched) {
    const std::vector<u8> before = memory();
    set_options(1, 1, 1, 1);
    for (int row : {-1, 858, 859, 3}) {
        known_game_id = row;
        trainer_apply();
        EXPECT_EQ(memory(), before) << row;
    }
    // A coin-op board is patched whatever the games-database row says.
    ASSERT_TRUE(machine_switch(ZACCARIA, 22, true, true, false));
    known_game_id = -1;
    guest_memory[0x0EB2] = 0x5A;
    trainer_apply();
    EXPECT_EQ(guest_memory[0x0EB2], 0x00);
}
