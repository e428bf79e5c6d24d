// The host mixer at work: one frame's share of the output (735 samples at 60
// frames a second) rendered from a number of looping square-wave channels at
// the gain the sound output sets, so that the sum of many voices goes through
// the limiter on every sample. The counter reports samples per host second.
#include "platform/audio.h"

#include <benchmark/benchmark.h>

#include <vector>

static void BM_AudioMixFrame(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0));
    std::vector<std::int8_t> wave(65536);
    for (std::size_t i = 0; i < wave.size(); i++)
        wave[i] = (i & 1) ? -127 : 127;
    audio_mixer_reset();
    audio_set_gain(static_cast<std::int32_t>(state.range(1)));
    for (int ch = 0; ch < channels; ch++)
        audio_channel_play(ch, wave.data(), 65536, 2 * (300 + 45 * ch), AUDIO_MAX_VOLUME, true);
    std::vector<std::int16_t> out(AUDIO_OUTPUT_RATE / 60);
    for (auto _ : state) {
        audio_mix(out.data(), static_cast<int>(out.size()), AUDIO_OUTPUT_RATE);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(out.size()));
    audio_mixer_reset();
}
// One, two and every channel at a gain that lifts one full tone to 7/16 of
// full scale (the sums of three or more pass the knee).
constexpr int GAIN = 14336 * 65536 / (127 * 64);
BENCHMARK(BM_AudioMixFrame)->Args({1, GAIN})->Args({2, GAIN})->Args({26, GAIN});
