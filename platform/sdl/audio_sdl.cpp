#include "platform/sdl/audio_sdl.h"

#include "platform/audio.h"

#include <SDL.h>

#include <vector>

namespace {
enum class State { untried, open, failed };
State state = State::untried;
std::string failure;
SDL_AudioDeviceID device = 0;
std::vector<std::int16_t> buffer;
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
            want.callback = nullptr; // queued output
            device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (!device) {
                failure = SDL_GetError();
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
                state = State::failed;
            } else {
                state = State::open;
            }
        }
    }
    if (state == State::failed) {
        why = failure.empty() ? "no audio device" : failure;
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void audio_device_feed() {
    if (state != State::open) return;
    constexpr Uint32 target = AUDIO_OUTPUT_RATE * AUDIO_SDL_QUEUE_MS / 1000;
    const Uint32 queued = SDL_GetQueuedAudioSize(device) / sizeof(std::int16_t);
    if (queued >= target) return;
    const Uint32 frames = target - queued;
    buffer.resize(frames);
    audio_mix(buffer.data(), static_cast<int>(frames), AUDIO_OUTPUT_RATE);
    SDL_QueueAudio(device, buffer.data(), frames * sizeof(std::int16_t));
}

void audio_device_pause() {
    if (state != State::open) return;
    SDL_PauseAudioDevice(device, 1);
    SDL_ClearQueuedAudio(device);
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
