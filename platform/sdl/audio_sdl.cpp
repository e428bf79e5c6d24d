#include "platform/sdl/audio_sdl.h"

#include "platform/audio.h"

#include <SDL.h>

namespace {
enum class State { untried, open, failed };
State state = State::untried;
std::string failure;
SDL_AudioDeviceID device = 0;
int device_chunk = 0;

// SDL's audio thread: takes what the frames queued, nothing else.
void take_samples(void*, Uint8* stream, int len) {
    audio_queue_take(reinterpret_cast<std::int16_t*>(stream),
                     len / static_cast<int>(sizeof(std::int16_t)));
}
} // namespace

bool audio_device_open(std::string& why) {
    if (state == State::untried) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            failure = SDL_GetError();
            state = State::failed;
        } else {
            SDL_AudioSpec want{}, have{};
            want.freq = AUDIO_OUTPUT_RATE;
            want.format = AUDIO_S16SYS;
            want.channels = 1;
            want.samples = 1024;
            want.callback = take_samples;
            device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (!device) {
                failure = SDL_GetError();
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
                state = State::failed;
            } else {
                device_chunk = have.samples;
                state = State::open;
            }
        }
    }
    if (state == State::failed) {
        why = failure.empty() ? "no audio device" : failure;
        return false;
    }
    audio_queue_reset(device_chunk);
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void audio_device_pause() {
    if (state != State::open) return;
    SDL_PauseAudioDevice(device, 1);
    audio_queue_reset(device_chunk);
}

void audio_device_shutdown() {
    if (state == State::open) {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    device = 0;
    state = State::untried;
    failure.clear();
}
