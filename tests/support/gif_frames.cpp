#include "tests/support/gif_frames.h"

namespace {

struct Reader {
    const std::vector<u8>& b;
    std::size_t at = 0;
    bool has(std::size_t n) const { return at + n <= b.size(); }
    u32 le16() {
        const u32 v = b[at] | b[at + 1] << 8;
        at += 2;
        return v;
    }
    // The data sub-blocks from here to their terminator, joined.
    bool sub_blocks(std::vector<u8>* out) {
        while (has(1)) {
            const u8 n = b[at++];
            if (n == 0) return true;
            if (!has(n)) return false;
            if (out) out->insert(out->end(), b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
            at += n;
        }
        return false;
    }
};

// Colour indices from the LZW codes of an image, codes packed from the low bit.
std::string lzw_decode(const std::vector<u8>& data, u32 min_size, std::size_t count,
                       std::vector<u8>* out) {
    if (min_size < 2 || min_size > 8) return "bad LZW code size";
    const u32 clear = 1u << min_size, end = clear + 1;
    std::vector<std::vector<u8>> table(4096);
    for (u32 c = 0; c < clear; c++)
        table[c] = {static_cast<u8>(c)};
    u32 width = min_size + 1, next = clear + 2;
    int prev = -1;
    std::size_t bit = 0;
    for (;;) {
        if (bit + width > data.size() * 8) return "the codes end without an end code";
        u32 code = 0;
        for (u32 i = 0; i < width; i++, bit++)
            code |= ((data[bit / 8] >> (bit % 8)) & 1u) << i;
        if (code == clear) {
            width = min_size + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (code == end) break;
        std::vector<u8> entry;
        if (code < next && !table[code].empty())
            entry = table[code];
        else if (code == next && prev >= 0)
            entry = table[prev], entry.push_back(table[prev][0]);
        else
            return "a code that is not in the table";
        out->insert(out->end(), entry.begin(), entry.end());
        if (prev >= 0 && next < 4096) {
            table[next] = table[prev];
            table[next].push_back(entry[0]);
            if (++next == (1u << width) && width < 12) width++;
        }
        prev = static_cast<int>(code);
    }
    return out->size() == count ? "" : "the image has the wrong number of pixels";
}

} // namespace

std::string gif_read_frames(const std::vector<u8>& file, std::vector<GifFrame>* frames) {
    frames->clear();
    Reader r{file};
    if (!r.has(13) || file[0] != 'G' || file[1] != 'I' || file[2] != 'F') return "no GIF header";
    r.at = 10;
    const u8 flags = file[r.at];
    r.at += 3;
    std::vector<u32> palette;
    if (flags & 0x80) {
        const u32 colours = 2u << (flags & 7);
        if (!r.has(3 * colours)) return "the colour table is cut short";
        for (u32 c = 0; c < colours; c++, r.at += 3)
            palette.push_back(file[r.at] << 16 | file[r.at + 1] << 8 | file[r.at + 2]);
    }
    u32 delay = 0;
    while (r.has(1)) {
        const u8 kind = file[r.at++];
        if (kind == 0x3B) return "";
        if (kind == 0x21) {
            if (!r.has(1)) break;
            const u8 label = file[r.at++];
            std::vector<u8> data;
            if (!r.sub_blocks(&data)) break;
            if (label == 0xF9 && data.size() >= 3) delay = data[1] | data[2] << 8;
            continue;
        }
        if (kind != 0x2C) return "an unknown block";
        if (!r.has(10)) break;
        GifFrame f;
        f.delay = delay;
        f.left = r.le16();
        f.top = r.le16();
        f.width = r.le16();
        f.height = r.le16();
        if (file[r.at++] & 0xC0) return "a local colour table or interlacing";
        const u32 min_size = file[r.at++];
        std::vector<u8> codes, indices;
        if (!r.sub_blocks(&codes)) break;
        const std::string fault =
            lzw_decode(codes, min_size, static_cast<std::size_t>(f.width) * f.height, &indices);
        if (!fault.empty()) return "frame " + std::to_string(frames->size()) + ": " + fault;
        for (u8 i : indices) {
            if (i >= palette.size()) return "a colour outside the table";
            f.rgb.push_back(palette[i]);
        }
        frames->push_back(std::move(f));
    }
    return "the file ends without a trailer";
}
