// The Zaccaria boards' own parts of their row (core/machine_ops.h): high-score
// tables, score digits, the file a new game is saved under, and their sound
// voices (the Laser Battle/Lazarian tone units, Galaxia's two tones).
#pragma once

#include "core/types.h"

// The high-score table of the map's game, -1 for none.
int zaccaria_hiscore_row();
// The digit a screen character shows in a score: Galaxia's low seven bits
// $60-$69, the other boards' $B0-$B9.
int zaccaria_score_digit(u8 c);
const char* zaccaria_game_file_name(u32 map);
// The tone units' and Galaxia's voices of one voice update.
void snd_voices_zaccaria();
// Voices 3-6 of the tone units and of Galaxia; below 0 for the framework's.
float zaccaria_voice_frequency(int voice, u16 p);
// The game list's picture of each board (Laser Battle and Lazarian share one).
u32 zaccaria_map_picture(u32 map);
