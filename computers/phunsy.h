// The PHUNSY's side of the processor bus: the selectable interrupt vectors and
// how the monitor's text and routines are shown.
#pragma once

#include "core/guest_roms.h"
#include "core/types.h"

extern u8 phunsy_irq_select; // bits 0-3 choose the interrupt vector

// Fills cpu_bus for the PHUNSY (after cpu_bus_reset()).
void phunsy_bus_install();

// Where the chosen monitor program starts.
i32 phunsy_bios_entry();

// Whether the chosen monitor program reads a typewriter keyboard.
bool phunsy_typed_keyboard();

// ---- The board (computers/phunsy_machine.cpp) ----

// The banks: sixteen 2 KB U banks (one mapped at $1800-$1FFF) and sixteen
// 16 KB Q banks (one at $4000-$7FFF), and the last byte written to the
// control port: U bank in the high nibble, Q bank in the low one.
extern u8 phunsy_ubank_store[16][2048];
extern u8 phunsy_qbank_store[16][16384];
extern u8 phunsy_bank_control;
// The interrupt timer: reloaded from the period (port 126) when it runs out.
extern u8 phunsy_irq_period, phunsy_irq_countdown;

// The monitor images, the U-bank ROMs, the built-in program and the
// character generator.
constexpr u32 PHUNSY_ROMS = 7;
extern const GuestRom phunsy_roms[PHUNSY_ROMS];

void phunsy_machine_init();
// A state's monitor (phunsy_biosversion, 0 Mini-Monitor, 1 PHUNSY) replaced
// another: that monitor's ROMs and memory map, the RAM left to the state.
void phunsy_take_monitor(u32 was);
void phunsy_reset();
u8 phunsy_io_read(u32 port);
void phunsy_io_write(u32 port, u8 value);
// Raster lines of a pixel-based frame.
constexpr i32 PHUNSY_LINES = 313;
void phunsy_run_frame();
// The screen editor's key (host raw `code`): true when it used it.
bool phunsy_edit_key(u32 code);
// VIEW SCRN: the screen memory and the LED latches.
void phunsy_dump_hardware();
// The keypad code of port 16: the first held key 0-19, 255 when none.
u8 phunsy_keypad_code();
// The character-generator glyph a screen byte below 128 shows.
u8 phunsy_glyph(u8 byte);
// Row r (0-7) of the sprite editor's glyph n: characters 0-127 of the
// generator, then the 128 block graphics (their low nibble the pattern).
u8 phunsy_glyph_row(int n, int r);
// The colour of screen pixel (x, line): x 0-383, line 0-255.
u8 phunsy_screen_pixel(i32 x, i32 line);

// Copies the U or Q window back into the store of bank n, or maps bank n's
// store into its window (the PHUNSY monitor only).
void phunsy_ubank_save(int bank);
void phunsy_qbank_save(int bank);
void phunsy_ubank_select(int bank);
// The bytes of U bank (`kind` 'U') or Q bank ('Q') n as they stand: the window
// for the bank mapped in, else its store.
const u8* phunsy_bank_bytes(char kind, int bank);
void phunsy_qbank_select(int bank);

// The monitor's comment on an address (phunsy_notes.cpp).
void phunsy_rom_comment(u32 address);
