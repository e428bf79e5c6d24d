// The shared file buffer in which every file is read or built, and the input
// recording stream (".cor" files) with the recorded random numbers.
//
// A ".cor" file is a save state followed directly by the recorded bytes, in
// the order in which the emulation asked for them. While recording, bytes are
// appended to `rec_file`; while playing back, they are taken from the file
// buffer at the cursor.
#pragma once

#include "cpu/cpu.h"

#include <cstddef>
#include <cstdio>
#include <string>

constexpr u32 REC_IDLE = 1000000000;
constexpr u32 REC_PLAYBACK = 1000000001;
constexpr u32 REC_RECORDING = 1000000002;

constexpr std::size_t FILE_NAME_SIZE = 513;

extern u8* filebuf;                           // the one shared file buffer, or nullptr
extern u32 filebuf_cursor;                    // read/write position in it
extern u32 filebuf_size;                      // bytes allocated
extern u32 filebuf_length;                    // bytes of the loaded file in the buffer
extern char file_name_buffer[FILE_NAME_SIZE]; // path of the file being loaded or saved

extern u32 rec_state;       // REC_IDLE, REC_PLAYBACK or REC_RECORDING
extern std::FILE* rec_file; // open recording file while recording
extern u32 rec_length;      // length of the loaded ".cor" file

// Frees the current buffer and allocates `size` zeroed bytes as the new one,
// the cursor at 0; size 0 does nothing. False when the allocation failed (the
// buffer is then absent). The loader copies each file it has read whole into it.
bool filebuf_alloc(u32 size);
void filebuf_free();

// Back to the start-up state: recording file closed, idle, file buffer freed,
// no file name.
void rec_reset();

// The recorded byte at the cursor, which advances by one. At the end of the
// recording (or of the buffer) it returns 0 and the cursor stays.
u8 rec_read_byte();
// Appends one byte to the recording file, if one is open.
void rec_write_byte(u8 byte);

// Opens the host file `host_path` as the recording file, to append to: what
// it starts with (the state saved there, or the part of a playback that the
// recording goes on from) was written whole by the replacing writer
// (file_write_replace), so that a recording never empties a file in place.
// False, with the warning that names the file and the reason, when it cannot
// be opened.
bool rec_file_open(const std::string& host_path);
// The host path of the open recording file ("" while none is open).
const std::string& rec_file_path();
// Closes the recording file, if one is open. What was recorded and could not
// be written (a full disk), or a file removed or replaced meanwhile, is told
// with the file's name and the reason: false then.
bool rec_file_close();
// The warning of the last rec_file_open or rec_file_close that failed ("" none
// since the last take), forgotten once taken.
std::string rec_file_take_failure();

// A random byte below `n` (0 when n is 0): the only random source of
// guest-visible behaviour. Playback takes it from the recording instead of
// the host generator; recording appends it.
u8 rng_byte(u32 n);
