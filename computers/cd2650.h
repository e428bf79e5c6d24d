// The Central Data CD2650: a 2650 with a monitor ROM, an 80 x 16 character
// display in video RAM at $1000 (column-major, 16 bytes a column), a
// keyboard on the data port, a cassette on its bit 3, a printer, and up to
// four floppy drives on an FD1771 on ports 128-132, on which a disk
// operating system runs (preloaded at $6000 with the IPL monitor).
//
// Its ROMs, DOS images and font are read from PROGDIR:roms (cd2650_roms); a
// missing one is reported and its area stays empty.
#pragma once

#include "core/types.h"

struct GuestRom;
constexpr u32 CD2650_ROM_COUNT = 8;
extern const GuestRom cd2650_roms[CD2650_ROM_COUNT];
enum : u32 {
    CD2650_ROM_IPL,
    CD2650_ROM_POPMON,
    CD2650_ROM_SUPERVISOR,
    CD2650_ROM_DOS,
    CD2650_ROM_P1DOS,
    CD2650_ROM_FONT,
    CD2650_ROM_FONT2,
    CD2650_ROM_P1DISK,
};

// The font as read (128 glyphs of 10 rows, then the 16 glyphs of the second
// set) and the character generator built from it for the character set
// "cd2650_vdu" (0-2).
extern u8 cd2650_font[128 * 10 + 16 * 10];
extern u8 cd2650_chargen[128 * 10];
// Clock period before which the keyboard offers no key (queued keys).
extern u32 cd2650_key_holdoff;

void cd2650_setup();
// The clock option (0 1.183 MHz, 1 1.774 MHz) and the clock periods of a frame.
void cd2650_set_clock(u32 fast);
// Raster lines of a pixel-based frame.
constexpr i32 CD2650_LINES = 264;
void cd2650_run_frame();
u8 cd2650_io_read(u32 port);
void cd2650_io_write(u32 port, u8 value);
void cd2650_reset();
void cd2650_serialise(u32 map);
bool cd2650_key_handler(u32 raw);
void cd2650_load_charset();
// The character set that suits the monitor and the disk system chosen: the
// IPL with a disk system takes set 0; otherwise set 0 becomes the lowercase
// set 2. The caller sets the machine up again.
void cd2650_switch_charset();
// Draws the whole screen (the frame-based mode).
void cd2650_draw_screen();

// Debugger views and the notes of monitor routines and DOS entry points.
void cd2650_view_video_ram();
void cd2650_view_bios();
void cd2650_view_basic_vars();
void cd2650_bios_notes(u32 address);
void cd2650_dos_call_notes(u32 address);
// The display table: a code as the character the screen shows.
u8 cd2650_display_char(u8 code);

// Sets the CD2650's device link (after cpu_bus_reset()).
void cd2650_bus_install();
// Whether the monitor (IPL 1.1) takes lowercase typed input.
bool cd2650_lowercase_input();
// Monitor 0 reads six-bit capitals from the keyboard.
bool cd2650_six_bit_keys();
// A pasted character: a small letter as its control code, each character
// followed by $FF.
int cd2650_paste_char(u8 c, u8* out);
