// The Adjust Speed window (tool window TW_SPEED): the emulation speed, frame
// skipping with its automatic rise, and by machine the raster line length of
// the consoles or the processor clock and serial rate of the computers that
// offer them (MachineOps::rates). Every change acts on the running machine at
// once; the window follows speed keys and automatic frame skipping while open.
//
//   speed_window_register();  // once: gui_subwin_ops[TW_SPEED]
//   gui_speed_window();       // the Speed menu's "Adjust..."
#pragma once

enum SpeedGadget : int {
    GID_SPEED_AUTOSKIP = 128,
    GID_SPEED_PERCENT = 129,
    GID_SPEED_SKIP_NUMBER = 130,
    GID_SPEED_LINE_NUMBER = 131,
    GID_SPEED_CLOCK = 132,
    GID_SPEED_BAUD = 133,
    GID_SPEED_SLIDER = 134,
    GID_SPEED_SKIP_SLIDER = 135,
    GID_SPEED_LINE_SLIDER = 136,
};

void speed_window_register();
// Opens the window; nothing when it is open.
void gui_speed_window();
void gui_speed_window_input();
// Shows the speed step and frame skipping anew (nothing while closed).
void gui_speed_window_show();
