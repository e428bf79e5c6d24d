// The audio device of tests and runs without audio: it plays nothing and
// takes nothing, so the queue stays full and every frame's samples are mixed
// (effects that play once end as they would) and left out. A test takes the
// samples itself with audio_queue_take, as a device would.
#include "platform/audio.h"

constexpr int HEADLESS_CHUNK = 1024; // what a device takes at a time

bool audio_device_open(std::string&) {
    audio_queue_reset(HEADLESS_CHUNK);
    return true;
}

void audio_device_pause() {
    audio_queue_reset(HEADLESS_CHUNK);
}

void audio_device_shutdown() {}
