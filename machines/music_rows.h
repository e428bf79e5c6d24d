// The musical keyboard's rows of the machines that share them: what a click
// writes into a PVI's sound registers, and which note each voice sounds.
#pragma once

#include "core/machine_sound.h"

// Pens of the voices: tone and noise, noise alone, tone alone.
constexpr u8 MUSIC_PEN_BOTH = 15, MUSIC_PEN_NOISE = 10, MUSIC_PEN_TONE = 12;

// A PVI board whose only voice is the PVI's tone (the basic Elektor, the
// coin-op boards): a click sets the first PVI's pitch register.
bool pvi_music_play(int channel, u8 code);
int pvi_music_main_note(u8* pen);
// The Interton and the expanded Elektor: the clicks also switch the tone
// (channel 0) and the noise (channel 1) on in the console's sound register.
bool pvi_console_music_play(int channel, u8 code);
int pvi_console_music_main_note(u8* pen);

// The ball-and-paddle chips and the Type-right: their few tones by frequency.
int tone_hz_music_main_note(u8* pen);
