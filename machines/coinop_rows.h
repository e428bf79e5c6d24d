// Parts of their rows (core/machine_ops.h) that the Zaccaria and the Malzak
// boards share: the end of frame, the visible
// window and the beam marker.
#pragma once

#include "core/machine_view.h"

// At the end of every frame: the auto-coin with "autocoin" on.
void coinop_frame_ended();
// The 256 x 256 picture, or the whole raster with the blanking areas.
DisplayWindow display_window_coinop(i32 w, i32 h);
// A line across the whole frame on the beam's line.
bool beam_marker_coinop(i32 clock, i32 line, bool tracing, BeamLine* out);
