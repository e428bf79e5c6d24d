#include "sound/machine_voices.h"

#include "computers/note_pitches.h"
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "sound/effects.h"
#include "sound/sound_latches.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"

namespace {
constexpr int EFFECT_EXPLODE = 0;
constexpr int EFFECT_CLICK = 5;
// Noise burst: bit 4 of $1E80 held this long or less clicks, longer explodes.
constexpr u32 CLICK_CLOCKS = 7499;

// Games-database rows of the programs that play notes in software.
constexpr int GAME_RANDOM_MORSE = 457, GAME_YANKEE_DOODLE = 479, GAME_BACH = 488;
constexpr int GAME_MUSIC_THEME = 616;
constexpr int GAME_BELMACH = 652, GAME_BELMACH0 = 653, GAME_50_THEME = 654, GAME_PIANO = 655;
constexpr int GAME_MUSIC_FRAGMENT = 820;

// The note code $55 (A4) the programs beep with.
constexpr u16 BEEP_NOTE = 0x55;

// Volume of the PVI sound register's bits 7-6 for the noise voice.
constexpr u8 NOISE_LEVELS[4] = {15, 12, 8, 4};
} // namespace

void snd_voices_arcadia() {
    const u8 control = guest_memory[0x18FE];
    const u8 volume = control & 7;
    const u8 pitch = guest_memory[0x18FD] & 127;
    if (control & 0x08) snd_set_voice(0, volume, pitch);
    if (control & 0x10) snd_set_voice(9, volume, pitch);
}

void snd_voices_pvi_console() {
    const u8 reg = guest_memory[0x1E80];
    SoundEffectLatch& latch = snd_effect_latch;
    if (latch.triggered && !(reg & 0x10)) {
        latch.triggered = 0;
        if (cpu_cycles - latch.set_cycle <= CLICK_CLOCKS) {
            snd_voice_stop(SND_FIRST_EFFECT + EFFECT_EXPLODE);
            snd_play_effect(EFFECT_CLICK);
        } else {
            snd_play_effect(EFFECT_EXPLODE);
        }
    }
    if (!latch.triggered && (reg & 0x10)) {
        latch.triggered = 1;
        latch.set_cycle = cpu_cycles;
    }
    const u32 base = static_cast<u32>(machine_desc().first_pvi_base);
    const u8 pitch = guest_memory[(base + 0xC7) & (GUEST_MEMORY_SIZE - 1)];
    if ((reg & 0x08) && pitch) snd_set_voice(9, NOISE_LEVELS[reg >> 6], pitch);
}

void snd_voices_pipbug() {
    if (known_game_id == GAME_YANKEE_DOODLE || known_game_id == GAME_BACH) {
        if (cpu_iar == 0x04A5) {
            const u8 code = cpu_regs[0];
            snd_set_voice(0, note_code_frequency(code) != 0.0 ? 7 : 0, code);
        } else {
            snd_keep_voice(0);
        }
    } else if (known_game_id == GAME_RANDOM_MORSE && cpu_iar == 0x049B) {
        snd_set_voice(0, 7, BEEP_NOTE);
    }
}

void snd_voices_instructor() {
    if (known_game_id != GAME_MUSIC_THEME) return;
    if (cpu_iar == 0x001F)
        snd_set_voice(0, 7, static_cast<u16>(cpu_regs[3] + 1));
    else
        snd_keep_voice(0);
}

void snd_voices_speaker() {
    if (speaker_latch) snd_set_voice(0, 7, BEEP_NOTE);
}

void snd_voices_phunsy() {
    switch (known_game_id) {
    case GAME_PIANO:
        if (cpu_iar == 0x1816) {
            const u16 pitch = static_cast<u16>(cpu_regs[3] + 1);
            snd_set_voice(0, phunsy_tone_pitch(pitch) != 0.0f ? 7 : 0, pitch);
        }
        break;
    case GAME_50_THEME:
        snd_set_voice(0, 7, static_cast<u16>(cpu_regs[3] + 1));
        break;
    case GAME_BELMACH:
    case GAME_BELMACH0:
        if ((cpu_regs[0] & 0x3E) != 0x3E) snd_set_voice(0, 7, cpu_regs[0] & 63);
        break;
    default:
        break;
    }
}

void snd_voices_tone_hz() {
    if (pong_tone_hz) snd_set_voice(0, 7, static_cast<u16>(pong_tone_hz & 0xFFFF));
}

void snd_voices_mikit() {
    if (known_game_id != GAME_MUSIC_FRAGMENT) return;
    if (cpu_iar >= 0x0528 && cpu_iar <= 0x0560)
        snd_set_voice(0, 7, cpu_regs[3]);
    else
        snd_keep_voice(0);
}

float snd_tone_note_code(u16 p) {
    return static_cast<float>(note_code_frequency(p));
}

float snd_tone_instructor(u16 p) {
    return snd_tone_reference * 1.5f / static_cast<float>(p);
}

float snd_tone_phunsy(u16 p) {
    if (known_game_id == GAME_PIANO) return phunsy_tone_pitch(p);
    if (known_game_id == GAME_50_THEME) return snd_tone_reference / static_cast<float>(p);
    return phunsy_tone_pitch_half(p);
}

float snd_tone_hz(u16) {
    return static_cast<float>(pong_tone_hz);
}

float snd_tone_mikit(u16 p) {
    return retune ? mikit_note_pitch(p & 255) : static_cast<float>(p);
}
