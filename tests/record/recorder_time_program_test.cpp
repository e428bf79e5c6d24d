// How long every file a playback generates lasts, in the real program: each
// recorder on the program's own list (the MACRO.ANIMS and MACRO.SOUNDS items)
// takes its time from the frame clock, so that N frames last N / rate seconds
// in each, at the machine's own rate (60.19 Hz on the Arcadia, 50.08 Hz on
// the Elektor, 59.47 Hz on the CD2650) and at exactly 60 or 50. The sounds are read by sox, the
// MIDI file by mido.
#include "commands/menu_table.h"
#include "core/machine_table.h"
#include "tests/record/music_notes.h"
#include "tests/record/tools.h"
#include "tests/support/gif_frames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

using RecorderTime = RecordingProgram;

u32 be16_at(const std::vector<u8>& b, std::size_t at) {
    return at + 2 <= b.size() ? u32(b[at]) << 8 | b[at + 1] : 0;
}

// A file's length in seconds and the least unit of time it can say; a
// negative length when it could not be read.
struct Length {
    double seconds = -1, unit = 0;
};

Length sound_length(const fs::path& file) {
    int rc = 0, rc2 = 0;
    const std::string samples = run_tool("soxi -s '" + file.string() + "'", &rc);
    const std::string rate = run_tool("soxi -r '" + file.string() + "'", &rc2);
    if (rc || rc2 || samples.empty() || rate.empty()) return {};
    const double r = std::stod(rate);
    // One sample, and the one an 8-bit file pads to an even length.
    return {std::stod(samples) / r, 2 / r};
}

Length midi_length(const fs::path& file, double rate) {
    int rc = 0;
    const std::string said = run_tool(
        "/usr/bin/python3 -c \"import mido,sys; print(mido.MidiFile(sys.argv[1]).length)\" '" +
            file.string() + "'",
        &rc);
    if (rc || said.empty()) return {};
    return {std::stod(said), 1 / rate}; // a tick a frame
}

// The SMUS score: its tracks' length in frames (eighths of a quarter note)
// at its tempo (128ths of a quarter note a minute).
Length smus_length(const fs::path& file) {
    const std::vector<u8> b = read_bytes(file);
    const u32 tempo = be16_at(b, 20);
    u32 frames = 0;
    smus_pass_notes(b, &frames);
    if (!tempo) return {};
    return {frames * 960.0 / tempo, 960.0 / tempo};
}

Length gif_length(const fs::path& file) {
    std::vector<GifFrame> frames;
    if (!gif_read_frames(read_bytes(file), &frames).empty()) return {};
    u32 hundredths = 0;
    for (const GifFrame& f : frames)
        hundredths += f.delay;
    return {hundredths / 100.0, 0.01};
}

Length apng_length(const fs::path& file) {
    double seconds = 0;
    for (double delay : apng_delays(read_bytes(file)))
        seconds += delay;
    return {seconds, 0.001};
}

// An MNG's pictures, each lasting the delay the last FRAM set (one tick
// before any), at the MHDR's ticks a second.
Length mng_length(const fs::path& file) {
    const std::vector<u8> b = read_bytes(file);
    const u32 ticks = be32_at(b, 24);
    u32 delay = 1;
    u64 total = 0;
    for (std::size_t at = 8; at + 12 <= b.size(); at += 12 + be32_at(b, at)) {
        const std::string type(b.begin() + long(at) + 4, b.begin() + long(at) + 8);
        if (type == "FRAM" && be32_at(b, at) >= 10 && b[at + 10] != 0) delay = be32_at(b, at + 14);
        if (type == "IHDR") total += delay;
    }
    if (!ticks) return {};
    return {double(total) / ticks, 1.0 / ticks};
}

// The IFF ANIM's deltas, each giving the time of the picture before it in
// jiffies; the last leads round to the second picture and is not counted.
Length anim_length(const fs::path& file) {
    const std::vector<u32> times = anim_times(read_bytes(file));
    if (times.empty()) return {};
    u32 jiffies = 0;
    for (std::size_t i = 0; i + 1 < times.size(); i++)
        jiffies += times[i];
    return {jiffies / 60.0, 1 / 60.0};
}

// A YM6 dump: one record a frame at its player rate (whole hertz).
Length ym_length(const fs::path& file) {
    const std::vector<u8> b = read_bytes(file);
    const u32 rate = be16_at(b, 26);
    if (!rate) return {};
    return {be32_at(b, 12) / double(rate), 1.0 / rate};
}

// A PSG log: one record a frame, each ended by $FF, at the frame clock.
Length psg_length(const fs::path& file, double rate) {
    const std::vector<u8> b = read_bytes(file);
    if (b.size() < 17) return {};
    u32 records = 0;
    for (std::size_t at = 17; at < b.size(); at++) {
        if (b[at] == 0xFF)
            records++;
        else
            at++; // a register and its value
    }
    return {records / rate, 1 / rate};
}

struct Reader {
    const char* suffix; // of the file the recorder writes, after the take's name
    bool picture;       // an animation: the first picture and one a frame
    std::function<Length(const fs::path&, double rate)> length;
};

const std::map<std::string, Reader>& readers() {
    static const std::map<std::string, Reader> r = {
        {"MACRO.ANIMS.ANIM",
         {".anim", true, [](const fs::path& f, double) { return anim_length(f); }}},
        {"MACRO.ANIMS.GIF",
         {".gif", true, [](const fs::path& f, double) { return gif_length(f); }}},
        {"MACRO.ANIMS.MNG",
         {".mng", true, [](const fs::path& f, double) { return mng_length(f); }}},
        {"MACRO.ANIMS.APNG",
         {".png", true, [](const fs::path& f, double) { return apng_length(f); }}},
        {"MACRO.SOUNDS.8SVX",
         {".8svx", false, [](const fs::path& f, double) { return sound_length(f); }}},
        {"MACRO.SOUNDS.AIFF",
         {".aiff", false, [](const fs::path& f, double) { return sound_length(f); }}},
        {"MACRO.SOUNDS.WAV",
         {".wav", false, [](const fs::path& f, double) { return sound_length(f); }}},
        {"MACRO.SOUNDS.SMUS",
         {".smus", false, [](const fs::path& f, double) { return smus_length(f); }}},
        {"MACRO.SOUNDS.MIDI", {".mid", false, midi_length}},
        {"MACRO.SOUNDS.PSG", {"-1.psg", false, psg_length}},
        {"MACRO.SOUNDS.YM",
         {"-1.ym", false, [](const fs::path& f, double) { return ym_length(f); }}},
    };
    return r;
}

// The recorders on the program's list: its menu's generated-file switches.
std::vector<std::string> recorders() {
    std::vector<std::string> names;
    for (int i = 0; i < MENU_PLAIN_IDS; i++) {
        const std::string name = menu_plain_names[i].name;
        if (name.rfind("MACRO.ANIMS.", 0) == 0 || name.rfind("MACRO.SOUNDS.", 0) == 0)
            names.push_back(name);
    }
    return names;
}

struct Rate {
    const char* what;
    std::vector<std::string> set_up; // a tone from the state
    bool exact;
    bool psg;  // the memory map's sound chips: their logs are written
    bool tone; // a note sounds to the end: the SMUS score lasts as long (the MIDI file always does)
    bool stop; // the guest reads no input without its ROM: the playback is stopped
    double rate;
};

} // namespace

// A playback of some 300 frames at each rate generates every file the machine
// can make: each lasts the frames played (the animations the first picture too) to
// within the least time it can say. The YM dump's player rate is whole hertz:
// it holds a record a frame at the nearest rate.
TEST_F(RecorderTime, EveryRecorderLastsTheFramesPlayed) {
    constexpr u32 FRAMES = 300;
    // On the Arcadia a guest program retunes the state's tone some 16 frames in.
    std::vector<std::string> arcadia = {"SETMACHINE ARCADIA", "MENU SETTINGS.SPEED.NTSC",
                                        "DEBUGGER P"};
    const u8 code[] = {0x76, 0x20, 0x06, 0x80, 0x05, 0x00, 0xF9, 0x7E, 0xFA,
                       0x7C, 0x04, 0x40, 0xCC, 0x18, 0xFD, 0x1B, 0x7E};
    for (u32 at = 0; at < sizeof code; at++) {
        char line[40];
        std::snprintf(line, sizeof line, "DEBUGGER E $%04X $%02X", at, code[at]);
        arcadia.push_back(line);
    }
    arcadia.insert(arcadia.end(), {"DEBUGGER E 18FD 11", "DEBUGGER E 18FE 0F", "DEBUGGER J 0"});
    const std::vector<std::string> elektor = {"SETMACHINE ELEKTOR", "DEBUGGER P",
                                              "DEBUGGER E 1D02 40", "DEBUGGER E 1D09 0F"};
    const Rate rates[] = {
        {"Arcadia", arcadia, false, false, true, false, machine_table[ARCADIA].refresh_rate[0]},
        {"Arcadia, exactly", arcadia, true, false, true, false, 60.0},
        {"Elektor", elektor, false, true, true, false, machine_table[ELEKTOR].refresh_rate[1]},
        {"Elektor, exactly", elektor, true, true, true, false, 50.0},
        {"CD2650",
         {"SETMACHINE CD2650", "DEBUGGER P"},
         false,
         false,
         false,
         true,
         machine_table[CD2650].refresh_rate[0]},
    };
    const std::vector<std::string> names = recorders();
    ASSERT_GE(names.size(), 11u);
    for (const std::string& name : names)
        ASSERT_TRUE(readers().count(name)) << name << ": a recorder this test cannot read";
    if (!tool_present("/usr/bin/soxi")) GTEST_SKIP() << "needs sox";
    ASSERT_NO_FATAL_FAILURE(start_paused("SETMACHINE ARCADIA"));
    request("MENU MACRO.LOOP"); // off: the playback ends, and its files are written
    request("MENU MACRO.GENERATE");
    request("TURBO ON");
    std::set<std::string> on; // the recorders switched on so far
    bool exact = false;
    int n = 0;
    for (const Rate& r : rates) {
        SCOPED_TRACE(r.what);
        for (const std::string& line : r.set_up)
            request(line);
        if (exact != r.exact) request("MENU SETTINGS.SPEED.EXACT");
        exact = r.exact;
        // The recorders this machine offers: a switch it has not is refused.
        for (const std::string& name : names)
            if (!on.count(name) && ask("MENU " + name) == 0) on.insert(name);
        std::vector<std::string> made;
        for (const std::string& name : names)
            if (on.count(name) &&
                (r.psg ||
                 (name.find("PSG") == std::string::npos && name.find("YM") == std::string::npos)) &&
                (r.tone || name != "MACRO.SOUNDS.SMUS"))
                made.push_back(name);
        ASSERT_GE(made.size(), 7u);
        const fs::path state = home.path() / "take.cos";
        const fs::path recording = home.path() / ("take" + std::to_string(++n) + ".cor");
        request("SAVEAS " + state.string());
        ASSERT_TRUE(write_recording(state, recording, FRAMES, std::vector<u8>(7, 0)));
        const auto output = [&recording](const std::string& name) {
            return fs::path(recording).replace_extension("").string() + readers().at(name).suffix;
        };
        request("DEBUGGER G");
        request("UNPAUSE");
        std::string said;
        ASSERT_EQ(send("OPEN " + recording.string(), &said), 0) << said;
        if (r.stop) {
            // Stopped after 60 of the guest's frames (the CD2650's row).
            ASSERT_TRUE(guest_ran(frame_clocks(CD2650, 60))) << log();
            request("MENU MACRO.STOP");
        }
        // The playback's end (or Stop) writes them all.
        for (const std::string& name : made)
            ASSERT_TRUE(wait_until([&] { return fs::exists(output(name)); })) << name << log();

        // The frames played: the animated PNG has a picture for each, and the first.
        const std::vector<u8> apng = read_bytes(output("MACRO.ANIMS.APNG"));
        const u32 frames = apng.size() > 40 ? be32_at(apng, 8 + 25 + 84 + 8) - 1 : 0;
        ASSERT_GT(frames, 30u);
        for (const std::string& name : made) {
            const Reader& reader = readers().at(name);
            const Length got = reader.length(output(name), r.rate);
            ASSERT_GE(got.seconds, 0) << name << " unreadable; " << [this] {
                std::string all;
                for (const auto& e : fs::directory_iterator(home.path()))
                    all += e.path().filename().string() + " ";
                return all + log();
            }();
            const double seconds = (frames + (reader.picture ? 1 : 0)) / r.rate;
            const double nearest = std::round(r.rate); // the YM dump's rate
            const double wanted = name == "MACRO.SOUNDS.YM" ? frames / nearest : seconds;
            EXPECT_NEAR(got.seconds, wanted, got.unit * 1.001) << name << " at " << r.rate << " Hz";
        }
    }
}
