// The Type-right state machine: drills, texts, the game, results and the LCD.
#include "machines/typeright.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/helpers.h"
#include "core/hiscore.h"
#include "core/message.h"
#include "core/recording.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "display/led.h"
#include "input/console_buttons.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "sound/voice_update.h"

#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>
#include <strings.h>

i32 typeright_state, typeright_timer;
char typeright_lcd[TYPERIGHT_CHARS + 1] = "        ";
u8 typeright_cursor[TYPERIGHT_CHARS];
u8 typeright_indicators[4];
i32 typeright_lesson = 1, typeright_level = 1;
u8 typeright_target;
i32 typeright_score, typeright_errors, typeright_lives = 3, typeright_round = 1, typeright_game = 1;
i32 typeright_text_pos, typeright_column, typeright_word_len;
i32 typeright_wpm, typeright_accuracy;

namespace {

std::string texts[4][4];

// Frames between two shifts of the game line, by round 1..5.
constexpr i32 game_speed[5] = {75, 30, 20, 10, 5};

constexpr const char* drill_sets[5] = {
    "asdfghjkl;'",
    "qwertyuiop=",
    "zxcvbnm,./",
    "1234567890",
    "asdfghjkl;'zxcvbnm,./qwertyuiop=1234567890ASDFGHJKL:\"ZXCVBNM?QWERTYUIOP+!@#$%-&*()",
};

// Finger positions from the space (32) to "z" (122).
constexpr u8 finger_table[91] = {
    9, 1, 2, 3, 4, 4, 5, 8, 7, 8, 6, 8, 6, 5, 7, 8, // space ! " # $ % & ' ( ) * + , - . /
    8, 1, 2, 3, 4, 4, 5, 5, 6, 7,                   // 0..9
    8, 8, 0, 8, 0, 8, 2,                            // : ; < = > ? @
    1, 4, 3, 3, 3, 4, 4, 5, 6, 5, 6, 7, 5,          // A..M
    5, 7, 8, 1, 4, 2, 4, 5, 4, 2, 2, 5, 1,          // N..Z
    0, 0, 0, 0, 0, 0,                               // [ \ ] ^ _ `
    1, 4, 3, 3, 3, 4, 4, 5, 6, 5, 6, 7, 5,          // a..m
    5, 7, 8, 1, 4, 2, 4, 5, 4, 2, 2, 5, 1,          // n..z
};

bool printable(u8 k) {
    return k >= 32 && k <= 126;
}

void tone(u32 hz) {
    pong_tone_hz = hz;
}

void lcd_show(const char* text) {
    // Eight positions, padded with spaces; anything longer is cut.
    std::size_t i = 0;
    for (; i < TYPERIGHT_CHARS && text[i]; i++)
        typeright_lcd[i] = text[i];
    for (; i < TYPERIGHT_CHARS; i++)
        typeright_lcd[i] = ' ';
    typeright_lcd[TYPERIGHT_CHARS] = 0;
}

void lcd_blank() {
    lcd_show("");
}

void marks(u8 on) {
    std::memset(typeright_cursor, on, sizeof typeright_cursor);
}

void shift_left() {
    std::memmove(typeright_lcd, typeright_lcd + 1, TYPERIGHT_CHARS - 1);
    typeright_lcd[TYPERIGHT_CHARS - 1] = ' ';
}

u8 text_at(i32 pos) {
    const std::string& t = typeright_text(typeright_lesson, typeright_level);
    return pos >= 0 && static_cast<std::size_t>(pos) < t.size() ? static_cast<u8>(t[pos]) : 0;
}

i32 text_length() {
    return static_cast<i32>(typeright_text(typeright_lesson, typeright_level).size());
}

void blink() {
    const bool first = frame_counter % 80 < 40;
    typeright_indicators[0] = first;
    typeright_indicators[1] = !first;
}

// Input K of the frame: a console button 1..4, a typed character or 0.
u8 read_key() {
    if (rec_state == REC_PLAYBACK) return rec_read_byte();
    // A button held by its host key or on the controls picture counts on for
    // two frames after it is let go, as a toolbar click does.
    for (int b = 0; b < CONSOLE_BUTTONS; b++)
        if (host_key_down(console_keys[b] & 127) || virtual_key == b) console_hold[b] = 2;
    u8 k = 0;
    for (int b = 0; b < CONSOLE_BUTTONS && !k; b++)
        if (input_console_button_held(b)) k = static_cast<u8>(b + 1);
    if (!k) {
        const u8 ch = guest_key_queue_take();
        if (ch != 128) k = ch;
    }
    if (k > 'z' || k == 13 || (printable(k) && typeright_finger(k) == 0)) k = 0;
    if (rec_state == REC_RECORDING) rec_write_byte(k);
    return k;
}

// A new drill character, never the one just shown.
void new_drill_char() {
    const char* set = typeright_drill_set(typeright_lesson);
    const u32 n = static_cast<u32>(std::strlen(set));
    u8 c = static_cast<u8>(set[rng_byte(n)]);
    // A damaged recording may repeat itself: give up after a few draws.
    for (int tries = 0; c == typeright_target && tries < 16; tries++)
        c = static_cast<u8>(set[rng_byte(n)]);
    typeright_target = c;
    lcd_blank();
    const int f = typeright_finger(c);
    if (f >= 1 && f <= 8) typeright_lcd[f - 1] = static_cast<char>(c);
}

// Lives and score, or "# ######" when they no longer fit; true when shown.
bool show_lives_and_score() {
    if (typeright_lives > 9 || typeright_lives < 0 || typeright_score < 0 ||
        typeright_score > 999999) {
        lcd_show("# ######");
        return false;
    }
    char line[16];
    std::snprintf(line, sizeof line, "%d %6d", typeright_lives, typeright_score);
    lcd_show(line);
    return true;
}

void raise_game_score() {
    if (show_lives_and_score())
        hiscore_raise(typeright_game + 84, static_cast<u32>(typeright_score));
}

u8 first_letter() {
    for (char c : std::string_view(typeright_lcd, TYPERIGHT_CHARS))
        if (c != ' ') return static_cast<u8>(c);
    return 0;
}

void game_step() {
    if (typeright_lcd[0] == ' ') {
        shift_left();
        const i32 round = typeright_round < 1 ? 1 : typeright_round > 5 ? 5 : typeright_round;
        u8 c;
        if (round <= 4 && typeright_timer > 1499)
            c = ' ';
        else
            c = static_cast<u8>('A' + rng_byte(26));
        typeright_lcd[TYPERIGHT_CHARS - 1] = static_cast<char>(c);
        typeright_target = first_letter();
        return;
    }
    // A letter reached the left end.
    tone(TR_TONE_HIGH);
    typeright_lives--;
    raise_game_score();
    typeright_timer = 0;
    typeright_state = typeright_lives > 0 ? TR_GET_READY : TR_IDLE;
}

void game(u8 k) {
    if (typeright_target == 0 && typeright_timer > 1499) {
        typeright_score += 100;
        raise_game_score();
        if (typeright_round < 5) typeright_round++;
        typeright_errors = 0;
        typeright_timer = 0;
        typeright_state = TR_PAUSE;
        return;
    }
    const u8 t = typeright_target;
    const bool match = k && t && (k == t || (t >= 'A' && t <= 'Z' && k == t + 32));
    if (match) {
        for (char& c : std::span(typeright_lcd, TYPERIGHT_CHARS))
            if (static_cast<u8>(c) == t) {
                c = ' ';
                break;
            }
        typeright_score++;
        typeright_target = first_letter();
    } else if (k) {
        tone(TR_TONE_HIGH);
        typeright_errors++;
        if (typeright_score > 0) typeright_score--;
    }
    typeright_timer++;
    const i32 round = typeright_round < 1 ? 1 : typeright_round > 5 ? 5 : typeright_round;
    if (typeright_timer % game_speed[round - 1] == 0) game_step();
}

void finish_text() {
    typeright_results(typeright_text_pos, typeright_timer, typeright_errors, &typeright_wpm,
                      &typeright_accuracy);
    char line[16];
    std::snprintf(line, sizeof line, "%4d WPM", typeright_wpm);
    lcd_show(line);
    marks(0);
    hiscore_raise(68 + typeright_level + (typeright_lesson - 6) * 4,
                  static_cast<u32>(typeright_wpm));
    typeright_state = TR_RESULTS;
}

void move_mark(i32 from, i32 to) {
    if (from >= 0 && from < TYPERIGHT_CHARS) typeright_cursor[from] = 0;
    if (to >= 0 && to < TYPERIGHT_CHARS) typeright_cursor[to] = 1;
}

// Lessons 6 and 7: character by character.
void copy_text(u8 k) {
    typeright_timer++;
    if (!k) return;
    const i32 col = typeright_column;
    if (printable(k)) typeright_lcd[col] = static_cast<char>(k);
    if (k != text_at(typeright_text_pos)) {
        tone(TR_TONE_HIGH);
        typeright_errors++;
        return;
    }
    typeright_text_pos++;
    i32 next = col;
    if (k == '\n') {
        lcd_blank();
        next = 0;
    } else if (col == TYPERIGHT_CHARS - 1) {
        shift_left();
    } else {
        next = col + 1;
    }
    move_mark(col, next);
    typeright_column = next;
    if (typeright_text_pos >= text_length()) finish_text();
}

// The last `len` characters before the column, and `extra` after them.
std::string typed_word(i32 len, u8 extra) {
    std::string w;
    for (i32 i = typeright_column - len; i < typeright_column; i++)
        if (i >= 0) w += typeright_lcd[i];
    if (extra) w += static_cast<char>(extra);
    return w;
}

void check_word(const std::string& typed, const std::string& expected) {
    if (typed != expected) {
        tone(TR_TONE_HIGH);
        typeright_errors++;
    }
}

// Lessons 8 and 9: word by word.
void free_text(u8 k) {
    typeright_timer++;
    if (!k) return;
    const i32 col = typeright_column;
    if (k == '\t') {
        if (col < TYPERIGHT_CHARS - 1) {
            typeright_column = col + 1;
            typeright_word_len++;
            move_mark(col, col + 1);
            return;
        }
        k = ' ';
    }
    if (k == '\n') {
        std::string expected;
        i32 p = typeright_text_pos;
        while (text_at(p) && text_at(p) != ' ' && text_at(p) != '\n')
            expected += static_cast<char>(text_at(p++));
        check_word(typed_word(typeright_word_len, 0), expected);
        if (text_at(p)) p++;
        typeright_text_pos = p;
        lcd_blank();
        move_mark(col, 0);
        typeright_column = 0;
        typeright_word_len = 0;
    } else if (k == 8) {
        if (typeright_word_len > 0 && col > 0) {
            typeright_word_len--;
            typeright_column = col - 1;
            move_mark(col, col - 1);
        } else {
            tone(TR_TONE_HIGH);
        }
        return;
    } else if (!printable(k)) {
        return;
    } else if (!(k == ' ' && typeright_word_len == 0 && text_at(typeright_text_pos) != ' ')) {
        typeright_word_len++;
        if (typeright_word_len >= TYPERIGHT_CHARS || k == ' ') {
            std::string expected;
            for (i32 i = 0; i < typeright_word_len; i++)
                if (text_at(typeright_text_pos + i))
                    expected += static_cast<char>(text_at(typeright_text_pos + i));
            check_word(typed_word(typeright_word_len - 1, k), expected);
            typeright_text_pos += typeright_word_len;
            if (typeright_text_pos > text_length()) typeright_text_pos = text_length();
            typeright_word_len = 0;
        }
    }
    if (k != '\n') {
        if (col == TYPERIGHT_CHARS - 1) {
            shift_left();
            typeright_lcd[TYPERIGHT_CHARS - 2] = static_cast<char>(k);
        } else {
            typeright_lcd[col] = static_cast<char>(k);
            typeright_column = col + 1;
            move_mark(col, col + 1);
        }
    }
    if (typeright_text_pos >= text_length()) finish_text();
}

void step(u8 k) {
    auto& t = typeright_timer;
    switch (typeright_state) {
    case TR_POWER_ON:
        t++;
        if (t % 5 == 0 && t <= 40) {
            lcd_show(std::string(static_cast<std::size_t>(t / 5), '*').c_str());
            tone(TR_TONE_LOW);
        }
        if (t > 40) typeright_state = TR_IDLE;
        break;
    case TR_IDLE:
        typeright_errors = 0;
        blink();
        break;
    case TR_CHOOSE_LESSON:
        if (k >= '1' && k <= '9') {
            char line[16];
            std::snprintf(line, sizeof line, "LESSON %c", k);
            lcd_show(line);
            typeright_lesson = k - '0';
            t = 50;
            typeright_state = TR_SHOW_LESSON;
        }
        break;
    case TR_SHOW_LESSON:
        if (--t > 0) break;
        if (typeright_lesson > 5) {
            lcd_show(" 1 - 4  ");
            typeright_state = TR_CHOOSE_LEVEL;
        } else {
            marks(1);
            t = TR_DRILL_FRAMES;
            typeright_score = 0;
            typeright_target = 0;
            new_drill_char();
            typeright_state = TR_DRILL;
        }
        break;
    case TR_DRILL:
        if (--t > 0) {
            if (k && k == typeright_target) {
                const int f = typeright_finger(k);
                if (f >= 1 && f <= 8) typeright_lcd[f - 1] = ' ';
                typeright_score++;
                new_drill_char();
            } else if (k) {
                tone(TR_TONE_HIGH);
                typeright_errors++;
            }
            break;
        }
        marks(0);
        {
            char line[16];
            std::snprintf(line, sizeof line, "%8d", typeright_score % 100000000);
            lcd_show(line);
        }
        hiscore_raise(typeright_lesson + 63, static_cast<u32>(typeright_score));
        typeright_state = TR_DRILL_OVER;
        break;
    case TR_CHOOSE_GAME:
        if (k == '1' || k == '2') {
            lcd_blank();
            typeright_game = typeright_round = k - '0';
            t = 0;
            typeright_state = TR_GAME_INTRO;
        }
        break;
    case TR_GET_READY:
        t++;
        if (t == 10 || t == 15 || t == 20) tone(TR_TONE_LOW);
        if (t >= 75) {
            lcd_blank();
            t = 0;
            typeright_state = TR_PAUSE;
        }
        break;
    case TR_GAME:
        game(k);
        break;
    case TR_CHOOSE_LEVEL:
        if (k >= '1' && k <= '4') {
            char line[16];
            std::snprintf(line, sizeof line, "LEVEL  %c", k);
            lcd_show(line);
            typeright_level = k - '0';
            t = 50;
            typeright_state = TR_SHOW_LEVEL;
        }
        break;
    case TR_SHOW_LEVEL: {
        if (--t > 0) break;
        const std::string& text = typeright_text(typeright_lesson, typeright_level);
        marks(0);
        lcd_blank();
        typeright_text_pos = typeright_word_len = typeright_errors = typeright_column = 0;
        if (text.empty()) {
            lcd_show("NO TEXT");
            typeright_state = TR_IDLE;
            break;
        }
        typeright_cursor[0] = 1;
        typeright_state = typeright_lesson >= 8 ? TR_FREE_TEXT : TR_COPY_TEXT;
        con_printf("%s\n", text.c_str());
        tone(TR_TONE_HIGH);
        break;
    }
    case TR_COPY_TEXT:
        copy_text(k);
        break;
    case TR_RESULTS: {
        blink();
        char line[16];
        if (k == 3) {
            std::snprintf(line, sizeof line, "%4d WPM", typeright_wpm);
            lcd_show(line);
        } else if (k == 4) {
            std::snprintf(line, sizeof line, "%5d%%  ", typeright_accuracy);
            lcd_show(line);
        }
        break;
    }
    case TR_GAME_INTRO:
        t++;
        if (t % 5 == 0 && t <= 25) tone(TR_TONE_LOW);
        if (t > 50) {
            t = 0;
            typeright_score = 0;
            typeright_lives = 3;
            raise_game_score();
            typeright_state = TR_GET_READY;
        }
        break;
    case TR_PAUSE:
        t++;
        tone(TR_TONE_HIGH);
        if (t >= 10) {
            t = 0;
            lcd_blank();
            typeright_target = 0;
            game_step();
            if (typeright_state == TR_PAUSE) typeright_state = TR_GAME;
        }
        break;
    case TR_DRILL_OVER:
        t++;
        if (t <= 10)
            tone(TR_TONE_HIGH);
        else
            typeright_state = TR_IDLE;
        break;
    case TR_FREE_TEXT:
        free_text(k);
        break;
    default:
        typeright_state = TR_IDLE;
        break;
    }
}

void plot_dot(i32 x, i32 y, bool lit) {
    const u32 colour = lit ? display_ink : display_paper;
    for (i32 dx = 0; dx < 2; dx++)
        for (i32 dy = 0; dy < 2; dy++)
            display_plot_pixel(static_cast<u32>(2 * x + dx), static_cast<u32>(2 * y + dy), colour);
    led_panel_set_cell(x, y, colour);
}

void draw_lcd() {
    bool dots[64][14] = {};
    for (int i = 0; i < TYPERIGHT_CHARS; i++) {
        const u8 c = static_cast<u8>(typeright_lcd[i]);
        if (c >= 32 && c <= 126)
            for (int r = 0; r < 7; r++)
                for (int d = 0; d < 5; d++)
                    dots[8 + 7 * i + d][2 + r] = (typeright_font[c - 32][r] & (0x80 >> d)) != 0;
        if (typeright_cursor[i])
            for (int d = 0; d < 5; d++)
                dots[8 + 7 * i + d][11] = true;
    }
    for (int k = 0; k < 4; k++)
        if (typeright_indicators[k]) {
            dots[4][1 + 3 * k] = dots[3][2 + 3 * k] = true;
            dots[4][2 + 3 * k] = dots[4][3 + 3 * k] = true;
        }
    for (i32 x = 0; x < 64; x++)
        for (i32 y = 0; y < 14; y++)
            plot_dot(x, y, dots[x][y]);
}

} // namespace

int typeright_finger(u8 ch) {
    return ch >= 32 && ch <= 'z' ? finger_table[ch - 32] : 0;
}

const char* typeright_drill_set(int lesson) {
    return drill_sets[lesson >= 1 && lesson <= 5 ? lesson - 1 : 0];
}

const std::string& typeright_text(int lesson, int level) {
    static const std::string none;
    if (lesson < 6 || lesson > 9 || level < 1 || level > 4) return none;
    return texts[lesson - 6][level - 1];
}

void typeright_set_text(int lesson, int level, const std::string& text) {
    if (lesson < 6 || lesson > 9 || level < 1 || level > 4) return;
    texts[lesson - 6][level - 1] = text;
}

int typeright_load_texts(const std::string& folder) {
    int loaded = 0;
    for (int lesson = 6; lesson <= 9; lesson++)
        for (int level = 1; level <= 4; level++) {
            char name[32];
            std::snprintf(name, sizeof name, "/lesson%d_%d.txt", lesson, level);
            const std::string path = folder + name;
            std::string text;
            const char* fault = nullptr;
            if (!file_read_whole(file_host_path(path), &text, TYPERIGHT_TEXT_MAX))
                fault = "is missing, unreadable or too long";
            for (std::size_t i = 0; !fault && i < text.size(); i++) {
                const u8 c = static_cast<u8>(text[i]);
                if (c != '\n' && typeright_finger(c) == 0)
                    fault = "holds a character the keyboard lacks";
            }
            if (!fault && text.empty()) fault = "is empty";
            if (fault) {
                con_printf("Type-right lesson text %s %s.\n", path.c_str(), fault);
                text.clear();
            } else {
                loaded++;
            }
            typeright_set_text(lesson, level, text);
        }
    return loaded;
}

void typeright_results(i32 chars, i32 frames, i32 errors, i32* wpm, i32* accuracy) {
    const i32 words = (chars + 5) / 6;
    const i32 seconds = (frames + 49) / 50;
    *wpm = seconds > 0 ? words * 60 / seconds : 0;
    i32 a = chars > 0 ? 100 - errors * 100 / chars : 0;
    *accuracy = a < 0 ? 0 : a;
}

void typeright_update_caps() {
    typeright_indicators[3] = caps_lock_state ? 1 : 0;
}

void typeright_run_frame() {
    in_frame = 1;
    pong_tone_hz = 0;
    typeright_update_caps();
    const u8 k = read_key();
    if (typeright_state != TR_POWER_ON && (k == 1 || k == 2)) {
        lcd_show(k == 1 ? " 1 - 9  " : " 1 - 2  ");
        typeright_indicators[0] = k == 1;
        typeright_indicators[1] = k == 2;
        marks(0);
        typeright_state = k == 1 ? TR_CHOOSE_LESSON : TR_CHOOSE_GAME;
    }
    step(k);
    draw_lcd();
    snd_update_voices(0);
    // No processor: the speed display counts frames, and cpu_cycles stays.
    emu_end_of_frame();
    input_console_buttons_tick();
}

void typeright_reset() {
    guest_key_queue_len = 0;
    lcd_blank();
    marks(0);
    typeright_indicators[0] = typeright_indicators[1] = 0;
    typeright_update_caps();
    input_console_buttons_reset();
    // A fresh start counts nothing from before.
    typeright_target = 0;
    typeright_score = typeright_errors = 0;
    typeright_state = TR_POWER_ON;
    typeright_timer = 0;
    pong_tone_hz = 0;
}

void typeright_machine_init() {
    static bool loaded = false;
    if (!loaded) {
        typeright_load_texts("PROGDIR:typeright");
        loaded = true;
    }
}

const char* typeright_game_file_name(u32) {
    return "Type-right.cos";
}

static bool reading() {
    return serial_dir != SERIAL_WRITE;
}

static void ranged(i32* v, i32 low, i32 high, const char* what) {
    const u32 got = state_field_u32(v);
    if (reading() && (static_cast<i32>(got) < low || static_cast<i32>(got) > high))
        serial_mark_bad(what);
}

void typeright_save_state(u32) {
    state_field_u8(&typeright_target);
    ranged(&typeright_state, 0, 15, "Type-right state");
    ranged(&typeright_lesson, 1, 9, "lesson");
    ranged(&typeright_round, 1, 5, "game round");
    ranged(&typeright_level, 1, 4, "level");
    ranged(&typeright_lives, 0, 9, "lives");
    ranged(&typeright_column, 0, TYPERIGHT_CHARS - 1, "column");
    ranged(&typeright_accuracy, 0, 100, "accuracy");
    state_field_u32_full(&typeright_timer);
    state_field_u32_full(&typeright_score);
    state_field_u32_full(&typeright_errors);
    const i32 pos = state_field_u32_full(&typeright_text_pos);
    if (reading() && (pos < 0 || pos > TYPERIGHT_TEXT_MAX)) serial_mark_bad("text position");
    state_field_u32_full(&typeright_wpm);
    for (int i = 0; i < TYPERIGHT_CHARS; i++) {
        // The file's character is checked, also on a dry read, which stores nothing.
        u8 c = static_cast<u8>(typeright_lcd[i]);
        const u8 got = state_field_u8(&c);
        if (reading() && (got < 32 || got > 126)) serial_mark_bad("LCD character");
        typeright_lcd[i] = static_cast<char>(c);
        state_field_u8(&typeright_cursor[i]);
    }
    state_field_u8(&typeright_indicators[0]);
    state_field_u8(&typeright_indicators[1]);
    ranged(&typeright_game, 1, 2, "game");
    ranged(&typeright_word_len, 0, TYPERIGHT_CHARS, "word length");
}

void typeright_dump_lcd() {
    const bool lit = typeright_indicators[0] || typeright_indicators[1] ||
                     typeright_indicators[2] || typeright_indicators[3];
    con_printf("%c%s\n", lit ? '<' : ' ', typeright_lcd);
    char line[TYPERIGHT_CHARS + 1];
    for (int i = 0; i < TYPERIGHT_CHARS; i++)
        line[i] = typeright_cursor[i] ? '_' : ' ';
    line[TYPERIGHT_CHARS] = 0;
    con_printf(" %s\n\n", line);
}

ViewShown typeright_debug_view(const char* word) {
    if (strcasecmp(word, "SCRN") != 0) return ViewShown::NONE;
    typeright_dump_lcd();
    return ViewShown::SHOWN;
}
