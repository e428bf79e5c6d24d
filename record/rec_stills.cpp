// The guest picture as the recorders store it, how long each picture of an
// animation lasts, and the BMP, PCX and TIFF stills.
#include "record/rec_formats.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/host.h"

#include <cmath>

using namespace rec_bytes;

u32 RecFrameClock::next(u32 least) {
    frames++;
    const u32 delay = owed();
    if (delay >= least) return delay;
    given -= delay; // left for the next picture
    return 0;
}

u32 RecFrameClock::owed() {
    const double per_second = rate > 0.0 ? rate : 50.0;
    const u64 total = static_cast<u64>(std::llround(static_cast<double>(frames) * units / per_second));
    const u64 delay = total > given ? total - given : 0;
    given += delay;
    return static_cast<u32>(delay);
}

RecPicture rec_grab_picture() {
    RecPicture pic;
    const MachineLive& live = machine_live_row();
    u32 gw = static_cast<u32>(live.width > 0 ? live.width : 0);
    u32 gh = static_cast<u32>(live.height > 0 ? live.height : 0);
    if (gw > GUEST_FRAME_COLUMNS) gw = GUEST_FRAME_COLUMNS;
    if (gh > GUEST_FRAME_ROWS) gh = GUEST_FRAME_ROWS;
    const bool rotated = display_rotated != 0;
    const u32 w = rotated ? gh : gw, h = rotated ? gw : gh;
    const u32 stretch = display_aspect == 2 ? 2 : 1;
    pic.width = w * stretch;
    pic.height = h;
    pic.pixels.resize(static_cast<std::size_t>(pic.width) * h);
    for (u32 y = 0; y < h; y++)
        for (u32 x = 0; x < w; x++) {
            // Turned a quarter clockwise: the picture's (x, y) is guest (y, width - 1 - x).
            const u32 gx = rotated ? y : x, gy = rotated ? gw - 1 - x : y;
            u8 c = guest_frame[gx * GUEST_FRAME_ROWS + gy];
            if (c >= REC_PALETTE) c = 0;
            for (u32 s = 0; s < stretch; s++)
                pic.pixels[y * pic.width + x * stretch + s] = c;
        }
    const int set = colourset >= 0 && colourset < PALETTE_SETS ? colourset : 0;
    for (int c = 0; c < REC_PALETTE; c++)
        pic.rgb[c] = {palette_get_red(set, c), palette_get_green(set, c),
                      palette_get_blue(set, c)};
    return pic;
}

std::vector<u8> bmp_picture(const RecPicture& pic) {
    // Rows are padded to whole longwords (frames 350 and 518 pixels wide exist).
    const u32 stride = (pic.width + 3) & ~3u;
    std::vector<u8> o;
    o.push_back('B');
    o.push_back('M');
    le32(o, 150 + stride * pic.height);
    le32(o, 0);
    le32(o, 150);
    le32(o, 40);
    le32(o, pic.width);
    le32(o, pic.height);
    le16(o, 1);
    le16(o, 8);
    le32(o, 0); // no compression
    le32(o, 0);
    le32(o, 2835);
    le32(o, 2835);
    le32(o, REC_PALETTE);
    le32(o, REC_PALETTE);
    for (const auto& c : pic.rgb) {
        o.push_back(c[2]);
        o.push_back(c[1]);
        o.push_back(c[0]);
        o.push_back(0);
    }
    for (u32 y = pic.height; y-- > 0;) {
        const u8* row = &pic.pixels[static_cast<std::size_t>(y) * pic.width];
        o.insert(o.end(), row, row + pic.width);
        o.insert(o.end(), stride - pic.width, 0);
    }
    return o;
}

std::vector<u8> pcx_picture(const RecPicture& pic) {
    std::vector<u8> o = {10, 5, 1, 8};
    le16(o, 0);
    le16(o, 0);
    le16(o, pic.width - 1);
    le16(o, pic.height - 1);
    le16(o, pic.width);
    le16(o, pic.height);
    for (int c = 0; c < 16; c++)
        o.insert(o.end(), pic.rgb[c].begin(), pic.rgb[c].end());
    o.push_back(0);
    o.push_back(1); // planes
    le16(o, pic.width);
    o.resize(128, 0);
    for (u32 y = 0; y < pic.height; y++) {
        const u8* row = &pic.pixels[static_cast<std::size_t>(y) * pic.width];
        u32 x = 0;
        while (x < pic.width) {
            u32 run = 1;
            while (x + run < pic.width && run < 63 && row[x + run] == row[x]) run++;
            if (run > 1 || row[x] >= 0xC0) o.push_back(static_cast<u8>(0xC0 + run));
            o.push_back(row[x]);
            x += run;
        }
    }
    o.push_back(0x0C);
    for (int c = 0; c < 256; c++)
        for (int k = 0; k < 3; k++)
            o.push_back(c < REC_PALETTE ? pic.rgb[c][k] : 0);
    return o;
}

std::vector<u8> tiff_picture(const RecPicture& pic) {
    // 8 bits per pixel: all 24 colours keep their index.
    constexpr u32 XRES = 182, YRES = 190, COLOR_MAP = 198, PIXELS = COLOR_MAP + 3 * 256 * 2;
    std::vector<u8> o = {'I', 'I'};
    le16(o, 42);
    le32(o, 8);
    le16(o, 14);
    auto entry = [&](u32 tag, u32 type, u32 count, u32 value) {
        le16(o, tag);
        le16(o, type);
        le32(o, count);
        if (type == 3 && count == 1) {
            le16(o, value);
            le16(o, 0);
        } else {
            le32(o, value);
        }
    };
    const u32 size = pic.width * pic.height;
    entry(254, 4, 1, 0);          // NewSubfileType
    entry(256, 4, 1, pic.width);  // ImageWidth
    entry(257, 4, 1, pic.height); // ImageLength
    entry(258, 3, 1, 8);          // BitsPerSample
    entry(259, 3, 1, 1);          // Compression: none
    entry(262, 3, 1, 3);          // PhotometricInterpretation: palette
    entry(273, 4, 1, PIXELS);     // StripOffsets
    entry(277, 3, 1, 1);          // SamplesPerPixel
    entry(278, 4, 1, pic.height); // RowsPerStrip
    entry(279, 4, 1, size);       // StripByteCounts
    entry(282, 5, 1, XRES);       // XResolution
    entry(283, 5, 1, YRES);       // YResolution
    entry(296, 3, 1, 1);          // ResolutionUnit: none
    entry(320, 3, 3 * 256, COLOR_MAP);
    le32(o, 0); // no next directory
    le32(o, 72);
    le32(o, 1);
    le32(o, 72);
    le32(o, 1);
    for (int k = 0; k < 3; k++)
        for (int c = 0; c < 256; c++)
            le16(o, c < REC_PALETTE ? pic.rgb[c][k] * 257u : 0);
    o.insert(o.end(), pic.pixels.begin(), pic.pixels.end());
    return o;
}

std::vector<u8> rec_encode_still(int kind, const RecPicture& pic, const std::string& title) {
    switch (kind) {
    case KIND_ILBM:
    case KIND_ACBM:
        return iff_picture(pic, kind == KIND_ACBM, title);
    case KIND_BMP:
        return bmp_picture(pic);
    case KIND_PCX:
        return pcx_picture(pic);
    case KIND_GIF:
        return gif_still(pic, title);
    case KIND_TIFF:
        return tiff_picture(pic);
    case KIND_PNG: {
        std::vector<u8> o;
        if (!png_still(pic, &o)) o.clear();
        return o;
    }
    default:
        return {};
    }
}
