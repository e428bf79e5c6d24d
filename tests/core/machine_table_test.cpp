#include "core/machine.h"
#include "core/machine_table.h"

#include <gtest/gtest.h>

namespace {

int count_flags(const std::array<u8, GUEST_KEYS>& keys) {
    int n = 0;
    for (u8 k : keys)
        n += k;
    return n;
}

} // namespace

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
}

TEST(MachineTable, SoundCountsComeFromTheFlags) {
    memmap_count_sounds();
    // TWIN: 2 voices and 5 effects; a machine without sound has none.
    EXPECT_EQ(memmap_table[12].sound_count, 7);
    EXPECT_EQ(memmap_table[21].sound_count, 0);
    EXPECT_TRUE(memmap_table[12].sounds[SFX_SPIN]);
    EXPECT_FALSE(memmap_table[12].sounds[SFX_COIN]);
}

TEST(MachineTable, OnlyMaps17And18AreEmpty) {
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
        EXPECT_EQ(memmap_table[map].may_rotate, map == 22 || map == 23 ? 1 : 0) << map;
    }
}
