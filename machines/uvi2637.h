// The 2637 UVI: character rows, block and board modes, user-defined
// characters, four sprites, colours and collisions.
//
// The chip's registers live in guest memory ($1800-$1AFF); the chip reads
// them there and changes its own (status, collisions, inputs) through
// uvi_write_register. It knows no machine: what it needs of the board and the
// program comes through uvi_host, and what the loaded game needs through
// uvi_game and the uvi_ settings below, all filled by the machine. The frame
// loop that owns the beam calls uvi_frame_latch once per frame, then for
// each visible line either uvi_render_scanline (the line-based mode: its start
// and the whole line) or uvi_line_start at clock 0, uvi_render_span between
// processor steps and uvi_beam_flush at the line's end (beam mode), and
// uvi_draw_sprites once per frame in the line-based mode. Positions are beam
// clocks (0-226) and raster lines; pixels go to the guest frame through the
// host's raster plots.
#pragma once

#include "core/types.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"

constexpr int UVI_LINE_CLOCKS = 227;
constexpr int UVI_MAX_LINES = 312;
constexpr int UVI_ROWS = 26;
constexpr int UVI_HISTORY = 16;  // history slots kept for the demultiplexer
constexpr u8 UVI_CELL_CHAR = 16; // uvi_line_cells: character foreground

// UVI colour number (0-7) to guest colour index, per colour row (the Flag line).
extern const u8 uvi_colour_table[2][24];
// The character generator: the normal set, then the block set at byte
// UVI_BLOCK_SET; 66 glyphs of 8 lines each (bit 7 leftmost).
constexpr int UVI_BLOCK_SET = 528;
extern const u8* const uvi_char_rom;
// The host character of each of the 64 character codes.
extern const char uvi_char_codes[65];
// Inverted digits 0-3 drawn for numbered sprites.
extern const u8 uvi_digit_glyphs[4][8];

struct UviSpriteRecord {
    i32 x, y;    // clock of the leftmost pixel, raster line of the top
    u8 image[8]; // line 0 first
    u8 colour;   // UVI colour number
    u8 tall;     // 1: 16 lines, each image line twice
    i32 right, bottom;
};

struct UviTextArea {
    i32 first, end; // lines counted from first_visible_line
    i32 height;     // 8 or 16
    i32 rows;       // 13 or 26
};

// What the board and the program hand the chip; the machine fills it when it
// sets up. The settings are read through their pointers as the chip draws, so
// that one changed while a frame stands paused half-way counts at once.
struct UviHost {
    // The beam: the clock being drawn on raster_line (cpu/bus.h), which the
    // chip moves to each collision it writes; the raster line of the
    // picture's first line, the lines of a frame, the clocks of the border.
    i32* clock;
    const i32 *first_visible_line, *lines_per_frame, *border_clocks;
    const u32* frame_counter; // frames since the last reset
    const u32* region;        // the video standard: 0 60 Hz, 1 50 Hz
    // Collisions written; the colour row latched on the game's lines only
    // ("dejitter"); the colour row from the Flag; the artefact colours;
    // demultiplexing (0 off, 1 this frame's sprites redrawn too, 2 only the
    // earlier frames'); sprite shapes (0 invisible, 1 numbered, 2 the guest's).
    const u32 *collisions, *dejitter, *flagline, *artefacts;
    const i32 *demultiplex, *sprite_mode;
    // Raster pixels: n colours (or n times one colour) from clock x on line y,
    // and one pixel; all leave out what lies outside the visible window.
    void (*plot_row)(i32 x, i32 y, const u8* colours, i32 n);
    void (*fill_row)(i32 x, i32 y, i32 n, u32 colour);
    void (*plot_pixel)(i32 x, i32 y, u32 colour);
    // The guest frame's colour at clock x, raster line y; -1 outside the window.
    i32 (*frame_pixel)(i32 x, i32 y);
    // The chip's own write of `value` to a watched address, while write
    // watches are on; the value is not yet stored.
    void (*watched_write)(u32 address, u8 value);
};
extern UviHost uvi_host;

// What the loaded game needs of the chip, taken from it by the machine.
struct UviGame {
    // A known game: its dejitter lines count.
    bool known;
    // With "artefacts", code 63 in the fringe colours of set 0 or 1 (-1 none).
    std::int8_t artefact_glyphs;
    // The frame start leaves $19FC and $19FD as they are.
    bool keeps_collisions;
    // Sprites 2 and 3 of colour 6 show colour 1 while their Y byte is above $BF.
    bool recolours_sprites;
    // The demultiplexer draws no saved sprite near where this frame's own is,
    // and it redraws the 40 x 8 bitmap kept at $1A30.
    bool sprites_stay, bitmap;
};
extern UviGame uvi_game;

// ---- state -------------------------------------------------------------------------------
extern u8 uvi_colour_row; // 0 or 1
extern u8 uvi_bg_latch;   // the copy of $19F9 in use
extern u8 uvi_bg_colour;  // guest colour index of the background
extern u8 uvi_line_status[UVI_MAX_LINES];
extern u8 uvi_line_cells[UVI_MAX_LINES * UVI_LINE_CLOCKS];
extern UviTextArea uvi_text_area;
extern u32 uvi_line_slice; // lines run in the line-based mode (selects the slice length)
extern u32 uvi_sprite_slot, uvi_row_slot;
extern UviSpriteRecord uvi_sprites[UVI_HISTORY][4];
extern u8 uvi_row_codes[UVI_HISTORY][UVI_ROWS][16];
extern u8 uvi_row_x[UVI_HISTORY][UVI_ROWS];
extern u8 uvi_udg_history[UVI_HISTORY][64];
extern u8 uvi_sprite_line[4];
extern u8 uvi_sprites_done;
// With "dejitter": the raster lines per video standard (0 60 Hz, 1 50 Hz) on
// which the colour row follows the Flag again (0: none); the game's row sets them.
extern u16 uvi_dejitter_lines[2][2];
// The line-based renderer is in use (sprites once per frame, at the row end).
extern u8 uvi_line_based;
// Lines drawn from the same inputs as the last time keep what they drew
// instead of being drawn again; off only where tests and benchmarks compare.
extern bool uvi_copy_lines;

// The collisions found since the machine last took them, whatever the
// processor has read since: the pair bits of $19FD and the sprite bits of
// $19FC, both set (1) where a collision was found.
struct UviCollisionsFound {
    u8 pairs, background;
};
extern UviCollisionsFound uvi_collisions_found;

// Back to the power-on state of the chip's latches and histories.
void uvi_reset();

// The UVI's own write of a guest register: honours write watchpoints.
void uvi_write_register(u32 address, u8 value);

// Colour row from the processor's Flag when "flagline" is on, else 0.
inline void uvi_refresh_colour_row() {
    uvi_colour_row = *uvi_host.flagline ? (cpu_psu & PSU_F ? 1 : 0) : 0;
}
// The frame's first latches: area before any row, colour row, $19F9.
void uvi_frame_begin();
// At the first visible line: status and paddle resets, area geometry, sprites.
void uvi_frame_latch();
// At clock 0 of each visible line: row start, line status, $19F9 latch,
// sprite line bytes (beam mode), the dejitter refresh. In beam mode a line
// whose copy from the frames before was drawn from what it starts with now
// stands on that copy from clock 49 (uvi_beam), as if its first span had
// been drawn: the spans then only hand it on while the Flag and the block
// set stay as they were.
void uvi_line_start();
// Beam mode: the current line is drawn ahead to its end where it can be
// (background and characters that depend only on the row's latches, sprites
// with their collisions kept in clock order), and handed to the guest frame
// from pending_from to pending_to as the beam passes.
struct UviBeamLine {
    i32 line;           // the raster line drawn ahead, -1: none
    i32 next;           // the clock its next span begins at
    i32 x0;             // the clock of column 0, -1: no characters
    u8 colour_row;      // what it was drawn with
    u8 block0;          // the block-set bit as column 0 began
    i32 event, events;  // its next collision to set, and how many it has
    i32 next_collision; // the clock of that collision (UVI_LINE_CLOCKS: none, 0: handed on)
    i32 pending_line, pending_from, pending_to;
    // The colour row it was drawn with follows the Flag (flag_mask PSU_F,
    // flag_want the Flag then) or stays as it is for the line (both 0).
    u8 flag_mask, flag_want;
};
extern UviBeamLine uvi_beam;

// The clocks [from, to) of the current line with their sprite collisions (beam
// mode); the processor does not run in between. A span of the line drawn
// ahead, with nothing it is drawn from changed (the colour row from the Flag,
// the block set before column 0) and no collision in it, is only handed on;
// uvi_draw_span does the rest. (The settings that choose the colour row
// change only between frames or in a pause, which ends the line drawn ahead.)
void uvi_draw_span(i32 from, i32 to);
// The clock up to which spans from `from` on are only handed on, as things
// stand now (the line drawn ahead goes on at `from` with the colour row and
// block set it was drawn with, up to its next collision); `from` when none.
inline i32 uvi_beam_stands_until(i32 from) {
    const UviBeamLine& b = uvi_beam;
    return b.line == raster_line && b.next == from && (cpu_psu & b.flag_mask) == b.flag_want &&
                   (from > b.x0 || guest_memory[0x19F8] >> 7 == b.block0)
               ? b.next_collision
               : from;
}
inline void uvi_render_span(i32 from, i32 to) {
    if (from < to && to <= uvi_beam_stands_until(from)) {
        uvi_beam.next = uvi_beam.pending_to = to;
        return;
    }
    uvi_draw_span(from, to);
}
// The beam mode draws a line into its own colours and hands them to the guest
// frame at the line's end: this hands on the clocks drawn so far, for the end
// of a line or a picture shown in the middle of one. The line drawn ahead
// ends with it (its next collision 0: a loop that stands up to that stops).
void uvi_beam_flush();
// The whole current line in the line-based mode, its start (what
// uvi_line_start does) included.
void uvi_render_scanline();
// All sprites of the frame and the collision registers (line-based mode).
void uvi_draw_sprites();

// ---- the demultiplexer -------------------------------------------------------------------
// A game that shows more objects than there are sprites draws them on
// alternate frames. The demultiplexer draws the sprites and character rows of
// the last few frames again over the finished picture, as far as the current
// frame does not show them already; it touches no register, cell or collision.
struct UviDemux {
    i32 sprite_depth; // earlier frames of sprites redrawn (0: none)
    i32 row_depth;    // earlier frames of character rows redrawn (0: none)
    i32 first_row, last_row;
    u8 excluded[4]; // sprites never redrawn
};
extern UviDemux uvi_demux;

// The game's demultiplexer from its database columns: sprite flags (bit 3
// excludes sprite 0 ... bit 0 sprite 3), the two depths and the row range.
// All of flags and depths 0: no demultiplexing.
void uvi_demux_configure(u8 flags, i32 sprite_depth, i32 row_depth, i32 first_row, i32 last_row);
// Forgets the history (after a state is loaded: the frames before it are gone).
void uvi_demux_forget();
// The sprite pass and the character pass over the finished frame.
void uvi_deflicker_sprites();
void uvi_deflicker_pass_b();
// After the frame's last line: the user-defined characters into the history,
// both passes, then both history slots move on.
void uvi_frame_end();
