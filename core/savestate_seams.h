// State that save states carry but other subsystems own, and their own field
// lists. Until those subsystems exist, savestate_seams.cpp holds one plain
// stand-in for each; the owner that writes the real one deletes the stand-in
// and moves the declaration to its own header. Bytes the state names only by
// their role are plain byte arrays here, in file order.
#pragma once

#include "core/text_screen.h"
#include "cpu/cpu.h"

// ---- Input --------------------------------------------------------------------------

// ---- Computers ------------------------------------------------------------------------
extern u8 led_digits[13];     // segment patterns of the LED digits
extern u8 si50_io_state[3];   // Instructor 50 I/O latches
extern u8 phunsy_bank;        // U bank (high nibble), Q bank (low nibble)
extern u8 phunsy_io_state[2]; // the PHUNSY's other I/O latches
extern u8 phunsy_latches[4];  // the PHUNSY's peripheral latches
extern u8 phunsy_ubank_store[16][2048];
extern u8 phunsy_qbank_store[16][16384];
extern u8 selbst_io_state;
void phunsy_ubank_save(int bank);
void phunsy_qbank_save(int bank);
void phunsy_ubank_select(int bank);
void phunsy_qbank_select(int bank);

// ---- Video-game machines --------------------------------------------------------------

// ---- File loader -------------------------------------------------------------------------
extern u32 loaded_image_size; // bytes of the game image loaded
