// ZIP archives: recognising them and extracting the first member the loader
// can take, through minizip over zlib inflate.
#pragma once

#include "cpu/cpu.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Largest member the reader will extract; a header claiming more is refused.
constexpr u32 ZIP_MEMBER_MAX = 64u * 1024 * 1024;

struct ZipMember {
    std::string name;       // the member's name in the archive
    int kind = -1;          // file kind by the suffix that selected it
    std::vector<u8> data;   // its uncompressed bytes (unless a place was given)
    // Why the member was refused, as the loader's "Can't load" line says it:
    // "too large" (by its size, before anything was read; no warning is
    // shown) or "bad checksum"; nullptr for other failures.
    const char* refusal = nullptr;
};

// Where a member of `kind` and `size` bytes is to be inflated; nullptr refuses
// it as too large.
using ZipPlace = std::function<u8*(int kind, std::size_t size)>;

// True when the file's first two bytes are "PK".
bool zip_is_archive(const char* path);

// Extracts the first member whose three characters after the first "." are
// BIN, ROM or TVC, or, unless `games_only`, AOF, COS, COR or EOF. Members
// without a ".", folders and empty members are passed over. 1 with the member
// filled in, 0 on failure (a warning is shown unless `quiet`, but not for a
// member refused by its size; `refusal` names that case and a bad checksum).
// With `place`, the bytes go where it says instead of into `data`; members
// over ZIP_MEMBER_MAX are refused by their size either way.
int zip_extract_first(const char* path, bool games_only, bool quiet, ZipMember& member,
                      const ZipPlace& place = {});
