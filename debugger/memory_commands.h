// The memory and port commands (D, E, DOKE, FILL, COPY, COMP, FIND, READPORT,
// WRITEPORT, DIS, DISGAME), the register-or-memory edit they share with the
// edit prompt, and the text helpers of the inspection commands.
//
//   if (dbg_edit_register("R3", 0, 0)) { edit_new_value = 0x12; dbg_edit_memory(0, 0); }
#pragma once

#include "cpu/cpu.h"

#include <cstdio>

// The edit in progress, from dbg_edit_register to dbg_edit_memory: what is
// edited (a guest address, a register pseudo-address, REG_NONE for nothing),
// its value now, the new value, the largest value it takes, its label, and
// the texts the edit prompt shows.
extern u32 edit_target;
extern i32 edit_current;
extern i32 edit_new_value;
extern i32 edit_max;
extern char edit_what[81];
extern char edit_from_text[6];
extern char edit_to_text[18];

// Resolves `name` (a register name of the current notation, else an address
// or label) as the target of a byte or (word) 16-bit edit and fills the edit
// state; 0 when it names nothing editable (reported unless quiet).
int dbg_edit_register(const char* name, int quiet, int word);
// Writes edit_new_value to the resolved target and reports the change
// (unless quiet); out-of-bounds values change nothing.
void dbg_edit_memory(int quiet, int word);
// The answer to an edit that leaves the value as it was.
void dbg_no_effect();

// The edit prompt of the interface (what, quiet, word), set by the interface;
// nullptr without one: E and DOKE with one argument then answer that the
// command is unavailable.
extern int (*dbg_edit_prompt)(const char* what, int quiet, int word);

// "%s: \"...\"" with the guest text from start to end inclusive.
void dbg_print_memory_text(u32 start, u32 end);
// One "db" line per byte from start to end inclusive with its bit picture,
// to the console and, when given, to `file`; then an empty line.
void dbg_print_db_listing(u32 start, u32 end, std::FILE* file);
// The text code of a guest byte on the current machine (attribute bits masked off).
u8 dbg_text_code(u8 byte);

// The three addresses of a block command (COPY, COMP, SWAP) from the first
// three arguments, all checked before anything moves: false after the usage
// or the range message (also for a second block past the top of memory).
bool dbg_block_operands(u32* start, u32* end, u32* second);

// The command bodies.
void dbg_cmd_display_memory(); // D|PEEK|DM
void dbg_cmd_poke();           // E|POKE|PM|PR
void dbg_cmd_doke();           // DOKE
void dbg_cmd_fill();           // FILL
void dbg_cmd_copy();           // COPY|MOVE
void dbg_cmd_compare();        // CO|COMP
void dbg_cmd_find();           // FIND
void dbg_cmd_read_port();      // READPORT
void dbg_cmd_write_port();     // WRITEPORT
void dbg_cmd_disassemble();    // DIS|DI
void dbg_cmd_disgame();        // DISGAME
