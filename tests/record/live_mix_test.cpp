// The live output against the sound recording, on every memory map of the
// machine table: all the voices a map sounds, started at once, are each heard
// live as loud, relative to the others, as the sound files mix them; at their
// loudest neither clips; an ordinary voice is as loud live on every map, and
// every file holds a take at the level it is heard, its quietest steps apart.
#include "core/machine_sound.h"
#include "tests/support/checkout_paths.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "core/frame.h"
#include "platform/audio.h"
#include "record/recorder.h"
#include "sound/effects.h"
#include "sound/sound_output.h"
#include "tests/record/tools.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

// The magnitude of frequency `f` in samples centred on 0 (a single-bin DFT).
double magnitude(const std::vector<double>& s, double rate, double f) {
    double re = 0.0, im = 0.0;
    for (std::size_t i = 0; i < s.size(); i++) {
        const double phase = 2.0 * M_PI * f * static_cast<double>(i) / rate;
        re += s[i] * std::cos(phase);
        im += s[i] * std::sin(phase);
    }
    return std::hypot(re, im) / static_cast<double>(s.size());
}

// Each voice's own frequency: the square voices and the effects (a square
// sample of their own) apart from each other and from one another's
// harmonics over a fifth of a second.
double tone_hz(int v) {
    return 310.0 + 45.0 * v;
}
constexpr int EFFECT_RATE = 11025;
int effect_half_period(int v) {
    return 4 + (v - SND_FIRST_EFFECT); // 1378 Hz down to 424 Hz
}
bool square_voice(int v) {
    return v < 9 || v >= SND_FIRST_EFFECT;
}

class LiveMix : public ::testing::TestWithParam<u32> {
  protected:
    void SetUp() override {
        fresh_state();
        setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
        std::snprintf(file_name_buffer, sizeof file_name_buffer, "%s",
                      (home.path() / "take.cor").c_str());
        generatewav = generateaiff = generate8svx = 1;
        snd_record_rate = 22050;
        snd_enabled = 1;
        snd_master_volume = 8;
        snd_fill_waveforms();
        for (int n = 0; n < SND_EFFECTS; n++) {
            SoundSample& e = snd_effect_table[n];
            e.rate = EFFECT_RATE;
            e.data.resize(EFFECT_RATE);
            for (int i = 0; i < EFFECT_RATE; i++)
                e.data[i] = (i / effect_half_period(SND_FIRST_EFFECT + n)) % 2 ? -6 : 6;
        }
    }
    void TearDown() override {
        snd_free_samples();
        fresh_state();
    }
    void set_map() {
        memmap = GetParam();
        machine = static_cast<u32>(memmap_table[memmap].machine);
    }
    // `seconds` of the voices sounding: the live output's, added to `live`,
    // and as much guest time (clock periods, or frames on a machine set up
    // with none).
    void sound_for(double seconds, std::vector<std::int16_t>* live) {
        const std::size_t from = live->size();
        live->resize(from + static_cast<std::size_t>(AUDIO_OUTPUT_RATE * seconds));
        audio_mix(live->data() + from, static_cast<int>(live->size() - from), AUDIO_OUTPUT_RATE);
        const double fps = (emu_region & 1) ? 50.0 : 60.0;
        const double clocks = machine_live_row().clocks_per_frame;
        cpu_cycles += static_cast<u32>((clocks > 0 ? clocks : 1.0) * fps * seconds);
        frame_counter += static_cast<u32>(fps * seconds);
    }
    // Half a second of the voices sounding, live and recorded (the WAV file
    // whole, its header too). Check with ASSERT_NO_FATAL_FAILURE.
    void half_a_second(std::vector<std::int16_t>* live, std::vector<u8>* wav_file) {
        sound_for(0.5, live);
        snd_rec_stop();
        *wav_file = read_bytes(home.path() / "take.wav");
        ASSERT_GT(wav_file->size(), 44u + 22050 / 4);
    }
    // The map's square tone voices (0-8), at most `count`, each at the top
    // of its volume scale.
    std::vector<std::pair<int, int>> tone_voices(std::size_t count) {
        std::vector<std::pair<int, int>> voices;
        for (int v = 0; v < 9 && voices.size() < count; v++)
            if (snd_voice_in_mix(v)) voices.push_back({v, 15});
        return voices;
    }
    TempHome home{"live-mix"};
};

TEST_P(LiveMix, EveryVoiceOfTheMapIsHeardLiveAsTheWavMixesIt) {
    set_map();
    snd_rec_start();
    ASSERT_TRUE(snd_rec_running());
    std::vector<int> voices;
    for (int v = 0; v < SND_VOICES; v++) {
        // Quiet: neither mix clips. Noise low, below the frequencies measured.
        snd_voice_play(v, 1, square_voice(v) ? static_cast<float>(tone_hz(v)) : 20.0f);
        if (snd_voice_in_mix(v)) voices.push_back(v);
    }
    ASSERT_EQ(static_cast<int>(voices.size()), memmap_sound_count(memmap));
    for (int v : voices)
        EXPECT_NE(audio_channel(v).data, nullptr) << "voice " << v << " has no live channel";

    std::vector<std::int16_t> live;
    std::vector<u8> wav_file;
    ASSERT_NO_FATAL_FAILURE(half_a_second(&live, &wav_file));

    // The fifth of a second from the tenth on, in both.
    std::vector<double> heard, recorded;
    for (std::size_t i = AUDIO_OUTPUT_RATE / 10; i < AUDIO_OUTPUT_RATE * 3 / 10; i++)
        heard.push_back(live[i] / 32768.0);
    for (std::size_t i = 44 + 2205; i < 44 + 2205 + 4410; i++)
        recorded.push_back((wav_file[i] - 128) / 128.0);
    // Live to recorded, per voice: the same for all of them, give or take.
    std::vector<std::pair<int, double>> ratios;
    for (int v : voices) {
        if (!square_voice(v)) continue; // noise has no one frequency to measure
        const double f = v < SND_FIRST_EFFECT ? tone_hz(v)
                                              : EFFECT_RATE / (2.0 * effect_half_period(v));
        const double in_wav = magnitude(recorded, 22050, f);
        ASSERT_GT(in_wav, 0.001) << "voice " << v << " is missing from the WAV";
        ratios.push_back({v, magnitude(heard, AUDIO_OUTPUT_RATE, f) / in_wav});
    }
    for (const auto& [v, r] : ratios)
        for (const auto& [w, s] : ratios)
            EXPECT_GT(r, s / 2) << "voice " << v << " is heard at " << 100 * r / s
                                << " % of voice " << w << ", relative to the WAV";
}

// Every voice of the map at its loudest (a tone at the top of its volume
// scale, all in phase at the start; each shipped effect from its beginning):
// live, the sum comes out loud but never at full scale, the limiter bending
// it; each sound file peaks where the live output does, short of its full
// scale.
TEST_P(LiveMix, TheLoudestVoicesOfTheMapClipNeitherLiveNorInTheFiles) {
    set_map();
    const std::filesystem::path sounds =
        std::filesystem::path(test_data()).parent_path().parent_path() / "resources" /
        "sounds";
    for (SoundSample& e : snd_effect_table)
        ASSERT_EQ(snd_load_8svx(sounds / std::filesystem::path(e.file).filename(), e), SVX_OK)
            << e.file;
    snd_rec_start();
    ASSERT_TRUE(snd_rec_running());
    for (int v = 0; v < SND_VOICES; v++)
        if (snd_voice_in_mix(v)) snd_voice_play(v, 15, static_cast<float>(tone_hz(v)));

    std::vector<std::int16_t> live;
    std::vector<u8> wav_file;
    ASSERT_NO_FATAL_FAILURE(half_a_second(&live, &wav_file));
    int live_peak = 0;
    for (const std::int16_t x : live)
        live_peak = std::max(live_peak, std::abs(int{x}));
    EXPECT_LT(live_peak, 32767) << "live, clipped";
    EXPECT_GT(live_peak, SND_VOICE_LEVEL * 99 / 100) << "live, at least as loud as one voice";
    for (const char* name : {"take.wav", "take.aiff", "take.8svx"}) {
        int peak = 0;
        for (const u8 x : sound_samples(read_bytes(home.path() / name)))
            peak = std::max(peak, std::abs(x - 128));
        EXPECT_LT(peak, 127) << name << ", at full scale";
        EXPECT_NEAR(peak, live_peak / 256.0, 2.0) << name << " against the live output";
    }
}

// One or two ordinary voices at the top of their scale, in phase: live, one
// peaks within 3 dB of 7/16 of full scale on every map, and two add up
// unbent by the limiter.
TEST_P(LiveMix, OneOrTwoOrdinaryVoicesAreAsLoudLiveOnEveryMap) {
    set_map();
    const std::vector<std::pair<int, int>> voices = tone_voices(2);
    if (voices.empty()) GTEST_SKIP() << "the map sounds no tone";
    int one = 0;
    for (std::size_t n = 1; n <= voices.size(); n++) {
        for (int v = 0; v < SND_VOICES; v++)
            snd_voice_stop(v);
        for (std::size_t k = 0; k < n; k++)
            snd_voice_play(voices[k].first, voices[k].second, 440.0f);
        std::vector<std::int16_t> live;
        sound_for(0.05, &live);
        int peak = 0;
        for (const std::int16_t x : live)
            peak = std::max(peak, std::abs(int{x}));
        if (n == 1) {
            one = peak;
            EXPECT_NEAR(20 * std::log10(peak / double{SND_VOICE_LEVEL}), 0.0, 3.0)
                << "voice " << voices[0].first << " peaks at " << peak;
        } else {
            EXPECT_NEAR(peak, 2 * one, 2) << "two voices";
        }
    }
}

// A tone voice at volume 1, then 2, then 3, a sixth of a second each: every
// sound file holds all three, none silent, each step apart and at the level
// it is heard live (within half of one of the file's levels, and the voice
// file's own rounding).
TEST_P(LiveMix, AVoicesQuietestStepsAreApartInEveryFile) {
    set_map();
    const std::vector<std::pair<int, int>> voices = tone_voices(1);
    if (voices.empty()) GTEST_SKIP() << "the map sounds no tone";
    snd_rec_start();
    ASSERT_TRUE(snd_rec_running());
    std::vector<std::int16_t> live;
    for (int volume = 1; volume <= 3; volume++) {
        snd_voice_play(voices[0].first, volume, 440.0f);
        sound_for(1.0 / 6, &live);
    }
    snd_rec_stop();
    // Each step's peak in the middle of its sixth of a second.
    const auto steps = [](const auto& samples, int middle) {
        const std::size_t per_step = samples.size() / 3;
        std::vector<int> peaks;
        for (std::size_t k = 0; k < 3; k++) {
            int peak = 0;
            for (std::size_t i = k * per_step + per_step / 4; i < (k + 1) * per_step - per_step / 4;
                 i++)
                peak = std::max(peak, std::abs(samples[i] - middle));
            peaks.push_back(peak);
        }
        return peaks;
    };
    const std::vector<int> heard = steps(live, 0);
    for (const char* name : {"take.wav", "take.aiff", "take.8svx"}) {
        const std::vector<u8> file = sound_samples(read_bytes(home.path() / name));
        ASSERT_GT(file.size(), 22050u / 3) << name;
        const std::vector<int> in_file = steps(file, 128);
        for (std::size_t k = 0; k < 3; k++) {
            EXPECT_GT(in_file[k], k ? in_file[k - 1] : 0) << name << ", volume " << k + 1;
            EXPECT_NEAR(in_file[k], heard[k] / 256.0, 0.75)
                << name << ", volume " << k + 1 << " as heard (" << heard[k] << " of 32768)";
        }
    }
    if (!tool_present("/usr/bin/sox")) GTEST_SKIP() << "needs sox";
    for (const char* name : {"take.wav", "take.aiff"}) {
        double max = 0, min = 0;
        ASSERT_TRUE(sox_amplitudes(home.path() / name, &max, &min)) << name;
        EXPECT_NEAR(max, heard[2] / 32768.0, 0.01) << name;
        EXPECT_NEAR(min, -heard[2] / 32768.0, 0.01) << name;
    }
}

// Two takes of one tone, at the quietest volume at a quarter of the top's or
// above, and at the top: each sound file holds each take at the level it
// peaks live (within half a decibel), so that the two keep their ratio side
// by side, in every format.
TEST_P(LiveMix, TwoTakesOfDifferentLoudnessPeakInEveryFileAsLive) {
    set_map();
    const std::vector<std::pair<int, int>> voices = tone_voices(1);
    if (voices.empty()) GTEST_SKIP() << "the map sounds no tone";
    int quiet = 1;
    while (snd_tone_host_volume(quiet) < AUDIO_MAX_VOLUME / 4)
        quiet++;
    const auto dbfs = [](const auto& samples, int middle, double full) {
        int peak = 0;
        for (const auto x : samples)
            peak = std::max(peak, std::abs(x - middle));
        return 20 * std::log10(std::max(peak, 1) / full);
    };
    const char* const files[] = {"take.wav", "take.aiff", "take.8svx"};
    std::vector<double> live_db, file_db[3];
    for (const int volume : {quiet, 15}) {
        snd_rec_start();
        ASSERT_TRUE(snd_rec_running());
        snd_voice_play(voices[0].first, volume, 440.0f);
        std::vector<std::int16_t> live;
        sound_for(0.25, &live);
        snd_rec_stop();
        snd_voice_stop(voices[0].first);
        live_db.push_back(dbfs(live, 0, 32768.0));
        for (int f = 0; f < 3; f++)
            file_db[f].push_back(dbfs(sound_samples(read_bytes(home.path() / files[f])), 128, 128.0));
    }
    for (int f = 0; f < 3; f++) {
        for (int t = 0; t < 2; t++)
            EXPECT_NEAR(file_db[f][t], live_db[t], 0.5)
                << files[f] << ", the take at volume " << (t ? 15 : quiet) << " (dBFS)";
        EXPECT_NEAR(file_db[f][1] - file_db[f][0], live_db[1] - live_db[0], 0.5)
            << files[f] << ": the louder take against the quieter, in dB";
    }
}

std::vector<u32> sounding_maps() {
    std::vector<u32> maps;
    for (u32 m = 0; m < MEMMAPS; m++)
        if (!memmap_is_empty(m) && memmap_sound_count(m) > 0) maps.push_back(m);
    return maps;
}

INSTANTIATE_TEST_SUITE_P(MachineTable, LiveMix, ::testing::ValuesIn(sounding_maps()),
                         [](const ::testing::TestParamInfo<u32>& info) {
                             return "map" + std::to_string(info.param);
                         });

} // namespace
