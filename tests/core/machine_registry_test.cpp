#include "core/filekinds.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"
#include "core/machine_table.h"
#include "core/savestate.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "tests/support/fresh_state.h"
#include "core/user_prefs.h"

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

// Every machine's entry names a row of each kind, and each row holds what the
// framework reads without a test: the suffixes and command texts it prints,
// a frame of its own where there is no processor to run, a panel size where
// there are panel cells, a place for the LED digits the machine has.
TEST(MachineRegistry, EveryMachinesRowsAreComplete) {
    const MachineEntry& none = machine_entry(MACHINES);
    for (u32 m = 0; m < MACHINES; m++) {
        SCOPED_TRACE(testing::Message() << "machine " << m);
        const MachineEntry& e = machine_entry(m);
        ASSERT_TRUE(e.ops && e.view && e.sound && e.debug);
        EXPECT_NE(e.ops, none.ops);
        EXPECT_NE(e.view, none.view);
        EXPECT_NE(e.debug, none.debug);
        EXPECT_EQ(&machine_view(m), e.view);
        EXPECT_EQ(&machine_sound(m), e.sound);
        EXPECT_EQ(&machine_debug(m), e.debug);

        const MachineOps& ops = *e.ops;
        ASSERT_NE(ops.save_suffix, nullptr);
        EXPECT_EQ(ops.save_suffix[0], '.');
        EXPECT_NE(ops.key_routine, nullptr);
        if (ops.old_states_first) {
            EXPECT_LE(ops.old_states_first, ops.old_states_last);
        }
        const MachineDesc& desc = machine_table[m];
        if (desc.traits.no_processor) {
            EXPECT_NE(ops.setup, nullptr);
            EXPECT_NE(ops.run_frame, nullptr);
        }

        const MachineView& view = *e.view;
        if (view.led_panel_cell) {
            EXPECT_NE(view.led_panel_geometry, nullptr);
        }
        if (desc.led_digits > 0) {
            EXPECT_NE(view.led_digit_place, nullptr);
        }

        const MachineDebug& debug = *e.debug;
        ASSERT_NE(debug.object_suffix, nullptr);
        EXPECT_EQ(debug.object_suffix[0], '.');
        ASSERT_NE(debug.object_save_command, nullptr);
        EXPECT_NE(debug.object_save_command[0], '\0');
        if (debug.object_format) {
            EXPECT_NE(debug.object_format->save, nullptr);
        }
        EXPECT_LE(debug.object_gap_start, debug.object_gap_end);
    }
}

// The machine switch points the processor's debugger hooks at the machine's
// own set, or leaves the defaults where its row names none.
TEST(MachineRegistry, TheSwitchInstallsEachMachinesDebuggerHooks) {
    const CpuDebugHooks* defaults = nullptr;
    for (u32 m = 0; m < MACHINES; m++) {
        SCOPED_TRACE(testing::Message() << "machine " << m);
        fresh_state();
        ASSERT_TRUE(machine_switch(static_cast<int>(m), machine_table[m].default_memmap, true, true,
                                   false));
        if (const CpuDebugHooks* own = machine_debug(m).hooks) {
            EXPECT_EQ(cpu_debug_hooks, own);
        } else {
            if (!defaults) {
                cpu_bus_reset();
                defaults = cpu_debug_hooks;
                machine_bus_install();
            }
            EXPECT_EQ(cpu_debug_hooks, defaults);
        }
    }
    fresh_state();
}

// Each machine, switched to from another, runs its frames through its own row:
// the processor for the machine's clock periods, or no instruction at all on
// the machines without a processor. The clock periods are the machines' own
// figures, not read back from the table that the frame reads.
TEST(MachineRegistry, EachMachineRunsItsOwnFrame) {
    const struct {
        u32 m;
        u32 region; // chosen before the switch (only the Arcadia keeps it)
        double clocks;
    } cases[] = {
        {ARCADIA, 1, 17706.0},    {ARCADIA, 0, 14868.5}, {INTERTON, 1, 17706.0},
        {ELEKTOR, 1, 17706.0},    {PIPBUG, 1, 20000.0},  {BINBUG, 1, 20000.0},
        {INSTRUCTOR, 1, 17900.0}, {TWIN, 0, 20800.0},    {CD2650, 0, 19888.0},
        {ZACCARIA, 1, 23608.0},   {PHUNSY, 1, 20032.0},  {PONG, 1, 1.0},
        {SELBST, 1, 20000.0},     {MIKIT, 1, 20000.0},   {TYPERIGHT, 1, 1.0},
        {MALZAK, 1, 23608.0},
    };
    std::set<u32> seen;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "machine " << c.m << ", region " << c.region);
        seen.insert(c.m);
        fresh_state();
        stubprograms = 0;
        // From another machine, so that the switch really sets this one up.
        ASSERT_TRUE(machine_switch(c.m == PIPBUG ? BINBUG : PIPBUG,
                                   machine_table[c.m == PIPBUG ? BINBUG : PIPBUG].default_memmap,
                                   true, true, false));
        emu_region = c.region;
        prefs_user_chose(&emu_region); // the user's video standard
        const int map = machine_table[c.m].default_memmap;
        ASSERT_TRUE(machine_switch(static_cast<int>(c.m), map, true, true, false));
        ASSERT_EQ(machine, c.m);
        EXPECT_EQ(machine_live[c.m].clocks_per_frame, c.clocks);
        // BCTA,UN $0000: an endless three-cycle loop.
        guest_memory[0] = 0x1F;
        guest_memory[1] = 0x00;
        guest_memory[2] = 0x00;
        const u32 frames = frame_counter;
        const u32 cycles = cpu_cycles;
        emu_run_frame();
        emu_run_frame();
        EXPECT_EQ(frame_counter, frames + 2);
        EXPECT_EQ(in_frame, 0);
        const u32 run = cpu_cycles - cycles;
        if (c.m == PONG || c.m == TYPERIGHT) {
            EXPECT_EQ(run, 0u);
        } else {
            // Two frames' worth; an instruction may run over the end of a frame
            // and a half clock period is carried between frames.
            // The Elektor's processor runs 226 of the 227 beam clocks per line.
            const double clocks = c.m == ELEKTOR ? 312 * 226 / 4.0 : c.clocks;
            EXPECT_GE(run, static_cast<u32>(2 * clocks) - 1);
            EXPECT_LT(run, static_cast<u32>(2 * clocks) + 9);
        }
    }
    EXPECT_EQ(seen.size(), MACHINES);
    fresh_state();
}

} // namespace
