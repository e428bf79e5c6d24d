// Force feedback on collisions: the frames of rumble each collision kind asks
// for, per guest player. The video machines turn the collisions their chips
// found into rumble_request (input/paddles.h), which the input step hands to
// the player's pad.
#pragma once

#include "core/types.h"

// Sprite pairs in the order 0/1, 0/2, 0/3, 1/2, 1/3, 2/3.
constexpr int FEEDBACK_PAIRS = 6;

// Frames per guest player (0 left, 1 right); 0 asks for nothing and a
// negative entry asks for its absolute value. `grid` is an object on the
// PVI's grid or a coin-op playfield, `sprite` an Arcadia sprite on the
// characters. The coin-op set-ups write the entries of their boards.
struct CollisionFeedback {
    i32 pair[FEEDBACK_PAIRS][2];
    i32 grid[4][2];
    i32 sprite[4][2];
};
extern CollisionFeedback collision_feedback;

// Requests the rumble of the collisions found: bit k of `pairs` the pair k of
// the order above, bit n of `grid` and `sprites` object or sprite n. A kind
// with an entry for a player replaces that player's request.
void collision_feedback_request(u32 pairs, u32 grid, u32 sprites);
