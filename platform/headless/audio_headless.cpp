// The audio device of tests and runs without audio: it takes what the main
// loop feeds and plays nothing. The channels are still mixed, one frame's
// worth per feed, so that effects that play once end as they would.
#include "platform/audio.h"

#include <vector>

void audio_device_feed() {
    static std::vector<std::int16_t> scratch(AUDIO_OUTPUT_RATE / 50);
    audio_mix(scratch.data(), static_cast<int>(scratch.size()), AUDIO_OUTPUT_RATE);
}

bool audio_device_open(std::string&) {
    return true;
}

void audio_device_pause() {}
void audio_device_shutdown() {}
