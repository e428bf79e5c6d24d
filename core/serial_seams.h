// Services of other subsystems that the stored formats (settings, save states,
// high scores) call. Until those subsystems exist, serial_seams.cpp gives each a
// weak definition with the least behaviour; the owner's definition replaces it
// at link time.
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
void rec_stop_all();             // stops playback, recording and every recorder

// ---- GUI ---------------------------------------------------------------------------
void gui_beep();
void gui_warning(const char* text);
void gui_update_main_title();
void file_write_icon(int kind, const char* path);
// Current time and date as "%d%s%02d %d%s%d%s%02d" into `out` (16 bytes).
void format_date_time_short(char* out);
extern char user_name[31];

// ---- Machines ---------------------------------------------------------------------
void malzak_save_nvram();
