#include "core/machine.h"
#include "core/machine_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int count_flags(const std::array<u8, GUEST_KEYS>& keys) {
    int n = 0;
    for (u8 k : keys)
        n += k;
    return n;
}

} // namespace

TEST(MachineTable, KeywordsAreUpperCaseAndUnique) {
    const char* expected[MACHINES] = {"ARCADIA",    "INTERTON", "ELEKTOR", "PIPBUG",   "BINBUG",
                                      "INSTRUCTOR", "TWIN",     "CD2650",  "ZACCARIA", "MALZAK",
                                      "PHUNSY",     "PONG",     "SELBST",  "MIKIT",    "TYPERIGHT"};
    for (u32 m = 0; m < MACHINES; m++)
        EXPECT_STREQ(machine_table[m].keyword, expected[m]) << m;
}

TEST(MachineTable, EveryDefaultMemoryMapBelongsToItsMachine) {
    for (u32 m = 0; m < MACHINES; m++) {
        const int map = machine_table[m].default_memmap;
        ASSERT_GE(map, 0);
        ASSERT_LT(map, static_cast<int>(MEMMAPS));
        EXPECT_FALSE(memmap_is_empty(static_cast<u32>(map)));
        EXPECT_EQ(memmap_table[map].machine, static_cast<i32>(m)) << machine_table[m].keyword;
    }
}

TEST(MachineTable, EveryMachineHasARateInItsDefaultStandard) {
    for (u32 m = 0; m < MACHINES; m++) {
        const MachineDesc& row = machine_table[m];
        EXPECT_GT(row.refresh_rate[row.default_region], 0.0) << row.keyword;
    }
    // Only the Arcadia and the ball-and-paddle machine keep the user's standard; both have both.
    for (u32 m : {ARCADIA, PONG}) {
        EXPECT_GT(machine_table[m].refresh_rate[0], 0.0);
        EXPECT_GT(machine_table[m].refresh_rate[1], 0.0);
    }
}

TEST(MachineTable, FramePeriodsTruncateTheRefreshRates) {
    EXPECT_EQ(frame_period_of_rate(machine_table[ARCADIA].refresh_rate[0]), 16614u);
    EXPECT_EQ(frame_period_of_rate(machine_table[ARCADIA].refresh_rate[1]), 19967u);
    EXPECT_EQ(frame_period_of_rate(machine_table[INTERTON].refresh_rate[1]), 19967u);
    EXPECT_EQ(frame_period_of_rate(machine_table[ELEKTOR].refresh_rate[1]), 19967u);
    EXPECT_EQ(frame_period_of_rate(machine_table[CD2650].refresh_rate[0]), 16815u);
    EXPECT_EQ(frame_period_of_rate(machine_table[TWIN].refresh_rate[0]), 16666u);
    EXPECT_EQ(frame_period_of_rate(machine_table[PIPBUG].refresh_rate[1]), 20000u);
    EXPECT_EQ(frame_period_of_rate(0.0), 0u);
}

TEST(MachineTable, SoundCountsComeFromTheFlags) {
    memmap_count_sounds();
    for (u32 map : {0u, 1u, 2u, 3u})
        EXPECT_EQ(memmap_table[map].sound_count, 4) << map;
    EXPECT_EQ(memmap_table[4].sound_count, 2);
    EXPECT_EQ(memmap_table[5].sound_count, 16);
    for (u32 map : {6u, 7u, 8u})
        EXPECT_EQ(memmap_table[map].sound_count, 2) << map;
    EXPECT_EQ(memmap_table[22].sound_count, 4);
    for (u32 map : {23u, 24u, 25u})
        EXPECT_EQ(memmap_table[map].sound_count, 8) << map;
    for (u32 map : {17u, 18u, 20u, 21u})
        EXPECT_EQ(memmap_table[map].sound_count, 0) << map;
    EXPECT_EQ(memmap_table[12].sound_count, 7); // TWIN: two voices, five effects
    EXPECT_TRUE(memmap_table[12].sounds[SFX_SPIN]);
    EXPECT_FALSE(memmap_table[12].sounds[SFX_COIN]);
}

TEST(MachineTable, EmptyRowsHaveNothing) {
    for (u32 map : {17u, 18u}) {
        const MemmapDesc& row = memmap_table[map];
        EXPECT_TRUE(memmap_is_empty(map));
        EXPECT_EQ(row.machine, 0);
        EXPECT_STREQ(row.name, "");
        EXPECT_EQ(row.menu_item, 0);
        EXPECT_EQ(count_flags(row.keys), 0);
        EXPECT_EQ(row.may_rotate, 0);
    }
    EXPECT_TRUE(memmap_is_empty(MEMMAPS));
    for (u32 map = 0; map < MEMMAPS; map++) {
        if (map == 17 || map == 18) continue;
        EXPECT_FALSE(memmap_is_empty(map));
        EXPECT_GE(memmap_table[map].menu_item, 125);
        EXPECT_LE(memmap_table[map].menu_item, 144);
    }
}

TEST(MachineTable, MemoryMapRowsMatchTheirGames) {
    EXPECT_STREQ(memmap_table[0].name, "Interton VC 4000, type \"A\" (2K ROM + 0K RAM)");
    EXPECT_STREQ(memmap_table[25].maker_year, "Zaccaria/Midway, 1981");
    EXPECT_EQ(memmap_table[24].rom_size, 20480);
    EXPECT_EQ(memmap_table[26].rom_size, 8704);
    EXPECT_EQ(memmap_table[11].default_overlay, 202);
    for (u32 map = 0; map < MEMMAPS; map++)
        EXPECT_EQ(memmap_table[map].may_rotate, map == 22 || map == 23 ? 1 : 0) << map;
    // Guest keys: Astro Wars has the four console keys and eight play keys.
    EXPECT_EQ(count_flags(memmap_table[22].keys), 12);
    EXPECT_TRUE(memmap_table[22].keys[49]);
    EXPECT_FALSE(memmap_table[22].keys[48]);
    // Malzak 1 lacks console key 3, Malzak 2 has it.
    EXPECT_FALSE(memmap_table[26].keys[3]);
    EXPECT_TRUE(memmap_table[27].keys[3]);
    // The Arcadia has no console key 3.
    EXPECT_FALSE(memmap_table[6].keys[3]);
    EXPECT_EQ(count_flags(memmap_table[6].keys), 59);
    EXPECT_EQ(count_flags(memmap_table[30].keys), 4);
}

TEST(MachineTable, KeypadsHaveTwentyEightLabelsOrNone) {
    for (u32 m = 0; m < MACHINES; m++) {
        const MachineDesc& row = machine_table[m];
        EXPECT_EQ(row.left_keys == nullptr, row.right_keys == nullptr) << row.keyword;
        for (const char* const* pad : {row.left_keys, row.right_keys}) {
            if (!pad) continue;
            for (int k = 0; k < KEYPAD_KEYS; k++)
                ASSERT_NE(pad[k], nullptr) << row.keyword << k;
        }
    }
    EXPECT_STREQ(machine_table[ARCADIA].left_keys[0], "1st");
    EXPECT_STREQ(machine_table[ARCADIA].left_keys[10], "Cl");
    EXPECT_STREQ(machine_table[ARCADIA].left_keys[27], "DnRt");
    EXPECT_STREQ(machine_table[ELEKTOR].right_keys[1], "D");
    EXPECT_STREQ(machine_table[ELEKTOR].left_keys[13], "-----");
    EXPECT_STREQ(machine_table[ELEKTOR].left_keys[17], "Up");
    EXPECT_STREQ(machine_table[PHUNSY].right_keys[2], "D->M");
    EXPECT_STREQ(machine_table[PHUNSY].right_keys[27], "-----");
    EXPECT_STREQ(machine_table[MIKIT].right_keys[5], "-----");
    EXPECT_EQ(machine_table[PIPBUG].left_keys, nullptr);
}

TEST(MachineTable, PerMachineFields) {
    EXPECT_EQ(machine_table[ARCADIA].read_once_value, 255);
    for (u32 m = 1; m < MACHINES; m++)
        EXPECT_EQ(machine_table[m].read_once_value, 0);
    for (u32 m = 0; m < MACHINES; m++)
        EXPECT_EQ(machine_table[m].coinop, m == ZACCARIA || m == MALZAK ? 1 : 0);
    EXPECT_EQ(machine_table[PONG].clocks_per_frame, 1.0);
    EXPECT_EQ(machine_table[TYPERIGHT].clocks_per_frame, 1.0);
    EXPECT_EQ(machine_table[INTERTON].first_pvi_base, 0x1F00);
    EXPECT_EQ(machine_table[ZACCARIA].first_pvi_base, 0x1500);
    EXPECT_EQ(machine_table[MALZAK].pvi_count, 2);
    EXPECT_EQ(machine_table[CD2650].pixels_per_clock, 12);
    EXPECT_EQ(machine_table[BINBUG].disk_image_bytes, 102400);
    EXPECT_EQ(machine_table[CD2650].drives, 4);
    EXPECT_EQ(machine_table[INSTRUCTOR].led_digits, 8);
    EXPECT_EQ(machine_table[INSTRUCTOR].first_comment_row, 1922);
    EXPECT_EQ(machine_table[SELBST].sound_channel_offset, 1);
    EXPECT_STREQ(machine_table[MALZAK].console_labels[3], "Switch");
    EXPECT_EQ(machine_table[MALZAK].console_images[3], 82);
    EXPECT_STREQ(machine_table[TWIN].console_labels[0], "-");
    EXPECT_EQ(machine_table[TYPERIGHT].first_hiscore_row, 64);
    EXPECT_EQ(machine_table[TYPERIGHT].hiscore_rows, 23);
}
