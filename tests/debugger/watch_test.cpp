// Data watchpoints, port traps and the raster line stop, driven through the
// command interpreter with small guest programs.
#include "core/emu.h"
#include "core/frame.h"
#include "core/io_ports.h"
#include "core/machine.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/optables.h"
#include "debugger/commands.h"
#include "debugger/watch.h"
#include "tests/debugger/debugger_fixture.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

namespace {

class WatchTest : public DebuggerTest {
  protected:
    void SetUp() override {
        DebuggerTest::SetUp();
        pausebreak = 1;
        cpu_host.event_pass = nullptr; // a stop pauses without waiting for the user
    }
    // Places the program at $0100 and runs `count` instructions from there;
    // returns what they printed.
    static std::string execute(std::initializer_list<u8> program, int count) {
        u32 at = 0x100;
        for (u8 b : program)
            guest_memory[at++] = b;
        cpu_iar = 0x100;
        emu_paused = false;
        captured.clear();
        for (int i = 0; i < count; i++) {
            if (!cpu_check_breakpoint()) cpu_execute_one();
        }
        return captured;
    }
};

constexpr u8 LODI_R0 = 0x04, STRA_R0 = 0xCC, LODA_R0 = 0x0C, LODI_R1 = 0x05;
constexpr u8 WRTD_R0 = 0xF0, REDD_R0 = 0x70, WRTE_R0 = 0xD4, REDE_R0 = 0x54;

TEST_F(WatchTest, MemoryWritesStopByWatchWritesSetting) {
    struct Case {
        const char* ww;
        u8 before, written;
        bool stops;
    };
    const Case cases[] = {
        {"WW ALL", 0x42, 0x42, true},  {"WW SOME", 0x42, 0x42, false},
        {"WW SOME", 0x41, 0x42, true}, {"WW NONE", 0x41, 0x42, false},
        {"WW ALL", 0x41, 0x42, true},
    };
    EXPECT_EQ(run("WP 1F00"), "Added data watchpoint at $1F00.\n\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.ww) + " writing " + std::to_string(c.written));
        EXPECT_EQ(run(c.ww), "OK.\n\n");
        guest_memory[0x1F00] = c.before;
        const std::string said = execute({LODI_R0, c.written, STRA_R0, 0x1F, 0x00}, 2);
        EXPECT_EQ(said.find("is writing $42") != std::string::npos, c.stops) << said;
        EXPECT_EQ(emu_paused, c.stops);
        EXPECT_EQ(guest_memory[0x1F00], c.written);
    }
}

TEST_F(WatchTest, MaskedWatchFiresOnlyWhenItsBitsFlipAndOnReads) {
    EXPECT_EQ(run("WP 1F00:80"), "Added data watchpoint at $1F00 (bits %10000000 only).\n\n");
    guest_memory[0x1F00] = 0x01;
    EXPECT_EQ(execute({LODI_R0, 0x7F, STRA_R0, 0x1F, 0x00}, 2), "") << "bit 7 stays clear";
    EXPECT_FALSE(emu_paused);
    EXPECT_NE(execute({LODI_R0, 0x80, STRA_R0, 0x1F, 0x00}, 2).find("is writing $80"),
              std::string::npos);
    EXPECT_TRUE(emu_paused);
    EXPECT_NE(execute({LODA_R0, 0x1F, 0x00}, 1).find("is reading $80"), std::string::npos);
    EXPECT_EQ(run("WR"), "Watch reads off.\n\n");
    EXPECT_EQ(execute({LODA_R0, 0x1F, 0x00}, 1), "");
    EXPECT_EQ(run("WL"), "$1F00 (bits %10000000 only)\n\n");
}

TEST_F(WatchTest, ConditionalAndRegisterWatches) {
    EXPECT_EQ(run("WP 1F00 r0 == 42"), "Added data watchpoint at $1F00 when R0 == $42.\n\n");
    EXPECT_EQ(execute({LODI_R0, 0x41, STRA_R0, 0x1F, 0x00}, 2), "");
    EXPECT_NE(execute({LODI_R0, 0x42, STRA_R0, 0x1F, 0x00}, 2).find("is writing $42"),
              std::string::npos);

    EXPECT_EQ(run("WP R1"), "Added data watchpoint at R1.\n\n");
    EXPECT_NE(execute({LODI_R1, 0x33}, 1), "");
    EXPECT_TRUE(emu_paused);
    EXPECT_EQ(run("WP PSU"), "Valid range is $0000..$7FFF and Register 0..Register 6!\n\n");
    EXPECT_EQ(run("WP 1F00 r0 == 42"), "Watchpoint is already set!\n\n");
    EXPECT_EQ(run("WL"), "$1F00 when R0 == $42\nR1\n\n");
    EXPECT_EQ(run("WC 1F01"), "Watchpoint not found at $1F01!\n\n");
    EXPECT_EQ(run("WC R1"), "Cleared data watchpoint at R1.\n\n");
    EXPECT_EQ(run("WP 10 1F"), "OK.\n\n");
    EXPECT_TRUE(mem_attributes[0x1F] & MEM_WATCH);
    EXPECT_EQ(run("WP 20 10"), run("WP ?"));
    EXPECT_EQ(run("WC"), "Cleared all data watchpoints.\n\n");
    EXPECT_EQ(run("WC"), "No watchpoints to clear!\n\n");
    EXPECT_EQ(run("WL"), "None.\n\n");
    watchreads = watchwrites = 0;
    EXPECT_EQ(run("WP 300"), "Warning: watching of reads and writes is currently turned off! "
                             "(WR and WW to enable.)\nAdded data watchpoint at $300.\n\n");
}

TEST_F(WatchTest, PortTrapsStopWithTheirMessages) {
    EXPECT_EQ(run("IP 100"), "Added I/O port watchpoint on I/O control port.\n\n");
    EXPECT_EQ(run("IP 101 101 == D"),
              "Added I/O port watchpoint on I/O data port when $101 == CR.\n\n");
    EXPECT_EQ(run("IP 7"), "Added I/O port watchpoint on I/O extended port $07.\n\n");

    cpu_regs[0] = 0x41;
    port_records[IO_DATA_PORT].last_value = 0x0C;
    EXPECT_EQ(execute({WRTD_R0}, 1), "") << "data port's last value is not $0D";
    port_records[IO_DATA_PORT].last_value = 0x0D;
    EXPECT_EQ(execute({WRTD_R0}, 1), "Handled write of $41 ('A') to I/O data port at address "
                                     "$100. Previous value was $0D.\n\n");
    EXPECT_TRUE(emu_paused);
    EXPECT_EQ(port_records[IO_DATA_PORT].last_value, 0x41);

    EXPECT_EQ(execute({REDE_R0, 0x07}, 1),
              "Handled read of $00 (NUL) from extended I/O port $07 at address $100.\n\n");
    EXPECT_EQ(port_usage[7], 2);
    EXPECT_EQ(run("IL"), "I/O extended port $07\nI/O control port\nI/O data port when $101 == "
                         "CR\n\n");
    EXPECT_EQ(run("IC 7"), "Cleared I/O port watchpoint on I/O extended port $07.\n\n");
    EXPECT_EQ(run("IC 7"), "I/O port watchpoint not found on I/O extended port $07.\n\n");
    cpu_regs[0] = 0x0C;
    EXPECT_EQ(execute({WRTE_R0, 0x07}, 1), "");
    EXPECT_EQ(port_records[7].last_value, 0x0C) << "an unwatched port keeps its last value too";
}

TEST_F(WatchTest, PortTrapMasksAndWatchWritesSome) {
    EXPECT_EQ(run("IP 21:c0h"), "Added I/O port watchpoint on I/O extended port $21 (bits "
                                "%11000000 only).\n\n");
    EXPECT_EQ(run("IC 21"), "Cleared I/O port watchpoint on I/O extended port $21.\n\n");
    EXPECT_EQ(run("IP 20:01"), "Added I/O port watchpoint on I/O extended port $20 (bits "
                               "%00000001 only).\n\n");
    run("WW SOME");
    cpu_regs[0] = 0x02;
    EXPECT_EQ(execute({WRTE_R0, 0x20}, 1), "") << "bit 0 unchanged";
    EXPECT_EQ(execute({WRTE_R0, 0x20}, 1), "") << "same value with WW SOME";
    cpu_regs[0] = 0x03;
    EXPECT_EQ(execute({WRTE_R0, 0x20}, 1)
                  .rfind("Handled write of $03 (ETX) to extended I/O "
                         "port $20",
                         0),
              0u);
}

TEST_F(WatchTest, AllPortsTrappedAndClearedAtOnce) {
    EXPECT_EQ(run("IP"), "OK.\n\n");
    for (const PortRecord& p : port_records)
        EXPECT_EQ(p.watched, 1);
    EXPECT_EQ(run("IC"), "Cleared all I/O port watchpoints.\n\n");
    for (const PortRecord& p : port_records)
        EXPECT_EQ(p.watched, 0);
    EXPECT_EQ(run("IC"), "No watchpoints to clear!\n\n");
    EXPECT_EQ(run("IL"), "None.\n\n");
    EXPECT_EQ(run("IP 10 12"), "OK.\n\n");
    EXPECT_EQ(port_records[0x11].watched, 1);
    EXPECT_EQ(port_records[0x13].watched, 0);
    EXPECT_EQ(run("IC 10 12"), "OK.\n\n");
    EXPECT_EQ(port_records[0x11].watched, 0);
}

TEST_F(WatchTest, BadPortTrapsAreRefusedAndSetNothing) {
    const Answer cases[] = {
        {"IP 102", "Valid range is $0..$101!\n\n"},
        {"IP -1", "Valid range is $0..$101!\n\n"},
        {"IP 5:1FF", "Mask is out of range!\n"},
        {"IP 5:zz", "Mask is out of range!\n"},  // no number at all
        {"IP 5:1-2", "Mask is out of range!\n"}, // a number with more after it
        {"IP 5:-", "Mask is out of range!\n"},
        {"IP 5:1000000FF", "Mask is out of range!\n"}, // too large, whatever its low bits
        {"IP 5 1F00 == 3", "Conditional token is out of range!\n\n"},
        {"IP 5 6 == -1", "Conditional value is out of range!\n\n"},
        {"IP 4 6 1F00 == 3", "Conditional token is out of range!\n\n"},
        {"IC 102", "Valid range is $0..$101!\n\n"},
        {"IC -1", "Valid range is $0..$101!\n\n"},
    };
    for (const Answer& c : cases) {
        EXPECT_EQ(run(c.line), c.answer) << c.line;
        for (u32 p = 0; p < PORT_COUNT; p++)
            ASSERT_EQ(port_records[p].watched, 0) << c.line << " set port " << p;
    }
}

TEST_F(WatchTest, RasterLineStop) {
    EXPECT_EQ(run("R R"), "Wrong guest machine!\n\n") << "PIPBUG has no raster timing";
    EXPECT_EQ(run("R 20"), "Wrong guest machine!\n\n");
    machine = ARCADIA;
    struct Case {
        const char* line;
        i32 current, target;
    };
    const Case cases[] = {{"R R", 40, 41}, {"R r", 311, 0}, {"R 20", 0, 20}};
    for (const Case& c : cases) {
        raster_line = c.current;
        emu_paused = true;
        EXPECT_EQ(run(c.line), "") << c.line;
        EXPECT_EQ(raster_break_line, c.target) << c.line;
        EXPECT_FALSE(emu_paused) << c.line;
    }
    raster_break_line = 100;
    raster_line = 99;
    captured.clear();
    dbg_check_raster_breakpoint();
    EXPECT_EQ(captured, "");
    EXPECT_FALSE(emu_paused);
    raster_line = 100;
    dbg_check_raster_breakpoint();
    EXPECT_EQ(captured, "Reached raster line 100.\n\n");
    EXPECT_TRUE(emu_paused);
    EXPECT_EQ(raster_break_line, RASTER_NO_BREAK) << "a pause clears the run targets";
}

// The frames of the raster machines check the stop line by line.
TEST_F(WatchTest, RasterMachinesStopAtTheLine) {
    const struct { u32 machine, map; } boards[] = {{ARCADIA, 6}, {INTERTON, 3}, {ELEKTOR, 5}};
    for (const auto& b : boards) {
        ASSERT_TRUE(machine_switch(static_cast<int>(b.machine), static_cast<int>(b.map), false,
                                   false, false))
            << b.machine;
        emu_paused = false;
        raster_break_line = 100;
        captured.clear();
        emu_run_frame();
        EXPECT_EQ(captured, "Reached raster line 100.\n\n") << b.machine;
        EXPECT_TRUE(emu_paused) << b.machine;
        EXPECT_EQ(raster_break_line, RASTER_NO_BREAK) << b.machine;
    }
}

// A step asked for and not yet taken is a run target too: a pause, a machine
// reset or a switch drops it, and the next run does not stop after one
// instruction.
TEST_F(WatchTest, APendingStepGoesWithTheOtherRunTargets) {
    const struct {
        const char* what;
        void (*drop)();
    } cases[] = {
        {"pause", [] { emu_pause(PauseCause::user); }},
        {"reset", [] { machine_reset(); }},
        {"switch", [] { ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false)); }},
    };
    for (const auto& c : cases) {
        fresh_cpu(PIPBUG, 0);
        cpu_host.event_pass = nullptr;
        emu_paused = false;
        dbg_single_step = 1;
        c.drop();
        EXPECT_EQ(dbg_single_step, 0u) << c.what;
        execute({LODI_R0, 1, LODI_R0, 2}, 2);
        EXPECT_EQ(cpu_regs[0], 2) << c.what;
        EXPECT_FALSE(emu_paused) << c.what;
    }
}

TEST_F(WatchTest, CharacterNamesOfTrappedValues) {
    struct Case {
        u8 value;
        const char* name;
    };
    const Case cases[] = {{0, "NUL"},   {12, "ZFF"}, {31, "US"},   {'A', "'A'"},
                          {127, "DEL"}, {128, "NC"}, {129, "Brk"}, {130, "HI"},
                          {149, "MW"},  {164, "CQ"}, {165, "ELL"}, {0xE9, "'\xC3\xA9'"}};
    for (const Case& c : cases) {
        char out[8];
        EXPECT_STREQ(dbg_char_name(c.value, out), c.name) << int(c.value);
    }
}

} // namespace
