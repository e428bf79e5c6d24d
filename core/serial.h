// The serialisation walker's buffer and field operations: one walk both writes
// and reads a save state (or the settings), and the direction flag tells every
// field operation whether to append its field or take it from the buffer.
// All multi-byte fields are big-endian.
//
// Reading never runs past the end of the buffer: a field that does not fit
// reads as 0, is not stored, and marks the walk as overrun. A dry read (used to
// validate a file before anything is switched) checks lengths the same way but
// stores nothing. Writing never runs past the buffer's capacity either.
#pragma once

#include "cpu/cpu.h"

#include <string>

constexpr u32 SERIAL_WRITE = 1;
constexpr u32 SERIAL_READ = 0;

extern u32 serial_dir; // 1 write (save), 0 read (load)

// ---- The buffer the walk works on ------------------------------------------
// Without an attached view the field operations work on the shared file buffer
// (core/recording.h) at its cursor: reading takes bytes below filebuf_length, writing
// fills the allocated buffer.
// Attaches `size` bytes at `data` with the cursor at `cursor`. Reading takes
// bytes below `size`; writing appends while the cursor stays below `size`.
void serial_attach(u8* data, u32 size, u32 cursor = 0);
void serial_detach();       // back to the shared file buffer
void serial_clear_status(); // forgets an overrun and a bad value
u32 serial_cursor();
void serial_seek(u32 position);
// The `count` bytes a read has just gone over (before the cursor), in the
// data it reads; nullptr when there are not that many or it writes.
const u8* serial_behind(u32 count);
// A field ran past the end of the buffer since the last attach.
bool serial_overrun();
// A walk found a value it cannot accept (set by the walk, read by the loader).
void serial_mark_bad(const char* why);
const char* serial_bad_reason(); // null while nothing was marked
// Dry reads: fields are checked and returned but never stored. A machine's own
// field list must not act on values (apply a geometry, select banks ...) while
// serial_dry() is set.
void serial_set_dry(bool dry);
bool serial_dry();

// ---- Buffer primitives (no direction flag; all advance the cursor) --------------
void state_put_u8(u32 value);
void state_put_u16(u32 value);
void state_put_u32(u32 value);
u8 state_get_u8();
u16 state_get_u16();
u32 state_get_u32();

// ---- Field operations: write the variable (direction 1) or read into it -------
// Each returns the value moved.
u8 state_field_u8(u8* variable);
u16 state_field_u16(u16* variable);
u32 state_field_u32_full(u32* variable);
i32 state_field_u32_full(i32* variable);
// One byte: the low 8 bits on writing, zero-extended into 32 bits on reading.
u32 state_field_u32(u32* variable);
u32 state_field_u32(i32* variable);
// Two bytes: the low 16 bits on writing; on reading zero-extended, $FFFF = -1.
i32 state_field_word_or_none(i32* variable);
i32 state_field_word_or_none(u32* variable);
// `count` bytes, one state_field_u8 each, ascending.
void state_field_bytes(u8* first, u32 count);
// Guest memory from `first` to `last` inclusive.
void state_field_memory(u32 first, u32 last);
// Moves the cursor over `count` bytes in both directions (written as zeros).
void state_field_skip(u32 count);

// ---- Files --------------------------------------------------------------------
// Every file the program writes for the user goes through file_write_replace
// or its kin below (file_replace_open and _commit, file_replace_with): the new
// file is made beside the old one and takes its name only once it is whole;
// links are followed; a write-protected file, a folder, a FIFO or a device at
// the name, and a file the program has in use, are refused with the reason. A
// write that failed is the writer's failure: it names the file and why, and
// the command answers 5 or 10 on the port (never "OK." or 0); a batch run
// exits non-zero. Written otherwise, by design: the log (a stream appended
// to), a recording under way (appended to the file made here), the cassette in
// the deck (recorded on in place, as a tape is) and the program's scratch files.
// Writes `size` bytes to `path` through a temporary file in the same folder that
// replaces the old file only when the whole write succeeded. On failure the old
// file is kept and `error` (when given) tells why. With `sync` the data and the
// rename reach the disk before it returns.
// What the user set up on the file stays: a symbolic link is followed and its
// target written (the link stays), the old file's mode (and owner, where the
// system lets us) is kept, and a file with other names (hard links) is
// written in place once the whole new contents are in the temporary file and
// room for them is taken, so that all its names still show one file.
bool file_write_replace(const std::string& path, const void* data, size_t size,
                        std::string* error = nullptr, bool sync = true);
// The warning for a failed write of the host file `path` that gave `error`
// (file_write_replace's, or a system error text): "<lead> <path>: <the
// system's reason>!", the file named once.
//   file_failure_text("Can't write to", "/d/x.img", error)
//   // "Can't write to /d/x.img: No space left on device!"
std::string file_failure_text(const char* lead, const std::string& path, const std::string& error);
// The same replacement for a file written piece by piece: file_replace_open
// creates the new file in the folder of `path` (unnamed where the file system
// allows it, so that a killed run leaves nothing; else under a fresh name
// made exclusively, never through a link), open for reading and writing at
// `fd`; file_replace_commit closes it and renames it over `path`;
// file_replace_abandon closes and removes it. Errors as file_write_replace's.
struct ReplaceFile {
    int fd = -1;
    std::string path;   // as given, for messages
    std::string target; // the file written: `path` with its links followed
    std::string temp;   // its name, "" while it has none
};
// With `named` the new file has its fresh name from the start, as where the
// file system has no unnamed files (tests of that way use it).
bool file_replace_open(const std::string& path, ReplaceFile* out, std::string* error,
                       bool named = false);
// The file a save of `path` writes, its links followed (the link stays). False,
// with `error` as file_write_replace's, when nothing may be written there:
// links that go round, a file the program has in use (file_in_use), or a
// write-protected file, a folder, a FIFO or a device at the name
// (path_save_place), which a save never replaces.
bool file_save_target(const std::string& path, std::string* target, std::string* error);
// The system's reason `error` for a failed write of `f`, for its messages;
// where `path` is a link, the file it leads to is named too, as the folder or
// disk that refused is that file's ("it links to /d/x.cos (No space left on
// device)").
std::string file_replace_reason(const ReplaceFile& f, int error);
bool file_replace_commit(ReplaceFile* f, std::string* error, bool sync);
void file_replace_abandon(ReplaceFile* f);
// Puts the finished file `temp` (beside the file a save of `path` writes) in
// the place of `path` as file_replace_commit does, keeping what the user set
// up on the old file; `temp` is gone afterwards, whatever the outcome.
bool file_replace_with(const std::string& temp, const std::string& path, std::string* error);
// Reads a whole regular file of at most `limit` bytes (file_read_regular).
// False when it is missing, no regular file, unreadable or larger than `limit`.
bool file_read_whole(const std::string& path, std::string* out, size_t limit);
// The same, telling why: READ_OK or another outcome of file_read_regular, with
// `*why` then the words for a message ("not a regular file", "larger than N
// bytes", the system's reason). A missing file is READ_UNAVAILABLE with errno
// ENOENT.
int file_read_telling(const std::string& path, std::string* out, size_t limit, std::string* why);
// Says that the `what` ("settings", "high scores") will not be written at
// exit, so that the file `host` that start-up could not take is kept.
void file_kept_note(const char* what, const std::string& host);
// Whether the file at `host` is write-protected: the program's own files
// (settings, high scores, a board's memory) are then left unwritten, without
// a word, as the user chose.
bool file_write_protected(const std::string& host);
