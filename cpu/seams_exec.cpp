// Stand-ins for the services of cpu/seams_exec.h until their owners write them.
// The real ones draw the raster, retune the sound voices, clock the cassette,
// step the debugger and redraw its views. These do the least: hooks do
// nothing and no single step is requested.
#include "cpu/seams_exec.h"

i32 raster_line;
void snd_update_voices(int) {}
void tape_sample_tick() {}

u32 dbg_single_step;
void dbg_view_cpu(int) {}
void display_update_beam_marker(int) {}
void gui_refresh_windows(int) {}
