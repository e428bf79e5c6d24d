// Breakpoint and watch conditions, time units, the address formatter and the
// guest character conversion.
#include "core/emu.h"
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
    EXPECT_EQ(test(MEM_REG_BASE + 0, COND_EQ, 1), 1);
    EXPECT_EQ(test(MEM_REG_BASE + 6, COND_EQ, 6), 1);
    EXPECT_EQ(test(MEM_REG_BASE + 7, COND_EQ, 0xA5), 1);
    EXPECT_EQ(test(MEM_REG_BASE + 8, COND_EQ, 0x80), 1);
    EXPECT_EQ(test(MEM_REG_BASE + 9, COND_EQ, 5), 1);
    EXPECT_EQ(test(MEM_REG_BASE + 10, COND_EQ, 2), 1);
    EXPECT_EQ(test(MEM_REG_BASE + 11, COND_EQ, 0x1234), 1);
    EXPECT_EQ(test(MEM_REG_BASE + 17, COND_EQ, 0x0777), 1);
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

TEST_F(ConditionsTest, ClocksToUnits) {
    EXPECT_EQ(dbg_clocks_to_units(300), 100u);
    dbg_time_unit = 1;
    EXPECT_EQ(dbg_clocks_to_units(300), 300u);
    dbg_time_unit = 2;
    dbg_pixels_per_clock = 2;
    EXPECT_EQ(dbg_clocks_to_units(300), 600u);
    dbg_time_unit = 3;
    EXPECT_EQ(dbg_clocks_to_units(300), 0u);
}

std::string format(u32 address, int plain) {
    char out[DBG_ADDRESS_TEXT_SIZE];
    EXPECT_EQ(dbg_format_address(address, out, 1, 0, 15, plain), 0);
    return out;
}

TEST_F(ConditionsTest, FormatAddress) {
    EXPECT_EQ(format(0x1F00, 1), "$1F00");
    EXPECT_EQ(format(0, 1), "$0");
    dis_notation = NOTATION_NEW_CALM;
    EXPECT_EQ(format(0x1F00, 1), "$1F00");
    EXPECT_EQ(format(0x1F00, 0), "16'1F00");
    dis_notation = NOTATION_IEEE;
    EXPECT_EQ(format(0x7FFF, 0), "H'7FFF");
    EXPECT_EQ(format(MEM_REG_BASE + 2, 1), ".2");
    dis_notation = NOTATION_SIGNETICS;
    EXPECT_EQ(format(0x12, 0), "$12");
    EXPECT_EQ(format(MEM_REG_BASE + 11, 1), "IAR");
    machine = PONG; // no processor
    EXPECT_EQ(format(0x1F00, 1), "");
}

TEST_F(ConditionsTest, GuestCharacters) {
    machine = PIPBUG;
    EXPECT_EQ(dbg_guest_char_to_ascii('A'), 'A');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x0D), 183);
    EXPECT_EQ(dbg_guest_char_to_ascii(0x85), 183);
    EXPECT_EQ(dbg_guest_char_to_ascii(0xE9), 0xE9);
    machine = CD2650;
    EXPECT_EQ(dbg_guest_char_to_ascii(0x00), '@');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x01), 'A');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x1C), ' ');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x1D), ']');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x31), '1');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x5A), 'Z');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x61), 'a');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x7F), '_');
    EXPECT_EQ(dbg_guest_char_to_ascii(0xC1), 'A'); // code AND 127
    machine = MALZAK;
    EXPECT_EQ(dbg_guest_char_to_ascii(0xC1), 'A');
    EXPECT_EQ(dbg_guest_char_to_ascii(0x85), ' ');
    machine = INTERTON;
    EXPECT_EQ(dbg_guest_char_to_ascii('A'), 183);
}

} // namespace
