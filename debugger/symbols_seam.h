// Stand-ins for the address comment and note tables, until the machine data
// provides them. symbols_seam.cpp holds one plain definition of each; the
// owner that writes the real one deletes it there and moves the declaration to
// its own header. The shapes follow what the disassembler reads.
#pragma once

#include "cpu/cpu.h"

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
