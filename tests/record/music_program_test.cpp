// The music and sound files a playback generates in the program itself,
// driven over its scripting port: only notes that sound are written, and a
// looped playback writes every pass as the first.
#include "core/machine_table.h"
#include "tests/record/music_notes.h"
#include "tests/record/tools.h"
#include "tests/support/program_test.h"
#include "platform/audio.h"
#include "sound/sound_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <utility>

namespace fs = std::filesystem;

namespace {

class MusicProgram : public ProgramTest {};

struct MidiNote {
    int status, channel, velocity;
};

// The note events of every track of a Standard MIDI File (every status byte
// written in full, as the program writes them), and the number of tracks.
std::vector<MidiNote> midi_notes(const std::vector<u8>& b, int* tracks) {
    std::vector<MidiNote> notes;
    *tracks = 0;
    for (std::size_t at = 14; at + 8 <= b.size() && b[at] == 'M' && b[at + 3] == 'k'; ++*tracks) {
        const std::size_t end =
            at + 8 + (std::size_t(b[at + 4]) << 24 | b[at + 5] << 16 | b[at + 6] << 8 | b[at + 7]);
        if (end > b.size()) break;
        for (at += 8; at < end;) {
            while (at < end && (b[at] & 0x80))
                at++;                                   // a delta's leading bytes, then its last
            if (++at + 3 <= end && b[at] == 0xFF && b[at + 1] != 0x2F) { // a meta event: the tempo
                at += 3 + b[at + 2];
                continue;
            }
            if (at + 3 > end || b[at] == 0xFF) break; // the end of the track
            notes.push_back({b[at] & 0xF0, b[at] & 0x0F, b[at + 2]});
            at += 3;
        }
        at = end;
    }
    return notes;
}

} // namespace

// On the expanded Elektor the first sound chip's tone A has a pitch from the
// start but no volume; only tone B is turned up. A playback generating MIDI
// writes tone B's notes, and no track, Note On or Note Off for the silent tone.
TEST_F(MusicProgram, ASilentChannelGetsNoNotes) {
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    std::string said;
    ASSERT_EQ(send("SETMACHINE ELEKTOR", &said), 5) << said; // its monitor image is missing
    ASSERT_EQ(send("DEBUGGER E 1D02 40", &said), 0) << said; // tone B's pitch
    ASSERT_EQ(send("DEBUGGER E 1D09 0F", &said), 0) << said; // tone B loudest
    const fs::path state = home.path() / "take.cos", take = home.path() / "take.cor";
    ASSERT_EQ(send("SAVEAS " + state.string(), &said), 0) << said;
    std::vector<u8> recording = read_bytes(state);
    ASSERT_GT(recording.size(), 3u);
    recording[2] = 1;                            // a recording follows the state
    recording.resize(recording.size() + 6 * 50); // 50 frames of untouched controls
    write_bytes(take, recording);
    for (const char* item : {"MACRO.GENERATE", "MACRO.SOUNDS.MIDI"})
        ASSERT_EQ(send(std::string("MENU ") + item, &said), 0) << item;
    ASSERT_EQ(send("OPEN " + take.string(), &said), 0) << said;
    ASSERT_TRUE(guest_ran(frame_clocks(ELEKTOR, 50)))
        << "the 50 frames played";
    ASSERT_EQ(send("MENU MACRO.STOP", &said), 0) << said;

    int tracks = 0;
    const std::vector<MidiNote> notes = midi_notes(read_bytes(home.path() / "take.mid"), &tracks);
    EXPECT_EQ(tracks, 1) << "only tone B sounded";
    ASSERT_FALSE(notes.empty());
    for (const MidiNote& n : notes) {
        EXPECT_EQ(n.channel, 4) << "a note of another voice than tone B's";
        EXPECT_TRUE(n.status == 0x80 || n.status == 0x90) << n.status;
        if (n.status == 0x90) {
            EXPECT_GT(n.velocity, 0) << "a Note On that sounds nothing";
        }
    }
}

// ---- a looped playback, pass by pass ---------------------------------------------

namespace {

// Each whole pass of `pass` frames holds the notes of the first at the same
// offsets; the first begins with `first_key` sounding at once.
void expect_passes_alike(const char* what, const std::vector<PassNote>& notes, u32 end, u32 pass,
                         int first_key) {
    const auto in_pass = [&](u32 p) {
        std::vector<PassNote> out;
        for (PassNote n : notes)
            if (std::get<0>(n) / pass == p) {
                std::get<0>(n) -= p * pass;
                std::get<1>(n) -= p * pass;
                out.push_back(n);
            }
        return out;
    };
    const std::vector<PassNote> first = in_pass(0);
    ASSERT_FALSE(first.empty()) << what;
    EXPECT_EQ(std::get<0>(first[0]), 0u) << what << ": the state's note begins the pass";
    EXPECT_EQ(std::get<3>(first[0]), first_key) << what;
    ASSERT_GE(end / pass, 3u) << what << ": the playback went round several times";
    for (u32 p = 1; (p + 1) * pass <= end; p++)
        EXPECT_EQ(in_pass(p), first) << what << ", pass " << p;
}

// The sound sounds from its first sample, and each whole pass (about `guess`
// samples, the guest's clock deciding) is the first, sample for sample.
void expect_sound_passes_alike(const char* what, const std::vector<u8>& s, double guess) {
    ASSERT_GT(s.size(), 3 * guess) << what;
    EXPECT_GT(std::abs(s[0] - 128), 4) << what << ": silent at its start";
    const auto differ = [&](std::size_t pass, std::size_t p) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < pass; i++)
            n += s[p * pass + i] != s[i];
        return n;
    };
    std::size_t pass = std::size_t(guess * 0.9);
    for (std::size_t q = pass; q < guess * 1.1; q++)
        if (differ(q, 1) < differ(pass, 1)) pass = q;
    for (std::size_t p = 1; (p + 1) * pass <= s.size(); p++)
        EXPECT_EQ(differ(pass, p), 0u) << what << ", pass " << p;
}

// Each whole pass of a YM dump (16 bytes a frame) or a PSG log (a record a
// frame) is the first, byte for byte.
void expect_frames_alike(const char* what, const std::vector<std::vector<u8>>& frames, u32 pass) {
    ASSERT_GE(frames.size(), 3u * pass) << what;
    for (u32 p = 1; (p + 1) * pass <= frames.size(); p++)
        EXPECT_TRUE(std::equal(frames.begin(), frames.begin() + pass, frames.begin() + p * pass))
            << what << ", pass " << p;
}

std::vector<std::vector<u8>> ym_frames(const std::vector<u8>& b) {
    std::size_t at = 34;
    for (int text = 0; text < 3 && at < b.size(); text++)
        at = std::size_t(std::find(b.begin() + at, b.end(), 0) - b.begin()) + 1;
    std::vector<std::vector<u8>> frames;
    for (; at + 16 + 4 <= b.size(); at += 16) // "End!" last
        frames.emplace_back(b.begin() + at, b.begin() + at + 16);
    return frames;
}

std::vector<std::vector<u8>> psg_records(const std::vector<u8>& b) {
    std::vector<std::vector<u8>> records(1);
    for (std::size_t at = 17; at < b.size(); at++) {
        if (b[at] == 0xFF) {
            records.emplace_back();
            continue;
        }
        if (at + 1 < b.size()) records.back().insert(records.back().end(), {b[at], b[at + 1]});
        at++;
    }
    return records;
}

class LoopedMusic : public MusicProgram {
  protected:
    static constexpr u32 PASS = 30; // frames
    // The Interton's frame, in clock periods, the shortest of the machines played here.
    static inline const u32 FRAME = ProgramTest::frame_clocks(INTERTON, 1);

    // The port lines that choose the machine (`setup`), put in a guest
    // program at `at` that, for each of `values`, holds off some 16 frames
    // and then stores it at `reg`, and stays; set the state's own sound
    // (`sound`) and jump to it.
    static std::vector<std::string> stepped(std::vector<std::string> setup, u16 at, u16 reg,
                                            std::initializer_list<u8> values,
                                            std::initializer_list<std::string> sound) {
        std::vector<u8> code = {0x76, 0x20};
        for (const u8 value : values)
            code.insert(code.end(), {0x06, 0x80, 0x05, 0x00, 0xF9, 0x7E, 0xFA, 0x7C, 0x04, value,
                                     0xCC, u8(reg >> 8), u8(reg)});
        code.insert(code.end(), {0x1B, 0x7E});
        char line[40];
        for (u16 i = 0; i < code.size(); i++) {
            std::snprintf(line, sizeof line, "DEBUGGER E $%04X $%02X", at + i, code[i]);
            setup.push_back(line);
        }
        setup.insert(setup.end(), sound);
        std::snprintf(line, sizeof line, "DEBUGGER J $%04X", at);
        setup.push_back(line);
        return setup;
    }
    // The same with a single store: `value` at `pitch`.
    static std::vector<std::string> retuned(std::vector<std::string> setup, u16 at, u16 pitch,
                                            u8 value, std::initializer_list<std::string> sound) {
        return stepped(std::move(setup), at, pitch, {value}, sound);
    }
    static std::vector<std::string> interton() {
        return retuned({"SETMACHINE INTERTON"}, 0, 0x1FC7, 0x40, {"DEBUGGER E $1FC7 $11"});
    }
    // The program on its port, the machine set up by the port lines `setup`
    // (the debugger paused), its state followed by a pass of untouched
    // controls (`per_frame` bytes a frame) saved as take.cor, then played
    // with Loop on, generating the sound files and `more`, for some passes.
    void play_looped(std::vector<std::string> setup, u32 per_frame,
                     std::vector<std::string> more = {}, const char* audio = "dummy") {
        pid = test_start_program(home.path(), {"PORTNAME", "E2E"}, "offscreen", audio);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(port_up());
        std::string said;
        setup.insert(setup.begin() + 1, "DEBUGGER P");
        for (const std::string& line : setup)
            ASSERT_LE(send(line, &said), 5) << line << ": " << said; // 5: a missing image
        const fs::path state = home.path() / "take.cos";
        ASSERT_EQ(send("SAVEAS " + state.string(), &said), 0) << said;
        for (const std::string& line : after_save)
            ASSERT_EQ(send(line, &said), 0) << line << ": " << said;
        std::vector<u8> take = read_bytes(state);
        ASSERT_GT(take.size(), 3u);
        take[2] = 1; // a recording follows the state
        take.resize(take.size() + per_frame * frames);
        write_bytes(home.path() / "take.cor", take);
        more.insert(more.end(), {"GENERATE", "SOUNDS.WAV", "SOUNDS.AIFF", "SOUNDS.8SVX",
                                 "SOUNDS.MIDI", "SOUNDS.SMUS"});
        for (const std::string& item : more)
            ASSERT_EQ(send("MENU MACRO." + item, &said), 0) << item;
        ASSERT_EQ(send("DEBUGGER G", &said), 0) << said;
        ASSERT_EQ(send("OPEN " + (home.path() / "take.cor").string(), &said), 0) << said;
        for (int r = 0; r < restarts; r++) {
            ASSERT_TRUE(guest_ran(20 * FRAME)) << "some 20 frames played";
            ASSERT_EQ(send("MENU MACRO.RESTARTPLAYBACK", &said), 0) << said;
        }
        // The seams wanted, each seen as the guest's clock going back to the
        // state's. With `mute_across_seam` the sound is switched off some 5
        // frames into the second pass and on again some 15 frames into the third.
        u32 last = guest_clocks();
        for (u32 seams = 1; seams <= seams_wanted; seams++) {
            ASSERT_TRUE(wait_until([&] {
                const u32 now = guest_clocks();
                const bool seam = now && now < last;
                last = now ? now : last;
                return seam;
            })) << "seam " << seams << " reached\n"
                << log();
            if (at_seam) at_seam(seams);
            if (mute_across_seam && seams <= 2) {
                ASSERT_TRUE(guest_ran((seams == 1 ? 5 : 15) * FRAME));
                ASSERT_EQ(send("MENU SETTINGS.SOUND.ENABLED", &said), 0) << said;
                last = guest_clocks();
            }
        }
        ASSERT_EQ(send("MENU MACRO.STOP", &said), 0) << said;
    }
    // The same on a machine that records seven bytes a frame, heard: the
    // samples (16-bit mono, 44100 a second) that SDL's disk driver takes
    // from the program, a chunk every 46 ms, half the real rate.
    // The gaps the program told of (BRINDLEMOX_SOUND_GAPS) go to `gaps`:
    // each one's length in samples and whether the host made it.
    std::vector<int> play_heard(std::vector<std::string> setup,
                                std::vector<std::pair<std::size_t, bool>>* gaps = nullptr) {
        const fs::path live = home.path() / "live.raw", told = home.path() / "gaps.txt";
        setenv("SDL_DISKAUDIOFILE", live.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "46", 1); // 1024 samples at 44100 a second last 23 ms
        setenv("BRINDLEMOX_SOUND_GAPS", told.c_str(), 1);
        play_looped(std::move(setup), 7, {}, "disk");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
        unsetenv("BRINDLEMOX_SOUND_GAPS");
        std::istringstream lines(fs::exists(told) ? test_read_file(told) : "");
        std::size_t at = 0, length = 0;
        std::string who, rest;
        while (gaps && lines >> at >> length >> who && std::getline(lines, rest))
            gaps->emplace_back(length, who == "host");
        const std::vector<u8> raw = read_bytes(live);
        std::vector<int> samples;
        for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
            samples.push_back(static_cast<std::int16_t>(raw[i] | raw[i + 1] << 8));
        return samples;
    }
    // The Arcadia's tone, set by the state and played on by the guest, as
    // heard (see play_heard). The machine is silenced once the state is
    // saved, so that the tone first sounds as the playback begins, not in the
    // moment the guest runs before the recording is opened.
    std::vector<int> heard_arcadia_tone(std::vector<std::pair<std::size_t, bool>>* gaps) {
        after_save = {"DEBUGGER E $18FE $00"};
        return play_heard({"SETMACHINE ARCADIA", "DEBUGGER E $18FD $40", "DEBUGGER E $18FE $0F",
                           "DEBUGGER E 0 $1B", "DEBUGGER E 1 $7E", "DEBUGGER J 0"},
                          gaps);
    }
    // The heard output holds no quiet run of 10 ms or more in its first second
    // of tone that the program made: each must be matched by a gap the program
    // told as the host's, as long as the run (but for those 10 ms).
    static void expect_no_gap_of_the_programs(const std::vector<int>& samples,
                                              std::vector<std::pair<std::size_t, bool>> gaps) {
        const auto begun = std::find_if(samples.begin(), samples.end(),
                                        [](int x) { return std::abs(x) > 1000; });
        // A second of output holds some two seconds of the guest's sound: four passes.
        ASSERT_GE(samples.end() - begun, 44100) << "the tone played";
        std::size_t quiet = 0;
        const auto judge = [&] {
            if (quiet < 441) return;
            const auto host = std::find_if(gaps.begin(), gaps.end(), [&](const auto& g) {
                return g.second && g.first + 441 > quiet;
            });
            if (host != gaps.end()) {
                host->second = false; // it stands for this run alone
                return;
            }
            std::string told;
            for (const auto& [length, host] : gaps)
                told += " " + std::to_string(length) + (host ? " host," : " program/matched,");
            ADD_FAILURE() << "a gap of " << quiet * 1000 / 44100
                          << " ms that the host did not make; the gaps told:" << told;
        };
        for (auto at = begun; at < begun + 44100; ++at) {
            if (std::abs(*at) < 50) {
                quiet++;
                continue;
            }
            judge();
            quiet = 0;
        }
        judge();
    }
    u32 frames = PASS, seams_wanted = 4;
    std::function<void(u32 seam)> at_seam; // called as each seam is seen
    std::vector<std::string> after_save;   // port lines sent once the state is saved
    int restarts = 0;
    bool mute_across_seam = false;
    // Every generated sound and music file holds the same passes; the first
    // begins with `key` (the state's note) sounding.
    void expect_passes_as_the_first(int key) {
        const std::vector<u8> mid = read_bytes(home.path() / "take.mid");
        ASSERT_GT(mid.size(), 14u);
        u32 end = 0;
        const std::vector<PassNote> midi = midi_pass_notes(mid, &end);
        expect_passes_alike("MIDI", midi, end, PASS, key);
        const std::vector<PassNote> smus =
            smus_pass_notes(read_bytes(home.path() / "take.smus"), &end);
        expect_passes_alike("SMUS", smus, end, PASS, key);
        const std::vector<u8> wav = read_bytes(home.path() / "take.wav");
        ASSERT_GT(wav.size(), 44u);
        const double rate = wav[24] | wav[25] << 8,
                     fps = 2 * mid[13]; // the MIDI's frames per second
        for (const char* name : {"take.wav", "take.aiff", "take.8svx"})
            expect_sound_passes_alike(name, sound_samples(read_bytes(home.path() / name)),
                                      rate * PASS / fps);
    }
};

} // namespace

// With Loop on, every pass of a playback sounds as the first in every file it
// generates: the Interton's tone, set in the state, sounds from the first
// sample of each pass, and the pitch the guest sets some 16 frames later
// follows it in each.
TEST_F(LoopedMusic, EveryPassIsTheFirstOnTheInterton) {
    play_looped(interton(), 7); // both keypads and the console
    expect_passes_as_the_first(69);
}

// Restart Playback begins the playback again as it first began: with the
// state's note in the music files, however long the part played.
TEST_F(LoopedMusic, RestartPlaybackBeginsWithTheStatesNote) {
    frames = 1000;
    restarts = 3;
    seams_wanted = 0;
    play_looped(interton(), 7);
    for (const char* name : {"take.mid", "take.smus"}) {
        u32 end = 0;
        const std::vector<u8> file = read_bytes(home.path() / name);
        const std::vector<PassNote> notes =
            name[5] == 'm' ? midi_pass_notes(file, &end) : smus_pass_notes(file, &end);
        EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                                [](const PassNote& n) { return std::get<3>(n) == 69; }),
                  1 + restarts)
            << name << ": the start and each restart";
    }
}

// The host's sound runs on through the seams: the output, captured by SDL's
// disk driver, holds no silence while the Arcadia's tone plays on across
// some passes. The driver takes a chunk every 46 ms, half the real rate, so
// that the program's queue stays full; the frames that do not fit are left
// out whole. A host that did not run the program long enough to empty the
// queue is no fault of the program's, which tells such gaps from its own; an
// output emptied at a seam is still heard, as the silence the program queues
// to refill it.
TEST_F(LoopedMusic, TheLiveSoundRunsOnAcrossTheSeams) {
    seams_wanted = 8;
    std::vector<std::pair<std::size_t, bool>> gaps;
    expect_no_gap_of_the_programs(heard_arcadia_tone(&gaps), gaps);
}

// A host that holds the program's main thread off its run queue (a tracer
// stops it for half a second, as a debugger or a disk it waits on would)
// while the sound device runs on empties the queue: the program tells that
// gap as the host's, by the time it ran and the waits it asked for.
TEST_F(LoopedMusic, AGapWhileTheHostHeldTheProgramIsTheHosts) {
    seams_wanted = 8;
    bool held = false;
    at_seam = [&](u32 seam) {
        if (seam != 2) return;
        if (ptrace(PTRACE_SEIZE, pid, nullptr, nullptr) != 0) return; // not allowed here
        int status = 0;
        held = ptrace(PTRACE_INTERRUPT, pid, nullptr, nullptr) == 0 &&
               waitpid(pid, &status, __WALL) == pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ptrace(PTRACE_DETACH, pid, nullptr, nullptr);
    };
    std::vector<std::pair<std::size_t, bool>> gaps;
    const std::vector<int> samples = heard_arcadia_tone(&gaps);
    if (!held) GTEST_SKIP() << "this host does not let the test trace the program";
    ASSERT_FALSE(gaps.empty()) << "the queue ran out while the program was held";
    for (const auto& [length, host] : gaps)
        EXPECT_TRUE(host) << "a gap of " << length * 1000 / 44100 << " ms told as the program's";
    expect_no_gap_of_the_programs(samples, gaps);
}

// The same on the Arcadia in both of its regions, whose frames and notes differ.
TEST_F(LoopedMusic, EveryPassIsTheFirstOnTheArcadiaAt50Hz) {
    play_looped(retuned({"SETMACHINE ARCADIA", "MENU SETTINGS.SPEED.PAL"}, 0, 0x18FD, 0x40,
                        {"DEBUGGER E $18FD $11", "DEBUGGER E $18FE $0F"}),
                7);
    expect_passes_as_the_first(69);
}

TEST_F(LoopedMusic, EveryPassIsTheFirstOnTheArcadiaAt60Hz) {
    play_looped(retuned({"SETMACHINE ARCADIA", "MENU SETTINGS.SPEED.NTSC"}, 0, 0x18FD, 0x40,
                        {"DEBUGGER E $18FD $11", "DEBUGGER E $18FE $0F"}),
                7);
    expect_passes_as_the_first(69);
}

// With the sound switched off (Ctrl+U) before the playback, the files it
// generates still hold every note: they follow the guest's voices, not what
// is heard.
TEST_F(LoopedMusic, TheSoundSwitchedOffLeavesTheFilesWhole) {
    play_looped(retuned({"SETMACHINE ARCADIA", "MENU SETTINGS.SOUND.ENABLED"}, 0, 0x18FD, 0x40,
                        {"DEBUGGER E $18FD $11", "DEBUGGER E $18FE $0F"}),
                7);
    expect_passes_as_the_first(69);
}

// On the expanded Elektor the first sound chip's tone B sounds from the
// state, and the guest retunes it later: the PSG logs and YM dumps also
// repeat the first pass, each pass beginning with every register.
TEST_F(LoopedMusic, EveryPassIsTheFirstOnTheExpandedElektor) {
    play_looped(retuned({"SETMACHINE ELEKTOR"}, 0x0900, 0x1D02, 0x20,
                        {"DEBUGGER E $1D02 $40", "DEBUGGER E $1D09 $0F"}),
                7, {"SOUNDS.PSG", "SOUNDS.YM"});
    expect_passes_as_the_first(93); // period $40: 1732 Hz
    for (const char* chip : {"-1", "-2"}) {
        const std::string name = std::string("take") + chip;
        expect_frames_alike("YM", ym_frames(read_bytes(home.path() / (name + ".ym"))), PASS);
        const std::vector<std::vector<u8>> records =
            psg_records(read_bytes(home.path() / (name + ".psg")));
        expect_frames_alike("PSG", records, PASS);
        EXPECT_EQ(records[0].size(), 28u) << "the first record names all 14 registers";
    }
}

// A coin-op's tone, set in the state, sounds in every pass from its start,
// and the guest retunes it in each (its program in the board's RAM, which
// the state holds: the program ROM is the board's own).
TEST_F(LoopedMusic, EveryPassIsTheFirstOnACoinOp) {
    play_looped(
        retuned({"MENU SETTINGS.MACHINE.ASTROWARS"}, 0x1400, 0x15C7, 0x40, {"DEBUGGER E $15C7 $11"}),
        4); // the controls and two DIP switch bytes
    expect_passes_as_the_first(69);
}

// The sound switched off during a pass and on again in the next: nothing is
// heard meanwhile, but every file goes on as if it had sounded (each pass
// the first), and the SMUS score keeps time as the MIDI file does.
TEST_F(LoopedMusic, MutedTimeAcrossASeamKeepsTheScoreInTime) {
    mute_across_seam = true;
    seams_wanted = 5;
    play_looped(interton(), 7);
    expect_passes_as_the_first(69);
    u32 end = 0;
    const std::vector<PassNote> smus = smus_pass_notes(read_bytes(home.path() / "take.smus"), &end);
    ASSERT_GE(smus.size(), 6u);
    // Every note begins where the MIDI file's does, as mido reads it.
    int rc = 1;
    if (tool_present("/usr/bin/python3")) run_tool("/usr/bin/python3 -c 'import mido'", &rc);
    if (rc != 0) GTEST_SKIP() << "needs python3-mido";
    const std::string read = run_tool("/usr/bin/python3 -c \"import mido,sys\n"
                                      "for tr in mido.MidiFile(sys.argv[1]).tracks:\n"
                                      " t=0\n"
                                      " for x in tr:\n"
                                      "  t+=x.time\n"
                                      "  if x.type=='note_on': print(t, x.note)\" '" +
                                          (home.path() / "take.mid").string() + "'",
                                      &rc);
    std::string starts;
    for (const PassNote& n : smus)
        starts += std::to_string(std::get<0>(n)) + " " + std::to_string(std::get<3>(n)) + "\n";
    EXPECT_EQ(read, starts) << "SMUS notes (frame, key) against MIDI Note Ons";
}

// ---- the gain: live and in the sound files ---------------------------------------

// On the expanded Elektor the first chip's tone B sounds at volume 1, then,
// some 16 frames apart, at 2 and 3. Every sound file holds all three steps
// apart, none silent, each at the level it is heard live (a tone at the top
// of its scale at 7/16 of full scale, these at 4, 8 and 13 64ths of it), as
// sox reads the WAV and the AIFF too.
TEST_F(LoopedMusic, AVoicesQuietestStepsAreApartInEverySoundFile) {
    frames = 60;
    seams_wanted = 1;
    play_looped(stepped({"SETMACHINE ELEKTOR"}, 0x0900, 0x1D09, {2, 3},
                        {"DEBUGGER E $1D02 $40", "DEBUGGER E $1D09 $01"}),
                7);
    // A tone's peak live at guest volume `volume`, of 32768.
    const auto heard = [](int volume) {
        return SND_VOICE_LEVEL * snd_volume_table[volume] / double(AUDIO_MAX_VOLUME);
    };
    for (const char* name : {"take.wav", "take.aiff", "take.8svx"}) {
        const std::vector<u8> s = sound_samples(read_bytes(home.path() / name));
        ASSERT_GT(s.size(), 22050u / 2) << name;
        // The square wave's levels in the order they come, over the first pass.
        std::vector<int> levels;
        for (std::size_t i = 0; i < std::min<std::size_t>(s.size(), 22050); i++) {
            const int level = std::abs(s[i] - 128);
            if (level && std::find(levels.begin(), levels.end(), level) == levels.end())
                levels.push_back(level);
        }
        ASSERT_EQ(levels.size(), 3u) << name << ": volumes 1, 2 and 3, each at a level of its own";
        EXPECT_LT(levels[0], levels[1]) << name;
        EXPECT_LT(levels[1], levels[2]) << name;
        for (int k = 0; k < 3; k++)
            EXPECT_NEAR(levels[k], heard(k + 1) / 256.0, 0.75) << name << ", volume " << k + 1;
    }
    if (!tool_present("/usr/bin/sox")) GTEST_SKIP() << "needs sox";
    for (const char* name : {"take.wav", "take.aiff"}) {
        double max = 0, min = 0;
        ASSERT_TRUE(sox_amplitudes(home.path() / name, &max, &min)) << name;
        EXPECT_NEAR(max, heard(3) / 32768.0, 0.01) << name;
        EXPECT_NEAR(min, -heard(3) / 32768.0, 0.01) << name;
    }
}

// One ordinary tone is about as loud live on every machine: on the expanded
// Elektor (16 volume steps, many voices) tone B at the top of its scale,
// as SDL's disk driver takes the output from the program, peaks within 3 dB
// of 7/16 of full scale, where one tone of any machine does.
TEST_F(LoopedMusic, OneToneSoundsAboutAsLoudLiveOnTheElektorAsAnywhere) {
    seams_wanted = 2;
    int peak = 0;
    for (const int x : play_heard({"SETMACHINE ELEKTOR", "DEBUGGER E $1D02 $40",
                                   "DEBUGGER E $1D09 $0F", "DEBUGGER E $0900 $1B",
                                   "DEBUGGER E $0901 $7E", "DEBUGGER J $0900"}))
        peak = std::max(peak, std::abs(x));
    EXPECT_NEAR(20 * std::log10(std::max(peak, 1) / double(SND_VOICE_LEVEL)), 0.0, 3.0)
        << "peak " << peak;
}

// Two takes of one tone, quiet and at the top of its scale, on the Arcadia
// (volume 1 of 7) and the expanded Elektor (4 of 15), each recording played
// back generating its WAV, AIFF and 8SVX: each file peaks within half a
// decibel of where that take peaked live (as SDL's disk driver took it from
// the program), and so does each machine's loud take against its quiet one.
TEST_F(MusicProgram, TwoTakesOfDifferentLoudnessPeakInEverySoundFileAsLive) {
    const fs::path live = home.path() / "live.raw";
    setenv("SDL_DISKAUDIOFILE", live.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "46", 1);
    audio = "disk";
    const bool started = start({"PORTNAME", "E2E"});
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    ASSERT_TRUE(started);
    ASSERT_TRUE(port_up());
    for (const char* item : {"GENERATE", "SOUNDS.WAV", "SOUNDS.AIFF", "SOUNDS.8SVX"})
        ASSERT_EQ(ask(std::string("MENU MACRO.") + item), 0) << item;
    const struct {
        const char* machine;
        std::vector<std::string> tone; // a pitch, and the guest left in a loop
        const char* volume;            // the register of the tone's volume
        u8 quiet, loud;
        std::size_t per_frame; // the bytes a frame of the recording
    } rows[] = {
        {"ARCADIA", {"DEBUGGER E $18FD $40", "DEBUGGER J $0025"}, "$18FE", 0x09, 0x0F, 6},
        {"ELEKTOR",
         {"DEBUGGER E $1D02 $40", "DEBUGGER E $0900 $1B", "DEBUGGER E $0901 $7E",
          "DEBUGGER J $0900"},
         "$1D09", 0x04, 0x0F, 7},
    };
    std::vector<std::string> takes;
    std::vector<std::uintmax_t> live_from; // the live samples' bytes before each take sounded
    for (const auto& row : rows) {
        request(std::string("SETMACHINE ") + row.machine);
        for (const u8 value : {row.quiet, row.loud}) {
            char line[40];
            std::snprintf(line, sizeof line, "DEBUGGER E %s $%02X", row.volume, value);
            ASSERT_EQ(ask("DEBUGGER P"), 0);
            for (const std::string& tone : row.tone)
                ASSERT_EQ(ask(tone), 0) << tone;
            ASSERT_EQ(ask(line), 0) << line;
            const std::string name = std::string(row.machine) + "-" + std::to_string(value);
            const fs::path state = home.path() / (name + ".cos"),
                           take = home.path() / (name + ".cor");
            ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
            ASSERT_TRUE(write_recording(state, take, 50, std::vector<u8>(row.per_frame, 0)));
            // Nothing sounds while the guest is paused.
            takes.push_back(name);
            live_from.push_back(fs::exists(live) ? fs::file_size(live) & ~std::uintmax_t{1} : 0);
            ASSERT_EQ(ask("DEBUGGER G"), 0);
            ASSERT_EQ(ask("OPEN " + take.string()), 0) << name;
            // A second of the take heard (its 50 frames, sounding on after them).
            ASSERT_TRUE(wait_until([&] {
                return fs::exists(live) && fs::file_size(live) >= live_from.back() + 2 * 44100;
            })) << name;
            ASSERT_EQ(ask("MENU MACRO.STOP"), 0) << name;
        }
    }
    const std::vector<u8> raw = read_bytes(live);
    const auto dbfs = [](int peak, double full) { return 20 * std::log10(std::max(peak, 1) / full); };
    const char* const suffixes[] = {".wav", ".aiff", ".8svx"};
    std::vector<double> heard_db, file_db[3];
    for (std::size_t t = 0; t < takes.size(); t++) {
        const std::size_t to = t + 1 < takes.size() ? live_from[t + 1] : raw.size();
        int heard = 0;
        for (std::size_t i = live_from[t]; i + 1 < to && i + 1 < raw.size(); i += 2)
            heard = std::max(heard, std::abs(int{static_cast<std::int16_t>(raw[i] | raw[i + 1] << 8)}));
        heard_db.push_back(dbfs(heard, 32768.0));
        for (int f = 0; f < 3; f++) {
            const fs::path file = home.path() / (takes[t] + suffixes[f]);
            int peak = 0;
            for (const u8 x : sound_samples(read_bytes(file)))
                peak = std::max(peak, std::abs(x - 128));
            file_db[f].push_back(dbfs(peak, 128.0));
            EXPECT_NEAR(file_db[f][t], heard_db[t], 0.5)
                << file.filename() << ": " << peak << " of 128, live " << heard << " of 32768";
            if (t % 2) { // the loud take against the quiet one
                EXPECT_NEAR(file_db[f][t] - file_db[f][t - 1], heard_db[t] - heard_db[t - 1], 0.5)
                    << takes[t] << suffixes[f] << " against " << takes[t - 1] << suffixes[f];
            }
        }
    }
}
