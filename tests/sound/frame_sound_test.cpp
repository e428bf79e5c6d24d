// What a device hears of the frames: their samples taken from the queue.
#include "core/frame.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "platform/audio.h"
#include "sound/effects.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// An Arcadia program switches the tone on and off within one frame (a request
// for one frame of sound), every tenth frame; the device takes its chunks as
// real time passes. Each blip is heard, one frame's share of samples long.
TEST(FrameSound, OneFrameTonesAreHeardOneFrameLongEach) {
    fresh_state();
    snd_fill_waveforms();
    snd_enabled = 1;
    snd_master_volume = 8;
    constexpr int CHUNK = 1024, TONES = 50, APART = 10;
    for (const u32 region : {0u, 1u}) {
        emu_region = region;
        snd_open(0);
        const double share = AUDIO_OUTPUT_RATE * (frame_period_us[region] / 1e6);
        std::vector<std::int16_t> heard;
        for (int frame = 0; frame < TONES * APART + 20; frame++) {
            if (frame % APART == 0 && frame < TONES * APART) {
                guest_memory[0x18FD] = 40;
                guest_memory[0x18FE] = 0x08 | 5;
                snd_update_voices(0);
                guest_memory[0x18FE] = 0;
                snd_update_voices(0);
                ASSERT_EQ(snd_voice_request[0], 3u);
            }
            emu_end_of_frame();
            while (heard.size() + CHUNK <= (frame + 1) * share) {
                std::int16_t chunk[CHUNK];
                ASSERT_EQ(audio_queue_take(chunk, CHUNK), CHUNK) << "ran dry at frame " << frame;
                heard.insert(heard.end(), chunk, chunk + CHUNK);
            }
        }
        std::vector<std::pair<std::size_t, std::size_t>> tones; // start, length
        for (std::size_t i = 0; i < heard.size(); i++)
            if (heard[i] != 0 && (i == 0 || heard[i - 1] == 0))
                tones.push_back({i, 1});
            else if (heard[i] != 0)
                tones.back().second++;
        ASSERT_EQ(tones.size(), std::size_t{TONES}) << "region " << region;
        for (std::size_t t = 1; t < tones.size(); t++) {
            EXPECT_NEAR(tones[t].second, share, 1.0) << t << ", region " << region;
            EXPECT_NEAR(tones[t].first - tones[t - 1].first, APART * share, 1.0) << t;
        }
        EXPECT_NEAR(tones[0].second, share, 1.0) << "region " << region;

        // Nobody takes (no audio, or frames faster than real time): the queue
        // keeps no more than a fraction of a second.
        for (int frame = 0; frame < 300; frame++)
            emu_end_of_frame();
        EXPECT_LT(audio_queue_level(), AUDIO_OUTPUT_RATE / 5) << "region " << region;
        snd_close(0);
    }
    snd_release_device();
    snd_free_samples();
    fresh_state();
}

} // namespace
