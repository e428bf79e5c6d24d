#include "core/filekinds.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(MachineRegistry, EveryMachineNumberHasARowOfItsOwn) {
    std::set<const MachineOps*> rows;
    for (u32 m = 0; m < MACHINES; m++)
        rows.insert(&machine_ops(m));
    EXPECT_EQ(rows.size(), MACHINES);

    // Numbers out of range get the row of defaults: no operation at all.
    const MachineOps& none = machine_ops(MACHINES);
    EXPECT_EQ(rows.count(&none), 0u);
    EXPECT_EQ(&machine_ops(0xFFFFFFFF), &none);
    EXPECT_FALSE(none.setup || none.reset || none.run_frame || none.serialise || none.map_image ||
                 none.port_read || none.port_write || none.hiscore_row);
    EXPECT_STREQ(file_default_suffix(MACHINES), ".bin");
}

// Each machine, switched to from another, runs its frames through its own row:
// the processor for the machine's clock periods, or no instruction at all on
// the machines without a processor.
TEST(MachineRegistry, EachMachineRunsItsOwnFrame) {
    for (u32 m = 0; m < MACHINES; m++) {
        fresh_state();
        stubprograms = 0;
        const int map = machine_table[m].default_memmap;
        ASSERT_TRUE(machine_switch(static_cast<int>(m), map, true, true, false)) << m;
        ASSERT_EQ(machine, m);
        // BCTA,UN $0000: an endless three-cycle loop.
        guest_memory[0] = 0x1F;
        guest_memory[1] = 0x00;
        guest_memory[2] = 0x00;
        const u32 frames = frame_counter;
        emu_run_frame();
        EXPECT_EQ(frame_counter, frames + 1) << m;
        EXPECT_EQ(in_frame, 0) << m;
        const double clocks = machine_table[m].clocks_per_frame;
        if (m == PONG || m == TYPERIGHT) {
            EXPECT_EQ(cpu_cycles, 0u) << m;
        } else {
            EXPECT_GE(cpu_cycles, static_cast<u32>(clocks)) << m;
            EXPECT_LT(cpu_cycles, static_cast<u32>(clocks) + 9) << m;
        }
    }
    fresh_state();
}

} // namespace
