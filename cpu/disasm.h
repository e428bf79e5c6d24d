// The disassembler: one 2650 instruction as text in the five notations, with
// its pseudo-code statement, flag comments, timing columns and compact trace
// line; the operand formatters behind it; the range listing of the debugger;
// and the "Next instruction" message. (The source-file writer and the address
// comments are the debugger's: debugger/disasm_file.h.)
//
// One call of dis_instruction fills the text buffers below; callers print or
// copy them before the next call. The disassembler only reads the guest: it
// keeps the condition context of its own and overwrites cpu_pointer_addr.
#pragma once

#include "cpu/cpu.h"
#include "cpu/optables.h"

constexpr u32 DIS_EA_NONE = 0x10014; // dis_ea when no address is pending

constexpr int DIS_LINE_SIZE = 512;
constexpr int DIS_OPERAND_SIZE = 256;
constexpr int DIS_FLAG_COMMENTS_SIZE = 2048;
constexpr int DIS_NUMBER_SIZE = 16;

// What the condition code means after the last disassembled instruction.
enum DisContext : u32 {
    DIS_CTX_UNKNOWN = 0,
    DIS_CTX_COMPARE = 1, // result of a comparison
    DIS_CTX_VALUE = 2,   // sign and zero of a value
    DIS_CTX_TEST = 3,    // result of a test under mask
};

// dis_mode
enum DisMode : u32 { DIS_INTERACTIVE = 0, DIS_LISTING = 1, DIS_FILE = 2 };

// The notation as an index 0..4 (an out-of-range setting reads as notation 0).
inline u32 dis_notation_index() {
    return dis_notation < NOTATIONS ? dis_notation : 0;
}

// Outputs of dis_instruction.
extern char dis_line[DIS_LINE_SIZE];                   // instruction text (+ comment columns)
extern char dis_pseudo_line[DIS_LINE_SIZE];            // pseudo-code statement
extern char dis_flag_comments[DIS_FLAG_COMMENTS_SIZE]; // ";..." lines, each ending in "\n"
extern char dis_trace_line[DIS_LINE_SIZE];             // compact trace line (verbosity 1)
extern char dis_reg_name[4];                           // the instruction's register
extern u32 dis_cc_context;                             // DisContext, kept between calls
extern u32 dis_ea;                                     // target/effective address or DIS_EA_NONE
extern u32 dis_mode;                                   // DisMode
extern u32 dis_cycles;                                 // duration in clock periods
extern u8 dis_taken_extra;                             // conditional branch with indirect operand

// Outputs of the operand formatters.
extern char dis_operand_text[DIS_OPERAND_SIZE];   // in the current notation
extern char dis_pseudo_operand[DIS_OPERAND_SIZE]; // in pseudo-code form

// Number texts: the current notation's form and the pseudo-code ("$", "%") form.
extern char dis_number_text[DIS_NUMBER_SIZE];
extern char dis_number_plain_text[DIS_NUMBER_SIZE];

// Listing state.
extern u32 dis_next_address; // after the last range listed with output

// Disassembles the instruction at cpu_iar. log nonzero: the caller has set
// cpu_opcode and cpu_regsel and wants the comment columns; with no_label 0 the
// label line of cpu_iar is printed first (verbosity above 0).
void dis_instruction(int log, int no_label);

// Operand formatters for the instruction at cpu_iar.
void dis_operand_absolute();
void dis_operand_relative();
void dis_operand_branch(int annotate);
void dis_operand_zero_page(int annotate);

// Number texts of a byte into dis_number_text and dis_number_plain_text.
void dis_format_hex(u32 value);
void dis_format_binary(u32 value);

// Start-up state of the disassembler.
void dis_reset();

// "Next instruction is %s at %s." for the opcode at cpu_iar.
void dis_log_next_instruction();

// Lists the instructions from first while the address is not above last.
void dis_list_range(u32 first, u32 last, int quiet);

// Ends the listing line of the instruction just disassembled.
void dis_region_comment();

// Appends the register columns (after the instruction) to a trace line.
void trace_log_registers();

// "code", "data", "pointer" or "unknown".
const char* dis_memory_type_name(int kind);

// Internal: the flag comments of the program-status instructions (disasm_psw.cpp).
// Writes dis_line / dis_pseudo_line for opcodes $10-$13, $74-$77, $92, $93,
// $B4, $B5 and returns true; false for any other opcode.
bool dis_status_instruction(u8 opcode, u8 b1);
