// The machines' own sound voices: what each machine adds in the voice update
// beyond its PVIs, and how it turns voice 0's pitch value into Hz. The
// machines' operations rows name these (sound_voices, tone_frequency).
#pragma once

#include "core/types.h"

// Voices of one update, after the PVIs' voices and before the beeps.
void snd_voices_arcadia();     // the UVI's tone and noise
void snd_voices_pvi_console(); // the Interton/expanded Elektor noise burst and noise voice
void snd_voices_pipbug();      // the music and Morse programs
void snd_voices_instructor();  // "Music Theme"
void snd_voices_speaker();     // CD2650 and Selbstbaucomputer speaker latch
void snd_voices_phunsy();      // "PIANO", "50-THEME" and the bell programs
void snd_voices_tone_hz();     // ball-and-paddle and Type-right tone
void snd_voices_mikit();       // "Music Fragment"

// Voice 0's frequency in Hz at pitch value p.
float snd_tone_note_code(u16 p); // PIPBUG, CD2650, Selbstbaucomputer
float snd_tone_instructor(u16 p);
float snd_tone_phunsy(u16 p);
float snd_tone_hz(u16 p); // ball-and-paddle and Type-right
float snd_tone_mikit(u16 p);
