// The Elektor's own parts of its row (core/machine_ops.h) beside its set-up:
// the paddle range of its games and its sound: the noise burst and noise
// voice of the expanded machine, its two AY-3-8910s and the tone's volume.
#pragma once

#include "core/types.h"

// Some games want the paddles' lowest value 0 and their centre 1.
void elektor_paddle_range(i32 game);
// The expanded machine's PVI noise and the voices of its two PSGs.
void snd_voices_elektor();
// The tone's volume: from the first PSG's register when it takes the tone
// over, from the sound register at $1E80 on the expanded machine, else full.
u8 elektor_tone_volume();
// Only the expanded machine's noise-burst latch follows its sound register.
bool elektor_noise_latch_follows();
