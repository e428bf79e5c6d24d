#include "cpu/cpu.h"

#include <gtest/gtest.h>

TEST(CpuState, PageWrapStaysInsideThePage) {
    EXPECT_EQ(page_add(0x1FFF, 1), 0x0000);
    EXPECT_EQ(page_add(0x7FFF, 1), 0x6000);
    EXPECT_EQ(page_add(0x2000, -1), 0x3FFF);
    EXPECT_EQ(page_add(0x4010, 0x20), 0x4030);
}

TEST(CpuState, RegisterFieldZeroIgnoresBankSelect) {
    cpu_psl = PSL_RS;
    EXPECT_EQ(cpu_reg_index(0), 0);
    EXPECT_EQ(cpu_reg_index(1), 4);
    EXPECT_EQ(cpu_reg_index(3), 6);
    cpu_psl = 0;
    EXPECT_EQ(cpu_reg_index(1), 1);
}
