// Test support: the frames of a GIF file as the recorders write it (a global
// colour table; images without a local table or interlacing), decoded from
// their LZW codes into colours, so that a test can look at what each frame
// shows.
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

struct GifFrame {
    u32 left = 0, top = 0, width = 0, height = 0;
    u32 delay = 0; // hundredths of a second, from the control block before it
    std::vector<u32> rgb; // row-major, 0x00RRGGBB
};

// "" when the whole file was read, else the first thing it cannot read.
std::string gif_read_frames(const std::vector<u8>& file, std::vector<GifFrame>* frames);
