// Services of other subsystems that the interpreter calls and that no owner
// provides yet: the raster line of the reports, the sound and tape hooks, and
// the debugger's single step, processor view and display hooks of the tracer.
//
// seams_exec.cpp holds one plain stand-in for each, with the least behaviour
// the interpreter needs; the owner that writes the real service deletes the
// stand-in and moves the declaration to its own header.
#pragma once

#include "cpu/cpu.h"

// Video: the raster line now being drawn.
extern i32 raster_line;
// Sound: derive the voices from the sound registers now (argument 0).
void snd_update_voices(int arg);
// Cassette: advance the sample clock before an instruction.
void tape_sample_tick();

// Debugger: stop after the next instruction; print the processor view.
extern u32 dbg_single_step;
void dbg_view_cpu(int arg);
// Tracer's redraws and window refresh (also called by the frame pacing).
void display_update_beam_marker(int on);
void gui_refresh_windows(int force);
