#include "app/mainloop.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/serial.h"
#include "commands/dispatch.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "input/joysticks.h"
#include "display/frame.h"
#include "gui/main_window.h"
#include "platform/headless/gui_headless.h"
#include "platform/pads.h"
#include "input/console_buttons.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "machines/pong.h"
#include "sound/voice_update.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/state_load.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <array>
#include <cstring>
#include <set>
#include <strings.h>
#include <string>
#include <vector>

namespace {

class Pong : public testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        pong = PongState{};
        collisions = 1;
        retune = 0;
        colourset = 0;
        robot_left = robot_right = 0;
    }
    void TearDown() override {
        rec_state = REC_IDLE;
        filebuf_free();
    }

    // Switches to the chip of `map` (and `chip` on map 28) with game `variant`
    // in the video standard `region`, and resets.
    void start(int map, int variant, int chip = 2, u32 region = 0) {
        pong_machine = chip;
        emu_region = region;
        pong_variant = variant;
        prefs_take_user_choice(); // the switches the test set are the user's own
        ASSERT_TRUE(machine_switch(PONG, map, true, true, false));
        pong_variant = variant;
        machine_reset();
    }

    // The random numbers the game asks for next, in order.
    void script_rng(const std::vector<u8>& bytes) {
        ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(bytes.size() + 1)));
        std::copy(bytes.begin(), bytes.end(), filebuf);
        filebuf_length = rec_length = static_cast<u32>(bytes.size());
        filebuf_cursor = 0;
        rec_state = REC_PLAYBACK;
    }
    void end_script() { rec_state = REC_IDLE; }

    // A ball in play at (x, y) moving (dx, dy).
    static void ball(i32 x, i32 y, i32 dx, i32 dy) {
        pong.in_play = 1;
        pong.ball_x = x;
        pong.ball_y = y;
        pong.ball_dx = dx;
        pong.ball_dy = dy;
    }
};

u8 cell(i32 x, i32 y) {
    return pong_field_map[x * PONG_MAP_LINES + y];
}

// ---- Layout table and field map -------------------------------------------------

TEST_F(Pong, LayoutTableKeepsEveryBatOnItsChipsColumns) {
    for (int v = 0; v < PONG_VARIANTS; v++) {
        SCOPED_TRACE(v);
        const PongLayout& row = pong_layouts[v];
        for (int i = 0; i < row.count; i++) {
            const PongObject& o = row.objects[i];
            EXPECT_TRUE(o.side == 0 || o.side == 1);
            EXPECT_GE(o.kind, 0);
            EXPECT_LE(o.kind, 4);
            EXPECT_LE(o.leftmost, o.column);
            EXPECT_LE(o.column, o.rightmost);
            EXPECT_GE(o.leftmost, 25);
            EXPECT_LE(o.rightmost, 97);
            EXPECT_GT(o.divisor, 0);
            if (v <= 6)
                EXPECT_TRUE(o.column_1976 >= 21 && o.column_1976 <= 99);
            else
                EXPECT_EQ(o.column_1976, 0); // the 1976 chip has no such game
        }
    }
}

// What the ball meets at the left and right edge on the middle line and just
// inside the top wall, for every game at 60 Hz.
TEST_F(Pong, FieldMapOfEveryGame) {
    struct Case {
        int v;
        u8 left, right, top;
    } cases[] = {
        {0, 1, 2, 4},  {1, 1, 2, 4},  {2, 1, 2, 4},  {3, 3, 2, 4},  {4, 3, 2, 4},  {5, 3, 3, 4},
        {6, 0, 2, 4},  {7, 1, 2, 4},  {8, 3, 3, 4},  {9, 1, 2, 4},  {10, 3, 2, 4}, {11, 3, 2, 4},
        {12, 1, 2, 4}, {13, 3, 3, 4}, {14, 3, 3, 4}, {15, 0, 2, 4}, {16, 0, 2, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        start(c.v <= 6 ? 28 : 29, c.v);
        emu_run_frame();
        // Lines 138 (middle) and 139: the alternating ends have a wall on one.
        const u8 l = cell(25, 138) ? cell(25, 138) : cell(25, 139);
        EXPECT_EQ(l, c.left);
        EXPECT_EQ(cell(97, 138), c.right);
        EXPECT_EQ(cell(61, 42), c.top);
        EXPECT_EQ(cell(61, 233), c.top);
        EXPECT_EQ(cell(61, 100), 0) << "nothing in the open field";
    }
}

TEST_F(Pong, DashedTopWallStopsTheBallBetweenDashes) {
    start(28, 0);
    emu_run_frame();
    for (i32 x = 25; x < 97; x++)
        EXPECT_EQ(cell(x, 42), PONG_WALL_H) << x;
    // A ball rising into the gap between two plotted dashes bounces.
    ball(26, 46, 1, -3);
    pong_variant = 0;
    emu_run_frame();
    EXPECT_EQ(pong.ball_dy, 3);
    EXPECT_EQ(pong_tone_hz, 488u);
}

TEST_F(Pong, MapTestIgnoresCellsOutsideTheMap) {
    start(29, 7);
    emu_run_frame();
    EXPECT_EQ(pong_map_test(-40, -20, -50, -10), 0);
    EXPECT_EQ(pong_map_test(PONG_MAP_COLUMNS + 5, PONG_MAP_COLUMNS + 9, 0, PONG_MAP_LINES + 40), 0);
    // A ball far outside the field moves on and finds nothing.
    ball(500, 900, 2, 5);
    emu_run_frame();
    EXPECT_EQ(pong.ball_x, 502);
    EXPECT_EQ(pong.in_play, 1);
}

// ---- Serve, speed and angles ---------------------------------------------------

TEST_F(Pong, ServeDirectionAndAngleComeFromTheRandomNumbers) {
    struct Case {
        int map, v, angles;
        std::vector<u8> rng;
        i32 x, y, dx, dy;
    } cases[] = {
        {28, 0, 1, {1, 0}, 61, 138, -1, -3},  // left, steepest up
        {28, 0, 1, {0, 3}, 61, 138, 1, 3},    // right, steepest down
        {28, 0, 1, {0, 2}, 61, 138, 1, 1},    // index 2 skips horizontal
        {28, 0, 0, {0, 0}, 61, 138, 1, -1},   // "2" angles: 0 becomes 1
        {28, 0, 0, {1, 3}, 61, 138, -1, 1},   // and 4 becomes 3
        {28, 3, 1, {1}, 91, 138, -1, -1},     // squash from the right
        {29, 7, 1, {0}, 30, 138, 1, -3},      // server 0 serves from the left
        {28, 6, 1, {100, 0}, 30, 156, 1, -3}, // moving target
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        pong_angles = c.angles;
        pong_speed = 0;
        start(c.map, c.v);
        script_rng(c.rng);
        pong_serve();
        end_script();
        EXPECT_EQ(pong.ball_x, c.x);
        EXPECT_EQ(pong.ball_y, c.y);
        EXPECT_EQ(pong.ball_dx, c.dx);
        EXPECT_EQ(pong.ball_dy, c.dy);
        EXPECT_EQ(pong.in_play, 1);
    }
}

// A goal and the serve in one frame: the next frame's bat test must not see
// the ball's step into the goal.
TEST_F(Pong, ServeForgetsTheStepIntoTheGoal) {
    pong_serving = 0;
    for (unsigned seed = 1; seed <= 8; seed++) { // serves to either side
        SCOPED_TRACE(seed);
        std::srand(seed);
        start(28, 0);
        paddle_y[0] = 128;
        emu_run_frame();
        ball(25, pong.bat_top[0] + 4, -1, 0);
        emu_run_frame(); // the goal, and at once the serve
        EXPECT_EQ(pong_score[1], 1);
        const i32 dx = pong.ball_dx;
        emu_run_frame();
        EXPECT_EQ(pong.hits, 0);
        EXPECT_EQ(pong.ball_dx, dx);
    }
}

TEST_F(Pong, TwoAnglesNeverServeSteepOrFlat) {
    pong_angles = 0;
    start(28, 0);
    for (u8 r = 0; r < 8; r++) {
        script_rng({0, r});
        pong_serve();
        end_script();
        EXPECT_TRUE(pong.ball_dy == -1 || pong.ball_dy == 1) << int(r);
    }
}

// A ball crossing the right bat of Tennis from the left, at the bat's middle.
void hit_right_bat() {
    pong.ball_dx = pong.ball_dx > 0 ? pong.ball_dx : -pong.ball_dx;
    pong.ball_x = 95 - pong.ball_dx - 1;
    pong.ball_y = pong.bat_top[1] + 7;
    pong.ball_dy = 0;
    pong.bat_x[1] = pong.bat_prev_x[1] = 95;
    pong_test_bats();
}

TEST_F(Pong, EightySixHundredSpeedsUpOnlyAfterSixHits) {
    pong_speed = 1;
    start(29, 7);
    pong_read_bats();
    script_rng({0});
    pong_serve();
    end_script();
    EXPECT_EQ(pong.ball_dx, 1);
    for (int hit = 0; hit < 6; hit++) {
        hit_right_bat();
        EXPECT_EQ(pong.ball_dx, -1) << "hit " << hit;
    }
    EXPECT_EQ(pong.hits, 6);
    hit_right_bat();
    EXPECT_EQ(pong.ball_dx, -2);
    EXPECT_EQ(pong.hits, 7);
}

TEST_F(Pong, GridballAndTargetsAreFastFromTheServe) {
    for (int v : {12, 15}) {
        pong_speed = 1;
        start(29, v);
        script_rng({0, 0, 0});
        pong_serve();
        end_script();
        EXPECT_EQ(pong.ball_dx, 2) << v;
    }
}

TEST_F(Pong, RandomSpeedPicksAnewAtEveryHitAndKeepsTheAngle) {
    pong_speed = 2;
    start(28, 0);
    pong_read_bats();
    script_rng({0, 0, 0, 1, 0});
    pong_serve(); // slow, right, angle 0
    EXPECT_EQ(pong.ball_dx, 1);
    EXPECT_EQ(pong.ball_dy, -3);
    pong.angle = 0;
    pong_set_speed_mode(); // fast
    pong_apply_speed();
    pong_apply_angle();
    EXPECT_EQ(pong.ball_dx, 2);
    EXPECT_EQ(pong.ball_dy, -5);
    pong_set_speed_mode(); // slow again
    pong_apply_speed();
    pong_apply_angle();
    end_script();
    EXPECT_EQ(pong.ball_dx, 1);
    EXPECT_EQ(pong.ball_dy, -3);
}

// ---- Bats -------------------------------------------------------------------------

TEST_F(Pong, BatAnglesByWhereTheBallMeetsTheBat) {
    struct Case {
        int map, angles, sizes;
        i32 d;
        int angle;
    } cases[] = {
        {28, 1, 1, 0, 0},  {28, 1, 1, 7, 1},  {28, 1, 1, 13, 1}, {28, 1, 1, 14, 3},
        {28, 1, 1, 27, 4}, {28, 0, 1, 0, 1},  {28, 0, 1, 27, 3}, {28, 1, 0, 2, 0},
        {28, 1, 0, 3, 1},  {28, 1, 0, 11, 4}, {29, 1, 0, 6, 2},  {29, 1, 1, 12, 2},
        {29, 1, 1, 21, 4}, {29, 1, 0, -2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.map << " " << c.angles << " d " << c.d);
        pong_angles = c.angles;
        pong_batsizes = c.sizes;
        start(c.map, c.map == 28 ? 0 : 7);
        pong_batsizes = c.sizes;
        pong_apply_bat_heights();
        pong_serving = 1; // manual: the frame serves no ball of its own
        emu_run_frame();
        // A flat ball about to cross the right bat d lines below its top.
        ball(93, pong.bat_top[1] + c.d, 1, 0);
        emu_run_frame();
        EXPECT_EQ(pong.ball_dx, -1) << "returned";
        EXPECT_EQ(pong.angle, c.angle);
    }
}

TEST_F(Pong, BatHitCountsTwoLinesAboveTheTop) {
    start(29, 7);
    pong_read_bats();
    ball(93, pong.bat_top[1] - 2, 1, 0);
    pong.bat_x[1] = pong.bat_prev_x[1] = 95;
    pong_test_bats();
    EXPECT_EQ(pong.ball_dx, -1);
    EXPECT_EQ(pong_tone_hz, 976u);
    EXPECT_EQ(rumble_request[1], 10u);

    ball(93, pong.bat_top[1] - 3, 1, 0);
    pong_test_bats();
    EXPECT_EQ(pong.ball_dx, 1) << "three lines above misses";
}

// Games played through the frame loop by the computer on both sides, on
// every chip, with the bats' columns fixed and free. A computer player at
// speed 4 keeps its bats on the ball, so every ball that comes to a bat goes
// back: the bats count hits, Practice counts returns, and no ball reaches a
// goal behind the bats (in Basketball the baskets still score).
TEST_F(Pong, ComputerPlayersReturnEveryBall) {
    struct Chip {
        int map, chip;
    } chips[] = {{28, 0}, {28, 1}, {28, 2}, {29, 2}};
    for (const Chip& c : chips)
        for (int v = c.map == 28 ? 0 : 7; v <= (c.map == 28 ? 4 : 14); v++) {
            if (v == 12) continue; // Gridball has no bats
            for (u32 lock : {1u, 0u}) {
                const u32 region = lock ? 0 : 1; // both video standards
                {
                    SCOPED_TRACE(testing::Message() << "map " << c.map << " chip " << c.chip
                                                    << " game " << v << " lock " << lock
                                                    << " region " << region);
                    robot_left = robot_right = 4;
                    pong_serving = 0;
                    pong_lockhorizontal = lock;
                    start(c.map, v, c.chip, region);
                    int hits = 0, goals = 0, returns = 0;
                    for (int f = 0; f < 700; f++) {
                        const i32 rally = pong.hits, counted = pong_score[1];
                        const u32 tone = pong_tone_hz;
                        emu_run_frame();
                        if (pong.hits > rally) hits += pong.hits - rally;
                        if (pong_tone_hz == 1950u && tone != 1950u) goals++; // the score tone
                        if (pong_score[1] > counted) returns++;
                    }
                    EXPECT_GE(hits, 3);
                    if (v != 13 && v != 14) {
                        EXPECT_EQ(goals, 0);
                    }
                    if (v == 4 || v == 11 || v == 14) {
                        EXPECT_GE(returns, 2);
                    }
                }
            }
        }
}

// A player who holds keys of their own: the horizontal control at one end,
// and up or down to keep the middle of the bat on the ball.
void follow_ball(int player, int horizontal_key) {
    const u16* keys = player_keys[player];
    for (int k : {GK_UP, GK_DOWN, GK_LEFT, GK_RIGHT})
        host_key_clear(keys[k] & 127);
    if (horizontal_key >= 0) host_key_set(keys[horizontal_key] & 127);
    const i32 middle = (pong.bat_top[player] + pong.bat_bottom[player]) / 2;
    if (middle < pong.ball_y - 2) host_key_set(keys[GK_DOWN] & 127);
    if (middle > pong.ball_y + 2) host_key_set(keys[GK_UP] & 127);
}

// On the AY-3-8550 with the bats free to move across, a bat held at its
// leftmost column, by the wall, still returns the ball that comes back off
// the wall onto it.
TEST_F(Pong, AY8550BatAtItsLeftmostColumnReturnsTheBall) {
    for (int v : {4, 3}) {
        SCOPED_TRACE(v);
        pong_lockhorizontal = 0;
        pong_serving = 0;
        start(28, v, 2);
        pong_lockhorizontal = 0;
        int hits = 0;
        for (int f = 0; f < 1500 && !pong.game_over; f++) {
            follow_ball(0, GK_LEFT);
            follow_ball(1, GK_LEFT);
            const i32 rally = pong.hits;
            emu_run_frame();
            if (pong.hits > rally) hits += pong.hits - rally;
        }
        input_clear_key_matrix();
        EXPECT_EQ(pong.bat_x[0], 27);
        EXPECT_GE(hits, 15);
        if (v == 4) {
            EXPECT_EQ(pong_score[1], 15) << "returns";
            EXPECT_EQ(pong_score[0], 0) << "misses";
        } else {
            EXPECT_EQ(pong_score[0] + pong_score[1], 0) << "points";
        }
    }
}

// Hockey between two computer players: a flat ball does not stay on one
// line in the band between a goalkeeper and a forward, and the computers that
// never miss (speed 4) guard the goal line, so that their forwards let an
// angled ball by: the ball crosses the middle.
TEST_F(Pong, HockeyBetweenComputersCrossesTheMiddle) {
    for (u32 region : {0u, 1u})
    for (i32 speed = 1; speed <= 4; speed++) {
        SCOPED_TRACE(testing::Message() << "speed " << speed << " region " << region);

        std::srand(1);
        robot_left = robot_right = speed;
        pong_serving = 0;
        start(29, 8, 2, region);
        int crossings = 0, half = 0;
        for (int f = 0; f < 3000; f++) {
            emu_run_frame();
            const int now = pong.ball_x + 1 < 61 ? -1 : pong.ball_x > 61 ? 1 : 0;
            if (pong.in_play && now && half && now != half) crossings++;
            if (now) half = now;
            if (!pong.in_play) half = 0;
        }
        EXPECT_GE(crossings, 1);
    }
}

// Squash between two computer players: a computer whose turn it is not
// keeps its bat out of the ball's way, so no point goes by a hit out of turn.
TEST_F(Pong, SquashBetweenComputersGivesNoPointAwayOutOfTurn) {
    for (i32 speed = 1; speed <= 4; speed++) {
        SCOPED_TRACE(speed);
        std::srand(1);
        robot_left = robot_right = speed;
        pong_serving = 0;
        start(29, 10);
        int hits = 0, out_of_turn = 0;
        for (int f = 0; f < 3000; f++) {
            const i32 rally = pong.hits, server = pong.server;
            const i32 score = pong_score[0] * 100 + pong_score[1];
            emu_run_frame();
            if (pong.hits > rally) hits += pong.hits - rally;
            const bool changed = pong.server != server || pong_score[0] * 100 + pong_score[1] != score;
            // A missed ball sounds the score tone; a hit out of turn the bat's.
            if (changed && pong_tone_hz == 976u) out_of_turn++;
        }
        EXPECT_EQ(out_of_turn, 0);
        EXPECT_GE(hits, 9);
    }
}

TEST_F(Pong, BatsFollowTheirPaddlesWithinThePlayableLines) {
    pong_batsizes = 1;
    start(29, 7);
    pong_batsizes = 1;
    pong_apply_bat_heights();
    struct Case {
        i32 paddle, top;
    } cases[] = {{128, 124}, {0, 44}, {255, 204}, {40, 44}};
    for (const Case& c : cases) {
        paddle_y[0] = c.paddle;
        pong_read_bats();
        EXPECT_EQ(pong.bat_top[0], c.top) << c.paddle;
        EXPECT_EQ(pong.bat_bottom[0], c.top + 27);
    }
}

TEST_F(Pong, AY8550BatsSlideTowardTheHorizontalControl) {
    pong_lockhorizontal = 0;
    start(28, 0, 2);
    pong_lockhorizontal = 0;
    paddle_x[0] = 255; // target 43 + 127 / 6 = 64, clamped to 60
    pong.bat_prev_x[0] = 27;
    for (int f = 0; f < 40; f++) {
        pong_read_bats();
        pong.bat_prev_x[0] = pong.bat_x[0];
    }
    EXPECT_EQ(pong.bat_x[0], 60);
}

TEST_F(Pong, RobotTracksTheBall) {
    robot_right = 4;
    start(29, 7);
    emu_run_frame();
    ball(60, 150, 1, 1);
    pong_read_inputs();
    EXPECT_EQ(paddle_y[1], 142);
    pong_read_bats();
    // The bat's centre sits two lines below the ball.
    EXPECT_EQ(pong.bat_top[1] + pong.bat_height[1] / 2, 152);
    // A flat ball below the field's middle is met a quarter bat lower down
    // the bat, so that it goes back downward.
    ball(60, 150, 1, 0);
    pong_read_inputs();
    pong_read_bats();
    EXPECT_EQ(pong.bat_top[1] + pong.bat_height[1] / 2, 152 - pong.bat_height[1] / 4);

    robot_right = 2;
    paddle_y[1] = 100;
    pong_read_bats();
    pong_read_inputs();
    EXPECT_EQ(paddle_y[1], 102);

    pong.in_play = 0;
    pong_read_inputs();
    EXPECT_EQ(pong.fire[1], 1) << "asks for the serve between points";
    EXPECT_EQ(pong.serve_request[1], 1);
}

// ---- Goals, scores, game end and tones -------------------------------------------

// The ball runs into a goal: the scoring table.
TEST_F(Pong, ScoringRows) {
    struct Case {
        int v, goal; // 1 left, 2 right
        i32 turn, server, left0, right0;
        i32 left, right, server_after;
    } cases[] = {
        {0, 1, 1, 0, 0, 0, 0, 1, 0},  {0, 2, 1, 0, 0, 0, 1, 0, 0},  {3, 2, 1, 0, 0, 0, 1, 0, 0},
        {3, 2, 0, 0, 0, 0, 0, 1, 0},  {4, 2, 1, 0, 2, 7, 3, 0, 0},  {9, 1, 1, 1, 0, 0, 0, 1, 0},
        {9, 2, 1, 0, 0, 0, 1, 0, 1},  {10, 2, 1, 1, 0, 0, 0, 0, 0}, {10, 2, 1, 0, 0, 0, 1, 0, 0},
        {10, 2, 0, 1, 0, 0, 0, 1, 1}, {10, 2, 0, 0, 0, 0, 0, 0, 1}, {11, 2, 1, 0, 0, 4, 1, 0, 0},
        {7, 2, 1, 0, 0, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "variant " << c.v << " goal " << c.goal);
        start(c.v <= 6 ? 28 : 29, c.v);
        pong_serving = 1; // manual: nothing serves again in this frame
        pong.turn = c.turn;
        pong.server = c.server;
        pong_score[0] = c.left0;
        pong_score[1] = c.right0;
        if (c.goal == 1)
            ball(27, 138, -2, 0);
        else
            ball(95, 138, 2, 0);
        // Keep the bats away from the ball.
        paddle_y[0] = paddle_y[1] = paddle_y[2] = paddle_y[3] = 255;
        pong.server = c.server;
        emu_run_frame();
        EXPECT_EQ(pong_score[0], c.left);
        EXPECT_EQ(pong_score[1], c.right);
        EXPECT_EQ(pong.server, c.server_after);
        EXPECT_EQ(pong.in_play, 0);
        EXPECT_EQ(pong_tone_hz, 1950u);
    }
}

// The goals that are not at the ends: the hockey mouths and the basket.
TEST_F(Pong, GoalsInsideTheField) {
    start(29, 8);
    pong_serving = 1;
    paddle_y[0] = paddle_y[1] = 255;
    ball(33, 138, -2, 0); // into the left mouth at column 31
    emu_run_frame();
    EXPECT_EQ(pong_score[1], 1);
    EXPECT_EQ(pong.in_play, 0);
    ball(33, 100, -2, 0); // beside the mouth: nothing stops it
    emu_run_frame();
    EXPECT_EQ(pong.in_play, 1);
    EXPECT_EQ(pong_score[1], 1);

    start(29, 14);
    ball(28, 84, 0, -3); // up into the basket
    emu_run_frame();
    EXPECT_EQ(pong_score[0], 1);
    EXPECT_EQ(pong_tone_hz, 1950u);
    ball(28, 95, 0, 3); // down onto its floor
    emu_run_frame();
    EXPECT_EQ(pong.ball_dy, -3);
    EXPECT_EQ(pong_score[0], 1);
}

TEST_F(Pong, FifteenPointsEndTheGameUntilReset) {
    pong_serving = 0; // automatic
    start(28, 0);
    pong_score[1] = 14;
    paddle_y[0] = paddle_y[1] = 255;
    ball(27, 138, -2, 0);
    emu_run_frame();
    EXPECT_EQ(pong_score[1], 15);
    EXPECT_EQ(pong.game_over, 1);
    for (int f = 0; f < 20; f++)
        emu_run_frame();
    EXPECT_EQ(pong.in_play, 0);
    EXPECT_EQ(pong.ball_x, 61);
    EXPECT_EQ(pong.ball_y, 138);
    machine_reset();
    EXPECT_EQ(pong.game_over, 0);
    EXPECT_EQ(pong_score[1], 0);
    emu_run_frame();
    EXPECT_EQ(pong.in_play, 1) << "automatic serving after the reset";
}

TEST_F(Pong, TennisOnTheEightySixHundredSwapsServerEveryFifthPoint) {
    start(29, 7);
    pong.server = 0;
    for (int points = 1; points <= 10; points++) {
        pong_score[points % 2] += 1;
        pong_point_over();
        const i32 want = points < 5 ? 0 : points < 10 ? 1 : 0;
        EXPECT_EQ(pong.server, want) << points;
    }
}

TEST_F(Pong, TonesAndTheirLength) {
    for (u32 r : {0u, 1u}) {
        retune = r;
        start(29, 7);
        pong_serving = 1;
        ball(61, 46, 1, -3);
        emu_run_frame();
        EXPECT_EQ(pong_tone_hz, 488u) << "wall";
        emu_run_frame();
        EXPECT_EQ(pong_tone_hz, 488u) << "second frame";
        emu_run_frame();
        EXPECT_EQ(pong_tone_hz, 0u) << "silent after two frames";
        paddle_y[0] = paddle_y[1] = 255;
        ball(27, 138, -2, 0);
        emu_run_frame();
        EXPECT_EQ(pong_tone_hz, r ? 1952u : 1950u) << "goal";
    }
}

TEST_F(Pong, PracticeMissClearsTheReturnsAndCountsAMiss) {
    start(28, 4);
    pong_serving = 1;
    pong_read_bats();
    // A return: the ball crosses the bat at column 79 from the left.
    ball(77, pong.bat_top[0] + 5, 1, 0);
    pong.bat_x[0] = pong.bat_prev_x[0] = 79;
    pong.turn = 0;
    pong_test_bats();
    EXPECT_EQ(pong_score[1], 1);
    EXPECT_EQ(pong.turn, 1);
    paddle_y[0] = 255;
    ball(95, 138, 2, 0);
    emu_run_frame();
    EXPECT_EQ(pong_score[1], 0);
    EXPECT_EQ(pong_score[0], 1);
}

// ---- Guns ---------------------------------------------------------------------------

TEST_F(Pong, RifleShotsAndHits) {
    start(28, 6); // Rifle #2: one shot per serve
    pong.ball_x = 50;
    pong.ball_y = 100;
    pong.ball_half_height = 7;
    pong.in_play = 1;
    pong.gun_x[0] = 50;
    pong.gun_y[0] = 105;
    pong.fire[0] = 0;
    pong_gun_shot(0); // arms
    pong.fire[0] = 1;
    pong_gun_shot(0);
    EXPECT_EQ(pong.shot_result[0], 2);
    EXPECT_EQ(pong_score[0], 1) << "hit";
    EXPECT_EQ(pong_score[1], 1) << "shots fired";
    EXPECT_EQ(pong.hit_timer, 50);
    pong.fire[0] = 0;
    pong_gun_shot(0);
    pong.fire[0] = 1;
    pong_gun_shot(0);
    EXPECT_EQ(pong_score[1], 1) << "no second shot in Rifle #2";

    start(28, 5); // Rifle #1: any number, misses too
    pong.ball_x = 50;
    pong.ball_y = 100;
    pong.ball_half_height = 7;
    pong.gun_x[0] = 80;
    pong.gun_y[0] = 100;
    for (int shot = 0; shot < 3; shot++) {
        pong.fire[0] = 0;
        pong_gun_shot(0);
        pong.fire[0] = 1;
        pong_gun_shot(0);
    }
    EXPECT_EQ(pong_score[1], 3);
    EXPECT_EQ(pong_score[0], 0);
    EXPECT_EQ(pong.shot_result[0], 1);
}

// The middle of the target as drawn (the only thing in the ball's colour),
// false while none shows.
bool drawn_target(i32* x, i32* y) {
    const i32 w = machine_live[PONG].width, h = machine_live[PONG].height;
    i32 x0 = w, x1 = -1, y0 = h, y1 = -1;
    for (i32 px = 0; px < w; px++)
        for (i32 py = 0; py < h; py++)
            if (guest_frame[px * GUEST_FRAME_ROWS + py] == 0) {
                x0 = std::min(x0, px), x1 = std::max(x1, px);
                y0 = std::min(y0, py), y1 = std::max(y1, py);
            }
    if (x1 < 0) return false;
    *x = (x0 + x1) / 2;
    *y = (y0 + y1) / 2;
    return true;
}

// The mouse aimed at the target as it is drawn hits it, on every chip and
// with the players swapped or not: from the host pointer over the display,
// through the frame, to the gun of the side the mouse's player plays.
TEST_F(Pong, MouseAimedAtTheDrawnTargetHits) {
    struct Case {
        int map, chip, variant, side; // the side whose gun the mouse aims
    } cases[] = {{28, 0, 5, 0}, {28, 1, 5, 0}, {28, 2, 5, 0}, {29, 2, 15, 0}, {29, 2, 16, 1}};
    for (const Case& c : cases)
        for (u32 swap : {0u, 1u}) {
            SCOPED_TRACE(testing::Message() << "chip " << c.map << "/" << c.chip << " game "
                                            << c.variant << " swapped " << swap);
            swapped = swap;
            const int player = swap ? 1 - c.side : c.side; // the mouse's
            controller_left = player == 0 ? 1 : 3;
            controller_right = player == 1 ? 1 : 0;
            pong_speed = 0;
            start(c.map, c.variant, c.chip);
            // The frame is shown three times its size, 10 and 20 pixels in.
            const i32 w = machine_live[PONG].width, h = machine_live[PONG].height;
            pointer_display[0] = 10;
            pointer_display[1] = 20;
            pointer_display[2] = 10 + 3 * w;
            pointer_display[3] = 20 + 3 * h;
            int shots = 0;
            for (int f = 0; f < 3000 && shots < 15; f++) {
                i32 x, y;
                mouse_buttons_held[0] = 0;
                if (f % 2 && drawn_target(&x, &y)) {
                    pointer_x = 10 + 3 * x + 1;
                    pointer_y = 20 + 3 * y + 1;
                    mouse_buttons_held[0] = 1;
                    shots++;
                }
                emu_run_frame();
            }
            mouse_buttons_held[0] = 0;
            emu_run_frame();
            EXPECT_EQ(shots, 15);
            // Rifle #1 scores hits on the left, the AY-3-8600's targets on the right.
            EXPECT_EQ(pong_score[c.map == 28 ? 0 : 1], 15) << "every shot hits";
            // Fifteen points end the game: no target is served until a reset.
            for (int f = 0; f < 60; f++) {
                emu_run_frame();
                ASSERT_EQ(pong.in_play, 0) << "frame " << f;
                ASSERT_EQ(pong.ball_x, 61);
            }
            EXPECT_EQ(pong.game_over, 1);
            machine_reset();
            emu_run_frame();
            EXPECT_EQ(pong.in_play, 1) << "served after the reset";
        }
    swapped = 0;
}

// A click on the picture let go within the same event pass, as a touchpad's
// tap is, still fires the mouse's gun in the next frame: once.
TEST_F(Pong, AQuickClickFiresTheMouseGun) {
    controller_left = 1;
    controller_right = 0;
    start(28, 5); // Rifle #1: each shot counts on the right
    gui_open_main_window(0);
    app_inner_pass();
    const int x = (display_rect[0] + display_rect[2]) / 2,
              y = (display_rect[1] + display_rect[3]) / 2;
    for (int code : {1, 1 + RAWKEY_UP})
        gui_headless_post(main_window, {GE_MOUSEBUTTON, 0, code, 0, x, y, {}});
    for (int pass = 0; pass < 4; pass++)
        app_inner_pass();
    EXPECT_EQ(pong_score[1], 1);
}

// ---- Console buttons -----------------------------------------------------------------

TEST_F(Pong, SelectWrapsWithinTheChipsGames) {
    start(28, 6);
    pong.armed_select = 1;
    host_key_set(console_keys[1] & 127);
    pong_read_inputs();
    EXPECT_EQ(pong_variant, 0);
    pong_read_inputs();
    EXPECT_EQ(pong_variant, 0) << "held: one press";
    host_key_clear(console_keys[1] & 127);
    pong_read_inputs();
    host_key_set(console_keys[1] & 127);
    pong_read_inputs();
    host_key_clear(console_keys[1] & 127);
    EXPECT_EQ(pong_variant, 1);

    start(29, 16);
    pong.armed_select = 1;
    host_key_set(console_keys[1] & 127);
    pong_read_inputs();
    host_key_clear(console_keys[1] & 127);
    EXPECT_EQ(pong_variant, 7);
}

// A click holds a console button for several frames: still one press. The
// controls picture holds it for as long as the mouse button is down.
TEST_F(Pong, ToolbarAndControlsPictureButtonsArePresses) {
    start(28, 0);
    pong_batsizes = 0;
    pong_score[0] = 7;
    pong.armed_select = pong.armed_batsize = pong.armed_reset = 1;
    input_press_console_button(1);
    input_press_console_button(3);
    for (int f = 0; f < input_console_click_frames(1) + 1; f++)
        pong_read_inputs();
    EXPECT_FALSE(input_console_button_held(1)) << "the click's hold runs out";
    EXPECT_EQ(pong_variant, 1);
    EXPECT_EQ(pong_batsizes, 1);
    EXPECT_EQ(pong_score[0], 7);

    virtual_key = 1;
    pong_read_inputs();
    pong_read_inputs();
    virtual_key = -1;
    pong_read_inputs();
    EXPECT_EQ(pong_variant, 2);

    virtual_key = 0;
    pong_read_inputs();
    virtual_key = -1;
    EXPECT_EQ(pong_score[0], 0) << "Start: a new game";
}

u32 pad_bits[2];
u32 pad_read(int port) {
    return pad_bits[port & 1];
}
u32 pad_axes(int) {
    return 0;
}
void pad_type(int, int) {}
void pad_rumble(int) {}
const PadDevice test_pads = {pad_read, pad_axes, pad_type, pad_rumble, pad_rumble, false};

// Each console button does what its label says, pressed on the toolbar, by
// its host key (F1-F4) or, but for Bat size, by a gamepad's console button.
TEST_F(Pong, ConsoleButtonsDoWhatTheirLabelsSay) {
    enum How { TOOLBAR, KEY, PAD };
    static constexpr u32 pad_button[3] = {PAD_START, PAD_REVERSE, PAD_FORWARD};
    for (How how : {TOOLBAR, KEY, PAD}) {
        SCOPED_TRACE(how == TOOLBAR ? "toolbar" : how == KEY ? "key" : "gamepad");
        pong_serving = 1; // by hand
        pong_batsizes = 0;
        start(28, 0);
        controller_left = how == PAD ? 5 : 3;
        pad_device = how == PAD ? &test_pads : nullptr;
        emu_run_frame();
        // Presses the button labelled `label` and lets it go again.
        auto press = [&](const char* label) {
            int k = 0;
            while (k < 4 && strcasecmp(machine_live_row().console_labels[k], label) != 0)
                k++;
            ASSERT_LT(k, 4) << label;
            if (how == TOOLBAR) gui_toolbar_command(2, 11 + k, false);
            if (how == KEY) host_key_set(console_keys[k] & 127);
            if (how == PAD) pad_bits[0] = pad_button[k];
            emu_run_frame();
            host_key_clear(console_keys[k] & 127);
            pad_bits[0] = 0;
            for (int f = 0; f < input_console_click_frames(k) + 1; f++)
                emu_run_frame();
        };
        EXPECT_EQ(pong.in_play, 0);
        press("Serve");
        EXPECT_EQ(pong.in_play, 1) << "Serve";
        pong_score[0] = pong_score[1] = 2;
        press("Start");
        EXPECT_EQ(pong_score[0], 0) << "Start";
        EXPECT_EQ(pong_score[1], 0) << "Start";
        EXPECT_EQ(pong_variant, 0);
        EXPECT_EQ(pong_batsizes, 0);
        press("Game");
        EXPECT_EQ(pong_variant, 1) << "Game";
        EXPECT_EQ(pong_batsizes, 0);
        if (how != PAD) {
            press("Bat size");
            EXPECT_EQ(pong_batsizes, 1) << "Bat size";
            EXPECT_EQ(pong_variant, 1);
        }
    }
    pad_device = nullptr;
}

// With manual serving the serve button starts the rally, from the toolbar too.
TEST_F(Pong, ToolbarServesByHand) {
    start(28, 0);
    pong_serving = 1;
    pong.armed_serve = 1;
    emu_run_frame();
    EXPECT_EQ(pong.in_play, 0);
    input_press_console_button(2);
    emu_run_frame();
    emu_run_frame();
    EXPECT_EQ(pong.in_play, 1);
}

// The game information describes the game chosen, and follows the select
// button; other machines have no such text.
TEST_F(Pong, GameInformationDescribesTheGameChosen) {
    std::set<std::string> seen;
    for (int v = 0; v < PONG_VARIANTS; v++) {
        start(v < 7 ? 28 : 29, v);
        game_info_text();
        EXPECT_STREQ(game_overlay_text, pong_game_texts[v]) << v;
        EXPECT_GT(std::strlen(game_overlay_text), 20u) << v;
        seen.insert(game_overlay_text);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(PONG_VARIANTS)) << "one text per game";

    start(29, 16);
    pong.armed_select = 1;
    input_press_console_button(1);
    pong_read_inputs();
    EXPECT_EQ(pong_variant, 7);
    EXPECT_STREQ(game_overlay_text, pong_game_texts[7]);

    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    game_info_text();
    EXPECT_STREQ(game_overlay_text, "");
}

TEST_F(Pong, MachineSetUpKeepsTheOptionsInTheChipsRange) {
    pong_variant = 3;
    pong_speed = 2;
    start(29, 3);
    pong_variant = 3;
    pong_machine_init();
    EXPECT_EQ(pong_variant, 11);
    EXPECT_EQ(pong_speed, 0);
    pong_variant = 12;
    pong_batsizes = 3;
    prefs_user_chose(&pong_variant);
    prefs_user_chose(&pong_batsizes);
    ASSERT_TRUE(machine_switch(PONG, 28, true, true, false));
    EXPECT_EQ(pong_variant, 4);
    EXPECT_EQ(pong_batsizes, 1);
    EXPECT_EQ(pong.bat_height[0], 28);
}

// ---- Gridball ------------------------------------------------------------------------

// The grid scrolls by the same number of lines every frame, across the wrap
// too, in both video standards.
TEST_F(Pong, GridballScrollsSeamlessly) {
    for (u32 region : {0u, 1u}) {
        SCOPED_TRACE(region);
        start(29, 12, 2, region);
        const i32 first = region ? 46 : 44, period = region ? 228 : 188;
        paddle_y[0] = 128 + 5 * 12; // 5 lines a frame
        paddle_y[1] = 128;
        auto column = [&] {
            std::string s;
            for (i32 l = first; l < first + period; l++)
                s += cell(30, l) == PONG_WALL_V ? '#' : '.';
            return s;
        };
        emu_run_frame();
        std::string before = column();
        for (int f = 0; f < 60; f++) {
            paddle_y[0] = 128 + 5 * 12;
            emu_run_frame();
            const std::string now = column();
            const std::string shifted = before.substr(static_cast<size_t>(period - 5)) +
                                        before.substr(0, static_cast<size_t>(period - 5));
            ASSERT_EQ(now, shifted) << "frame " << f;
            before = now;
        }
    }
}

// ---- Save states and recordings -----------------------------------------------------

std::vector<u8> save_state() {
    std::vector<u8> buf;
    EXPECT_TRUE(state_write_buffer(0, &buf));
    return buf;
}

TEST_F(Pong, SaveStateRoundTripMidGame) {
    robot_left = robot_right = 4;
    start(29, 9);
    for (int f = 0; f < 30; f++)
        emu_run_frame();
    ASSERT_EQ(pong.in_play, 1);
    pong_score[0] = 3;
    pong_score[1] = 12;
    pong.hits = 4;
    paddle_y[2] = 77;
    pong_pointer_x[1] = -1;
    const PongState saved = pong;
    const std::vector<u8> file = save_state();

    pong_variant = 10;
    pong = PongState{};
    pong_score[0] = pong_score[1] = 0;
    paddle_y[2] = 0;
    std::string error;
    ASSERT_TRUE(test_state_load(file.data(), static_cast<u32>(file.size()), &error)) << error;
    EXPECT_EQ(pong_variant, 9);
    EXPECT_EQ(pong_score[0], 3);
    EXPECT_EQ(pong_score[1], 12);
    EXPECT_EQ(pong.ball_x, saved.ball_x);
    EXPECT_EQ(pong.ball_y, saved.ball_y);
    EXPECT_EQ(pong.ball_dx, saved.ball_dx);
    EXPECT_EQ(pong.ball_dy, saved.ball_dy);
    EXPECT_EQ(pong.hits, 4);
    EXPECT_EQ(pong.in_play, 1);
    EXPECT_EQ(pong.server, saved.server);
    EXPECT_EQ(paddle_y[2], 77);
    EXPECT_EQ(pong_pointer_x[1], -1);
    // The game goes on exactly as before.
    emu_run_frame();
    EXPECT_EQ(pong.ball_x, saved.ball_x + saved.ball_dx);
}

TEST_F(Pong, DamagedStatesAreRefused) {
    start(28, 0);
    std::vector<u8> file = save_state();
    std::string error;
    std::vector<u8> bad = file;
    bad[8] = 40; // left score, after the header and the paddles
    EXPECT_FALSE(test_state_load(bad.data(), static_cast<u32>(bad.size()), &error));
    bad = file;
    bad[8 + 2 + 2 + 4 + 1] = 12; // an AY-3-8600 game on map 28
    EXPECT_FALSE(test_state_load(bad.data(), static_cast<u32>(bad.size()), &error));
    bad = file;
    bad.resize(bad.size() - 3);
    EXPECT_FALSE(test_state_load(bad.data(), static_cast<u32>(bad.size()), &error));
    EXPECT_TRUE(test_state_load(file.data(), static_cast<u32>(file.size()), &error)) << error;
}

// Ball, rally, bat and grid fields hold only what the game can reach: a state
// with any other 32-bit value is refused before it is applied.
TEST_F(Pong, StatesWithUnreachableBallAndFieldValuesAreRefused) {
    start(29, 9);
    const std::vector<u8> file = save_state();
    const PongState kept = pong;
    struct Field {
        i32* value;
        const char* name;
    } fields[] = {{&pong.ball_x, "ball position"}, {&pong.ball_y, "ball position"},
                  {&pong.ball_dx, "ball speed"},   {&pong.ball_dy, "ball speed"},
                  {&pong.hits, "rally length"},    {&pong.bat_prev_x[1], "bat position"},
                  {&pong.grid_scroll[1], "grid position"}};
    for (const Field& f : fields) {
        SCOPED_TRACE(f.name);
        // The field's place: its lowest byte (stored last) is the last byte
        // that differs in a state with it one higher.
        ++*f.value;
        const std::vector<u8> moved = save_state();
        --*f.value;
        ASSERT_EQ(moved.size(), file.size());
        std::size_t last = file.size();
        while (last > 0 && moved[last - 1] == file[last - 1])
            last--;
        ASSERT_GE(last, 4u);
        // 1 is in reach for every one of them; the largest and smallest values are not.
        for (const std::array<u8, 4> value : {std::array<u8, 4>{0x7F, 0xFF, 0xFF, 0x7F},
                                              std::array<u8, 4>{0x80, 0x00, 0x00, 0x80},
                                              std::array<u8, 4>{0x00, 0x00, 0x00, 0x01}}) {
            std::vector<u8> changed = file;
            std::copy(value.begin(), value.end(), changed.begin() + static_cast<long>(last - 4));
            std::string error;
            const bool reachable = value[3] == 1;
            EXPECT_EQ(test_state_load(changed.data(), static_cast<u32>(changed.size()), &error),
                      reachable)
                << error;
            if (reachable) {
                EXPECT_EQ(*f.value, 1);
                pong = kept;
            } else {
                EXPECT_EQ(pong.ball_x, kept.ball_x); // nothing of it applied
            }
        }
    }
}

// A ball out of play stops well off the field, so that what it reaches is
// always a state the game takes back.
TEST_F(Pong, ABallOutOfPlayStopsOffTheFieldAndItsStateLoads) {
    start(29, 9);
    pong.server = 0; // nobody serves
    ball(120, 140, 2, 5);
    pong.in_play = 0;
    for (int f = 0; f < 200; f++)
        emu_run_frame();
    EXPECT_LE(pong.ball_x, PONG_MAP_COLUMNS + PONG_BALL_MARGIN + 2);
    EXPECT_LE(pong.ball_y, PONG_MAP_LINES + PONG_BALL_MARGIN + 5);
    const i32 x = pong.ball_x;
    emu_run_frame();
    EXPECT_EQ(pong.ball_x, x);
    const std::vector<u8> file = save_state();
    std::string error;
    EXPECT_TRUE(test_state_load(file.data(), static_cast<u32>(file.size()), &error)) << error;
    EXPECT_EQ(pong.ball_x, x);
}

// A game recorded with moving bats, a robot and random serves plays back the
// same, frame for frame.
TEST_F(Pong, RecordingReplaysAGameExactly) {
    pong_serving = 0;
    robot_right = 3;
    start(28, 0);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    rec_file = f;
    rec_state = REC_RECORDING;
    std::vector<i32> trail;
    const u32 up = player_keys[0][GK_UP] & 127, down = player_keys[0][GK_DOWN] & 127;
    for (int frame = 0; frame < 400; frame++) {
        // The left player holds up or down in turns through the input pass.
        host_key_clear(up);
        host_key_clear(down);
        host_key_set((frame / 25) % 2 ? up : down);
        emu_run_frame();
        trail.push_back(pong.ball_x * 1000 + pong.ball_y);
        trail.push_back(pong_score[0] * 100 + pong_score[1]);
    }
    rec_state = REC_IDLE;
    rec_file = nullptr;
    host_key_clear(up);
    host_key_clear(down);
    const long size = std::ftell(f);
    ASSERT_GT(size, 400 * 18);
    std::vector<u8> bytes(static_cast<size_t>(size));
    std::rewind(f);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);

    start(28, 0);
    script_rng(bytes);
    std::vector<i32> replay;
    for (int frame = 0; frame < 400; frame++) {
        host_key_clear(up);
        host_key_clear(down); // the host's keys do not matter in playback
        emu_run_frame();
        replay.push_back(pong.ball_x * 1000 + pong.ball_y);
        replay.push_back(pong_score[0] * 100 + pong_score[1]);
    }
    ASSERT_EQ(replay.size(), trail.size());
    for (size_t i = 0; i < trail.size(); i++)
        ASSERT_EQ(replay[i], trail[i]) << "frame " << i / 2;
    EXPECT_NE(trail.front(), trail.back());
}

} // namespace

