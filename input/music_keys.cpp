#include "input/music_keys.h"

#include "core/machine_sound.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "sound/voice_update.h"

i32 music_note_slot[2] = {-2, -2};

namespace {

// A band of the picture's keys, in outline units offset by 6.
bool within(int p, u16 from, u16 to) {
    return p >= from - 6 && p <= to - 6;
}

} // namespace

int music_note_at(int x, int y) {
    const int px = x / 2, py = y / 2;
    for (int k = 0; k < NOTES; k++) {
        const NoteInfo& n = note_table[k];
        if (py >= 2 && py <= 10 && within(px, n.outline[0], n.outline[1])) return k;
        if (n.kind == 8 && py >= 11 && py <= 17 && within(px, n.outline[2], n.outline[3])) return k;
    }
    return -1;
}

void music_key_press(int channel, int x, int y) {
    if (rec_state == REC_PLAYBACK || channel < 0 || channel > 1) return;
    const int k = music_note_at(x, y);
    if (k < 0) {
        music_note_slot[channel] = -1;
        return;
    }
    const u8 code = emu_region ? note_table[k].code_50 : note_table[k].code_60;
    const MusicKeyboard* music = machine_sound().music;
    if (!code || !music || !music->play) return;
    if (!music->play(channel, code)) return;
    music_note_slot[channel] = k;
    snd_update_voices(0);
}

void music_key_release(int channel) {
    if (channel < 0 || channel > 1 || music_note_slot[channel] == -2) return;
    // The button held since a press silences its channel, also when the
    // pointer was dragged off the keys (its note still sounds); never over a
    // recording being played back.
    const MusicKeyboard* music = machine_sound().music;
    if (rec_state != REC_PLAYBACK && music && music->play) {
        music->play(channel, 0);
        snd_update_voices(0);
    }
    music_note_slot[channel] = -2;
}

void music_release_all() {
    music_key_release(0);
    music_key_release(1);
}
