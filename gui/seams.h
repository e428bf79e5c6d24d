// Services that start-up, the main loop and the main window call on but that
// later parts of the program provide. gui/seams_services.cpp holds one plain
// stand-in for each, with the least behaviour; the owner that writes the real
// service deletes the stand-in and moves the declaration to its own header.
#pragma once

#include "cpu/cpu.h"

// ---- Game list, iconify, tips, the debugger -------------------------------------------
void gui_tip_of_the_day();

// ---- Windows not written yet ---------------------------------------------------------
bool gui_speed_window_open();
void gui_speed_window_show(int speed, const char* level, int frame_skip);
