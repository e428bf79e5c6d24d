// The ball-and-paddle machine (memory maps 28 and 29): the AY-3-8500 of 1976
// and of 1977, the AY-3-8550 and the AY-3-8600, without any processor. The
// whole game is computed once per frame by pong_run_frame: playfield, walls
// and goals into a collision map, the bats from the paddles, the ball, the
// guns of the target games, the score digits and one tone.
//
// Coordinates are playfield units: x a column (21..99 or 25..97 between the
// edges), y a raster line (42..233 at 60 Hz, 44..275 at 50 Hz). The options
// are the "pong_..." settings in core/settings_vars.h.
#pragma once

#include "core/types.h"

constexpr int PONG_VARIANTS = 17;
constexpr int PONG_OBJECTS = 5;
constexpr int PONG_MAP_COLUMNS = 128;
constexpr int PONG_MAP_LINES = 312;
// How far past the map's edges the ball still moves (a ball out of play stops there).
constexpr int PONG_BALL_MARGIN = 16;
// The rally's hit count stops here (only its first few hits matter).
constexpr int PONG_HITS_MAX = 9999;
// Frames a tone sounds, and a hit target stays hidden on the AY-3-8500/8550.
constexpr int PONG_TONE_FRAMES = 2;
constexpr int PONG_TARGET_HIDDEN_FRAMES = 50;
// Lines of Gridball's scrolled grid at 50 Hz, the longer period.
constexpr int PONG_GRID_PERIOD_MAX = 228;

// Cell codes of the collision map.
enum PongCell : u8 {
    PONG_EMPTY = 0,
    PONG_GOAL_LEFT = 1,
    PONG_GOAL_RIGHT = 2,
    PONG_WALL_V = 3, // reverses dx
    PONG_WALL_H = 4, // reverses dy
};

// One bat object of a variant: its column per chip, its side and how a ball
// crossing it is tested.
struct PongObject {
    i32 column_1976; // AY-3-8500 (1976)
    i32 leftmost;    // AY-3-8550: leftmost column
    i32 column;      // every other chip
    i32 rightmost;   // AY-3-8550: rightmost column
    i32 side;        // 0 left (and third player), 1 right (and fourth player)
    i32 kind;        // bat test 0..4
    i32 centre;      // AY-3-8550: centre column
    i32 divisor;     // AY-3-8550: divisor of the horizontal control
};

struct PongLayout {
    u8 background, field, right, left; // colour indices
    i32 count;                         // bat objects 0..5
    PongObject objects[PONG_OBJECTS];
};
extern const PongLayout pong_layouts[PONG_VARIANTS];
// A few lines on each game, for the game information: how it is played and
// how it scores.
extern const char* const pong_game_texts[PONG_VARIANTS];
// The description of the game chosen, nullptr when the choice is out of range.
const char* pong_game_text();
// Each game's name with its chip family, for the status bar.
extern const char* const pong_game_names[PONG_VARIANTS];
// The name of the game chosen, nullptr when the choice is out of range.
const char* pong_game_name();

// The running game.
struct PongState {
    i32 ball_x, ball_y;   // left column, centre line
    i32 ball_dx, ball_dy; // per frame
    i32 ball_half_height;
    i32 in_play;
    u8 game_over;
    i32 angle; // 0 steepest upward .. 2 horizontal .. 4 steepest downward
    i32 fast;
    i32 hits;
    i32 hit_timer;
    i32 turn;   // squash: side to hit next
    i32 server; // 0/1 a side, 2 both, 3 automatic
    u8 serve_request[2];
    u8 extra_bat[2];
    i32 bat_height[2];
    u32 tone_end;
    i32 top_line, bottom_line;
    i32 colour_background, colour_field, colour_left, colour_right;
    i32 bat_x[PONG_OBJECTS], bat_prev_x[PONG_OBJECTS];
    i32 bat_top[4], bat_bottom[4];
    i32 gun_x[2], gun_y[2];
    u8 fire[2];
    u8 shot_armed[2];
    u8 shot_result[2]; // 0 none this serve, 1 missed, 2 hit
    i32 grid_scroll[2];
    // Console buttons: 1 for the frame after a press; armed once released.
    u8 button_reset, button_select, button_serve, button_batsize;
    u8 armed_reset, armed_select, armed_serve, armed_batsize;
};
extern PongState pong;

extern i32 pong_score[2];                                    // left and right side, 0..15
extern u8 pong_field_map[PONG_MAP_COLUMNS * PONG_MAP_LINES]; // column * 312 + line
// Pointer position of each side's gun in guest-frame pixels (the players' pointers,
// each under the side its player plays).
extern i32 pong_pointer_x[2], pong_pointer_y[2];

// ---- Frame -------------------------------------------------------------------
void pong_run_frame();

// ---- Ball, serve, score ------------------------------------------------------
void pong_set_tone(u32 hz);
// Whether the chips set up are the AY-3-8600 family (else the AY-3-8500/8550).
bool pong_chip_8600();
// How many speed settings the current chip offers (the controls cycle them).
int pong_speed_choices();
void pong_set_speed_mode();
void pong_apply_speed();
void pong_apply_angle();
void pong_angle_from_dy();
void pong_serve();
void pong_point_over();
void pong_end_game();
// The end-of-game test: over above 14 points, else the point is over.
void pong_end_test();
// Wall and goal test over columns x1..x2 and lines y1..y2 (either order):
// 1 or 2 a goal, else 4 (vertical wall) | 8 (horizontal wall).
int pong_map_test(i32 x1, i32 x2, i32 y1, i32 y2);
bool pong_target_variant(i32 variant);

// ---- Bats, guns, playfield ---------------------------------------------------
void pong_apply_bat_heights();
void pong_read_bats();
void pong_test_bats();
void pong_bat_angle(int bat);
void pong_gun_shot(int gun);
void pong_draw_playfield();
void pong_draw_digit(int side, i32 column, int digit);
void pong_plot(i32 column, i32 line, u32 colour);
// The column and line that pong_plot draws at guest-frame pixel (x, y).
void pong_frame_to_field(i32 x, i32 y, i32* column, i32* line);
void pong_read_inputs();

// ---- Machine glue ------------------------------------------------------------
void pong_reset();
void pong_machine_init();
void pong_save_state(u32 map);
// Brings the machine's settings window in line with the options.
void pong_gui_sync();
// Console button i held this frame (0 Start, 1 Game, 2 Serve, 3 Bat size):
// its host key, a click, the controls picture or a gamepad's console bit.
bool pong_console_held(int i);

// ---- The machine's row (core/machine_ops.h) -------------------------------------------
struct MachineLive;
i32 pong_controls_layout();
// The score-keeping variants 4, 5, 6, 11, 14 and 15 each have a table.
int pong_hiscore_row();
// The counter the running variant scores on, 0 for a variant without one.
u32 pong_own_score();
const char* pong_game_file_name(u32 map);
// The frame size; the AY-3-8500 (1976) playfield is wider.
void pong_display_geometry(MachineLive& row, bool current);
