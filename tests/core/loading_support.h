// Shared helpers of the loading tests (games database, loader, ZIP reader):
// forged database rows, and files and archives written for a test. The
// definitions live in gamesdb_test.cpp.
#pragma once

#include "cpu/cpu.h"

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

} // namespace loading_test
