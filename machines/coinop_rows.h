// Parts of their rows (core/machine_ops.h) that the Zaccaria and the Malzak
// boards share: the end of frame and the beam marker. Their visible window is
// their whole 240 x 240 frame, with or without the blanking areas.
#pragma once

#include "core/machine_view.h"

// At the end of every frame: the auto-coin with "autocoin" on.
void coinop_frame_ended();
// A line across the whole frame on the beam's line.
bool beam_marker_coinop(i32 clock, i32 line, bool tracing, BeamLine* out);
