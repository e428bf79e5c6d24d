// Save states: the whole running machine in one file, ".cos", or ".cor" with an
// input recording appended. One walk (state_serialise) writes and reads them;
// the direction flag serial_dir tells the field operations which way.
//
// Header: $BF, the machine's state version, the kind (0 COS, 1 COR; 2 is a
// foreign product's state and refused) and the memory map. Then the common part
// (processor, frame timing, input latches; absent on the two machines without a
// processor) and the machine's own tail.
#pragma once

#include "cpu/cpu.h"

#include <string>
#include <vector>

constexpr u8 STATE_MAGIC = 0xBF;
constexpr u32 STATE_BUFFER_SIZE = 683008; // room for the largest state
constexpr u32 STATE_HEADER_SIZE = 4;
constexpr int FILE_KIND_COS = 8;
constexpr int FILE_KIND_COR = 9;

extern u8 state_guest_version; // saving: the machine's version; loading: byte 1
extern u32 state_length;       // the cursor after the last field of the last walk
// Loading: whether the state last committed begins a recording (a played one).
extern bool state_committed_recording;

// The save-state version a machine writes, and whether a file's version byte is
// accepted for the machine of memory map `map`.
u8 state_version_of(u32 machine_number);
bool state_version_accepted(u32 map, u8 version);

// The walk over the current machine's state (cursor from 4 on).
void state_serialise();

// Saves the current machine to file_name_buffer; kind 8 COS, 9 COR. A name
// without ".cos" or ".cor" gets the kind's suffix (in the buffer too), said on
// the console. A COR save leaves the file open for the recording.
// `stop_recorders` stops every recording and playback first (a save that
// ends them), once the name is known to be no file the program has in use.
// False when the file was not written (said on the console and, when someone
// is there, in a warning naming the file; an old file of that name is kept).
bool state_save_file(int kind, int refresh_title, bool stop_recorders = false);
// state_save_file of `name`, which becomes the name of what runs (the one
// Revert reloads) only once its file is written: after a failed save the name
// is what it was.
bool state_save_as(const char* name, int kind, int refresh_title, bool stop_recorders = false);
// state_save_file of `name` beside what runs (a quicksave, the autosave): the
// name of what runs stays as it was, whether the file was written or not.
bool state_save_aside(const char* name, int kind, int refresh_title);
// Why the last state_save_file wrote nothing ("" when it wrote its file).
const std::string& state_save_error();
// The name the last state_save_file wrote ("" when it wrote nothing).
const std::string& state_saved_name();
// The running machine's state as the bytes of a state file of header kind
// `kind` (0 COS, 1 COR). False when it overran the state buffer.
bool state_write_buffer(u8 kind, std::vector<u8>* out);

// A copy of the running machine in memory, to be put back after something
// has run on it. Besides the state's bytes it keeps what writing and reading
// a state change that is no part of the machine (the loaded file's flag and
// start address, the known game, the last walk's version and length).
struct MachineCopy {
    std::vector<u8> bytes;
    u8 version = 0;
    u32 length = 0;
    u8 loaded = 0;
    u16 start = 0;
    i32 game = -1;
};
// False when the state overran the state buffer (nothing to put back).
bool state_take_copy(MachineCopy* copy);
// The machine as the copy holds it; the machine and memory map are the ones
// the copy was taken of.
void state_put_back(const MachineCopy& copy);

// Loading, for the file loader: checks the header and the whole state of
// `size` bytes at `data` without changing anything. On refusal the message is
// returned in *error (empty when accepted).
bool state_check(const u8* data, u32 size, std::string* error);
// Whether the state file at `path` was written by a later version of the
// program (a machine or a state version this one does not know).
bool state_file_is_newer(const std::string& path);
// Whether the file at `path` is a whole state this version loads.
bool state_file_reads(const std::string& path);
// Loads a state that state_check accepted: switches to the state's machine and
// memory map when they are not current, and reads the walk. The caller (the
// file loader) identifies the game beforehand and refreshes the interface, the
// PHUNSY banks and a COR playback afterwards. When `data` is the shared file
// buffer, its cursor is left at state_length, where a COR file's recording
// begins. False only for a state that was not checked.
bool state_commit(const u8* data, u32 size);
