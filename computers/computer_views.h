// The debugger's VIEW RAM and VIEW BIOS of the monitor-ROM computers.
#pragma once

#include "core/machine_debug.h"

#include <string>

ViewShown pipbug_ram_bios_view(const char* word);
ViewShown binbug_debug_view(const char* word);
ViewShown instructor_debug_view(const char* word);
ViewShown cd2650_debug_view(const char* word);
ViewShown phunsy_debug_view(const char* word);
ViewShown selbst_debug_view(const char* word);

// Pointer texts: the screen byte under the pointer (a click puts the screen
// editor's cursor there), or the text cell.
void binbug_describe_position(i32 x, i32 y, int click, std::string* out);
void cd2650_describe_position(i32 x, i32 y, int click, std::string* out);
void phunsy_describe_position(i32 x, i32 y, int click, std::string* out);
void twin_describe_position(i32 x, i32 y, int click, std::string* out);
// The screen editor's cursor kept inside each one's screen memory.
void binbug_edit_clamp();
void cd2650_edit_clamp();
void phunsy_edit_clamp();
