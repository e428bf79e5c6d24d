// The real-time video chip monitor (tool window TW_VIDEO_CHIP): the registers
// of the Arcadia's UVI or of the PVIs (one on the Interton and the Elektor,
// up to three on the coin-op boards) with the consoles' key and cassette
// registers, the chips' RAM and a live picture of the paddles, refreshed
// after every frame. A click edits a register, a middle click sets or clears
// a watchpoint on it, hovering shows what its address is. Which panels show
// is the machine's VideoMonitor row (core/machine_debug.h) and its PVI count.
//
//   video_monitor_window_register();  // once: gui_subwin_ops[TW_VIDEO_CHIP]
#pragma once

#include "core/types.h"

#include <string>
#include <vector>

void video_monitor_window_register();
// Whether the current machine has the window: a video chip, or paddles.
bool mon_video_available();
void mon_open_video_window();
void mon_video_refresh(int force);

// The hover texts of the open window: one per register row, by gadget id.
struct VideoHint {
    int gid;
    std::string text;
};
extern std::vector<VideoHint> mon_video_hints;
// Makes mon_video_hints for the current machine: its own rows, then those of
// each of its PVIs; none on a machine without a video chip.
void mon_build_video_hints();
