// Which keys and staves of the musical keyboard the current machine cannot
// sound: its keys without a pitch code, and the extra voices' staves it lacks.
#pragma once

// Whether key `note` (0 A0 .. 99 C9) can sound on the current machine.
bool music_key_playable(int note);
// The stave boxes 1-6 the current machine's extra voices use (0 none).
int music_extra_staves();
// Greys, through the window's painters, every key and stave the current
// machine does not play.
void music_grey_unplayable_keys();
