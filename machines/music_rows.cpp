#include "machines/music_rows.h"

#include "core/emu.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "machines/pvi2636.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"

namespace {

constexpr u32 PVI_PITCH = 0xC7, CONSOLE_SOUND = 0x1E80, PSG_ENABLES = 0x1D0E;

u8& pitch_register() {
    return guest_memory[(pvi_base + PVI_PITCH) & GUEST_ADDRESS_MASK];
}

} // namespace

bool pvi_music_play(int channel, u8 code) {
    if (channel == 0) pitch_register() = code;
    return true;
}

int pvi_music_main_note(u8* pen) {
    *pen = MUSIC_PEN_TONE;
    return snd_voice_note(0, pitch_register());
}

bool pvi_console_music_play(int channel, u8 code) {
    u8& sound = guest_memory[CONSOLE_SOUND];
    const bool psg = memmap == MAP_ELEKTOR_EXPANDED;
    if (channel == 0) {
        pitch_register() = code;
        sound = static_cast<u8>(code ? sound | 0x04 : sound & 0xFB);
        if (psg) {
            u8& enables = guest_memory[PSG_ENABLES];
            enables = static_cast<u8>(code ? enables | 0x0F : enables & 0xF0);
        }
    } else {
        if (code) pitch_register() = code;
        sound = static_cast<u8>(code ? sound | 0x08 : sound & 0xF7);
    }
    return true;
}

int pvi_console_music_main_note(u8* pen) {
    const u8 enable = guest_memory[CONSOLE_SOUND] & 0x0C;
    *pen = enable == 0x0C ? MUSIC_PEN_BOTH : enable == 0x08 ? MUSIC_PEN_NOISE : MUSIC_PEN_TONE;
    // Noise alone sounds on voice 9, at the PVI's pitch too.
    return enable ? snd_voice_note(enable == 0x08 ? 9 : 0, pitch_register()) : NOTE_REST;
}

int tone_hz_music_main_note(u8* pen) {
    *pen = MUSIC_PEN_TONE;
    switch (pong_tone_hz) {
    case 0:
        return NOTE_REST;
    case 488:
    case 976:
    case 1950:
    case 1952:
    case 1800:
    case 2350:
        // The chips' steady tones (B4, B5, B6, A6, D7), by voice 0's note.
        return snd_voice_note(0, static_cast<u16>(pong_tone_hz));
    default:
        return -1; // a sweep between notes: the last one stays
    }
}
