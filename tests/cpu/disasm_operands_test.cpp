// Operand formatters: page wrap of operand and pointer bytes, effective
// addresses of indirect and indexed operands, the register bank, when
// annotations appear, and the number texts.
#include "disasm_fixture_test.h"

#include "cpu/exec.h"

#include <gtest/gtest.h>

TEST(DisasmOperands, IndirectAbsoluteIsAnnotatedOnlyInteractively) {
    // LODA,r1 *$2000 at $2100 (page 1); the pointer at $2000 holds $3456.
    for (u32 n = 0; n < NOTATIONS; n++) {
        dis_test_reset(n);
        dis_test_poke(0x2000, {0x34, 0x56});
        dis_test_line(0x2100, {0x0D, 0x80, 0x00});
        EXPECT_NE(std::strchr(dis_operand_text, '['), nullptr) << n;
        EXPECT_EQ(dis_ea, 0x3456u);
        EXPECT_STREQ(dis_pseudo_operand, "*$2000 [$3456]");
        dis_mode = DIS_LISTING;
        dis_test_line(0x2100, {0x0D, 0x80, 0x00});
        EXPECT_EQ(std::strchr(dis_operand_text, '['), nullptr) << n;
        EXPECT_STREQ(dis_pseudo_operand, "*$2000");
    }
}

TEST(DisasmOperands, IndexedAbsoluteWorksOnR0AndNamesTheIndex) {
    dis_test_reset(NOTATION_SIGNETICS);
    cpu_regs[2] = 0x10;
    // LODA,r2 $1234,r2+ : b1 = $32 (auto-increment), b2 = $34.
    EXPECT_EQ(dis_test_line(0x0000, {0x0E, 0x32, 0x34}), "LODA,r0 $1234,r2+ [$1245]");
    EXPECT_STREQ(dis_pseudo_operand, "$1234 + ++r2 [$1245]");
    EXPECT_STREQ(dis_reg_name, "r0");
    EXPECT_EQ(cpu_regs[2], 0x10); // the register itself is not changed
    // With RS set the register field names r4..r6; r0 stays r0.
    cpu_psl = PSL_RS;
    cpu_regs[5] = 1;
    EXPECT_EQ(dis_test_line(0x0000, {0x0D, 0x00, 0x10}), "LODA,r4 $10");
    EXPECT_EQ(dis_test_line(0x0000, {0x0E, 0x72, 0x34}), "LODA,r0 $1234,r5 [$1235]");
    EXPECT_EQ(dis_test_line(0x0000, {0x00}), "LODZ    r0");
    dis_notation = NOTATION_IEEE; // an indexed branch uses r6
    EXPECT_EQ(dis_test_line(0x0000, {0x9F, 0x12, 0x34}), "BR     /H'1234(.6)");
}

TEST(DisasmOperands, IndexWrapsLikeTheProcessor) {
    dis_test_reset();
    // The index is the register after its 8-bit step: $FF + 1 is 0, 0 - 1 is $FF.
    cpu_regs[1] = 0xFF;
    dis_test_line(0x2000, {0x0D, 0x3F, 0xF0});
    EXPECT_EQ(dis_ea, 0x3FF0u);
    cpu_regs[1] = 0;
    dis_test_line(0x2000, {0x0D, 0x40, 0x00});
    EXPECT_EQ(dis_ea, 0x20FFu);
    // The sum wraps inside the page of the address.
    cpu_regs[1] = 0x20;
    dis_test_line(0x2000, {0x0D, 0x7F, 0xF0});
    EXPECT_EQ(dis_ea, 0x2010u);
}

TEST(DisasmOperands, OperandAndPointerBytesWrapInsideTheirPage) {
    dis_test_reset();
    // An instruction at $1FFF takes its operand byte from $0000.
    guest_memory[0x0000] = 0x05;
    guest_memory[0x1FFF] = 0x04;
    cpu_iar = 0x1FFF;
    dis_instruction(0, 1);
    EXPECT_STREQ(dis_line, "LODI,r0 5");
    // A three-byte instruction at $3FFE takes its third byte from $2000.
    guest_memory[0x3FFE] = 0x1F;
    guest_memory[0x3FFF] = 0x01;
    guest_memory[0x2000] = 0x23;
    cpu_iar = 0x3FFE;
    dis_instruction(0, 1);
    EXPECT_STREQ(dis_line, "BCTA,un $123");
    // A pointer at $3FFF takes its second byte from $2000.
    dis_test_poke(0x3FFF, {0x12});
    guest_memory[0x2000] = 0x34;
    dis_test_line(0x2100, {0x0C, 0x9F, 0xFF});
    EXPECT_EQ(dis_ea, 0x1234u);
    EXPECT_EQ(cpu_pointer_addr, 0x2000u);
}

TEST(DisasmOperands, RelativeAndZeroPageTargets) {
    dis_test_reset();
    EXPECT_EQ(dis_test_line(0x2000, {0x08, 0x40}), "LODR,r0 $3FC2"); // -64 wraps in page 1
    EXPECT_EQ(dis_test_line(0x2000, {0x08, 0x3F}), "LODR,r0 $2041"); // +63
    EXPECT_EQ(dis_test_line(0x4567, {0x9B, 0x7F}), "ZBRR    $1FFF"); // page 0 whatever the page
    EXPECT_EQ(dis_test_line(0x4567, {0x9B, 0x3F}), "ZBRR    $3F");
    EXPECT_EQ(dis_test_line(0x6000, {0xBB, 0x40}), "ZBSR    $1FC0");
}

// The pointer's value is noted in every mode: a source file keeps it out of
// the operand, in the pseudo-code of the comment.
TEST(DisasmOperands, RelativePointersAreNotedInEveryMode) {
    dis_test_reset();
    dis_test_poke(0x0104, {0x45, 0x67});
    dis_mode = DIS_LISTING;
    EXPECT_EQ(dis_test_line(0x0100, {0x08, 0x82}), "LODR,r0 *$104 [$4567]");
    dis_mode = DIS_FILE;
    EXPECT_EQ(dis_test_line(0x0100, {0x08, 0x82}), "LODR,r0 *$104");
    EXPECT_STREQ(dis_pseudo_operand, "*$104 [$4567]");
    EXPECT_EQ(dis_ea, 0x4567u);
}

TEST(DisasmOperands, TheDisassemblerOnlyReadsTheGuest) {
    dis_test_reset();
    dis_test_poke(0x0100, {0x0F, 0xF0, 0x10});
    dis_test_poke(0x0010, {0x01, 0x02});
    cpu_regs[3] = 7;
    u8 before[GUEST_MEMORY_SIZE];
    std::memcpy(before, guest_memory, sizeof before);
    u32 access_before = mem_access[0x0010];
    cpu_iar = 0x0100;
    for (u32 n = 0; n < NOTATIONS; n++) {
        dis_notation = n;
        dis_instruction(0, 1);
    }
    EXPECT_EQ(std::memcmp(before, guest_memory, sizeof before), 0);
    EXPECT_EQ(cpu_regs[3], 7);
    EXPECT_EQ(mem_access[0x0010], access_before);
    EXPECT_EQ(cpu_iar, 0x0100);
}

namespace {
CpuCharStyle immediate_style;
u8 board_glyph(u8 code) {
    return code == 0x12 ? '#' : 0;
}
} // namespace

// The pseudo-code of LODI and COMI names the immediate byte as the board shows
// characters: ASCII names on a terminal, the board's own glyph, or nothing.
TEST(DisasmOperands, ImmediatesAreNamedInTheBoardsCharacters) {
    struct Case {
        CpuCharStyle style;
        bool glyphs;
        u8 opcode, value;
        const char* pseudo;
    } cases[] = {
        {CHARS_ASCII, false, 0x04, 0x12, "r0 = $12 [DC2];"},
        {CHARS_ASCII, false, 0x04, 0x7F, "r0 = $7F [DEL];"},
        {CHARS_ASCII, false, 0xE4, 0x41, "compare r0 against $41; ['A']"},
        {CHARS_NONE, false, 0xE4, 0x41, "compare r0 against $41;"},
        {CHARS_ASCII, false, 0x04, 0xC1, "r0 = $C1 [$C1];"},
        {CHARS_NONE, false, 0x04, 0x41, "r0 = $41;"},
        {CHARS_GUEST, false, 0x04, 0x41, "r0 = $41 ['A'];"},
        {CHARS_GUEST, false, 0x04, 0x12, "r0 = $12 ['\xC2\xB7'];"},
        {CHARS_GUEST, true, 0x04, 0x12, "r0 = $12 ['#'];"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.style << " $" << std::hex << int(c.value));
        dis_test_reset(NOTATION_SIGNETICS);
        immediate_style = c.style;
        dis_test_board.char_style = [] { return immediate_style; };
        dis_test_board.guest_char = c.glyphs ? board_glyph : nullptr;
        dis_test_line(0x0100, {c.opcode, c.value});
        EXPECT_STREQ(dis_pseudo_line, c.pseudo);
    }
    dis_test_reset();
}
