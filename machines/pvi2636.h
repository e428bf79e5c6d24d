// The 2636 PVI: four objects with duplicates, the background grid, four score
// digits, colours, a tone register, collision and completion status.
//
// The chip's 256 registers are guest memory at pvi_base; the guest reads and
// writes them through the processor, the chip reads them when it draws and
// writes its status through pvi_write_register. It knows no machine: what it
// needs of the board and the program comes through pvi_host, and what the
// loaded game needs through the pvi_ settings below, both filled by the
// machine. The frame loop that owns the beam calls pvi_vblank on line 0,
// pvi_frame_start on the first visible line, and per visible line
// pvi_line_start, pvi_object_line_step (at clock 12) and pvi_render_pixel for
// clocks 49-226. The PVI's own picture coordinates are x = raster_clock - 49
// (0-177), y = raster_line - first_visible_line.
#pragma once

#include "core/types.h"

#include <cstring>

constexpr int PVI_WIDTH = 178;
constexpr int PVI_MAX_LINES = 269;
constexpr int PVI_BEAM_LINES = 312;
constexpr int PVI_BEAM_CLOCKS = 227;

// Register offsets.
constexpr u32 PVI_SIZES = 0xC0, PVI_SPR01COLOURS = 0xC1, PVI_SPR23COLOURS = 0xC2,
              PVI_SCORECTRL = 0xC3, PVI_BGCOLOUR = 0xC6, PVI_PITCH = 0xC7, PVI_SCORELT = 0xC8,
              PVI_SCORERT = 0xC9, PVI_BGCOLLIDE = 0xCA, PVI_SPRITECOLLIDE = 0xCB;
// Offset of each object's block (ten rows, HC, HCB, VC, VCB).
constexpr u32 pvi_object_block[4] = {0x00, 0x10, 0x20, 0x40};

struct PviObject {
    i32 row;        // shape row being drawn, 0-9
    i32 sub_line;   // line within the row, -1 before the first
    i32 next_start; // start line of the next duplicate
    i32 x_start;
    i32 start_line; // line on which the original or the next duplicate starts
    u8 active, duplicate, completed;
    u8 colour, row_bits, scale;
};

// What the board and the program hand the chip; the machine fills it when it
// sets up. The settings are read through their pointers as the chip draws, so
// that one changed while a frame stands paused half-way counts at once.
struct PviHost {
    // The beam: the clock being drawn on raster_line (cpu/bus.h), which the
    // chip moves to each collision it writes; the raster line of PVI line 0.
    i32* clock;
    const i32* first_visible_line;
    const u32* frame_counter; // frames since the last reset
    // Collisions written; the background latched per line ("dejitter"); the
    // grid's corner dots; the darker background colours; object 3's
    // artefact colours; demultiplexing (0 off); object shapes (0 invisible,
    // 1 numbered, 2 the guest's).
    const u32 *collisions, *dejitter, *drawcorners, *darkenbg, *artefacts;
    const i32 *demultiplex, *sprite_mode;
    // Raster pixels: n colours from clock x on line y, and one pixel; both
    // leave out what lies outside the visible window.
    void (*plot_row)(i32 x, i32 y, const u8* colours, i32 n);
    void (*plot_pixel)(i32 x, i32 y, u32 colour);
    // A log message ("loginterrupts").
    void (*print)(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // The chip's own write of `value` to a watched address, while write
    // watches are on; the value is not yet stored.
    void (*watched_write)(u32 address, u8 value);
    // The access-map class of an address: its register group on the board.
    u8 (*access_class)(u32 address);
};
extern PviHost pvi_host;

extern u32 pvi_base; // guest address of the PVI being served
extern PviObject pvi_objects[4];
extern i32 pvi_line;                                  // the PVI's line, 0 at first_visible_line
extern u32 pvi_background_colour;                     // colour index of the screen background
extern u8 pvi_score_line;                             // 20 (top) or 200 (bottom)
extern u8 pvi_score_colour;                           // 0-7
extern u8 pvi_line_background;                        // BGCOLOUR latched for the line
extern u8 pvi_pixel_cells[PVI_MAX_LINES * PVI_WIDTH]; // colours | grid 8 | objects 16 << n
// Written only by the chip's own marked accesses (pvi_write_register, pvi_read_register).
extern u8 pvi_access_map[PVI_BEAM_LINES * PVI_BEAM_CLOCKS];
// 3 read table, 4 write table: the access map is kept, each beam position
// holding the access class (pvi_host.access_class) of what the chip read (3)
// or wrote (4) there, 0 where it did so more than once, 7 where it did not.
extern i32 pvi_overlay_mode;
// The board's control register whose bit 5 inverts grid and background
// colours; nullptr where the board has none.
extern const u8* pvi_invert_register;
// Objects may start below line 252 (a few games rely on it).
extern u8 pvi_late_starts;
// Object 3 drawn in the colour pattern of a colour television's artefacts
// (with the setting "artefacts"), for the one game that relies on them.
extern u8 pvi_object3_artefacts;
// With "dejitter": on PVI line `line` (0 none), a background whose colour
// is from[i] shows to[i] instead (the first pair that matches).
struct PviBackgroundPatch {
    u8 line;
    u8 from[2], to[2];
};
extern PviBackgroundPatch pvi_bg_patch;
// The collisions found since the machine last took them, in the bits of
// SPRITECOLLIDE (pairs) and BGCOLLIDE (objects on the grid), whatever the
// processor has read since.
struct PviCollisionsFound {
    u8 pairs, grid;
};
extern PviCollisionsFound pvi_collisions_found;
// Lines drawn ahead from their start are copied from the last frame where
// they are drawn from the same registers and objects (tests and benches turn
// it off to compare).
extern bool pvi_line_cache;

// ---- demultiplex history -----------------------------------------------------------
// Games that show some objects only every second or third frame get them drawn
// again in the frames between from what the earlier frames drew. Each frame has
// a slot of up to 56 records per object, one per appearance (original or
// duplicate), kept for pvi_history_frames frames.
constexpr int PVI_HISTORY_RECORDS = 56;
constexpr u32 PVI_HISTORY_MAX_FRAMES = 15; // earlier frames kept at most

struct PviHistoryRecord {
    i32 x;      // x start
    i32 line;   // start line
    i32 scale;  // 1, 2, 4 or 8
    i32 colour; // 0-7
    u8 valid;   // filled in the slot's frame
    u8 rows[10];
};

extern PviHistoryRecord pvi_history[PVI_HISTORY_MAX_FRAMES + 1][4][PVI_HISTORY_RECORDS];
extern u8 pvi_history_count[PVI_HISTORY_MAX_FRAMES + 1][4];
extern u8 pvi_demultiplex_drawn[4][PVI_HISTORY_RECORDS];
extern u32 pvi_history_slot;          // slot of the current frame
extern u32 pvi_history_frames;        // earlier frames kept, 0 = none
extern u8 pvi_demux_object_off[4];    // the object's records are never redrawn
extern u8 pvi_demux_redraw_always[4]; // redraw even where a later frame drew that record
extern u8 pvi_demux_no_overlap_test;  // redraw records over this frame's objects too

// The loaded game's demultiplexing: frames kept (clamped to
// PVI_HISTORY_MAX_FRAMES), objects left out, objects always redrawn. Empties
// the history.
void pvi_demultiplex_configure(u32 frames, const u8 off[4], const u8 always[4]);
// The slot of this frame: its counts and valid flags cleared.
void pvi_history_frame_begin();
// After the last line: with "demultiplex" on and enough frames seen, the
// earlier frames' records drawn over this one; then the next slot.
void pvi_history_frame_end();
// Draws the records of one earlier slot that this frame does not cover.
void pvi_demultiplex_redraw(u32 slot);

// Attributes and mirrors of the 256 addresses at pvi_base.
void pvi_init_register_attributes();
// The chip's own write (honours write watchpoints and the access map) and read.
void pvi_write_register(u32 offset, u8 value, bool relative);
u8 pvi_read_register(u32 offset);

// The border and background colour of a BGCOLOUR byte, and the grid colour.
u32 pvi_border_colour(u8 bgcolour);
u32 pvi_grid_colour(u8 bgcolour);

// Line 0: vertical-blank status, sense and the interrupt request (the caller
// then lets the processor accept it).
void pvi_vblank();
// First visible line: status cleared, objects restarted from VC.
void pvi_frame_start();
// A new frame's cells and access map.
void pvi_frame_begin();

void pvi_line_start();
void pvi_object_line_step();
void pvi_object_complete(int n);
void pvi_render_pixel();
// The pixels of beam clocks first..last (49-226) of the current line, as
// pvi_render_pixel would draw them one by one while the processor does not
// run; raster_clock ends at last.
void pvi_render_span(i32 first, i32 last);
// The same into colours[x] (x = clock - 49) without plotting them, for a
// caller that plots the whole line at once; first and last lie in 49-226.
void pvi_render_run(i32 first, i32 last, u8* colours);
// Drawing ahead, for the frame loop: the pictures of beam clocks first..226
// drawn now into colours[x] (x = clock - 49) without collisions. Whether
// they still stand after the processor has run, and the collisions of clocks
// first..last (49-226) of what was drawn ahead, written at their own beam
// positions; raster_clock ends at last. Where the registers the line reads
// have changed, the caller draws ahead again from the next clock.
void pvi_draw_ahead(i32 first, u8* colours);
// The register bytes that the line drawn ahead reads besides the objects
// (which hold theirs for the line): where they lie, found when its drawing
// ahead begins, and what they held when it was drawn. Eight bytes from two
// below its band's first bar byte (the band's bars and the pair above
// them), its width byte, eight from $C2 (background and score) and the
// inverting bit; the masks leave out the bytes the line does not read.
// Without a register page that lies whole in memory the page is a page of
// zeros and the drawn bars hold a bit outside their mask: the line is drawn
// again after every instruction.
struct PviLineInputs {
    const u8 *page, *bars, *widths, *invert;
    u64 bars_mask, colours_mask;
    u64 drawn_bars, drawn_colours; // masked
    u8 drawn_widths, drawn_invert; // the width byte; the inverting bit alone
};
extern PviLineInputs pvi_line_inputs;
// Inline: the frame loop asks after every instruction of the picture.
inline bool pvi_drawn_ahead_stands() {
    const PviLineInputs& in = pvi_line_inputs;
    u64 bars, colours;
    std::memcpy(&bars, in.bars, 8);
    std::memcpy(&colours, in.page + 0xC2, 8);
    // Compared as one word, without a branch per field.
    return (((bars & in.bars_mask) ^ in.drawn_bars) |
            ((colours & in.colours_mask) ^ in.drawn_colours) |
            static_cast<u64>((*in.widths ^ in.drawn_widths) |
                             ((*in.invert & 0x20) ^ in.drawn_invert))) == 0;
}
// The picture x range [pvi_collision_from, pvi_collision_to) of the line
// drawn ahead that holds every pixel where two objects, or an object and the
// grid, meet: collisions lie nowhere else.
extern i32 pvi_collision_from, pvi_collision_to;
// The first beam clock whose run may meet that range: pvi_collision_from's
// clock until a run has met the range's end, then past the line. The runs
// of a line come in beam order, so one compare rules out those before the
// range and those after it.
extern i32 pvi_collision_clock;
// The collisions of picture x0..x1 - 1, a run that meets that range; one
// that reaches the range's end moves pvi_collision_clock past the line.
void pvi_collide_ahead(i32 x0, i32 x1);
// The first beam clock at which a run from clock `first` may write a
// collision: runs from there that end before it write nothing.
inline i32 pvi_collisions_quiet_until(i32 first) {
    return first - 49 < pvi_collision_to && *pvi_host.collisions ? pvi_collision_clock
                                                                  : PVI_BEAM_CLOCKS;
}
inline void pvi_collide_run(i32 first, i32 last) {
    if (last >= pvi_collision_clock && first - 49 < pvi_collision_to && *pvi_host.collisions)
        pvi_collide_ahead(first - 49, last - 49 + 1);
    *pvi_host.clock = last;
}
// End of a visible line: completed objects hand over to their duplicates.
void pvi_line_end();

u8 pvi_get_object_colour(int n);
bool pvi_boxes_overlap(i32 x1, i32 x2, i32 y1, i32 y2, i32 w, i32 h);
