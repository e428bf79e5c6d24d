// Labels: the user label table, the built-in label table, the address
// formatter's label sources, SYM text (read and written), Tab completion of
// label names and the audit of name clashes between sources.
//
//   sym_add("START", 0x0100, 'C');
//   char text[DBG_ADDRESS_TEXT_SIZE];
//   dbg_format_address(0x0100, text, 1, 0, 0, 1); // "START ($100)"
#pragma once

#include "cpu/cpu.h"

#include <cstdio>
#include <string>

// One label: address, name, kind ('C' code, 'D' data, 'P' pointer, 'U'
// unknown, 'R' register), hide byte (nonzero: not listed among the equates),
// used flag (set by the assembler when a label is referenced).
struct LabelRow {
    u16 address;
    char name[41];
    u8 kind;
    u8 hide;
    u8 used;
};

constexpr int USER_LABEL_ROWS = 2048;
constexpr int LABEL_NAME_MAX = 40;
constexpr int LABEL_TABLE_ROWS = 6780;
constexpr int LABEL_PVI_FIRST = 325; // 33 rows per PVI, addresses relative to its base
constexpr int LABEL_PVI_ROWS = 33;
constexpr int LABEL_ACOS_FIRST = 2301; // BINBUG ACOS rows
constexpr int LABEL_ACOS_ROWS = 218;
constexpr int LABEL_CPU_FIRST = 4156; // processor flag names
constexpr int LABEL_CPU_ROWS = 14;
constexpr int LABEL_GAME_BASE = 4225; // game rows: base + the game's first..last

extern LabelRow user_labels[USER_LABEL_ROWS];
extern u32 user_label_count;
extern LabelRow label_table[LABEL_TABLE_ROWS]; // rows without a name never match
extern i32 dos_label_first, dos_label_last;    // BINBUG DOS rows, -1 = none

// The source that won the last dbg_format_address: 0x10014 a register name,
// 1000000 + index a user label, a built-in row number, or -1.
extern i32 label_match;
// Entries printed by the two-column list mode; the caller resets it.
extern u32 label_list_count;

// Adds or redefines a user label of kind 'C', 'D', 'P' or 'U'; reports its own
// results and failures.
void sym_add(const char* name, u32 address, u8 kind);
// The same without the reports of additions and redefinitions (errors still print).
void sym_add_quiet(const char* name, u32 address, u8 kind);
// Value of the label `name` (length characters, any case) from the user
// labels, the processor flags, the PVIs, the machine, on BINBUG its DOS and
// ACOS, and the loaded game, in that order; false when none has it. While an
// assembly runs (asm_active) a user label found is marked used.
bool sym_lookup(const char* name, size_t length, i32* value);

// Reads SYM text of sym_text_length bytes (it also ends at a NUL) into the user labels.
// A line that is no label line or whose label cannot be taken is said with its
// number and the name of `file` ("" none); the good lines load.
extern u32 sym_text_length;
void sym_parse_file(const char* text, const std::string& file);
// Writes the SYM text of every label source that applies.
void sym_write_file(std::FILE* file);
// LOADSYM with a file name: from the projects drawer, ".sym" (in either letter
// case) added when the name as given is missing or empty.
void dbg_load_symbols(const char* filename);
// Completes the label name at the end of g_dbg_line when exactly one label
// begins with it.
void dbg_complete_label();
// Prints the name clashes between label sources.
void dbg_audit_labels();
// The SYM keyword of a kind: "data  ", "code  ", "vector" or "symbol".
const char* dbg_label_type_word(u8 kind);

// Bodies of DEFSYM, CLEARSYM, LOADSYM and SAVESYM over dbg_arg1..: false when
// the command's usage is to be printed instead.
bool dbg_defsym();
bool dbg_clearsym();
bool dbg_loadsym();
bool dbg_savesym();

// Whether the current machine talks to an ASCII terminal (control names are values there).
bool dbg_ascii_terminal();

// Empties the user label table.
void labels_reset();
