// The condition context: what the previous instruction made the condition code
// mean decides the extended Signetics and old CALM branch mnemonics.
#include "disasm_fixture_test.h"

#include <gtest/gtest.h>

namespace {

// Disassembles each instruction in turn at consecutive addresses and returns
// the text of the last one.
std::string after(std::initializer_list<std::initializer_list<u8>> program) {
    u16 address = 0x0200;
    std::string text;
    for (auto bytes : program) {
        text = dis_test_line(address, bytes);
        address = static_cast<u16>(address + bytes.size());
    }
    return text;
}

const std::initializer_list<u8> COMZ = {0xE1};
const std::initializer_list<u8> LODI = {0x04, 0x05};
const std::initializer_list<u8> TMI = {0xF4, 0x81};
const std::initializer_list<u8> TPSL = {0xB5, 0x01};
const std::initializer_list<u8> DATA_C4 = {0xC4, 0x00};
const std::initializer_list<u8> STRA = {0xCC, 0x12, 0x34};

} // namespace

TEST(DisasmContext, ExtendedSignetics_BranchOnTrueReadsAsTheLastResult) {
    dis_test_reset(NOTATION_EXTENDED);
    EXPECT_EQ(after({COMZ, {0x18, 0x04}}), "BER     $207");
    EXPECT_EQ(after({LODI, {0x18, 0x04}}), "BZR     $208");
    EXPECT_EQ(after({TMI, {0x18, 0x04}}), "BOR     $208");
    EXPECT_EQ(after({COMZ, {0x19, 0x04}}), "BHR     $207");
    EXPECT_EQ(after({LODI, {0x19, 0x04}}), "BPR     $208");
    EXPECT_EQ(after({TMI, {0x19, 0x04}}), "BCTR,gt $208"); // no reading after a test
    EXPECT_EQ(after({COMZ, {0x1A, 0x04}}), "BLR     $207");
    EXPECT_EQ(after({LODI, {0x1A, 0x04}}), "BMR     $208");
    EXPECT_EQ(after({TMI, {0x1A, 0x04}}), "BMR     $208");
    EXPECT_EQ(after({COMZ, {0x1C, 0x12, 0x34}}), "BEA     $1234");
    EXPECT_EQ(after({LODI, {0x1D, 0x12, 0x34}}), "BPA     $1234");
    EXPECT_EQ(after({TMI, {0x1C, 0x12, 0x34}}), "BOA     $1234");
    EXPECT_EQ(after({TMI, {0x1E, 0x12, 0x34}}), "BMA     $1234");
}

TEST(DisasmContext, ExtendedSignetics_BranchOnFalseReadsAsTheLastResult) {
    dis_test_reset(NOTATION_EXTENDED);
    EXPECT_EQ(after({COMZ, {0x98, 0x04}}), "BNER    $207");
    EXPECT_EQ(after({LODI, {0x99, 0x04}}), "BNPR    $208");
    EXPECT_EQ(after({LODI, {0x9A, 0x04}}), "BNMR    $208");
    EXPECT_EQ(after({COMZ, {0x9D, 0x12, 0x34}}), "BNHA    $1234");
    EXPECT_EQ(after({COMZ, {0x9E, 0x12, 0x34}}), "BNLA    $1234");
    EXPECT_EQ(after({TMI, {0x98, 0x04}}), "BCFR,eq $208");
}

TEST(DisasmContext, DataBytesForgetAndStoresAndStatusTestsKeepTheContext) {
    dis_test_reset(NOTATION_EXTENDED);
    // A data byte resets the context: the branch after it is spelled plainly.
    EXPECT_EQ(after({COMZ, DATA_C4, {0x18, 0x04}}), "BCTR,eq $209");
    // TPSL leaves the context of TMI in place.
    EXPECT_EQ(after({TMI, TPSL, {0x1A, 0x04}}), "BMR     $20A");
    // A store changes nothing either.
    EXPECT_EQ(after({COMZ, STRA, {0x18, 0x04}}), "BER     $20A");
    // Branches themselves leave the context alone.
    EXPECT_EQ(after({LODI, {0x18, 0x04}, {0x18, 0x04}}), "BZR     $20A");
    // Decimal adjust and LPSL make it unknown.
    EXPECT_EQ(after({COMZ, {0x94}, {0x18, 0x04}}), "BCTR,eq $208");
    EXPECT_EQ(after({COMZ, {0x93}, {0x18, 0x04}}), "BCTR,eq $208");
}

TEST(DisasmContext, NonExtendedSignetics_IgnoresTheContext) {
    dis_test_reset(NOTATION_SIGNETICS);
    EXPECT_EQ(after({COMZ, {0x18, 0x04}}), "BCTR,eq $207");
    EXPECT_EQ(after({TMI, {0x1A, 0x04}}), "BCTR,lt $208");
}

TEST(DisasmContext, OldCalm_TestUnderMaskReadsAllOnesAndNotOnes) {
    dis_test_reset(NOTATION_OLD_CALM);
    EXPECT_EQ(after({TMI, {0x18, 0x04}}), "JUMP,AO  .+16'208");
    EXPECT_EQ(after({TMI, {0x1A, 0x04}}), "JUMP,NO  .+16'208");
    EXPECT_EQ(after({TMI, {0x19, 0x04}}), "JUMP,GT  .+16'208");
    EXPECT_EQ(after({COMZ, {0x18, 0x04}}), "JUMP,EQ  .+16'207");
    EXPECT_EQ(after({TMI, {0x14}}), "RET,AO");
    EXPECT_EQ(after({TMI, {0x16}}), "RET,NO");
    EXPECT_EQ(after({TMI, {0x34}}), "RETION,AO");
    EXPECT_EQ(after({TMI, {0x36}}), "RETION,NO");
    EXPECT_EQ(after({LODI, {0x34}}), "RETION,EQ");
    // New CALM and IEEE-694 have no such readings.
    dis_notation = NOTATION_NEW_CALM;
    EXPECT_EQ(after({TMI, {0x18, 0x04}}), "JUMP,EQ  R^16'208");
    dis_notation = NOTATION_IEEE;
    EXPECT_EQ(after({TMI, {0x1A, 0x04}}), "BLT    $H'208");
}

TEST(DisasmContext, TheContextValueFollowsEachFamily) {
    dis_test_reset(NOTATION_SIGNETICS);
    const u32 VALUE = DIS_CTX_VALUE, COMPARE = DIS_CTX_COMPARE, TEST = DIS_CTX_TEST,
              UNKNOWN = DIS_CTX_UNKNOWN, KEPT = 99;
    struct Case {
        std::initializer_list<u8> bytes;
        u32 context;
    };
    // clang-format off
    const Case cases[] = {
        {{0x01}, VALUE}, {{0x0C, 0x12, 0x34}, VALUE}, {{0x12}, VALUE}, {{0x30}, VALUE},
        {{0x50}, VALUE}, {{0xE4, 0x01}, COMPARE}, {{0xEC, 0x12, 0x34}, COMPARE},
        {{0xF4, 0x01}, TEST}, {{0xB4, 0x01}, TEST}, {{0x94}, UNKNOWN}, {{0x75, 0x01}, UNKNOWN},
        {{0x77, 0x01}, UNKNOWN}, {{0x10, 0x12, 0x34}, UNKNOWN},
        // HALT, NOP, WRTC, STRR, BCTR, CPSU, PPSU, LPSU and TPSL leave it unchanged.
        {{0x40}, KEPT}, {{0xC0}, KEPT}, {{0xB0}, KEPT}, {{0xC8, 0x01}, KEPT}, {{0x18, 0x01}, KEPT},
        {{0x74, 0x01}, KEPT}, {{0x76, 0x01}, KEPT}, {{0x92}, KEPT}, {{0xB5, 0x01}, KEPT},
    };
    // clang-format on
    for (const Case& c : cases) {
        dis_cc_context = KEPT; // anything a changing case must overwrite
        dis_test_line(0x0300, c.bytes);
        EXPECT_EQ(dis_cc_context, c.context) << dis_line;
    }
}
