// The file loader: the one entry for loading a file by path. It reads the
// file (or the first loadable member of a ZIP archive) into the shared file
// buffer, takes its kind from the name, and either hands it to the subsystem
// that owns the medium or, for game images, object programs and save states,
// switches the machine, identifies the game, writes guest memory and resets.
//
// Every check that can refuse a file runs before anything is changed: a
// refused file leaves the machine as it was.
#pragma once

#include "cpu/cpu.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// Load results of file_load.
enum LoadResult : int {
    LOAD_FAILED = 0,
    LOAD_GAME = 1,    // a game image, object program or COS state is in the guest
    LOAD_MEDIUM = 2,  // handed to a medium, the assembler, the symbols, a program reader
    LOAD_PLAYBACK = 3 // a COR state whose recording plays back from the file buffer
};

constexpr u32 BIN_MAX_SIZE = 32768;
constexpr u32 LOAD_MAX_SIZE = 1u << 30; // larger files are no file the loader takes
// Object and program files for a guest of at most 64 KB: room for every byte
// in a record of its own.
constexpr u32 PROGRAM_FILE_MAX_SIZE = 2u << 20;
constexpr u32 SYMBOL_FILE_MAX_SIZE = 4u << 20;
constexpr u32 TVC_HEADER_SIZE = 5;
constexpr u32 TVC_COPY_BYTES = TVC_HEADER_SIZE + 0x8000;

extern u8 file_loaded;           // a game, program or state is loaded
extern char game_file_name[513]; // file part of the last file opened
extern u16 game_start_address;   // start address of the loaded program
extern u8 program_loaded;        // game_start_address is that of a loaded program
extern u8 tvc_copy[];            // the whole last TVC file (TVC_COPY_BYTES)
extern u32 tvc_copy_length;
struct FreeFileBytes {
    void operator()(u8* bytes) const { std::free(bytes); }
};

// One load, passed down the loader by value: what is loaded and what the
// loader learns of it on the way. The caller names the file; reading it fills
// the kind, the bytes and the ZIP member's kind, identification the games
// database row. Once the file has been read whole, its bytes replace the
// shared file buffer, where the program readers and a recording's playback
// take them. The loader checks everything before it changes the machine, and
// only then does the row become the known game.
struct LoadRequest {
    std::string path;         // as named (PROGDIR: names allowed)
    int quiet = 0;            // no "Can't load", no ZIP reader warnings
    bool restart = false;     // a kept COR recording runs again, the games database not asked
    int kind = -1;            // the file kind by the name, or the ZIP member's
    int zip_member_kind = -1; // the member's kind when read from a ZIP archive
    std::unique_ptr<u8, FreeFileBytes> bytes; // none for kinds their subsystem reads by name
    const u8* data = nullptr; // the bytes, wherever they are held
    u32 length = 0;
    i32 game_row = -1; // the games-database row the file is, -1 none
    // What the user chose afresh (Open, a drop, the command line, the game
    // list, the port's OPEN) heads the recent files once it runs; a load
    // again (a recent file, Revert, a quick load, the autosave) leaves them.
    bool heads_recent = false;
    // The memory map the file was loaded into before (a recent file's): set
    // up first, unless the file names its own machine; -1 the one that runs.
    i32 memmap = -1;
};

// A request for the file `path`.
LoadRequest load_request(const char* path, int quiet = 0);
// A request for a file the user chose afresh: it heads the recent files once
// it runs.
LoadRequest load_request_chosen(const char* path);

// Loads what `request` names (it becomes what runs, file_name_running,
// unless the load fails or the file went beside what runs: a tape, a disk, a
// papertape, a source where no processor runs it, a symbol file): 0 failed, 1 a game, program or state was loaded, 2 the file
// went to a medium or a program reader. The kind (by the name, or the ZIP
// member's) limits the size before anything is read. A file that cannot be
// read (missing, no regular file, too large) gets "Can't load" once, unless
// the request is quiet.
int file_load_request(LoadRequest request);
// The same for a request made from `path`.
int file_load_by_name(const char* path, int quiet);
// Runs the COR recording kept in the file buffer (`filebuf_length` bytes)
// again from its start, without asking the games database. Returns a LoadResult.
int file_load_kept_recording();
// Why the last load by name could not read its file ("not found", "not a
// regular file", "empty", "too large", ...; also when quiet), "" when it read
// it (its failures after reading are warnings of their own).
const std::string& file_load_refusal();
// The file the last load by name was for, whether or not it loaded.
const std::string& file_load_tried();
// What runs is named in one place, here: the window's title names it, Revert
// loads it again, the game list selects it, and, when the user chose it afresh
// (heads_recent: Open, a drop, the command line, the game list, the port's
// OPEN, Save state as), it heads the recent files. A load that fails, a file
// taken beside what runs and a recording started leave it as it was. An empty
// path names nothing.
void file_name_running(const char* path, bool heads_recent);
// The file Revert loads again: the one what runs was loaded from (or, on a
// machine set up afresh, its own state file once it is there), nullptr when
// there is none.
const char* file_revert_path();
// The file part of file_revert_path, which the title names; nullptr when
// there is none.
const char* file_running_name();
// Whether a file of `kind` names the machine it runs on (a state): it loads
// into that machine wherever it was opened before.
bool kind_names_its_machine(int kind);
// The result of the last load by name (file_load_request) since this was
// last called, -1 when none was made: a command that loads on its way (a
// menu item) learns whether its load happened.
int file_load_take_result();

// Whether the file `path` names is, by its name, one taken beside what runs
// (a tape, a disk, a papertape, labels, a source on a machine with no
// processor to run it) rather than loaded as what runs. An archive is not.
bool file_taken_beside(const char* path);

// The largest file of `kind` the loader reads into the file buffer; 0 for
// kinds whose bytes it does not need (their subsystem reads them by name) or
// does not load at all.
u32 load_kind_max_size(int kind);

// The "Open..." requester's handling of a chosen name: a name whose file part
// has no "." gets the machine's default suffix, and, when that fails, ".zip"
// (each found in either letter case).
int file_open_chosen(int quiet);

// The "Open..." command: shows the load requester in the games drawer and
// loads the chosen file; a confirmation without a file name audits the drawer.
// The load result, or -1 when no file was chosen (cancelled, confirmed
// without a name, or refused inside a stopped frame).
int file_open_with_requester();
// What the command does with the requester's answer (0 a file was chosen into
// file_name_buffer, 5 confirmed without a name, else cancelled), given the
// games drawer from before the requester. Returns the load result.
int file_open_answer(int answer, const char* previous_games_path);

// The AOF auto-run: the keys a known program needs typed to start, queued
// into the guest's type-ahead queue after it was loaded.
void aof_auto_run();

// ---- Services of other subsystems the loader hands files to ------------------------
// Program readers come in two steps. `parse` reads the `size` bytes of the file
// buffer, checks them and keeps what it would load, changing nothing else:
// nonzero when the file is accepted. `commit` writes what the last accepted
// parse kept into the machine; it cannot fail. The loader parses before it
// switches the machine and commits after, so a refused file changes nothing.
// Stand-ins in core/seams_loader.cpp report that the kind cannot be loaded
// yet; loader_reader_missing tells the loader so before it changes anything.
int elektor_parse_eof(u32 size); // the Elektor's tape programs
void elektor_commit_eof();
int binbug_parse_cmd(u32 size);
void binbug_commit_cmd();
int twin_parse_mod(u32 size);
void twin_commit_mod();
int cd2650_parse_imag(u32 size);
void cd2650_commit_imag();
int file_parse_bpnf(u32 size, u32 address); // at the address the user gave
void file_commit_bpnf();
int file_parse_sms(u32 size);
void file_commit_sms();
// 10 after errors, the guest as it was; with `outputs_optional` 5 for a program
// assembled whose files were not all written (asm_unwritten_text says which).
int asm_assemble_checked(const char* path, bool outputs_optional);
std::string asm_failure_text();   // why it failed, for a notice
std::string asm_unwritten_text(); // which of its files were not written, "" when all were
extern u32 sym_text_length;                             // length of the text sym_parse_file reads
void sym_parse_file(const char* text, const std::string& file); // SYM text into the user labels
u32 dbg_parse_register_operand(const char* text, u32 largest, int flag); // $10014 invalid
bool loader_reader_missing(int kind);

// The program reader of a kind the loader switches the machine for (EOF, CMD,
// MOD, IMAG); null for other kinds. The entries start as the readers above; a test may put its own
// in.
struct ProgramReader {
    int (*parse)(u32 size);
    void (*commit)();
};
ProgramReader* loader_program_reader(int kind);


// The load-address prompt's last accepted answer (at most 40 characters),
// "$0" until the first one: the loader evaluates it for a BPNF tape.
constexpr int LOAD_ADDRESS_SIZE = 44;
extern char load_address_text[LOAD_ADDRESS_SIZE];


void dbg_clear_coverage();
void rec_start_generating();
std::string rec_outputs_refusal(const char* recording, bool psg);

// The recording being played and the state loaded last, for the files the
// program has in use (core/files_in_use.h).
struct FileInUse;
void file_loaded_playback(std::vector<FileInUse>* out);
void file_loaded_state(std::vector<FileInUse>* out);

// What follows the reading of a state into the machine: the tape's clock,
// the machine's own steps, the state_loaded hooks (the display's geometry, a
// frame of only its fixed areas, the sound latches), the debugger's coverage
// and the frame timing.
void state_settle();
