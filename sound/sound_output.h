// Sound output: the 26 voices of the guest's sound (16 tone voices retuned
// from the sound registers, 10 sampled effects), each played on its own host
// channel of the audio layer (platform/audio.h): every voice the machine
// sounds is heard at once, as the sound files mix them.
//
// Voices 0-8 replay the square waveform, 9-15 the noise waveform, each at
// twice the wanted frequency; voice 16 + n is effect n. The voice update
// leaves a request per tone voice; the end of frame acts on it with
// snd_voice_play and snd_voice_stop, and queues the frame's mixed sound for
// the device with snd_feed_output.
#pragma once

#include "core/types.h"

constexpr int SND_VOICES = 26;
constexpr int SND_TONE_VOICES = 16;
constexpr int SND_FIRST_EFFECT = 16;

extern u8 snd_voice_active[SND_VOICES];
// The host channel a sounding voice plays on (its own number), -1: none.
extern i32 snd_voice_channel[SND_VOICES];
extern const u8 snd_voice_loops[SND_VOICES];

// Host clock that periods are counted in (Hz).
extern float snd_audio_clock;
// Host volume (0-64) of a 4-bit and of a 3-bit guest volume.
extern const u8 snd_volume_table[16];
extern const u8 snd_volume_table8[8];

// Requests the voice update leaves for the end of frame, per tone voice:
// 0 none, 1 start or retune, 2 stop, 3 play for this frame and then stop.
extern u32 snd_voice_request[SND_TONE_VOICES];
extern u8 snd_voice_volume[SND_TONE_VOICES];
extern float snd_voice_frequency[SND_TONE_VOICES];

// False in batch runs: the voices are kept but never reach the host audio.
extern bool snd_host_output;

// A sound recording's view of the voices (both null while none runs):
// `started` after a voice starts or retunes, `span` at every voice stop, which
// also begins every start: first with silence 1 while the voice still sounds,
// then with silence 0 once it is marked silent.
struct SoundRecordHooks {
    void (*started)(int voice, int volume, float frequency) = nullptr;
    void (*span)(int voice, int silence) = nullptr;
};
extern SoundRecordHooks snd_record_hooks;

// Whether voice `voice` is one the current machine sounds (its memory map's
// row in the machine table): the one list that the live output, the sound
// files (WAV, 8SVX, AIFF) and the music files (MIDI, SMUS) all go by.
bool snd_voice_in_mix(int voice);

// A sound or music recording listens to the voices.
bool snd_voices_recorded();
// The voices are followed (updated, started and stopped) while the sound is
// on, and while a recording listens to them even with the sound off: what a
// playback generates does not hang on what is heard.
bool snd_voices_followed();
// The voices reach the host's channels: the sound is on and not turned down
// to nothing.
bool snd_voices_heard();

// Once at start-up: the host clock.
void snd_setup_audio();
// Starts the output (when sound is on): the device (one already running
// keeps its queue), the teletype's motor noise, then every current tone voice
// at once. restart != 0 restarts the frame timing first.
void snd_open(int restart);
// A new start of the sound from the guest's registers (a looped playback's
// seam, where a state was loaded again): every voice stops, the beeps end,
// and the voices the registers hold begin at once. The output runs on.
void snd_restart();
// The device's output runs (opened, and not stopped since); test support for
// the modal windows' test.
bool snd_output_running();
// Stops all voices and the device's output. Only while sound is on, unless
// force != 0 (the sound switched off, or its output changed); with the sound
// off, voices a recording follows sound on unheard.
void snd_close(int force);
// After the "sound" setting changed: opens or closes the output. A recording
// goes on through the change as if the sound had stayed on.
void snd_switched();
// Starts voice 0-25, or restarts it at a new pitch, on its own host channel
// (heard while the sound is). A tone voice at no frequency (0 Hz or less)
// stops.
// volume: the guest volume (tone voices); frequency in Hz (tone voices).
void snd_voice_play(int voice, int volume, float frequency);
void snd_voice_stop(int voice);
// The host volume (0-64) of a tone voice with guest volume `volume` on the
// current machine at the current master volume.
int snd_tone_host_volume(int volume);

// The gain rule. A voice adds to the mix its waveform's or sample's values
// times its host volume at full master volume (a tone at the top of its
// scale: 127 x 64).
// Live, the gain is the same on every machine: one tone at the top of its
// scale peaks at SND_VOICE_LEVEL, 7/16 of full scale, so that an ordinary
// game's one or two voices sound as loud on every machine and stay below the
// limiter's knee (platform/audio.h); the rare sum beyond it is bent smoothly
// towards full scale, never clipped.
// A sound file holds the take as it is heard, whatever the take: its 8-bit
// sample is the live mix's (the same gain, the same limiter for the rare
// loud sum) rounded to the nearest of its levels, so that two takes keep
// their loudness side by side and a voice's volume steps stay as far apart
// as live (a tone at the top of its scale at 56 of 128, volume 1 at 4 on
// the machines with 16 steps, 8 on those with 8).
constexpr int SND_VOICE_LEVEL = 14336;
// Voice `voice`'s peak in the mix before the gain: a tone voice's at guest
// volume `volume`, an effect's at its sample's peak (`volume` unused).
int snd_voice_peak(int voice, int volume);
// The live mix's gain.
double snd_mix_gain();
// A sound file's sample of `sum`, the voices added up in the voice files'
// units (a 64th of the live mix's before its gain): the live mix's sample
// rounded to 8 bits, exactly up to the limiter's knee (112 of 128); the
// limiter's room past it is fitted below the file's full scale, never
// reached either way (126 at most): nothing is clipped.
signed char snd_file_sample(int sum);
// Once per frame: queues the frame's own share of the mixed voices.
void snd_feed_output();
// At exit: releases the audio device.
void snd_release_device();
// Every voice silent and every channel free, without touching the device
// (tests and the program's reset).
void snd_output_reset();
