#include "platform/audio.h"

#include <algorithm>
#include <vector>

static AudioChannel channels[AUDIO_CHANNELS];
static std::int32_t gain_q16 = 65536; // the mix's gain, in 65536ths

void audio_channel_play(int ch, const std::int8_t* data, std::uint32_t length, std::uint32_t rate,
                        int volume, bool loop) {
    if (ch < 0 || ch >= AUDIO_CHANNELS) return;
    if (!data || !length || !rate) {
        audio_channel_stop(ch);
        return;
    }
    AudioChannel& c = channels[ch];
    c.data = data;
    c.length = length;
    c.rate = rate;
    c.volume = std::clamp(volume, 0, AUDIO_MAX_VOLUME);
    c.loop = loop;
    c.position = 0;
}

void audio_channel_stop(int ch) {
    if (ch < 0 || ch >= AUDIO_CHANNELS) return;
    channels[ch] = AudioChannel{};
}

const AudioChannel& audio_channel(int ch) {
    static const AudioChannel none;
    return ch >= 0 && ch < AUDIO_CHANNELS ? channels[ch] : none;
}

void audio_mixer_reset() {
    for (int ch = 0; ch < AUDIO_CHANNELS; ch++)
        audio_channel_stop(ch);
    gain_q16 = 65536;
}

void audio_set_gain(std::int32_t gain) {
    gain_q16 = std::max(gain, 0);
}

std::int16_t audio_limit(std::int64_t x) {
    // Linear up to the knee; beyond it the rest of the way to full scale is
    // taken as over / (room + over) of the room left: the curve leaves the
    // knee at the line's slope and never reaches full scale. A division only
    // for the samples past the knee.
    constexpr std::int64_t room = 32767 - AUDIO_LIMIT_KNEE;
    const std::int64_t over = (x < 0 ? -x : x) - AUDIO_LIMIT_KNEE;
    if (over <= 0) return static_cast<std::int16_t>(x);
    const std::int64_t y = AUDIO_LIMIT_KNEE + room * over / (room + over);
    return static_cast<std::int16_t>(x < 0 ? -y : y);
}

// A channel at full volume reaches 127 x 64 = 8128; the sum is scaled by the
// gain and goes through the limiter.
void audio_mix(std::int16_t* out, int frames, int out_rate) {
    if (frames <= 0) return;
    static std::vector<std::int32_t> sum;
    sum.assign(static_cast<std::size_t>(frames), 0);
    if (out_rate > 0) {
        for (AudioChannel& c : channels) {
            if (!c.data) continue;
            const std::uint64_t step = (static_cast<std::uint64_t>(c.rate) << 32) / out_rate;
            const std::uint64_t end = static_cast<std::uint64_t>(c.length) << 32;
            for (int i = 0; i < frames; i++) {
                if (c.position >= end) {
                    if (!c.loop) {
                        c = AudioChannel{};
                        break;
                    }
                    c.position %= end;
                }
                sum[static_cast<std::size_t>(i)] += c.data[c.position >> 32] * c.volume;
                c.position += step;
            }
        }
    }
    for (int i = 0; i < frames; i++) {
        const std::int64_t scaled =
            static_cast<std::int64_t>(sum[static_cast<std::size_t>(i)]) * gain_q16 / 65536;
        out[i] = audio_limit(scaled);
    }
}
