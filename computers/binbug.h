// The BINBUG machine: a 2650 with a 1 KB monitor, a memory-mapped 64 x 16
// VDU with a colour attribute RAM and 128 user-defined characters, the
// PIPBUG's serial line, an FD1771 with two drives and a disk system ROM, a
// cassette on port 50, two printers, eight lamps, a keyboard latch, a
// joystick and fire buttons.
//
// Its ROMs are read from PROGDIR:roms (binbug_roms); a missing one is
// reported and its area stays empty.
#pragma once

#include "core/types.h"

#include <string>

struct GuestRom;
extern const GuestRom binbug_roms[11];
constexpr u32 BINBUG_ROM_COUNT = 11;

// The character ROM (128 glyphs of 16 rows) and the graphics ROM (256 of
// 16), as read at set-up.
extern u8 binbug_char_rom[128 * 16];
extern u8 binbug_gfx_rom[256 * 16];
// The joystick-axis latch (port 239), the fire-button codes of the two
// players (0 none, 1-4) and the on-screen hex keypad's four rows.
extern u8 binbug_axis_latch;
extern u8 binbug_fire[2];
extern u8 binbug_keypad_rows[4];

void binbug_setup();
void binbug_apply_memory_map();
void binbug_set_baud_rate();
// The clock option (0 1 MHz, 1 2 MHz) and what follows it: the clock periods
// of a frame and the disk boot ROM's delay loops.
void binbug_set_clock(u32 fast);
// Takes serial rate `choice` (0..3); false when the monitor cannot run at it.
bool binbug_set_baud(u32 choice);
// The last raster line of a pixel-based frame: 312 lines and a half line.
constexpr i32 BINBUG_LAST_LINE = 312;
void binbug_run_frame();
u8 binbug_io_read(u32 port);
void binbug_io_write(u32 port, u8 value);
void binbug_reset();
void binbug_serialise(u32 map);
bool binbug_key_handler(u32 raw);
// The glyph row `line` (0-15) that cell code `code` with attribute `attr`
// shows in frame `frame`.
u8 binbug_glyph_row(u8 code, u8 attr, u32 line, u32 frame);
// Draws the whole VDU (the frame-based mode).
void binbug_draw_screen();

void binbug_view_characters();
void binbug_view_colour_ram();
void binbug_describe_tape_postamble();
// The Guest Controls keypad: key k of the hex keypad held.
void binbug_keypad_apply(i32 key);

// Fills cpu_bus and the machine's address traps (after cpu_bus_reset()).
void binbug_bus_install();
// A pasted character: a line feed as a carriage return.
int binbug_paste_char(u8 c, u8* out);
