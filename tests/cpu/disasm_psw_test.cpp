// The program-status instructions: single-flag spellings per notation, the
// processor variant, and which flag comments each mode writes.
#include "disasm_fixture_test.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int comment_lines() {
    return static_cast<int>(
        std::count(dis_flag_comments, dis_flag_comments + std::strlen(dis_flag_comments), '\n'));
}

} // namespace

TEST(DisasmStatus, LdplAndStplExistOnlyOnThe2650B) {
    dis_test_reset();
    cpu_type = CPU_2650;
    EXPECT_EQ(dis_test_line(0x0100, {0x10, 0x12, 0x34}), "DB      $10");
    EXPECT_STREQ(dis_pseudo_line, "?");
    EXPECT_EQ(dis_test_line(0x0100, {0x11, 0x12, 0x34}), "DB      $11");
    cpu_type = CPU_2650B;
    guest_memory[0x1234] = 0x41;
    EXPECT_EQ(dis_test_line(0x0100, {0x10, 0x12, 0x34}), "LDPL    $1234");
    EXPECT_EQ(comment_lines(), 7);
    EXPECT_NE(std::strstr(dis_flag_comments, ";CC (Condition Code) is now GT (%01)\n"), nullptr);
    // Listing and file mode: no comments on loads and stores.
    for (u32 mode : {DIS_LISTING, DIS_FILE}) {
        dis_mode = mode;
        dis_test_line(0x0100, {0x10, 0x12, 0x34});
        EXPECT_STREQ(dis_flag_comments, "");
        dis_test_line(0x0100, {0x11, 0x12, 0x34});
        EXPECT_STREQ(dis_flag_comments, "");
        dis_test_line(0x0100, {0x13});
        EXPECT_STREQ(dis_flag_comments, "");
    }
}

TEST(DisasmStatus, ClearingInterruptInhibitInEveryNotation) {
    const char* expected[NOTATIONS] = {"CPSU    II", "CPSU    II", "CLR      IOF", "CLR      IOF",
                                       "EI"};
    const char* comment[NOTATIONS] = {";Clear Interrupt Inhibit (II) bit (now disinhibited)\n",
                                      ";Clear Interrupt Inhibit (II) bit (now disinhibited)\n",
                                      ";Clear Interrupt Off (IOF) bit (now disinhibited)\n",
                                      ";Clear Interrupt Off (IOF) bit (now disinhibited)\n",
                                      ";Clear Interrupt Inhibit (.I) bit (now disinhibited)\n"};
    for (u32 n = 0; n < NOTATIONS; n++) {
        dis_test_reset(n);
        EXPECT_EQ(dis_test_line(0x0100, {0x74, 0x20}), expected[n]);
        EXPECT_STREQ(dis_flag_comments, comment[n]);
    }
    dis_test_reset(NOTATION_IEEE);
    EXPECT_EQ(dis_test_line(0x0100, {0x76, 0x20}), "DI");
    EXPECT_EQ(dis_test_line(0x0100, {0x75, 0x01}), "CLRC");
    EXPECT_EQ(dis_test_line(0x0100, {0x77, 0x04}), "SETV");
    EXPECT_EQ(dis_test_line(0x0100, {0x75, 0x02}), "AND    .L,#$FF-B'00000010");
}

TEST(DisasmStatus, MaskCommentsAreWrittenInEveryMode) {
    dis_test_reset();
    for (u32 mode : {DIS_INTERACTIVE, DIS_LISTING, DIS_FILE}) {
        dis_mode = mode;
        EXPECT_EQ(dis_test_line(0x0100, {0x75, 0xC0}), "CPSL    %11000000");
        EXPECT_STREQ(dis_flag_comments, ";Set CC (Condition Code) to EQ\n");
        dis_test_line(0x0100, {0x74, 0x00});
        EXPECT_STREQ(dis_line, "CPSU    ");
        EXPECT_STREQ(dis_flag_comments, "");
    }
}

TEST(DisasmStatus, UserFlagsFollowTheProcessorVariant) {
    dis_test_reset();
    cpu_type = CPU_2650;
    dis_test_line(0x0100, {0x74, 0x18});
    EXPECT_STREQ(dis_flag_comments, "");
    EXPECT_STREQ(dis_pseudo_line, "PSU &= ~(%00011000 & %01100111);");
    cpu_type = CPU_2650B;
    dis_test_line(0x0100, {0x74, 0x18});
    EXPECT_STREQ(dis_flag_comments, ";Clear User Flag #1\n;Clear User Flag #2\n");
    EXPECT_STREQ(dis_pseudo_line, "PSU &= ~(%00011000 & %01111111);");
    // SPSU reports the user flags only on the 2650B.
    cpu_psu = 0x10;
    dis_test_line(0x0100, {0x12});
    EXPECT_NE(std::strstr(dis_flag_comments, ";User Flag #1 is set\n"), nullptr);
    cpu_type = CPU_2650;
    dis_test_line(0x0100, {0x12});
    EXPECT_EQ(std::strstr(dis_flag_comments, "User Flag"), nullptr);
}

TEST(DisasmStatus, LoadingPslFromR0DescribesEveryFlag) {
    dis_test_reset();
    cpu_regs[0] = 0xC0;
    EXPECT_EQ(dis_test_line(0x0100, {0x93}), "LPSL");
    EXPECT_STREQ(dis_flag_comments, ";CC (Condition Code) is now UN (%11)!\n"
                                    ";Clear Inter-Digit Carry (IDC) bit\n"
                                    ";Clear Register Select (RS) bit (now Register 1..Register 3)\n"
                                    ";Clear With Carry (WC) bit\n"
                                    ";Clear Overflow (OVF) bit\n"
                                    ";Clear Compare (COM) bit (now signed)\n"
                                    ";Clear Carry (C) bit\n");
    // Old CALM uses its own flag names.
    dis_notation = NOTATION_OLD_CALM;
    cpu_regs[0] = 0x10;
    dis_test_line(0x0100, {0x93});
    EXPECT_NE(std::strstr(dis_flag_comments,
                          ";Set Register Bank (BANK1) bit (now Register B'..Register D')\n"),
              nullptr)
        << dis_flag_comments;
}

TEST(DisasmStatus, LoadingPsuAndStackPointerComments) {
    dis_test_reset();
    cpu_regs[0] = 0x65; // F, II and stack pointer 5
    dis_test_line(0x0100, {0x92});
    EXPECT_STREQ(dis_flag_comments, ";Set Flag (F) bit\n"
                                    ";Set Interrupt Inhibit (II) bit (now inhibited)\n"
                                    ";Clear User Flag #1\n"
                                    ";Clear User Flag #2\n"
                                    ";Set Stack Pointer (SP) to 5\n");
    dis_test_line(0x0100, {0x76, 0x07});
    EXPECT_STREQ(dis_flag_comments, ";Set Stack Pointer (SP) to 7!\n");
    dis_test_line(0x0100, {0xB4, 0x03});
    EXPECT_STREQ(dis_flag_comments, ";Test middle bit of Stack Pointer (SP)!\n"
                                    ";Test low bit of Stack Pointer (SP)!\n");
}
