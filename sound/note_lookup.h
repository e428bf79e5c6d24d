// The note nearest to a frequency, for texts that name the note a register
// sounds and for the musical keyboard.
#pragma once

// Index into note_table (0 = A0 ... 99 = C9) of the note nearest to
// `frequency` Hz: the boundary between two neighbours is the mid-point of
// their frequencies; below the first mid-point is note 0, above the last 99.
int snd_note_for_frequency(double frequency);
