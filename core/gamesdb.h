// The games database and the game list: identification of game images by
// length, CRC-32 and CRC-64; the game information texts; and the entries of
// the game list that a drawer scan builds, with its report and sort order.
#pragma once

#include "core/seams_games.h"
#include "cpu/cpu.h"

#include <cstddef>

extern i32 known_game_id;                     // row of the loaded game, -1 = none
constexpr u32 GAME_IDENTIFY_MAX_SIZE = 59796; // larger files are never known

// ---- CRCs ---------------------------------------------------------------------------
extern u32 crc32_table[256];
extern u32 crc64_high, crc64_low; // halves of the last CRC-64

void crc32_build_table();
// CRC-32 (ISO-HDLC, as zlib): 0 for a length of 0 or less.
u32 crc32(const u8* buffer, i32 length);
// Continues a CRC-32; a length of 0 or less returns `previous`.
u32 crc32_update(const u8* buffer, i32 length, u32 previous);
// CRC-64/WE; the result goes to crc64_high and crc64_low.
void crc64(const u8* buffer, i32 length);

// The row matching `size` bytes at `data`, -1 when none.
int game_identify_data(const u8* data, u32 size);
// Identifies the file buffer (its `filebuf_length` bytes): 1 known, 0 not; the
// row, or -1, goes to `row`. The loader makes it the known game only once the
// load goes ahead.
int game_identify(i32* row);

// ---- Game information ---------------------------------------------------------------
constexpr int GAME_INFO_FIELDS = 8; // name, credits, reference, memory map, size,
                                    // checksums, language, start address
extern char game_info_fields[GAME_INFO_FIELDS][81];
// The longer text beside the fields: on a machine that chooses its game
// itself, the description of the game chosen.
extern char game_overlay_text[512];
// Text of a `language` value.
const char* game_language_text(int language);
// The game information shown for the loaded game.
void game_info_text();
// The size text of the game information: "%d bytes", or kilobytes.
void game_size_text(u32 size, char* out, std::size_t out_size);

// ---- Game list --------------------------------------------------------------------------
constexpr int GAMES_MAX = 870;

struct GameEntry {
    char path[513]; // full path; empty for built-in boards and navigation
    char label[97]; // what the list shows
    std::int16_t game_row;
    u32 picture;
    std::int8_t entry_machine; // -1 directory and navigation entries
    std::int8_t entry_memmap;  // -2 navigation, -1 directory
};

enum GameCounter : int {
    GC_KNOWN,
    GC_UNKNOWN_PROGRAMS,
    GC_STATES,
    GC_OTHER_PROGRAMS,
    GC_DISKS,
    GC_TAPES,
    GC_MEDIA,
    GC_ICONS,
    GC_UNKNOWN_FILES,
    GC_DIRECTORIES,
    GC_COUNTERS
};

extern GameEntry games_found[GAMES_MAX];
extern int games_count;
extern u32 games_sort_index[GAMES_MAX];
extern int game_list_sel;
extern int games_counters[GC_COUNTERS];

// Clears the counters and makes the navigation (and built-in board) entries.
void games_list_entries();
// Classifies one file of the drawer being audited; `size` is the size the
// audit found.
void games_scan_file(const char* path, u32 size, int verbose);
// The drawer report of the last scan into `buffer`.
void games_dir_report(char* buffer, std::size_t size);
void games_list_sort();
void games_sort_swap(int i, int j);

// Opens the entry at game_list_sel: a navigation or drawer entry changes the
// games drawer, a file entry is loaded, a built-in board is switched to.
void games_open_entry();
// The games drawer one level up: "a/b/c" gives "a/b/", "Work:games" gives
// "Work:"; an empty drawer or "/" gives "/".
void games_parent_path(char* path, std::size_t size);
// Appends `part` to the drawer `path` as one more path part.
void games_add_part(char* path, std::size_t size, const char* part);
// Splits a full file path into games_path (its drawer) and game_file_name.
void games_split_path(const char* path);

// ---- The audit (game_audit.cpp) ------------------------------------------------------
constexpr std::size_t GAME_HINT_SIZE = 257;
constexpr std::size_t GAMES_REPORT_SIZE = 1200;
extern u8 audit_due; // an audit is owed to the list (none made yet, or asked for while hidden)
extern char game_hint_texts[GAMES_MAX][GAME_HINT_SIZE]; // per record
extern char games_report_text[GAMES_REPORT_SIZE];       // the last audit's report
// The interface is to show it: 1 and wait for the user; 2 (asked by a command
// of the port, which answers at once) without waiting.
extern u8 games_report_pending;

// Reads games_path into the game list: the leading entries, a record per
// drawer and per identified file, sorted, with hints; marks UI_GAME_LIST and
// selects the row of what runs (games_find_loaded): every rebuild goes
// through here, so the selection never stays on a row that moved.
// With the list hidden and `report` 0 it only sets audit_due. With `report`
// the scan names what it cannot identify and the report is left pending.
// A drawer that cannot be read gets "Can't lock directory!".
void games_audit_drawer(int report);
// Writes every record's hint text.
void games_build_hints();
// Selects the row of the loaded file (the same file on disk, however its
// path is spelled; by name, case ignored, when it cannot be examined), else
// the built-in board of the current memory map, else none; marks
// UI_GAME_SELECT. The loader calls it for every file it loads.
void games_find_loaded();
// Shows the selected row anew (marks UI_GAME_SELECT).
void games_select_loaded();
// Moves game_list_sel one row back (step < 0) or on: from none to the last
// row or to row 2, the first game; it stops at row 0 and at the last row.
// False when the selection did not change.
bool games_step_selection(int step);
// No records, nothing selected, an audit due, no report pending.
void games_list_reset();
// Switches to another memory map as a new game (a built-in board picked in
// the game list, a recent file's machine): not inside a frame, nothing when it
// is the current one. True when that map runs afterwards.
bool emu_set_memory_map(int new_machine, int new_memmap);

// Picture of a game-list entry (a known game's row, -1 none, and its memory
// map), as the interface chooses it; installed with the interface, nullptr
// (picture 0) without one.
extern int (*game_picture_number)(int game_row, int map);
