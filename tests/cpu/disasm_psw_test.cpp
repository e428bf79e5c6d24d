// The program-status instructions beyond the golden listings: which flag
// comments each mode writes, user flags read back, and an unordered CC.
#include "disasm_fixture_test.h"

#include <gtest/gtest.h>

TEST(DisasmStatus, LoadsAndStoresCommentOnlyInteractivelyMasksInEveryMode) {
    dis_test_reset();
    guest_memory[0x1234] = 0x41;
    for (u32 mode : {DIS_INTERACTIVE, DIS_LISTING, DIS_FILE}) {
        SCOPED_TRACE(mode);
        dis_mode = mode;
        const bool interactive = mode == DIS_INTERACTIVE;
        for (std::initializer_list<u8> bytes :
             {std::initializer_list<u8>{0x10, 0x12, 0x34}, {0x11, 0x12, 0x34}, {0x13}}) {
            dis_test_line(0x0100, bytes);
            EXPECT_EQ(dis_flag_comments[0] != 0, interactive) << dis_line;
        }
        EXPECT_EQ(dis_test_line(0x0100, {0x75, 0xC0}), "CPSL    %11000000");
        EXPECT_STREQ(dis_flag_comments, ";Set CC (Condition Code) to EQ\n");
        // An empty mask shows no names; a source file needs its number.
        dis_test_line(0x0100, {0x74, 0x00});
        EXPECT_STREQ(dis_line, mode == DIS_FILE ? "CPSU    %00000000" : "CPSU    ");
        EXPECT_STREQ(dis_flag_comments, "");
    }
}

TEST(DisasmStatus, SetUserFlagAndUnorderedConditionCode) {
    dis_test_reset();
    cpu_psu = 0x10; // SPSU reports a set user flag on the 2650B
    dis_test_line(0x0100, {0x12});
    EXPECT_NE(std::strstr(dis_flag_comments, ";User Flag #1 is set\n"), nullptr);
    cpu_regs[0] = 0xC0;
    EXPECT_EQ(dis_test_line(0x0100, {0x93}), "LPSL");
    EXPECT_STREQ(dis_flag_comments, ";CC (Condition Code) is now UN (%11)!\n"
                                    ";Clear Inter-Digit Carry (IDC) bit\n"
                                    ";Clear Register Select (RS) bit (now Register 1..Register 3)\n"
                                    ";Clear With Carry (WC) bit\n"
                                    ";Clear Overflow (OVF) bit\n"
                                    ";Clear Compare (COM) bit (now signed)\n"
                                    ";Clear Carry (C) bit\n");
}
