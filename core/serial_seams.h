// Services of other subsystems that the stored formats (settings, save states,
// high scores) call and that no owner provides yet. serial_seams.cpp holds one
// plain stand-in for each, with the least behaviour; the owner that writes the
// real service deletes the stand-in and moves the declaration to its header.
#pragma once

#include "cpu/cpu.h"

// ---- Sound -----------------------------------------------------------------------
void snd_audio_filter_setting(); // applies "ledfilter" after the settings are read
