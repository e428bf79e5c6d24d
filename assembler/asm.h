// The two-pass 2650 assembler: the driver (source search, line splitter,
// passes, emitter, listing, messages, object file) and the per-line front ends
// of the five notations with their shared operand and directive routines.
//
//   std::snprintf(asm_source_name, sizeof asm_source_name, "%s", "prog.asm");
//   asm_assemble_file();          // guest memory, prog.lst and the object file
//   if (asm_error_count) ...      // and asm_warning_count
//
// Expressions and the location counter are the evaluator's (assembler/expr.h).
#pragma once

#include "assembler/expr.h"

#include <cstdio>
#include <string>

constexpr int ASM_NAME_SIZE = 512;
// A line keeps at most 259 characters, after one blank that stands for its
// indentation, however wide.
constexpr int ASM_LINE_SIZE = 261;
constexpr int ASM_LABEL_SIZE = 42; // label being defined on the line
constexpr int ASM_INCLUDE_TREE_SIZE = 16384;
constexpr size_t ASM_SOURCE_MAX = 16u << 20; // expanded text, includes included
constexpr int ASM_INCLUDES_MAX = 256;        // text includes of one assembly

// ---- Driver state --------------------------------------------------------------------
extern char asm_source_name[ASM_NAME_SIZE];
extern std::string asm_source; // the whole (expanded) source text
extern i32 asm_read_index;     // splitter position in asm_source
extern i32 asm_line_start;     // first character of the current raw line
extern char asm_line[ASM_LINE_SIZE];
extern i32 asm_line_number;   // from 1, over the expanded text
extern i32 asm_line_location; // location at the start of the line
extern u8 asm_line_code[3];   // first three bytes the line emitted
extern i32 asm_line_code_count;
extern i32 asm_low_address, asm_high_address;
extern bool asm_origin_set, asm_end_seen, asm_start_set, asm_in_text_block;
extern i32 asm_start_address;
extern i32 asm_include_depth;
extern std::string asm_include_tree;
extern char asm_include_name[ASM_NAME_SIZE];
extern u32 asm_warning_count;
extern std::FILE* asm_listing_file;
extern char asm_label[ASM_LABEL_SIZE];
extern std::string asm_object_name; // object file of the last assembly ("" none)
extern std::string asm_first_error; // its first error with the line ("" none)
extern std::string asm_listing_name; // its listing file, absolute ("" none written)

// The source file a name stands for, relative to the current folder: the name
// itself when it is there, else with ".asm" added (unless it ends in a known
// file kind's extension), else with its extension made ".2650", else ".asm".
std::string asm_find_source(std::string name);
// Assembles the file named in asm_source_name (see the header comment).
void asm_assemble_file();
// Assembles `path` and keeps the result in the guest only when there was no
// error (a failed run leaves guest memory, the instruction address and the
// program start as they were): 10 after errors, 5 after warnings only, else 0.
// With `outputs_optional` (a load, which wants the program to run) a run that
// assembled but could not write its listing or object file keeps its result
// and gives 5; asm_unwritten_text says which file was not written and why.
int asm_assemble_checked(const char* path, bool outputs_optional = false);
std::string asm_unwritten_text(); // "" when every file was written
// What a notice says of an assembly that failed: the source, the count of
// errors, the first of them and where the listing is.
std::string asm_failure_text();
// The command-line batch run: assembles `path` with messages on stderr;
// 10 after errors, 5 after warnings only, else 0.
int asm_assemble_batch(const char* path);
// Runs asm_line through the notation's front end: false ends the pass.
bool asm_assemble_line();
// Stores one byte at the location counter (see the driver for the checks).
void asm_emit(u8 byte);
// A warning at the current line and cursor (short lower-case text, no "!").
void asm_warning(const char* text);
// The location counter := value, for origins and reservations; false (and the
// error) when value lies outside guest memory (`limit` is $7FFF or $8000).
bool asm_set_location(i32 value, i32 limit);

// ---- Shared operand forms -----------------------------------------------------------
bool asm_match(const char* text, bool whole_word);
// Skips blanks and tabs; with `required` the error "whitespace expected" when
// there is none. True when there was no blank.
bool asm_skip_blanks(bool required);
bool asm_at_end(); // only blanks left on the line
// Evaluates the expression at the cursor, which moves past it. Stops before
// any character of `stops` (besides the evaluator's own term ends).
i32 asm_eval_here(const char* stops = "");
int asm_register(int r0_rule, bool allow_r1_r2);
int asm_condition(bool allow_un);
i32 asm_fold_byte(i32 value);
void asm_emit_immediate(bool required_blank);
void asm_emit_relative(bool indirect);
void asm_zero_page(bool indirect);
void asm_absolute(u8 opcode, int reg);
// The two address bytes after an absolute opcode: the indirect bit (from the
// notation's prefix only), and for load, store and arithmetic (`mode` 0 to 3,
// the index mode) the address within the 8 KB page of the instruction; for
// a branch, LDPL and STPL (`mode` -1) any address up to $7FFF. An address the
// instruction cannot reach is an error with its caret at `where` (the
// address's column), and gives address 0.
void asm_emit_address(i32 address, bool indirect, int mode, u32 where);
void asm_branch_address();
void asm_indexed_branch(u8 opcode);
// The indirect prefix of the notation ("*", "@", "{").
const char* asm_indirect_prefix();
// Defines `name` with `value` as a user label (pass rules of the front ends).
void asm_define_label(const char* name, i32 value);
// Reads a label at the cursor into asm_label; `terminators` end it (and are
// skipped). 0 a label was read, 1 ended the pass after "syntax error" or
// "label too long".
int asm_read_label(const char* terminators);
// After a label: an equate word (one of `words`) gives it a value; else the
// location. True when the line is done (an equate), false to go on.
bool asm_label_definition(const char* const* words);

// ---- Directives -----------------------------------------------------------------------
bool asm_data_bytes();
bool asm_data_words(bool little_endian);
bool asm_data_bits();
bool asm_include();
bool asm_incbin();
bool asm_end_directive(); // END with its optional start address: false
// Makes `type` the CPU (CPU_2650, CPU_2650B) with its opcode tables, for .PROC
// and for a pass that starts on the CPU the assembly started on.
void asm_switch_cpu(u32 type);
// CALM directives: 1 handled, 0 not one, -1 the pass ends (.END, a failed .INCLUDE).
int asm_calm_directive();
// Signetics directives: -1 not one, else the line's result (0 ends the pass).
int asm_signetics_directive();
// Whether `word` (`length` characters, any case) is a Signetics directive's name.
bool asm_signetics_directive_word(const char* word, size_t length);

// ---- Front ends ------------------------------------------------------------------------
bool asm_line_signetics();
bool asm_line_old_calm();
bool asm_line_new_calm();
bool asm_line_ieee();

// Back to the start-up state (no assembly, counts 0).
void asm_reset();
