// The Adjust Sound dialog: the master volume, the sample rate of sound
// recordings and the speech settings, edited as working copies that OK (or
// the close gadget) writes back and Cancel or Esc drops. The speech settings
// are kept and edited; nothing speaks them, so the rows only a synthesiser
// would use stay disabled. A dialog (gui/dialogs.h): modal unless a command
// of the port opened it.
#pragma once

#include "core/types.h"

enum SoundGadget : int {
    GID_SOUND_RESET = 220,
    GID_SOUND_OK = 318,
    GID_SOUND_CANCEL = 319,
    GID_SOUND_SPEECH = 321,
    GID_SOUND_FIELD = 322, // 322..329, one per speech row
    GID_SOUND_SEX = 330,
    GID_SOUND_INTONATION = 331,
    GID_SOUND_SAMPLE_RATE = 332,
    GID_SOUND_RATE_SLIDER = 333,
    GID_SOUND_PITCH_SLIDER = 334,
    GID_SOUND_VOLUME = 335,
    GID_SOUND_UNVOICED_SLIDER = 336, // ..341 the other six rows
    GID_SOUND_VOWEL = 342,
};

struct SoundDialogValues {
    int volume = 8;
    int rate = 200;
    int pitch = 110;
    int unvoiced = 0;
    int voiced = 0;
    int enunciation = 100;
    int accent = 0;
    int accent_vowel = 0;
    int enthusiasm = 32;
    int quavering = 0;
    int speech = 0;
    int sex = 0;         // 0 Male, 1 Female
    int intonation = 0;  // 0 Natural, 1 Robotic
    int sample_rate = 0; // 0 11025 Hz, 1 22050 Hz
    bool operator==(const SoundDialogValues&) const = default;
};

// Whether a synthesiser uses the extended speech rows (none does: they stay
// disabled, their values still shown, reset and kept).
extern u8 speech_extended_available;
// The dialog's window while it is open, 0 otherwise; its working copies.
extern int sound_window;
extern SoundDialogValues sound_values;

void gui_adjust_sound_window();
// Every working copy to its default, shown in its gadget.
void gui_sound_reset_defaults();
// The extended rows' and the reset button's enabled state.
void gui_sound_update_enabled();
