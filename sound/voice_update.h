// The voice update: the current machine's sound registers reduced to sixteen
// tone voices (a volume and a pitch each), turned into frequencies and left as
// requests for the end of frame (sound/sound_output.h). It runs whenever the
// sound can have changed: a sound-register write, a board's sound latch, a
// beep ending, a known game reaching a known address.
//
// Also the musical tables: the 100 notes from A0 to C9 (and "rest"), and for
// each divider value of a PVI or UVI the note it sounds in either region.
#pragma once

#include "core/types.h"

#include <cstdint>

extern u8 snd_cur_volume[16];
extern u16 snd_cur_pitch[16];
extern u8 snd_last_volume[16];
extern u16 snd_last_pitch[16];

// The divider clock of the PVI and UVI tones (Hz); kept by the speed code.
extern float snd_tone_reference;
// Chooses the tone reference from the region and the speed setting.
void snd_choose_tone_reference();

// Frames left of the short (0) and the long (1) beep; counted down at the end
// of frame, which updates the voices when one reaches 0.
extern i32 beeper_countdowns[2];
// long_beep 0: 5 frames on voice 1; else 120 frames on voice 2.
void snd_start_beep(int long_beep);

// Sound latches the boards keep: the computers' speaker, the tone units of
// Laser Battle and Lazarian (bits 0-12 bass tones 1-13, bits 13-24 treble
// tones 2-13), Galaxia's two tones and its sound latch, the ball-and-paddle
// and Type-right tone in Hz.
extern u8 speaker_latch;
extern u32 tone_unit_word;
extern u8 galaxia_tone_a;
extern u32 galaxia_tone_b;
extern u8 galaxia_sound_latch;
extern u32 pong_tone_hz;

// Run by every voice update after the new values are set and before they
// become the last ones (the music recorders; null while none runs).
extern void (*snd_voice_changes_hook)();

// The current machine has a PVI (its volumes have 16 levels).
bool snd_machine_has_pvi();

// force 1: every sounding voice is requested again even if unchanged.
void snd_update_voices(int force);
// Every voice follows the registers now, not at the end of the frame.
void snd_update_voices_at_once();
// The frequency in Hz of tone voice `voice` at pitch value `p` on the current machine.
float snd_voice_pitch_frequency(int voice, u16 p);
// Every voice's current and last values, the requests and the beeps cleared.
void snd_voice_update_reset();
// The end of a frame: this frame's voice requests reach the output, which is
// fed, and the beeps count down.
void snd_frame_ended();

// For the machines' own voices during an update: sets voice `voice`'s volume
// and pitch, or keeps the values of the previous update.
void snd_set_voice(int voice, u8 volume, u16 pitch);
void snd_keep_voice(int voice);
// Silences a voice that keeps its previous values (a machine's reset), so
// that the next update does not bring its last note back.
void snd_silence_voice(int voice);
// Voice 0 of a PVI or UVI at divider value p: the retune table's note with
// "retune" on, else the tone clock divided by p + 1.
float snd_pvi_frequency(u16 p);
// The volume of a PVI console's tone from its sound register at $1E80
// (bit 2 on, bits 7-6 the level).
u8 snd_pvi_tone_volume(u8 reg);

struct NoteInfo {
    char name[5];    // "A0", "A#0" ... "C9"; "rest"
    float frequency; // Hz
    u16 outline[4];  // key outline on the musical-keyboard picture (drawn there)
    u8 kind;         // 8 white key, 9 black key
    u8 code_60;      // pitch code that sounds the note on a PVI/UVI, 0 none
    u8 code_50;
    u8 staff; // vertical place on the staff
    u8 sharp; // 1 for black keys
    u8 pressed;
};
constexpr int NOTES = 100;
constexpr int NOTE_REST = 100;
extern NoteInfo note_table[NOTES + 1];

struct RetuneRow {
    float frequency; // Hz, 0 in row 0
    char name[5];    // capitals in the first row of a note's run, else lower case
    u8 note;         // note_table index, NOTE_REST in row 0
};
extern RetuneRow retune_table_60[256];
extern RetuneRow retune_table_50[256];

// Divider of each Laser Battle / Lazarian tone number 1-13.
extern const float tone_unit_dividers[14];

// The amplitude of each guest volume, for sample levels and note velocities:
// the i16 amplitude, then the high and the low sample byte (128 +- A >> 8).
struct SoundLevel {
    std::int16_t amplitude;
    u8 high, low;
};
extern SoundLevel snd_levels_8[8];   // volumes 0-7
extern SoundLevel snd_levels_16[16]; // volumes 0-15

// Builds note_table and both retune tables in their initial content.
void snd_build_note_tables();
