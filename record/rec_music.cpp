// Music recording: a Standard MIDI File and an IFF SMUS score from the voice
// changes (one tick per frame of the frame clock), and the PSG logs and YM6 dumps of the
// expanded Elektor's two sound chips (one record per shown frame).
#include "record/recorder.h"

#include "core/emu.h"
#include "core/filekinds.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine_ops.h"
#include "core/machine_table.h"
#include "core/machine_titles.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "record/rec_formats.h"
#include "record/rec_stream.h"
#include "sound/note_lookup.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace rec_bytes;

namespace {
constexpr int VOICES = 16;

bool fifty_hz() {
    return (emu_region & 1) != 0;
}

// The tracks count frames, and each file says how long a frame lasts by the
// frame clock (core/frame.h): the MIDI file in its tempo, the SMUS score in
// its tempo (a frame is an eighth of a quarter note), the YM file in its
// player rate (whole hertz: the nearest).
double frame_rate() {
    return frame_clock().rate;
}

bool flagged(int v) {
    return snd_voice_in_mix(v);
}

// The frequency voice v sounds at now: what the sound output plays and the
// sound recording writes, 0 while it is silent.
double sounding_frequency(int v) {
    if (!snd_cur_pitch[v] || !snd_cur_volume[v]) return 0.0;
    const double f = snd_voice_pitch_frequency(v, snd_cur_pitch[v]);
    return f > 0.0 ? f : 0.0;
}

u8 key_of(double frequency) {
    return static_cast<u8>(snd_key_for_frequency(frequency));
}

// As loud as the voice sounds: a Note On of velocity 0 would end the note.
u8 velocity(u8 volume) {
    const SoundLevel& l =
        snd_machine_has_pvi() ? snd_levels_16[std::min<u8>(volume, 15)] : snd_levels_8[std::min<u8>(volume, 7)];
    return static_cast<u8>(l.high - 128);
}

bool changed(int v) {
    return snd_cur_pitch[v] != snd_last_pitch[v] || snd_cur_volume[v] != snd_last_volume[v];
}

// ---- MIDI ------------------------------------------------------------------------
struct MidiTrack {
    std::vector<u8> events;
    u32 last_frame = 0;
    bool note_on = false;
    u8 key = 0; // of the note sounding, which its Note Off names
    // Where the sounding note's delta and Note On begin, and the frame that
    // delta counts from.
    std::size_t note_at = 0;
    u32 frame_before = 0;
};
struct {
    bool open = false;
    std::string path;
    MidiTrack tracks[VOICES];
} midi;

void put_varlen(std::vector<u8>& o, u32 value) {
    u8 b[4];
    const int n = midi_put_varlen(value, b);
    o.insert(o.end(), b, b + n);
}

// The note track `v` sounds ends now, with its Note Off. One begun in this
// very frame never sounded (the output takes a frame's last values) and goes.
void end_note(MidiTrack& t, int v) {
    t.note_on = false;
    if (t.last_frame == frame_counter) {
        t.events.resize(t.note_at);
        t.last_frame = t.frame_before;
        return;
    }
    put_varlen(t.events, frame_counter - t.last_frame);
    t.last_frame = frame_counter;
    t.events.insert(t.events.end(), {static_cast<u8>(0x80 + v), t.key, 64});
}

void begin_note(MidiTrack& t, int v, double frequency) {
    t.note_at = t.events.size();
    t.frame_before = t.last_frame;
    put_varlen(t.events, frame_counter - t.last_frame);
    t.last_frame = frame_counter;
    t.key = key_of(frequency);
    t.events.insert(t.events.end(),
                    {static_cast<u8>(0x90 + v), t.key, velocity(snd_cur_volume[v])});
    t.note_on = true;
}

// A voice whose values changed, or that sounds otherwise than its track
// (a looped playback's restart brings back the voices of its state). A voice
// sounds with a pitch, a volume and a frequency: one at volume 0 is silent
// and begins no note.
void midi_changes() {
    for (int v = 0; v < VOICES; v++) {
        MidiTrack& t = midi.tracks[v];
        const double frequency = sounding_frequency(v);
        const bool sounding = frequency > 0.0;
        if (!flagged(v) || (!changed(v) && sounding == t.note_on)) continue;
        if (t.note_on) end_note(t, v);
        if (sounding) begin_note(t, v, frequency);
    }
}

// ---- SMUS ------------------------------------------------------------------------
constexpr u8 SID_REST = 128, SID_DYNAMICS = 132, TIE = 64;
struct SmusTrack {
    std::vector<u8> bytes;
    u32 event_start = 0; // of the event, or when the track was last closed
    u8 sid = SID_REST;
    u8 velocity = 127;
    u8 started = 0;    // 1 only rests so far, 2 a note was written
    bool open = false; // an event runs (its sID written, its length not yet)
    // Where the running event's bytes (with a dynamics mark before its note)
    // begin, and the velocity and started state before them.
    std::size_t event_at = 0;
    u8 velocity_before = 127, started_before = 0;
};
struct {
    bool open = false;
    std::string path;
    SmusTrack tracks[VOICES];
} smus;

// The data byte of the current event and its tied continuations. An event
// begun in this very frame lasted nothing and goes.
void smus_end_event(SmusTrack& t) {
    t.open = false;
    if (t.event_start == frame_counter) {
        t.bytes.resize(t.event_at);
        t.velocity = t.velocity_before;
        t.started = t.started_before;
        return;
    }
    u32 d = (frame_counter - t.event_start) * 4;
    const bool note = t.sid != SID_REST;
    u8 code = music_next_duration_code(&d);
    t.bytes.push_back(static_cast<u8>(code + (d && note ? TIE : 0)));
    while (d) {
        code = music_next_duration_code(&d);
        t.bytes.push_back(t.sid);
        t.bytes.push_back(static_cast<u8>(code + (d && note ? TIE : 0)));
    }
}

// Begins an event of `sid` (its length follows when it ends), a note at
// velocity `vel`.
void smus_begin_event(SmusTrack& t, u8 sid, u8 vel) {
    t.event_at = t.bytes.size();
    t.velocity_before = t.velocity;
    t.started_before = t.started;
    if (sid != SID_REST && vel != t.velocity) {
        t.velocity = vel;
        t.bytes.push_back(SID_DYNAMICS);
        t.bytes.push_back(vel);
    }
    t.sid = sid;
    if (sid != SID_REST)
        t.started = 2;
    else if (!t.started)
        t.started = 1;
    t.bytes.push_back(sid);
    t.event_start = frame_counter;
    t.open = true;
}

void smus_changes() {
    for (int v = 0; v < VOICES; v++) {
        if (!flagged(v)) continue;
        SmusTrack& t = smus.tracks[v];
        // The time since the track was closed (at its start, or at a seam
        // that passed while the voices were not followed, the sound off) is a
        // rest, as the MIDI track's next delta holds it.
        if (!t.open && frame_counter != t.event_start) {
            const u32 closed = t.event_start;
            smus_begin_event(t, SID_REST, 0);
            t.event_start = closed;
        }
        const double frequency = sounding_frequency(v);
        const bool sounding = frequency > 0.0;
        if (t.open && !changed(v) && sounding == (t.sid != SID_REST)) continue;
        if (t.open) smus_end_event(t);
        if (sounding)
            smus_begin_event(t, key_of(frequency), velocity(snd_cur_volume[v]));
        else
            smus_begin_event(t, SID_REST, 0);
    }
}

void hook() {
    snd_voice_changes_hook = (midi.open || smus.open) ? music_voice_changes : nullptr;
}

// ---- PSG logs and YM files -----------------------------------------------------------
constexpr int PSGS = 2;
constexpr u32 PSG_BASE = 0x1D00;
struct {
    RecStream log[PSGS], ym[PSGS];
    u8 remembered[PSGS][16];
    bool whole[PSGS]; // the next record writes every register
    u32 ym_frames[PSGS];
} psg;

// The frame count when a looped playback restarted the frame counter.
u32 held_frame = 0;
bool music_held = false;
} // namespace

void music_clock_hold() {
    // Every pass is whole: the notes sounding end with it, and the next
    // begins as the first did, with the notes of its state and the PSG logs
    // with every register.
    for (bool& w : psg.whole)
        w = true;
    if (!midi.open && !smus.open) return;
    for (int v = 0; v < VOICES; v++) {
        MidiTrack& m = midi.tracks[v];
        if (midi.open && m.note_on) end_note(m, v);
        SmusTrack& s = smus.tracks[v];
        if (smus.open && s.open) {
            smus_end_event(s);
            s.event_start = frame_counter;
        }
    }
    held_frame = frame_counter;
    music_held = true;
    snd_voice_changes_hook = nullptr;
}

void music_clock_resume() {
    if (!music_held) return;
    music_held = false;
    const u32 shift = frame_counter - held_frame; // wraps: the span before stays as it was
    for (MidiTrack& t : midi.tracks)
        t.last_frame += shift;
    for (SmusTrack& t : smus.tracks)
        t.event_start += shift;
    hook();
}

void music_voice_changes() {
    if (midi.open) midi_changes();
    if (smus.open) smus_changes();
}

int midi_put_varlen(u32 value, u8* buffer) {
    if (value > 0x0FFFFFFF) return 0;
    int n = 1;
    while (n < 4 && (value >> (7 * n))) n++;
    for (int i = 0; i < n; i++)
        buffer[i] = static_cast<u8>(((value >> (7 * (n - 1 - i))) & 0x7F) | (i < n - 1 ? 0x80 : 0));
    return n;
}

u8 music_next_duration_code(u32* d) {
    static const struct {
        u32 length;
        u8 code;
    } steps[] = {{128, 0}, {96, 9}, {64, 1}, {48, 10}, {32, 2}, {24, 11}, {16, 3},
                 {12, 12}, {8, 4},  {6, 13}, {4, 5},   {3, 14}, {2, 6},   {1, 7}};
    for (const auto& s : steps)
        if (*d >= s.length) {
            *d -= s.length;
            return s.code;
        }
    return 7;
}

void midi_start() {
    if (midi.open) return;
    midi.path = rec_generated_path(KIND_MIDI, "");
    for (MidiTrack& t : midi.tracks)
        t = MidiTrack{{}, frame_counter, false, 0};
    midi.open = true;
    hook();
}

void midi_stop() {
    if (!midi.open) return;
    midi.open = false;
    hook();
    std::vector<u8> o;
    id(o, "MThd");
    be32(o, 6);
    be16(o, 1);
    be16(o, 0); // tracks: counted below
    const u32 division = fifty_hz() ? 25 : 30; // ticks per quarter note, a tick a frame
    be16(o, division);
    // The tempo, in the first track: a quarter note lasts `division` frames.
    const u32 tempo = static_cast<u32>(std::llround(division * 1000000.0 / frame_rate()));
    std::vector<u8> tempo_event = {0, 0xFF, 0x51, 3};
    for (int shift = 16; shift >= 0; shift -= 8)
        tempo_event.push_back(static_cast<u8>(tempo >> shift));
    u32 tracks = 0;
    // Every track ends where the playback does, as the sound files do: its
    // end lies as many frames after its last event as have passed since.
    const auto put_track = [&](std::vector<u8>& events, u32 last_frame) {
        if (tracks == 0) events.insert(events.begin(), tempo_event.begin(), tempo_event.end());
        put_varlen(events, frame_counter - last_frame);
        events.insert(events.end(), {0xFF, 0x2F, 0x00}); // end of track (after its delta)
        id(o, "MTrk");
        be32(o, static_cast<u32>(events.size()));
        o.insert(o.end(), events.begin(), events.end());
        tracks++;
    };
    for (int v = 0; v < VOICES; v++) {
        MidiTrack& t = midi.tracks[v];
        if (!flagged(v)) continue;
        if (t.note_on) end_note(t, v); // a note still sounding ends with the recording
        if (!t.events.empty()) put_track(t.events, t.last_frame);
    }
    // Without a note the file still has its one track, as readers expect (a
    // track without events counts from the start, as every one did).
    std::vector<u8> none;
    if (tracks == 0) put_track(none, midi.tracks[0].last_frame);
    o[10] = static_cast<u8>(tracks >> 8);
    o[11] = static_cast<u8>(tracks);
    rec_write_file(midi.path, o.data(), o.size());
}

void smus_start() {
    if (smus.open) return;
    smus.path = rec_generated_path(KIND_SMUS, "");
    for (SmusTrack& t : smus.tracks)
        t = SmusTrack{{}, frame_counter};
    smus.open = true;
    hook();
}

void smus_stop() {
    if (!smus.open) return;
    smus.open = false;
    hook();
    std::vector<u8> o;
    id(o, "FORM");
    be32(o, 0);
    id(o, "SMUS");
    id(o, "SHDR");
    be32(o, 4);
    // 128ths of a quarter note a minute: 60 s * rate frames of an eighth each.
    be16(o, static_cast<u32>(std::min(65535L, std::lround(frame_rate() * 960.0))));
    o.push_back(127);
    o.push_back(0); // tracks: counted below
    u32 tracks = 0;
    for (int v = 0; v < VOICES; v++) {
        SmusTrack& t = smus.tracks[v];
        if (!flagged(v)) continue;
        if (t.open) smus_end_event(t);
        if (t.bytes.empty() || t.started != 2) continue;
        id(o, "TRAK");
        be32(o, static_cast<u32>(t.bytes.size()));
        o.insert(o.end(), t.bytes.begin(), t.bytes.end());
        if (o.size() & 1) o.push_back(0);
        tracks++;
    }
    if (tracks == 0) { // a score without a note: one empty track
        id(o, "TRAK");
        be32(o, 0);
        tracks++;
    }
    set_be32(o, 4, static_cast<u32>(o.size() - 8));
    o[23] = static_cast<u8>(tracks);
    rec_write_file(smus.path, o.data(), o.size());
}

void psg_logs_start() {
    const char* infix[PSGS] = {"-1", "-2"};
    for (int n = 0; n < PSGS; n++) {
        std::memset(psg.remembered[n], 0, sizeof psg.remembered[n]);
        psg.whole[n] = true;
        psg.ym_frames[n] = 0;
        if (generatepsg && !psg.log[n].is_open() &&
            psg.log[n].open(rec_generated_path(KIND_PSG, infix[n]))) {
            std::vector<u8> h = {'P', 'S', 'G', 0x1A};
            h.resize(16, 0);
            h.push_back(0xFF);
            psg.log[n].write(h);
        }
        if (generateym && !psg.ym[n].is_open() &&
            psg.ym[n].open(rec_generated_path(KIND_YM, infix[n]))) {
            std::vector<u8> h;
            id(h, "YM6!");
            id(h, "LeOn");
            id(h, "ArD!");
            be32(h, 0);       // frames: set at the end
            be32(h, 0);       // not interleaved
            be16(h, 0);       // digidrums
            be32(h, 1773400); // master clock
            be16(h, static_cast<u32>(std::lround(frame_rate()))); // a record a frame
            be32(h, 0); // loop frame
            be16(h, 0);
            for (const std::string& text :
                 {std::string(game_info_fields[0]), std::string(game_info_fields[1]),
                  "Generated by " + std::string(machine_title(machine))}) {
                h.insert(h.end(), text.begin(), text.end());
                h.push_back(0);
            }
            psg.ym[n].write(h);
        }
    }
}

void psg_logs_stop() {
    for (int n = 0; n < PSGS; n++) {
        if (psg.log[n].is_open()) {
            const u8 end = 0xFF;
            psg.log[n].write(&end, 1);
            psg.log[n].close();
        }
        if (psg.ym[n].is_open()) {
            psg.ym[n].write("End!", 4);
            std::vector<u8> count;
            be32(count, psg.ym_frames[n]);
            psg.ym[n].patch(12, count.data(), 4);
            psg.ym[n].close();
        }
    }
}

void music_files(std::vector<std::string>* out) {
    if (midi.open) out->push_back(midi.path);
    if (smus.open) out->push_back(smus.path);
    for (int n = 0; n < PSGS; n++)
        for (const RecStream* s : {&psg.log[n], &psg.ym[n]})
            if (s->is_open()) out->push_back(s->path);
}

void rec_log_psg_changes() {
    for (int n = 0; n < PSGS; n++) {
        if (!psg.log[n].is_open()) continue;
        std::vector<u8> o;
        for (u8 r = 0; r < 14; r++) {
            const u8 value = guest_memory[PSG_BASE + 16 * n + r];
            if (value == psg.remembered[n][r] && !psg.whole[n]) continue;
            psg.remembered[n][r] = value;
            o.push_back(r);
            o.push_back(value);
        }
        o.push_back(0xFF);
        psg.log[n].write(o);
        psg.whole[n] = false;
    }
}

void rec_log_psg_frame() {
    for (int n = 0; n < PSGS; n++) {
        if (!psg.ym[n].is_open()) continue;
        psg.ym[n].write(&guest_memory[PSG_BASE + 16 * n], 16);
        psg.ym_frames[n]++;
    }
}

void psg_log_frame() {
    rec_log_psg_changes();
}
void ym_write_frame() {
    rec_log_psg_frame();
}

void music_reset() {
    midi.open = smus.open = music_held = false;
    hook();
    for (int n = 0; n < PSGS; n++) {
        psg.log[n].discard();
        psg.ym[n].discard();
    }
}
