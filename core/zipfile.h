// ZIP archives: recognising them and extracting the first member the loader
// can take, through minizip over zlib inflate.
#pragma once

#include "cpu/cpu.h"

#include <string>
#include <vector>

// Largest member the reader will extract; a header claiming more is refused.
constexpr u32 ZIP_MEMBER_MAX = 64u * 1024 * 1024;

struct ZipMember {
    std::string name;     // the member's name in the archive
    int kind = -1;        // file kind by the suffix that selected it
    std::vector<u8> data; // its uncompressed bytes
};

// True when the file's first two bytes are "PK".
bool zip_is_archive(const char* path);

// Extracts the first member whose three characters after the first "." are
// BIN, ROM or TVC, or, unless `games_only`, AOF, COS, COR or EOF. Members
// without a "." are passed over. 1 with the member filled in, 0 on failure
// (a warning is shown unless `quiet`).
int zip_extract_first(const char* path, bool games_only, bool quiet, ZipMember& member);
