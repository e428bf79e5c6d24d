// The live output against the sound recording, on every memory map of the
// machine table: all the voices a map sounds, started at once, are each heard
// live as loud, relative to the others, as the WAV mixes them, and at their
// loudest neither clips.
#include "core/machine_sound.h"
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
        generatewav = 1;
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
    // Half a second of the voices sounding, live and recorded (the WAV file
    // whole, its header too). Check with ASSERT_NO_FATAL_FAILURE.
    void half_a_second(std::vector<std::int16_t>* live, std::vector<u8>* wav_file) {
        live->resize(AUDIO_OUTPUT_RATE / 2);
        audio_mix(live->data(), static_cast<int>(live->size()), AUDIO_OUTPUT_RATE);
        // Guest time: clock periods, or frames on a machine set up with none.
        const double fps = (emu_region & 1) ? 50.0 : 60.0;
        const double clocks = machine_live_row().clocks_per_frame;
        cpu_cycles += static_cast<u32>((clocks > 0 ? clocks : 1.0) * fps / 2);
        frame_counter += static_cast<u32>(fps / 2);
        snd_rec_stop();
        *wav_file = read_bytes(home.path() / "take.wav");
        ASSERT_GT(wav_file->size(), 44u + 22050 / 4);
    }
    TempHome home{"live-mix"};
};

TEST_P(LiveMix, EveryVoiceOfTheMapIsHeardLiveAsTheWavMixesIt) {
    const u32 map = GetParam();
    machine = static_cast<u32>(memmap_table[map].machine);
    memmap = map;
    snd_rec_start();
    ASSERT_TRUE(snd_rec_running());
    std::vector<int> voices;
    for (int v = 0; v < SND_VOICES; v++) {
        // Quiet: neither mix clips. Noise low, below the frequencies measured.
        snd_voice_play(v, 1, square_voice(v) ? static_cast<float>(tone_hz(v)) : 20.0f);
        if (snd_voice_in_mix(v)) voices.push_back(v);
    }
    ASSERT_EQ(static_cast<int>(voices.size()), memmap_sound_count(map));
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

// The gain rule: every voice of the map at its loudest (a tone at the
// loudest volume the machine's sound row gives it, all in phase at the
// start; each shipped effect from its beginning) never reaches full scale,
// live or in the WAV, and the WAV is as loud as the live output: the mix's
// peak the same share of full scale in both, near the ceiling.
TEST_P(LiveMix, TheLoudestVoicesOfTheMapClipNeitherLiveNorInTheWav) {
    const u32 map = GetParam();
    machine = static_cast<u32>(memmap_table[map].machine);
    memmap = map;
    const std::filesystem::path sounds =
        std::filesystem::path(BRINDLEMOX_TEST_DATA).parent_path().parent_path() / "resources" /
        "sounds";
    for (SoundSample& e : snd_effect_table)
        ASSERT_EQ(snd_load_8svx(sounds / std::filesystem::path(e.file).filename(), e), SVX_OK)
            << e.file;
    snd_rec_start();
    ASSERT_TRUE(snd_rec_running());
    const auto loudest = machine_sound().loudest_volume;
    for (int v = 0; v < SND_VOICES; v++)
        if (snd_voice_in_mix(v))
            snd_voice_play(v, v < SND_FIRST_EFFECT && loudest ? loudest(v) : 15,
                           static_cast<float>(tone_hz(v)));

    // The tones' first peak, every effect.
    std::vector<std::int16_t> live;
    std::vector<u8> wav_file;
    ASSERT_NO_FATAL_FAILURE(half_a_second(&live, &wav_file));

    // Peaks and loudness (root mean square) as shares of full scale.
    double live_peak = 0.0, wav_peak = 0.0, live_power = 0.0, wav_power = 0.0;
    for (const std::int16_t x : live) {
        live_peak = std::max(live_peak, std::abs(x / 32768.0));
        live_power += (x / 32768.0) * (x / 32768.0);
    }
    for (std::size_t i = 44; i < wav_file.size(); i++) {
        const double x = (wav_file[i] - 128) / 128.0;
        wav_peak = std::max(wav_peak, std::abs(x));
        wav_power += x * x;
    }
    const double live_rms = std::sqrt(live_power / static_cast<double>(live.size()));
    const double wav_rms = std::sqrt(wav_power / static_cast<double>(wav_file.size() - 44));
    EXPECT_LE(live_peak * 32768, SND_MIX_CEILING) << "live, at most 7/8 of full scale";
    EXPECT_LT(wav_peak * 128, 127) << "in the WAV: a sample at 0 or 255 is clipped";
    EXPECT_GT(live_peak * 32768, SND_MIX_CEILING / 2) << "live, loud";
    EXPECT_NEAR(wav_rms / live_rms, 1.0, 0.06) << "the WAV as loud as the live output";
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
