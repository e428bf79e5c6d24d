// PNG stills, animated PNG and MNG: 8-bit palette pictures of 24 colours whose
// rows (filter 0) are one zlib stream at level 6.
#include "record/rec_formats.h"

#include <zlib.h>

using namespace rec_bytes;

namespace {
const u8 PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
const u8 MNG_SIGNATURE[8] = {0x8A, 'M', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

u32 chunk_crc(const u8* type_and_data, std::size_t n) {
    return static_cast<u32>(crc32(crc32(0, nullptr, 0), type_and_data, static_cast<uInt>(n)));
}

void ihdr_plte(std::vector<u8>& o, const RecPicture& pic) {
    std::vector<u8> h;
    be32(h, pic.width);
    be32(h, pic.height);
    h.push_back(8); // bit depth
    h.push_back(3); // palette
    h.push_back(0);
    h.push_back(0);
    h.push_back(0);
    png_chunk(o, "IHDR", h);
    std::vector<u8> p;
    for (const auto& c : pic.rgb)
        p.insert(p.end(), c.begin(), c.end());
    png_chunk(o, "PLTE", p);
}

bool idat(std::vector<u8>& o, const RecPicture& pic) {
    std::vector<u8> z;
    if (!png_compress_rows(pic.pixels.data(), pic.width, pic.height, &z)) return false;
    png_chunk(o, "IDAT", z);
    return true;
}

// A frame's control chunk; it lasts `delay` milliseconds.
void fctl(std::vector<u8>& o, const RecPicture& pic, u32 sequence, u32 delay) {
    std::vector<u8> d;
    be32(d, sequence);
    be32(d, pic.width);
    be32(d, pic.height);
    be32(d, 0);
    be32(d, 0);
    be16(d, delay);
    be16(d, 1000);
    d.push_back(0); // dispose
    d.push_back(0); // blend
    png_chunk(o, "fcTL", d);
}

// A patch that rewrites chunk data at `data_at` of a chunk of `type` with
// `data`, and its CRC after it.
RecPatch patch_chunk(std::size_t data_at, const char* type, const std::vector<u8>& data) {
    std::vector<u8> crc_input;
    id(crc_input, type);
    crc_input.insert(crc_input.end(), data.begin(), data.end());
    RecPatch p{data_at, data};
    be32(p.bytes, chunk_crc(crc_input.data(), crc_input.size()));
    return p;
}
} // namespace

void png_chunk(std::vector<u8>& o, const char* type, const std::vector<u8>& data) {
    be32(o, static_cast<u32>(data.size()));
    const std::size_t start = o.size();
    id(o, type);
    o.insert(o.end(), data.begin(), data.end());
    be32(o, chunk_crc(&o[start], o.size() - start));
}

bool png_compress_rows(const u8* rows, u32 width, u32 height, std::vector<u8>* out) {
    std::vector<u8> raw;
    raw.reserve(static_cast<std::size_t>(width + 1) * height);
    for (u32 y = 0; y < height; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), rows + static_cast<std::size_t>(y) * width,
                   rows + static_cast<std::size_t>(y + 1) * width);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    out->resize(size);
    if (compress2(out->data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
        out->clear();
        return false;
    }
    out->resize(size);
    return true;
}

bool png_still(const RecPicture& pic, std::vector<u8>* out) {
    std::vector<u8>& o = *out;
    o.assign(PNG_SIGNATURE, PNG_SIGNATURE + 8);
    ihdr_plte(o, pic);
    if (!idat(o, pic)) return false;
    png_chunk(o, "IEND", {});
    return true;
}

// ---- APNG ----------------------------------------------------------------------
// acTL follows the signature (8), IHDR (25) and PLTE (84): its data at 125.
constexpr std::size_t ACTL_DATA_AT = 8 + 25 + 84 + 8;

std::vector<u8> ApngAnimation::begin(const RecPicture& first, double rate) {
    std::vector<u8> o(PNG_SIGNATURE, PNG_SIGNATURE + 8);
    ihdr_plte(o, first);
    std::vector<u8> actl;
    be32(actl, 0); // frames: set at the end
    be32(actl, 1);
    png_chunk(o, "acTL", actl);
    frames = 0;
    sequence = 0;
    clock = {1000, rate};
    fctl(o, first, sequence++, clock.next());
    if (!idat(o, first)) return {};
    frames = 1;
    return o;
}

std::vector<u8> ApngAnimation::frame(const RecPicture& pic) {
    std::vector<u8> z;
    if (!png_compress_rows(pic.pixels.data(), pic.width, pic.height, &z)) return {};
    std::vector<u8> o;
    fctl(o, pic, sequence++, clock.next());
    std::vector<u8> d;
    be32(d, sequence++);
    d.insert(d.end(), z.begin(), z.end());
    png_chunk(o, "fdAT", d);
    frames++;
    return o;
}

std::vector<u8> ApngAnimation::finish(RecPatch* actl) {
    std::vector<u8> o;
    png_chunk(o, "IEND", {});
    std::vector<u8> d;
    be32(d, frames);
    be32(d, 0); // plays for ever
    *actl = patch_chunk(ACTL_DATA_AT, "acTL", d);
    return o;
}

// ---- MNG -----------------------------------------------------------------------
namespace {
std::vector<u8> mhdr(u32 w, u32 h, u32 ticks, u32 count, u32 play_time) {
    std::vector<u8> d;
    be32(d, w);
    be32(d, h);
    be32(d, ticks);
    be32(d, count); // layers
    be32(d, count); // frames
    be32(d, play_time); // in ticks
    be32(d, 67);        // simplicity profile: simple MNG features (FRAM) only
    return d;
}
} // namespace

std::vector<u8> MngAnimation::begin(const RecPicture& first, double rate) {
    width = first.width;
    height = first.height;
    clock = {ticks, rate};
    delay = 0;
    frames = 0;
    std::vector<u8> o(MNG_SIGNATURE, MNG_SIGNATURE + 8);
    png_chunk(o, "MHDR", mhdr(width, height, ticks, 0, 0));
    std::vector<u8> term = {3, 2};
    be32(term, 1);
    be32(term, 0x7FFFFFFF);
    png_chunk(o, "TERM", term);
    const std::vector<u8> f = frame(first);
    if (f.empty()) return {};
    o.insert(o.end(), f.begin(), f.end());
    return o;
}

std::vector<u8> MngAnimation::frame(const RecPicture& pic) {
    std::vector<u8> o;
    // A FRAM sets the delay of this picture and the next, where it changes.
    const u32 d = clock.next();
    if (d != delay) {
        delay = d;
        // Framing mode and name kept; the default delay and the default
        // timeout (none) set, which readers need to find the delay.
        std::vector<u8> fram = {0, 0, 2, 2, 0, 0};
        be32(fram, d);
        be32(fram, 0x7FFFFFFF);
        png_chunk(o, "FRAM", fram);
    }
    ihdr_plte(o, pic);
    if (!idat(o, pic)) return {};
    png_chunk(o, "IEND", {});
    frames++;
    return o;
}

std::vector<u8> MngAnimation::finish(RecPatch* header) {
    std::vector<u8> o;
    png_chunk(o, "MEND", {});
    *header =
        patch_chunk(16, "MHDR", mhdr(width, height, ticks, frames, static_cast<u32>(clock.given)));
    return o;
}
