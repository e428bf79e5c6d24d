// The Arcadia's inputs from the host: keypad keys and fire buttons, console
// buttons and their hold counters, the start key and paddle-end keys of a
// known game; and two per-game picture settings, the dejitter lines and the
// artefact colours.
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "input/console_buttons.h"
#include "input/keys.h"
#include "input/paddles.h"
#include "machines/arcadia.h"
#include "machines/uvi2637.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ArcadiaInput : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        controller_left = controller_right = 0; // keyboards, no pads
        for (auto& keys : player_keys)
            for (u16& k : keys)
                k = RAW_NONE;
        for (u16& k : console_keys)
            k = RAW_NONE;
        input_clear_key_matrix();
    }
    void TearDown() override { fresh_state(); }

    static KnownGame arcadia_row() {
        KnownGame row{};
        row.machine = ARCADIA;
        row.memmap = 6;
        row.sensitivity = 3;
        row.variant = 2;
        for (std::int8_t& k : row.paddle_keys)
            k = -1;
        return row;
    }
    // The four keypad registers of a side as one number, $1900+4s first.
    static u32 keypad(int side) {
        u32 v = 0;
        for (int i = 0; i < 4; i++)
            v = v << 4 | (guest_memory[0x1900 + 4 * side + i] & 15);
        return v;
    }
    // The same number for a single key: register offset and bit.
    static u32 key(int offset, int bit) { return static_cast<u32>(bit) << (4 * (3 - offset)); }
};

// Every key row from its host key, on either side; the host keys of the fire
// buttons press the rows assigned to them.
TEST_F(ArcadiaInput, HostKeysPressTheirKeyRows) {
    const u32 rows[17] = {0,         key(0, 8), key(1, 8), key(2, 8), key(0, 4), key(1, 4),
                          key(2, 4), key(0, 2), key(1, 2), key(2, 2), key(0, 1), key(1, 1),
                          key(2, 1), key(3, 1), key(3, 2), key(3, 4), key(3, 8)};
    const u16 host = 0x20;
    for (int player = 0; player < 2; player++)
        for (int row = 1; row <= 16; row++) {
            player_keys[player][GK_KEYPAD1 + row - 1] = host;
            host_key_set(host);
            arcadia_read_side(player, player);
            EXPECT_EQ(keypad(player), rows[row]) << "player " << player << " row " << row;
            player_keys[player][GK_KEYPAD1 + row - 1] = RAW_NONE;
            host_key_clear(host);
        }
    const int fire_keys[4] = {GK_FIRE1, GK_FIRE2, GK_FIRE3, GK_FIRE4};
    const i32 assigned[4] = {5, 11, 16, 1};
    for (int b = 0; b < 4; b++) {
        fire_button_assign[b] = assigned[b];
        player_keys[0][fire_keys[b]] = host;
        host_key_set(host);
        arcadia_read_side(0, 0);
        EXPECT_EQ(keypad(0), rows[assigned[b]]) << "fire button " << b + 1;
        player_keys[0][fire_keys[b]] = RAW_NONE;
        host_key_clear(host);
    }
    arcadia_read_side(0, 0);
    EXPECT_EQ(keypad(0), 0u);
}

// Fire button 1 with and without autofire, held or not: autofire presses in
// the first `duty` frames of every `period`, and only while held when the
// button is required; game 105 takes fire button 2's key row every other 15
// frames.
TEST_F(ArcadiaInput, FireButtonOneWithAutofire) {
    const struct {
        u32 autofire, require;
        bool held;
        i32 game;
        int pressed_in_32; // frames with the key row down
    } cases[] = {
        {0, 0, true, -1, 32}, {0, 0, false, -1, 0}, {1, 0, false, -1, 8},
        {1, 1, false, -1, 0}, {1, 1, true, -1, 8},  {0, 0, true, 105, 32},
    };
    const u16 host = 0x22;
    player_keys[0][GK_FIRE1] = host;
    autofire_period = 16;
    autofire_duty = 4;
    fire_button_assign[0] = 2; // '2': $1901 bit 3
    fire_button_assign[1] = 5; // '5': $1901 bit 2
    for (const auto& c : cases) {
        autofire_left = c.autofire;
        requirebutton_left = c.require;
        known_game_id = c.game;
        if (c.held)
            host_key_set(host);
        else
            host_key_clear(host);
        int pressed = 0;
        for (u32 f = 0; f < 32; f++) {
            frame_counter = f;
            arcadia_read_side(0, 0);
            const bool alternate = c.game == 105 && f % 30 >= 15;
            const u32 row = alternate ? key(1, 4) : key(1, 8);
            pressed += keypad(0) == row;
            if (c.autofire) {
                EXPECT_EQ(keypad(0) != 0, c.pressed_in_32 && f % 16 < 4) << f;
            }
        }
        EXPECT_EQ(pressed, c.pressed_in_32) << "autofire " << c.autofire << " require " << c.require
                                            << " held " << c.held << " game " << c.game;
    }
    autofire_left = 0;
    known_game_id = -1;
}

// A click holds a console button for its frames; a known game's start key
// goes down with START on the side the game names.
TEST_F(ArcadiaInput, ConsoleButtonsHoldAndPressTheStartKey) {
    input_press_console_button(2); // B
    const int frames = input_console_click_frames(2);
    ASSERT_GT(frames, 0);
    for (int f = 0; f <= frames; f++) {
        arcadia_read_inputs();
        EXPECT_EQ(guest_memory[0x1908], f < frames ? 4 : 0) << f;
    }

    KnownGame row = arcadia_row();
    row.start_key_row = 11; // '0': $1901 bit 0
    row.start_key_side = 1;
    arcadia_take_row(row);
    console_keys[0] = 0x21;
    host_key_set(0x21);
    arcadia_read_inputs();
    EXPECT_EQ(guest_memory[0x1908], 1);
    EXPECT_EQ(keypad(1), key(1, 1));
    EXPECT_EQ(keypad(0), 0u);
    host_key_clear(0x21);
    arcadia_read_inputs();
    EXPECT_EQ(keypad(1), 0u);

    // Without a known game's row (the set-up forgets it) START is START alone.
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    host_key_set(0x21);
    arcadia_read_inputs();
    EXPECT_EQ(guest_memory[0x1908], 1);
    EXPECT_EQ(keypad(1), 0u);
}

// A paddle at either end of an axis presses the game's keys for that end.
TEST_F(ArcadiaInput, PaddleEndsPressTheGamesAxisKeys) {
    KnownGame row = arcadia_row();
    row.paddle_keys[0] = 1; // vertical low: '1'
    row.paddle_keys[1] = 2; // vertical high: '2'
    row.paddle_keys[2] = 3; // horizontal low: '3'
    row.paddle_keys[3] = 4; // horizontal high: '4'
    arcadia_take_row(row);
    analog = 1; // the paddle keeps its place while no key moves it
    springloaded = 0;
    const struct {
        i32 x, y;
        u32 keys;
    } cases[] = {
        {128, 128, 0}, {128, 64, key(0, 8)}, {128, 192, key(1, 8)},
        {65, 191, 0},  {0, 128, key(2, 8)},  {255, 0, key(0, 4) | key(0, 8)},
    };
    for (const auto& c : cases) {
        paddle_x[0] = c.x;
        paddle_y[0] = c.y;
        arcadia_read_side(0, 0);
        EXPECT_EQ(keypad(0), c.keys) << c.x << "," << c.y;
    }
}

// With "dejitter" the colour row follows the Flag only on the game's lines.
TEST_F(ArcadiaInput, DejitterLinesRefreshTheColourRow) {
    KnownGame row = arcadia_row();
    row.dejitter_lines[0][0] = 60;
    row.dejitter_lines[1][1] = 90;
    arcadia_take_row(row);
    dejitter = 1;
    flagline = 1;
    const struct {
        u32 region;
        i32 game, line;
        u8 row;
    } cases[] = {
        {0, 5, 59, 0}, {0, 5, 60, 1}, {0, 5, 90, 0}, {1, 5, 90, 1}, {1, 5, 60, 0}, {0, -1, 60, 0},
    };
    for (const auto& c : cases) {
        emu_region = c.region;
        known_game_id = c.game;
        arcadia_take_game(); // as a frame does first
        uvi_colour_row = 0;
        cpu_psu |= PSU_F;
        raster_line = c.line;
        uvi_line_start();
        EXPECT_EQ(uvi_colour_row, c.row) << c.region << " " << c.game << " " << c.line;
    }
    dejitter = 0;
    emu_region = 0;
}

// Two games draw code 63 in fringe colours with "artefacts" on.
TEST_F(ArcadiaInput, ArtefactColoursOfCode63) {
    const u8 game5_line0[8] = {1, 7, 6, 7, 1, 7, 6, 7};
    for (u32 mode : {0u, 1u})
        for (u32 on : {0u, 1u}) {
            framebased = mode;
            artefacts = on;
            ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
            guest_memory[0] = 0x1B; // BCTR,UN to itself
            guest_memory[1] = 0x7E;
            machine_reset();
            known_game_id = 5;
            guest_memory[0x18FC] = 0xEF;                 // the area 16 lines down
            guest_memory[0x19F9] = 0x80 | 0x06;          // 8-line rows, background 6
            std::memset(guest_memory + 0x19B8, 0xFF, 8); // user character 7: solid
            guest_memory[0x1800] = 63;
            emu_run_frame();
            emu_run_frame();
            const i32 y = first_visible_line + 16;
            for (i32 b = 0; b < 8; b++) {
                const u8 got = guest_frame[(72 + b - display_window_left) * GUEST_FRAME_ROWS +
                                           (y - display_window_top)];
                EXPECT_EQ(got, on ? game5_line0[b] : uvi_colour_table[0][0])
                    << "mode " << mode << " artefacts " << on << " pixel " << b;
            }
        }
    artefacts = 0;
    known_game_id = -1;
}

// The UVI's own writes of its registers meet the write watches: a changed
// value always, an unchanged one only in the mode that watches every write.
TEST_F(ArcadiaInput, UviWritesMeetTheWriteWatches) {
    const struct {
        u32 mode;
        u8 before, value;
        bool reported;
    } cases[] = {
        {1, 0xFF, 0xFE, true},
        {1, 0xFE, 0xFE, false},
        {2, 0xFE, 0xFE, true},
        {0, 0xFF, 0x00, false},
    };
    mem_attributes[0x19FD] |= MEM_WATCH;
    watch_conditions[0x19FD] = WatchCondition{0, COND_ALWAYS, 0};
    pausebreak = 1;
    for (const auto& c : cases) {
        watchwrites = c.mode;
        guest_memory[0x19FD] = c.before;
        pause_pending = 0;
        OutputCapture out;
        raster_line = 77;
        uvi_write_register(0x19FD, c.value);
        EXPECT_EQ(guest_memory[0x19FD], c.value);
        EXPECT_EQ(out.text().find("UVI is writing $") == 0, c.reported) << out.text();
        EXPECT_EQ(out.text().find("at raster 77!") != std::string::npos, c.reported);
        EXPECT_EQ(pause_pending != 0, c.reported) << c.mode << " " << int(c.value);
    }
    pause_pending = 0;
}

} // namespace
