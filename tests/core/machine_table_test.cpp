#include "core/machine.h"
#include "core/machine_table.h"

#include <gtest/gtest.h>

// Every machine row points at a memory map of its own and a refresh rate in its standard;
// keypads have all 28 labels or none.
TEST(MachineTable, RowsAreConsistent) {
    for (u32 m = 0; m < MACHINES; m++) {
        const MachineDesc& row = machine_table[m];
        const int map = row.default_memmap;
        ASSERT_GE(map, 0);
        ASSERT_LT(map, static_cast<int>(MEMMAPS));
        EXPECT_FALSE(memmap_is_empty(static_cast<u32>(map)));
        EXPECT_EQ(memmap_table[map].machine, static_cast<i32>(m)) << row.keyword;
        EXPECT_GT(row.refresh_rate[row.default_region], 0.0) << row.keyword;
        EXPECT_EQ(row.left_keys == nullptr, row.right_keys == nullptr) << row.keyword;
        for (const char* const* pad : {row.left_keys, row.right_keys}) {
            if (!pad) continue;
            for (int k = 0; k < KEYPAD_KEYS; k++)
                ASSERT_NE(pad[k], nullptr) << row.keyword << k;
        }
    }
    // Only the Arcadia and the ball-and-paddle machine keep the user's standard; both have both.
    for (u32 m : {ARCADIA, PONG}) {
        EXPECT_GT(machine_table[m].refresh_rate[0], 0.0);
        EXPECT_GT(machine_table[m].refresh_rate[1], 0.0);
    }
    EXPECT_EQ(frame_period_of_rate(0.0), 0u);
    // Maps 17 and 18 are unused; numbers past the table count as empty too.
    for (u32 map = 0; map <= MEMMAPS; map++)
        EXPECT_EQ(memmap_is_empty(map), map == 17 || map == 18 || map == MEMMAPS) << map;
}

TEST(MachineTable, SoundCountsComeFromTheFlags) {
    // TWIN: 2 voices and 5 effects; the MIKIT its one tone; an empty row none.
    EXPECT_EQ(memmap_sound_count(MAP_TWIN), 7);
    EXPECT_EQ(memmap_sound_count(MAP_MIKIT), 1);
    EXPECT_EQ(memmap_sound_count(17), 0);
    EXPECT_EQ(memmap_sound_count(MEMMAPS), 0);
    EXPECT_TRUE(memmap_table[12].sounds[SFX_SPIN]);
    EXPECT_FALSE(memmap_table[12].sounds[SFX_COIN]);
}
