// Parts of their rows (core/machine_ops.h) that the three consoles (Arcadia,
// Interton, Elektor) share: frame size, visible window, fixed frame areas,
// beam marker, and the PVI consoles' noise voices.
#pragma once

#include "core/machine_view.h"

// The consoles' raster with the blanking areas, else their active part.
void display_geometry_console(MachineLive& row, bool current);
// The window of the raster that starts `left` clocks into a line; with
// blanking areas the whole raster.
DisplayWindow display_console_window(i32 left, i32 w, i32 h);
// The PVI consoles' window, 60 clocks into a line.
DisplayWindow display_window_pvi(i32 w, i32 h);
// The frame cleared, then the blanking intervals' picture with "blankingareas".
void display_reset_console(i32 w, i32 h);
// The last raster line of the consoles' frame: 261 at 60 Hz, 311 at 50 Hz.
i32 console_last_raster_line();
// A line from a fixed origin to the beam.
bool beam_marker_console(i32 clock, i32 line, bool tracing, BeamLine* out);

// The Interton's and the expanded Elektor's noise burst (bit 4 of $1E80) and
// noise voice.
void snd_voices_pvi_console();

// The Interton's save-state tail, which the Arcadia's ends with: the memory,
// the beam position and the line length.
void console_state_tail();
