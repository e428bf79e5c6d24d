// The recorders: still pictures of the guest frame, and everything generated
// alongside an input recording (animations, sound, music, sound-chip logs).
//
// All generated outputs hang on the input-recording state (core/recording.h):
// rec_start(KIND_COR) starts a recording and rec_start_generating opens every
// output whose "generate..." setting is on; the per-frame step
// (display_recording_hooks, at the end of every frame) feeds the animations
// and logs once per emulated frame; rec_stop_all closes them all. Every output is written under a
// temporary name and renamed into place when it is complete.
//
//   rec_save_picture(KIND_PNG, 1, 0, 0);   // "Save screenshot as PNG..."
//   rec_start(KIND_COR);                   // "Start recording..."
//   rec_stop_all();                        // stop, close every output
#pragma once

#include "core/recording.h"
#include "core/types.h"

#include <string>
#include <vector>

struct FileInUse;

// The picture file name: the name the scripting port's SAVE commands give.
// Empty: named after the loaded file.
extern char rec_picture_name[FILE_NAME_SIZE];

// kind KIND_COS: save a state; KIND_COR: start an input recording (playing
// back: go on recording from the played part). Refused mid-frame.
void rec_start(int kind);
// Stops playback or recording and closes every generated output.
void rec_stop_all();
// Plays the loaded recording again from its start.
void rec_restart_playback();
// Opens every enabled output (does nothing while they are open).
void rec_start_generating();
// True between rec_start_generating and rec_stop_all (test support).
bool rec_generating();
// The host paths of the files the recorders are writing and rec_stop_all
// finishes: the input recording, then every generated output; empty when
// none runs.
std::vector<std::string> rec_running_files();
// The same as files in use (core/files_in_use.h): no other writer replaces
// them, the outputs not written yet included.
void rec_files_in_use(std::vector<FileInUse>* out);
// Why the last Save state, Start recording or picture asked for did nothing
// (the recording being played could not be recorded over, a file could not
// be written; not a cancelled requester), or what of a stopped recording was
// not written: the file and the reason, forgotten once taken; "" when there
// was nothing.
std::string rec_take_refusal();

// kind 0 ILBM, 1 ACBM, 2 BMP, 3 PCX, 4 GIF, 5 TIFF, 6 PNG; 10 ANIM, 21 MNG
// (with animation: 4 GIF, 6 APNG). ask: the save requester picks the name;
// to_clipboard: the picture goes to the clipboard as ILBM instead. With
// animation the file stays open as that animation. False when nothing was
// written (cancelled, failed, or an unknown kind).
bool rec_save_picture(int kind, int ask, int to_clipboard, int animation);

// The per-frame writers of the open animations and sound-chip logs.
void rec_png_frame();
void rec_anim_frame();
void rec_gif_frame();
void rec_mng_frame();
void psg_log_frame();
void ym_write_frame();

// The host path of a recorder's file name: a bare file name lies in
// `drawer`; names with a drawer or volume are taken as they are.
std::string rec_host_path(const char* name, const char* drawer);
// A generated output's host path: the current file name with the kind's
// extension, `infix` before it ("-1").
std::string rec_generated_path(int kind, const char* infix);
// The host paths of the outputs a recording named `recording` generates with
// the settings as they are (`psg`: on a memory map with sound chips, their
// logs too), in the order rec_start_generating opens them.
std::vector<std::string> rec_generated_files(const char* recording, bool psg);
// Before a recording's outputs are generated: "" when each may be written;
// otherwise why not, and nothing is written. An output that is a file the
// program has in use is refused (with a warning when someone is there to
// read it); one that exists is asked about, and refused where nobody can be
// asked.
std::string rec_outputs_refusal(const char* recording, bool psg);
// Writes a complete file under a temporary name and renames it; a failure
// warns (naming the file) and leaves no half-written file. True when written.
bool rec_write_file(const std::string& host_path, const void* data, std::size_t size);

// Closes everything without writing and forgets every output (tests, start-up).
void recorders_reset();

// ---- sound (record/rec_sound.cpp) ----------------------------------------------
void snd_rec_start();
void snd_rec_stop();
// Closes and removes the voice files without mixing them.
void snd_rec_reset();
// True while the voice files are open (test support).
bool snd_rec_running();
// Adds the sound files that snd_rec_stop will write (none when not running).
void snd_rec_files(std::vector<std::string>* out);
// A looped playback sets the guest clock back: before the restart every voice
// is written up to it and the voices stop taking spans; after it they go on
// from the new clock (the noise from its start), so that the sound runs on
// through every pass.
void snd_rec_clock_hold();
void snd_rec_clock_resume();
// The voice's waveform buffer for frequency f: square (voices 0-8) and noise (9-15).
void snd_fill_channel_buffer(int v, int volume, float f);
void snd_fill_channel_buffer_b(int v, int volume, float f);
// The samples of voice v since its last write; silence 1 writes silence
// unless the voice sounds.
void snd_record_channel(int v, int silence);
// The high and low sample of tone voice v's waveform at guest volume `volume`
// (128 +- 127 at the top of the host volume).
void snd_set_levels(int v, int volume);
// Mixes `voices` unsigned 8-bit voice streams of `n` samples into signed
// samples: each sum as it is heard live, at the live mix's gain and through
// its limiter (snd_file_sample), the same for every take.
void snd_mix(const u8* const* voices, int count, u32 n, signed char* out);
// The three sound file headers for N samples at rate R.
std::string snd_wav_header(u32 n, u32 rate);
std::string snd_8svx_header(u32 n, u32 rate);
std::string snd_aiff_header(u32 n, u32 rate);

// ---- music (record/rec_music.cpp) ----------------------------------------------
void midi_start();
void midi_stop();
void smus_start();
void smus_stop();
void psg_logs_start();
void psg_logs_stop();
// Every music output closed and removed without writing it.
void music_reset();
// Adds the files the open music outputs and sound-chip logs will be.
void music_files(std::vector<std::string>* out);
// The voice changes of one voice update (hooked into the voice update).
void music_voice_changes();
// The music's side of snd_rec_clock_hold and _resume: the notes sounding end
// with the pass, and the tracks count their frames on across the restart of
// the frame counter.
void music_clock_hold();
void music_clock_resume();
void rec_log_psg_changes();
void rec_log_psg_frame();
// A MIDI variable-length quantity into `buffer`: its length 1-4, or 0 (and
// nothing written) above $0FFFFFFF.
int midi_put_varlen(u32 value, u8* buffer);
// The SMUS note-length code of the longest note that fits into *d (1/128
// whole notes), which it subtracts.
u8 music_next_duration_code(u32* d);
