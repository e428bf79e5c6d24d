// Sound and music recordings, read back by sox and mido where installed, and
// the recording control around them.
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "platform/paths.h"
#include "platform/headless/gui_headless.h"
#include "record/recorder.h"
#include "sound/effects.h"
#include "sound/note_lookup.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "tests/record/tools.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {
class Recorders : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        // The voices' temporary files go to RAM:, here the test's own folder,
        // not one that test programs running at the same time share.
        setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
        std::snprintf(file_name_buffer, sizeof file_name_buffer, "%s", file("take.cor").c_str());
    }
    void TearDown() override { fresh_state(); }
    TempHome home{"recording"};
    fs::path file(const char* name) { return home.path() / name; }
};

u32 be32_at(const std::vector<u8>& b, std::size_t at) {
    return u32(b[at]) << 24 | u32(b[at + 1]) << 16 | u32(b[at + 2]) << 8 | b[at + 3];
}
} // namespace

TEST_F(Recorders, SoundFilesAreWhatSoxReads) {
    generatewav = generate8svx = generateaiff = 1;
    snd_record_rate = 11025;
    snd_enabled = 1;
    snd_master_volume = 8;
    snd_fill_waveforms();
    // The voice files are the process's own: made anew under names with its
    // id, readable by the user alone, whatever lies in the runtime folder.
    const auto voice_files = [] {
        std::vector<fs::path> found;
        const std::string own = "brindlemox-" + std::to_string(getpid()) + "-voice";
        for (const auto& e : fs::directory_iterator(path_ram()))
            if (e.path().filename().string().rfind(own, 0) == 0) found.push_back(e.path());
        return found;
    };
    snd_rec_start();
    ASSERT_TRUE(snd_rec_running());
    const std::vector<fs::path> made = voice_files();
    ASSERT_FALSE(made.empty());
    for (const fs::path& p : made)
        EXPECT_EQ(fs::status(p).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write) << p;
    snd_voice_play(0, 7, 440.0f);
    ASSERT_TRUE(snd_voice_active[0]);
    // One second of guest time; the voice still sounds when the recording stops.
    cpu_cycles += static_cast<u32>(frame_clock().units_per_second());
    snd_rec_stop();
    const std::vector<u8> wav = read_bytes(file("take.wav"));
    ASSERT_GT(wav.size(), 44u);
    const u32 n = static_cast<u32>(wav.size() - 44);
    EXPECT_NEAR(n, 11025u, 2u); // the last span is kept
    EXPECT_EQ(n % 2, 0u);
    EXPECT_NE(std::count(wav.begin() + 44, wav.end(), 128), static_cast<long>(n)); // not silence
    for (const char* name : {"take.wav", "take.8svx", "take.aiff"})
        EXPECT_TRUE(fs::exists(file(name))) << name;
    EXPECT_TRUE(voice_files().empty()); // voice files removed
    if (!tool_present("/usr/bin/soxi")) GTEST_SKIP() << "needs sox";
    for (const char* name : {"take.wav", "take.8svx", "take.aiff"}) {
        int rc;
        const std::string said = run_tool("soxi -s '" + file(name).string() + "'", &rc);
        EXPECT_EQ(rc, 0) << name;
        EXPECT_EQ(std::stoul(said), n) << name;
        EXPECT_EQ(std::stoul(run_tool("soxi -r '" + file(name).string() + "'", &rc)), 11025u) << name;
        run_tool("sox '" + file(name).string() + "' -n stat", &rc);
        EXPECT_EQ(rc, 0) << name;
    }
}

// A take's mix is what is heard live, whatever the take: one tone at the
// top of its scale at 56 of 128 (7/16 of full scale), two at the limiter's
// knee, a third bent towards full scale, all 26 short of the file's full
// scale either way; the quietest step of a 16-step voice (8 in the voice
// files) at 4, not lifted.
TEST_F(Recorders, MixingKeepsTheLiveLevelAndTheHeadersCountSamples) {
    const struct {
        std::vector<std::vector<u8>> samples; // a row of samples per voice
        std::vector<int> want;
    } cases[] = {
        {{{255, 1, 128}, {128, 128, 128}}, {56, -56, 0}},
        {{{255, 1, 128}, {255, 1, 200}}, {112, -112, 32}},
        {{{136, 120, 128}, {128, 128, 128}}, {4, -4, 0}},
        {{{136, 128, 120}, {128, 112, 128}}, {4, -7, -4}},
        {{{255}, {255}, {255}}, {123}},
        {std::vector<std::vector<u8>>(26, {255}), {126}},
        {std::vector<std::vector<u8>>(26, {1}), {-126}},
        {{{128, 128, 128}, {128, 128, 128}}, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        std::vector<const u8*> voices;
        for (const auto& v : c.samples)
            voices.push_back(v.data());
        std::vector<signed char> out(c.want.size());
        snd_mix(voices.data(), static_cast<int>(voices.size()), static_cast<u32>(out.size()),
                out.data());
        EXPECT_EQ(std::vector<int>(out.begin(), out.end()), c.want)
            << c.samples.size() << " voices from " << int(c.samples[0][0]);
    }
    const std::string aiff = snd_aiff_header(100, 22050);
    EXPECT_EQ(static_cast<u8>(aiff[28]), 0x40);
    EXPECT_EQ(static_cast<u8>(aiff[29]), 0x0D);
    EXPECT_EQ(static_cast<u8>(aiff[30]), 0xAC);
    EXPECT_EQ(static_cast<u8>(aiff[31]), 0x44);
    EXPECT_EQ(snd_wav_header(7, 11025).size(), 44u);
    EXPECT_EQ(snd_8svx_header(7, 11025).size(), 48u);
    EXPECT_EQ(aiff.size(), 54u);
}

TEST_F(Recorders, MidiVarlenLengths) {
    const struct {
        u32 value;
        int length;
    } cases[] = {{0, 1}, {0x7F, 1}, {0x80, 2}, {0x3FFF, 2}, {0x4000, 3}, {0x1FFFFF, 3},
                 {0x200000, 4}, {0x0FFFFFFF, 4}, {0x10000000, 0}};
    for (const auto& c : cases) {
        u8 b[4] = {};
        EXPECT_EQ(midi_put_varlen(c.value, b), c.length) << c.value;
    }
    u8 b[4];
    midi_put_varlen(0x80, b);
    EXPECT_EQ(b[0], 0x81);
    EXPECT_EQ(b[1], 0x00);
}

TEST_F(Recorders, MidiTracksAsMidoReadsThem) {
    snd_enabled = 1;
    // Voice 0 changes pitch twice in one frame, then stops; voice 9 never sounds.
    // The pitch it held for no frame never sounded and is not written.
    frame_counter = 100;
    midi_start();
    snd_set_voice(0, 7, 20);
    music_voice_changes();
    snd_last_pitch[0] = 20;
    snd_last_volume[0] = 7;
    frame_counter = 110;
    snd_set_voice(0, 7, 30);
    music_voice_changes();
    snd_last_pitch[0] = 30;
    snd_set_voice(0, 7, 40);
    music_voice_changes();
    snd_last_pitch[0] = 40;
    frame_counter = 120;
    snd_set_voice(0, 0, 0);
    music_voice_changes();
    midi_stop();
    const std::vector<u8> m = read_bytes(file("take.mid"));
    ASSERT_GE(m.size(), 14u);
    EXPECT_EQ(m[10] << 8 | m[11], 1); // only the voice that sounded has a track
    if (!tool_present("/usr/bin/python3") ||
        [] { int rc; run_tool("/usr/bin/python3 -c 'import mido'", &rc); return rc != 0; }())
        GTEST_SKIP() << "needs python3-mido";
    int rc;
    const std::string said = run_tool(
        "/usr/bin/python3 -c \"import mido,sys; m=mido.MidiFile(sys.argv[1]); print(len(m.tracks)); "
        "[print(x.type, getattr(x,'note',''), x.time) for x in m.tracks[0]]\" '" + file("take.mid").string() + "'",
        &rc);
    ASSERT_EQ(rc, 0);
    const std::string key20 = std::to_string(snd_voice_note(0, 20) + 21);
    const std::string key40 = std::to_string(snd_voice_note(0, 40) + 21);
    EXPECT_EQ(said, "1\n"
                    "set_tempo  0\n"
                    "note_on " + key20 + " 0\n"
                    "note_off " + key20 + " 10\n"
                    "note_on " + key40 + " 0\n"
                    "note_off " + key40 + " 10\n"
                    "end_of_track  0\n");
}

TEST_F(Recorders, SmusSplitsLongNotesIntoTiedWholes) {
    snd_enabled = 1;
    smus_start();
    frame_counter = 0;
    snd_set_voice(0, 7, 20);
    music_voice_changes();
    snd_last_pitch[0] = 20;
    snd_last_volume[0] = 7;
    frame_counter = 130; // 520/128: four whole notes and a sixteenth
    snd_set_voice(0, 0, 0);
    music_voice_changes();
    smus_stop();
    const std::vector<u8> s = read_bytes(file("take.smus"));
    ASSERT_GT(s.size(), 32u);
    EXPECT_EQ(be32_at(s, 4), s.size() - 8);
    EXPECT_EQ(s[23], 1); // the resting voices are dropped
    const u8 note = static_cast<u8>(snd_voice_note(0, 20) + 21);
    const std::vector<u8> want = {note, 64, note, 64, note, 64, note, 64, note, 4};
    ASSERT_EQ(std::string(s.begin() + 24, s.begin() + 28), "TRAK");
    const std::vector<u8> track(s.begin() + 32, s.begin() + 32 + static_cast<long>(want.size()));
    EXPECT_EQ(track, want);
}

TEST_F(Recorders, YmFileHoldsEveryFrameAndSaysHowMany) {
    machine_switch(ELEKTOR, MAP_ELEKTOR_EXPANDED, true, true, false);
    std::snprintf(file_name_buffer, sizeof file_name_buffer, "%s", file("take.cor").c_str());
    generateym = 1;
    psg_logs_start();
    for (int f = 0; f < 250; f++) {
        guest_memory[0x1D00] = static_cast<u8>(f);
        rec_log_psg_frame();
    }
    psg_logs_stop();
    const std::vector<u8> y = read_bytes(file("take-1.ym"));
    ASSERT_GT(y.size(), 34u + 250 * 16 + 4);
    EXPECT_EQ(std::string(y.begin(), y.begin() + 12), "YM6!LeOnArD!");
    EXPECT_EQ(be32_at(y, 12), 250u);
    EXPECT_EQ(y[26] << 8 | y[27], (emu_region & 1) ? 50 : 60);
    EXPECT_EQ(std::string(y.end() - 4, y.end()), "End!");
    const std::size_t frames_at = y.size() - 4 - 250 * 16;
    EXPECT_EQ(y[frames_at], 0);
    EXPECT_EQ(y[frames_at + 249 * 16], 249);
    EXPECT_TRUE(fs::exists(file("take-2.ym")));
}

TEST_F(Recorders, RecordingOnFromPlaybackKeepsThePlayedPart) {
    // A playback that has read 5 bytes past its state.
    const std::vector<u8> cor = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    test_filebuf_alloc(static_cast<u32>(cor.size()));
    std::copy(cor.begin(), cor.end(), filebuf);
    filebuf_length = rec_length = static_cast<u32>(cor.size());
    filebuf_cursor = 5;
    rec_state = REC_PLAYBACK;
    rec_start(KIND_COR);
    ASSERT_EQ(rec_state, REC_RECORDING);
    rec_write_byte(42);
    std::fflush(rec_file);
    EXPECT_EQ(read_bytes(file("take.cor")), (std::vector<u8>{1, 2, 3, 4, 5, 42}));

    // A state saved meanwhile leaves the recording running.
    gui_headless_answer_file_requests({{0, home.path().string(), "plain.cos"}});
    std::FILE* recording = rec_file;
    rec_start(KIND_COS);
    EXPECT_TRUE(fs::exists(file("plain.cos")));
    EXPECT_EQ(rec_state, REC_RECORDING);
    EXPECT_EQ(rec_file, recording);
    rec_stop_all();
    EXPECT_EQ(rec_state, REC_IDLE);
}

TEST_F(Recorders, StartedRecordingGeneratesEveryChosenOutput) {
    generate = 0;
    generategif = generatepng = generatemidi = generatewav = 1;
    gui_headless_answer_file_requests({{0, home.path().string(), "new.cor"}});
    rec_start(KIND_COR);
    ASSERT_EQ(rec_state, REC_RECORDING);
    EXPECT_TRUE(rec_generating());
    rec_stop_all();
    EXPECT_FALSE(rec_generating());
    for (const char* name : {"new.cor", "new.gif", "new.png", "new.wav", "new.mid"})
        EXPECT_TRUE(fs::exists(file(name))) << name;
    EXPECT_FALSE(fs::exists(file("new.anim")));
}
