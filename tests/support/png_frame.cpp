#include "tests/support/png_frame.h"
#include "tests/support/checkout_paths.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "display/frame.h"

#include <cstdio>
#include <cstdlib>

namespace {

// A palette for looking at the pictures: eight primaries, their dark
// halves, then greys.
std::vector<u32> review_palette() {
    std::vector<u32> p;
    for (u32 i = 0; i < 24; i++) {
        const u32 level = i < 8 ? 255 : i < 16 ? 128 : 40 + 20 * (i - 16);
        const u32 c = i % 8;
        if (i >= 16)
            p.push_back(level << 16 | level << 8 | level);
        else
            p.push_back((c & 1 ? level << 16 : 0) | (c & 2 ? level << 8 : 0) | (c & 4 ? level : 0));
    }
    return p;
}

} // namespace

IndexedPicture capture_guest_frame() {
    IndexedPicture p;
    p.width = static_cast<u32>(machine_live[machine].width);
    p.height = static_cast<u32>(machine_live[machine].height);
    p.pixels.resize(p.width * p.height);
    for (u32 y = 0; y < p.height; y++)
        for (u32 x = 0; x < p.width; x++)
            p.pixels[y * p.width + x] = guest_frame[x * GUEST_FRAME_ROWS + y];
    return p;
}

std::string compare_pictures(const IndexedPicture& want, const IndexedPicture& got) {
    if (want.width != got.width || want.height != got.height)
        return "size " + std::to_string(got.width) + "x" + std::to_string(got.height) +
               ", expected " + std::to_string(want.width) + "x" + std::to_string(want.height);
    for (u32 i = 0; i < want.pixels.size(); i++)
        if (want.pixels[i] != got.pixels[i])
            return "pixel (" + std::to_string(i % want.width) + ", " +
                   std::to_string(i / want.width) + ") is " + std::to_string(got.pixels[i]) +
                   ", expected " + std::to_string(want.pixels[i]);
    return "";
}

std::string check_golden_frame(const std::string& name) {
    return check_golden_picture(name, capture_guest_frame());
}

std::string check_golden_picture(const std::string& name, const IndexedPicture& got) {
    const std::string path = std::string(test_data()) + "/frames/" + name + ".png";
    if (std::getenv("BRINDLEMOX_WRITE_FRAMES")) {
        IndexedPicture shown = got;
        if (shown.palette.empty()) shown.palette = review_palette();
        return png_write_indexed(path, shown);
    }
    IndexedPicture want;
    const std::string fault = png_read_indexed(path, &want);
    if (!fault.empty()) return path + ": " + fault;
    return compare_pictures(want, got);
}
