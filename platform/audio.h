// The host's audio: 26 output channels, one for each voice of the guest's
// sound (sound/sound_output.h), each replaying signed 8-bit sample data at its
// own rate and volume (0-64), looping or once, mixed into one signed 16-bit
// mono stream for the audio device.
//
// Toolkit-free. The mixer (platform/audio_mixer.cpp) keeps the channels and
// renders them; the sample queue (platform/audio_queue.cpp) holds what the
// frames mixed until the device takes it; the device is platform/sdl (the
// program) or platform/headless (tests and runs without audio). The channels
// live on the main thread: each frame mixes its own share of samples into the
// queue, and the device only ever takes samples from the queue.
//
//   audio_channel_play(0, wave, 65536, 880, 64, true); // a looping tone
//   audio_queue_frame(16614);                          // once per frame
#pragma once

#include <cstdint>
#include <string>

constexpr int AUDIO_CHANNELS = 26;
constexpr int AUDIO_OUTPUT_RATE = 44100; // frames per second of the mixed stream
constexpr int AUDIO_MAX_VOLUME = 64;

struct AudioChannel {
    const std::int8_t* data = nullptr; // the sample (not owned), nullptr: silent
    std::uint32_t length = 0;          // bytes of `data`
    std::uint32_t rate = 0;            // samples of `data` per second
    int volume = 0;                    // 0..64
    bool loop = false;                 // repeat for ever, else play once
    std::uint64_t position = 0;        // read position, 32.32 fixed point
};

// Starts `data` on channel `ch` (0..25) from its beginning, replacing what the
// channel played. Out-of-range channels, empty data and rate 0 are ignored;
// the volume is clamped to 0..64.
void audio_channel_play(int ch, const std::int8_t* data, std::uint32_t length, std::uint32_t rate,
                        int volume, bool loop);
// Silences channel `ch`.
void audio_channel_stop(int ch);
// The state of channel `ch` (0..25); a silent channel has data nullptr (test
// support: the program only plays, stops and mixes channels).
const AudioChannel& audio_channel(int ch);
// Silences every channel; the gain back to 65536.
void audio_mixer_reset();
// The gain of the mix, in 65536ths: the channels' sum is scaled by it. The
// sound output sets it from its gain rule (sound/sound_output.h); 65536 at
// start and after a reset.
void audio_set_gain(std::int32_t gain);
// Renders `frames` frames at `out_rate` frames per second into `out`,
// advancing the channels; a channel that plays once falls silent at its end.
// The channels add up, the sum is scaled by the gain and goes through
// audio_limit.
void audio_mix(std::int16_t* out, int frames, int out_rate);
// The limiter of the mix: a scaled sum up to AUDIO_LIMIT_KNEE (7/8 of full
// scale) either way passes as it is; one beyond is bent smoothly towards full
// scale (the curve's slope 1 at the knee, falling as the sum grows), which it
// never reaches: any sum of the channels, however large, comes out unclipped,
// and a larger sum never quieter.
constexpr int AUDIO_LIMIT_KNEE = 28672;
std::int16_t audio_limit(std::int64_t scaled);

// The sample queue. audio_queue_frame mixes the share of samples of one frame
// that stands for `frame_us` microseconds of real time (the fraction of a
// sample carried to the next frame) and queues it whole. The queue's level is
// held only between frames: a few samples padded (the last one held) or
// dropped when it drifts low or high, back to the kept level at once when the
// device ran dry, and whole frames left out while frames come faster than
// real time. The level kept is two of the device's takes (`device_chunk`
// samples each) and one frame.
// audio_queue_take gives the device `n` samples, silence where the queue ran
// dry, and returns how many came from the queue; it alone may run on another
// thread.
void audio_queue_reset(int device_chunk); // empty, for a device taking this many
void audio_queue_frame(std::uint32_t frame_us);
int audio_queue_take(std::int16_t* out, int n);
// Samples queued now (test support: the queue keeps its own level).
int audio_queue_level();

// The audio device. audio_device_open starts it (once; later calls return the
// first answer) with an empty queue and gives false with the reason in `why`
// when there is none; the program then runs silent. audio_device_pause stops
// output and empties the queue (the channels keep their state);
// audio_device_shutdown releases the device and the host's audio system at
// exit.
bool audio_device_open(std::string& why);
void audio_device_pause();
void audio_device_shutdown();
