// What the interpreter shows the debugger (register watches see exactly the
// operands that go through the register accessors; breakpoints stop before the
// instruction) and the machine-specific behaviour built into single
// instructions.
#include "exec_fixture.h"

#include "core/message.h"

using ExecHooks = ExecTest;

TEST_F(ExecHooks, RegisterReadWatchSeesOnlyTheWatchedOperands) {
    pausebreak = 0;
    watchreads = 1;
    watchwrites = 0;
    mem_attributes[MEM_REG_BASE + 1] |= MEM_WATCH;
    // EORZ r1, COMZ r1, STRR r1 read through the watch;
    // LODZ r1, SUBZ r1, ADDI r1, BDRR r1 read r1 directly.
    load(0, {0x21, 0xE1, 0xC9, 0x10, 0x01, 0xA1, 0x85, 0x01, 0xF9, 0x00});
    cpu_regs[1] = 0x22;
    OutputCapture out;
    steps(7);
    const std::string text = out.text();
    EXPECT_EQ(count_of(text, "is reading $22"), 3);
    EXPECT_EQ(count_of(text, "is reading"), 3);
    EXPECT_EQ(count_of(text, "Instruction at $0 (raster 0) is reading $22"), 1);
    EXPECT_EQ(count_of(text, "Instruction at $2 (raster 0) is reading $22"), 1);
}

// The plain absolute and immediate forms see a watch on their register on
// every run, the first as fetched afresh and the later ones with their fetch
// marked.
TEST_F(ExecHooks, RegisterWatchesSeeThePlainFormsOnEveryRun) {
    pausebreak = 0;
    watchreads = 1;
    watchwrites = 2;
    mem_attributes[MEM_REG_BASE + 1] |= MEM_WATCH;
    // LODA r1,$0200 ; STRA r1,$0201 ; COMA r1,$0200 ; ADDA r1,$0200 ;
    // COMI r1,$0A ; ADDI r1,$01 ; BCTA,un $0000
    load(0, {0x0D, 0x02, 0x00, 0xCD, 0x02, 0x01, 0xED, 0x02, 0x00, 0x8D, 0x02, 0x00, 0xE5, 0x0A,
             0x85, 0x01, 0x1F, 0x00, 0x00});
    guest_memory[0x0200] = 0x05;
    OutputCapture out;
    steps(21);
    const std::string text = out.text();
    EXPECT_EQ(count_of(text, "is reading $5"), 6);
    EXPECT_EQ(count_of(text, "is writing $5"), 3);
    EXPECT_EQ(count_of(text, "is writing $A"), 3);
    EXPECT_EQ(count_of(text, "is reading $A"), 3);
    EXPECT_EQ(count_of(text, "is writing $B"), 3);
    EXPECT_EQ(guest_memory[0x0201], 0x05);
    EXPECT_EQ(cpu_regs[1], 0x0B);
}

TEST_F(ExecHooks, RegisterWriteWatchSkipsIndexUpdates) {
    pausebreak = 0;
    watchwrites = 2;
    mem_attributes[MEM_REG_BASE + 1] |= MEM_WATCH;
    load(0, {0x05, 0x07, 0x0D, 0x21, 0x00}); // LODI r1,7 ; LODA r0,$0100,r1,+
    OutputCapture out;
    steps(2);
    EXPECT_EQ(cpu_regs[1], 8);
    EXPECT_EQ(count_of(out.text(), "is writing $7"), 1);
    EXPECT_EQ(count_of(out.text(), "is writing"), 1);
}

static u32 cycles_at_message = 0xFFFFFFFF;
static void note_cycles() {
    if (cycles_at_message == 0xFFFFFFFF) cycles_at_message = cpu_cycles;
}

TEST_F(ExecHooks, BreakpointIsCheckedBeforeTheInstruction) {
    pausebreak = 0;
    load(0x0100, {0x04, 0x11});
    mem_attributes[0x0100] |= MEM_BREAKPOINT;
    cpu_iar = 0x0100;
    cycles_at_message = 0xFFFFFFFF;
    con_event_hook = note_cycles;
    OutputCapture out;
    cpu_cycle_budget = 6;
    cpu_run_cycles();
    con_event_hook = nullptr;
    EXPECT_NE(out.text().find("Hit code breakpoint at $100!"), std::string::npos);
    EXPECT_EQ(cycles_at_message, 0u);
    EXPECT_EQ(cpu_regs[0], 0x11);
}

TEST_F(ExecHooks, InstructorWrtcEntersTheMonitor) {
    machine = INSTRUCTOR;
    memmap = 14;
    machine_bus_install();
    run_steps({{0x0200, {0xB0}, {}, 6, {{IAR, 0x1800}}}});
    EXPECT_EQ(port_records[0xFC].last_value, 0x01);
    EXPECT_EQ(port_records[0xFD].last_value, 0x02);
}

TEST_F(ExecHooks, PipbugFlagLowStartsTheSerialTransmitter) {
    machine = PIPBUG;
    memmap = 9;
    machine_bus_install();
    serial_bit_cycles = 208;
    teletype_tx_state = 0;
    load(0, {0x76, 0x40, 0x74, 0x40});
    steps(1); // PPSU $40: FLAG high, nothing starts
    EXPECT_EQ(teletype_tx_state, 0);
    steps(1); // CPSU $40: the start bit
    EXPECT_EQ(teletype_tx_state, 1);
    EXPECT_EQ(teletype_tx_due, 18u + 208u + 104u);
    teletype_tx_state = 0;
}

// With the fast serial input the BIOS's LODA at $0369 reads the whole character.
TEST_F(ExecHooks, BinbugFastSerialInputSkipsTheLoad) {
    machine = BINBUG;
    machine_bus_install();
    binbug_biosversion = 2;
    binbug_baudrate = 3;
    const std::vector<u8> loda = {0x0D, 0x05, 0x00}; // LODA r1,$0500
    guest_memory[0x0500] = 0x77;
    run_steps(
        {{0x0369, loda, {{R(2), 2}}, 12, {{R(0), 0x0A}, {R(1), 0x00}}},
         {0x0369, loda, {{R(2), 5}, {PSL, CC_NEGATIVE}}, 12, {{R(0), 0x0A}, {CC, CC_NEGATIVE}}}});
    binbug_baudrate = 0; // elsewhere the normal load
    run_steps({{0x0369, loda, {}, 12, {{R(1), 0x77}}}});
}
