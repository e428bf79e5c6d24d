#include "computers/beam_vdu.h"

#include "core/frame.h"
#include "cpu/bus.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"

void beam_vdu_step(const BeamVdu& vdu) {
    if (vdu.tick) vdu.tick();
    const u32 start = cpu_cycles;
    if (!cpu_check_breakpoint()) cpu_execute_one();
    // A step that took no time (a trap that did nothing) still moves the beam on.
    const i32 used = static_cast<i32>(cpu_cycles - start);
    cpu_beam_clock += vdu.clocks_per_period * (used > 0 ? used : 1);
}

void beam_vdu_line(const BeamVdu& vdu, i32 line, i32 visible, i32 end) {
    raster_line = line;
    dbg_check_raster_breakpoint();
    i32 x = 0;
    while (x < visible) {
        // The pixel at the processor's beam clock is drawn before its instruction.
        const bool steps = cpu_beam_clock >= x && cpu_beam_clock < visible;
        const i32 stop = steps ? cpu_beam_clock + 1 : visible;
        vdu.draw(x, stop, line);
        x = stop;
        raster_clock = x;
        if (steps) beam_vdu_step(vdu);
    }
    // An instruction that ran past the line's end belongs to the next line.
    while (cpu_beam_clock < end) {
        raster_clock = cpu_beam_clock;
        beam_vdu_step(vdu);
    }
    cpu_beam_clock -= end;
}
