#include "input/collision_feedback.h"

#include "input/paddles.h"

CollisionFeedback collision_feedback;

void collision_feedback_request(u32 pairs, u32 background) {
    for (int k = 0; k < FEEDBACK_PAIRS; k++)
        if (pairs >> k & 1)
            for (int p = 0; p < 2; p++)
                if (collision_feedback.pair[k][p])
                    rumble_request[p] = static_cast<u32>(collision_feedback.pair[k][p]);
    for (int n = 0; n < 4; n++)
        if (background >> n & 1)
            for (int p = 0; p < 2; p++) {
                const i32 v = collision_feedback.background[n][p];
                if (v) rumble_request[p] = static_cast<u32>(v < 0 ? -v : v);
            }
}
