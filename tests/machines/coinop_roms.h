// Writes a ROM file where the coin-op boards look for them: roms/ under home.
#pragma once

#include "core/types.h"

#include <filesystem>
#include <fstream>
#include <vector>

inline void write_rom(const std::filesystem::path& home, const char* name,
                      const std::vector<u8>& bytes) {
    std::filesystem::create_directories(home / "roms");
    std::ofstream(home / "roms" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
