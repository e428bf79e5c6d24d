// The Arcadia's demultiplexer: sprites and character rows that a game shows on
// alternate frames are drawn again in the frames between, and the game's
// database row chooses how.
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "machines/arcadia.h"
#include "machines/uvi2637.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ArcadiaDemux : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        emu_region = 0;
        collisions = 1;
        sprite_mode = 2;
        demultiplex = 2;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    }
    void TearDown() override { fresh_state(); }

    // A processor that loops at $0000 in either frame mode; the test writes
    // the UVI's registers between frames.
    void start(u32 mode) {
        framebased = mode;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        guest_memory[0] = 0x1B; // BCTR,UN to itself
        guest_memory[1] = 0x7E;
        machine_reset();
        guest_memory[0x19F9] = 0x06; // 16-line rows, background colour 6
        guest_memory[0x18FC] = 0xEF; // the area starts 16 lines down
    }
    static u8 pixel(i32 x, i32 y) {
        return guest_frame[(x - display_window_left) * GUEST_FRAME_ROWS + (y - display_window_top)];
    }
    // Sprite 0 as a solid 8 x 8 block in colour 1 at the registers' (v, h),
    // or off the picture when `shown` is false.
    static void sprite0(bool shown) {
        std::memset(guest_memory + 0x1980, 0xFF, 8);
        guest_memory[0x19FB] = 0xC0 | (1 << 3);
        guest_memory[0x18F0] = shown ? 156 : 0; // 0: below the last line
        guest_memory[0x18F1] = 70;
    }
    static constexpr i32 SPRITE_X = 70 + 29;
    static i32 sprite_y() { return first_visible_line + 100; }
    static u8 background() { return uvi_colour_table[0][6]; }
    static u8 sprite_colour() { return uvi_colour_table[0][1]; }
};

// Sprite 0 shown only on odd frames: without the demultiplexer the even frames
// lose it; with a sprite depth of 1 it stays, from the first frame after the
// history holds one.
TEST_F(ArcadiaDemux, SpriteOnAlternateFramesShowsSteadily) {
    for (u32 mode : {0u, 1u}) {
        for (i32 depth : {0, 1}) {
            start(mode);
            uvi_demux_configure(0, depth, 0, 0, -1);
            for (u32 f = 0; f < 6; f++) {
                sprite0(f % 2 == 1);
                emu_run_frame();
                const bool expect = f % 2 == 1 || (depth == 1 && f >= 1);
                EXPECT_EQ(pixel(SPRITE_X + 3, sprite_y() + 4),
                          expect ? sprite_colour() : background())
                    << "mode " << mode << " depth " << depth << " frame " << f;
            }
            // Redrawing touches no register.
            EXPECT_EQ(guest_memory[0x19FC], 0xFF);
        }
    }
}

// The first frame after a reset has no history to draw from; a sprite
// excluded by the game's flags and "demultiplex" off redraw nothing.
TEST_F(ArcadiaDemux, NothingRedrawnWithoutHistoryOrWhenOff) {
    const struct {
        u8 flags;
        i32 demux;
        bool redrawn;
    } cases[] = {
        {0x00, 2, true},  // the plain case, for contrast
        {0x08, 2, false}, // sprite 0 excluded
        {0x07, 2, true},  // only the others excluded
        {0x00, 0, false}, // the setting off
        {0x00, 1, true},  // 1 redraws the current frame as well
    };
    for (const auto& c : cases) {
        start(1);
        demultiplex = c.demux;
        uvi_demux_configure(c.flags, 1, 0, 0, -1);
        sprite0(true);
        emu_run_frame();
        sprite0(false);
        emu_run_frame();
        EXPECT_EQ(pixel(SPRITE_X, sprite_y()), c.redrawn ? sprite_colour() : background())
            << "flags " << int(c.flags) << " demultiplex " << c.demux;
    }
    demultiplex = 2;
}

// A row written on alternate frames is drawn again on the others; a glyph that
// shares a lit pixel of its colour with the current picture is left out.
TEST_F(ArcadiaDemux, CharacterRowsComeBackUnlessAlreadyShown) {
    const u8 E = 0x1E, F = 0x1F, A = 0x1A;
    const struct {
        u8 shown, between; // row 2 column 3 on odd and even frames
        u8 expected;       // the glyph drawn on an even frame
    } cases[] = {
        {A, 0, A}, // a blank cell gets the remembered letter
        {E, F, F}, // E and F share lit pixels: the E is not added
        {A, 0, 0}, // (run with depth 0: nothing comes back)
    };
    for (u32 mode : {0u, 1u}) {
        for (int i = 0; i < 3; i++) {
            start(mode);
            uvi_demux_configure(0, 0, i == 2 ? 0 : 1, 0, 12);
            for (u32 f = 0; f < 4; f++) {
                guest_memory[0x1800 + 16 * 2 + 3] = f % 2 ? cases[i].shown : cases[i].between;
                emu_run_frame();
            }
            // After frame 3 (odd), frame 4 (even) is the one checked.
            guest_memory[0x1800 + 16 * 2 + 3] = cases[i].between;
            emu_run_frame();
            const i32 left = 72 + 24, top = first_visible_line + 16 + 2 * 16;
            const u8 fg = uvi_colour_table[0][0];
            for (i32 g = 0; g < 8; g++)
                for (i32 b = 0; b < 8; b++) {
                    const bool set = uvi_char_rom[8 * cases[i].expected + g] >> (7 - b) & 1;
                    EXPECT_EQ(pixel(left + b, top + 2 * g), set ? fg : background())
                        << "case " << i << " mode " << mode << " at " << g << "," << b;
                    EXPECT_EQ(pixel(left + b, top + 2 * g + 1), set ? fg : background());
                }
        }
    }
}

// The game's database row sets the demultiplexer; an unknown game has none.
TEST_F(ArcadiaDemux, DatabaseRowChoosesDepthsRowsAndExclusions) {
    KnownGame row{};
    row.machine = ARCADIA;
    row.memmap = 6;
    row.sensitivity = 3;
    row.variant = 2;
    row.deflicker_sprites = 0x09; // sprites 0 and 3 excluded
    row.deflicker_depth = 2;
    row.deflicker_second = 3;
    row.deflicker_first = 4;
    row.deflicker_last = 40; // past the last row: kept to row 25
    known_game_id = 20;
    game_apply_row(row);
    EXPECT_EQ(uvi_demux.sprite_depth, 2);
    EXPECT_EQ(uvi_demux.row_depth, 3);
    EXPECT_EQ(uvi_demux.first_row, 4);
    EXPECT_EQ(uvi_demux.last_row, 25);
    const u8 excluded[4] = {1, 0, 0, 1};
    for (int s = 0; s < 4; s++)
        EXPECT_EQ(uvi_demux.excluded[s], excluded[s]) << s;

    // Deeper than the history ring: as deep as it goes.
    row.deflicker_depth = 200;
    game_apply_row(row);
    EXPECT_EQ(uvi_demux.sprite_depth, UVI_HISTORY - 1);

    // Flags and both depths 0: no demultiplexing, whatever the rows say.
    KnownGame plain = row;
    plain.deflicker_sprites = plain.deflicker_depth = 0;
    plain.deflicker_second = 0;
    game_apply_row(plain);
    EXPECT_EQ(uvi_demux.sprite_depth, 0);
    EXPECT_EQ(uvi_demux.row_depth, 0);

    game_apply_row(row);
    known_game_id = -1;
    game_apply_settings();
    EXPECT_EQ(uvi_demux.sprite_depth, 0);
    EXPECT_EQ(uvi_demux.row_depth, 0);
}

} // namespace
