// The debugger's side of the disassembler: the comments and notes of an
// address from the machine, game and DOS tables, the equate sections of every
// label source, and the disassembly of guest memory into an assembler source
// file with code discovery and invented labels (DISGAME and the debugger's
// source-file command).
#pragma once

#include "cpu/disasm.h"

#include <functional>
#include <string>

// Bits of dis_addr_flags, the code discovery of dis_to_file.
constexpr u16 DIS_CODE = 0x001;          // decoded as an instruction
constexpr u16 DIS_INDIRECT = 0x002;      // indirect branch
constexpr u16 DIS_CALCULATED = 0x004;    // indexed branch
constexpr u16 DIS_FLOW_END = 0x008;      // unconditional jump, return, HALT
constexpr u16 DIS_ILLEGAL = 0x010;       // undefined opcode
constexpr u16 DIS_INDETERMINATE = 0x020; // LODZ r0
constexpr u16 DIS_CODE_LABEL = 0x040;    // entry point or branch target
constexpr u16 DIS_DATA_LABEL = 0x080;    // target of a direct memory reference
constexpr u16 DIS_POINTER_LABEL = 0x100; // target of an indirect memory reference
constexpr u16 DIS_ITEM_START = 0x200;    // the body writes a line (and a label) here

extern u16 dis_addr_flags[GUEST_MEMORY_SIZE];

// Comments and notes of an address.
void dis_print_address_comments(u32 address);
// Calls `each` with the text of every comment row of the address: the
// machine's, the disk system's, then the running game's first.
void dis_address_comment_rows(u32 address, const std::function<void(const char*)>& each);
// mode 0 prints the notes that start at address as comment lines, 1 prints the
// notes covering it, 2 appends them to buffer (each after a newline).
void dis_address_notes(u32 address, int mode, char* buffer, int buffer_size);

// The equate sections of every label source, with "EQU" or ".EQU"; the
// user's labels only with `user_labels`.
void dis_write_equates(const char* equate_word, bool user_labels = true);

// Disassembles guest memory first..last into a source file (empty name: the
// console only). The file is written without a name and linked in when
// complete, or, where the file system cannot do that, as "<name>.asm.tmp",
// which the exit path removes if the run ends before it is renamed. A stale
// "<name>.asm.tmp" is removed first. A CTRL-C or SIGTERM ends the run at the
// next line through the exit path. False when the file was named and not
// written (the refusal says why). The file is DISGAME's own output. How its
// name came (`DisName`) decides what happens to another file at it: a name
// DISGAME `made` (the game's, or ".asm" in place of the suffix typed) asks
// in the window and keeps it with nobody to ask; a name `typed` whole asks
// in the window only; a `batch` run (the command line's) writes the name
// as given.
enum class DisName { batch, typed, made };
bool dis_to_file(u32 first, u32 last, const char* filename, DisName name = DisName::batch);
// The file dis_to_file writes for `filename`: its extension replaced by ".asm"
// (a relative name lies in the projects drawer), and whether it exists.
std::string dis_file_name(const char* filename);
bool dis_file_exists(const char* filename);
// False writes through a named temporary file (beside the source file, under
// a fresh name of its own) even where an unnamed one would do (tests of that
// way use it).
extern bool dis_unnamed_temp_file;
