#include "input/collision_feedback.h"

#include "input/paddles.h"

CollisionFeedback collision_feedback;

namespace {

void request(u32 bits, int count, const i32 (*entries)[2]) {
    for (int n = 0; n < count; n++)
        if (bits >> n & 1)
            for (int p = 0; p < 2; p++) {
                const i32 v = entries[n][p];
                if (v) rumble_request[p] = static_cast<u32>(v < 0 ? -v : v);
            }
}

} // namespace

void collision_feedback_request(u32 pairs, u32 grid, u32 sprites) {
    request(pairs, FEEDBACK_PAIRS, collision_feedback.pair);
    request(grid, 4, collision_feedback.grid);
    request(sprites, 4, collision_feedback.sprite);
}
