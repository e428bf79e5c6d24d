// Stand-ins for the debugger's label sources and the address comment and note
// tables, until the debugger and the machine data provide them. symbols_seam.cpp
// holds one plain definition of each; the owner that writes the real one
// deletes it there and moves the declaration to its own header. The shapes
// follow what the disassembler reads.
#pragma once

#include "cpu/cpu.h"

// One label: address, name, kind ('C' code, 'D' data, 'P' pointer, 'U'
// unknown), hide byte (nonzero: not listed among the equates), used flag.
struct LabelRow {
    u16 address;
    char name[41];
    u8 kind;
    u8 hide;
    u8 used;
};

constexpr int USER_LABEL_ROWS = 2048;
constexpr int LABEL_TABLE_ROWS = 6780;
constexpr int LABEL_PVI_FIRST = 325; // 33 rows per PVI, addresses relative to its base
constexpr int LABEL_PVI_ROWS = 33;
constexpr int LABEL_ACOS_FIRST = 2301; // BINBUG ACOS rows
constexpr int LABEL_ACOS_ROWS = 218;
constexpr int LABEL_CPU_FIRST = 4156;
constexpr int LABEL_CPU_ROWS = 14;
constexpr int LABEL_GAME_BASE = 4225; // game rows: base + the game's first..last

extern LabelRow user_labels[USER_LABEL_ROWS];
extern u32 user_label_count;
extern LabelRow label_table[LABEL_TABLE_ROWS];
extern i32 dos_label_first, dos_label_last; // BINBUG DOS rows, -1 = none

// Adds or redefines a user label of kind 'C', 'D', 'P' or 'U'; reports its own failures.
void sym_add(const char* name, u32 address, u8 kind);

// Address notes: first address, last address (-1 the first only, -2 the first
// and the next), text of one or more lines.
struct MemNote {
    i32 first;
    i32 last;
    const char* text;
};
// Address comments: one address, one text.
struct MemComment {
    i32 address;
    const char* text;
};

extern const MemNote* mem_notes;
extern int mem_note_rows;
extern const MemComment* mem_comments;
extern int mem_comment_rows;

constexpr int NOTE_BINBUG_FIRST = 546; // fixed BINBUG note rows
constexpr int NOTE_BINBUG_LAST = 592;
constexpr int NOTE_GAME_BASE = 726;        // game note rows: base + the game's range
constexpr int COMMENT_BINBUG_FIRST = 4501; // fixed run of 391 BINBUG comment rows
constexpr int COMMENT_BINBUG_LAST = 4891;
extern i32 dos_comment_first, dos_comment_last; // BINBUG DOS ranges, -1 = none
extern i32 dos_note_first, dos_note_last;
