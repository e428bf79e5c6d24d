// What the machines without a 2650 (the AY-3-8500/8550/8600 consoles and the
// Type-right) share in their rows: the debugger's view of their bytes as
// text, and their one tone in Hz.
#pragma once

#include "core/types.h"

struct CpuDebugHooks;

// What the debugger asks of each (their machine rows name them).
extern const CpuDebugHooks pong_debug_hooks;
extern const CpuDebugHooks typeright_debug_hooks;

// Voice 0 plays pong_tone_hz while it is not 0.
void snd_voices_tone_hz();
// Voice 0's frequency: pong_tone_hz, whatever the pitch value.
float snd_tone_hz(u16 p);
