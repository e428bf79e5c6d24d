// Test support: pictures of colour indices as 8-bit palette PNG files, for
// the golden frames of the machines. The writer stores every row unfiltered
// in one zlib stream (deflate level 6); the reader takes back what the
// writer makes (8-bit palette, no interlace, any of the five row filters)
// and names the first thing it cannot read.
#pragma once

#include "core/types.h"

#include <filesystem>
#include <string>
#include <vector>

struct IndexedPicture {
    u32 width = 0, height = 0;
    std::vector<u8> pixels;   // row-major: (x, y) at y * width + x
    std::vector<u32> palette; // 0x00RRGGBB per index
};

// Writes `pic` to `path` through a temporary file that is renamed over it.
// "" on success, else what went wrong.
std::string png_write_indexed(const std::filesystem::path& path, const IndexedPicture& pic);
// Reads a picture written by png_write_indexed. "" on success, else the fault.
std::string png_read_indexed(const std::filesystem::path& path, IndexedPicture* pic);
// The same from bytes in memory.
std::string png_decode_indexed(const std::vector<u8>& file, IndexedPicture* pic);
