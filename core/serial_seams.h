// Services of other subsystems that the stored formats (settings, save states,
// high scores) call and that no owner provides yet. serial_seams.cpp holds one
// plain stand-in for each, with the least behaviour; the owner that writes the
// real service deletes the stand-in and moves the declaration to its header.
#pragma once

#include "cpu/cpu.h"

// ---- Display: the six editable palettes of 24 colours -----------------------------
u8 palette_get_red(int palette, int colour);
u8 palette_get_green(int palette, int colour);
u8 palette_get_blue(int palette, int colour);
void palette_set_red_grey(int palette, int colour, u8 component);
void palette_set_green_grey(int palette, int colour, u8 component);
void palette_set_blue_grey(int palette, int colour, u8 component);

// ---- Sound -----------------------------------------------------------------------
void snd_audio_filter_setting(); // applies "ledfilter" after the settings are read

// ---- GUI ---------------------------------------------------------------------------
// Current time and date as "%d%s%02d %d%s%d%s%02d" into `out` (16 bytes).
void format_date_time_short(char* out);
extern char user_name[31];
