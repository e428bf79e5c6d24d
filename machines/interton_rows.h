// The Interton's own parts of its row (core/machine_ops.h) beside its set-up:
// the paddle range of its games and the volume of the PVI's tone.
#pragma once

#include "core/types.h"

// Three games read a narrower paddle range.
void interton_paddle_range(i32 game);
// The tone's volume from the sound register at $1E80.
u8 interton_tone_volume();
