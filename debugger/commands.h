// The debugger's command interpreter: the line buffer, its split into a
// command word and six arguments, the command table, usage and help texts,
// and the command history. Every answer goes through con_printf.
//
//   std::snprintf(g_dbg_line, sizeof g_dbg_line, "%s", "BP 1000");
//   dbg_execute();
#pragma once

#include "cpu/cpu.h"

#include <optional>
#include <string>
#include <vector>

constexpr int DBG_LINE_LENGTH = 593; // 592 characters and the terminator
constexpr int DBG_HISTORY_ROWS = 20;

extern char g_dbg_line[DBG_LINE_LENGTH];
extern char dbg_cmd[DBG_LINE_LENGTH];
extern char dbg_arg1[DBG_LINE_LENGTH], dbg_arg2[DBG_LINE_LENGTH], dbg_arg3[DBG_LINE_LENGTH];
extern char dbg_arg4[DBG_LINE_LENGTH], dbg_arg5[DBG_LINE_LENGTH], dbg_arg6[DBG_LINE_LENGTH];
extern char cmd_history[DBG_HISTORY_ROWS][DBG_LINE_LENGTH]; // row 0 the newest

// Runs the line in g_dbg_line: 0 when it ran, 10 when the debugger refused it
// (an unknown or unavailable command, bad arguments, a file that could not be
// read or written, the wrong guest machine).
int dbg_execute();
// Whether a debugger command is named `word` (any alias, any case).
bool dbg_command_known(const char* word);
// Whether words `a` and `b` name the same debugger command (aliases, any case).
bool dbg_same_command(const char* a, const char* b);
// Why the line must not run, as the debugger words it, when it is a Debug menu
// item's command and that item is ghosted; nullptr to run it. Set by the
// command layer (commands/menu_state.cpp, debug_line_wording); asked by
// dbg_execute before every line.
extern const char* (*dbg_item_refusal)(const char* line);
// The commands of the table that write files: names, argument words and the
// suffixes of what they write (see the table's `writes`); test support: the
// rows of the file writers' tests.
struct DbgFileWriter {
    const char* names;
    const char* arguments;
    const char* suffixes;
};
std::vector<DbgFileWriter> dbg_file_writers();
// What the refusals of the line run last printed ("" when it ran), kept even
// while con_printf is quiet.
const std::string& dbg_refusal_text();
// Adds the line in g_dbg_line to the history (newest first, no line twice).
void dbg_history_add();
// Prints the help text of category 0..11; other values print nothing.
void dbg_help(int category);
// False (after "Wrong guest machine!" when verbose) on the machines without a 2650.
bool dbg_machine_has_cpu(bool verbose);
// The object file SAVEAOF and SAVEEOF write on this machine: its own (the
// Elektor's cassette blocks), else Signetics absolute object records where
// Open runs them on this machine; null elsewhere (nothing it could load back).
struct ObjectFormat;
const ObjectFormat* dbg_object_format();
// Starts a host command through the shell, without input or output, not waited for.
extern void (*dbg_shell_start)(const char* command);
// Starts the host editor with argv (the editor's words, then the file name) as
// its argument vector, without input or output, not waited for; false when
// it could not be started.
extern bool (*dbg_editor_start)(char* const* argv);

// The interpreter's own state back to start-up: empty history and buffers.
void dbg_commands_reset();

// Copies an operand of at most 80 characters into `word`, cutting off a
// ":mask" suffix: the mask goes to dbg_mask when allowed (else a note), a bad
// one sets dbg_mask_refused. False when the operand is empty, or too long
// (refused with its length: no operand is read from a cut copy).
bool dbg_split_mask(const char* text, char (&word)[81], int mask_allowed);
// Register or address operand: a register name of the current notation, a
// label or a number literal; REG_NONE when unreadable (also when the
// evaluator stopped on an error part-way), above `limit`, or the machine has
// no processor. With mask_allowed a ":mask" suffix sets dbg_mask. Limits lie
// below REG_NONE (or at it, for condition targets, where $10014 names nothing
// either), so REG_NONE is never a value read.
u32 dbg_parse_register_operand(const char* text, u32 limit, int mask_allowed);
// The evaluator's value of an operand word, its errors refusals of the
// command being run ("Error: ...!"); nothing after any error.
std::optional<i64> dbg_eval_operand(const char* word);
extern u8 dbg_mask;
// Set by the operand readers when a ":mask" suffix was no byte.
extern bool dbg_mask_refused;
// Condition operator words: 1 <, 2 <=, 3 ==, 4 !=, 5 >=, 6 >; 0 none.
u8 dbg_parse_operator(const char* text);
