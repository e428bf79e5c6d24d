// The line-based renderer copies the character lines that it drew in an
// earlier frame when nothing they come from has changed. Whatever changes
// between frames, its picture must stay the one the beam renderer (which
// draws every pixel afresh) gives for the same registers.
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "machines/arcadia.h"
#include "machines/uvi2637.h"
#include "tests/machines/machine_snapshot.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

class UviLineCache : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        emu_region = 0;
        flagline = 1;
    }
    void TearDown() override { fresh_state(); }

    // A looping program over a screen with text in every colour and a block
    // row; `change` then alters one input.
    static void scene() {
        guest_memory[0] = 0x1B; // BCTR,UN to itself
        guest_memory[1] = 0x7E;
        machine_reset();
        guest_memory[0x18FC] = 0xEF;
        guest_memory[0x19F9] = 0x0E;
        guest_memory[0x19F8] = 0x1A;
        for (int c = 0; c < 16; c++) {
            guest_memory[0x1800 + 16 * 2 + c] = static_cast<u8>(0x1A + c + (c & 3) * 0x40);
            guest_memory[0x1800 + 16 * 4 + c] = static_cast<u8>(c * 3 + (c & 1) * 0x80);
        }
        guest_memory[0x1800 + 16 * 6] = 63;
    }
    // The whole visible frame.
    static std::vector<u8> picture() { return capture_guest_frame().pixels; }
    // The picture after `change`, drawn by one renderer over frames that
    // showed the scene (with `before` done) before.
    static std::vector<u8> after(u32 mode, const std::function<void()>& change,
                                 const std::function<void()>& before) {
        framebased = mode;
        EXPECT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        scene();
        if (before) before();
        emu_run_frame();
        emu_run_frame();
        change();
        emu_run_frame();
        emu_run_frame();
        return picture();
    }
};

TEST_F(UviLineCache, LinesFollowEveryInputOfTheirPicture) {
    const struct {
        const char* what;
        std::function<void()> change;
        std::function<void()> before = {};
    } cases[] = {
        {"nothing", [] {}},
        {"background colour", [] { guest_memory[0x19F9] = 0x0B; }},
        {"foreground bit", [] { guest_memory[0x19F9] = 0x06; }},
        {"colour row from the Flag", [] { cpu_psu |= PSU_F; }},
        // The same background colour index through the other colour row.
        {"colour row alone",
         [] {
             cpu_psu |= PSU_F;
             guest_memory[0x19F9] = 0x09;
         }},
        {"colour row no longer from the Flag", [] { flagline = 0; }, [] { cpu_psu |= PSU_F; }},
        {"block set", [] { guest_memory[0x19F8] |= 0x80; }},
        {"board mode", [] { guest_memory[0x18FD] = 0x80; }},
        {"board colours",
         [] {
             guest_memory[0x18FD] = 0x80;
             guest_memory[0x19F8] = 0x2C;
         }},
        {"a code", [] { guest_memory[0x1800 + 16 * 2 + 5] = 0x33; }},
        {"a user character",
         [] {
             guest_memory[0x1800 + 16 * 2 + 5] = 0x38;
             guest_memory[0x1980] = 0xAA;
         }},
        {"8-line rows", [] { guest_memory[0x19F9] |= 0x80; }},
        {"scrolling", [] { guest_memory[0x18FE] = 0xA0; }},
        {"artefacts of game 5",
         [] {
             artefacts = 1;
             known_game_id = 5;
         }},
        {"artefacts of game 2",
         [] {
             artefacts = 1;
             known_game_id = 2;
         }},
    };
    for (const auto& c : cases) {
        const auto lines = after(1, c.change, c.before);
        artefacts = 0;
        known_game_id = -1;
        flagline = 1;
        const auto beam = after(0, c.change, c.before);
        artefacts = 0;
        known_game_id = -1;
        flagline = 1;
        EXPECT_TRUE(lines == beam) << c.what;
    }
}

// The beam renderer draws a line ahead in spans; the colour row still
// changes at the clock where the Flag changes, and the block set is still
// chosen as column 0 begins.
TEST_F(UviLineCache, BeamSpansFollowTheFlagAndLatchTheSetAtColumnZero) {
    framebased = 0;
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    machine_reset();
    guest_memory[0x18FC] = 0xEF; // area from line 16
    guest_memory[0x19F9] = 0x0E; // 16-line rows, foreground bit, background 6
    guest_memory[0x19F8] = 0x00;
    u8 codes[16];
    for (int c = 0; c < 16; c++) {
        codes[c] = static_cast<u8>(0x1A + c + ((c & 3) << 6));
        guest_memory[0x1800 + c] = codes[c];
    }
    uvi_line_based = 0;
    cpu_psu &= static_cast<u8>(~PSU_F);
    uvi_frame_begin();
    raster_line = first_visible_line;
    uvi_frame_latch();
    raster_line = first_visible_line + 16; // row 0 begins
    uvi_line_start();
    // The pixel at clock x of glyph line g, for a colour row and set.
    auto expected = [&](i32 x, i32 g, u8 row, u32 set) {
        const i32 c = (x - 72) / 8, b = (x - 72) % 8;
        const u8 glyph = uvi_char_rom[set * UVI_BLOCK_SET + 8 * (codes[c] & 63) + g];
        return glyph >> (7 - b) & 1 ? uvi_colour_table[row][((codes[c] >> 5) & 6) + 1]
                                    : uvi_colour_table[row][6];
    };
    auto at = [](i32 x) {
        return guest_frame[(x - display_window_left) * GUEST_FRAME_ROWS +
                           (raster_line - display_window_top)];
    };

    // Glyph line 3: the Flag goes up at clock 101, inside column 3, in a
    // span that lies wholly inside the characters.
    raster_line = first_visible_line + 16 + 6;
    uvi_line_start();
    uvi_render_span(49, 101);
    cpu_psu |= PSU_F;
    uvi_render_span(101, 131);
    uvi_render_span(131, 227);
    uvi_beam_flush();
    for (i32 x = 72; x < 200; x++)
        EXPECT_EQ(at(x), expected(x, 3, x < 101 ? 0 : 1, 0)) << "clock " << x;

    // The block set turned on after column 0 began, with the Flag: the normal
    // set to the end of the line, the block set from the next line.
    cpu_psu &= static_cast<u8>(~PSU_F);
    raster_line++;
    uvi_line_start();
    uvi_render_span(49, 90);
    guest_memory[0x19F8] = 0x80;
    cpu_psu |= PSU_F;
    uvi_render_span(90, 227);
    uvi_beam_flush();
    for (i32 x = 72; x < 200; x++)
        EXPECT_EQ(at(x), expected(x, 3, x < 90 ? 0 : 1, 0)) << "clock " << x;
    raster_line++;
    uvi_line_start();
    uvi_render_span(49, 227);
    uvi_beam_flush();
    for (i32 x = 72; x < 200; x++)
        EXPECT_EQ(at(x), expected(x, 4, 1, 1)) << "clock " << x;

    // The block set turned off before column 0 begins, the Flag as it was:
    // the normal set from column 0.
    raster_line++;
    uvi_line_start();
    uvi_render_span(49, 60);
    guest_memory[0x19F8] = 0x00;
    uvi_render_span(60, 227);
    uvi_beam_flush();
    for (i32 x = 72; x < 200; x++)
        EXPECT_EQ(at(x), expected(x, 4, 1, 0)) << "clock " << x;
}

} // namespace

namespace {

// The beam renderer draws a sprite line ahead too; the collisions on it are
// still set as the beam passes their clocks, not before.
TEST_F(UviLineCache, BeamSpansSetCollisionsAtTheirClocks) {
    framebased = 0;
    collisions = 1;
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    machine_reset();
    guest_memory[0x18FC] = 0xEF; // area from line 16
    guest_memory[0x19F9] = 0x0E;
    for (u32 s = 0; s < 2; s++) {
        guest_memory[0x18F0 + 2 * s] = 200;                         // top: line 56 of the picture
        guest_memory[0x18F1 + 2 * s] = static_cast<u8>(70 + 4 * s); // clocks 99.. and 103..
        for (u32 l = 0; l < 8; l++)
            guest_memory[0x1980 + 8 * s + l] = 0xFF;
    }
    uvi_line_based = 0;
    uvi_frame_begin();
    raster_line = first_visible_line;
    uvi_frame_latch();
    const u8 pair01 = 0x01;
    struct Case {
        const char* what;
        i32 cut;           // the first span ends here
        bool flag_between; // the colour row changes between the spans
        u8 after_first;    // $19FD after the first span
    };
    for (const Case c : {Case{"cut before the overlap", 103, false, 0xFF},
                         Case{"cut inside the overlap", 105, false, u8(0xFF & ~pair01)},
                         Case{"cut before, Flag changes", 103, true, 0xFF}}) {
        SCOPED_TRACE(c.what);
        raster_line = first_visible_line + 56 + 2;
        cpu_psu &= static_cast<u8>(~PSU_F);
        uvi_line_start();
        guest_memory[0x19FD] = 0xFF;
        uvi_render_span(49, c.cut);
        EXPECT_EQ(guest_memory[0x19FD], c.after_first);
        // A read of the register between the spans leaves it at $FF.
        guest_memory[0x19FD] = 0xFF;
        if (c.flag_between) cpu_psu |= PSU_F;
        uvi_render_span(c.cut, 227);
        uvi_beam_flush();
        EXPECT_EQ(guest_memory[0x19FD], u8(0xFF & ~pair01)) << "the rest of the overlap";
    }
}

} // namespace

namespace {

// A busy scene in both renderers, drawn with the line copies and with every
// line drawn afresh: each frame must leave the same picture, cells, memory
// (collision and status registers included) and processor. The program
// writes character codes, a sprite's shape and place, the block set and
// colours in mid-line, turns the Flag on and off and adds up what it reads
// from the collision registers; between frames the sprites move, the rows
// scroll, the colours change and the colour row stops following the Flag or
// follows it again. A third run, with the sprites still, switches
// between the renderers every few frames: the line-based mode's sprites mark
// cells that the next frame start clears, on lines that either renderer
// copies afterwards.
TEST_F(UviLineCache, CopiedLinesMatchLinesDrawnAfreshInABusyScene) {
    // loop: ADDI r0,1; STRA r0,$1805; STRA r0,$1983; PPSU $40; STRA r0,$18F1;
    // CPSU $40; LODA r1,$19FD; ADDZ r1; LODA r1,$19FC; ADDZ r1; STRA r0,$1A81;
    // ANDI r0,$8F; STRA r0,$19F8; BCTA,UN loop
    static const u8 program[] = {0x84, 0x01, 0xCC, 0x18, 0x05, 0xCC, 0x19, 0x83, 0x76,
                                 0x40, 0xCC, 0x18, 0xF1, 0x74, 0x40, 0x0D, 0x19, 0xFD,
                                 0x81, 0x0D, 0x19, 0xFC, 0x81, 0xCC, 0x1A, 0x81, 0x44,
                                 0x8F, 0xCC, 0x19, 0xF8, 0x1F, 0x00, 0x00};
    const auto run = [&](u32 mode, bool copies) {
        uvi_copy_lines = copies;
        framebased = mode & 1;
        collisions = 1;
        EXPECT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        std::copy(std::begin(program), std::end(program), guest_memory);
        machine_reset();
        guest_memory[0x18FC] = 0xEF;
        guest_memory[0x19F9] = 0x0E;
        for (u32 i = 0; i < 26 * 16; i++)
            guest_memory[(i < 208 ? 0x1800 : 0x1A00 - 208) + i] =
                static_cast<u8>(0x1A + i % 30 + (i % 4) * 0x40);
        for (u32 s = 0; s < 4; s++)
            for (u32 l = 0; l < 8; l++)
                guest_memory[0x1980 + 8 * s + l] = static_cast<u8>(0x3C ^ (l * 0x11));
        guest_memory[0x19FA] = (4 << 3) | 5;
        guest_memory[0x19FB] = 0xC0 | (1 << 3) | 2;
        std::vector<MachineSnapshot> frames;
        for (u32 f = 0; f < 48; f++) {
            // Sprites 0 and 1 move across only, 2 and 3 both ways.
            const u32 t = mode == 2 ? 0 : f;
            for (u32 s = 0; s < 4; s++) {
                guest_memory[0x18F1 + 2 * s] =
                    static_cast<u8>(30 + (t * (s + 1) * 3 + 25 * s) % 200);
                guest_memory[0x18F0 + 2 * s] =
                    static_cast<u8>(60 + (s < 2 ? 70 * s : t * (s + 2) + 30 * s) % 190);
            }
            if (f % 7 == 3) guest_memory[0x18FE] = static_cast<u8>(f << 5);
            if (f % 5 == 2) guest_memory[0x19F9] ^= static_cast<u8>(f & 7);
            if (f % 11 == 4) guest_memory[0x19F9] ^= 0x80; // 8- or 16-line rows
            if (f % 13 == 6) guest_memory[0x18FD] ^= 0x80; // board mode
            if (f % 9 == 1) guest_memory[0x19FA] = static_cast<u8>(f * 13);
            if (f % 6 == 5) guest_memory[0x1800 + (f * 5) % 208] = static_cast<u8>(f * 7);
            if (mode == 2) framebased = f / 3 % 2;
            if (f % 8 == 7) flagline ^= 1; // the colour row follows the Flag or stays 0
            emu_run_frame();
            frames.push_back(MachineSnapshot::take(uvi_line_cells, sizeof uvi_line_cells));
        }
        uvi_copy_lines = true;
        flagline = 1;
        return frames;
    };
    for (u32 mode : {0u, 1u, 2u}) {
        SCOPED_TRACE(mode == 2 ? "switching" : mode ? "line-based" : "beam");
        const auto copied = run(mode, true);
        const auto afresh = run(mode, false);
        ASSERT_EQ(copied.size(), afresh.size());
        for (std::size_t f = 0; f < copied.size(); f++) {
            SCOPED_TRACE("frame " + std::to_string(f));
            expect_same_snapshot(copied[f], afresh[f]);
        }
        // The scene shows characters and sprites in several colours.
        const std::set<u8> colours(copied.back().frame.begin(), copied.back().frame.end());
        EXPECT_GT(colours.size(), 4u);
    }
}

} // namespace
