// Test support for the recorders: outside tools run on files we write, and
// small synthetic pictures.
#pragma once

#include "record/rec_formats.h"
#include "tests/support/program_test.h"
#include "tests/support/wait_until.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

// Runs a shell command; its standard output, and its exit status in *rc.
inline std::string run_tool(const std::string& command, int* rc) {
    std::string out;
    FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (!p) {
        *rc = -1;
        return out;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
        out.append(buffer, n);
    const int status = pclose(p);
    *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

inline bool tool_present(const char* path) {
    return std::filesystem::exists(path);
}

inline void write_bytes(const std::filesystem::path& path, const std::vector<u8>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<u8> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The samples of a WAV, AIFF or 8SVX file, unsigned.
inline std::vector<u8> sound_samples(const std::vector<u8>& b) {
    std::vector<u8> s;
    if (b.size() > 44 && std::equal(b.begin(), b.begin() + 4, "RIFF"))
        return {b.begin() + 44, b.end()};
    for (const char* chunk : {"BODY", "SSND"}) {
        const auto at = std::search(b.begin(), b.end(), chunk, chunk + 4);
        if (at == b.end()) continue;
        const std::size_t from = std::size_t(at - b.begin()) + (chunk[0] == 'S' ? 16 : 8);
        for (std::size_t i = from; i < b.size(); i++)
            s.push_back(u8(b[i] ^ 0x80));
    }
    return s;
}

// The largest and smallest sample of a sound file as sox reads it (-1..1),
// an outside check of what the program wrote; false when sox cannot read it.
inline bool sox_amplitudes(const std::filesystem::path& file, double* max, double* min) {
    int rc = -1;
    const std::string said = run_tool("sox '" + file.string() + "' -n stat 2>&1 | cat", &rc);
    const auto value = [&said](const char* key, double* out) {
        const std::size_t at = said.find(key);
        return at != std::string::npos &&
               std::sscanf(said.c_str() + at + std::strlen(key), " %lf", out) == 1;
    };
    return rc == 0 && value("Maximum amplitude:", max) && value("Minimum amplitude:", min);
}

// The state file `state` followed by a recording of `frames` frames, each of
// the bytes `frame` (the controls and switches as the machine records them),
// written as `take`: false when the state is not there.
inline bool write_recording(const std::filesystem::path& state, const std::filesystem::path& take,
                            std::size_t frames, const std::vector<u8>& frame) {
    std::vector<u8> recording = read_bytes(state);
    if (recording.size() <= 3) return false;
    recording[2] = 1; // a recording follows the state
    for (std::size_t i = 0; i < frames; i++)
        recording.insert(recording.end(), frame.begin(), frame.end());
    write_bytes(take, recording);
    return true;
}

// The running program playing recordings that generate files.
class RecordingProgram : public ProgramTest {
  protected:
    // The program started, put on a machine by `machine` (SETMACHINE or a
    // menu item; its ROM images are missing here: a warning), and paused.
    // Check with ASSERT_NO_FATAL_FAILURE.
    void start_paused(const std::string& machine) {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        request(machine);
        request("PAUSE");
    }
    // The machine saved as take.cos in the home, and as the recording `take`:
    // that state and `frames` frames of the bytes `frame`. Check with
    // ASSERT_NO_FATAL_FAILURE.
    void save_take(std::size_t frames, const std::vector<u8>& frame) {
        const std::filesystem::path state = home.path() / "take.cos";
        request("SAVEAS " + state.string());
        ASSERT_TRUE(write_recording(state, take, frames, frame));
    }
    const std::filesystem::path take = home.path() / "take.cor";
    // Opens the recording `take` and waits for all of `outputs` to be there,
    // as they are when its playback has ended; then quits. Check with
    // ASSERT_NO_FATAL_FAILURE.
    void generate(std::initializer_list<std::filesystem::path> outputs) {
        std::string said;
        ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
        const auto all_there = [&outputs] {
            for (const std::filesystem::path& output : outputs)
                if (!std::filesystem::exists(output)) return false;
            return true;
        };
        ASSERT_TRUE(wait_until(all_there)) << "the playback's outputs written\n" << log();
        request("QUIT");
        ASSERT_EQ(wait_exit(), 0) << log();
    }
};

// A picture of all 24 colours in a pattern, each colour a distinct RGB.
inline RecPicture synthetic_picture(u32 w, u32 h, u32 seed = 0) {
    RecPicture pic;
    pic.width = w;
    pic.height = h;
    pic.pixels.resize(static_cast<std::size_t>(w) * h);
    for (u32 y = 0; y < h; y++)
        for (u32 x = 0; x < w; x++)
            pic.pixels[y * w + x] = static_cast<u8>((x * 7 + y * 3 + seed) % REC_PALETTE);
    for (int c = 0; c < REC_PALETTE; c++)
        pic.rgb[c] = {static_cast<u8>(c * 10), static_cast<u8>(250 - c * 9), static_cast<u8>(c * 5 + 3)};
    return pic;
}

// The RGB bytes the picture shows, row by row.
inline std::vector<u8> rgb_of(const RecPicture& pic) {
    std::vector<u8> out;
    for (u8 c : pic.pixels)
        out.insert(out.end(), pic.rgb[c].begin(), pic.rgb[c].end());
    return out;
}
