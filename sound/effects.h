// The ten sampled effects (explode, shoot, bang, coin, printer, click, spin,
// step, grind, punch) read from 8SVX files in the program's home, and the two
// tone waveforms the tone voices replay.
//
// Effect n plays on voice 16 + n; spin, grind and punch loop until their end
// frame unless started again before it, the others play once.
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

constexpr int SND_EFFECTS = 10;
constexpr int SND_WAVE_BYTES = 65536;

struct SoundSample {
    const char* file;              // "PROGDIR:sounds/....8svx"
    std::vector<std::int8_t> data; // 8-bit signed mono; empty when the effect did not load
    u32 rate;                      // samples per second from the file, 0 = 11025
    u32 end_frame;                 // frame_counter value at which the effect stops
    u8 peak = 0;                   // the largest magnitude of its samples (0..128)
};
extern SoundSample snd_effect_table[SND_EFFECTS];

// The tone waveforms' peak: their samples are +-SND_WAVE_PEAK.
constexpr int SND_WAVE_PEAK = 127;
extern std::vector<std::int8_t> snd_square_buffer; // +127, -127, ...: one period per two samples
extern std::vector<std::int8_t> snd_noise_buffer;  // +127 or -127 at random

// Error codes of snd_load_8svx, in the order they are checked.
enum Svx8Error : int {
    SVX_OK = 0,
    SVX_OPEN = 1,        // the file cannot be opened, or is no regular file
    SVX_HEADER_READ = 2, // the header read fails
    SVX_HEADER_SHORT = 3,
    SVX_NOT_FORM = 4,
    SVX_NO_MEMORY = 5,
    SVX_BODY_READ = 6,
    SVX_BODY_SHORT = 7, // fewer bytes than the FORM length
    SVX_NOT_8SVX = 8,   // not 8SVX, or no VHDR before a BODY
    SVX_NO_SAMPLE_MEMORY_CHANNELS = 9,
    SVX_NO_SAMPLE_MEMORY = 10,
};

// Reads the 8SVX file at host path `path` into `out` (data, rate, peak);
// SVX_OK or an error code, leaving `out` unloaded on error.
int snd_load_8svx(const std::string& path, SoundSample& out);

// Fills the two waveforms and loads the ten effects; each effect that fails
// is reported with its error code and stays silent.
void snd_load_samples();
// The two waveforms alone.
void snd_fill_waveforms();
void snd_free_samples();
void snd_reload_samples();
// Starts effect n (0-9) from its beginning.
void snd_play_effect(int n);
// Once per frame: stops the effects whose end frame has come.
void snd_expire_effects();
