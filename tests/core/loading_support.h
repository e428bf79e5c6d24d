// Shared helpers of the loading tests (games database, loader, ZIP reader,
// object files): forged database rows, AOF records, and files and archives
// written for a test. The out-of-line definitions live in gamesdb_test.cpp.
#pragma once

#include "core/objfile.h"
#include "cpu/cpu.h"

#include <cstdio>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace loading_test {

// An image of the size and checksums of row `r` of the games database.
std::vector<u8> forge_row(int r);
void write_file(const std::filesystem::path& path, const std::vector<u8>& data);
// A ZIP archive of `members` (name, contents), deflated.
void write_zip(const std::filesystem::path& path,
               const std::vector<std::pair<std::string, std::vector<u8>>>& members);

inline std::vector<u8> bytes(std::string_view text) {
    return std::vector<u8>(text.begin(), text.end());
}

inline std::string hex2(u32 v) {
    char b[3];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

// One AOF record for `data` at `address`, with correct check bytes.
inline std::string aof_record(u16 address, const std::vector<u8>& data) {
    const u8 header[3] = {static_cast<u8>(address >> 8), static_cast<u8>(address),
                          static_cast<u8>(data.size())};
    std::string r = ":" + hex2(address >> 8) + hex2(address) + hex2(static_cast<u32>(data.size()));
    r += hex2(aof_check_byte(header, 3));
    for (u8 b : data)
        r += hex2(b);
    return r + hex2(aof_check_byte(data.data(), static_cast<u32>(data.size())));
}

// The end record that sets the start address.
inline std::string aof_end(u16 start) {
    return ":" + hex2(start >> 8) + hex2(start) + "00";
}

} // namespace loading_test
