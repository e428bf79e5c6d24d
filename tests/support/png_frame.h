// Golden frames: the guest frame's colour indices as a palette PNG, written
// and read with zlib alone, and a comparison that names the first difference.
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

struct IndexedPicture {
    u32 width = 0, height = 0;
    std::vector<u8> pixels; // row-major colour indices
};

// The machine's frame (its width and height) from guest_frame.
IndexedPicture capture_guest_frame();
bool write_indexed_png(const std::string& path, const IndexedPicture& picture);
// False for a file that is not one of ours (palette, 8 bits, filter 0).
bool read_indexed_png(const std::string& path, IndexedPicture* picture);
// Empty when both agree, else the first differing pixel.
std::string compare_pictures(const IndexedPicture& want, const IndexedPicture& got);
// Compares the frame with tests/data/frames/<name>.png; with the environment
// variable BRINDLEMOX_WRITE_FRAMES set, writes the file instead.
std::string check_golden_frame(const std::string& name);
