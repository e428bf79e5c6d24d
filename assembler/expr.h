// The expression evaluator shared by the assembler and the debugger's operand
// readers: numbers in every radix and notation, labels of every label source,
// character constants (ASCII, EBCDIC, the guest's set), the location counter
// and the operators + - * / % & | ^ ~, applied strictly from left to right.
//
//   asm_eval("HI($1234)+1");   // $13
//
// Failure is told by the error, never by a value, so every 32-bit value can
// be written; a term that failed counts 0. A literal wider than 32 bits is an
// error. An expression may begin with '~' ("~X" is X exclusive-or 255).
// During an assembly errors go to asm_error and results wrap at 32 bits.
// Outside one (asm_active false) they print as "Error: %s!" (or go to
// asm_eval_error_report), and a missing term (an operator with nothing after
// it), a result wider than 32 bits and the location counter are errors too.
#pragma once

#include "cpu/cpu.h"

#include <optional>

// What asm_opcode_value gives for a name that is no mnemonic.
constexpr i32 ASM_NO_VALUE = 0x10014;

extern bool asm_active;           // an assembly runs
extern u32 asm_pass;              // its pass, 1 or 2
extern i32 asm_location;          // the location counter
extern bool asm_eval_equate;      // the value of an EQU or SET is being evaluated
extern u32 asm_radix;             // default radix while assembling (NUM_BINARY..NUM_HEX)
extern const char* asm_parse_pos; // the evaluator's position in its text
extern u32 asm_cursor;            // how far the last asm_eval moved, while assembling
extern u32 asm_error_count;       // errors reported during the assembly
extern bool asm_report_in_pass1;  // pass 1 reports errors too (include directives)

// Where errors go during an assembly (the assembler's report with the source
// line); it answers false for an error told already, which then does not count.
// Without one they are counted and printed as "Error: %s!".
extern bool (*asm_error_report)(const char* text);
// Where errors go outside an assembly (the debugger's operand readers make
// them refusals of the command); nullptr: printed as "Error: %s!".
extern void (*asm_eval_error_report)(const char* text);
// Told, outside an assembly, of a token read as a label although it is also a
// number literal (the label wins); nullptr: nothing is said.
extern void (*asm_eval_label_note)(const char* token, int length, i32 value);
void asm_error(const char* text);

// Value of the expression in text (see the header comment for the errors).
i32 asm_eval(const char* text);
// The same value before it is cut to 32 bits: outside an assembly
// -$80000000..$FFFFFFFF, so that $FFFFFFFF and -1 stay apart.
i64 asm_eval_wide(const char* text);
// The grammar's two levels, reading at asm_parse_pos; 0 for a term that failed.
i64 asm_eval_expr();
i64 asm_eval_term();
// Value of one token of `length` characters; nothing after its error.
std::optional<i64> asm_token_value(const char* token, int length);
// A label of any source; with `fallback` then a mnemonic and a number.
// Nothing when it is none of them (no error is reported).
std::optional<i64> asm_symbol_value(const char* name, int length, bool fallback);
// The opcode whose mnemonic in the current notation is `name`, or ASM_NO_VALUE.
i32 asm_opcode_value(const char* name, int length);
// A number literal; nothing when it is none (reported in pass 2 of an assembly).
std::optional<i64> asm_number_value(const char* name, int length);
// EBCDIC code of a character, 0 for those without one.
u8 asm_to_ebcdic(char c);
// True for the characters that end a term.
bool asm_term_end(char c);

// Back to no assembly, radix and counters cleared.
void asm_expr_reset();
