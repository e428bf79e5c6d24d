#include "sound/voice_update.h"

#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "sound/effects.h"
#include "sound/sound_latches.h"
#include "sound/sound_output.h"

u8 snd_cur_volume[16];
u16 snd_cur_pitch[16];
void (*snd_voice_changes_hook)() = nullptr;
u8 snd_last_volume[16];
u16 snd_last_pitch[16];
float snd_tone_reference = 7812.5f;
i32 beeper_countdowns[2];

u8 speaker_latch;
u32 tone_unit_word;
u8 galaxia_tone_a;
u32 galaxia_tone_b;
u8 galaxia_sound_latch;
u32 pong_tone_hz;

namespace {
constexpr int GAME_KABOOM_OLD = 141, GAME_KABOOM_NEW = 142;
constexpr int EFFECT_CLICK = 5;

// Volume of the PVI sound register's bits 7-6 for the tone.
constexpr u8 TONE_LEVELS[4] = {15, 12, 6, 4};

int pvi_count() {
    return machine_live_row().pvi_count;
}

bool has_pvi() {
    return pvi_count() > 0 && machine_desc().first_pvi_base != 0;
}

void pvi_voices() {
    const u32 base = static_cast<u32>(machine_desc().first_pvi_base);
    const u8 pitch = guest_memory[(base + 0xC7) & (GUEST_MEMORY_SIZE - 1)];
    if ((known_game_id == GAME_KABOOM_OLD || known_game_id == GAME_KABOOM_NEW) && pitch == 0)
        snd_play_effect(EFFECT_CLICK);
    else
        snd_cur_pitch[0] = pitch;

    const auto volume = machine_sound().tone_volume;
    snd_cur_volume[0] = volume ? volume() : 15;

    if (pvi_count() >= 2)
        snd_set_voice(1, 15, guest_memory[(base + 0x1C7) & (GUEST_MEMORY_SIZE - 1)]);
    if (pvi_count() >= 3)
        snd_set_voice(2, 15, guest_memory[(base + 0x2C7) & (GUEST_MEMORY_SIZE - 1)]);
}
} // namespace

u8 snd_pvi_tone_volume(u8 reg) {
    return (reg & 0x04) ? TONE_LEVELS[reg >> 6] : 0;
}

bool snd_machine_has_pvi() {
    return has_pvi();
}

void snd_set_voice(int voice, u8 volume, u16 pitch) {
    snd_cur_volume[voice] = volume;
    snd_cur_pitch[voice] = pitch;
}

void snd_keep_voice(int voice) {
    snd_set_voice(voice, snd_last_volume[voice], snd_last_pitch[voice]);
}

void snd_silence_voice(int voice) {
    snd_set_voice(voice, 0, 0);
    snd_last_volume[voice] = 0;
    snd_last_pitch[voice] = 0;
}

float snd_pvi_frequency(u16 p) {
    const RetuneRow* table = (emu_region & 1) ? retune_table_50 : retune_table_60;
    if (retune) return table[p & 255].frequency;
    return snd_tone_reference / (static_cast<float>(p) + 1.0f);
}

float snd_voice_pitch_frequency(int voice, u16 p) {
    const float k = snd_tone_reference;
    const float psg_clock = 110837.0f;
    if (const auto own = machine_sound().voice_frequency; own && voice > 0) {
        const float f = own(voice, p);
        if (f >= 0.0f) return f;
    }
    switch (voice) {
    case 0:
        if (const auto tone = machine_sound().tone_frequency) return tone(p);
        return snd_pvi_frequency(p);
    case 1:
    case 2:
        if (!has_pvi()) return voice == 1 ? 800.0f : 2000.0f;
        return snd_pvi_frequency(p);
    case 9:
        return k / (static_cast<float>(p) + 1.0f);
    default:
        return psg_clock / static_cast<float>(p);
    }
}

void snd_update_voices(int force) {
    if (!snd_voices_followed()) return;
    for (int v = 0; v < 16; v++)
        snd_set_voice(v, 0, 0);

    if (has_pvi()) pvi_voices();
    if (const auto own = machine_sound().sound_voices) own();

    if (beeper_countdowns[0] > 0) snd_set_voice(1, 7, 1);
    if (beeper_countdowns[1] > 0) snd_set_voice(2, 7, 1);

    for (int v = 0; v < 16; v++) {
        if (!snd_cur_pitch[v] || !snd_cur_volume[v]) {
            snd_voice_request[v] = snd_voice_request[v] == 1 ? 3 : 2;
        } else if (!force && snd_voice_active[v] && snd_cur_pitch[v] == snd_last_pitch[v] &&
                   snd_cur_volume[v] == snd_last_volume[v]) {
            // unchanged and sounding: no host call
        } else {
            snd_voice_volume[v] = snd_cur_volume[v];
            snd_voice_frequency[v] = snd_voice_pitch_frequency(v, snd_cur_pitch[v]);
            snd_voice_request[v] = 1;
        }
    }
    if (snd_voice_changes_hook) snd_voice_changes_hook();
    for (int v = 0; v < 16; v++) {
        snd_last_volume[v] = snd_cur_volume[v];
        snd_last_pitch[v] = snd_cur_pitch[v];
    }
}

void snd_start_beep(int long_beep) {
    if (long_beep)
        beeper_countdowns[1] = 120;
    else
        beeper_countdowns[0] = 5;
    snd_update_voices(0);
}

void snd_voice_update_reset() {
    for (int v = 0; v < 16; v++) {
        snd_cur_volume[v] = snd_last_volume[v] = 0;
        snd_cur_pitch[v] = snd_last_pitch[v] = 0;
    }
    beeper_countdowns[0] = beeper_countdowns[1] = 0;
    speaker_latch = 0;
    tone_unit_word = 0;
    galaxia_tone_a = 0;
    galaxia_tone_b = 0;
    galaxia_sound_latch = 0;
    pong_tone_hz = 0;
}

void snd_choose_tone_reference() {
    snd_tone_reference = (emu_region & 1) ? 7812.5f : exactspeed ? 7874.0f : 7884.5f;
}

// Voice requests of this frame: 1 start or retune, 3 the same for one frame
// only (stops at the next frame end), 2 stop.
static void serve_voice_requests() {
    for (int v = 0; v < 16; v++) {
        switch (snd_voice_request[v]) {
        case 1:
        case 3:
            snd_voice_play(v, snd_voice_volume[v], snd_voice_frequency[v]);
            snd_voice_request[v] = snd_voice_request[v] == 3 ? 2 : 0;
            break;
        case 2:
            snd_voice_stop(v);
            snd_voice_request[v] = 0;
            break;
        default:
            break;
        }
    }
}

void snd_update_voices_at_once() {
    snd_update_voices(1);
    serve_voice_requests();
}

void snd_frame_ended() {
    serve_voice_requests();
    snd_feed_output();

    bool beeper_done = false;
    for (i32& countdown : beeper_countdowns)
        if (countdown > 0 && --countdown == 0) beeper_done = true;
    if (beeper_done) snd_update_voices(0);
}
