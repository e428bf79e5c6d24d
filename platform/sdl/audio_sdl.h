// The audio device on SDL2 (platform/audio.h): only SDL's audio subsystem is
// initialised here; game controllers initialise their own subsystems.
//
// Output is queued, never pulled: audio_device_feed keeps about
// AUDIO_SDL_QUEUE_MS of mixed sound in SDL's queue, so the main loop never
// waits on the device and no SDL thread reads emulator state.
#pragma once

constexpr int AUDIO_SDL_QUEUE_MS = 60;
