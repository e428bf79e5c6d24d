// The expression evaluator: operators from left to right, bytes of a value,
// radixes and notations, character constants, labels and mnemonics, the
// location counter, and the errors inside and outside an assembly.
#include "assembler/expr.h"
#include "core/machine.h"
#include "core/emu.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/disasm.h"
#include "cpu/memory.h"
#include "debugger/commands.h"
#include "debugger/labels.h"
#include "debugger/literals.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string captured;
void capture(const char* text) {
    captured += text;
}

class ExprTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        fresh_cpu(PIPBUG, 0);
        machine = PIPBUG;
        machine_bus_install();
        asm_expr_reset();
        con_push_sink(capture);
        captured.clear();
    }
    void TearDown() override {
        con_pop_sink();
        asm_expr_reset();
        fresh_state();
    }
    static void assembling(u32 pass, u32 radix) {
        asm_active = true;
        asm_pass = pass;
        asm_radix = radix;
    }
};

struct Case {
    const char* text;
    i32 value;
};

TEST_F(ExprTest, OperatorsApplyFromLeftToRight) {
    assembling(2, NUM_DECIMAL);
    const Case cases[] = {
        {"2+3*4", 20},
        {"10-2-3", 5},
        {"-5+1", -4},
        {"+7", 7},
        {"7%3", 1},
        {"7/-1", -7},
        {"-7/2", -3},
        {"9%-1", 0},
        {"12&10", 8},
        {"12|3", 15},
        {"12^10", 6},
        {"99~15", 240},
        {"(2+3)*4", 20},
        {"2*(3+4)", 14},
        {"HI($1234)", 0x12},
        {"lo($1234)", 0x34},
        {"<$1234", 0x12},
        {">$1234", 0x34},
        {"HI(256*3+5)+1", 4},
        {"6\xD7"
         "7",
         42},
        {"42\xF7"
         "6",
         7},
        {"65535*65537", -1},
        {"$10014-$10000", 0x14},
        {"$10014", 0x10014},
    };
    for (const Case& c : cases) {
        captured.clear();
        EXPECT_EQ(asm_eval(c.text), c.value) << c.text;
        EXPECT_EQ(captured, "") << c.text;
    }
}

TEST_F(ExprTest, RadixesAndNotations) {
    assembling(2, NUM_DECIMAL);
    const Case decimal[] = {{"1FH", 31},   {"17", 17},    {"0AH", 10},   {"$1F", 31},
                            {"'H'1F", 31}, {"'D'19", 19}, {"'O'17", 15}, {"'B'101", 5},
                            {"!99", 99},   {"%1010", 10}, {"@17", 15},   {"17O", 15},
                            {"12Q", 10},   {"101B", 5},   {"20D", 20},   {"^H1F", 31},
                            {"^B11", 3},   {"^D12", 12},  {"^O10", 8},   {"H'1F'", 31}};
    for (const Case& c : decimal)
        EXPECT_EQ(asm_eval(c.text), c.value) << c.text;
    asm_radix = NUM_HEX;
    EXPECT_EQ(asm_eval("17"), 23);
    EXPECT_EQ(asm_eval("11B"), 283);

    dis_notation = NOTATION_NEW_CALM;
    EXPECT_EQ(asm_eval("16'1F"), 31);
    EXPECT_EQ(asm_eval("2'11"), 3);
    EXPECT_EQ(asm_eval("8'17"), 15);
    dis_notation = NOTATION_IEEE;
    EXPECT_EQ(asm_eval("H'1F'"), 31);
    EXPECT_EQ(asm_eval("Q'17'"), 15);
    EXPECT_EQ(asm_eval("^H10"), 16);
    captured.clear();
    EXPECT_EQ(asm_eval("$10"), 0);
    EXPECT_EQ(asm_eval("!10"), 0);
    EXPECT_EQ(captured, "Error: unexpected $!\nError: unexpected !!\n");
}

TEST_F(ExprTest, CharacterConstantsLabelsAndMnemonics) {
    assembling(2, NUM_DECIMAL);
    const Case cases[] = {{"E'A'", 0xC1}, {"E'a'", 0xC1},  {"E'0'", 0xF0},  {"A'A'", 0x41},
                          {"'A'", 0x41},  {"\"z\"", 0x7A}, {"'A'+1", 0x42}, {"HALT", 0x40},
                          {"SENS", 0x80}, {"CR", 13},      {"esc+1", 28}};
    for (const Case& c : cases)
        EXPECT_EQ(asm_eval(c.text), c.value) << c.text;
    EXPECT_EQ(asm_to_ebcdic('s'), 0xE2);
    EXPECT_EQ(asm_to_ebcdic('_'), 0x6D);
    EXPECT_EQ(asm_to_ebcdic('['), 0);

    sym_add_quiet("START", 0x0140, 'C');
    sym_add_quiet("CR", 0x0D0D, 'D'); // a label comes before the control name
    EXPECT_EQ(asm_eval("start+2"), 0x142);
    EXPECT_EQ(asm_eval("CR"), 0x0D0D);
    EXPECT_EQ(asm_eval("^CSTART"), 65535 - 0x140);
    EXPECT_EQ(asm_eval("^LSTART"), 0x40);
    EXPECT_EQ(asm_eval("^MSTART"), 0x01);
    EXPECT_EQ(user_labels[0].used, 1) << "a reference during an assembly marks the label";

    machine = ARCADIA; // no terminal: CR is no value there
    machine_bus_install();
    sym_add_quiet("CR", 0, 'D');
    labels_reset();
    captured.clear();
    EXPECT_EQ(asm_eval("CR"), 0);
    EXPECT_EQ(captured, "Error: invalid label or number (parsed as decimal)!\n");
}

TEST_F(ExprTest, LocationCounterPerNotation) {
    assembling(2, NUM_DECIMAL);
    asm_location = 0x0105;
    EXPECT_EQ(asm_eval("$"), 0x0104);
    EXPECT_EQ(asm_eval("$+3"), 0x0107);
    asm_eval_equate = true;
    EXPECT_EQ(asm_eval("$"), 0x0105);
    asm_eval_equate = false;
    dis_notation = NOTATION_OLD_CALM;
    EXPECT_EQ(asm_eval("APC-4"), 0x0100);
    dis_notation = NOTATION_IEEE;
    EXPECT_EQ(asm_eval("*+1"), 0x0105);
    EXPECT_EQ(asm_eval("2*3"), 6);
}

TEST_F(ExprTest, ErrorsDuringAnAssembly) {
    assembling(1, NUM_DECIMAL);
    EXPECT_EQ(asm_eval("LATER+1"), 1) << "pass 1: an unknown label counts 0, silently";
    EXPECT_EQ(captured, "");
    EXPECT_EQ(asm_error_count, 0u);

    asm_pass = 2;
    struct Err {
        const char* text;
        i32 value;
        const char* said;
    };
    const Err errors[] = {
        {"LATER", 0, "invalid label or number (parsed as decimal)"},
        {"", 0, "empty expression"},
        {"(1+2", 0, ") expected"},
        {"HI(5", 0, ") expected"},
        {"7%0", 0, "divide by zero"},
        {"7/0", 0, "divide by zero"},
        {"3)", 0, "invalid character ')'"},
        {"'H'1G", 0, "invalid hex number"},
        {"%102", 0, "invalid binary number"},
        {"^X1", 0, "B/C/D/H/L/M/O expected"},
        {"^CNOPE", 0, "invalid label or number for ^C"},
        {"5--", 5, "missing term"},
    };
    std::string said;
    asm_error_report = [](const char* text) {
        captured += std::string("[") + text + "]";
        return true;
    };
    for (const Err& e : errors) {
        captured.clear();
        EXPECT_EQ(asm_eval(e.text), e.value) << e.text;
        EXPECT_EQ(captured, std::string("[") + e.said + "]") << e.text;
    }
    EXPECT_EQ(asm_error_count, std::size(errors));
    // What may follow an operand inside a source line.
    captured.clear();
    EXPECT_EQ(asm_eval("5,r1"), 5);
    EXPECT_EQ(asm_cursor, 1u);
    EXPECT_EQ(asm_eval("6 ;comment"), 6);
    EXPECT_EQ(captured, "");
}

// Failure is the error, not a value: $10014 is a value like any other.
TEST_F(ExprTest, OutsideAnAssemblyFailuresPrintAndCountZero) {
    const struct {
        const char* text;
        i32 value;
        const char* said;
    } cases[] = {
        {"NOWHERE", 0, "Error: invalid label or number (parsed as hexadecimal)!\n"},
        {"5--", 5, "Error: missing term!\n"},
        {"--", 0, "Error: missing term!\n"},
        {"$", 0, "Error: $ (the location counter) has no value outside an assembly!\n"},
        {"FFFFFFFF+43", 0, "Error: FFFFFFFF+43 is wider than 32 bits!\n"},
        {"10000*10000", 0, "Error: 10000*10000 is wider than 32 bits!\n"},
        {"0-FFFFFFFF", 0, "Error: 0-FFFFFFFF is wider than 32 bits!\n"},
        {"-FFFFFFFF", 0, "Error: -FFFFFFFF is wider than 32 bits!\n"},
        {"0-80000000", INT32_MIN, ""},
        {"10014", 0x10014, ""},
        {"10014-10000", 0x14, ""},
        {"FFFFFFFF/2", 0x7FFFFFFF, ""},
        {"5--1", 6, ""},
        {"", 0, "Error: empty expression!\n"},
        {"1)", 0, "Error: invalid character ')'!\n"},
        {"lodz,r2", 2, ""}, // a comma ends no term outside an assembly
        {"1F+1", 0x20, ""}, // the debugger's default base is hexadecimal
    };
    for (const auto& c : cases) {
        captured.clear();
        EXPECT_EQ(asm_eval(c.text), c.value) << c.text;
        EXPECT_EQ(captured, c.said) << c.text;
    }
    EXPECT_EQ(asm_error_count, 0u);
}

TEST_F(ExprTest, DebuggerOperandsAreExpressions) {
    sym_add_quiet("TABLE", 0x0200, 'D');
    EXPECT_EQ(dbg_parse_register_operand("TABLE+10", 0x7FFF, 0), 0x0210u);
    EXPECT_EQ(dbg_parse_register_operand("r3", 0x10014, 0), MEM_REG_BASE + 3);
    EXPECT_EQ(dbg_parse_register_operand("7FFF+1", 0x7FFF, 0), static_cast<u32>(REG_NONE));
    EXPECT_EQ(dbg_parse_register_operand("0-1", 0x7FFF, 0), static_cast<u32>(REG_NONE));
    captured.clear();
    EXPECT_EQ(dbg_parse_register_operand("ZZ", 0x7FFF, 0), static_cast<u32>(REG_NONE));
    EXPECT_EQ(captured, "Error: invalid label or number (parsed as hexadecimal)!\n");
}

} // namespace
