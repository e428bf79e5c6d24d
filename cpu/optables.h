// The 2650 instruction set as data: length and duration of every opcode, its
// texts in the five assembler notations, the names of registers and flags per
// notation, the number prefixes of each notation, and the adaptation of these
// tables to the processor variant (2650/2650A or 2650B).
//
// op_length, op_cycles and op_text are writable: cpu_apply_type_tables
// re-points the entries that differ between the 2650 and the 2650B. The texts
// themselves are shared constants.
#pragma once

#include "cpu/cpu.h"

// Assembler notations, selected by dis_notation.
enum Notation : u32 {
    NOTATION_SIGNETICS = 0, // non-extended Signetics
    NOTATION_EXTENDED = 1,  // extended Signetics
    NOTATION_OLD_CALM = 2,
    NOTATION_NEW_CALM = 3,
    NOTATION_IEEE = 4, // IEEE-694
};
constexpr u32 NOTATIONS = 5;

// The text of one opcode in one notation.
struct OpcodeText {
    const char* mnemonic;
    const char* operands; // template appended to the mnemonic; "" when none
    const char* pseudocode;
    const char* long_name;
    const char* flags_read;
    const char* flags_written;
    const char* cc_effect;
};

// Settings key "notation", 0..4.
extern u32 dis_notation;

// Instruction length in bytes (1..3).
extern u32 op_length[256];
// Duration in clock periods (three make one processor cycle).
extern u32 op_cycles[256];
// op_text[notation][opcode].
extern OpcodeText op_text[NOTATIONS][256];

// Rows of reg_names. Columns 0..4 short name per notation, 5..9 long name.
enum RegNameRow : u32 {
    REGNAME_R0 = 0,   // r0..r6 at rows 0..6
    REGNAME_RAS0 = 7, // RAS0..RAS7 at rows 7..14
    REGNAME_S = 15,
    REGNAME_F = 16,
    REGNAME_II = 17,
    REGNAME_UF1 = 18,
    REGNAME_UF2 = 19,
    REGNAME_SP = 20,
    REGNAME_CC = 21,
    REGNAME_IDC = 22,
    REGNAME_RS = 23,
    REGNAME_WC = 24,
    REGNAME_OVF = 25,
    REGNAME_COM = 26,
    REGNAME_C = 27,
    REGNAME_IAR = 28,
    REGNAME_OPCODE = 29,
    REGNAME_ROWS = 30,
};
constexpr u32 REGNAME_LONG = 5; // column offset of the long names

extern const char* const reg_names[REGNAME_ROWS][10];

// Rows of register_names: the debugger's register operands ($10000 + row).
enum RegisterRow : u32 {
    REGISTER_R0 = 0, // R0..R6 at rows 0..6
    REGISTER_PSU = 7,
    REGISTER_PSL = 8,
    REGISTER_SP = 9,
    REGISTER_CC = 10,
    REGISTER_IAR = 11,
    REGISTER_RAS0 = 12, // RAS0..RAS7 at rows 12..19
    REGISTER_ROWS = 20,
};

extern const char* const register_names[REGISTER_ROWS][NOTATIONS];

// ASCII abbreviations of codes 0..31 ("NUL" .. "US"). Only codes below 32.
extern const char ascii_control_names[32][4];

// Displacement of a relative operand byte: bits 0-6 signed, bit 7 ignored.
extern const i32 rel_offset_table[256];

// Number prefixes per notation: "$", "16'", "H'" and "%", "2'", "B'".
extern const char* const dis_hex_prefix[NOTATIONS];
extern const char* const dis_binary_prefix[NOTATIONS];

// Rewrites the variant-dependent entries of op_length and op_cycles and the
// variant-dependent rows of op_text[dis_notation] for cpu_type; on the plain
// 2650 also clears UF1 and UF2 in PSU.
void cpu_apply_type_tables();

// Puts op_length, op_cycles and every row of op_text back to the contents the
// program starts with (tests and start-up).
void cpu_reset_op_tables();

// The fixed row sets each notation starts with.
extern const OpcodeText op_text_signetics[256];
extern const OpcodeText op_text_extended[256];
extern const OpcodeText op_text_old_calm[256];
extern const OpcodeText op_text_new_calm[256];
extern const OpcodeText op_text_ieee[256];
