// Every opcode in each of the five notations, with sample operands, compared
// with a reviewed listing in tests/data/disasm/notation_<n>.txt. Set
// BRINDLEMOX_UPDATE_GOLDEN=1 to rewrite the files from the current output.
#include "disasm_fixture_test.h"
#include "tests/support/checkout_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// One instruction: bytes | instruction text | pseudo-code, then its flag comments.
void describe(std::string& out, std::initializer_list<u8> bytes) {
    dis_cc_context = DIS_CTX_UNKNOWN;
    std::string line = dis_test_line(0x0100, bytes);
    char head[16];
    std::snprintf(head, sizeof head, "%02X %02X %02X", guest_memory[0x100], guest_memory[0x101],
                  guest_memory[0x102]);
    out += head;
    out += " |" + line + "|" + dis_pseudo_line + "|\n";
    std::istringstream comments(dis_flag_comments);
    std::string comment;
    while (std::getline(comments, comment))
        out += "         " + comment + "\n";
}

// A terminal board, registers and memory the samples read: r0..r6, a PSU with
// II, pointers.
void prepare() {
    dis_test_reset(dis_notation);
    dis_test_board.char_style = [] { return CHARS_ASCII; }; // immediates get their ASCII names
    cpu_regs[0] = 0x5A;
    for (int i = 1; i < 7; i++)
        cpu_regs[i] = static_cast<u8>(i);
    cpu_psu = 0x22;
    dis_test_poke(0x1234, {0x25, 0x67}); // pointer at the absolute and branch target
    dis_test_poke(0x0114, {0x03, 0x21}); // pointer at the relative target
}

std::string listing(u32 notation) {
    dis_notation = notation;
    prepare();
    std::string out;
    out += "# every opcode with operand bytes $12 $34, PSL 0\n";
    for (int op = 0; op < 256; op++) {
        dis_test_poke(0x0100, {static_cast<u8>(op), 0x12, 0x34});
        describe(out, {static_cast<u8>(op), 0x12, 0x34});
    }
    out += "# indirect, auto-increment, auto-decrement, indexed, indirect indexed\n";
    for (u8 op : {0x0D, 0x2E, 0xCF, 0xEC}) // LODA,r1 EORA,r2 STRA,r3 COMA,r0
        for (u8 b1 : {0x92, 0x32, 0x52, 0x72, 0xF2})
            describe(out, {op, b1, 0x34});
    out += "# relative and zero-page forms, forwards, backwards, indirect\n";
    for (u8 op : {0x09, 0x18, 0x9B, 0xBB, 0xD9, 0xF9, 0x58})
        for (u8 b1 : {0x00, 0x3F, 0x40, 0x92})
            describe(out, {op, b1, 0x00});
    out += "# absolute branches and calls, indirect\n";
    for (u8 op : {0x1F, 0x3F, 0x9F, 0xBF, 0x5C, 0x10, 0x11})
        describe(out, {op, 0x92, 0x34});
    out += "# WC and C set\n";
    cpu_psl = PSL_WC | PSL_C;
    for (u8 op : {0x80, 0x81, 0x84, 0x88, 0x8C, 0xA0, 0xA1, 0xA4, 0xA8, 0xAC, 0x50, 0xD0})
        describe(out, {op, 0x12, 0x34});
    out += "# WC set, C clear\n";
    cpu_psl = PSL_WC;
    for (u8 op : {0x51, 0xD1})
        describe(out, {op, 0x12, 0x34});
    cpu_psl = 0;
    out += "# immediate values 1, $FF and 7\n";
    for (u8 op : {0x04, 0x24, 0x84, 0xA4, 0xE4, 0xF4, 0x54, 0xD4})
        for (u8 b1 : {0x01, 0xFF, 0x07})
            describe(out, {op, b1, 0x00});
    out += "# status masks\n";
    for (u8 op : {0x74, 0x76, 0xB4})
        for (u8 b1 : {0x00, 0x07, 0x20, 0x40, 0x80, 0x18, 0xE5})
            describe(out, {op, b1, 0x00});
    for (u8 op : {0x75, 0x77, 0xB5})
        for (u8 b1 : {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0xC0, 0x80, 0x3F, 0xFF})
            describe(out, {op, b1, 0x00});
    out += "# 2650: $10, $11 and the user flags\n";
    cpu_type = CPU_2650;
    for (u8 op : {0x10, 0x11, 0x92, 0x12, 0x74})
        describe(out, {op, 0x18, 0x00});
    return out;
}

std::string golden_path(u32 notation) {
    return std::string(test_data()) + "/disasm/notation_" + std::to_string(notation) +
           ".txt";
}

} // namespace

TEST(DisasmGolden, EveryOpcodeInEveryNotationMatchesTheReviewedListing) {
    bool update = std::getenv("BRINDLEMOX_UPDATE_GOLDEN") != nullptr;
    for (u32 notation = 0; notation < NOTATIONS; notation++) {
        std::string fresh = listing(notation);
        if (update) {
            std::ofstream(golden_path(notation), std::ios::binary) << fresh;
            continue;
        }
        std::ifstream in(golden_path(notation), std::ios::binary);
        ASSERT_TRUE(in.good()) << golden_path(notation);
        std::stringstream golden;
        golden << in.rdbuf();
        // Compare line by line so that a failure names the first differing line.
        std::istringstream a(golden.str()), b(fresh);
        std::string expected, actual;
        int number = 0;
        while (true) {
            bool more_a = static_cast<bool>(std::getline(a, expected));
            bool more_b = static_cast<bool>(std::getline(b, actual));
            number++;
            if (!more_a && !more_b) break;
            ASSERT_EQ(expected, actual) << "notation " << notation << ", line " << number;
        }
    }
    dis_test_reset();
}
