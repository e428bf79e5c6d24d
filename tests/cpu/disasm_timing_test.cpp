// The comment columns of traced and listed instructions (clock count, duration
// in each time unit, length, address and bytes), the compact trace line, and
// the range listing around them.
#include "disasm_fixture_test.h"

#include <gtest/gtest.h>

namespace {

std::string pad_to(const std::string& text, size_t column) {
    return text + std::string(column > text.size() ? column - text.size() : 0, ' ');
}

} // namespace

TEST(DisasmTiming, ColumnsInEachTimeUnit) {
    dis_test_reset();
    std::string lodi = pad_to("LODI,r0 $12", 49) + ";";
    dbg_time_unit = 0;
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12}), lodi + "  2,2 $0100 04 12   ");
    dbg_time_unit = 1;
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12}), lodi + "  6,2 $0100 04 12   ");
    dbg_time_unit = 2;
    dbg_pixels_per_clock = 3;
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12}), lodi + "   18,2 $0100 04 12   ");
    dis_test_board.wide_clock_column = true; // a board whose pixel counts need three digits
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12}), lodi + "    18,2 $0100 04 12   ");
    dbg_time_unit = 7; // no such unit: no timing column
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12}), lodi + "04 12   ");
}

TEST(DisasmTiming, IndirectOperandsAddSixClockPeriods) {
    dis_test_reset();
    // Loads, stores and unconditional branches: the extra time is in the sum.
    dis_test_logged(0x0100, {0x0C, 0x92, 0x34});
    EXPECT_EQ(dis_cycles, 18u);
    EXPECT_EQ(dis_taken_extra, 0);
    dis_test_logged(0x0100, {0x1F, 0x92, 0x34});
    EXPECT_EQ(dis_cycles, 15u);
    dis_test_logged(0x0100, {0x9B, 0x92});
    EXPECT_EQ(dis_cycles, 15u);
    EXPECT_NE(std::string(dis_line).find(" 15,2 $0100 9B 92   "), std::string::npos) << dis_line;
    // Conditional branches and calls show it as a separate addend.
    std::string line = dis_test_logged(0x0100, {0x18, 0x82});
    EXPECT_EQ(dis_taken_extra, 1);
    EXPECT_EQ(line.substr(50), "6+9,2 $0100 18 82   ");
    dbg_time_unit = 0;
    EXPECT_EQ(dis_test_logged(0x0100, {0x3C, 0x92, 0x34}).substr(50), "2+3,3 $0100 3C 92 34");
    dbg_time_unit = 2;
    dbg_pixels_per_clock = 2;
    EXPECT_EQ(dis_test_logged(0x0100, {0xDC, 0x92, 0x34}).substr(50), "12+18,3 $0100 DC 92 34");
    dis_test_board.wide_clock_column = true;
    EXPECT_EQ(dis_test_logged(0x0100, {0xDC, 0x92, 0x34}).substr(50), "12+ 18,3 $0100 DC 92 34");
    // A direct conditional branch has no addend.
    dbg_time_unit = 1;
    EXPECT_EQ(dis_test_logged(0x0100, {0x18, 0x02}).substr(50), "  9,2 $0100 18 02   ");
}

TEST(DisasmTiming, InteractiveTracesShowTheRunningClockAtVerbosityTwo) {
    dis_test_reset();
    verbosity = 2;
    cpu_cycles = 1234567;
    std::string line = dis_test_logged(0x0100, {0x04, 0x12});
    ASSERT_GE(line.size(), 50u);
    EXPECT_EQ(line.substr(0, 35), pad_to("LODI,r0 $12", 35));
    EXPECT_EQ(line[35], ';');
    EXPECT_EQ(line.substr(36, 13), "    1,234,567");
    EXPECT_EQ(line[49], ' ');
    EXPECT_EQ(line.substr(50), "  6,2 $0100 04 12   ");
    dbg_time_unit = 0; // the clock in processor cycles
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12}).substr(36, 13), "      411,522");
    cpu_cycles = 0;
    dbg_time_unit = 1;
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12}).substr(36, 13), "            0");
    // Listing or file mode, or verbosity 0, put the semicolon in column 49.
    dis_mode = DIS_LISTING;
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12})[49], ';');
    dis_mode = DIS_INTERACTIVE;
    verbosity = 0;
    EXPECT_EQ(dis_test_logged(0x0100, {0x04, 0x12})[49], ';');
}

TEST(DisasmTiming, LongInstructionTextsAreCutAtTheCommentColumn) {
    dis_test_reset(NOTATION_NEW_CALM);
    dis_test_poke(0x1234, {0x25, 0x67});
    cpu_regs[3] = 1;
    // Indirect indexed store in new CALM with its annotation runs past column 49.
    std::string line = dis_test_logged(0x0100, {0xCF, 0xF2, 0x34});
    EXPECT_EQ(line[49], ';');
    EXPECT_EQ(line.substr(0, 24), "MOVE     r0,U^{r3}+{16'1");
    EXPECT_EQ(line.substr(50), " 18,3 $0100 CF F2 34");
}

TEST(DisasmTiming, TraceLineColumns) {
    dis_test_reset();
    verbosity = 1;
    cpu_regs[2] = 0x10;
    dis_test_logged(0x0100, {0x0E, 0x32, 0x34});
    EXPECT_STREQ(dis_trace_line, "0100 0E3234 LODA,r0 r2+  1234+10=1245");
    // The instruction text still names the index register.
    EXPECT_STREQ(dis_operand_text, "$1234,r2+ [$1245]");
    dis_test_logged(0x0100, {0x04, 0x12});
    EXPECT_EQ(std::string(dis_trace_line), "0100 0412   LODI,r0    " + std::string(14, ' '));
    dis_test_poke(0x1234, {0x25, 0x67});
    dis_test_logged(0x0100, {0x1F, 0x92, 0x34});
    EXPECT_STREQ(dis_trace_line, "0100 1F9234 BCTA,un     *1234   =2567");
    dis_test_logged(0x0100, {0x18, 0x10});
    EXPECT_STREQ(dis_trace_line, "0100 1810   BCTR,eq      0112   =0112");
    dis_test_logged(0x0100, {0xC0});
    EXPECT_EQ(std::string(dis_trace_line), "0100 C0     NOP        " + std::string(14, ' '));
}

TEST(DisasmListing, ListsARangeAndRestoresTheProcessor) {
    dis_test_reset();
    dis_test_poke(0x0100, {0x04, 0x12, 0xC0, 0x1F, 0x01, 0x00, 0xC0});
    cpu_iar = 0x4444;
    cpu_psl = 0x5A;
    cpu_cycles = 777;
    std::string out = dis_test_capture([] { dis_list_range(0x0100, 0x0103, 0); });
    EXPECT_EQ(out, "        " + pad_to("LODI,r0 $12", 49) + ";  6,2 $0100 04 12   \n" + "        " +
                       pad_to("NOP", 49) + ";  6,1 $0102 C0      \n" + "        " +
                       pad_to("BCTA,un $100", 49) + ";  9,3 $0103 1F 01 00\n");
    EXPECT_EQ(dis_next_address, 0x0106u);
    EXPECT_EQ(cpu_iar, 0x4444);
    EXPECT_EQ(cpu_psl, 0x5A);
    EXPECT_EQ(cpu_cycles, 777u);
    EXPECT_EQ(dis_mode, static_cast<u32>(DIS_INTERACTIVE));
    // Quiet: nothing printed, the continuation address kept.
    EXPECT_EQ(dis_test_capture([] { dis_list_range(0x0100, 0x0103, 1); }), "");
    EXPECT_EQ(dis_next_address, 0x0106u);
}

TEST(DisasmListing, ABackwardRangeListsOneItemAndTheTopOfMemoryEndsTheWalk) {
    dis_test_reset();
    dis_test_poke(0x0200, {0xC0});
    std::string out = dis_test_capture([] { dis_list_range(0x0200, 0x0100, 0); });
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    EXPECT_EQ(dis_next_address, 0x0201u);
    // A three-byte instruction at $7FFE is listed, and the walk stops there.
    guest_memory[0x7FFE] = 0x1F;
    guest_memory[0x7FFF] = 0x00;
    guest_memory[0x6000] = 0x00;
    out = dis_test_capture([] { dis_list_range(0x7FFE, 0x7FFF, 0); });
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    EXPECT_NE(out.find("1F 00 00"), std::string::npos) << out;
    EXPECT_EQ(dis_next_address, 0x8001u);
}

TEST(DisasmListing, VerbosityTwoNamesTheMemoryTouched) {
    dis_test_reset();
    verbosity = 2;
    dis_test_poke(0x0100, {0x0C, 0x12, 0x34, 0xC0, 0x77, 0x01});
    mem_attributes[0x1234] = MEM_UNWRITABLE | MEM_BIOS;
    // With a file open the pseudo-code follows on the same line.
    std::string out = dis_test_capture([] { dis_list_range(0x0100, 0x0105, 0); });
    EXPECT_NE(out.find("0C 12 34 r0 = *($1234); // $1234 is BIOS ROM\n"), std::string::npos) << out;
    EXPECT_NE(out.find("C0       ;\n"), std::string::npos) << out;
    EXPECT_NE(out.find("77 01    PSL |= %00000001;\n;Set Carry (C) bit\n"), std::string::npos)
        << out;
    struct Kind {
        u16 attributes;
        const char* text;
    };
    // clang-format off
    const Kind kinds[] = {{MEM_HW_REGISTER, "hardware register"}, {MEM_UNWRITABLE, "game ROM"},
                          {MEM_UNREADABLE, "write-only"}, {MEM_BIOS, "BIOS RAM"}, {0, "user RAM"}};
    // clang-format on
    for (const Kind& k : kinds) {
        mem_attributes[0x1234] = k.attributes;
        out = dis_test_capture([] { dis_list_range(0x0100, 0x0100, 0); });
        EXPECT_NE(out.find(std::string("is ") + k.text + "\n"), std::string::npos) << out;
    }
    mem_attributes[0x1234] = 0;
    mem_read_mirror[0x1234] = 0x0234;
    out = dis_test_capture([] { dis_list_range(0x0100, 0x0100, 0); });
    EXPECT_NE(out.find("is mirror\n"), std::string::npos) << out;
}

TEST(DisasmListing, RegisterColumnsOfTheTrace) {
    dis_test_reset();
    for (int i = 0; i < 7; i++)
        cpu_regs[i] = static_cast<u8>(0x10 * i + 1);
    cpu_psu = 0xA0;
    cpu_psl = 0x0B;
    cpu_iar = 0x0300;
    EXPECT_EQ(dis_test_capture([] { trace_log_registers(); }),
              "    01 11 21 31 41 51 61 A0 0B 0300\n");
}
