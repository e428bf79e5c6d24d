#include "inspect/piano_grey.h"

#include "core/machine_sound.h"
#include "devicewindows/music_window.h"
#include "sound/voice_update.h"

bool music_key_playable(int note) {
    if (note < 0 || note >= NOTES) return false;
    const MusicKeyboard* music = machine_sound().music;
    if (music && music->playable) return music->playable(note);
    return note_table[note].code_60 != 0;
}

int music_extra_staves() {
    const MusicKeyboard* music = machine_sound().music;
    u8 notes[MUSIC_EXTRA_VOICES];
    return music && music->extra_notes ? music->extra_notes(notes) : 0;
}

void music_grey_unplayable_keys() {
    for (int k = 0; k < NOTES; k++)
        if (!music_key_playable(k)) gui_music_mark_unplayable(k);
    for (int box = MUSIC_EXTRA_VOICES; box > music_extra_staves(); box--)
        gui_music_grey_stave(box);
}
