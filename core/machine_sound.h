// The sound's row of a machine (see core/machine_ops.h): its own voices beyond
// its PVIs' and how it turns pitch values into Hz.
#pragma once

#include "core/machine_ops.h"

// What the musical keyboard plays and shows on a machine. Notes are indexes
// of note_table (0 A0 .. 99 C9); NOTE_REST (100) is none.
struct MusicKeyboard {
    // Plays pitch code `code` for mouse channel 0 or 1 in the sound
    // registers; code 0 releases the channel. False when the machine cannot
    // play that code. nullptr: clicks sound nothing.
    bool (*play)(int channel, u8 code) = nullptr;
    // Whether key `note` can sound. nullptr: every key with a pitch code.
    bool (*playable)(int note) = nullptr;
    // The main voice's note and its pen; -1 keeps the note shown last.
    int (*main_note)(u8* pen) = nullptr;
    // The extra voices' notes (the PSGs' six channels, the tone units' four
    // shown notes) into notes[]: how many staves they take, 0 none.
    int (*extra_notes)(u8* notes) = nullptr;
};

struct MachineSound {
    // The machine's own sound voices in a voice update, after its PVIs'.
    // nullptr: none beyond the PVIs' and the beeps.
    void (*sound_voices)() = nullptr;
    // Voice 0's frequency in Hz at pitch value p. nullptr: a PVI's divider
    // (the retune table's note with "retune" on).
    float (*tone_frequency)(u16 p) = nullptr;
    // Voice 0's volume while a PVI plays its tone. nullptr: 15.
    u8 (*tone_volume)() = nullptr;
    // Voice 1-15's frequency in Hz at pitch value p, below 0 for the
    // framework's. nullptr: the framework's.
    float (*voice_frequency)(int voice, u16 p) = nullptr;
    // Whether the noise-burst latch starts from bit 4 of the sound register
    // at $1E80 after a reset or a state load. nullptr: it starts clear.
    bool (*noise_latch_follows)() = nullptr;
    // The musical keyboard. nullptr: it shows nothing of the machine.
    const MusicKeyboard* music = nullptr;
};

// The sound's row of machine `m`, and of the current machine.
inline const MachineSound& machine_sound(u32 m) {
    return *machine_entry(m).sound;
}
inline const MachineSound& machine_sound() {
    return machine_sound(machine);
}
