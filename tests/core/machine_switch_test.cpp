#include "tests/support/quiet_output.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/notify.h"
#include "input/paddles.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/memory.h"
#include "debugger/debugger.h"
#include "tests/support/fresh_state.h"
#include "display/frame.h"
#include "display/host.h"
#include "machines/coinop.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class MachineSwitch : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        rotatescreen = 1;
        pong_machine = 2;
        std::strcpy(games_path, "/games");
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    }
    void TearDown() override { fresh_state(); }
};

KnownGame row_for(u8 m, u8 map) {
    KnownGame row{};
    row.machine = m;
    row.memmap = map;
    row.sensitivity = 3;
    return row;
}

} // namespace

// Other machines take their own standard (checked with the frame periods below).
TEST_F(MachineSwitch, ArcadiaAndBallAndPaddleKeepTheUsersStandard) {
    emu_region = 0;
    prefs_user_chose(&emu_region);
    ASSERT_TRUE(machine_switch(ARCADIA, 7, false, true, false));
    EXPECT_EQ(emu_region, 0u);
    ASSERT_TRUE(machine_switch(INTERTON, 2, false, true, false));
    EXPECT_EQ(emu_region, 1u); // the Interton only runs at 50 Hz
    emu_region = 0;
    prefs_user_chose(&emu_region);
    ASSERT_TRUE(machine_switch(PONG, 29, false, true, false));
    EXPECT_EQ(emu_region, 0u);
}

TEST_F(MachineSwitch, EmptyAndForeignMemoryMapsAreRefused) {
    ASSERT_TRUE(machine_switch(INTERTON, 1, false, true, false));
    const u32 map = memmap; // a forced switch without a known game lands on the default map
    EXPECT_EQ(map, 3u);
    guest_memory[0x123] = 0x5A;
    const u32 period0 = frame_period_us[0];
    struct Case {
        int m, map;
        const char* says;
    } cases[] = {{0, 17, "empty"},          {0, 18, "empty"},          {0, 31, "does not exist"},
                 {0, -1, "does not exist"}, {15, 6, "does not exist"}, {0, 0, "does not belong"}};
    for (const Case& c : cases) {
        capture_output();
        EXPECT_FALSE(machine_switch(c.m, c.map, true, true, false));
        std::string out = captured_output();
        EXPECT_NE(out.find(c.says), std::string::npos) << out;
        EXPECT_EQ(machine, static_cast<u32>(INTERTON));
        EXPECT_EQ(memmap, map);
        EXPECT_EQ(guest_memory[0x123], 0x5A);
        EXPECT_EQ(frame_period_us[0], period0);
    }
}

TEST_F(MachineSwitch, SameMapWithoutForceStillRebuilds) {
    ASSERT_TRUE(machine_switch(INTERTON, 3, false, true, false));
    emu_region = 0; // as if the user changed it afterwards
    display_aspect = 1;
    port_usage[5] = 3;
    guest_frame[1000] = 2;
    guest_memory[0x1000] = 0x77;
    mem_access[0x10] = ACC_READ;
    ASSERT_TRUE(machine_switch(INTERTON, 3, false, false, false));
    EXPECT_EQ(emu_region, 0u);     // step 3 skipped
    EXPECT_EQ(display_aspect, 1u); // stretch untouched too
    EXPECT_EQ(port_usage[5], 0);
    EXPECT_EQ(guest_frame[1000], GUEST_FRAME_FILL);
    EXPECT_EQ(guest_memory[0x1000], 0); // the set-up ran again
    EXPECT_EQ(mem_access[0x10], 0u);
}

// The beam of the machine before does not stay on its last line: a machine
// without a raster reports its instructions at raster 0.
TEST_F(MachineSwitch, TheBeamStartsAtTheTopOfTheNewMachine) {
    const struct { int m, map; } before[] = {{ARCADIA, 6}, {INTERTON, 3}, {ZACCARIA, 23}};
    for (const auto& b : before)
        for (int after : {PIPBUG, MIKIT}) {
            ASSERT_TRUE(machine_switch(b.m, b.map, true, true, false));
            emu_run_frame();
            ASSERT_NE(raster_line, 0) << b.m;
            ASSERT_TRUE(machine_switch(after, after == PIPBUG ? 9 : 21, true, true, false));
            EXPECT_EQ(raster_line, 0) << b.m << " to " << after;
        }
}

TEST_F(MachineSwitch, NewGameNamesTheBuiltInStateFile) {
    ASSERT_TRUE(machine_switch(ZACCARIA, 23, true, false, false));
    EXPECT_EQ(memmap, 23u); // an unknown game on the coin-op board keeps its map
    EXPECT_STREQ(game_file_name, "Galaxia.cos");
    EXPECT_STREQ(file_name_buffer, "/games/Galaxia.cos");
    ASSERT_TRUE(machine_switch(ELEKTOR, 5, true, false, false));
    EXPECT_STREQ(game_file_name, ""); // no built-in program
}

TEST_F(MachineSwitch, RotationOnlyOnRotatableMaps) {
    ASSERT_TRUE(machine_switch(ZACCARIA, 22, true, false, false));
    EXPECT_EQ(display_rotated, 1);
    rotatescreen = 0;
    ASSERT_TRUE(machine_switch(ZACCARIA, 22, false, true, false));
    EXPECT_EQ(display_rotated, 0);
    rotatescreen = 1;
    ASSERT_TRUE(machine_switch(ZACCARIA, 24, true, false, false));
    EXPECT_EQ(display_rotated, 0);
}

TEST_F(MachineSwitch, ResetReturnsToPowerOn) {
    ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
    for (u8& r : cpu_regs)
        r = 0x11;
    cpu_iar = 0x1234;
    cpu_psu = 0x27;
    cpu_psl = 0xFF;
    cpu_ras[3] = 0x444;
    cpu_cycles = 99999;
    cpu_cycle_budget = -5;
    cpu_irq_pending = 1;
    cpu_irq_level = 2;
    frame_counter = 77;
    for (PortRecord& p : port_records)
        p.last_value = 0x99;
    for (i32& x : paddle_x)
        x = 3;
    for (i32& y : paddle_y)
        y = 3;

    machine_reset();
    for (u8 r : cpu_regs)
        EXPECT_EQ(r, 0);
    EXPECT_EQ(cpu_iar, 0);
    EXPECT_EQ(cpu_psu, PSU_S | PSU_F); // the PIPBUG's serial line idles marking
    EXPECT_EQ(cpu_psl, 0);
    EXPECT_EQ(cpu_ras[3], 0);
    EXPECT_EQ(cpu_cycles, 0u);
    EXPECT_EQ(cpu_cycle_budget, 0);
    EXPECT_EQ(cpu_irq_pending, 0u);
    EXPECT_EQ(cpu_irq_level, CPU_NO_IRQ_LEVEL);
    EXPECT_EQ(cpu_prev_iar, cpu_iar);
    EXPECT_EQ(frame_counter, 0u);
    EXPECT_EQ(port_records[16].last_value, 7); // the PIPBUG's idle teletype port
    EXPECT_EQ(port_records[17].last_value, 0);
    for (i32 x : paddle_x)
        EXPECT_EQ(x, 128);
    for (i32 y : paddle_y)
        EXPECT_EQ(y, 128) << "the ball-and-paddle machine's second bats too";

    ASSERT_TRUE(machine_switch(ELEKTOR, 4, false, true, false));
    machine_reset();
    EXPECT_EQ(port_records[16].last_value, 0);
    for (i32 x : paddle_x)
        EXPECT_EQ(x, machine_live[ELEKTOR].paddle_centre);
}

TEST(VideoLineLength, FourLinesAddUpToTheLength) {
    struct Case {
        int clocks;
        u32 lines[4];
    } cases[] = {{227, {56, 57, 57, 57}}, {226, {56, 57, 56, 57}}, {228, {57, 57, 57, 57}},
                 {225, {56, 56, 57, 56}}, {0, {0, 0, 0, 0}},       {-4, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        video_set_line_length(c.clocks);
        u32 sum = 0;
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(cycles_per_line_table[i], c.lines[i]) << c.clocks << " line " << i;
            sum += cycles_per_line_table[i];
        }
        EXPECT_EQ(static_cast<i32>(sum), c.clocks < 0 ? 0 : c.clocks);
    }
    video_set_line_length(227);
}

TEST_F(MachineSwitch, UnknownGameGetsTheDefaults) {
    fire_button_assign[0] = 9;
    sensitivity_left = 5;
    prefs_user_chose(&sensitivity_left);
    key_remap_six[1][2] = 7;
    machine_live[INTERTON].paddle_min = 12;
    ASSERT_TRUE(machine_switch(INTERTON, 0, true, false, false));
    EXPECT_EQ(memmap, 3u); // a fresh Interton starts on its default map
    EXPECT_EQ(fire_button_assign[0], 2);
    EXPECT_EQ(sensitivity_left, 5); // the user's: an unknown game brings none
    EXPECT_EQ(key_remap_six[1][2], 0);
    EXPECT_EQ(machine_live[INTERTON].paddle_min, 1);
    ASSERT_TRUE(machine_switch(ELEKTOR, 4, true, false, false));
    EXPECT_EQ(memmap, 5u);
}

TEST_F(MachineSwitch, StubProgramsWithoutDatabaseRowsStayUnknown) {
    stubprograms = 1;
    ASSERT_TRUE(machine_switch(ARCADIA, 7, true, false, false));
    EXPECT_EQ(known_game_id, 118); // the stub's row, empty until the database exists
    EXPECT_EQ(memmap, 6u);         // applied as an unknown game: the default map
    stubprograms = 0;
}

TEST_F(MachineSwitch, KnownRowsApplyTheirSettings) {
    KnownGame row = row_for(INTERTON, 1);
    row.swapped = 1;
    row.overlay = 42;
    row.sensitivity = 2;
    known_game_id = 207;
    game_apply_row(row);
    EXPECT_EQ(machine, static_cast<u32>(INTERTON));
    EXPECT_EQ(memmap, 1u);
    EXPECT_EQ(machine_live[INTERTON].paddle_min, 12);
    EXPECT_EQ(swapped, 1u);
    EXPECT_EQ(current_overlay, 42);

    known_game_id = 10;
    game_apply_row(row_for(INTERTON, 1));
    EXPECT_EQ(machine_live[INTERTON].paddle_min, 1);

    KnownGame arcadia = row_for(ARCADIA, 8);
    arcadia.line_length = 230;
    arcadia.variant = 2; // keep the standard
    emu_region = 1;
    game_apply_row(arcadia);
    EXPECT_EQ(emu_region, 1u);
    EXPECT_EQ(line_clocks, 230);

    KnownGame pipbug = row_for(PIPBUG, 10);
    pipbug.variant = 1;       // BIOS version
    pipbug.swapped = 3;       // on the PIPBUG the byte is the baud rate, 3: by BIOS version
    pipbug.line_length = 200; // not a raster machine: ignored
    swapped = 0;
    known_game_id = 462;
    game_apply_row(pipbug);
    EXPECT_EQ(pipbug_baudrate, 1);
    EXPECT_EQ(swapped, 0u);
    EXPECT_EQ(line_clocks, 227);
}

TEST_F(MachineSwitch, FramePeriodsOfEveryMachineInBothStandards) {
    // 60 Hz / 50 Hz periods; a standard a machine never runs in gets 16666 / 20000.
    const u32 expected[MACHINES][2] = {
        {16614, 19967}, {16666, 19967}, {16666, 19967}, {16666, 20000}, {16666, 20000},
        {16666, 20000}, {16666, 20000}, {16815, 20000}, {16666, 20000}, {16666, 20000},
        {16666, 20000}, {16666, 20000}, {16666, 20000}, {16666, 20000}, {16666, 20000}};
    for (u32 m = 0; m < MACHINES; m++) {
        ASSERT_TRUE(machine_switch(static_cast<int>(m), machine_table[m].default_memmap, false,
                                   true, false));
        EXPECT_EQ(frame_period_us[0], expected[m][0]) << machine_table[m].keyword;
        EXPECT_EQ(frame_period_us[1], expected[m][1]) << machine_table[m].keyword;
        if (m != ARCADIA && m != PONG) {
            EXPECT_EQ(emu_region, static_cast<u32>(machine_table[m].default_region));
        }
    }
}

// A built-in board picked in the game list: a new game on its memory map, with
// every part of the interface told; nothing inside a frame or on the same map.
TEST(BuiltInBoard, SwitchesAsANewGameAndTellsTheInterface) {
    fresh_state();
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    ui_take_changes();
    emu_paused_mid_frame = true;
    emu_set_memory_map(ZACCARIA, 22);
    EXPECT_EQ(memmap, 6u);
    emu_paused_mid_frame = false;
    emu_set_memory_map(ARCADIA, 6);
    EXPECT_EQ(ui_take_changes(), 0u);

    emu_set_memory_map(ZACCARIA, 22);
    EXPECT_EQ(machine, ZACCARIA);
    EXPECT_EQ(memmap, 22u);
    const u32 told = ui_take_changes();
    for (u32 mark : {UI_TITLE, UI_MENUS, UI_STATUS, UI_TOOLBAR, UI_OPCODES, UI_REOPEN_WINDOWS})
        EXPECT_TRUE(told & mark) << mark;
    fresh_state();
}
