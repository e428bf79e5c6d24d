#include "machines/music_rows.h"

#include "core/emu.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "machines/pvi2636.h"
#include "sound/voice_update.h"

namespace {

constexpr u32 PVI_PITCH = 0xC7, CONSOLE_SOUND = 0x1E80, PSG_ENABLES = 0x1D0E;

u8& pitch_register() {
    return guest_memory[(pvi_base + PVI_PITCH) & GUEST_ADDRESS_MASK];
}

} // namespace

int music_note_of_code(u8 code) {
    return (emu_region ? retune_table_50 : retune_table_60)[code].note;
}

bool pvi_music_play(int channel, u8 code) {
    if (channel == 0) pitch_register() = code;
    return true;
}

int pvi_music_main_note(u8* pen) {
    *pen = MUSIC_PEN_TONE;
    return music_note_of_code(pitch_register());
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
    return enable ? music_note_of_code(pitch_register()) : NOTE_REST;
}

int tone_hz_music_main_note(u8* pen) {
    *pen = MUSIC_PEN_TONE;
    switch (pong_tone_hz) {
    case 0:
        return NOTE_REST;
    case 488:
        return 50; // B4
    case 976:
        return 62; // B5
    case 1950:
    case 1952:
        return 74; // B6
    case 1800:
        return 72; // A6
    case 2350:
        return 77; // D7
    default:
        return -1; // a sweep between notes: the last one stays
    }
}
