#include "machines/interton_rows.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "cpu/cpu.h"
#include "sound/voice_update.h"

void interton_paddle_range(i32 game) {
    const bool narrow = game >= 206 && game <= 208;
    machine_live[INTERTON].paddle_min = narrow ? 12 : 1;
    machine_live[INTERTON].paddle_centre = narrow ? 52 : 112;
    machine_live[INTERTON].paddle_max = narrow ? 88 : 225;
}

u8 interton_tone_volume() {
    return snd_pvi_tone_volume(guest_memory[0x1E80]);
}
