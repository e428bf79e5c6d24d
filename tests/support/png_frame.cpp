#include "tests/support/png_frame.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "display/frame.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

void put32(std::vector<u8>& out, u32 v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<u8>(v >> s));
}

u32 get32(const u8* p) {
    return static_cast<u32>(p[0]) << 24 | static_cast<u32>(p[1]) << 16 |
           static_cast<u32>(p[2]) << 8 | p[3];
}

void chunk(std::vector<u8>& out, const char* type, const std::vector<u8>& data) {
    put32(out, static_cast<u32>(data.size()));
    std::vector<u8> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put32(out, static_cast<u32>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// A palette for looking at the pictures: eight primaries, their dark
// halves, then greys.
std::vector<u8> review_palette() {
    std::vector<u8> p;
    for (u32 i = 0; i < 24; i++) {
        const u8 level = i < 8 ? 255 : i < 16 ? 128 : static_cast<u8>(40 + 20 * (i - 16));
        const u32 c = i % 8;
        if (i >= 16) {
            p.insert(p.end(), {level, level, level});
        } else {
            p.push_back(c & 1 ? level : 0);
            p.push_back(c & 2 ? level : 0);
            p.push_back(c & 4 ? level : 0);
        }
    }
    return p;
}

constexpr u8 SIGNATURE[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

} // namespace

IndexedPicture capture_guest_frame() {
    IndexedPicture p;
    p.width = static_cast<u32>(machine_table[machine].width);
    p.height = static_cast<u32>(machine_table[machine].height);
    p.pixels.resize(p.width * p.height);
    for (u32 y = 0; y < p.height; y++)
        for (u32 x = 0; x < p.width; x++)
            p.pixels[y * p.width + x] = guest_frame[x * GUEST_FRAME_ROWS + y];
    return p;
}

bool write_indexed_png(const std::string& path, const IndexedPicture& picture) {
    std::vector<u8> out(SIGNATURE, SIGNATURE + 8), header;
    put32(header, picture.width);
    put32(header, picture.height);
    header.insert(header.end(), {8, 3, 0, 0, 0});
    chunk(out, "IHDR", header);
    chunk(out, "PLTE", review_palette());
    std::vector<u8> raw;
    for (u32 y = 0; y < picture.height; y++) {
        raw.push_back(0);
        raw.insert(raw.end(), picture.pixels.begin() + y * picture.width,
                   picture.pixels.begin() + (y + 1) * picture.width);
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<u8> packed(size);
    if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;
    packed.resize(size);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

bool read_indexed_png(const std::string& path, IndexedPicture* picture) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<u8> in((std::istreambuf_iterator<char>(file)), {});
    if (in.size() < 8 || !std::equal(SIGNATURE, SIGNATURE + 8, in.begin())) return false;
    std::vector<u8> packed;
    for (std::size_t at = 8; at + 12 <= in.size();) {
        const u32 length = get32(&in[at]);
        if (at + 12 + length > in.size()) return false;
        const std::string type(in.begin() + static_cast<long>(at) + 4,
                               in.begin() + static_cast<long>(at) + 8);
        const u8* data = &in[at + 8];
        if (type == "IHDR") {
            if (length != 13 || data[8] != 8 || data[9] != 3) return false;
            picture->width = get32(data);
            picture->height = get32(data + 4);
        } else if (type == "IDAT") {
            packed.insert(packed.end(), data, data + length);
        }
        at += 12 + length;
    }
    if (!picture->width || !picture->height || picture->width > 4096 || picture->height > 4096)
        return false;
    std::vector<u8> raw((picture->width + 1) * picture->height);
    uLongf size = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
        size != raw.size())
        return false;
    picture->pixels.clear();
    for (u32 y = 0; y < picture->height; y++) {
        const u8* row = &raw[y * (picture->width + 1)];
        if (row[0] != 0) return false;
        picture->pixels.insert(picture->pixels.end(), row + 1, row + 1 + picture->width);
    }
    return true;
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
    const std::string path = std::string(BRINDLEMOX_TEST_DATA) + "/frames/" + name + ".png";
    const IndexedPicture got = capture_guest_frame();
    if (std::getenv("BRINDLEMOX_WRITE_FRAMES"))
        return write_indexed_png(path, got) ? "" : "cannot write " + path;
    IndexedPicture want;
    if (!read_indexed_png(path, &want)) return "cannot read " + path;
    return compare_pictures(want, got);
}
