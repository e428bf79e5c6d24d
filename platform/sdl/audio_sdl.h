// The audio device on SDL2 (platform/audio.h): only SDL's audio subsystem is
// initialised here; game controllers initialise their own subsystems.
//
// SDL's audio thread pulls the device's chunks from the sample queue
// (audio_queue_take) and touches nothing else: the frames mix their samples
// on the main thread, and the main loop never waits on the device.
#pragma once
