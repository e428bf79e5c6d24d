// Test support for the recordings: the notes of the MIDI and SMUS files a
// playback generates, read back in frames, and the frame times of the
// animations.
#pragma once

#include "core/types.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <tuple>
#include <vector>

// A note of a MIDI or SMUS track: start and end in frames, the channel or
// track, the key or sID, the velocity.
using PassNote = std::tuple<u32, u32, int, int, int>;

inline u32 be32_at(const std::vector<u8>& b, std::size_t at) {
    return at + 4 <= b.size() ? u32(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3] : 0;
}

// The delays of an animated PNG's frames (its fcTL chunks), in seconds.
inline std::vector<double> apng_delays(const std::vector<u8>& b) {
    std::vector<double> delays;
    for (std::size_t at = 8; at + 12 <= b.size(); at += 12 + be32_at(b, at)) {
        if (b[at + 4] != 'f' || b[at + 5] != 'c' || b[at + 6] != 'T' || b[at + 7] != 'L') continue;
        const u32 num = b[at + 28] << 8 | b[at + 29], den = b[at + 30] << 8 | b[at + 31];
        delays.push_back(num / double(den ? den : 100));
    }
    return delays;
}

// The relative times (in sixtieths of a second) of an IFF ANIM's deltas.
inline std::vector<u32> anim_times(const std::vector<u8>& b) {
    std::vector<u32> times;
    const std::string s(b.begin(), b.end());
    for (std::size_t at = s.find("ANHD"); at != std::string::npos; at = s.find("ANHD", at + 4))
        times.push_back(be32_at(b, at + 8 + 14));
    return times;
}

// Every note of a Standard MIDI File; in *end the time its tracks last.
inline std::vector<PassNote> midi_pass_notes(const std::vector<u8>& b, u32* end) {
    std::vector<PassNote> notes;
    *end = 0;
    for (std::size_t at = 14; at + 8 <= b.size() && b[at] == 'M' && b[at + 3] == 'k';) {
        const std::size_t stop = std::min<std::size_t>(at + 8 + be32_at(b, at + 4), b.size());
        u32 time = 0;
        std::vector<PassNote> open;
        for (at += 8; at < stop;) {
            u32 delta = 0;
            while (at < stop && (b[at] & 0x80))
                delta = delta << 7 | (b[at++] & 0x7F);
            if (at >= stop) break;
            time += delta << 7 | b[at++];
            if (at + 3 <= stop && b[at] == 0xFF && b[at + 1] != 0x2F) { // a meta event: the tempo
                at += 3 + b[at + 2];
                continue;
            }
            if (at + 3 > stop || b[at] == 0xFF) break;
            const int channel = b[at] & 0x0F, key = b[at + 1];
            if ((b[at] & 0xF0) == 0x90) open.push_back({time, 0, channel, key, b[at + 2]});
            for (auto n = open.begin(); (b[at] & 0xF0) == 0x80 && n != open.end(); ++n)
                if (std::get<3>(*n) == key) {
                    std::get<1>(*n) = time;
                    notes.push_back(*n);
                    open.erase(n);
                    break;
                }
            at += 3;
        }
        *end = std::max(*end, time);
        at = stop;
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

// Every note of an IFF SMUS score (tied events joined, rests and dynamics
// left out), in frames; in *end the time its tracks last.
inline std::vector<PassNote> smus_pass_notes(const std::vector<u8>& b, u32* end) {
    static const u32 lengths[16] = {128, 64, 32, 16, 8, 4, 2, 1, 0, 96, 48, 24, 12, 6, 3, 0};
    std::vector<PassNote> notes;
    *end = 0;
    int track = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const u32 size = be32_at(b, at + 4);
        const std::size_t stop = std::min<std::size_t>(at + 8 + size, b.size());
        if (std::equal(b.begin() + at, b.begin() + at + 4, "TRAK")) {
            u32 time = 0, start = 0;
            bool tied = false;
            for (std::size_t k = at + 8; k + 1 < stop; k += 2) {
                if (b[k] == 132) continue; // dynamics
                if (!tied) start = time;
                time += lengths[b[k + 1] & 15];
                tied = b[k + 1] & 64;
                if (!tied && b[k] != 128) notes.push_back({start / 4, time / 4, track, b[k], 0});
            }
            *end = std::max(*end, time / 4);
            track++;
        }
        at += 8 + size + (size & 1);
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}
