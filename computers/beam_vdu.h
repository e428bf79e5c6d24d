// The raster loop of the memory-mapped VDUs of the BINBUG and the CD2650: the
// beam draws a visible line pixel by pixel, and the processor's next
// instruction runs when the beam reaches its beam clock, so that what a
// program writes shows from the pixel the beam has reached.
//
//   static const BeamVdu vdu = {768, 12, tick, draw_span};
//   for (line...) beam_vdu_line(vdu, line, line < 256 ? 576 : 0, 768);
#pragma once

#include "core/types.h"

struct BeamVdu {
    i32 line_clocks;                        // beam clocks per line
    i32 clocks_per_period;                  // beam clocks per processor clock period
    void (*tick)();                         // before every instruction (serial line, tape)
    void (*draw)(i32 x0, i32 x1, i32 line); // pixels x0..x1-1 of a visible line
};

// Runs raster line `line`: the raster breakpoint, its first `visible` pixels
// each followed by the instruction that starts at that beam clock, then the
// instructions that start before beam clock `end` (a whole or a half line);
// `end` is taken off the processor's beam clock.
void beam_vdu_line(const BeamVdu& vdu, i32 line, i32 visible, i32 end);
// One instruction at the processor's beam clock.
void beam_vdu_step(const BeamVdu& vdu);
