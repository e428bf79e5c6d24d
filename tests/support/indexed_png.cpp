#include "tests/support/indexed_png.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

constexpr u8 SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void put32(std::vector<u8>& out, u32 v) {
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<u8>(v >> s));
}

u32 get32(const u8* p) {
    return (u32{p[0]} << 24) | (u32{p[1]} << 16) | (u32{p[2]} << 8) | u32{p[3]};
}

void chunk(std::vector<u8>& out, const char type[4], const std::vector<u8>& data) {
    put32(out, static_cast<u32>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<u32>(crc));
}

u8 paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<u8>(a);
    return static_cast<u8>(pb <= pc ? b : c);
}

} // namespace

std::string png_write_indexed(const std::filesystem::path& path, const IndexedPicture& pic) {
    if (pic.width == 0 || pic.height == 0) return "empty picture";
    if (pic.pixels.size() != std::size_t{pic.width} * pic.height) return "pixel count mismatch";
    if (pic.palette.empty() || pic.palette.size() > 256) return "palette size out of range";
    for (u8 p : pic.pixels)
        if (p >= pic.palette.size()) return "pixel index beyond the palette";

    std::vector<u8> out(SIGNATURE, SIGNATURE + 8);
    std::vector<u8> ihdr;
    put32(ihdr, pic.width);
    put32(ihdr, pic.height);
    ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0}); // depth 8, palette, deflate, no filter, no interlace
    chunk(out, "IHDR", ihdr);
    std::vector<u8> plte;
    for (u32 rgb : pic.palette)
        plte.insert(plte.end(),
                    {static_cast<u8>(rgb >> 16), static_cast<u8>(rgb >> 8), static_cast<u8>(rgb)});
    chunk(out, "PLTE", plte);

    std::vector<u8> raw;
    raw.reserve((pic.width + 1) * pic.height);
    for (u32 y = 0; y < pic.height; y++) {
        raw.push_back(0);
        const u8* row = pic.pixels.data() + std::size_t{y} * pic.width;
        raw.insert(raw.end(), row, row + pic.width);
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<u8> packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) !=
        Z_OK)
        return "deflate failed";
    packed.resize(packed_size);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});

    std::filesystem::path temp = path;
    temp += ".part";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) return "cannot create " + temp.string();
        f.write(reinterpret_cast<const char*>(out.data()),
                static_cast<std::streamsize>(out.size()));
        if (!f.flush()) {
            std::filesystem::remove(temp);
            return "cannot write " + temp.string();
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp);
        return "cannot rename to " + path.string();
    }
    return "";
}

std::string png_decode_indexed(const std::vector<u8>& file, IndexedPicture* pic) {
    if (file.size() < 8 || std::memcmp(file.data(), SIGNATURE, 8) != 0) return "not a PNG file";
    std::size_t at = 8;
    bool header = false, end = false;
    std::vector<u8> packed;
    IndexedPicture got;
    while (!end) {
        if (file.size() - at < 12) return "chunk cut short";
        const u32 length = get32(&file[at]);
        if (length > file.size() - at - 12) return "chunk longer than the file";
        const u8* type = &file[at + 4];
        const u8* data = type + 4;
        const uLong crc = crc32(0L, type, static_cast<uInt>(length + 4));
        if (get32(data + length) != static_cast<u32>(crc)) return "chunk checksum wrong";
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length != 13) return "header size wrong";
            got.width = get32(data);
            got.height = get32(data + 4);
            if (got.width == 0 || got.height == 0 || got.width > 16384 || got.height > 16384)
                return "picture size out of range";
            if (data[8] != 8 || data[9] != 3 || data[10] != 0 || data[11] != 0 || data[12] != 0)
                return "not an 8-bit palette picture without interlace";
            header = true;
        } else if (std::memcmp(type, "PLTE", 4) == 0) {
            if (length == 0 || length % 3 || length > 768) return "palette size wrong";
            for (u32 i = 0; i < length; i += 3)
                got.palette.push_back((u32{data[i]} << 16) | (u32{data[i + 1]} << 8) | data[i + 2]);
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            packed.insert(packed.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            end = true;
        }
        at += std::size_t{length} + 12;
    }
    if (!header) return "no header";
    if (got.palette.empty()) return "no palette";

    const std::size_t stride = std::size_t{got.width} + 1;
    std::vector<u8> raw(stride * got.height);
    uLongf raw_size = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &raw_size, packed.data(), static_cast<uLong>(packed.size())) !=
            Z_OK ||
        raw_size != raw.size())
        return "picture data damaged";

    got.pixels.resize(std::size_t{got.width} * got.height);
    std::vector<u8> prior(got.width, 0);
    for (u32 y = 0; y < got.height; y++) {
        const u8 filter = raw[y * stride];
        const u8* in = &raw[y * stride + 1];
        u8* row = &got.pixels[std::size_t{y} * got.width];
        for (u32 x = 0; x < got.width; x++) {
            const int a = x ? row[x - 1] : 0, b = prior[x], c = x ? prior[x - 1] : 0;
            int v = in[x];
            switch (filter) {
            case 0:
                break;
            case 1:
                v += a;
                break;
            case 2:
                v += b;
                break;
            case 3:
                v += (a + b) / 2;
                break;
            case 4:
                v += paeth(a, b, c);
                break;
            default:
                return "unknown row filter";
            }
            row[x] = static_cast<u8>(v);
            if (row[x] >= got.palette.size()) return "pixel index beyond the palette";
        }
        std::memcpy(prior.data(), row, got.width);
    }
    *pic = std::move(got);
    return "";
}

std::string png_read_indexed(const std::filesystem::path& path, IndexedPicture* pic) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return "cannot open " + path.string();
    std::vector<u8> file((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return png_decode_indexed(file, pic);
}
