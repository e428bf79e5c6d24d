#include "sound/sound_output.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "core/session.h"
#include "platform/audio.h"
#include "sound/effects.h"
#include "sound/voice_update.h"

#include <algorithm>
#include <cmath>
#include <string>

u8 snd_voice_active[SND_VOICES];
i32 snd_voice_channel[SND_VOICES] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                     -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
// The tone voices and the motor noises (spin, grind, punch) loop.
const u8 snd_voice_loops[SND_VOICES] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                        1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 1};
// Voice v plays on host channel v.
static_assert(AUDIO_CHANNELS == SND_VOICES, "a host channel for every voice");

// NTSC colour clock: the host has no display standard of its own.
float snd_audio_clock = 3579545.0f;
const u8 snd_volume_table[16] = {0, 4, 8, 13, 17, 21, 25, 29, 35, 39, 41, 47, 51, 57, 60, 64};
const u8 snd_volume_table8[8] = {0, 9, 18, 27, 37, 46, 55, 64};

u32 snd_voice_request[SND_TONE_VOICES];
u8 snd_voice_volume[SND_TONE_VOICES];
float snd_voice_frequency[SND_TONE_VOICES];

SoundRecordHooks snd_record_hooks;

static bool device_open = false;
static bool device_running = false; // opened, and not paused since
bool snd_host_output = true;
static bool silence_reported = false;

void snd_setup_audio() {
    snd_audio_clock = 3579545.0f;
}

void snd_output_reset() {
    snd_host_output = true;
    for (int v = 0; v < SND_VOICES; v++) {
        snd_voice_active[v] = 0;
        snd_voice_channel[v] = -1;
    }
    for (int v = 0; v < SND_TONE_VOICES; v++) {
        snd_voice_request[v] = 0;
        snd_voice_volume[v] = 0;
        snd_voice_frequency[v] = 0.0f;
    }
    audio_mixer_reset();
}

// The voices a machine sounds are its memory map's list; nothing else decides
// which voices are heard live or mixed into a recording.
bool snd_voice_in_mix(int voice) {
    return voice >= 0 && voice < SND_VOICES && memmap_desc().sounds[static_cast<std::size_t>(voice)];
}

namespace {
// The host volume (0-64) of guest volume `volume` at full master volume.
int tone_full_volume(int volume) {
    if (volume <= 0) return 0;
    if (machine_traits().volume_bits == 4) return snd_volume_table[std::min(volume, 15)];
    return snd_volume_table8[std::min(volume, 7)];
}
} // namespace

int snd_tone_host_volume(int volume) {
    return tone_full_volume(volume) * std::clamp(snd_master_volume, 0, 8) / 8;
}

int snd_voice_peak(int voice, int volume) {
    if (voice < 0 || voice >= SND_VOICES) return 0;
    if (voice >= SND_FIRST_EFFECT)
        return snd_effect_table[voice - SND_FIRST_EFFECT].peak * AUDIO_MAX_VOLUME;
    return SND_WAVE_PEAK * tone_full_volume(volume);
}

double snd_mix_gain() {
    return static_cast<double>(SND_VOICE_LEVEL) / (SND_WAVE_PEAK * AUDIO_MAX_VOLUME);
}

signed char snd_file_sample(int sum) {
    const std::int16_t heard = audio_limit(std::llround(sum * snd_mix_gain() * AUDIO_MAX_VOLUME));
    // A 256th up to the limiter's knee; past it, the room the limiter bends
    // the loudest sums into (short of 32767) goes into the levels up to half
    // a level below 127, so that no sample rounds to the file's full scale.
    constexpr double KNEE = AUDIO_LIMIT_KNEE / 256.0, FULL = 32767 / 256.0, TOP = 126.5;
    double level = std::abs(heard) / 256.0;
    if (level > KNEE) level = KNEE + (level - KNEE) * (TOP - KNEE) / (FULL - KNEE);
    const long rounded = std::lround(level);
    return static_cast<signed char>(heard < 0 ? -rounded : rounded);
}

bool snd_voices_recorded() {
    return snd_record_hooks.span || snd_voice_changes_hook;
}

bool snd_voices_followed() {
    return snd_enabled || snd_voices_recorded();
}

bool snd_output_running() {
    return device_running;
}

bool snd_voices_heard() {
    return snd_enabled && snd_master_volume > 0;
}

namespace {
// The host's rate for playing a voice: an effect's own rate, a tone voice's
// waveform at twice its frequency. The channel-per-voice route counts in
// periods of the host clock, 16 bits wide; the mixed route takes a whole
// number of samples per second.
u32 host_play_rate(const SoundSample* sample, float frequency) {
    const float rate =
        sample ? static_cast<float>(sample->rate ? sample->rate : 11025) : 2.0f * frequency;
    u32 play_rate;
    if (snd_output_mode == 1) {
        const float period = std::clamp(snd_audio_clock / rate, 1.0f, 65535.0f);
        play_rate =
            static_cast<u32>(snd_audio_clock / static_cast<float>(static_cast<u16>(period)));
    } else {
        play_rate = rate >= 4.0e9f ? 4000000000u : static_cast<u32>(rate);
    }
    return play_rate ? play_rate : 1;
}

// Voice `voice` starts on its own host channel, heard when the sound is.
void host_play(int voice, int volume, float frequency) {
    if (!snd_voice_in_mix(voice)) return;
    const int ch = voice;
    snd_voice_channel[voice] = ch;
    if (!snd_voices_heard()) return;
    audio_set_gain(static_cast<std::int32_t>(snd_mix_gain() * 65536.0));
    const int master = std::min(snd_master_volume, 8);
    if (voice >= SND_FIRST_EFFECT) {
        const SoundSample& s = snd_effect_table[voice - SND_FIRST_EFFECT];
        audio_channel_play(ch, s.data.data(), static_cast<u32>(s.data.size()),
                           host_play_rate(&s, 0.0f), 8 * master, snd_voice_loops[voice] != 0);
        return;
    }
    const std::vector<std::int8_t>& wave = voice < 9 ? snd_square_buffer : snd_noise_buffer;
    audio_channel_play(ch, wave.data(), static_cast<u32>(wave.size()),
                       host_play_rate(nullptr, frequency), snd_tone_host_volume(volume), true);
}
} // namespace

void snd_voice_play(int voice, int volume, float frequency) {
    if (voice < 0 || voice >= SND_VOICES) return;
    if (!snd_voices_heard() && !snd_voices_recorded()) return;
    const bool effect = voice >= SND_FIRST_EFFECT;
    const SoundSample* sample = effect ? &snd_effect_table[voice - SND_FIRST_EFFECT] : nullptr;
    if (effect && sample->data.empty()) return;

    snd_voice_stop(voice);
    // A tone at no frequency is silence.
    if (!effect &&
        (!(frequency > 0.0f) || (voice < 9 ? snd_square_buffer : snd_noise_buffer).empty()))
        return;

    host_play(voice, volume, frequency);
    snd_voice_active[voice] = 1;
    if (snd_record_hooks.started) snd_record_hooks.started(voice, volume, frequency);

    if (effect) {
        const double r = sample->rate ? sample->rate : 11025;
        snd_effect_table[voice - SND_FIRST_EFFECT].end_frame =
            frame_counter +
            static_cast<u32>(static_cast<double>(sample->data.size()) * frame_clock().rate / r);
    }
}

void snd_voice_stop(int voice) {
    if (voice < 0 || voice >= SND_VOICES) return;
    if (snd_record_hooks.span) snd_record_hooks.span(voice, 1);
    if (!snd_voice_active[voice]) return;
    const int ch = snd_voice_channel[voice];
    if (ch >= 0) audio_channel_stop(ch);
    snd_voice_channel[voice] = -1;
    snd_voice_active[voice] = 0;
    if (snd_record_hooks.span) snd_record_hooks.span(voice, 0);
}

namespace {
void stop_voices() {
    for (int v = 0; v < SND_VOICES; v++)
        snd_voice_stop(v);
}

// The voices of the sound on: the teletype's motor, and every tone voice the
// registers hold, at once (not at the end of the frame), so that what is
// recorded begins where the sound does.
void start_voices() {
    if (teletypesounds && snd_voice_in_mix(SFX_SPIN)) snd_play_effect(SFX_SPIN - SFX_EXPLODE);
    snd_update_voices_at_once();
}
} // namespace

void snd_close(int force) {
    if (!force && !snd_enabled) return;
    if (force && !snd_enabled && snd_voices_recorded()) {
        // Switched off while a recording follows the voices: only the host's
        // channels fall silent; the voices sound on, unheard, as recorded.
        for (int v = 0; v < SND_VOICES; v++)
            if (snd_voice_active[v] && snd_voice_channel[v] >= 0)
                audio_channel_stop(snd_voice_channel[v]);
    } else {
        stop_voices();
    }
    if (device_open) audio_device_pause();
    device_running = false;
}

void snd_open(int restart) {
    if (!snd_enabled || !snd_host_output) {
        // Unheard, the voices a recording follows still begin at once.
        if (snd_voices_recorded() && !emu_paused) start_voices();
        return;
    }
    if (restart) emu_restart_timing();
    // An output already running keeps what it has queued.
    std::string why;
    if (!device_running && audio_device_open(why)) {
        device_open = device_running = true;
        app_acquired.audio_device = true;
    } else if (!device_running && !silence_reported) {
        // The program runs on silent; the voices are still kept.
        con_printf("No sound output (%s): running silent.\n", why.c_str());
        silence_reported = true;
    }
    if (emu_paused) return;
    start_voices();
}

void snd_switched() {
    if (!snd_enabled) {
        snd_close(1);
        return;
    }
    // The voices a recording followed unheard are heard again from here;
    // to the recording they sound on as they were.
    const SoundRecordHooks recording = snd_record_hooks;
    snd_record_hooks = {};
    snd_open(0);
    snd_record_hooks = recording;
}

void snd_restart() {
    if (!snd_voices_followed()) return;
    stop_voices();
    beeper_countdowns[0] = beeper_countdowns[1] = 0;
    if (!emu_paused) start_voices();
}

// A frame stands for the time it is paced at; in turbo (and before the first
// paced frame) for its time at full speed.
void snd_feed_output() {
    if (!snd_enabled || !device_open) return;
    const u32 paced = turbo ? 0 : frame_period_scaled_us;
    audio_queue_frame(paced ? paced : frame_period_us[emu_region & 1]);
}

void snd_release_device() {
    audio_device_shutdown();
    device_open = device_running = false;
}
