#include "platform/audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::vector<std::int8_t> square_wave() {
    std::vector<std::int8_t> wave(65536);
    for (std::size_t i = 0; i < wave.size(); i++)
        wave[i] = (i & 1) ? -127 : 127;
    return wave;
}

int sign_changes(const std::vector<std::int16_t>& out) {
    int changes = 0;
    for (std::size_t i = 1; i < out.size(); i++)
        if ((out[i - 1] < 0) != (out[i] < 0)) changes++;
    return changes;
}

class AudioMixer : public ::testing::Test {
  protected:
    void SetUp() override { audio_mixer_reset(); }
    void TearDown() override { audio_mixer_reset(); }
};

// A square waveform replayed at twice the pitch sounds that pitch: one
// second of output crosses zero twice per period.
TEST_F(AudioMixer, ATonePlaysAtItsFrequencyAndVolume) {
    const std::vector<std::int8_t> wave = square_wave();
    struct Case {
        float hz;
        int volume;
    };
    for (const Case c : {Case{440.0f, 64}, Case{262.0f, 32}, Case{1000.0f, 8}, Case{55.0f, 1}}) {
        audio_channel_play(1, wave.data(), 65536, static_cast<std::uint32_t>(2 * c.hz), c.volume,
                           true);
        std::vector<std::int16_t> out(AUDIO_OUTPUT_RATE);
        audio_mix(out.data(), static_cast<int>(out.size()), AUDIO_OUTPUT_RATE);
        EXPECT_NEAR(sign_changes(out), 2 * c.hz, 2) << c.hz;
        int peak = 0;
        for (std::int16_t s : out)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_EQ(peak, 127 * c.volume) << c.hz;
    }
}

// Every number of channels at full volume, either way, at a gain that lifts
// one to 7/16 of full scale: the sums up to the knee come out as they are,
// every larger one below full scale and no quieter than a smaller one.
TEST_F(AudioMixer, ChannelsAddUpAndNoSumClips) {
    const std::vector<std::int8_t> flat(100, 127), low(100, -127);
    const std::int32_t gain = 14336 * 65536 / (127 * 64);
    for (const auto* data : {&flat, &low}) {
        int last = 0;
        for (int channels = 1; channels <= AUDIO_CHANNELS; channels++) {
            audio_mixer_reset();
            audio_set_gain(gain);
            for (int ch = 0; ch < channels; ch++)
                audio_channel_play(ch, data->data(), 100, 1000, 64, true);
            std::int16_t out[10];
            audio_mix(out, 10, AUDIO_OUTPUT_RATE);
            const std::int64_t sum = std::int64_t{channels} * (*data)[0] * 64 * gain / 65536;
            const int level = std::abs(out[9]);
            if (std::abs(sum) <= AUDIO_LIMIT_KNEE) {
                EXPECT_EQ(out[9], sum) << channels;
            }
            EXPECT_LT(level, 32767) << channels << " channels clip";
            EXPECT_GE(level, last) << channels << " channels come out quieter than fewer";
            EXPECT_EQ((out[9] < 0), (sum < 0)) << channels;
            last = level;
        }
    }
}

// The limiter's curve has no corner: past the knee its slope starts near 1
// and only falls, stretch after stretch, as the sum grows; it is the same
// either way.
TEST_F(AudioMixer, TheLimiterBendsSmoothlyFromTheKnee) {
    EXPECT_EQ(audio_limit(AUDIO_LIMIT_KNEE), AUDIO_LIMIT_KNEE);
    EXPECT_GE(audio_limit(AUDIO_LIMIT_KNEE + 64) - AUDIO_LIMIT_KNEE, 63);
    int slope = 64;
    for (std::int64_t x = AUDIO_LIMIT_KNEE; x < 40 * 32768; x += 64) {
        const int step = audio_limit(x + 64) - audio_limit(x);
        EXPECT_LE(step, slope + 1) << "the slope grows again at " << x;
        EXPECT_EQ(audio_limit(-x), -audio_limit(x)) << x;
        slope = std::min(slope, step);
    }
    EXPECT_GT(audio_limit(4 * 32768), 32000) << "a loud sum stays loud";
}

TEST_F(AudioMixer, ASampleThatPlaysOnceFallsSilentAtItsEnd) {
    const std::vector<std::int8_t> burst(100, 100);
    audio_channel_play(2, burst.data(), 100, AUDIO_OUTPUT_RATE, 64, false);
    std::vector<std::int16_t> out(150);
    audio_mix(out.data(), 150, AUDIO_OUTPUT_RATE);
    EXPECT_EQ(out[99], 100 * 64);
    EXPECT_EQ(out[100], 0);
    EXPECT_EQ(audio_channel(2).data, nullptr);
}

TEST_F(AudioMixer, BadRequestsAreIgnored) {
    const std::vector<std::int8_t> wave = square_wave();
    audio_channel_play(AUDIO_CHANNELS, wave.data(), 65536, 880, 64, true);
    audio_channel_play(-1, wave.data(), 65536, 880, 64, true);
    audio_channel_play(0, wave.data(), 65536, 0, 64, true);
    audio_channel_play(1, nullptr, 65536, 880, 64, true);
    audio_channel_play(3, wave.data(), 65536, 880, 900, true);
    for (int ch = 0; ch < 3; ch++)
        EXPECT_EQ(audio_channel(ch).data, nullptr) << ch;
    EXPECT_EQ(audio_channel(3).volume, AUDIO_MAX_VOLUME);
}

} // namespace
