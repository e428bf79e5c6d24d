// The cassette recorder of the machines with a tape interface: one deck, one
// tape, an 8-bit mono sample file (WAV, 8SVX or AIFF) that stays open while
// it is in the deck.
//
// The processor clocks the tape: before every instruction the machine calls
// tape_sample_tick, which turns the clock periods since the last tick into
// samples at the file's rate and moves at most one sample between the tape
// and the machine. How a sample reaches the guest (SENSE, a latch bit, a
// memory byte) and how the guest's output becomes a sample is the machine's
// TapeRule, named by its row (MachineOps::tape).
//
// The samples are kept whole in tape_buffer, in the file's own form (WAV
// unsigned, 8SVX and AIFF signed): playing reads them from there; recording
// writes each sample to the file at its place and into the buffer, and stop
// reads the buffer back from the file. An inserted tape is opened read-only
// and played from there (a tape on a read-only drive plays); the first
// recording opens it for writing, or says why it cannot. Every stop of a
// recording that wrote samples writes the sizes into the header: a tape
// that is only played and ejected keeps its bytes and its time stamp. A
// tape whose file was removed, replaced or changed since the deck last
// wrote it is not written; a write the disk refuses stops the deck, and the
// header counts the samples that reached the disk.
//
//   tape_insert_file("PROGDIR:tapes/game.wav"); // the deck holds it, stopped
//   tape_play();                                // the machine's ticks read it
//   tape_close_sample_file();                   // eject: closed
#pragma once

#include "core/types.h"

#include <cstddef>
#include <cstdio>
#include <vector>

enum CassetteState : u32 {
    CASSETTE_EMPTY = 0,
    CASSETTE_STOPPED = 1,
    CASSETTE_PLAYING = 2,
    CASSETTE_RECORDING = 3,
};

// What a played sample does to the machine.
enum class TapeInput : u8 {
    NONE,
    MEMORY_LEVEL, // the byte at `in_address`: $FF at or above the threshold, else $00
    LATCH_BIT7,   // bit 7 of port `port`'s latch: 1 at or above the threshold
    SENSE_EDGES,  // on each falling crossing, SENSE = the cycle was short (<= edge_limit)
    SENSE_LEVEL,  // SENSE = at or above the threshold
};

// What a recorded sample is made of.
enum class TapeOutput : u8 {
    NONE,
    MEMORY_BYTE,  // the byte at `out_address`
    SQUARE_WAVE,  // FLAG chooses the tone: `period` clock periods with F clear, half with F set
    LATCH_LEVELS, // port `port`'s latch: 16 low, 24 high, anything else silence
    LATCH_BIT0,   // port `port`'s latch: bit 0 set low, clear high
};

struct TapeRule {
    TapeInput input;
    TapeOutput output;
    u16 in_address, out_address;
    u16 port;
    u32 edge_limit; // SENSE_EDGES
    u32 period;     // SQUARE_WAVE, F clear
    // The messages of the monitor's tape routines while the tape moves,
    // nullptr for none: called before every instruction with "verbosetape" on.
    void (*trace_load)();
    void (*trace_save)();
    // Whether the deck offers its "Verbose output?" switch with the current
    // monitor (nullptr: never), and the choice of two interfaces.
    bool (*traced)() = nullptr;
    bool interface_choice = false;
};

constexpr u8 TAPE_HIGH = 224, TAPE_LOW = 32, TAPE_SILENCE = 128;

extern u32 tape_state;
extern std::FILE* tape_file;
extern char tape_file_name[513];
extern int tape_kind;          // KIND_WAV, KIND_8SVX or KIND_AIFF
extern u32 tape_header_size;   // bytes before the first sample
extern u32 tape_sample_rate;   // Hz
extern double tape_sample_period; // clock periods per sample
extern double tape_accumulator;   // the position in samples, with its fraction
extern u32 tape_position;         // the whole sample under the head
extern u32 tape_length;           // samples on the tape
extern std::vector<u8> tape_buffer; // the samples as stored in the file
extern u32 tape_buffer_size;
extern u8 tape_level;      // the current sample, unsigned (128 silence)
extern u8 tape_prev_level; // the sample played before it
extern u32 tape_last_cycles, tape_last_edge;
extern i32 tape_reel_phase; // 0-5, the deck's reels
// Counts every change the deck makes by itself (insert, create, eject, play,
// record, stop): the deck window redraws everything when it moved.
extern u32 tape_serial;

// The header of a sample file: kind, header size, rate, and where its size
// fields stand (0: none). A WAV header is 44 bytes, or 58 with an 18-byte
// "fmt " chunk and a "fact" chunk; in 8SVX and AIFF files the chunks are
// looked up in any order up to the samples ("BODY", "SSND"), so that chunks
// other programs write before them (comments, names) are passed over.
// nullptr when `bytes` (the file's first bytes, `size` of them: the whole
// file or at least TAPE_HEADER_WINDOW) start a tape, else the warning that
// refuses it.
constexpr std::size_t TAPE_HEADER_WINDOW = 4096;
struct TapeHeader {
    int kind = 0;
    u32 header_size = 0;
    u32 rate = 0;
    u32 frames_at = 0;    // 8SVX one-shot samples, AIFF sample frames
    u32 data_size_at = 0; // the size of the chunk holding the samples
    u32 fact_at = 0;      // WAV "fact" sample count
};
extern TapeHeader tape_header;
const char* tape_read_header(const u8* bytes, std::size_t size, TapeHeader* out);
// The 80-bit extended float at `p` as an integer (saturating at 2^31 - 1).
i32 tape_extended_to_int(const u8* p);

// Sets tape_sample_period for the current machine (unchanged on a machine
// without a tape rule).
void tape_cycles_per_sample();
// Asks for a name and creates an empty tape of `kind` (KIND_WAV, KIND_8SVX,
// KIND_AIFF) in the deck, stopped.
void tape_create_sample_file(int kind);
// Creates the tape at `path` (no requester): true when it is in the deck.
bool tape_create_at(int kind, const char* path);
// With `ask` the user chooses a tape, else the one named by tape_file_name;
// 1 when it is in the deck. A refused file leaves the deck as it was.
int tape_load_sample_file(int ask);
// Inserts the tape at `path` (no requester): 1 when it is in the deck; a
// tape in the deck before is ejected first. A refused file leaves the deck,
// its tape and tape_file_name as they were; so is a file that another medium
// holds (a disk, a papertape, the MDCR tape).
int tape_insert_file(const char* path);
void tape_play();
// Records from the head on; on a tape not yet written to, first opens its file
// for writing: when that fails, or the file is no longer the tape in the deck,
// the deck stays stopped and a warning says why.
void tape_record();
void tape_stop();
// Eject: stops (which finishes a recording), closes the file. False (with a
// warning) when what was recorded could not be written whole.
bool tape_close_sample_file();
// Rewind, fast forward, the deck's slider and a click on the waveform: the
// tape stands at `position` (kept to the tape's length).
void tape_wind_to(double position);

// The processor's clock started again (a reset, a state load): the tape
// counts on from the new count.
void tape_restart_clock();
// The per-instruction step (nothing unless playing or recording).
void tape_sample_tick();
inline void tape_tick_if_moving() {
    if (tape_state >= CASSETTE_PLAYING) tape_sample_tick();
}
inline bool tape_moving() {
    return tape_state >= CASSETTE_PLAYING;
}

// "m:ss.ssssss" of `samples` at the tape's rate ("###:##.######" past 999
// minutes); tape_position_text() of tape_accumulator, never past tape_length.
void tape_format_time(double samples, char* out, std::size_t size);
const char* tape_position_text();
// The deck window's title: "Cassette Tape Deck(s)" and the tape's file part.
void tape_deck_title(char* out, std::size_t size);

// The waveform picture of the deck window, 320 x 128 colour indices of the
// interface's extra pens (row-major), redrawn by tape_draw_picture.
constexpr int TAPE_PICTURE_WIDTH = 320, TAPE_PICTURE_HEIGHT = 128;
extern u8 tape_picture[TAPE_PICTURE_WIDTH * TAPE_PICTURE_HEIGHT];
void tape_draw_picture();
// The column of the playhead for tape_accumulator (0-319).
int tape_playhead_column();

// The deck empty, every counter 0 (the file, if any, is closed unfinished).
// Test support: the program starts there.
void tape_reset();
