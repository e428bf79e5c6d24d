// The coin-op inputs: DIP-switch choices and their settings, the per-frame
// poll (edges of the console functions, the players' controls, Malzak's coin
// slot and test switch), the input record through recording and playback,
// and the inputs' save-state fields.
#include "core/frame.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/serial.h"
#include "core/settings.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "input/console_buttons.h"
#include "input/keys.h"
#include "machines/coinop_inputs.h"
#include "machines/coinop_video.h"
#include "machines/zaccaria.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

class CoinopInputsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        capture_output(); // the ROM files are missing
    }
    void TearDown() override {
        input_clear_key_matrix();
        fresh_state();
    }
    static void go(u32 map) {
        ASSERT_TRUE(machine_switch(map <= 25 ? ZACCARIA : MALZAK, map, true, true, false));
        controller_left = controller_right = 0; // keyboards
        autofire_left = autofire_right = 0;
        requirebutton_left = requirebutton_right = 0;
        swapped = 0;
    }
    static void hold(u16 key, bool down) { down ? host_key_set(key) : host_key_clear(key); }
};

u32 flag_count(const CoinopInputs& in) {
    return in.start1 + in.start2 + in.coin_a + in.coin_b + in.left + in.right + in.up + in.down +
           in.left2 + in.right2 + in.button1 + in.button2 + in.button3 + in.button4;
}

TEST_F(CoinopInputsTest, DipChoicesSetTheirBitsAndReadBack) {
    const struct {
        u32 map;
        int dip, choice;
        u8* byte;
        u8 before, after; // after == before: the choice is refused
    } cases[] = {
        {22, DIP_COIN_A, 3, &dips_astrowars, 0x8F, 0x8E},
        {22, DIP_COIN_A, 0, &dips_astrowars, 0x8F, 0x8F},
        {22, DIP_COIN_B, 1, &dips_astrowars, 0x8B, 0x8F},
        {22, DIP_LIVES, 3, &dips_astrowars, 0x87, 0x8F},
        {22, DIP_LIVES, 1, &dips_astrowars, 0x8F, 0x87},
        {22, DIP_LIVES, 2, &dips_astrowars, 0x8F, 0x8F},
        {22, DIP_HIGH_SCORE, 2, &dips_astrowars_2, 0xF0, 0xF3},
        {22, DIP_HIGH_SCORE, 4, &dips_astrowars_2, 0x00, 0x07},
        {22, DIP_FREEZE, 1, &dips_astrowars, 0x8F, 0x0F},
        {22, DIP_FREEZE, 0, &dips_astrowars, 0x0F, 0x8F},
        {22, DIP_COLLISIONS, 1, &dips_astrowars, 0x0F, 0x0F},
        {23, DIP_COIN_A, 1, &dips_galaxia, 0x8F, 0x8C},
        {23, DIP_HIGH_SCORE, 1, &dips_astrowars_2, 0x00, 0x00},
        {24, DIP_COIN_B, 5, &dips_laserbattle, 0xB3, 0xBF},
        {24, DIP_COIN_B, 1, &dips_laserbattle, 0xB3, 0xB3},
        {24, DIP_LIVES, 3, &dips_laserbattle, 0xBF, 0xAF},
        {24, DIP_LIVES, 2, &dips_laserbattle, 0xBF, 0xBF},
        {24, DIP_COLLISIONS, 0, &dips_laserbattle, 0xBF, 0x3F},
        {24, DIP_FREEZE, 1, &dips_laserbattle, 0xBF, 0xBF},
        {25, DIP_COIN_A, 0, &dips_lazarian_2, 0xBF, 0xBC},
        {25, DIP_COIN_B, 2, &dips_lazarian_2, 0xBF, 0xB3},
        {25, DIP_LIVES, 1, &dips_lazarian_2, 0xBF, 0x9F},
        {25, DIP_GRID, 1, &dips_lazarian_2, 0xBF, 0xFF},
        {25, DIP_COLLISIONS, 0, &dips_lazarian_2, 0xBF, 0x3F},
        {25, DIP_FREEZE, 1, &dips_lazarian_3, 0xF2, 0xF6},
        {25, DIP_RAPID_FIRE, 0, &dips_lazarian_3, 0xF2, 0xF0},
        {25, DIP_HIGH_SCORE, 0, &dips_astrowars_2, 0x05, 0x05},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "map " << c.map << " " << coinop_dip_labels[c.dip]
                                        << " choice " << c.choice);
        go(c.map);
        *c.byte = c.before;
        const bool handled = c.after != c.before || coinop_dip_choice(c.dip) == c.choice;
        EXPECT_EQ(coinop_dip_set(c.dip, c.choice), handled);
        EXPECT_EQ(*c.byte, c.after);
        if (handled) {
            EXPECT_EQ(coinop_dip_choice(c.dip), c.choice);
        }
    }
}

TEST_F(CoinopInputsTest, DipFieldsOutsideTheListsReadAsTheNearestChoice) {
    go(24);
    const u8 lives[8] = {0, 1, 3, 4, 5, 5, 5, 5}; // field 0-7 shown as choice
    for (u32 field = 0; field < 8; field++) {
        dips_laserbattle = static_cast<u8>(0x8F | field << 4);
        EXPECT_EQ(coinop_dip_choice(DIP_LIVES), lives[field]) << field;
    }
    go(22);
    const u8 high[8] = {0, 1, 1, 2, 2, 3, 3, 4};
    for (u32 field = 0; field < 8; field++) {
        dips_astrowars_2 = static_cast<u8>(field);
        EXPECT_EQ(coinop_dip_choice(DIP_HIGH_SCORE), high[field]) << field;
    }
    // Disabled controls show nothing.
    EXPECT_EQ(coinop_dip_choice(DIP_RAPID_FIRE), -1);
    go(26);
    EXPECT_EQ(coinop_dip_choice(DIP_COIN_A), -1);
    EXPECT_FALSE(coinop_dip_set(DIP_COIN_A, 1));
}

TEST_F(CoinopInputsTest, DipChoicesSurviveTheSettingsFile) {
    go(25);
    ASSERT_TRUE(coinop_dip_set(DIP_LIVES, 2));
    ASSERT_TRUE(coinop_dip_set(DIP_RAPID_FIRE, 0));
    go(22);
    ASSERT_TRUE(coinop_dip_set(DIP_HIGH_SCORE, 3));
    ASSERT_TRUE(coinop_dip_set(DIP_FREEZE, 1));
    const std::string text = ini_write_text();
    dips_astrowars = dips_astrowars_2 = dips_lazarian_2 = dips_lazarian_3 = 0;
    ASSERT_TRUE(ini_read_text(text));
    EXPECT_EQ(coinop_dip_choice(DIP_HIGH_SCORE), 3);
    EXPECT_EQ(coinop_dip_choice(DIP_FREEZE), 1);
    go(25);
    EXPECT_EQ(coinop_dip_choice(DIP_LIVES), 2);
    EXPECT_EQ(coinop_dip_choice(DIP_RAPID_FIRE), 0);
    EXPECT_EQ(coinop_dip_choice(DIP_FREEZE), 0); // the default byte $F2
}

TEST_F(CoinopInputsTest, ConsoleFunctionsAreEdgesOnZaccariaAndLevelsOnMalzak) {
    for (u32 map : {22u, 26u}) {
        SCOPED_TRACE(testing::Message() << "map " << map);
        go(map);
        hold(console_keys[0], true);
        u32 starts = 0;
        for (int frame = 0; frame < 10; frame++) {
            map == 22 ? coinop_poll_inputs() : malzak_poll_inputs();
            starts += coinop_inputs.start1;
        }
        EXPECT_EQ(starts, map == 22 ? 1u : 10u);
        hold(console_keys[0], false);
        map == 22 ? coinop_poll_inputs() : malzak_poll_inputs();
        EXPECT_EQ(coinop_inputs.start1, 0u);
        // A second press counts again.
        hold(console_keys[0], true);
        map == 22 ? coinop_poll_inputs() : malzak_poll_inputs();
        EXPECT_EQ(coinop_inputs.start1, 1u);
        hold(console_keys[0], false);
    }
    // A toolbar click holds coin A for its frames: one coin on Zaccaria.
    go(23);
    input_press_console_button(2);
    u32 coins = 0;
    for (int frame = 0; frame < 8; frame++) {
        coinop_poll_inputs();
        coins += coinop_inputs.coin_a;
    }
    EXPECT_EQ(coins, 1u);
    EXPECT_EQ(console_hold[2], 0);
}

TEST_F(CoinopInputsTest, MalzakCoinSlotIsActiveLowAndTheTestSwitchSteps) {
    go(27);
    malzak_poll_inputs();
    EXPECT_EQ(coinop_inputs.coin_a, 1u); // no coin
    hold(console_keys[2], true);
    malzak_poll_inputs();
    EXPECT_EQ(coinop_inputs.coin_a, 0u);
    hold(console_keys[2], false);

    // The fourth console key steps the switch when let go; Shift steps back.
    ASSERT_TRUE(malzak_test_switch_set(0));
    const struct {
        bool shift;
        u8 after;
    } steps[] = {{false, 0x90}, {false, 0x70}, {false, 0x00}, {false, 0xF0},
                 {true, 0x00},  {true, 0x70},  {false, 0x00}};
    for (const auto& s : steps) {
        hold(console_keys[3], true);
        malzak_poll_inputs();
        malzak_poll_inputs();
        const u8 before = guest_memory[0x14CC];
        EXPECT_EQ(before, guest_memory[0x14CC]); // held: nothing yet
        hold(RAW_LSHIFT, s.shift);
        hold(console_keys[3], false);
        malzak_poll_inputs();
        hold(RAW_LSHIFT, false);
        EXPECT_EQ(guest_memory[0x14CC], s.after);
    }
    EXPECT_EQ(malzak_test_switch_position(), 3);
    EXPECT_FALSE(malzak_test_switch_set(4));
    // Malzak 1 has no test switch.
    go(26);
    const u8 a_d = guest_memory[0x14CC];
    hold(console_keys[3], true);
    malzak_poll_inputs();
    hold(console_keys[3], false);
    malzak_poll_inputs();
    EXPECT_EQ(guest_memory[0x14CC], a_d);
}

TEST_F(CoinopInputsTest, PlayersKeysGiveEachBoardItsFlags) {
    // Player 1's keys on host keys 1-8, player 2's on 11-18.
    const int slots[] = {GK_LEFT, GK_RIGHT, GK_UP, GK_DOWN, GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
    for (int p = 0; p < 2; p++)
        for (int i = 0; i < 8; i++)
            player_keys[p][slots[i]] = static_cast<u16>(10 * p + i + 1);
    const struct {
        u32 map;
        int player;
        int slot;
        u32 CoinopInputs::*flag;
    } cases[] = {
        {22, 0, GK_LEFT, &CoinopInputs::left},     {22, 0, GK_DOWN, &CoinopInputs::down},
        {22, 0, GK_FIRE1, &CoinopInputs::button1}, {22, 0, GK_FIRE3, &CoinopInputs::button1},
        {22, 1, GK_LEFT, &CoinopInputs::left2},    {23, 1, GK_RIGHT, &CoinopInputs::right2},
        {23, 1, GK_FIRE1, &CoinopInputs::button3}, {23, 1, GK_FIRE4, &CoinopInputs::button3},
        {24, 0, GK_FIRE1, &CoinopInputs::button1}, {24, 0, GK_FIRE2, &CoinopInputs::button2},
        {25, 0, GK_FIRE3, &CoinopInputs::button3}, {25, 0, GK_FIRE4, &CoinopInputs::button4},
        {25, 0, GK_UP, &CoinopInputs::up},         {26, 0, GK_RIGHT, &CoinopInputs::right},
        {26, 0, GK_FIRE2, &CoinopInputs::button1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "map " << c.map << " player " << c.player << " slot " << c.slot);
        go(c.map);
        const u16 key = player_keys[c.player][c.slot];
        hold(key, true);
        c.map >= 26 ? malzak_poll_inputs() : coinop_poll_inputs();
        hold(key, false);
        EXPECT_EQ(coinop_inputs.*c.flag, 1u);
        // Malzak's coin slot reads 1 with no coin in it.
        EXPECT_EQ(flag_count(coinop_inputs), c.map >= 26 ? 2u : 1u);
    }
    // With "swapped" the second host player plays the first guest player.
    go(22);
    swapped = 1;
    hold(player_keys[1][GK_LEFT], true);
    coinop_poll_inputs();
    EXPECT_EQ(coinop_inputs.left, 1u);
    EXPECT_EQ(coinop_inputs.left2, 0u);
}

TEST_F(CoinopInputsTest, AutofireFiresInItsDutyFrames) {
    auto shots = [](u32 CoinopInputs::*flag) {
        u32 n = 0;
        for (frame_counter = 0; frame_counter < 12; frame_counter++) {
            coinop_poll_inputs();
            n += coinop_inputs.*flag;
        }
        return n;
    };
    go(22);
    autofire_left = 1;
    autofire_period = 4;
    autofire_duty = 1;
    EXPECT_EQ(shots(&CoinopInputs::button1), 3u);
    requirebutton_left = 1; // nothing without the button
    EXPECT_EQ(shots(&CoinopInputs::button1), 0u);
    go(24); // Laser Battle: button 4 on every other frame
    autofire_left = 1;
    requirebutton_left = 0;
    EXPECT_EQ(shots(&CoinopInputs::button4), 6u);
}

TEST_F(CoinopInputsTest, InputRecordPacksEveryFlag) {
    const struct {
        u32 CoinopInputs::*flag;
        u8 byte0, byte1;
    } bits[] = {
        {&CoinopInputs::start1, 0x80, 0},  {&CoinopInputs::start2, 0x40, 0},
        {&CoinopInputs::coin_a, 0x20, 0},  {&CoinopInputs::coin_b, 0x10, 0},
        {&CoinopInputs::left, 0x08, 0},    {&CoinopInputs::right, 0x04, 0},
        {&CoinopInputs::up, 0x02, 0},      {&CoinopInputs::down, 0x01, 0},
        {&CoinopInputs::left2, 0, 0x80},   {&CoinopInputs::right2, 0, 0x40},
        {&CoinopInputs::button1, 0, 0x20}, {&CoinopInputs::button3, 0, 0x10},
        {&CoinopInputs::button4, 0, 0x08}, {&CoinopInputs::button2, 0, 0x04},
    };
    for (const auto& b : bits) {
        coinop_inputs = CoinopInputs{};
        coinop_inputs.*b.flag = 1;
        const auto record = coinop_pack_inputs();
        EXPECT_EQ(record[0], b.byte0);
        EXPECT_EQ(record[1], b.byte1);
        coinop_inputs.*b.flag = 0;
        coinop_unpack_inputs(b.byte0, b.byte1);
        EXPECT_EQ(coinop_inputs.*b.flag, 1u);
        EXPECT_EQ(flag_count(coinop_inputs), 1u);
    }
    // The two unused bits read as nothing.
    coinop_unpack_inputs(0, 0x03);
    EXPECT_EQ(flag_count(coinop_inputs), 0u);
}

TEST_F(CoinopInputsTest, RecordingPlaysBackFlagsAndDipSwitches) {
    const std::string path = testing::TempDir() + "coinop_inputs.cor";
    for (u32 map : {22u, 25u, 27u}) {
        SCOPED_TRACE(testing::Message() << "map " << map);
        go(map);
        const u16 key = player_keys[0][GK_FIRE1];
        rec_file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(rec_file, nullptr);
        rec_state = REC_RECORDING;
        std::vector<CoinopInputs> seen;
        std::vector<std::vector<u8>> dips;
        for (int frame = 0; frame < 6; frame++) {
            hold(key, frame % 2 == 1);
            hold(console_keys[0], frame == 2);
            if (frame == 4) {
                dips_astrowars_2 = 0x05;
                dips_lazarian_3 = 0x11;
                guest_memory[0x14CC] = 0x70;
            }
            map == 27 ? malzak_poll_inputs() : coinop_poll_inputs();
            seen.push_back(coinop_inputs);
            dips.push_back({dips_astrowars, dips_astrowars_2, dips_lazarian_2, dips_lazarian_3,
                            guest_memory[0x14CC]});
        }
        hold(key, false);
        hold(console_keys[0], false);
        std::fclose(rec_file);
        rec_file = nullptr;

        // Back to the start, other settings, then the recording played.
        dips_astrowars = dips_astrowars_2 = dips_lazarian_2 = dips_lazarian_3 = 0x33;
        guest_memory[0x14CC] = 0xF0;
        const std::string bytes = test_read_file(path);
        EXPECT_EQ(bytes.size(), 6u * (map == 27 ? 3 : 4));
        ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(bytes.size())));
        std::memcpy(filebuf, bytes.data(), bytes.size());
        filebuf_length = rec_length = static_cast<u32>(bytes.size());
        rec_state = REC_PLAYBACK;
        for (int frame = 0; frame < 6; frame++) {
            SCOPED_TRACE(frame);
            map == 27 ? malzak_poll_inputs() : coinop_poll_inputs();
            EXPECT_EQ(std::memcmp(&coinop_inputs, &seen[frame], sizeof coinop_inputs), 0);
            const std::vector<u8> now = {dips_astrowars, dips_astrowars_2, dips_lazarian_2,
                                         dips_lazarian_3, guest_memory[0x14CC]};
            // Each game's own DIP bytes come from the recording.
            const size_t own = map == 22 ? 1 : map == 25 ? 3 : 4;
            EXPECT_EQ(now[own], dips[frame][own]);
        }
        EXPECT_EQ(filebuf_cursor, bytes.size());
        rec_reset();
    }
    std::remove(path.c_str());
}

TEST_F(CoinopInputsTest, SaveStateFieldsRoundTrip) {
    go(22);
    std::mt19937 rng(7);
    u32* const fields[14] = {&coinop_inputs.start1,  &coinop_inputs.start2,  &coinop_inputs.coin_a,
                             &coinop_inputs.coin_b,  &coinop_inputs.button1, &coinop_inputs.button3,
                             &coinop_inputs.button4, &coinop_inputs.button2, &coinop_inputs.left,
                             &coinop_inputs.right,   &coinop_inputs.up,      &coinop_inputs.down,
                             &coinop_inputs.left2,   &coinop_inputs.right2};
    std::vector<u8> want;
    for (u32* f : fields) {
        *f = rng() & 1;
        want.push_back(static_cast<u8>(*f));
    }
    coinop_autocoin_countdown = 77;
    want.push_back(77);

    u8 buffer[32] = {};
    serial_attach(buffer, sizeof buffer);
    serial_dir = SERIAL_WRITE;
    coinop_save_inputs();
    EXPECT_EQ(serial_cursor(), 15u);
    EXPECT_EQ(std::vector<u8>(buffer, buffer + 15), want);

    const CoinopInputs saved = coinop_inputs;
    coinop_inputs = CoinopInputs{};
    coinop_autocoin_countdown = 0;
    serial_attach(buffer, 15);
    serial_dir = SERIAL_READ;
    coinop_save_inputs();
    serial_detach();
    EXPECT_FALSE(serial_overrun());
    EXPECT_EQ(std::memcmp(&coinop_inputs, &saved, sizeof saved), 0);
    EXPECT_EQ(coinop_autocoin_countdown, 77);
}

} // namespace
