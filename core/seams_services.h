// Services of other subsystems that machine switching, reset, the frame
// dispatch, the port dispatch and the end of frame call on.
//
// No owner provides these yet: core/seams_*.cpp hold one plain stand-in for
// each, with the least behaviour (most do nothing). Where a stand-in keeps state, it is the state
// the owner will keep. The owner that writes the real service deletes the stand-in and moves the
// declaration to its own header.
#pragma once

#include "core/emu.h"
#include "core/text_screen.h"
#include "cpu/cpu.h"

// ---- Computers and peripherals ----------------------------------------------
extern u8 lamp_latch;
extern u8 led_digits[13]; // the LED digits' segments (display/led.h), which states keep

// ---- Display, sound and recording ---------------------------------------------
// The guest frame, geometry, plotters and palettes are display/frame.h and display/host.h.
void display_screen_edit_clamp();
// The recorders' (record/recorder.h): stop every recorder and player, restart a playback.
void rec_stop_all();
void rec_restart_playback();

// ---- Batch jobs --------------------------------------------------------------------
// Assembles the ASM source: 0 clean, 5 warnings, 10 errors (-1 would mean no
// assembler). Points at the assembler's batch run; tests put their own in.
extern int (*asm_assemble_startup)(const char* path);
// The assembler's batch run (assembler/asm.h), messages on stderr.
int asm_assemble_batch(const char* path);

// ---- Input ----------------------------------------------------------------------
extern i32 input_deferred_release;  // raw key whose release waits for the frame end, -1 none
void music_restore_default_notes(); // D#4, D4, C#4, G3 of both musical-keyboard maps
extern i32 key_remap_six[2][6];     // the game's guest-key remap pairs
extern i32 key_remap_four[2][4];

// ---- Debugger -------------------------------------------------------------------------
int addr_comment_address(int row); // guest address of a comment row, -1 = none
