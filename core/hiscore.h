// High scores: one record per known game (52 Arcadia games, the six coin-op
// games, six ball-and-paddle games and 23 Type-right records), read off the
// guest's screen memory once per frame, kept in "PROGDIR:Configs/Brindlemox.hgh"
// (4786 bytes), and the autosave state written at exit.
#pragma once

#include <string>

#include "cpu/cpu.h"

#include <cstdint>

constexpr int HISCORE_SLOTS = 87;
constexpr int HISCORE_FILE_SIZE = 4786;
constexpr int HISCORE_RECORD_SIZE = 55;
constexpr u8 HISCORE_VERSION = 16;
constexpr const char* HISCORE_FILE_NAME = "PROGDIR:Configs/Brindlemox.hgh";

struct HiScoreRecord {
    u16 address[4];     // score displays, one per player; 0 ends the list (static)
    u8 digits;          // 1..6 (static)
    std::int8_t stride; // from one digit to the next, most significant first (static)
    u32 score;          // 0 = none
    char when[16];      // date and time the score was set
    u32 play_seconds;
    u32 play_micros; // 0..999999
    char who[31];    // the user who set it
};

extern HiScoreRecord hiscores[HISCORE_SLOTS];

// Gives every record no score, no play time and "-" as its texts.
void hiscore_reset();

// Reads the file into the table (start-up). A file it cannot take (no regular
// file, unreadable, of another size or version) is said once on the console
// (a wrong version also with a warning) and kept: the table starts empty.
void hiscore_load();
// Start-up ran hiscore_load and the file may be replaced at exit: set when the
// file was read, is empty or does not exist; clear when it could not be taken.
extern u8 hiscore_load_ran;

// Writes the table to the file (exit), unless start-up could not read the file
// that is there. When it cannot be written, a message says so and the old file
// is kept.
void hiscore_save();
bool hiscore_write_file(); // the same, telling whether it worked

// Reads the running game's score off the screen and raises its record.
void hiscore_scan(int slot);
// Raises a record to `value` (the Type-right's own records); `who` stays.
void hiscore_raise(int slot, u32 value);
// 1 when any record of the current machine's range has a score.
int hiscore_count();
// Clears every record of the current machine's range.
void hiscore_clear();

// Adds to a record's play time: whole seconds carry out of the microseconds.
void hiscore_add_play_time(int slot, u32 micros);

// The session's autosave state in the games drawer: "AUTOSAVE.COS" for the
// settings file "Brindlemox.ini", and "AUTOSAVE-<name>.COS" for any other
// (its name under Configs, a "/" in it as "%2F" and a "%" as "%25"), so that
// a session started with one settings file resumes only what a session on
// that file saved, and no two files share one.
std::string autosave_path();
// Beside the autosave, what the printers could not save on the way out
// ("AUTOSAVE.PAGES" beside "AUTOSAVE.COS"), for the next start.
std::string autosave_pages_path();
// The autosave's file name for the settings file `settings` (a path under
// "PROGDIR:Configs/", or a name there).
std::string autosave_name(const std::string& settings);
// Whether `file` (a name, its folder ignored) is one autosave_name gives:
// what runs after a start that resumed the autosave, never a program the
// user loaded.
bool autosave_named(const char* file);

// The exit-time autosave: autosave_path() when "autosave" is
// on and no frame is half run, and what the machine saves when it is left (the
// Malzak 2 NVRAM); nothing in UPGRADE mode. An autosave that could not be
// written, or was not because a frame is half run, is named in the text
// returned, with its file, the reason and what the next start will resume
// instead ("" when it was written or not due). With `kept_aside` the
// autosave there is kept as it is, for that reason.
std::string autosave_on_exit(const std::string& kept_aside = "");
