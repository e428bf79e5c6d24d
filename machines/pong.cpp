// The ball-and-paddle game: serve, speeds and angles, walls and goals, the
// score and the tones. Bats, guns, drawing and the machine glue are in
// pong_field.cpp.
#include "machines/pong.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "sound/voice_update.h"

#include <utility>

PongState pong;
i32 pong_score[2];
u8 pong_field_map[PONG_MAP_COLUMNS * PONG_MAP_LINES];

static constexpr u32 TONE_WALL = 488, TONE_BAT = 976;

static bool fifty() {
    return (emu_region & 1) != 0;
}
static bool chip_1976() {
    return memmap == 28 && pong_machine == 0;
}
static i32 ball_width() {
    return chip_1976() ? 0 : 1;
}
static i32 middle_line() {
    return fifty() ? 160 : 138;
}

bool pong_target_variant(i32 v) {
    return v == 5 || v == 6 || v == 15 || v == 16;
}

void pong_set_tone(u32 hz) {
    pong_tone_hz = hz;
    pong.tone_end = frame_counter + PONG_TONE_FRAMES;
    snd_update_voices(0);
    if (hz == TONE_BAT && pong.hits < PONG_HITS_MAX) pong.hits++;
}

static u32 score_tone() {
    return retune ? 1952 : 1950;
}

bool pong_chip_8600() {
    return memmap != MAP_PONG_8550;
}

int pong_speed_choices() {
    return pong_chip_8600() ? 2 : 3; // only the AY-3-8500 family has "random"
}

void pong_set_speed_mode() {
    if (memmap == 28 && pong_speed == 2)
        pong.fast = rng_byte(2);
    else
        pong.fast = pong_speed == 1 ? 1 : 0;
}

static bool fast_now() {
    if (pong.fast != 1) return false;
    return memmap == 28 || pong_variant == 12 || pong_variant == 15 || pong_variant == 16 ||
           pong.hits >= 6;
}

void pong_apply_speed() {
    const bool f = fast_now();
    if (f && pong.ball_dx == -1) pong.ball_dx = -2;
    if (f && pong.ball_dx == 1) pong.ball_dx = 2;
    if (!f && pong.ball_dx == -2) pong.ball_dx = -1;
    if (!f && pong.ball_dx == 2) pong.ball_dx = 1;
}

void pong_apply_angle() {
    static constexpr i32 fast_dy[5] = {-5, -2, 0, 2, 5};
    static constexpr i32 slow_dy[5] = {-3, -1, 0, 1, 3};
    if (pong.angle < 0 || pong.angle > 4) return;
    pong.ball_dy = fast_now() ? fast_dy[pong.angle] : slow_dy[pong.angle];
}

void pong_angle_from_dy() {
    switch (pong.ball_dy) {
    case -5:
    case -3:
        pong.angle = 0;
        break;
    case -2:
    case -1:
        pong.angle = 1;
        break;
    case 0:
        pong.angle = 2;
        break;
    case 1:
    case 2:
        pong.angle = 3;
        break;
    case 3:
    case 5:
        pong.angle = 4;
        break;
    default:
        break;
    }
}

void pong_serve() {
    pong.shot_result[0] = pong.shot_result[1] = 0;
    pong.shot_armed[0] = pong.shot_armed[1] = 0;
    pong.ball_x = 61;
    pong.ball_y = middle_line();
    pong.ball_dx = pong.ball_dy = 0;
    pong.in_play = 1;
    pong.hits = 0;
    pong.hit_timer = 0;
    pong_set_speed_mode();
    switch (pong_variant) {
    case 3:
    case 4:
    case 10:
    case 11:
        pong.ball_x = 91;
        pong.ball_dx = -1;
        break;
    case 6:
    case 15:
    case 16: {
        const i32 r = fifty() ? rng_byte(204) : rng_byte(164);
        pong.ball_x = 30;
        pong.ball_y = r + (fifty() ? 58 : 56);
        pong.ball_dx = 1;
        break;
    }
    case 7:
    case 9:
        if (pong.server != 0) {
            pong.ball_x = 91;
            pong.ball_dx = -1;
        } else {
            pong.ball_x = 30;
            pong.ball_dx = 1;
        }
        break;
    default: // 0, 1, 2, 5, 8, 12, 13, 14
        pong.ball_dx = rng_byte(2) != 0 ? -1 : 1;
        break;
    }
    pong_apply_speed();
    i32 a = rng_byte(4);
    if (a > 1) a++;
    if (memmap == 28 && pong_angles == 0) {
        if (a == 0) a = 1;
        if (a == 4) a = 3;
    }
    pong.angle = a;
    pong_apply_angle();
}

void pong_point_over() {
    pong.serve_request[0] = pong.serve_request[1] = 0;
    pong.in_play = 0;
    if (pong_variant == 7) {
        const i32 sum = pong_score[0] + pong_score[1];
        if (sum != 0 && sum % 5 == 0) pong.server = pong.server == 0 ? 1 : 0;
    }
}

void pong_end_game() {
    pong.ball_x = 61;
    pong.ball_y = middle_line();
    pong.ball_dx = pong.ball_dy = 0;
    pong.in_play = 0;
    pong.game_over = 1;
}

void pong_end_test() {
    if (pong_score[0] > 14 || pong_score[1] > 14)
        pong_end_game();
    else
        pong_point_over();
}

static void add_point(int side) {
    if (pong_score[side] < 15) pong_score[side]++;
}

// The score change of a ball entering goal `goal` (1 left, 2 right).
static void goal_scored(int goal) {
    const bool left = goal == 1;
    switch (pong_variant) {
    case 0:
    case 1:
    case 2:
    case 7:
    case 8:
    case 12:
    case 13:
        add_point(left ? 1 : 0);
        break;
    case 3:
        if (!left) add_point(pong.turn == 1 ? 0 : 1);
        break;
    case 4:
    case 11:
        if (!left) {
            pong_score[1] = 0;
            add_point(0);
        }
        break;
    case 9:
        pong.server = left ? 0 : 1;
        add_point(left ? 1 : 0);
        break;
    case 10:
        if (left) break;
        if (pong.turn == 1) {
            if (pong.server == 1)
                pong.server = 0;
            else
                add_point(0);
        } else {
            if (pong.server == 1)
                add_point(1);
            else
                pong.server = 1;
        }
        break;
    case 14:
        if (left) add_point(0);
        break;
    case 15:
        if (!left && pong.shot_result[0] <= 1) add_point(0);
        break;
    default: // 5, 6, 16
        break;
    }
    pong_set_tone(score_tone());
    pong_end_test();
}

static u8 map_cell(i32 x, i32 y) {
    if (x < 0 || x >= PONG_MAP_COLUMNS || y < 0 || y >= PONG_MAP_LINES) return PONG_EMPTY;
    return pong_field_map[x * PONG_MAP_LINES + y];
}

int pong_map_test(i32 x1, i32 x2, i32 y1, i32 y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    int seen = 0;
    for (i32 x = x1; x <= x2; x++)
        for (i32 y = y1; y <= y2; y++) {
            const u8 c = map_cell(x, y);
            if (c == PONG_GOAL_LEFT || c == PONG_GOAL_RIGHT) return c;
            if (c == PONG_WALL_V) seen |= 4;
            if (c == PONG_WALL_H) seen |= 8;
        }
    return seen;
}

// The ball's leading edge swept over its next step.
static void wall_and_goal_test() {
    const bool target = pong_target_variant(pong_variant);
    const i32 w = ball_width(), h = pong.ball_half_height;
    const i32 dx = pong.ball_dx, dy = pong.ball_dy;
    i32 cx;
    if (dx <= 0)
        cx = target ? pong.ball_x - 1 : pong.ball_x;
    else
        cx = target ? pong.ball_x + w + 1 : pong.ball_x + w;
    const i32 ly = dy <= 0 ? pong.ball_y - h : pong.ball_y + h;
    const int r = pong_map_test(cx, cx + dx, ly, ly + dy);
    if (r == 1 || r == 2) {
        goal_scored(r);
    } else {
        if (r & 4) {
            pong.ball_dx = -pong.ball_dx;
            pong_set_tone(TONE_WALL);
        }
        if (r & 8) {
            pong.ball_dy = -pong.ball_dy;
            pong_set_tone(TONE_WALL);
        }
    }
    pong_angle_from_dy();
}

static bool serve_due() {
    if (memmap == 28) return pong_serving == 0 || pong.button_serve;
    switch (pong.server) {
    case 3:
        return true;
    case 2:
        return pong.serve_request[0] && pong.serve_request[1];
    case 0:
    case 1:
        return pong.serve_request[pong.server] != 0;
    default:
        return false;
    }
}

// The frame's colours: the grey set has its own, else the variant's row.
static void choose_colours() {
    if (colourset == 2) {
        pong.colour_field = 0;
        pong.colour_left = 0;
        if (memmap == 28 && pong_playerid) {
            pong.colour_background = 8;
            pong.colour_right = 7;
        } else {
            pong.colour_background = 7;
            pong.colour_right = 0;
        }
        return;
    }
    const PongLayout& row = pong_layouts[pong_variant];
    pong.colour_background = row.background;
    pong.colour_field = row.field;
    pong.colour_right = row.right;
    pong.colour_left = row.left;
}

void pong_draw_moving();

static bool ball_near_map() {
    return pong.ball_x >= -PONG_BALL_MARGIN && pong.ball_x <= PONG_MAP_COLUMNS + PONG_BALL_MARGIN &&
           pong.ball_y >= -PONG_BALL_MARGIN && pong.ball_y <= PONG_MAP_LINES + PONG_BALL_MARGIN;
}

void pong_run_frame() {
    in_frame = 1;
    if (pong_variant < 0 || pong_variant >= PONG_VARIANTS) pong_variant = memmap == 29 ? 11 : 4;
    pong.top_line = fifty() ? 44 : 42;
    pong.bottom_line = fifty() ? 275 : 233;
    if (memmap == 29) {
        pong.extra_bat[0] = pong.extra_bat[1] = 0;
    } else {
        pong.extra_bat[0] = pong_players == 1 || pong_players == 3;
        pong.extra_bat[1] = pong_players == 2 || pong_players == 3;
    }
    if (pong_tone_hz && frame_counter >= pong.tone_end) {
        pong_tone_hz = 0;
        snd_update_voices(0);
    }
    if (pong_target_variant(pong_variant))
        pong.ball_half_height = 7;
    else
        pong.ball_half_height = chip_1976() ? 1 : 2;
    choose_colours();
    pong_draw_playfield();

    const bool target = pong_target_variant(pong_variant);
    if (!target) {
        pong_read_bats();
        pong_test_bats();
        for (int i = 0; i < PONG_OBJECTS; i++)
            pong.bat_prev_x[i] = pong.bat_x[i];
    }
    if (pong.in_play) wall_and_goal_test();
    if (!pong.game_over && !pong.in_play && serve_due()) pong_serve();

    // Each gun aims where its side's pointer points in the drawn frame.
    for (int g = 0; g < 2; g++)
        pong_frame_to_field(pong_pointer_x[g], pong_pointer_y[g], &pong.gun_x[g], &pong.gun_y[g]);
    if (target && pong.in_play) {
        if (pong.hit_timer == 0) {
            pong_gun_shot(0);
            if (pong_variant == 16) pong_gun_shot(1);
            // The game is over: nothing serves again until a reset.
            if (pong_score[0] > 14 || pong_score[1] > 14) pong_end_game();
        } else if (memmap == 28) {
            pong.hit_timer--;
        }
    }
    // A ball out of play runs on until it is well off the field's map.
    if (pong.in_play || ball_near_map()) {
        pong.ball_x += pong.ball_dx;
        pong.ball_y += pong.ball_dy;
    }
    pong_draw_moving();
    pong_read_inputs();
    // No processor: the speed display counts frames, and cpu_cycles stays.
    emu_end_of_frame();
}

// ---- Game descriptions -----------------------------------------------------------

const char* const pong_game_texts[PONG_VARIANTS] = {
    // The AY-3-8500 and AY-3-8550.
    "Tennis: one bat each. Hit the ball past the other player's bat; a point\n"
    "for every ball that gets through. The first to 15 wins.",
    "Soccer/Hockey: each player has a goalkeeper and a forward. The ends are\n"
    "walls with a goal mouth in the middle; score through the other goal.",
    "Handicap: like Soccer, but the right player has a third bat, to even\n"
    "out a game against a stronger player on the left.",
    "Squash/Handball: both bats face the wall on the left and take turns to\n"
    "hit it. Miss on your turn and the other player scores.",
    "Practice: one player returns the ball against the wall on the left. The\n"
    "right score counts the returns, the left one the misses.",
    "Rifle #1: a target bounces around the screen. Shoot at it as often as\n"
    "you like; the left score counts hits, the right one shots.",
    "Rifle #2: a target crosses the screen. One shot per target: the left\n"
    "score counts hits, the right one shots.",
    // The AY-3-8600.
    "Tennis: one bat each. The serve changes sides every five points; on\n"
    "Fast the ball speeds up once a rally is seven hits long.",
    "Hockey: a goalkeeper and a forward each, two goals in the middle of the\n"
    "field and walls at both ends.",
    "Soccer: a goalkeeper and a forward each. The goals are gaps in the end\n"
    "walls; the side that lets one in serves next.",
    "Squash: both bats play against the wall on the left in turns. Only the\n"
    "server wins points; losing a rally passes the serve.",
    "Practice: one player returns the ball against the wall on the left;\n"
    "the right score counts the returns, the left one the misses.",
    "Gridball: no bats. Each player scrolls a grid of walls up or down to\n"
    "steer the ball into the other player's goal.",
    "Basketball: each player has a bat under a basket. Drop the ball into\n"
    "the other side's basket from above to score.",
    "Basketball Practice: one player, one bat, one basket. Every ball that\n"
    "drops into the basket is a point.",
    "1-Player Target: a target crosses the screen. Hit it with the light gun\n"
    "for a point; one that gets away scores for the machine.",
    "2-Player Target: a target crosses the screen and both players shoot at\n"
    "it, one gun each. A hit is a point for the one who shot.",
};

const char* pong_game_text() {
    return pong_variant >= 0 && pong_variant < PONG_VARIANTS ? pong_game_texts[pong_variant]
                                                             : nullptr;
}

const char* const pong_game_names[PONG_VARIANTS] = {
    "AY-3-8500/8550: Tennis",
    "AY-3-8500/8550: Soccer/Hockey",
    "AY-3-8500/8550: Handicap",
    "AY-3-8500/8550: Squash/Handball",
    "AY-3-8500/8550: Practice",
    "AY-3-8500/8550: Rifle #1",
    "AY-3-8500/8550: Rifle #2",
    "AY-3-8600: Tennis",
    "AY-3-8600: Hockey",
    "AY-3-8600: Soccer",
    "AY-3-8600: Squash",
    "AY-3-8600: Practice",
    "AY-3-8600: Gridball",
    "AY-3-8600: Basketball",
    "AY-3-8600: Basketball Practice",
    "AY-3-8600: 1 Player Target",
    "AY-3-8600: 2 Player Target",
};

const char* pong_game_name() {
    return pong_variant >= 0 && pong_variant < PONG_VARIANTS ? pong_game_names[pong_variant]
                                                             : nullptr;
}

i32 pong_controls_layout() {
    return memmap == MAP_PONG_8550 ? 6 + viewctrlsas_8550 : 8 + viewctrlsas_8600;
}

int pong_hiscore_row() {
    static constexpr i32 variants[] = {4, 5, 6, 11, 14, 15};
    for (int i = 0; i < 6; i++)
        if (pong_variant == variants[i]) return 58 + i;
    return -1;
}

u32 pong_own_score() {
    if (pong_variant == 5 || pong_variant == 6 || pong_variant == 14)
        return static_cast<u32>(pong_score[0]);
    if (pong_variant == 4 || pong_variant == 11 || pong_variant == 15)
        return static_cast<u32>(pong_score[1]);
    return 0;
}

const char* pong_game_file_name(u32 map) {
    if (map == MAP_PONG_8550) return pong_machine ? "AY-3-8550.cos" : "AY-3-8500.cos";
    return map == MAP_PONG_8600 ? "AY-3-8600.cos" : "";
}

void pong_display_geometry(MachineLive& row, bool) {
    const bool fifty = emu_region == 1;
    const bool wide = memmap == MAP_PONG_8550 && pong_machine == 0;
    pong_field_left = wide ? 21 : 25;
    pong_field_right = wide ? 99 : 97;
    row.width = blankingareas ? 256 : wide ? 164 : 152;
    row.height = blankingareas ? (fifty ? 312 : 262) : (fifty ? 242 : 202);
}
