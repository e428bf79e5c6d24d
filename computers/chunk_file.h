// The chunked program files of the disk computers: BINBUG ".cmd" (a 3-byte
// header: load address high, low, length) and CD2650 ".imag" (a 4-byte
// header: load address and length, both big-endian). A chunk of length 0
// ends the file; its address is where the program starts.
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

struct ChunkFormat {
    const char* name;   // "CMD", "IMAG"
    u32 header;         // 3 or 4 bytes
    u32 longest;        // longer chunks warn (0: none do)
    u32 written;        // bytes per chunk the writer puts (0: one chunk)
};

struct ParsedChunk {
    u16 address;
    std::vector<u8> bytes;
};

// Reads the `size` bytes at `data` with the loader's narration. False when
// the file is refused: a chunk that would reach past $7FFF (start or end).
// A missing end chunk, a cut header or a cut chunk only warn.
bool chunk_file_parse(const ChunkFormat& format, const u8* data, u32 size,
                      std::vector<ParsedChunk>* chunks, i32* start);
// Writes guest memory first..last as chunks of the format, then the end
// chunk with `start`; false (objfile_take_write_failure says why) when the
// file cannot be written. An existing file is replaced only by a whole one.
bool chunk_file_save(const ChunkFormat& format, const std::string& path, u32 first, u32 last,
                     u32 start);
// What the last accepted parse kept, into guest memory; its start address
// becomes the program's start.
void chunk_file_commit(std::vector<ParsedChunk>* chunks, i32 start);

// A file of one format parsed from the loader's buffer and kept until the
// loader commits it (or parses another).
struct ChunkFileLoad {
    explicit ChunkFileLoad(const ChunkFormat& f) : format(f) {}
    const ChunkFormat& format;
    std::vector<ParsedChunk> chunks;
    i32 start = -1;
    // The first `size` bytes of the loader's buffer; 1 when they are kept.
    int parse(u32 size);
    void commit() { chunk_file_commit(&chunks, start); }
};
