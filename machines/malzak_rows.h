// The Malzak boards' own parts of their row (core/machine_ops.h): high-score
// tables, score digits, the file a new game is saved under.
#pragma once

#include "core/types.h"

// The high-score table of the map's game, -1 for none.
int malzak_hiscore_row();
// The digit a screen character shows in a score (ASCII digits).
int malzak_score_digit(u8 c);
const char* malzak_game_file_name(u32 map);
