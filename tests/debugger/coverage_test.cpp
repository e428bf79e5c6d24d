// COVER and CLEARCOV through the command interpreter.
#include "core/io_ports.h"
#include "core/machine.h"
#include "cpu/memory.h"
#include "machines/pvi2636.h"
#include "tests/debugger/debugger_fixture.h"

#include <gtest/gtest.h>

namespace {
class CoverageTest : public DebuggerTest {};
} // namespace

TEST_F(CoverageTest, ArgumentsAreChecked) {
    expect_answers({{"COVER 6", "<reporttype> must be 0..5!\n"},
                    {"COVER -1", "<reporttype> must be 0..5!\n"},
                    {"COVER x", "<reporttype> must be 0..5!\n"},
                    {"COVER 1 2", "Usage: COVER [<reporttype>]\n\n"}});
}

TEST_F(CoverageTest, AccessedBytesMergeIntoRanges) {
    mem_access[0x0400] = mem_access[0x0401] = mem_access[0x0402] = ACC_WRITTEN;
    mem_access[0x0403] = ACC_OPCODE | ACC_READ;
    mem_access[0x0404] = ACC_OPCODE | ACC_READ | ACC_BRANCH; // marks are no access kind
    mem_access[0x0410] = ACC_INDIRECT;
    EXPECT_EQ(run("COVER 1"), "Accessed bytes:\n"
                              "----W: $0400..$0402\n"
                              "-E-R-: $0403..$0404\n"
                              "A----: $0410\n\n");
    port_usage[IO_DATA_PORT] = 2;
    port_usage[0x10] = port_usage[0x11] = 1;
    EXPECT_EQ(run("COVER 2"), "I/O port accesses:\n---R-: Data\n----W:  $010.. $011\n\n");
    mem_access[0x0420] = ACC_CALL | (2u << ACC_DEPTH_SHIFT);
    mem_access[0x0430] = ACC_LOOP_TARGET;
    EXPECT_EQ(run("COVER 3"),
              "Branches and subroutine calls:\nC---: $404\n-S--:   $420\n\n");
    EXPECT_EQ(run("COVER 4"), "Loops:\nS-: $430\n\n");
    // No video chip: report 5 alone is refused, COVER leaves it out.
    EXPECT_EQ(run("COVER 5"), "Wrong guest machine!\n\n");
    const std::string all = run("COVER");
    EXPECT_NE(all.find("Loops:\nS-: $430\n\n"), std::string::npos) << all;
    EXPECT_EQ(all.find("PVI accesses"), std::string::npos);
    EXPECT_EQ(all.find("Wrong guest machine"), std::string::npos);
    EXPECT_EQ(run("CLEARCOV"), "OK.\n\n");
    EXPECT_EQ(run("COVER 1"), "Accessed bytes:\n\n");
    EXPECT_EQ(run("COVER 2"), "I/O port accesses:\nNone.\n\n");
}

TEST_F(CoverageTest, ChipRegistersOfTheInterton) {
    ASSERT_TRUE(machine_switch(INTERTON, MAP_INTERTON_A, true, true, false));
    dbg_commands_reset();
    mem_clear_access();
    EXPECT_EQ(run("COVER 5"), "PVI accesses:\nNone\n\n");
    // The code at $0010 writes a read-only collision register and reads it.
    cpu_iar = 0x0010;
    coverage_flags[0x0010] = 1u << 27;      // $1FCD
    coverage_read_flags[0x0012] = 1u << 27;
    const std::string out = run("COVER 5");
    EXPECT_NE(out.find(": Read    by $12.\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Written by $10!\n"), std::string::npos) << out;
    EXPECT_NE(out.find("$1FCD"), std::string::npos) << out;
}
