// The latches of the sound-effect trigger of the voice update.
#pragma once

#include "core/types.h"

// The trigger: set while bit 4 of $1E80 is, with the cycle at which it was
// set, and three further latches.
struct SoundEffectLatch {
    u8 triggered;
    u32 set_cycle;
    u8 latches[3];
};
extern SoundEffectLatch snd_effect_latch;

// The trigger follows bit 4 of guest $1E80 on the Arcadia, the Interton and
// memory map 5, and is cleared elsewhere; the three other latches are
// cleared. After a state load and at every machine reset.
void snd_reset_latches();
