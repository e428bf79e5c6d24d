// Breakpoint and watch conditions, time units, the address formatter and the
// guest character conversion.
#include "core/emu.h"
#include "core/machine.h"
#include "cpu/optables.h"
#include "debugger/debugger.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class ConditionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        machine = PIPBUG;
        machine_bus_install();
    }
    void TearDown() override { fresh_state(); }

    static int test(u32 target, u8 condition, u16 value) {
        return dbg_test_condition(WatchCondition{target, condition, value}, 0, 0, 0);
    }
};

TEST_F(ConditionsTest, TheEightComparisonsOnAMemoryByte) {
    guest_memory[0x0300] = 0x40;
    struct Case {
        u8 condition;
        u16 value;
        int expected;
    };
    const Case cases[] = {
        {COND_ALWAYS, 0x99, 1}, {COND_LT, 0x41, 1},   {COND_LT, 0x40, 0}, {COND_LE, 0x40, 1},
        {COND_LE, 0x3F, 0},     {COND_EQ, 0x40, 1},   {COND_EQ, 0x41, 0}, {COND_NE, 0x41, 1},
        {COND_NE, 0x40, 0},     {COND_GE, 0x40, 1},   {COND_GE, 0x41, 0}, {COND_GT, 0x3F, 1},
        {COND_GT, 0x40, 0},     {COND_CHANGED, 0, 1}, {8, 0x40, 0},       {255, 0x40, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test(0x0300, c.condition, c.value), c.expected)
            << "condition " << int(c.condition) << " value " << c.value;
    guest_memory[0x0300] = 0xF0; // comparisons are unsigned
    EXPECT_EQ(test(0x0300, COND_GT, 0x10), 1);
    EXPECT_EQ(test(0x0300, COND_LT, 0x100), 1); // a 16-bit value above every byte
}

TEST_F(ConditionsTest, ConditionSevenWithAndWithoutNewValue) {
    guest_memory[0x0400] = 0x0F;
    const WatchCondition c{0x0400, COND_CHANGED, 0x81};
    EXPECT_EQ(dbg_test_condition(c, 0x0F, 0, 0), 1); // no new value: always
    EXPECT_EQ(dbg_test_condition(c, 0xF0, 0, 0), 1);
    EXPECT_EQ(dbg_test_condition(c, 0x0F, 1, 0), 0); // nothing changes
    EXPECT_EQ(dbg_test_condition(c, 0x0E, 1, 0), 1); // bit 0 changes
    EXPECT_EQ(dbg_test_condition(c, 0x1F, 1, 0), 0); // only bit 4 changes
    EXPECT_EQ(dbg_test_condition(c, 0x8F, 1, 0), 1); // bit 7 changes
}

TEST_F(ConditionsTest, RegisterPseudoAddresses) {
    cpu_regs[0] = 1;
    cpu_regs[6] = 6;
    cpu_psu = 0xA5; // SP 5
    cpu_psl = 0x80; // CC negative
    cpu_iar = 0x1234;
    cpu_ras[5] = 0x0777;
    // r0, r6, PSU, PSL, SP, CC, IAR, RAS5
    const u32 rows[][2] = {{0, 1}, {6, 6},  {7, 0xA5},    {8, 0x80},
                           {9, 5}, {10, 2}, {11, 0x1234}, {17, 0x0777}};
    for (const auto& r : rows)
        EXPECT_EQ(test(MEM_REG_BASE + r[0], COND_EQ, static_cast<u16>(r[1])), 1) << r[0];
    EXPECT_EQ(test(MEM_REG_BASE + 11, COND_GT, 0x1233), 1);
}

TEST_F(ConditionsTest, PortMode) {
    port_records[257].last_value = 0x33;
    guest_memory[257] = 0x00;
    const WatchCondition c{257, COND_EQ, 0x33};
    EXPECT_EQ(dbg_test_condition(c, 0, 0, 1), 1);
    EXPECT_EQ(dbg_test_condition(c, 0, 0, 0), 0);                                // memory byte 257
    EXPECT_EQ(dbg_test_condition(WatchCondition{9999, COND_EQ, 0}, 0, 0, 1), 1); // no such port
}

std::string format(u32 address, int plain) {
    char out[DBG_ADDRESS_TEXT_SIZE];
    // Register pseudo-addresses name themselves (kind 'R'); no label is known otherwise.
    EXPECT_EQ(dbg_format_address(address, out, 1, 0, 15, plain), address >= MEM_REG_BASE ? 'R' : 0);
    return out;
}

// Time units, the address formatter per notation and guest characters per machine.
TEST_F(ConditionsTest, UnitsAddressesAndGuestCharacters) {
    EXPECT_EQ(dbg_clocks_to_units(300), 100u); // processor cycles
    dbg_time_unit = 2;
    dbg_pixels_per_clock = 2;
    EXPECT_EQ(dbg_clocks_to_units(300), 600u);
    dbg_time_unit = 3;
    EXPECT_EQ(dbg_clocks_to_units(300), 0u);

    EXPECT_EQ(format(0, 1), "$0");
    dis_notation = NOTATION_NEW_CALM;
    EXPECT_EQ(format(0x1F00, 1), "$1F00");
    EXPECT_EQ(format(0x1F00, 0), "16'1F00");
    dis_notation = NOTATION_IEEE;
    EXPECT_EQ(format(0x7FFF, 0), "H'7FFF");
    EXPECT_EQ(format(MEM_REG_BASE + 2, 1), ".2");
    dis_notation = NOTATION_SIGNETICS;
    EXPECT_EQ(format(MEM_REG_BASE + 11, 1), "IAR");
    machine = PONG; // no processor
    machine_bus_install();
    EXPECT_EQ(format(0x1F00, 1), "");

    const struct {
        u32 machine;
        u8 code;
        int shown;
    } chars[] = {
        {PIPBUG, 'A', 'A'},   {PIPBUG, 0x0D, 183}, {PIPBUG, 0x85, 183}, {PIPBUG, 0xE9, 0xE9},
        {CD2650, 0x00, '@'},  {CD2650, 0x1C, ' '}, {CD2650, 0x1D, ']'}, {CD2650, 0x61, 'a'},
        {CD2650, 0x7F, '_'},  {CD2650, 0xC1, 'A'}, {MALZAK, 0xC1, 'A'}, {MALZAK, 0x85, ' '},
        {INTERTON, 'A', 183},
    };
    for (const auto& c : chars) {
        machine = c.machine;
        machine_bus_install();
        EXPECT_EQ(dbg_guest_char_to_ascii(c.code), c.shown) << c.machine << " " << int(c.code);
    }
}

} // namespace
