// The note nearest to a frequency: the key a music recording writes for a
// voice, and the note the texts and the musical keyboard name.
#pragma once

// The MIDI key (0-127, 69 = A4 at 440 Hz, equal temperament) nearest to
// `frequency` Hz: the boundary between two neighbours is the mid-point of
// their frequencies. Below the first mid-point is key 0; above the last, and
// an infinite or not-a-number frequency, key 127.
int snd_key_for_frequency(double frequency);

// Index into note_table (0 = A0 ... 99 = C9) of the note nearest to
// `frequency` Hz, by the same rule: below the first mid-point is note 0,
// above the last 99.
int snd_note_for_frequency(double frequency);
