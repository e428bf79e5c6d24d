// The pitch tables of the monitor-ROM computers: what a note code, tone
// number or note value that a program plays through its speaker sounds in Hz.
// The voice update turns voice 0 of these machines into a frequency with them.
#pragma once

#include "core/types.h"

// A note code of the PIPBUG, CD2650 and Selbstbaucomputer music programs:
// $30-$7B, high nibble the octave (3-7), low nibble the semitone from E
// (0-11). Low nibbles 12-15 and codes outside the range give 0.
double note_code_frequency(u32 code);

// PHUNSY tone numbers 1-13: the semitones from C4 up to C5; 0 for any other n.
float phunsy_tone_pitch(u32 n);
// Half of entry n (0-63) of the chromatic scale that starts at A#2 (116.54 Hz);
// 0 for any other n.
float phunsy_tone_pitch_half(u32 n);

// The MIKIT music program stores the notes C3 to C4 of the major scale as
// rounded whole frequencies (C4 as 255, the largest byte): such a value gives
// the exact frequency, any other value comes back unchanged.
float mikit_note_pitch(u32 value);
