// The note nearest to a frequency: the key a music recording writes for a
// voice, and the note the texts and the musical keyboard name. Every view
// names a voice's note by snd_voice_note, from the frequency the voice
// sounds, never by a table of its own: what it shows is what the MIDI and
// SMUS files write and the sound plays.
#pragma once

#include "core/types.h"

// The MIDI key (0-127, 69 = A4 at 440 Hz, equal temperament) nearest to
// `frequency` Hz: the boundary between two neighbours is the mid-point of
// their frequencies. Below the first mid-point is key 0; above the last, and
// an infinite or not-a-number frequency, key 127.
int snd_key_for_frequency(double frequency);

// Index into note_table (0 = A0 ... 99 = C9) of the note nearest to
// `frequency` Hz, by the same rule: below the first mid-point is note 0,
// above the last 99.
int snd_note_for_frequency(double frequency);

// The note (note_table index) tone voice `voice` sounds at pitch value `p` on
// the current machine in the current region and settings: the note of
// snd_voice_pitch_frequency; NOTE_REST for pitch 0 and for no frequency.
int snd_voice_note(int voice, u16 p);
