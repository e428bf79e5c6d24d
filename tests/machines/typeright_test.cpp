#include "core/emu.h"
#include "tests/support/checkout_paths.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/savestate.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "input/console_buttons.h"
#include "input/key_events.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "machines/typeright.h"
#include "sound/voice_update.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/state_load.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class TypeRight : public testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        ASSERT_TRUE(machine_switch(TYPERIGHT, 30, true, true, false));
        machine_reset();
        for (int lesson = 6; lesson <= 9; lesson++)
            for (int level = 1; level <= 4; level++)
                typeright_set_text(lesson, level, "");
    }
    void TearDown() override {
        rec_state = REC_IDLE;
        guest_key_queue_len = 0;
        filebuf_free();
    }

    static void frames(int n) {
        for (int i = 0; i < n; i++)
            emu_run_frame();
    }
    // Types `text`, one character a frame.
    static void type(const std::string& text) {
        for (char c : text) {
            const u8 ch = static_cast<u8>(c);
            guest_key_queue_append(&ch, 1);
            emu_run_frame();
        }
    }
    static void button(int b) {
        input_press_console_button(b);
        emu_run_frame();
        frames(2); // the press lasts two frames
    }
    static std::string lcd() { return std::string(typeright_lcd, TYPERIGHT_CHARS); }
    // Power-on over, a lesson chosen, its level shown and the text started.
    void start_text(int lesson, int level, const std::string& text) {
        typeright_set_text(lesson, level, text);
        frames(41);
        button(0);
        type(std::string(1, static_cast<char>('0' + lesson)));
        frames(50);
        ASSERT_EQ(typeright_state, TR_CHOOSE_LEVEL);
        type(std::string(1, static_cast<char>('0' + level)));
        frames(50);
        ASSERT_EQ(typeright_state, lesson >= 8 ? TR_FREE_TEXT : TR_COPY_TEXT);
    }
};

TEST_F(TypeRight, PowerOnCountsAsterisksWithTonesThenIdles) {
    std::string seen;
    for (int f = 1; f <= 40; f++) {
        emu_run_frame();
        if (f % 5 == 0) {
            EXPECT_EQ(lcd(), std::string(static_cast<size_t>(f / 5), '*') +
                                 std::string(static_cast<size_t>(8 - f / 5), ' '));
            EXPECT_EQ(pong_tone_hz, TR_TONE_LOW) << f;
        } else {
            EXPECT_EQ(pong_tone_hz, 0u) << "a tone lasts only its frame, " << f;
        }
    }
    EXPECT_EQ(typeright_state, TR_POWER_ON);
    emu_run_frame();
    EXPECT_EQ(typeright_state, TR_IDLE);
    // Keys do nothing until power-on is over.
    machine_reset();
    input_press_console_button(0);
    emu_run_frame();
    EXPECT_EQ(typeright_state, TR_POWER_ON);
}

// The host console keys and the controls picture reach the buttons too; a
// press shortly held goes on counting two frames after it is let go.
TEST_F(TypeRight, ConsoleKeysAndControlsPictureReachTheButtons) {
    frames(41);
    const u32 game_key = console_keys[1];
    ASSERT_LT(game_key, RAW_KEYS);
    host_key_set(game_key);
    emu_run_frame();
    host_key_clear(game_key);
    EXPECT_EQ(typeright_state, TR_CHOOSE_GAME);
    EXPECT_EQ(lcd(), " 1 - 2  ");
    EXPECT_TRUE(input_console_button_held(1)) << "still counting after the release";
    frames(2);
    EXPECT_FALSE(input_console_button_held(1));

    virtual_key = 0;
    emu_run_frame();
    virtual_key = -1;
    EXPECT_EQ(typeright_state, TR_CHOOSE_LESSON);
    frames(2);
    type("3");
    EXPECT_EQ(lcd(), "LESSON 3") << "the button let go, typing goes on";
}

TEST_F(TypeRight, DrillLastsItsFramesAndShowsTheScoreRightAligned) {
    frames(41);
    button(0);
    EXPECT_EQ(lcd(), " 1 - 9  ");
    EXPECT_EQ(typeright_indicators[0], 1);
    type("1");
    EXPECT_EQ(lcd(), "LESSON 1");
    frames(50);
    ASSERT_EQ(typeright_state, TR_DRILL);
    for (u8 m : typeright_cursor)
        EXPECT_EQ(m, 1);
    const std::string drill = typeright_drill_set(1);
    int drill_frames = 0;
    for (int hit = 0; hit < 3; hit++) {
        const u8 target = typeright_target;
        ASSERT_NE(drill.find(static_cast<char>(target)), std::string::npos);
        // Shown at its finger position, and nothing else on the line.
        const int f = typeright_finger(target);
        EXPECT_EQ(lcd()[static_cast<size_t>(f - 1)], static_cast<char>(target));
        type(std::string(1, static_cast<char>(target)));
        drill_frames++;
        EXPECT_NE(typeright_target, target) << "a new character, never the same";
    }
    type("~"); // not on the keyboard: ignored
    type("5"); // wrong: an error with the high tone
    drill_frames += 2;
    EXPECT_EQ(pong_tone_hz, TR_TONE_HIGH);
    EXPECT_EQ(typeright_errors, 1);
    while (typeright_state == TR_DRILL && drill_frames < 5000) {
        emu_run_frame();
        drill_frames++;
    }
    EXPECT_EQ(drill_frames, TR_DRILL_FRAMES);
    EXPECT_EQ(lcd(), "       3");
    for (u8 m : typeright_cursor)
        EXPECT_EQ(m, 0);
    frames(11);
    EXPECT_EQ(typeright_state, TR_IDLE);
}

TEST_F(TypeRight, ClassAbandonsADrillAtOnce) {
    frames(41);
    button(0);
    type("3");
    frames(50);
    ASSERT_EQ(typeright_state, TR_DRILL);
    input_press_console_button(0);
    emu_run_frame();
    EXPECT_EQ(typeright_state, TR_CHOOSE_LESSON);
    EXPECT_EQ(lcd(), " 1 - 9  ");
    for (u8 m : typeright_cursor)
        EXPECT_EQ(m, 0);
}

TEST_F(TypeRight, WordsPerMinuteAndAccuracy) {
    struct Case {
        i32 chars, frames, errors, wpm, accuracy;
    } cases[] = {
        {6, 50, 0, 60, 100},                        // one word in one second
        {7, 51, 0, 60, 100},                        // two words in two seconds
        {12, 300, 3, 20, 75}, {10, 100, 40, 60, 0}, // more errors than characters: never negative
        {0, 0, 0, 0, 0},                            // nothing typed at time 0: no division by zero
        {5, 0, 0, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.chars << " in " << c.frames);
        i32 wpm = -1, accuracy = -1;
        typeright_results(c.chars, c.frames, c.errors, &wpm, &accuracy);
        EXPECT_EQ(wpm, c.wpm);
        EXPECT_EQ(accuracy, c.accuracy);
    }
}

TEST_F(TypeRight, CopyingATextScrollsAndEndsWithTheResults) {
    start_text(6, 1, "The cat sat.\nOk\n");
    EXPECT_EQ(typeright_cursor[0], 1);
    type("The cat");
    EXPECT_EQ(lcd(), "The cat ");
    EXPECT_EQ(typeright_column, 7);
    EXPECT_EQ(typeright_cursor[7], 1);
    type(" sax");
    EXPECT_EQ(typeright_errors, 1);
    EXPECT_EQ(typeright_text_pos, 10);
    EXPECT_EQ(lcd(), " cat sax") << "a wrong key is shown but the text waits";
    type("t.\n");
    EXPECT_EQ(lcd(), "        ");
    EXPECT_EQ(typeright_column, 0);
    type("Ok\n");
    ASSERT_EQ(typeright_state, TR_RESULTS);
    // 16 characters, 3 words; 19 frames of typing: one second.
    EXPECT_EQ(typeright_wpm, 180);
    EXPECT_EQ(typeright_accuracy, 100 - 100 / 16);
    EXPECT_EQ(lcd(), " 180 WPM");
    type(std::string(1, '\x04'));
    EXPECT_EQ(lcd(), "   94%  ");
    type(std::string(1, '\x03'));
    EXPECT_EQ(lcd(), " 180 WPM");
}

TEST_F(TypeRight, WordByWordChecksWholeWords) {
    start_text(8, 2, "Dear Sam,\nyes no\n");
    type("Dear ");
    EXPECT_EQ(typeright_errors, 0);
    EXPECT_EQ(typeright_text_pos, 5);
    type("Sbm,\n");
    EXPECT_EQ(typeright_errors, 1) << "a wrong word";
    EXPECT_EQ(typeright_text_pos, 10);
    EXPECT_EQ(lcd(), "        ");
    type("yeq");
    type("\b\bes");   // backspace within the word mends it
    type("\b\b\b\b"); // the fourth has nothing left to take back
    EXPECT_EQ(pong_tone_hz, TR_TONE_HIGH);
    EXPECT_EQ(typeright_column, 0);
    type("yes no\n");
    EXPECT_EQ(typeright_errors, 1);
    EXPECT_EQ(typeright_state, TR_RESULTS);
}

TEST_F(TypeRight, GameLettersHitsAndLives) {
    frames(41);
    button(1);
    EXPECT_EQ(lcd(), " 1 - 2  ");
    type("1");
    ASSERT_EQ(typeright_state, TR_GAME_INTRO);
    frames(51);
    EXPECT_EQ(lcd(), "3      0");
    ASSERT_EQ(typeright_state, TR_GET_READY);
    frames(75);
    ASSERT_EQ(typeright_state, TR_PAUSE);
    // A pause of ten frames with the warning tone before the first letter.
    for (int f = 1; f < 10; f++) {
        emu_run_frame();
        ASSERT_EQ(typeright_state, TR_PAUSE) << f;
        EXPECT_EQ(pong_tone_hz, TR_TONE_HIGH);
    }
    emu_run_frame();
    ASSERT_EQ(typeright_state, TR_GAME);
    const u8 target = typeright_target;
    ASSERT_GE(target, 'A');
    ASSERT_LE(target, 'Z');
    EXPECT_EQ(lcd()[7], static_cast<char>(target));
    // A small letter hits the capital target.
    type(std::string(1, static_cast<char>(target + 32)));
    EXPECT_EQ(typeright_score, 1);
    EXPECT_EQ(typeright_target, 0);
    // A wrong letter costs the point again.
    type(std::string(1, target == 'A' ? 'B' : 'A'));
    EXPECT_EQ(typeright_score, 0);
    EXPECT_EQ(typeright_errors, 1);
    // Letters left alone walk to the left end and cost a life.
    int guard = 0;
    while (typeright_lives == 3 && guard++ < 2000)
        emu_run_frame();
    EXPECT_EQ(typeright_lives, 2);
    EXPECT_EQ(typeright_state, TR_GET_READY);
    EXPECT_EQ(lcd(), "2      0");
}

TEST_F(TypeRight, GameOutOfRangeShowsHashes) {
    typeright_state = TR_GAME;
    typeright_round = 5;
    typeright_lives = 1;
    typeright_score = 1000000;
    std::strcpy(typeright_lcd, "Q       ");
    typeright_target = 'Q';
    typeright_timer = 4; // the next frame is a game step
    emu_run_frame();
    EXPECT_EQ(lcd(), "# ######");
    EXPECT_EQ(typeright_lives, 0);
    EXPECT_EQ(typeright_state, TR_IDLE);
}

TEST_F(TypeRight, LcdDotsFollowTheFont) {
    frames(41);
    button(0);
    type("7");
    ASSERT_EQ(lcd(), "LESSON 7");
    typeright_cursor[2] = 1;
    typeright_indicators[2] = 1;
    emu_run_frame();
    auto lit = [](int x, int y) {
        bool any = false, all = true;
        for (int dx = 0; dx < 2; dx++)
            for (int dy = 0; dy < 2; dy++) {
                const bool on =
                    guest_frame[(2 * x + dx) * GUEST_FRAME_ROWS + 2 * y + dy] == display_ink;
                any |= on;
                all &= on;
            }
        EXPECT_EQ(any, all) << "a dot is a whole 2 x 2 block";
        return all;
    };
    for (int i = 0; i < 8; i++) {
        const u8 c = static_cast<u8>(lcd()[static_cast<size_t>(i)]);
        for (int r = 0; r < 7; r++)
            for (int d = 0; d < 5; d++)
                ASSERT_EQ(lit(8 + 7 * i + d, 2 + r), (typeright_font[c - 32][r] & (0x80 >> d)) != 0)
                    << "character " << i << " row " << r << " dot " << d;
        EXPECT_FALSE(lit(13 + 7 * i, 4));
        for (int d = 0; d < 5; d++)
            EXPECT_EQ(lit(8 + 7 * i + d, 11), i == 2);
    }
    // Indicator 2 is an arrow of four dots.
    EXPECT_TRUE(lit(4, 7) && lit(3, 8) && lit(4, 8) && lit(4, 9));
    EXPECT_FALSE(lit(3, 7));
}

TEST_F(TypeRight, FontDrawsEveryKeyboardCharacterAndNoBlankLetters) {
    for (int c = 33; c <= 'z'; c++)
        if (typeright_finger(static_cast<u8>(c))) {
            int dots = 0;
            for (u8 row : typeright_font[c - 32]) {
                EXPECT_EQ(row & 0x07, 0) << "only five dots wide: " << char(c);
                dots += __builtin_popcount(row);
            }
            EXPECT_GE(dots, 3) << char(c);
        }
    // Distinct glyphs for every pair of typed characters.
    for (int a = 33; a <= 'z'; a++)
        for (int b = a + 1; b <= 'z'; b++)
            EXPECT_NE(std::memcmp(typeright_font[a - 32], typeright_font[b - 32], 7), 0)
                << char(a) << " and " << char(b);
}

TEST_F(TypeRight, ShippedTextsAreComplete) {
    const std::string folder =
        std::filesystem::path(test_data()).parent_path().parent_path() / "resources" /
        "typeright";
    EXPECT_EQ(typeright_load_texts(folder), 16);
    for (int lesson = 6; lesson <= 9; lesson++)
        for (int level = 1; level <= 4; level++) {
            const std::string& t = typeright_text(lesson, level);
            SCOPED_TRACE(testing::Message() << lesson << "/" << level);
            EXPECT_GE(t.size(), 116u);
            EXPECT_LE(t.size(), 1480u);
            EXPECT_EQ(t.back(), '\n');
        }
}

TEST_F(TypeRight, BadTextFilesAreNamedAndLeftEmpty) {
    TempHome home("typeright");
    const auto dir = home.path() / "tr";
    test_write_file(dir / "lesson6_1.txt", "Fine text.\n");
    test_write_file(dir / "lesson6_2.txt", "if a<b then\n");
    test_write_file(dir / "lesson6_3.txt", std::string(5000, 'a'));
    EXPECT_EQ(typeright_load_texts(dir.string()), 1);
    EXPECT_EQ(typeright_text(6, 1), "Fine text.\n");
    EXPECT_EQ(typeright_text(6, 2), "");
    EXPECT_EQ(typeright_text(6, 3), "");
    // A lesson without its text says so instead of starting.
    frames(41);
    button(0);
    type("6");
    frames(50);
    type("2");
    frames(50);
    EXPECT_EQ(lcd(), "NO TEXT ");
    EXPECT_EQ(typeright_state, TR_IDLE);
}

std::vector<u8> save_state() {
    std::vector<u8> buf;
    EXPECT_TRUE(state_write_buffer(0, &buf));
    return buf;
}

TEST_F(TypeRight, SaveStateRoundTripMidText) {
    start_text(8, 1, "one two three\n");
    type("one tw");
    const std::string shown = lcd();
    const i32 pos = typeright_text_pos, col = typeright_column, len = typeright_word_len;
    const i32 timer = typeright_timer;
    const std::vector<u8> file = save_state();
    machine_reset();
    frames(3);
    std::string error;
    ASSERT_TRUE(test_state_load(file.data(), static_cast<u32>(file.size()), &error)) << error;
    EXPECT_EQ(typeright_state, TR_FREE_TEXT);
    EXPECT_EQ(lcd(), shown);
    EXPECT_EQ(typeright_text_pos, pos);
    EXPECT_EQ(typeright_column, col);
    EXPECT_EQ(typeright_word_len, len);
    EXPECT_EQ(typeright_timer, timer);
    EXPECT_EQ(typeright_lesson, 8);
    // The text goes on where it stopped.
    type("o three\n");
    EXPECT_EQ(typeright_errors, 0);
    EXPECT_EQ(typeright_state, TR_RESULTS);

    std::vector<u8> bad = file;
    bad[9] = 16; // the state, after the header, the paddles and the target
    EXPECT_FALSE(test_state_load(bad.data(), static_cast<u32>(bad.size()), &error));
    bad = file;
    bad.resize(bad.size() - 2);
    EXPECT_FALSE(test_state_load(bad.data(), static_cast<u32>(bad.size()), &error));
}

TEST_F(TypeRight, RecordingReplaysKeysAndDrillCharacters) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    rec_file = f;
    rec_state = REC_RECORDING;
    frames(41);
    button(0);
    type("5");
    frames(50);
    std::string trail;
    for (int i = 0; i < 20; i++) {
        type(std::string(1, static_cast<char>(i % 3 ? typeright_target : 'q')));
        trail += lcd();
    }
    const i32 score = typeright_score, errors = typeright_errors;
    rec_state = REC_IDLE;
    rec_file = nullptr;
    const long size = std::ftell(f);
    std::vector<u8> bytes(static_cast<size_t>(size));
    std::rewind(f);
    ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);

    machine_reset();
    ASSERT_TRUE(test_filebuf_alloc(static_cast<u32>(bytes.size() + 1)));
    std::copy(bytes.begin(), bytes.end(), filebuf);
    filebuf_length = rec_length = static_cast<u32>(bytes.size());
    filebuf_cursor = 0;
    rec_state = REC_PLAYBACK;
    frames(41 + 3 + 1 + 50);
    std::string replay;
    for (int i = 0; i < 20; i++) {
        emu_run_frame();
        replay += lcd();
    }
    EXPECT_EQ(replay, trail);
    EXPECT_EQ(typeright_score, score);
    EXPECT_EQ(typeright_errors, errors);
    EXPECT_GT(score, 0);
}

} // namespace
