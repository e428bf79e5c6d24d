// The recorders in the program itself, driven over its scripting port: what
// a playback generates, where the files are made, and what is left when the
// program is killed while generating.
#include "core/machine_table.h"
#include "tests/record/tools.h"
#include "tests/support/child_wait.h"
#include "tests/support/gif_frames.h"
#include "tests/support/indexed_png.h"
#include "tests/support/program_test.h"
#include "tests/support/small_disk.h"
#include "tests/support/x_display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class RecordersProgram : public ProgramTest {
  protected:
    void TearDown() override {
        if (!immutable.empty()) run_tool("chattr -i '" + immutable.string() + "'", &rc);
        ProgramTest::TearDown();
        if (!mounted.empty()) run_tool("umount -l '" + mounted.string() + "'", &rc);
    }
    // The program on its port, the Arcadia sounding a steady tone (or, not
    // `sounding`, none), and a recording of it (its state, then `frames`
    // frames of untouched controls) saved as <dir>/take.cor.
    void start_with_a_take(const fs::path& dir, u32 frames = 50, bool sounding = true) {
        ASSERT_TRUE(start({"PORTNAME", "E2E"}));
        ASSERT_TRUE(port_up());
        ASSERT_EQ(ask("DEBUGGER E 18FD 40"), 0);                          // pitch
        ASSERT_EQ(ask(sounding ? "DEBUGGER E 18FE 0F" : "DEBUGGER E 18FE 00"), 0); // tone, loudest
        const fs::path state = home.path() / "take.cos";
        ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
        fs::create_directories(dir);
        // Both sides' three bytes a frame.
        ASSERT_TRUE(write_recording(state, dir / "take.cor", frames, std::vector<u8>(6, 0)));
    }
    // Waits until the Arcadia has run `seconds` of its own time (taken at
    // the faster of its frame rates) past `from`; a minute of real time at
    // most, however busy the host is.
    bool guest_ran(u32 from, double seconds) {
        const double clocks = machine_live[ARCADIA].clocks_per_frame * 60 * seconds;
        if (clocks <= 0) return false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (std::chrono::steady_clock::now() < end) {
            if (guest_clocks() - from >= clocks) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Waits until the Arcadia has run `frames` frames of its own time (at the
    // faster of its frame rates), a playback's seams counted as time run on.
    bool played(double frames) {
        return ProgramTest::guest_ran(frame_clocks(ARCADIA, 1) * static_cast<u32>(frames));
    }
    void toggle(std::initializer_list<const char*> items) {
        for (const char* item : items)
            ASSERT_EQ(ask(std::string("MENU ") + item), 0) << item;
    }
    static std::set<std::string> names_in(const fs::path& dir) {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            names.insert(e.path().filename().string());
        return names;
    }
    // A small file system of the test's own at `dir`; false where none can be mounted.
    bool mount_small(const fs::path& dir) {
        fs::create_directories(dir);
        run_tool("mount -t tmpfs -o size=512k tmpfs '" + dir.string() + "' 2>/dev/null", &rc);
        if (rc != 0) return false;
        mounted = dir;
        return true;
    }
    // The line of `said` that starts with "Can't write to <path>: ", or "".
    static std::string failure_line(const std::string& said, const fs::path& path) {
        const std::size_t at = said.find("Can't write to " + path.string() + ": ");
        return at == std::string::npos ? "" : said.substr(at, said.find('\n', at) - at);
    }
    // A playback of a long take generating its GIF and WAV, recording on;
    // then `leave` ends the program (see below).
    void generating_when_it_ends(const fs::path& dir, const std::function<void()>& leave,
                                 int code);
    fs::path immutable, mounted;
    int rc = 0;
};

// The delays of a GIF's frames, in hundredths of a second, block by block.
std::vector<u32> gif_delays(const std::vector<u8>& b) {
    std::vector<u32> delays;
    if (b.size() < 13) return delays;
    std::size_t at = 13;
    if (b[10] & 0x80) at += 3u << ((b[10] & 7) + 1);
    const auto skip_sub_blocks = [&] {
        while (at < b.size() && b[at]) at += b[at] + 1u;
        at++;
    };
    while (at < b.size() && b[at] != 0x3B) {
        if (b[at] == 0x21) {
            if (at + 5 < b.size() && b[at + 1] == 0xF9) delays.push_back(b[at + 4] | b[at + 5] << 8);
            at += 2;
            skip_sub_blocks();
        } else if (b[at] == 0x2C && at + 10 < b.size()) {
            const u8 flags = b[at + 9];
            at += 10;
            if (flags & 0x80) at += 3u << ((flags & 7) + 1);
            at++; // LZW code size
            skip_sub_blocks();
        } else {
            return {};
        }
    }
    return delays;
}

// The frames a one-track MIDI file lasts (the sum of its deltas); in
// `unmatched` the Note Offs of keys not sounding and the notes left sounding.
u32 midi_frames(const std::vector<u8>& b, int* unmatched) {
    u32 total = 0;
    int sounding = -1;
    *unmatched = 0;
    std::size_t at = 22; // after MThd and the MTrk header
    while (at < b.size()) {
        u32 delta = 0;
        while (at < b.size() && (b[at] & 0x80))
            delta = delta << 7 | (b[at++] & 0x7F);
        if (at >= b.size()) break;
        delta = delta << 7 | b[at++];
        total += delta;
        if (at + 2 < b.size() && b[at] == 0xFF && b[at + 1] != 0x2F) { // a meta event: the tempo
            at += 3 + b[at + 2];
            continue;
        }
        if (at + 2 >= b.size() || b[at] == 0xFF) break;
        if ((b[at] & 0xF0) == 0x80) *unmatched += b[at + 1] != sounding;
        if ((b[at] & 0xE0) == 0x80) sounding = (b[at] & 0x10) ? b[at + 1] : -1;
        at += 3; // note on or off
    }
    *unmatched += sounding >= 0;
    return total;
}

// The chunks of an IFF-like file from byte `at` on, with 4-byte ids and
// big-endian 4-byte lengths (padded to even lengths when `even`): each id
// with its body; empty when a length runs past the end.
std::vector<std::pair<std::string, std::vector<u8>>> chunks(const std::vector<u8>& b,
                                                            std::size_t at, bool even) {
    std::vector<std::pair<std::string, std::vector<u8>>> found;
    while (at + 8 <= b.size()) {
        const u32 length = u32(b[at + 4]) << 24 | b[at + 5] << 16 | b[at + 6] << 8 | b[at + 7];
        if (length > b.size() - at - 8) return {};
        found.emplace_back(std::string(b.begin() + long(at), b.begin() + long(at) + 4),
                           std::vector<u8>(b.begin() + long(at) + 8,
                                           b.begin() + long(at) + 8 + long(length)));
        at += 8 + length + (even ? length & 1 : 0);
    }
    if (at != b.size()) return {};
    return found;
}

// A playback of a long take generating its GIF and WAV, recording on from
// the part played; then `leave` ends the program, which ends with `code`
// and leaves the GIF and the WAV complete, as a stop does.
void RecordersProgram::generating_when_it_ends(const fs::path& dir,
                                               const std::function<void()>& leave, int code) {
    start_with_a_take(dir, 600);
    ASSERT_FALSE(HasFatalFailure());
    toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.SOUNDS.WAV"});
    ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
    const u32 opened = guest_clocks();
    ASSERT_NE(opened, 0u);
    ASSERT_TRUE(guest_ran(opened, 0.3));
    // Recording goes on from the part played so far, under the same name.
    ASSERT_EQ(ask("MENU MACRO.STARTRECORDING"), 0);
    ASSERT_TRUE(guest_ran(opened, 1.0));
    leave();
    EXPECT_EQ(wait_exit(), code) << log();

    const std::vector<u8> gif = read_bytes(dir / "take.gif");
    ASSERT_GT(gif.size(), 13u);
    EXPECT_TRUE(test_read_file(dir / "take.gif").rfind("GIF89a", 0) == 0);
    EXPECT_EQ(gif.back(), 0x3B) << "the trailer ends the GIF";
    EXPECT_GT(gif_delays(gif).size(), 10u);
    const std::vector<u8> wav = read_bytes(dir / "take.wav");
    ASSERT_GT(wav.size(), 44u);
    const auto le32 = [&](std::size_t at) {
        return static_cast<u32>(wav[at] | wav[at + 1] << 8 | wav[at + 2] << 16 | wav[at + 3] << 24);
    };
    EXPECT_EQ(le32(4), wav.size() - 8);
    EXPECT_EQ(le32(40), wav.size() - 44);
    EXPECT_GT(le32(40), le32(24) / 2) << "more than half a second of sound";
    EXPECT_TRUE(fs::is_regular_file(dir / "take.cor"));
}

} // namespace

// With Loop on, a playback that goes round several times generates pictures
// for every pass, and the sound files cover the same time as the pictures.
TEST_F(RecordersProgram, LoopedPlaybackSoundCoversWhatThePicturesCover) {
    const fs::path dir = home.path() / "loop";
    start_with_a_take(dir);
    toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.SOUNDS.WAV", "MACRO.SOUNDS.MIDI"});
    ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
    ASSERT_TRUE(played(200)) << log(); // a pass is 50 frames
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);

    const std::vector<u32> delays = gif_delays(read_bytes(dir / "take.gif"));
    u32 hundredths = 0;
    for (u32 d : delays)
        hundredths += d;
    ASSERT_GT(hundredths, 150u) << "the playback went round more than once";
    const std::vector<u8> wav = read_bytes(dir / "take.wav");
    ASSERT_GT(wav.size(), 44u);
    const u32 rate = wav[24] | wav[25] << 8, samples = wav[40] | wav[41] << 8 | wav[42] << 16;
    ASSERT_GT(rate, 0u);
    EXPECT_NEAR(samples * 100.0 / rate, hundredths, 10.0);
    // Every pass sounds as the first: the tone is in each quarter second.
    const u32 quarter = rate / 4, sounded = std::min<u32>(samples, u32(wav.size() - 44));
    for (u32 from = 0; from + quarter <= sounded; from += quarter) {
        const auto begin = wav.begin() + 44 + from, end = begin + quarter;
        EXPECT_GT(*std::max_element(begin, end) - *std::min_element(begin, end), 64)
            << "silent from " << from * 1.0 / rate << " s";
    }
    int unmatched = 0;
    EXPECT_NEAR(midi_frames(read_bytes(dir / "take.mid"), &unmatched), delays.size(), 3.0);
    EXPECT_EQ(unmatched, 0) << "a note the MIDI began was not ended";
}

// A playback without a note still writes files that readers take: the MIDI
// file has its header and one track ended by its end-of-track event, the
// SMUS score one track, each as many tracks as its header counts.
TEST_F(RecordersProgram, ASilentPlaybackWritesScoresWithATrack) {
    const fs::path dir = home.path() / "silent";
    start_with_a_take(dir, 50, false);
    toggle({"MACRO.GENERATE", "MACRO.SOUNDS.MIDI", "MACRO.SOUNDS.SMUS"});
    ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
    ASSERT_TRUE(played(60)) << log(); // a pass is 50 frames
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);

    const std::vector<u8> mid = read_bytes(dir / "take.mid");
    const auto midi = chunks(mid, 0, false);
    ASSERT_GE(midi.size(), 2u) << mid.size() << " bytes";
    ASSERT_EQ(midi[0].first, "MThd");
    ASSERT_EQ(midi[0].second.size(), 6u);
    EXPECT_EQ(midi[0].second[0] << 8 | midi[0].second[1], 1) << "format";
    EXPECT_EQ(midi[0].second[2] << 8 | midi[0].second[3], int(midi.size() - 1)) << "tracks";
    for (std::size_t t = 1; t < midi.size(); t++) {
        EXPECT_EQ(midi[t].first, "MTrk");
        const std::vector<u8>& e = midi[t].second;
        ASSERT_GE(e.size(), 4u);
        EXPECT_TRUE(std::equal(e.end() - 3, e.end(), std::vector<u8>{0xFF, 0x2F, 0x00}.begin()))
            << "track " << t << " has no end";
    }

    const std::vector<u8> smus = read_bytes(dir / "take.smus");
    const auto form = chunks(smus, 0, true);
    ASSERT_EQ(form.size(), 1u) << smus.size() << " bytes";
    ASSERT_EQ(form[0].first, "FORM");
    const std::vector<u8>& body = form[0].second;
    ASSERT_GE(body.size(), 4u);
    EXPECT_EQ(std::string(body.begin(), body.begin() + 4), "SMUS");
    const auto score = chunks(body, 4, true);
    ASSERT_GE(score.size(), 2u);
    ASSERT_EQ(score[0].first, "SHDR");
    ASSERT_EQ(score[0].second.size(), 4u);
    EXPECT_EQ(score[0].second[3], score.size() - 1) << "tracks";
    for (std::size_t t = 1; t < score.size(); t++)
        EXPECT_EQ(score[t].first, "TRAK");
}

// With Loop on, an effect that sounds across the end of the recording is
// not carried into the next pass: the state every pass starts from holds no
// effect, so each pass sounds as the first (here an Interton's explosion
// near the end).
TEST_F(RecordersProgram, LoopedPlaybackStartsEachPassAsTheFirst) {
    const fs::path dir = home.path() / "seam";
    fs::create_directories(dir);
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    ASSERT_EQ(ask("SETMACHINE INTERTON"), 0);
    ASSERT_EQ(ask("DEBUGGER P"), 0);
    // Some 40 frames of nested BDRR loops, $14 into $1E80 (the noise burst,
    // held longer than a click), more loops, $04 (let go: an explosion of
    // nearly a second), then a BCTR to itself.
    const u8 program[] = {0x76, 0x20, 0x07, 0x05, 0x06, 0x40, 0x05, 0x00, 0xF9, 0x7E, 0xFA, 0x7A,
                          0xFB, 0x76, 0x04, 0x14, 0xCC, 0x1E, 0x80, 0x06, 0x04, 0x05, 0x00, 0xF9,
                          0x7E, 0xFA, 0x7A, 0x04, 0x04, 0xCC, 0x1E, 0x80, 0x1B, 0x7E};
    for (u32 a = 0; a < sizeof program; a++) {
        char poke[32];
        std::snprintf(poke, sizeof poke, "DEBUGGER E %04X $%02X", a, program[a]);
        ASSERT_EQ(ask(poke), 0) << poke;
    }
    ASSERT_EQ(ask("DEBUGGER J 0"), 0);
    const fs::path state = dir / "take.cos";
    ASSERT_EQ(ask("SAVEAS " + state.string()), 0);
    // 60 frames of both keypads and the console.
    ASSERT_TRUE(write_recording(state, dir / "take.cor", 60, {0x80, 0, 0x0F, 0x80, 0, 0x0F, 0x0F}));

    toggle({"MACRO.GENERATE", "MACRO.SOUNDS.WAV"});
    ASSERT_EQ(ask("DEBUGGER G"), 0);
    ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
    // Three seams, each seen as the guest's clock going back to the state's.
    int seams = 0;
    u32 last = guest_clocks();
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (seams < 3 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const u32 now = guest_clocks();
        if (now == 0) continue;
        seams += now < last;
        last = now;
    }
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);
    ASSERT_EQ(seams, 3);

    const std::vector<u8> wav = read_bytes(dir / "take.wav");
    ASSERT_GT(wav.size(), 44u);
    const u32 rate = wav[24] | wav[25] << 8;
    const std::vector<u8> sound(wav.begin() + 44, wav.end());
    // Where the explosion begins, after a tenth of a second or more of silence.
    std::vector<std::size_t> onsets;
    std::size_t quiet = rate;
    for (std::size_t i = 0; i < sound.size(); i++) {
        if (std::abs(sound[i] - 128) <= 2) {
            quiet++;
            continue;
        }
        if (quiet >= rate / 10) onsets.push_back(i);
        quiet = 0;
    }
    ASSERT_GE(onsets.size(), 3u) << "a pass began with the explosion of the pass before";
    const std::size_t pass = onsets[1] - onsets[0];
    EXPECT_NEAR(pass, rate * 1.2, rate / 50.0) << "60 frames at 50 a second";
    // Every whole pass is the first, sample for sample.
    for (std::size_t p = 1; (p + 1) * pass <= sound.size(); p++) {
        std::size_t differ = 0;
        for (std::size_t i = 0; i < pass; i++)
            differ += sound[p * pass + i] != sound[i];
        EXPECT_LE(differ, rate / 100) << "pass " << p;
    }
}

// The growing outputs are new files made beside their places, never through
// a name there: links planted at the names the recorders once used lead
// nowhere, and a run killed while generating leaves nothing beside the take
// (the APNG and the ANIM have no link in the way); its voice files in the
// runtime folder go with the next recording.
TEST_F(RecordersProgram, AnimationsFollowNoLinkAndLeaveNothingWhenKilled) {
    const fs::path dir = home.path() / "takes", victim = home.path() / "victim";
    start_with_a_take(dir);
    test_write_file(victim, "victim");
    std::set<std::string> planted = {"take.cor"};
    for (const char* ext : {".gif", ".mng"}) {
        const std::string link = std::string("take") + ext + ".tmp";
        fs::create_symlink(victim, dir / link);
        planted.insert(link);
    }
    const auto generate = [&] {
        toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.ANIMS.APNG", "MACRO.ANIMS.MNG",
                "MACRO.ANIMS.ANIM", "MACRO.SOUNDS.WAV"});
        ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
        ASSERT_TRUE(played(30)) << log();
    };
    generate();
    const std::string voices = "brindlemox-" + std::to_string(pid) + "-voice";
    const auto voice_files = [&] {
        int n = 0;
        for (const std::string& name : names_in(home.path())) // the runtime folder
            n += name.rfind(voices, 0) == 0;
        return n;
    };
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    EXPECT_GT(voice_files(), 0);
    close(fd);
    fd = -1;
    EXPECT_EQ(names_in(dir), planted);
    EXPECT_TRUE(test_read_file(victim) == "victim") << "the link's target was written";

    // Stopped in time, every animation is complete in its place.
    ASSERT_TRUE(start({"PORTNAME", "E2E"}));
    ASSERT_TRUE(port_up());
    generate();
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);
    EXPECT_TRUE(test_read_file(victim) == "victim") << "the link's target was written";
    EXPECT_EQ(voice_files(), 0);
    for (const char* name : {"take.gif", "take.png", "take.mng", "take.anim", "take.wav"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / name))) << name;
        planted.insert(name);
    }
    EXPECT_EQ(names_in(dir), planted);
    EXPECT_TRUE(test_read_file(dir / "take.gif").rfind("GIF89a", 0) == 0);
    EXPECT_TRUE(test_read_file(dir / "take.anim").substr(8, 4) == "ANIM");
}

// In a folder that takes no new file the animations say why, as the sound
// files do when they are mixed at the end.
TEST_F(RecordersProgram, AnimationsInAReadOnlyFolderSayWhy) {
    const fs::path dir = home.path() / "shut";
    start_with_a_take(dir);
    if (geteuid() == 0) {
        run_tool("chattr +i '" + dir.string() + "'", &rc);
        if (rc == 0) immutable = dir;
    } else {
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    }
    if (FILE* probe = std::fopen((dir / "probe").c_str(), "w")) {
        std::fclose(probe);
        GTEST_SKIP() << "no folder here can be made read-only";
    }
    toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.ANIMS.MNG"});
    std::string said;
    ask("OPEN " + (dir / "take.cor").string(), &said);
    // The file named once, then the system's reason.
    for (const char* name : {"take.gif", "take.mng"}) {
        const std::string line = failure_line(said, dir / name);
        EXPECT_NE(line, "") << said;
        EXPECT_EQ(line.find((dir / name).string(), 16), std::string::npos) << line;
    }
    EXPECT_EQ(ask("MENU MACRO.STOP"), 0);
    if (immutable.empty()) fs::permissions(dir, fs::perms::owner_all);
}

// On a disk that is full the animations say the system's reason, as the
// sound file does, and leave no file behind.
TEST_F(RecordersProgram, AnimationsOnAFullDiskSayWhy) {
    const fs::path dir = home.path() / "full";
    if (!mount_small(dir)) GTEST_SKIP() << "no small file system can be mounted here";
    start_with_a_take(dir);
    // What the take leaves free is taken.
    if (FILE* filler = std::fopen((dir / "filler").c_str(), "wb")) {
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
        }
        std::fclose(filler);
    }
    toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.ANIMS.APNG", "MACRO.ANIMS.MNG",
            "MACRO.ANIMS.ANIM", "MACRO.SOUNDS.WAV"});
    std::string opened, stopped;
    ask("OPEN " + (dir / "take.cor").string(), &opened);
    ASSERT_TRUE(played(30)) << log();
    ask("MENU MACRO.STOP", &stopped);
    const std::string said = opened + stopped;
    for (const char* name : {"take.gif", "take.png", "take.mng", "take.anim", "take.wav"}) {
        const std::string line = failure_line(said, dir / name);
        ASSERT_FALSE(line.empty()) << name << ": " << said;
        EXPECT_EQ(line.substr(line.size() - 24), "No space left on device!") << line;
        EXPECT_EQ(line.find("can't write"), std::string::npos) << "the file named twice: " << line;
    }
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"filler", "take.cor"}));
}

// An input recording that cannot be written (a full disk, its file removed
// meanwhile) is named by Stop's answer and on the console with the reason.
TEST_F(RecordersProgram, AnInputRecordingThatCannotBeWrittenSaysWhy) {
    const fs::path dir = home.path() / "full", take = dir / "take.cor";
    SmallDisk disk;
    if (!disk.mount(dir, "512k")) GTEST_SKIP() << "no small file system can be mounted here";
    start_with_a_take(dir, 600);
    for (const std::string reason :
         {"No space left on device!", "it was removed during the recording!"}) {
        ASSERT_EQ(ask("OPEN " + take.string()), 0);
        // Recording goes on from the part played so far, under the same name;
        // at full speed it outgrows its last block: its writes go through a
        // buffer of a few KiB (six bytes a frame), which two thousand frames
        // fill several times over.
        toggle({"MACRO.STARTRECORDING", "SETTINGS.SPEED.TURBO"});
        if (reason[0] == 'N')
            disk.fill();
        else
            fs::remove(take);
        ASSERT_TRUE(played(2000)) << log();
        std::string said;
        EXPECT_EQ(ask("MENU MACRO.STOP", &said), 10);
        const std::string line = failure_line(said, take);
        EXPECT_TRUE(line.ends_with(reason)) << said;
        EXPECT_TRUE(printed(line)) << log();
        toggle({"SETTINGS.SPEED.TURBO"});
        fs::remove(dir / "filler");
    }
}

// While a recording runs its files are no other writer's, by any spelling,
// the outputs it writes only at Stop included; a file that appears at an
// output's name meanwhile is kept at Stop and named, and a load that fails
// meanwhile does not rename the outputs.
TEST_F(RecordersProgram, ARecordingsFilesAreNoOtherWritersWhileItRuns) {
    const fs::path dir = home.path() / "rec", take = dir / "take.cor";
    start_with_a_take(dir, 600);
    const fs::path other = dir / "other.cos";
    ASSERT_EQ(ask("SAVEAS " + other.string()), 0);
    ASSERT_EQ(ask("OPEN " + other.string()), 0); // a recent file
    fs::remove(other);
    toggle({"MACRO.GENERATE", "MACRO.ANIMS.APNG", "MACRO.SOUNDS.WAV"});
    ASSERT_EQ(ask("OPEN " + take.string()), 0);
    toggle({"MACRO.STARTRECORDING"});
    std::string said;
    for (const fs::path& name : {dir / "take.png", dir / "." / "take.png"}) {
        EXPECT_EQ(ask("SAVEPNG " + name.string(), &said), 10);
        EXPECT_NE(said.find(": it is an output of the recording under way"), std::string::npos)
            << said;
    }
    EXPECT_FALSE(fs::exists(dir / "take.png"));
    ask("MENU PROJECT.RECENT2"); // other.cos, gone
    test_write_file(dir / "take.wav", "the user's sound");
    EXPECT_EQ(ask("MENU MACRO.STOP", &said), 5);
    EXPECT_NE(said.find((dir / "take.wav").string() + " appeared while the recording ran"),
              std::string::npos)
        << said;
    EXPECT_EQ(test_read_file(dir / "take.wav"), "the user's sound");
    EXPECT_TRUE(test_read_file(dir / "take.png").rfind("\x89PNG", 0) == 0);
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"take.cor", "take.png", "take.wav"}));
}

// A playback generates anew over what an earlier playback generated (also
// when that output is put back while it runs), while a file at an output's
// name that the playback did not write (the user's, or a picture saved
// there), or that was changed since, is refused and kept where nobody can
// be asked.
TEST_F(RecordersProgram, APlaybackReplacesOnlyItsOwnEarlierOutputs) {
    const fs::path dir = home.path() / "again", take = dir / "take.cor";
    const fs::path gif = dir / "take.gif", wav = dir / "take.wav", aside = home.path() / "aside.gif";
    start_with_a_take(dir);
    toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.SOUNDS.WAV"});
    const auto inode = [](const fs::path& p) {
        struct stat st{};
        return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const auto play = [&](const std::function<void()>& meanwhile = {}) {
        std::string said;
        ASSERT_EQ(ask("OPEN " + take.string(), &said), 0) << said;
        ASSERT_TRUE(played(30)) << log();
        if (meanwhile) meanwhile();
        ASSERT_EQ(ask("MENU MACRO.STOP", &said), 0) << said;
    };
    play();
    ino_t gif_was = inode(gif), wav_was = inode(wav);
    ASSERT_NE(gif_was, 0u);
    ASSERT_NE(wav_was, 0u);
    play();
    EXPECT_NE(inode(gif), gif_was) << "the GIF was not generated anew";
    EXPECT_NE(inode(wav), wav_was) << "the WAV was not generated anew";
    EXPECT_TRUE(test_read_file(gif).rfind("GIF89a", 0) == 0);

    // The earlier GIF moved away, then put back while the next playback runs.
    fs::rename(gif, aside);
    gif_was = inode(aside);
    play([&] { fs::rename(aside, gif); });
    EXPECT_NE(inode(gif), gif_was) << "the GIF put back was kept";

    std::string said;
    const std::string changed = test_read_file(gif) + "the user's";
    test_write_file(gif, changed); // written in place: the same file, changed
    EXPECT_EQ(ask("OPEN " + take.string(), &said), 10);
    EXPECT_NE(said.find(gif.string() + " exists and nobody can be asked"), std::string::npos) << said;
    EXPECT_EQ(test_read_file(gif), changed);
    fs::remove(gif);
    test_write_file(wav, "the user's sound");
    EXPECT_EQ(ask("OPEN " + take.string(), &said), 10);
    EXPECT_NE(said.find(wav.string() + " exists and nobody can be asked"), std::string::npos) << said;
    EXPECT_EQ(test_read_file(wav), "the user's sound");
    EXPECT_FALSE(fs::exists(gif));
    // Another writer's output there (a picture saved at a name made, take.gif
    // for take.txt) is no more the playback's than the user's file is.
    fs::remove(wav);
    ASSERT_EQ(ask("SAVEGIF " + (dir / "take.txt").string(), &said), 0) << said;
    const std::string picture = test_read_file(gif);
    EXPECT_EQ(ask("OPEN " + take.string(), &said), 10);
    EXPECT_NE(said.find(gif.string() + " exists and nobody can be asked"), std::string::npos) << said;
    EXPECT_EQ(test_read_file(gif), picture);
}

// Recording on from a playback writes the played file as a save would: a
// write-protected one is refused with the reason, unchanged, and plays on.
TEST_F(RecordersProgram, RecordingOnFromAPlaybackKeepsAWriteProtectedTake) {
    const fs::path dir = home.path() / "kept", take = dir / "take.cor";
    start_with_a_take(dir, 600);
    fs::permissions(take, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::vector<u8> before = read_bytes(take);
    ASSERT_EQ(ask("OPEN " + take.string()), 0);
    std::string said;
    EXPECT_EQ(ask("MENU MACRO.STARTRECORDING", &said), 10);
    EXPECT_NE(said.find("can't write " + take.string() + ": Read-only file"), std::string::npos)
        << said;
    EXPECT_TRUE(printed("Not recorded: can't write " + take.string())) << log();
    EXPECT_EQ(ask("MENU MACRO.RESTARTPLAYBACK", &said), 0) << "no longer playing: " << said;
    EXPECT_EQ(ask("MENU MACRO.STOP"), 0);
    EXPECT_TRUE(read_bytes(take) == before) << "the write-protected take was written";
}

// A break (a kill, CTRL-C, a closed terminal) while recording finishes what
// was being generated as a stop does: the GIF and the WAV are complete.
TEST_F(RecordersProgram, ABreakWhileRecordingFinishesTheGeneratedFiles) {
    generating_when_it_ends(home.path() / "broken", [this] { kill(pid, SIGTERM); }, 0);
}

// The display going away under the program (the X server ended: a logout, a
// dropped link) is the same way out: the GIF and the WAV complete, the
// autosave, the settings the session changed and the high scores written,
// and the run ends with 1, saying why.
TEST_F(RecordersProgram, ADisplayThatGoesAwayFinishesWhatABreakFinishes) {
    if (!XDisplay::available()) GTEST_SKIP() << "no Xvfb here";
    XDisplay x;
    ASSERT_TRUE(x.start());
    platform = "xcb";
    const fs::path settings = home.path() / "Configs" / "Brindlemox.ini",
                   scores = home.path() / "Configs" / "Brindlemox.hgh",
                   autosave = home.path() / "Games" / "AUTOSAVE.COS";
    generating_when_it_ends(
        home.path() / "gone",
        [&] {
            for (const fs::path& p : {settings, scores, autosave})
                fs::remove(p);
            x.stop();
        },
        1);
    for (const fs::path& p : {settings, scores, autosave})
        EXPECT_TRUE(fs::is_regular_file(p)) << p << " was not written";
    EXPECT_NE(test_read_file(settings).find("\ngenerategif=true\n"), std::string::npos);
    EXPECT_NE(log().find("Brindlemox: The display went away!\n"), std::string::npos) << log();
    EXPECT_NE(log().find("Quitting.\n"), std::string::npos) << log();
}

// However the program is left while it generates onto a full disk (QUIT,
// a kill, a closed terminal, CTRL-C), it ends at once: nobody is asked about
// the files it cannot finish, they are named on the console with the
// system's reason, and the settings, high scores and autosave are written.
TEST_F(RecordersProgram, LeavingWhileGeneratingOntoAFullDiskAsksNobody) {
    const fs::path dir = home.path() / "full";
    if (!mount_small(dir)) GTEST_SKIP() << "no small file system can be mounted here";
    const fs::path settings = home.path() / "Configs" / "Brindlemox.ini",
                   scores = home.path() / "Configs" / "Brindlemox.hgh",
                   autosave = home.path() / "Games" / "AUTOSAVE.COS";
    bool first = true;
    for (const char* way : {"QUIT", "SIGTERM", "SIGHUP", "SIGINT"}) {
        SCOPED_TRACE(way);
        if (first) {
            start_with_a_take(dir, 600);
            ASSERT_FALSE(HasFatalFailure());
            // A few kilobytes stay free: the outputs start, then run out of room.
            struct statvfs fs_info {};
            ASSERT_EQ(statvfs(dir.c_str(), &fs_info), 0);
            const u64 left = u64(fs_info.f_bavail) * fs_info.f_frsize;
            ASSERT_GT(left, 8192u);
            write_bytes(dir / "filler", std::vector<u8>(left - 8192, 'f'));
            first = false;
        } else {
            ASSERT_TRUE(start({"PORTNAME", "E2E"}));
            ASSERT_TRUE(port_up());
        }
        toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF", "MACRO.SOUNDS.WAV"});
        ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
        ASSERT_TRUE(played(60)) << log();
        for (const fs::path& p : {settings, scores, autosave})
            fs::remove(p);
        if (way[0] == 'Q')
            ask("QUIT");
        else
            kill(pid, way[4] == 'T' ? SIGTERM : way[4] == 'H' ? SIGHUP : SIGINT);
        const int code = wait_child(pid, TEST_HANG_SECONDS);
        pid = -1;
        close(fd);
        fd = -1;
        EXPECT_EQ(code, 0) << "the program did not end by itself\n" << log();
        for (const fs::path& p : {settings, scores, autosave})
            EXPECT_TRUE(fs::is_regular_file(p)) << p << " was not written";
        const std::string said = log(), quitting = "Quitting.\n";
        ASSERT_NE(said.find(quitting), std::string::npos) << said;
        // QUIT finishes the outputs ahead of its reply, a signal on the way out.
        const std::size_t from = way[0] == 'Q' ? 0 : said.find(quitting);
        for (const char* name : {"take.gif", "take.wav"}) {
            const std::string line = failure_line(said.substr(from), dir / name);
            EXPECT_TRUE(line.size() > 24 &&
                        line.substr(line.size() - 24) == "No space left on device!")
                << name << ": " << said;
        }
        // The next run starts from the settings of a new home.
        for (const fs::path& p : {settings, scores, autosave})
            fs::remove(p);
    }
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"filler", "take.cor"}));
}

// A playback that generates its animation begins it with the recording's
// picture, not with the blank field of a machine no frame has drawn yet.
TEST_F(RecordersProgram, AGeneratedAnimationBeginsWithTheRecordedPicture) {
    const fs::path dir = home.path() / "first";
    start_with_a_take(dir);
    const fs::path live = home.path() / "live.png";
    ASSERT_EQ(ask("SAVEPNG " + live.string()), 0);
    toggle({"MACRO.GENERATE", "MACRO.ANIMS.GIF"});
    ASSERT_EQ(ask("OPEN " + (dir / "take.cor").string()), 0);
    ASSERT_TRUE(played(10)) << log();
    ASSERT_EQ(ask("MENU MACRO.STOP"), 0);

    IndexedPicture shown;
    ASSERT_EQ(png_read_indexed(live, &shown), "");
    std::vector<u32> colours;
    for (u8 p : shown.pixels)
        colours.push_back(shown.palette.at(p));
    ASSERT_GT(std::set<u32>(colours.begin(), colours.end()).size(), 1u);
    std::vector<GifFrame> frames;
    ASSERT_EQ(gif_read_frames(read_bytes(dir / "take.gif"), &frames), "");
    ASSERT_GT(frames.size(), 3u);
    // The program's picture stands still: every frame shows it.
    for (std::size_t i = 0; i < 3; i++) {
        EXPECT_EQ(frames[i].width, shown.width) << i;
        EXPECT_TRUE(frames[i].rgb == colours) << "frame " << i << " is not the recorded picture";
    }
}
