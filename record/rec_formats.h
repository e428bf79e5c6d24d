// The picture recorders' formats: the guest picture as stored (colour indices
// with the current colour set) and the bytes of every still and animation
// format, made in memory so that each writer is one pure function.
//
//   RecPicture pic = rec_grab_picture();          // the frame as shown
//   std::vector<u8> file = rec_encode_still(KIND_GIF, pic, "Brindlemox 36.4");
//
// Animations keep their state in a writer object: begin() gives the bytes
// that open the file with the first frame, frame() the bytes of each later
// frame, finish() what closes it (and, where a header field holds the frame
// count, the field's place and bytes to patch).
#pragma once

#include "core/types.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int REC_PALETTE = 24;

struct RecPicture {
    u32 width = 0, height = 0;
    std::vector<u8> pixels; // row-major colour indices: (x, y) at y * width + x
    std::array<std::array<u8, 3>, REC_PALETTE> rgb{};
};

// The current guest frame: the machine's width (doubled with stretch 2),
// rotated where the screen is shown rotated, with the current colour set.
RecPicture rec_grab_picture();

// ---- byte helpers -----------------------------------------------------------------
namespace rec_bytes {
inline void id(std::vector<u8>& o, const char* four) {
    for (int i = 0; i < 4; i++)
        o.push_back(static_cast<u8>(four[i]));
}
inline void be16(std::vector<u8>& o, u32 v) {
    o.push_back(static_cast<u8>(v >> 8));
    o.push_back(static_cast<u8>(v));
}
inline void be32(std::vector<u8>& o, u32 v) {
    be16(o, v >> 16);
    be16(o, v & 0xFFFF);
}
inline void le16(std::vector<u8>& o, u32 v) {
    o.push_back(static_cast<u8>(v));
    o.push_back(static_cast<u8>(v >> 8));
}
inline void le32(std::vector<u8>& o, u32 v) {
    le16(o, v & 0xFFFF);
    le16(o, v >> 16);
}
inline void set_be32(std::vector<u8>& o, std::size_t at, u32 v) {
    for (int i = 0; i < 4; i++)
        o[at + i] = static_cast<u8>(v >> (24 - 8 * i));
}
inline void set_le32(std::vector<u8>& o, std::size_t at, u32 v) {
    for (int i = 0; i < 4; i++)
        o[at + i] = static_cast<u8>(v >> (8 * i));
}
} // namespace rec_bytes

// ---- stills ---------------------------------------------------------------------
// ILBM (ByteRun1) or, with acbm, ACBM (planes one after the other, ANNO).
std::vector<u8> iff_picture(const RecPicture& pic, bool acbm, const std::string& title);
std::vector<u8> bmp_picture(const RecPicture& pic);
std::vector<u8> pcx_picture(const RecPicture& pic);
std::vector<u8> tiff_picture(const RecPicture& pic);
std::vector<u8> gif_still(const RecPicture& pic, const std::string& title);
// False when the rows could not be compressed.
bool png_still(const RecPicture& pic, std::vector<u8>* out);
// The still of file kind 0..6 (ILBM, ACBM, BMP, PCX, GIF, TIFF, PNG); empty for
// other kinds and when compressing failed.
std::vector<u8> rec_encode_still(int kind, const RecPicture& pic, const std::string& title);

// ---- pieces -----------------------------------------------------------------------
// The rows, each preceded by filter byte 0, as one zlib stream at level 6.
bool png_compress_rows(const u8* rows, u32 width, u32 height, std::vector<u8>* out);
// One PNG chunk: length, type, data, CRC.
void png_chunk(std::vector<u8>& o, const char* type, const std::vector<u8>& data);
// The GIF LZW data of `pixels` (minimum code size 5) in sub-blocks, block terminator included.
void gif_lzw(const u8* pixels, std::size_t count, std::vector<u8>& o);
// ByteRun1 of one row.
void byterun1(const u8* row, u32 n, std::vector<u8>& o);
// The five bit planes of a picture: plane p row y at (p * height + y) * row_bytes.
std::vector<u8> iff_planes(const RecPicture& pic, u32* row_bytes);
// The op-5 delta of plane set `now` against `before` (same layout as iff_planes).
std::vector<u8> anim_delta(const std::vector<u8>& before, const std::vector<u8>& now, u32 row_bytes,
                           u32 height);

// ---- animations -------------------------------------------------------------------
// The delays of an animation's pictures in whole units of 1/`units` second
// (hundredths for GIF, milliseconds for APNG and MNG, jiffies for ANIM): each picture
// lasts one frame at the guest's `rate` (frames per second), and what one
// delay rounds off is carried into the next, so that the delays add up to
// the time the frames took.
struct RecFrameClock {
    u32 units = 100;
    double rate = 50.0;
    u64 frames = 0; // pictures timed so far
    u64 given = 0;  // the units they were given
    // The delay of the next picture; 0 when it would be shorter than `least`:
    // that picture is left out and its time goes to the next.
    u32 next(u32 least = 0);
    // The time of the pictures left out at the end, now given.
    u32 owed();
};

struct RecPatch {
    std::size_t at; // file offset
    std::vector<u8> bytes;
};

// Each animation begins with its first picture and the guest's frames per
// second, which time every picture.
struct GifAnimation {
    std::vector<u8> begin(const RecPicture& first, const std::string& title, double rate);
    // Empty for a picture left out (shorter than two hundredths).
    std::vector<u8> frame(const RecPicture& pic);
    // The trailer; the last picture's delay, which takes the time of any left
    // out after it.
    std::vector<u8> finish(RecPatch* last_delay);
    u32 frames = 0; // pictures written
    RecFrameClock clock;
    std::size_t length = 0, last_delay_at = 0; // bytes made; the last delay's place
    u32 last_delay = 0;
};

struct ApngAnimation {
    // Empty when the rows could not be compressed.
    std::vector<u8> begin(const RecPicture& first, double rate);
    std::vector<u8> frame(const RecPicture& pic);
    std::vector<u8> finish(RecPatch* actl); // IEND; acTL's frame count and its CRC
    u32 frames = 0, sequence = 0;
    RecFrameClock clock;
};

struct MngAnimation {
    std::vector<u8> begin(const RecPicture& first, double rate);
    std::vector<u8> frame(const RecPicture& pic);
    std::vector<u8> finish(RecPatch* mhdr); // MEND; MHDR's counts and its CRC
    u32 frames = 0, width = 0, height = 0, ticks = 1000; // ticks a second
    RecFrameClock clock;
    u32 delay = 0; // the ticks each picture lasts since the last FRAM
};

struct IffAnimation {
    // sctl: with a sound control chunk after CMAP.
    std::vector<u8> begin(const RecPicture& first, bool sctl, double rate);
    std::vector<u8> frame(const RecPicture& pic);
    // The two deltas back to the first two frames.
    std::vector<u8> finish();
    u32 frames = 0, row_bytes = 0, height = 0;
    RecFrameClock clock; // each delta's relative time: how long the picture before it lasts
    std::vector<u8> sets[3]; // the planes of the last three frames, by frame number % 3
    std::vector<u8> first_two[2];

  private:
    std::vector<u8> delta_form(const std::vector<u8>& now);
};
