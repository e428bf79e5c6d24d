#include "core/io_ports.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class IoPorts : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        ASSERT_TRUE(machine_switch(ARCADIA, 6, false, true, false));
        std::memset(port_usage, 0, sizeof port_usage);
    }
    void TearDown() override { fresh_state(); }
};

} // namespace

TEST_F(IoPorts, IdentificationPortsAnswerOnEveryMachine) {
    for (auto [m, map] : {std::pair{ARCADIA, 6}, {PIPBUG, 9}, {ZACCARIA, 24}, {TYPERIGHT, 30}}) {
        ASSERT_TRUE(machine_switch(m, map, false, true, false));
        EXPECT_EQ(io_read_port(111), 0x55) << m;
        EXPECT_EQ(io_read_port(112), 0x02) << m;
        EXPECT_EQ(io_read_port(113), 0x36) << m;
        EXPECT_EQ(io_read_port(114), 0x40) << m;
        EXPECT_EQ(port_usage[111], 2) << m; // traced as a read
        EXPECT_EQ(port_usage[110], 0) << m;
    }
}

TEST_F(IoPorts, Port115FollowsTheProcessorClock) {
    cpu_cycles = 3 * 0x1234;
    EXPECT_EQ(io_read_port(115), 0x34);
    cpu_cycles += 3 * 5;
    EXPECT_EQ(io_read_port(115), 0x39);
    cpu_cycles = 0xFFFFFFFFu; // unsigned division
    EXPECT_EQ(io_read_port(115), static_cast<u8>(0xFFFFFFFFu / 3));
}

TEST_F(IoPorts, WithoutIdentificationThePortsAreOrdinary) {
    identifyemulator = 0;
    for (u32 port : {111u, 112u, 113u, 114u, 115u, 0u, 255u, IO_CONTROL_PORT, IO_DATA_PORT}) {
        cpu_cycles = 300;
        EXPECT_EQ(io_read_port(port), 0) << port;
        EXPECT_EQ(port_usage[port], 2) << port;
    }
}

TEST_F(IoPorts, WritesOnAMachineWithoutPortsOnlyLeaveAUsageMark) {
    ASSERT_TRUE(machine_switch(INTERTON, 3, false, true, false));
    guest_memory[0x1E80] = 0x12;
    u8 memory_before[GUEST_MEMORY_SIZE];
    std::memcpy(memory_before, guest_memory, sizeof memory_before);
    io_write_port(IO_DATA_PORT, 0xAB);
    io_write_port(0x1E, 0xCD);
    EXPECT_EQ(port_usage[IO_DATA_PORT], 1);
    EXPECT_EQ(port_usage[0x1E], 1);
    EXPECT_EQ(std::memcmp(memory_before, guest_memory, sizeof memory_before), 0);
    EXPECT_EQ(io_read_port(IO_DATA_PORT), 0);
    EXPECT_EQ(port_usage[IO_DATA_PORT], 3); // written and read
}

TEST_F(IoPorts, PortNumbersOutOfRangeAreIgnored) {
    u8 usage_before[IO_PORTS];
    std::memcpy(usage_before, port_usage, sizeof usage_before);
    EXPECT_EQ(io_read_port(IO_PORTS), 0);
    EXPECT_EQ(io_read_port(0xFFFFFFFFu), 0);
    io_write_port(1000, 0x42);
    EXPECT_EQ(std::memcmp(usage_before, port_usage, sizeof usage_before), 0);
}
