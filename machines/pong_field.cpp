// The ball-and-paddle machine's playfield, bats, guns, drawing, inputs and
// glue: the per-variant layout table, the collision map, the bat tests with
// their rebound angles, the console buttons, the 18-byte input record, reset,
// set-up and the save-state fields.
#include "core/user_prefs.h"
#include "core/emu.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "input/console_buttons.h"
#include "input/joysticks.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "machines/pong.h"
#include "input/controls.h"
#include "sound/voice_update.h"

#include <cstring>
#include <string>

i32 pong_pointer_x[2], pong_pointer_y[2];

// clang-format off
const PongLayout pong_layouts[PONG_VARIANTS] = {
    {13, 1, 2, 6, 2, {{23, 27, 27, 60, 0, 1, 43, 6}, {97, 62, 95, 95, 1, 0, 79, 6}}},
    {6, 4, 14, 3, 4, {{23, 27, 27, 27, 0, 1, 61, 3}, {40, 27, 43, 95, 1, 3, 61, 3},
                      {80, 27, 77, 95, 0, 4, 61, 3}, {97, 95, 95, 95, 1, 0, 61, 3}}},
    {11, 22, 13, 23, 5, {{23, 27, 27, 27, 0, 1, 61, 3}, {40, 27, 43, 95, 1, 0, 61, 3},
                         {80, 27, 77, 95, 0, 1, 61, 3}, {82, 27, 79, 95, 1, 0, 61, 3},
                         {97, 95, 95, 95, 1, 0, 61, 3}}},
    {2, 23, 6, 1, 2, {{80, 27, 77, 95, 0, 0, 61, 3}, {82, 27, 79, 95, 1, 0, 61, 3}}},
    {4, 5, 9, 6, 1, {{82, 27, 79, 95, 0, 0, 61, 3}}},
    {9, 23, 11, 22, 0, {}},
    {22, 3, 14, 5, 0, {}},
    {13, 1, 2, 6, 2, {{0, 27, 27, 60, 0, 1, 43, 6}, {0, 62, 95, 95, 1, 0, 79, 6}}},
    {6, 4, 14, 3, 4, {{0, 36, 36, 36, 0, 1, 61, 3}, {0, 27, 43, 95, 1, 3, 61, 3},
                      {0, 27, 77, 95, 0, 4, 61, 3}, {0, 86, 86, 86, 1, 0, 61, 3}}},
    {13, 1, 2, 6, 4, {{0, 27, 27, 27, 0, 1, 61, 3}, {0, 27, 43, 95, 1, 3, 61, 3},
                      {0, 27, 77, 95, 0, 4, 61, 3}, {0, 95, 95, 95, 1, 0, 61, 3}}},
    {2, 23, 6, 1, 2, {{0, 27, 77, 95, 0, 0, 61, 3}, {0, 27, 79, 95, 1, 0, 61, 3}}},
    {4, 5, 9, 6, 1, {{0, 27, 79, 95, 0, 0, 61, 3}}},
    {6, 4, 14, 3, 0, {}},
    {2, 23, 6, 1, 2, {{0, 27, 43, 95, 0, 1, 61, 3}, {0, 27, 77, 95, 1, 0, 61, 3}}},
    {4, 5, 9, 6, 1, {{0, 27, 43, 95, 0, 0, 61, 3}}},
    {4, 5, 9, 6, 0, {}},
    {5, 1, 2, 6, 0, {}},
};
// clang-format on

static bool fifty() {
    return (emu_region & 1) != 0;
}
static bool chip_1976() {
    return memmap == 28 && pong_machine == 0;
}
static bool chip_8550() {
    return memmap == 28 && pong_machine == 2;
}
static i32 ball_width() {
    return chip_1976() ? 0 : 1;
}
static i32 left_edge() {
    return pong_field_left;
}
static i32 right_edge() {
    return pong_field_right;
}
static i32 side_colour(int side) {
    return side ? pong.colour_right : pong.colour_left;
}

// ---- Collision map and plot ----------------------------------------------------

static void set_cell(i32 x, i32 y, u8 code) {
    if (x < 0 || x >= PONG_MAP_COLUMNS || y < 0 || y >= PONG_MAP_LINES) return;
    pong_field_map[x * PONG_MAP_LINES + y] = code;
}

// Without the blanking areas the frame starts at this column and line.
static i32 first_column() {
    return chip_1976() ? 20 : 24;
}
static i32 first_line() {
    return fifty() ? 39 : 37;
}

void pong_plot(i32 column, i32 line, u32 colour) {
    i32 x, y;
    if (blankingareas) {
        x = 2 * column;
        y = line;
    } else {
        x = 2 * (column - first_column()) + 1;
        y = line - first_line();
    }
    const i32 w = machine_live[PONG].width, h = machine_live[PONG].height;
    if (y < 0 || y >= h || y >= GUEST_FRAME_ROWS) return;
    for (i32 px = x; px <= x + 1; px++)
        if (px >= 0 && px < w && px < GUEST_FRAME_COLUMNS)
            display_plot_pixel(static_cast<u32>(px), static_cast<u32>(y), colour);
}

void pong_frame_to_field(i32 x, i32 y, i32* column, i32* line) {
    if (blankingareas) {
        *column = x >> 1;
        *line = y;
    } else {
        *column = ((x - 1) >> 1) + first_column(); // each column is two pixels
        *line = y + first_line();
    }
}

static void cell_and_plot(i32 x, i32 y, u8 code, u32 colour) {
    set_cell(x, y, code);
    pong_plot(x, y, colour);
}

// ---- Playfield -----------------------------------------------------------------

static const char* grid_pattern(i32 height) {
    static char tall[229], shorter[229];
    if (!tall[0]) {
        std::string t = std::string(20, '.') + std::string(74, '#') + std::string(20, '.') +
                        std::string(74, '#') + std::string(4, '.') + std::string(36, '#');
        std::string s;
        for (int i = 0; i < 4; i++)
            s += std::string(10, '.') + std::string(37, '#');
        s += std::string(4, '.') + std::string(36, '#');
        std::memcpy(tall, t.c_str(), 229);
        std::memcpy(shorter, s.c_str(), 229);
    }
    return height == 28 ? tall : shorter;
}

// Gridball: two scrolled grids of wall segments, one per player. Both the
// offsets and the lines wrap by the same period, so the pattern is seamless.
static void draw_grid() {
    const i32 period = fifty() ? PONG_GRID_PERIOD_MAX : 188;
    const i32 first = fifty() ? 46 : 44;
    for (int p = 0; p < 2; p++) {
        i32 s = pong.grid_scroll[p] + (paddle_y[p] - 128) / 12;
        if (s < 0) s += period;
        if (s >= period) s -= period;
        pong.grid_scroll[p] = s;
    }
    static constexpr i32 columns[6] = {30, 42, 54, 67, 79, 91};
    for (int k = 0; k < 6; k++) {
        const int p = k & 1;
        const char* pattern = grid_pattern(pong.bat_height[p]);
        for (i32 i = 0; i < period; i++) {
            if (pattern[i] != '#') continue;
            i32 l = i + pong.grid_scroll[p] + first;
            if (l >= first + period) l -= period;
            cell_and_plot(columns[k], l, PONG_WALL_V, static_cast<u32>(side_colour(p)));
        }
    }
}

// One end column over lines a..b: wall, hidden wall or goal.
enum EndKind { END_WALL, END_HIDDEN, END_GOAL, END_ALTERNATE };
static void end_column(i32 x, i32 a, i32 b, EndKind kind, u8 goal) {
    for (i32 y = a; y <= b; y++) {
        EndKind k = kind;
        if (k == END_ALTERNATE) k = ((y - a) % 2 == 0) ? END_WALL : END_HIDDEN;
        if (k == END_WALL)
            cell_and_plot(x, y, PONG_WALL_V, static_cast<u32>(pong.colour_field));
        else if (k == END_HIDDEN)
            set_cell(x, y, PONG_WALL_V);
        else
            set_cell(x, y, goal);
    }
}

static void both_ends(i32 a, i32 b, EndKind left, EndKind right) {
    end_column(left_edge(), a, b, left, PONG_GOAL_LEFT);
    end_column(right_edge(), a, b, right, PONG_GOAL_RIGHT);
}

void pong_draw_digit(int side, i32 column, int digit) {
    static constexpr u8 font[10][5] = {
        {7, 5, 5, 5, 7}, {1, 1, 1, 1, 1}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
        {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};
    if (digit < 0 || digit > 9) return;
    u32 colour = static_cast<u32>(side_colour(side));
    if (memmap == 28 && !chip_8550()) colour = static_cast<u32>(pong.colour_field);
    for (int r = 0; r < 5; r++)
        for (int c = 0; c < 3; c++) {
            if (!(font[digit][r] & (4 >> c))) continue;
            if (memmap == 29) {
                const i32 y0 = fifty() ? 50 + 3 * r : 48 + 2 * r;
                const i32 rows = fifty() ? 3 : 2;
                for (i32 y = y0; y < y0 + rows; y++)
                    pong_plot(column + c, y, colour);
            } else {
                const i32 y0 = fifty() ? 50 + 6 * r : 48 + 4 * r;
                const i32 rows = fifty() ? 6 : 4;
                for (i32 y = y0; y < y0 + rows; y++) {
                    pong_plot(column + 2 * c, y, colour);
                    pong_plot(column + 2 * c + 1, y, colour);
                }
            }
        }
}

static void draw_scores() {
    i32 cols[4];
    if (memmap == 29) {
        const i32 c[4] = {46, 50, 67, 71};
        std::memcpy(cols, c, sizeof cols);
    } else if (pong_machine) {
        const i32 c[4] = {44, 52, 62, 70};
        std::memcpy(cols, c, sizeof cols);
    } else {
        const i32 c[4] = {42, 50, 64, 72};
        std::memcpy(cols, c, sizeof cols);
    }
    for (int side = 0; side < 2; side++) {
        const i32 s = pong_score[side];
        if (s >= 10) pong_draw_digit(side, cols[2 * side], s / 10 % 10);
        pong_draw_digit(side, cols[2 * side + 1], s % 10);
    }
}

void pong_draw_playfield() {
    const i32 v = pong_variant;
    const bool f = fifty();
    const i32 le = left_edge(), re = right_edge();
    const i32 top = pong.top_line, bottom = pong.bottom_line;
    const i32 margin_x = blankingareas ? 0 : 1, margin_y = blankingareas ? 0 : 5;
    const u32 bg = static_cast<u32>(pong.colour_background);
    const u32 field = static_cast<u32>(pong.colour_field);

    std::memset(pong_field_map, 0, sizeof pong_field_map);
    for (i32 x = le - margin_x; x <= re + margin_x; x++)
        for (i32 y = top - margin_y; y <= bottom + margin_y; y++)
            pong_plot(x, y, bg);

    // Top and bottom walls.
    const i32 wall_lines[4] = {top, top + 1, bottom - 1, bottom};
    for (i32 y : wall_lines) {
        if (v <= 4) {
            for (i32 x = le; x <= re; x += 2) {
                cell_and_plot(x, y, PONG_WALL_H, field);
                if (x + 1 < re) set_cell(x + 1, y, PONG_WALL_H);
            }
        } else if (pong_target_variant(v)) {
            for (i32 x = le + 1; x <= re - 1; x++)
                set_cell(x, y, PONG_WALL_H);
        } else {
            for (i32 x = le; x <= re; x++)
                cell_and_plot(x, y, PONG_WALL_H, field);
        }
    }

    // The ends.
    const i32 a = top + 2, b = bottom - 2; // 44..231 / 46..273
    const i32 goal_a = f ? 97 : 83, goal_b = f ? 222 : 192;
    switch (v) {
    case 0:
    case 7:
    case 12:
        both_ends(a, b, END_GOAL, END_GOAL);
        break;
    case 1:
    case 2:
    case 9: {
        const EndKind post = v == 9 ? END_WALL : END_ALTERNATE;
        both_ends(a, goal_a - 1, post, post);
        both_ends(goal_a, goal_b, END_GOAL, END_GOAL);
        both_ends(goal_b + 1, b, post, post);
        break;
    }
    case 3:
    case 4:
        both_ends(a, b, END_ALTERNATE, END_GOAL);
        break;
    case 10:
    case 11:
        both_ends(a, b, END_WALL, END_GOAL);
        break;
    case 5:
        both_ends(top, bottom, END_HIDDEN, END_HIDDEN);
        break;
    case 6:
    case 15:
    case 16:
        end_column(re, top, bottom, END_GOAL, PONG_GOAL_RIGHT);
        break;
    default: // 8, 13, 14
        both_ends(a, b, END_WALL, END_WALL);
        break;
    }

    // Centre line, drawn only.
    if (v <= 2 || v == 7 || v == 8 || v == 9) {
        if (!f) {
            for (i32 y = 44; y <= 231; y++)
                pong_plot(61, y, field);
        } else {
            for (i32 y = 46; y <= 273; y += 8)
                for (i32 l = y + 2; l <= y + 5; l++)
                    pong_plot(61, l, field);
        }
    }

    if (v == 12) draw_grid();

    // Basketball hoops: a goal over a horizontal wall, walled on the inside.
    auto hoop = [&](i32 goal_first, i32 goal_last, i32 wall_col, u8 goal) {
        const i32 g0 = f ? 101 : 80, wall_end = f ? 131 : 101, floor0 = f ? 130 : 100;
        for (i32 x = goal_first; x <= goal_last; x++) {
            set_cell(x, g0, goal);
            set_cell(x, g0 + 1, goal);
            cell_and_plot(x, floor0, PONG_WALL_H, field);
            cell_and_plot(x, floor0 + 1, PONG_WALL_H, field);
        }
        for (i32 y = g0; y <= wall_end; y++)
            cell_and_plot(wall_col, y, PONG_WALL_V, field);
    };
    if (v == 13) hoop(91, 96, 90, PONG_GOAL_RIGHT);
    if (v == 13 || v == 14) hoop(26, 31, 32, PONG_GOAL_LEFT);

    // Hockey: goal mouths in front of the ends.
    if (v == 8) {
        const i32 h_lines[4] = {f ? 135 : 115, f ? 136 : 116, f ? 182 : 157, f ? 183 : 158};
        for (i32 y : h_lines)
            for (i32 x : {30, 31, 32, 33, 89, 90, 91, 92})
                cell_and_plot(x, y, PONG_WALL_H, field);
        for (i32 y = f ? 137 : 117; y <= (f ? 181 : 156); y++) {
            cell_and_plot(30, y, PONG_WALL_V, field);
            set_cell(31, y, PONG_GOAL_LEFT);
            set_cell(91, y, PONG_GOAL_RIGHT);
            cell_and_plot(92, y, PONG_WALL_V, field);
        }
    }

    draw_scores();
}

// ---- Bats ----------------------------------------------------------------------

void pong_apply_bat_heights() {
    static constexpr i32 heights[4][2] = {{14, 14}, {28, 28}, {14, 28}, {28, 14}};
    const i32 s = pong_batsizes >= 0 && pong_batsizes <= 3 ? pong_batsizes : 0;
    pong.bat_height[0] = heights[s][0];
    pong.bat_height[1] = heights[s][1];
}

static i32 object_home_column(const PongObject& o) {
    return chip_1976() ? o.column_1976 : o.column;
}

void pong_read_bats() {
    for (int b = 0; b < 4; b++) {
        const i32 h = pong.bat_height[b % 2], p = paddle_y[b];
        i32 top;
        if (!fifty()) {
            top = p - (h / 2 - 10);
            if (top < 44)
                top = 44;
            else if (top + h - 1 > 231)
                top = 232 - h;
        } else {
            top = p - (h / 2 - 32);
            if (top <= 45)
                top = 46;
            else if (top + h - 1 > 273)
                top = 274 - h;
        }
        pong.bat_top[b] = top;
        pong.bat_bottom[b] = top + h - 1;
    }
    const PongLayout& row = pong_layouts[pong_variant];
    for (int i = 0; i < row.count; i++) {
        const PongObject& o = row.objects[i];
        if (chip_8550() && !pong_lockhorizontal) {
            i32 target = o.centre + (paddle_x[o.side] - 128) / o.divisor;
            if (target < o.leftmost) target = o.leftmost;
            if (target > o.rightmost) target = o.rightmost;
            const i32 prev = pong.bat_prev_x[i];
            pong.bat_x[i] = prev + (target > prev) - (target < prev);
        } else {
            pong.bat_x[i] = object_home_column(o);
        }
    }
}

// Where the ball's next step takes it: the step the bat tests judge. A hit
// that turns the ball turns the step the later bats see.
static i32 next_x() {
    return pong.ball_x + pong.ball_dx;
}
static i32 next_y() {
    return pong.ball_y + pong.ball_dy;
}

void pong_bat_angle(int bat) {
    const i32 d = next_y() - pong.bat_top[bat];
    const i32 h = pong.bat_height[bat % 2];
    i32 a;
    if (memmap == 28 && pong_angles == 2) {
        a = rng_byte(4);
        if (a > 1) a++;
    } else if (memmap == 28) {
        if (h == 14)
            a = d <= 2 ? 0 : d <= 6 ? 1 : d <= 10 ? 3 : 4;
        else
            a = d <= 6 ? 0 : d <= 13 ? 1 : d <= 20 ? 3 : 4;
        if (pong_angles == 0) {
            if (a == 0) a = 1;
            if (a == 4) a = 3;
        }
    } else if (h == 14) {
        a = d <= 2 ? 0 : d <= 5 ? 1 : d <= 7 ? 2 : d <= 10 ? 3 : 4;
    } else {
        a = d <= 4 ? 0 : d <= 10 ? 1 : d <= 16 ? 2 : d <= 20 ? 3 : 4;
    }
    pong.angle = a;
    pong_apply_angle();
}

static bool overlaps(int b) {
    return next_y() + 2 >= pong.bat_top[b] && next_y() - 2 <= pong.bat_bottom[b];
}

// Squash bookkeeping after a kind-0 hit.
static void after_kind0_hit(int side) {
    if (side == 1) {
        if (pong_variant == 10 && pong.turn == 0) {
            if (pong.server == 1)
                pong.server = 0;
            else if (pong_score[0] < 15)
                pong_score[0]++;
            pong_end_test();
            return;
        }
        pong.turn = 0;
        return;
    }
    if (pong_variant == 10 && pong.turn == 1) {
        if (pong.server == 1) {
            if (pong_score[1] < 15) pong_score[1]++;
        } else {
            pong.server = 1;
        }
        pong_end_test();
        return;
    }
    pong.turn = 1;
    if (pong_variant == 4 || pong_variant == 11 || pong_variant == 14) {
        if (pong_score[1] < 15) pong_score[1]++;
        if (pong_score[1] >= 15) pong_end_game();
    }
}

void pong_test_bats() {
    if (!pong.in_play || !collisions) return;
    const PongLayout& row = pong_layouts[pong_variant];
    const i32 w = ball_width();
    for (int i = 0; i < row.count && pong.in_play; i++) {
        const PongObject& o = row.objects[i];
        const i32 c = pong.bat_x[i], p = pong.bat_prev_x[i];
        const bool from_right = pong.ball_x > p && next_x() <= c;
        const bool from_left = pong.ball_x + w < p && next_x() + w >= c;
        // A ball already over the bat's column, as one that comes off the
        // wall beside a bat at its end column, meets the face that sends it
        // back when it moves into that face.
        const bool over = pong.ball_x <= c && pong.ball_x + w >= c;
        const bool onto_left = over && pong.ball_dx > 0, onto_right = over && pong.ball_dx < 0;
        const int side = o.side;
        bool hits, reverse;
        switch (o.kind) {
        case 0:
            hits = from_left || onto_left;
            reverse = true;
            break;
        case 1:
            hits = from_right || onto_right;
            reverse = true;
            break;
        case 2:
            hits = from_left || from_right;
            reverse = true;
            break;
        default:
            reverse = side == 0 ? from_right || onto_right : from_left || onto_left;
            hits = from_left || from_right || reverse;
            break;
        }
        if (!hits) continue;
        if (o.kind == 0 && pong_variant == 3 && pong.turn != side) continue;
        int bat = -1;
        if (overlaps(side))
            bat = side;
        else if (pong.extra_bat[side] && overlaps(side + 2))
            bat = side + 2;
        if (bat < 0) continue;
        if (reverse) pong.ball_dx = -pong.ball_dx;
        pong_set_speed_mode();
        pong_apply_speed();
        pong_bat_angle(bat);
        pong_set_tone(976);
        rumble_request[side] = 10;
        if (o.kind == 0) after_kind0_hit(side);
    }
}

// ---- Guns ----------------------------------------------------------------------

void pong_gun_shot(int g) {
    if (!pong.fire[g]) {
        pong.shot_armed[g] = 1;
        return;
    }
    if (!pong.shot_armed[g]) return;
    pong.shot_armed[g] = 0;
    if (pong.shot_result[g] != 0 && pong_variant != 5) return;
    if ((pong_variant == 5 || pong_variant == 6) && g == 0 && pong_score[1] < 15) pong_score[1]++;
    const i32 w = ball_width();
    const bool hit = pong.gun_x[g] >= pong.ball_x - 1 && pong.gun_x[g] <= pong.ball_x + w + 1 &&
                     pong.gun_y[g] >= pong.ball_y - pong.ball_half_height &&
                     pong.gun_y[g] <= pong.ball_y + pong.ball_half_height;
    const int side = g == 1 || pong_variant == 15 ? 1 : 0;
    if (hit) {
        pong_set_tone(976);
        if (pong_score[side] < 15) pong_score[side]++;
        pong.hit_timer = PONG_TARGET_HIDDEN_FRAMES;
        pong.shot_result[g] = 2;
        rumble_request[g] = 15;
    } else {
        pong_set_tone(retune ? 1952 : 1950);
        pong.shot_result[g] = 1;
        rumble_request[g] = 5;
    }
}

// ---- Moving things -------------------------------------------------------------

static void draw_cross(i32 x, i32 y, u32 colour) {
    auto dot = [&](i32 cx, i32 cy) {
        if (cx >= 25 && cx <= 97 && cy >= pong.top_line && cy <= pong.bottom_line)
            pong_plot(cx, cy, colour);
    };
    for (i32 cy = y - 1; cy <= y + 1; cy++)
        for (i32 cx = x - 3; cx <= x + 3; cx++)
            dot(cx, cy);
    for (i32 cy = y - 10; cy <= y + 10; cy++)
        dot(x, cy);
}

void pong_draw_moving() {
    const PongLayout& row = pong_layouts[pong_variant];
    if (!pong_target_variant(pong_variant)) {
        for (int i = 0; i < row.count; i++) {
            const int side = row.objects[i].side;
            const u32 colour = static_cast<u32>(side_colour(side));
            for (int b : {side, side + 2}) {
                if (b >= 2 && !pong.extra_bat[side]) continue;
                for (i32 y = pong.bat_top[b]; y <= pong.bat_bottom[b]; y++)
                    pong_plot(pong.bat_x[i], y, colour);
            }
        }
    }
    if (pong.in_play) {
        const bool target = pong_target_variant(pong_variant);
        u32 colour = 0;
        if ((pong_variant == 3 && chip_8550()) || pong_variant == 10)
            colour = static_cast<u32>(side_colour(pong.turn));
        const i32 w = ball_width(), h = pong.ball_half_height;
        const i32 x0 = target ? pong.ball_x - 1 : pong.ball_x;
        const i32 x1 = target ? pong.ball_x + w + 1 : pong.ball_x + w;
        if (!target || pong.hit_timer == 0)
            for (i32 x = x0; x <= x1; x++)
                for (i32 y = pong.ball_y - h; y <= pong.ball_y + h; y++)
                    pong_plot(x, y, colour);
    }
    if (pong_variant == 15 || pong_variant == 16) {
        draw_cross(pong.gun_x[0], pong.gun_y[0], static_cast<u32>(pong.colour_left));
        if (pong_variant == 16)
            draw_cross(pong.gun_x[1], pong.gun_y[1], static_cast<u32>(pong.colour_right));
    }
    if (showpositions) {
        auto mark = [&](int g, u32 colour) {
            const i32 x = pong.gun_x[g], y = pong.gun_y[g];
            if (x >= 25 && x <= 97 && y >= pong.top_line && y <= pong.bottom_line)
                pong_plot(x, y, colour);
        };
        mark(0, static_cast<u32>(pong.colour_left));
        static constexpr bool two_player[PONG_VARIANTS] = {1, 1, 1, 1, 0, 0, 0, 1, 1,
                                                           1, 1, 0, 1, 1, 0, 0, 1};
        if (two_player[pong_variant]) mark(1, static_cast<u32>(pong.colour_right));
    }
}

// ---- Inputs --------------------------------------------------------------------

static i32 clamp_byte(i32 v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

static bool robot_plays(int side) {
    const i32 setting = side ? robot_right : robot_left;
    if (setting < 1 || setting > 4) return false;
    const i32 v = pong_variant;
    return !(v == 5 || v == 6 || v == 12 || v == 15 || v == 16);
}

// The line of the ball's middle when it next comes to column `column`, with
// the bounces off the top and bottom walls: going right, straight to it;
// going left, straight to it, or with `off_left_wall` back from the wall on
// the left (Squash, where every bat faces that wall).
static i32 ball_line_at(i32 column, bool off_left_wall) {
    const i32 dx = pong.ball_dx < 0 ? -pong.ball_dx : pong.ball_dx;
    if (dx == 0) return pong.ball_y;
    const i32 wall = left_edge() + 1;
    const i32 run = pong.ball_dx > 0 ? column - pong.ball_x
                    : off_left_wall  ? pong.ball_x - wall + column - wall
                                     : pong.ball_x - column;
    const i32 first = pong.top_line + 2 + pong.ball_half_height;
    const i32 span = pong.bottom_line - 2 - pong.ball_half_height - first;
    if (span <= 0) return pong.ball_y;
    i32 t = (pong.ball_y - first + pong.ball_dy * (run / dx)) % (2 * span);
    if (t < 0) t += 2 * span;
    return first + (t <= span ? t : 2 * span - t);
}

// Where a computer player that waits for its turn wants the middle of its
// bat: clear of the line on which the ball comes to it by half a bat and a
// ball's step, above or below, whichever the bat reaches and is nearer.
static i32 out_of_the_way(int side, i32 column) {
    const i32 h = pong.bat_height[side], gap = h / 2 + 8, line = ball_line_at(column, true);
    const i32 highest = pong.top_line + 2 + h / 2, lowest = pong.bottom_line - 2 - h / 2;
    const i32 above = line - gap, below = line + gap;
    if (above < highest) return below;
    if (below > lowest) return above;
    const i32 middle = pong.bat_top[side] + h / 2;
    return middle - above <= below - middle ? above : below;
}

// The column of the bat a side keeps nearest its own end where it has more
// than one (the goalkeeper of Soccer and Hockey), else -1.
static i32 keeper_column(int side) {
    const PongLayout& row = pong_layouts[pong_variant];
    i32 column = -1;
    int bats = 0;
    for (int i = 0; i < row.count; i++) {
        if (row.objects[i].side != side) continue;
        const i32 c = pong.bat_x[i];
        if (!bats++ || (side ? c > column : c < column)) column = c;
    }
    return bats > 1 ? column : -1;
}

static void robot_move(int side) {
    const i32 setting = side ? robot_right : robot_left;
    pong.fire[side] = 0;
    if (!pong.in_play) {
        pong.fire[side] = 1; // asks for the serve
        return;
    }
    i32 want = pong.ball_y + 2; // the bat's middle two lines below the ball
    // A computer that never misses, with a goalkeeper and a forward, guards
    // its goal: the bats go where the ball will reach the goalkeeper, so that
    // the forward, on the same line, lets an angled ball by into the other
    // half (tracking the ball itself, its forward would return every ball
    // from the other side's goalkeeper, and the ball would never leave that band).
    if (setting == 4 && (side ? pong.ball_dx > 0 : pong.ball_dx < 0))
        if (const i32 keeper = keeper_column(side); keeper >= 0)
            want = ball_line_at(keeper, false) + 2;
    if ((pong_variant == 3 || pong_variant == 10) && pong.turn != side) {
        // The AY-3-8600 counts a hit out of turn against the hitter; the
        // AY-3-8500/8550 does not test that bat.
        if (pong_variant == 3) return;
        want = out_of_the_way(side, pong.bat_x[side]); // Squash's bat objects are its sides' bats
    } else if (pong.ball_dy == 0) {
        // A flat ball met at the bat's middle goes back flat, and two
        // computers would keep it on one line for ever: meet it a quarter
        // bat toward the field's middle, so that it goes back at an angle
        // (a bat at a wall can always move that way).
        const i32 off = pong.bat_height[side] / 4;
        want += pong.ball_y > (pong.top_line + pong.bottom_line) / 2 ? -off : off;
    }
    if (setting == 4) {
        paddle_y[side] = clamp_byte(want - (fifty() ? 32 : 10));
        return;
    }
    const i32 top = pong.bat_top[side], bottom = pong.bat_bottom[side];
    const i32 centre = top + (bottom - top + 1) / 2;
    if (centre < want) paddle_y[side] = clamp_byte(paddle_y[side] + setting);
    if (centre > want) paddle_y[side] = clamp_byte(paddle_y[side] - setting);
}

// The guest-frame pixel under the host pointer (mouse players only).
static void pointer_to_frame(int s) {
    const i32 w = pointer_display[2] - pointer_display[0];
    const i32 h = pointer_display[3] - pointer_display[1];
    if (w <= 0 || h <= 0) return;
    pong_pointer_x[s] = (pointer_x - pointer_display[0]) * machine_live[PONG].width / w;
    pong_pointer_y[s] = (pointer_y - pointer_display[1]) * machine_live[PONG].height / h;
}

static void human_player(int player, int s) {
    input_update_paddle(player, s);
    const i32 controller = player ? controller_right : controller_left;
    if (controller == 1) pointer_to_frame(s);
    const u16* keys = player_keys[player];
    const int port = controller_kind(player);
    const u32 joy = port < 2 ? joy_bits[port] : 0;
    bool fire = (joy & 0x10FFF) != 0 || host_key_down(keys[GK_FIRE1] & 127) ||
                host_key_down(keys[GK_FIRE3] & 127) || (input_mouse_bits(player) & (JOY_BUTTON1 | JOY_BUTTON1 << 2));
    if (memmap == 29 && (player ? autofire_right : autofire_left)) {
        const bool need_button = player ? requirebutton_right : requirebutton_left;
        const u32 period = autofire_period > 0 ? static_cast<u32>(autofire_period) : 1;
        const bool duty = frame_counter % period < static_cast<u32>(autofire_duty);
        fire = need_button ? (fire && duty) : duty;
    }
    pong.fire[s] = fire;

    // The extra bat of this side moves by directions or keypad keys 5 and 8.
    const i32 step = player ? sensitivity_right : sensitivity_left;
    const bool up = (port < 2 && joy_dir_y[port] < 0) || host_key_down(keys[GK_KEYPAD1 + 4] & 127);
    const bool down =
        (port < 2 && joy_dir_y[port] > 0) || host_key_down(keys[GK_KEYPAD1 + 7] & 127);
    i32& extra = paddle_y[s + 2];
    if (up && !down) extra = clamp_byte(extra - step);
    if (down && !up) extra = clamp_byte(extra + step);
    if (!up && !down && springloaded) extra = machine_live[PONG].paddle_centre;
}

static void record_player(int s) {
    rec_write_byte(static_cast<u8>(paddle_x[s]));
    rec_write_byte(static_cast<u8>(paddle_y[s]));
    rec_write_byte(pong.fire[s]);
    rec_write_byte(static_cast<u8>(pong_pointer_x[s] >> 8));
    rec_write_byte(static_cast<u8>(pong_pointer_x[s]));
    rec_write_byte(static_cast<u8>(pong_pointer_y[s] >> 8));
    rec_write_byte(static_cast<u8>(pong_pointer_y[s]));
    rec_write_byte(static_cast<u8>(paddle_y[s + 2]));
}

// Two recorded bytes, high first; $FFFF stands for -1.
static i32 read_short() {
    const i32 hi = rec_read_byte();
    const i32 v = (hi << 8) | rec_read_byte();
    return v == 0xFFFF ? -1 : v;
}

static void replay_player(int s) {
    paddle_x[s] = rec_read_byte();
    paddle_y[s] = rec_read_byte();
    pong.fire[s] = rec_read_byte() ? 1 : 0;
    pong_pointer_x[s] = read_short();
    pong_pointer_y[s] = read_short();
    paddle_y[s + 2] = rec_read_byte();
}

// One console button: 1 for the frame of a press, armed again once released.
static u8 press(bool held, u8* armed) {
    if (!held) {
        *armed = 1;
        return 0;
    }
    if (!*armed) return 0;
    *armed = 0;
    return 1;
}

// Held by its host key, a toolbar click, the controls picture or (all but
// the bat-size button) a gamepad's console bit.
bool pong_console_held(int i) {
    static constexpr u32 joy_button[4] = {JOY_START, JOY_REVERSE, JOY_FORWARD, 0};
    if (input_console_button_held(i) || virtual_key == i) return true;
    return joy_button[i] && ((joy_bits[0] | joy_bits[1]) & joy_button[i]);
}

static void next_variant() {
    if (memmap == 28)
        pong_variant = pong_variant >= 6 ? 0 : pong_variant + 1;
    else
        pong_variant = pong_variant >= 16 || pong_variant < 7 ? 7 : pong_variant + 1;
    prefs_user_chose(&pong_variant);
    game_info_text();
    ui_mark(UI_STATUS);
    pong_gui_sync();
}

static void next_batsize() {
    if (memmap == 28)
        pong_batsizes = pong_batsizes == 0 ? 1 : 0;
    else
        pong_batsizes = (pong_batsizes + 1) & 3;
    prefs_user_chose(&pong_batsizes);
    pong_apply_bat_heights();
    pong_gui_sync();
}

void pong_read_inputs() {
    host_read_joysticks(0);
    host_read_joysticks(1);
    const bool playback = rec_state == REC_PLAYBACK;
    // Guest side s is played from host player s, or the other one with
    // "swapped".
    for (int s = 0; s < 2 && !playback; s++) {
        if (robot_plays(s))
            robot_move(s);
        else
            human_player(swapped ? 1 - s : s, s);
    }
    if (playback) {
        replay_player(0);
        replay_player(1);
    }
    rumble_request[0] = rumble_request[1] = 0;
    for (int s = 0; s < 2; s++)
        if (pong.fire[s]) pong.serve_request[s] = 1;

    // The console buttons in the order of their labels: Start (a new game),
    // Game, Serve and Bat size.
    if (playback) {
        const u8 b16 = rec_read_byte(), b17 = rec_read_byte();
        pong.button_reset = b16 & 1;
        pong.button_select = (b16 >> 1) & 1;
        pong.button_serve = (b16 >> 2) & 1;
        pong.button_batsize = (b16 >> 3) & 1;
        const i32 players = (b16 >> 5) & 3, chip = (b16 >> 4) & 1;
        const i32 speed = (b17 >> 6) & 3, angles = (b17 >> 4) & 3;
        const u32 lock = (b17 >> 3) & 1;
        const i32 serving = (b17 >> 2) & 1, sizes = b17 & 3;
        bool changed = players != pong_players || speed != pong_speed || angles != pong_angles ||
                       lock != pong_lockhorizontal || serving != pong_serving;
        if (memmap == 28 && chip != (pong_machine ? 1 : 0)) changed = true;
        pong_players = players;
        pong_speed = speed > 2 ? 2 : speed;
        pong_angles = angles > 2 ? 2 : angles;
        pong_lockhorizontal = lock;
        pong_serving = serving;
        if (sizes != pong_batsizes) {
            pong_batsizes = sizes;
            pong_apply_bat_heights();
            changed = true;
        }
        if (changed) pong_gui_sync();
        pong.armed_reset = pong.armed_select = pong.armed_serve = pong.armed_batsize = 1;
    } else {
        pong.button_reset = press(pong_console_held(0), &pong.armed_reset);
        pong.button_select = press(pong_console_held(1), &pong.armed_select);
        pong.button_serve = press(pong_console_held(2), &pong.armed_serve);
        pong.button_batsize = press(pong_console_held(3), &pong.armed_batsize);
    }
    const u8 b16 = static_cast<u8>((pong_players & 3) * 32 + (pong_machine ? 16 : 0) +
                                   pong.button_batsize * 8 + pong.button_serve * 4 +
                                   pong.button_select * 2 + pong.button_reset);
    const u8 b17 = static_cast<u8>((pong_speed & 3) * 64 + (pong_angles & 3) * 16 +
                                   (pong_lockhorizontal ? 8 : 0) + (pong_serving ? 4 : 0) +
                                   (pong_batsizes & 3));
    if (pong.button_reset) pong_reset();
    if (pong.button_select) next_variant();
    if (pong.button_batsize) next_batsize();

    if (rec_state == REC_RECORDING) {
        record_player(0);
        record_player(1);
        rec_write_byte(b16);
        rec_write_byte(b17);
    }
    input_console_buttons_tick();
}

// ---- Machine glue --------------------------------------------------------------

void pong_reset() {
    paddle_y[0] = paddle_y[1] = 128;
    pong.turn = 1;
    pong_score[0] = pong_score[1] = 0;
    pong.grid_scroll[0] = pong.grid_scroll[1] = 0;
    pong.game_over = 0;
    pong.tone_end = 0;
    pong.serve_request[0] = pong.serve_request[1] = 0;
    pong.ball_dx = pong.ball_dy = 0;
    pong.in_play = 0;
    pong.ball_x = 61;
    pong.ball_y = fifty() ? 160 : 138;
    if (pong_variant < 0 || pong_variant >= PONG_VARIANTS) pong_variant = memmap == 29 ? 11 : 4;
    const PongLayout& row = pong_layouts[pong_variant];
    for (int i = 0; i < PONG_OBJECTS; i++) {
        const i32 c = i < row.count ? object_home_column(row.objects[i]) : 0;
        pong.bat_x[i] = pong.bat_prev_x[i] = c;
    }
    const i32 v = pong_variant;
    pong.server = (v == 8 || v == 12 || v == 13) ? 2 : (v == 15 || v == 16) ? 3 : 0;
}

void pong_machine_init() {
    // The ball-and-paddle machine's own paddle settings, unless the user chose others.
    prefs_setup_value(sensitivity_left, 5);
    prefs_setup_value(sensitivity_right, 5);
    prefs_setup_value(analog, 1);
    static constexpr i32 roles_29[4] = {2, 2, 2, 2}, roles_28[4] = {2, 0, 0, 8};
    std::memcpy(fire_button_assign, memmap == 29 ? roles_29 : roles_28, sizeof fire_button_assign);
    input_direction_names();
    pong.button_reset = pong.button_select = pong.button_serve = pong.button_batsize = 0;
    pong.game_over = 0;
    pong.in_play = 0;
    if (memmap == 29) {
        if (pong_variant < 7 || pong_variant > 16) pong_variant = 11;
        if (pong_speed == 2) pong_speed = 0;
    } else {
        if (pong_variant > 6 || pong_variant < 0) pong_variant = 4;
        if (pong_batsizes > 0) pong_batsizes = 1;
    }
    pong_apply_bat_heights();
}

void pong_gui_sync() {
    if (machine == PONG) ui_mark(UI_REFRESH_WINDOWS | UI_MENUS);
}

static bool reading() {
    return serial_dir != SERIAL_WRITE;
}
static bool applying() {
    return reading() && !serial_dry() && !serial_overrun();
}

// One-byte fields with a range: a value out of range marks the state bad.
static u32 ranged(i32* v, u32 max, const char* what) {
    const u32 got = state_field_u32(v);
    if (reading() && got > max) serial_mark_bad(what);
    return got;
}
static void ranged(u32* v, u32 max, const char* what) {
    const u32 got = state_field_u32(v);
    if (reading() && got > max) serial_mark_bad(what);
}

// A four-byte field that holds low..high; other values mark the state bad.
static void ranged_full(i32* v, i32 low, i32 high, const char* what) {
    const i32 got = state_field_u32_full(v);
    if (reading() && (got < low || got > high)) serial_mark_bad(what);
}

void pong_save_state(u32 map) {
    ranged(&pong_score[0], 15, "left score");
    ranged(&pong_score[1], 15, "right score");
    state_field_u8(&pong.fire[0]);
    state_field_u8(&pong.fire[1]);
    i32 flags[4] = {pong.button_reset, pong.button_select, pong.button_serve, pong.button_batsize};
    for (i32& f : flags)
        ranged(&f, 1, "console button");
    ranged(&pong_machine, 2, "ball-and-paddle chip");
    const u32 variant = ranged(&pong_variant, 16, "ball-and-paddle game");
    ranged(&pong_angles, 2, "angles");
    ranged(&pong_speed, 2, "speed");
    ranged(&pong_serving, 1, "serving");
    ranged(&pong_lockhorizontal, 1, "horizontal lock");
    ranged(&pong_playerid, 1, "player identification");
    ranged(&pong_batsizes, 3, "bat sizes");
    ranged(&emu_region, 1, "video standard");
    ranged(&pong.in_play, 1, "ball in play");
    // The ball moves only near the field's map (pong_run_frame), by at most
    // two columns and five lines a frame.
    constexpr i32 reach = 2 * PONG_BALL_MARGIN;
    ranged_full(&pong.ball_x, -reach, PONG_MAP_COLUMNS + reach, "ball position");
    ranged_full(&pong.ball_y, -reach, PONG_MAP_LINES + reach, "ball position");
    ranged_full(&pong.ball_dx, -2, 2, "ball speed");
    ranged_full(&pong.ball_dy, -5, 5, "ball speed");
    ranged_full(&pong.hits, 0, PONG_HITS_MAX, "rally length");
    for (i32& x : pong.bat_prev_x)
        ranged_full(&x, 0, PONG_MAP_COLUMNS - 1, "bat position");
    state_field_u8(&pong.shot_armed[0]);
    state_field_u8(&pong.shot_armed[1]);
    state_field_u8(&pong.shot_result[0]);
    state_field_u8(&pong.shot_result[1]);
    for (i32& scroll : pong.grid_scroll)
        ranged_full(&scroll, 0, PONG_GRID_PERIOD_MAX - 1, "grid position");
    ranged(&pong.server, 3, "serving side");
    state_field_u8(&pong.serve_request[0]);
    state_field_u8(&pong.serve_request[1]);
    state_field_u8(&pong.game_over);
    ranged(&emu_region, 1, "video standard");
    for (int p = 0; p < 2; p++) {
        state_field_word_or_none(&pong_pointer_x[p]);
        state_field_word_or_none(&pong_pointer_y[p]);
    }
    state_field_u32(&paddle_y[2]);
    state_field_u32(&paddle_y[3]);
    // Whose turn it is (Squash), how long a hit target stays hidden and the
    // tone that sounds: a state from before these were kept leaves them.
    i32 turn = pong.turn, hit_timer = pong.hit_timer;
    i32 tone_frames = pong_tone_hz && pong.tone_end > frame_counter
                          ? static_cast<i32>(pong.tone_end - frame_counter)
                          : 0;
    u16 tone_hz = static_cast<u16>(tone_frames ? pong_tone_hz : 0);
    const bool kept = !reading() || state_guest_version >= 34;
    if (kept) {
        ranged(&turn, 1, "turn");
        ranged(&hit_timer, PONG_TARGET_HIDDEN_FRAMES, "hidden target");
        ranged(&tone_frames, PONG_TONE_FRAMES, "tone");
        state_field_u16(&tone_hz);
    }
    if (reading() && (map == 28 ? variant > 6 : variant < 7))
        serial_mark_bad("ball-and-paddle game");
    if (!applying()) return;
    if (kept) {
        pong.turn = turn;
        pong.hit_timer = hit_timer;
        pong_tone_hz = tone_frames ? tone_hz : 0;
        pong.tone_end = frame_counter + static_cast<u32>(tone_frames);
        snd_update_voices(0);
    }
    pong.button_reset = static_cast<u8>(flags[0]);
    pong.button_select = static_cast<u8>(flags[1]);
    pong.button_serve = static_cast<u8>(flags[2]);
    pong.button_batsize = static_cast<u8>(flags[3]);
    for (int i = 0; i < PONG_OBJECTS; i++)
        pong.bat_x[i] = pong.bat_prev_x[i];
    pong_angle_from_dy();
    pong_apply_bat_heights();
    ui_mark(UI_STATUS);
    display_setup_geometry();
    display_reset_frame();
}
