// Playing the guest's sound from the musical keyboard: the key under the
// pointer, and its pitch code written into the machine's sound registers on
// mouse channel 0 (left button) or 1 (right button).
#pragma once

#include "core/types.h"

// The note each channel holds: 0-99, -1 after a press on no key, -2 none.
extern i32 music_note_slot[2];

// The key at (x, y) of the keyboard picture (drawn at twice the outlines'
// scale), or -1 between and outside the keys.
int music_note_at(int x, int y);
// Starts or moves channel `channel`'s note to the key at (x, y).
void music_key_press(int channel, int x, int y);
// Silences channel `channel`'s note.
void music_key_release(int channel);
// Both channels back to holding nothing, silencing what they hold.
void music_release_all();
