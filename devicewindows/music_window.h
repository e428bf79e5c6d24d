// The musical keyboard: a piano of 100 keys (A0 to C9) over seven small grand
// staves. The keys of the notes the guest sounds light up in their voice's
// colour and each voice's note stands on its stave; keys the machine cannot
// play are grey. A click with the left or right button plays the key on the
// guest's sound channel 0 or 1 while the button is held.
#pragma once

#include "core/types.h"

// The two pictures are the window's own (ids beyond the shared table).
constexpr int GID_MUSIC_KEYS = 3001, GID_MUSIC_STAVES = 3002;
constexpr int MUSIC_EXTRA_VOICES = 6;
constexpr int MUSIC_SLOTS = MUSIC_EXTRA_VOICES + 1; // the main voice last

extern u8 music_now_notes[MUSIC_SLOTS];
extern u8 music_shown_notes[MUSIC_SLOTS];

void gui_music_window();
void gui_music_window_input();
void music_window_refresh(int force);
void music_window_reset();
void music_window_register();

// The painters the refresh and the greying use.
void gui_music_fill_key(int note, u8 pen);
void gui_music_mark_unplayable(int note);
void gui_music_grey_stave(int box);
void gui_music_clear_note(int box, int note);
void gui_music_draw_note(int box, int note, u8 pen);

// The two pictures' sizes; their pixels are the display's extra pens, with
// MUSIC_BACKGROUND outside the keys and staves.
constexpr int MUSIC_KEYS_W = 592, MUSIC_KEYS_H = 38, MUSIC_STAVES_W = 284, MUSIC_STAVES_H = 170;
constexpr u8 MUSIC_BACKGROUND = 18;
