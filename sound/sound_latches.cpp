#include "sound/sound_latches.h"

#include "core/emu.h"
#include "core/machine_ops.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"

SoundEffectLatch snd_effect_latch;

void snd_reset_latches() {
    const auto follows_register = machine_row().noise_latch_follows;
    const bool follows = follows_register && follows_register();
    if (follows && (guest_memory[0x1E80] & 0x10)) {
        snd_effect_latch.triggered = 1;
        snd_effect_latch.set_cycle = cpu_cycles;
    } else {
        snd_effect_latch.triggered = 0;
    }
    for (u8& latch : snd_effect_latch.latches)
        latch = 0;
}
