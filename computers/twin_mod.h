// The TWIN's MOD program files: a 128-byte header (the area, first, last and
// start address, an identity, load commands) and the data the commands place.
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

// Bytes a MOD file places, in the master's view.
struct ModBlock {
    u32 address;
    std::vector<u8> bytes;
};

// Walks the header's load commands over the `length` bytes at `file`. With
// `describe` prints the header and each command; with `out` collects what the
// Read Data commands place (bounded by the file and by guest memory). Returns
// 1 when a Load End was reached, else 0 (after saying why).
int twin_mod_process(const u8* file, u32 length, bool describe, std::vector<ModBlock>* out);

// The loader's two steps: parse the file buffer (nothing changes), then put
// what it places into the master's view and note the start address.
int twin_parse_mod(u32 size);
void twin_commit_mod();

// Writes guest memory first..last (the master's view) as a MOD file that
// starts at `start`; 1 when written.
int twin_save_mod(const char* name, u32 first, u32 last, u32 start);
// The bytes of that file; empty when the range does not fit one.
std::string twin_mod_data(u32 first, u32 last, u32 start);
