// The Arcadia's own parts of its row (core/machine_ops.h) beside its chips:
// its high-score table and the score digits of its screen.
#pragma once

#include "core/types.h"

// The high-score table of the running game, -1 for none.
int arcadia_hiscore_row();
// The digit a screen character shows in a score (the UVI's characters $10-$19;
// the top two bits are the colour).
int arcadia_score_digit(u8 c);
