#include "machines/elektor_rows.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "cpu/cpu.h"
#include "sound/machine_voices.h"
#include "sound/voice_update.h"

namespace {

// The two AY-3-8910s of the expanded Elektor at $1D00 and $1D10.
void psg_voices() {
    for (int psg = 0; psg < 2; psg++) {
        const u8* r = guest_memory + 0x1D00 + 16 * psg;
        for (int c = 0; c < 3; c++) {
            const u8 volume = (r[8 + c] & 0x10) ? 15 : (r[8 + c] & 15);
            u16 tone = 0;
            if (!(r[7] >> c & 1)) {
                tone = static_cast<u16>(r[2 * c] + ((r[2 * c + 1] & 15) << 8));
                if (psg == 0 && c == 0 && tone == 0) tone = 1;
            }
            const u16 noise = (r[7] >> (3 + c) & 1) ? 0 : (r[6] & 31);
            snd_set_voice(3 + 3 * psg + c, volume, tone);
            snd_set_voice(10 + 3 * psg + c, volume, noise);
        }
    }
}

} // namespace

void elektor_paddle_range(i32 game) {
    const bool low = (game >= 402 && game <= 405) || game == 409 || game == 411 || game == 415;
    machine_live[ELEKTOR].paddle_min = low ? 0 : 1;
    machine_live[ELEKTOR].paddle_centre = low ? 1 : 111;
}

void snd_voices_elektor() {
    if (memmap == MAP_ELEKTOR_BASIC) return;
    snd_voices_pvi_console();
    if (memmap == MAP_ELEKTOR_EXPANDED) psg_voices();
}

u8 elektor_tone_volume() {
    if (memmap == MAP_ELEKTOR_EXPANDED && (guest_memory[0x1D07] & 0x40))
        return guest_memory[0x1D0E] & 15;
    if (memmap != MAP_ELEKTOR_EXPANDED) return 15;
    return snd_pvi_tone_volume(guest_memory[0x1E80]);
}

bool elektor_noise_latch_follows() {
    return memmap == MAP_ELEKTOR_EXPANDED;
}
