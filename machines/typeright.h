// The Type-right typing tutor (machine 14, memory map 30): no processor, one
// state machine stepped once a frame by typeright_run_frame. Its display is a
// one-line, eight-character LCD of 5 x 7 dots (64 x 14 dots of 2 x 2 guest
// pixels), with an underline mark under each character and four indicator
// arrows at the left edge. Four console buttons (Class, Game, Speed,
// Accuracy) and the typed-key queue drive it.
//
// Letter drills are lessons 1 to 5, copying built-in texts lessons 6 to 9 at
// levels 1 to 4 (texts under PROGDIR:typeright/), and a falling-letters game
// (games 1 and 2). Results: words per minute and accuracy.
#pragma once

#include "core/machine_ops.h"
#include "core/types.h"

#include <string>

constexpr int TYPERIGHT_CHARS = 8;
constexpr int TYPERIGHT_TEXT_MAX = 4096;

// States of the machine.
enum TyperightState : i32 {
    TR_POWER_ON = 0,
    TR_IDLE = 1,
    TR_CHOOSE_LESSON = 2,
    TR_SHOW_LESSON = 3,
    TR_DRILL = 4,
    TR_CHOOSE_GAME = 5,
    TR_GET_READY = 6,
    TR_GAME = 7,
    TR_CHOOSE_LEVEL = 8,
    TR_SHOW_LEVEL = 9,
    TR_COPY_TEXT = 10,
    TR_RESULTS = 11,
    TR_GAME_INTRO = 12,
    TR_PAUSE = 13,
    TR_DRILL_OVER = 14,
    TR_FREE_TEXT = 15,
};

constexpr u32 TR_TONE_LOW = 1800, TR_TONE_HIGH = 2350;
constexpr i32 TR_DRILL_FRAMES = 2750;

extern i32 typeright_state;
extern i32 typeright_timer;
extern char typeright_lcd[TYPERIGHT_CHARS + 1];
extern u8 typeright_cursor[TYPERIGHT_CHARS];
extern u8 typeright_indicators[4];
extern i32 typeright_lesson, typeright_level;
extern u8 typeright_target;
extern i32 typeright_score, typeright_errors, typeright_lives, typeright_round, typeright_game;
extern i32 typeright_text_pos, typeright_column, typeright_word_len;
extern i32 typeright_wpm, typeright_accuracy;

// The character host key `code` types on the Type-right's keyboard, which
// has no Ctrl or Esc key and its own layout beside the plain one.
u16 typeright_key_char(u32 code);

// The LCD font: 7 rows of 5 dots per character from the space to "~"; bit 7
// of a row is the leftmost dot.
extern const u8 typeright_font[95][7];
// The LCD position 1..8 of a drill character, 9 for the space, 0 for a
// character the keyboard does not have.
int typeright_finger(u8 ch);
// The drill set of lessons 1..5.
const char* typeright_drill_set(int lesson);

// The lesson texts, by lesson 6..9 and level 1..4 ("" when missing).
const std::string& typeright_text(int lesson, int level);
void typeright_set_text(int lesson, int level, const std::string& text);
// Reads lesson<L>_<V>.txt of every lesson and level from `folder` (a program
// name such as "PROGDIR:typeright"); a file that is missing, too long or holds
// a character the keyboard lacks is named in one message and left empty.
// Returns the number of texts read.
int typeright_load_texts(const std::string& folder);

void typeright_run_frame();
void typeright_machine_init();
void typeright_reset();
void typeright_update_caps();
void typeright_save_state(u32 map);
// The file a new game is saved under.
const char* typeright_game_file_name(u32 map);
void typeright_dump_lcd();
// The debugger's VIEW words of the Type-right: SCRN dumps the display.
ViewShown typeright_debug_view(const char* word);
// Words per minute and accuracy of `chars` characters typed in `frames`
// frames with `errors` errors.
void typeright_results(i32 chars, i32 frames, i32 errors, i32* wpm, i32* accuracy);
