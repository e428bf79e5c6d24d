// The PVI's demultiplex history, its access map and objects that start late,
// on the Interton (type D) with the chip's line work run without a processor.
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "input/console_buttons.h"
#include "input/keys.h"
#include "display/frame.h"
#include "machines/pvi2636.h"
#include "machines/pvi_consoles.h"
#include "machines/uvi2637.h"
#include "tests/support/fresh_state.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

class Pvi : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        randomizememory = 0;
        blankingareas = 1;
        ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
        demultiplex = 2;
        sprite_mode = 2;
    }
    void TearDown() override {
        const u8 none[4] = {};
        pvi_demultiplex_configure(0, none, none);
        pvi_demux_no_overlap_test = 0;
        pvi_late_starts = 0;
        pvi_object3_artefacts = 0;
        pvi_bg_patch = {};
        pvi_start_key = -1;
        pvi_keypad1_no_autofire = 0;
        pvi_overlay_mode = 0;
        pvi_line_cache = true;
        fresh_state();
    }

    static void set_pvi(u32 offset, u8 v) { guest_memory[0x1F00 + offset] = v; }
    static u8 pvi(u32 offset) { return guest_memory[0x1F00 + offset]; }

    // Object n as a solid block at (HC, VC) with VCB 250 (no duplicate).
    static void place(int n, u8 hc, u8 vc, u8 rows = 0xFF) {
        const u32 block = pvi_object_block[n];
        for (u32 r = 0; r < 10; r++)
            set_pvi(block + r, rows);
        set_pvi(block + 0x0A, hc);
        set_pvi(block + 0x0B, hc);
        set_pvi(block + 0x0C, vc);
        set_pvi(block + 0x0D, 250);
    }
    // A busy picture: four overlapping objects of several sizes and
    // colours, the score's left digits, and the grid's bytes all set.
    static void busy_objects_and_grid() {
        place(0, 40, 10, 0xA5);
        place(1, 44, 14, 0x3C);
        place(2, 60, 30);
        place(3, 120, 36, 0x81);
        set_pvi(PVI_SIZES, 0x96);
        set_pvi(PVI_SPR01COLOURS, 0x0A);
        set_pvi(PVI_SPR23COLOURS, 0x1C);
        set_pvi(PVI_BGCOLOUR, 0x5B);
        set_pvi(PVI_SCORELT, 0x81);
        for (u32 o = 0x80; o <= 0xAD; o++)
            set_pvi(o, static_cast<u8>(o * 37));
    }
    // The chip's part of one frame: the history slot, PVI lines 0..last with
    // their pixels, then the redraw pass.
    static void chip_frame(i32 last) {
        pvi_history_frame_begin();
        pvi_frame_begin();
        pvi_frame_start();
        for (i32 y = 0; y <= last; y++)
            draw_line(y);
        pvi_history_frame_end();
        frame_counter++;
    }
    // PVI line y, pixel by pixel, as the frame draws it.
    static void draw_line(i32 y) {
        raster_line = first_visible_line + y;
        pvi_line_start();
        pvi_object_line_step();
        for (raster_clock = 49; raster_clock < PVI_BEAM_CLOCKS; raster_clock++)
            pvi_render_pixel();
        pvi_line_end();
    }
    static u8 at(i32 x, i32 y) {
        return guest_frame[(x + 49 - display_window_left) * GUEST_FRAME_ROWS +
                           (y + first_visible_line - display_window_top)];
    }
    static void configure(u32 frames, u8 off0 = 0, u8 always0 = 0) {
        const u8 off[4] = {off0, 0, 0, 0}, always[4] = {always0, 0, 0, 0};
        pvi_demultiplex_configure(frames, off, always);
    }
};

TEST_F(Pvi, HistoryRecordsEveryAppearanceOfAnObject) {
    configure(1);
    place(0, 40, 9, 0x81);
    set_pvi(0x0B, 60); // duplicates at x 61
    set_pvi(0x0D, 0);  // one blank line between appearances
    set_pvi(PVI_SIZES, 0);
    set_pvi(PVI_SPR01COLOURS, 3 << 3);
    chip_frame(120);
    // Starts on 10, 21, ..., 109 complete by line 120; the one from 120 is
    // recorded but not yet counted.
    EXPECT_EQ(pvi_history_count[0][0], 10);
    const PviHistoryRecord& first = pvi_history[0][0][0];
    EXPECT_EQ(first.line, 10);
    EXPECT_EQ(first.x, 41);
    EXPECT_EQ(first.colour, 3);
    EXPECT_EQ(first.scale, 1);
    EXPECT_EQ(first.rows[9], 0x81);
    EXPECT_EQ(pvi_history[0][0][3].line, 43);
    EXPECT_EQ(pvi_history[0][0][3].x, 61);
    EXPECT_TRUE(pvi_history[0][0][10].valid);
    EXPECT_EQ(pvi_history[0][0][10].line, 120);
    EXPECT_FALSE(pvi_history[0][0][11].valid);
    EXPECT_EQ(pvi_history_slot, 1u);
    // The next frame records into slot 1 and leaves slot 0 alone; the one
    // after that clears slot 0 again.
    set_pvi(0x0C, 250);
    chip_frame(120);
    EXPECT_EQ(pvi_history_count[1][0], 0);
    EXPECT_EQ(pvi_history_count[0][0], 10);
    EXPECT_EQ(pvi_history_slot, 0u);
    chip_frame(120);
    EXPECT_EQ(pvi_history_count[0][0], 0);
    EXPECT_FALSE(pvi_history[0][0][0].valid);
}

TEST_F(Pvi, EarlierFramesAreRedrawnWhereThisFrameHasNothing) {
    const struct {
        const char* what;
        u32 frames;
        i32 demux, mode;
        u8 off, overlap_test_off;
        u8 second_hc, second_vc; // where object 0 stands in the second frame
        bool redrawn;
    } cases[] = {
        {"shown every other frame", 1, 2, 2, 0, 0, 100, 250, true},
        {"numbered shapes too", 1, 2, 1, 0, 0, 100, 250, true},
        {"elsewhere this frame", 1, 2, 2, 0, 0, 100, 54, true},
        {"demultiplex off", 1, 0, 2, 0, 0, 100, 250, false},
        {"no history", 0, 2, 2, 0, 0, 100, 250, false},
        {"objects invisible", 1, 2, 0, 0, 0, 100, 250, false},
        {"object left out", 1, 2, 2, 1, 0, 100, 250, false},
        {"this frame's object overlaps", 1, 2, 2, 0, 0, 43, 54, false},
        {"overlap test off", 1, 2, 2, 0, 1, 43, 54, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
        configure(c.frames, c.off);
        pvi_demux_no_overlap_test = c.overlap_test_off;
        demultiplex = c.demux;
        sprite_mode = c.mode;
        frame_counter = 0;
        set_pvi(PVI_SPR01COLOURS, 2 << 3);
        place(0, 40, 49); // x 41-48, lines 50-59
        chip_frame(200);
        EXPECT_EQ(at(44, 55), c.mode ? 2 : 7);
        place(0, c.second_hc, c.second_vc, 0x01); // only its rightmost column
        chip_frame(200);
        // The first frame's object at x 41 (bit 7 is set in every shape).
        EXPECT_EQ(at(41, 51) == 2, c.redrawn);
    }
}

TEST_F(Pvi, RecentFramesWinUnlessAnObjectIsAlwaysRedrawn) {
    // Object 0 only in frames 1 and 2 (at different places), nothing in
    // frame 3: record 0 comes from frame 2 alone unless redrawn always.
    for (u8 always : {0, 1}) {
        SCOPED_TRACE(static_cast<int>(always));
        ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
        configure(2, 0, always);
        set_pvi(PVI_SPR01COLOURS, 6 << 3);
        frame_counter = 0;
        place(0, 20, 29); // x 21-28, lines 30-39
        chip_frame(200);
        place(0, 120, 129); // x 121-128, lines 130-139
        chip_frame(200);
        set_pvi(0x0C, 250);
        chip_frame(200);
        EXPECT_EQ(at(124, 135), 6);
        EXPECT_EQ(at(24, 35) == 6, always == 1);
    }
}

TEST_F(Pvi, GameRowsDeFlickerColumnsSetTheDemultiplexer) {
    KnownGame row{};
    row.deflicker_sprites = 0xA5;
    row.deflicker_depth = 2;
    pvi_demultiplex_take_row(&row);
    // Left out: inverted bits 3..0 of $A5; always redrawn: bits 7..4.
    const u8 off[4] = {1, 0, 1, 0}, always[4] = {1, 0, 1, 0};
    for (int n = 0; n < 4; n++) {
        EXPECT_EQ(pvi_demux_object_off[n], off[n]) << n;
        EXPECT_EQ(pvi_demux_redraw_always[n], always[n]) << n;
    }
    EXPECT_EQ(pvi_history_frames, 2u);
    // Deeper than the history: as deep as it goes.
    row.deflicker_depth = 200;
    pvi_demultiplex_take_row(&row);
    EXPECT_EQ(pvi_history_frames, PVI_HISTORY_MAX_FRAMES);
    // All three de-flicker columns 0, or no row: no demultiplexing.
    row.deflicker_sprites = row.deflicker_depth = 0;
    pvi_demultiplex_take_row(&row);
    EXPECT_EQ(pvi_history_frames, 0u);
    row.deflicker_depth = 3;
    pvi_demultiplex_take_row(nullptr);
    EXPECT_EQ(pvi_history_frames, 0u);
}

TEST_F(Pvi, AccessMapMarksTheChipsOwnAccessesByGroup) {
    const struct {
        u32 address;
        u8 code;
    } classes[] = {
        {0x1F00, 2}, {0x1F0D, 2},  {0x1F0E, 8},  {0x1F4D, 2},  {0x1F4E, 8},  {0x1FC2, 2},
        {0x1FCA, 2}, {0x1FCB, 8},  {0x1F80, 23}, {0x1FAC, 23}, {0x1FAD, 8},  {0x1FC3, 5},
        {0x1FC8, 5}, {0x1FC9, 5},  {0x1E80, 1},  {0x1FC7, 1},  {0x1E88, 22}, {0x1E8E, 22},
        {0x1E8F, 8}, {0x1FCC, 22}, {0x1FFF, 22}, {0x1FC6, 8},
    };
    for (const auto& c : classes)
        EXPECT_EQ(pvi_access_class(c.address), c.code) << std::hex << c.address;

    const auto cell = [](i32 line, i32 clock) {
        return pvi_access_map[line * PVI_BEAM_CLOCKS + clock];
    };
    for (i32 mode : {0, 3, 4}) {
        SCOPED_TRACE(mode);
        pvi_overlay_mode = mode;
        pvi_frame_begin();
        raster_line = 30;
        raster_clock = 100;
        pvi_write_register(PVI_SCORELT, 0x12, true);
        raster_clock = 101;
        pvi_write_register(0x1E88, 0x0F, false);
        pvi_write_register(0x1E8C, 0x0F, false); // the same position again
        raster_clock = 102;
        EXPECT_EQ(pvi_read_register(0x85), 0);
        EXPECT_EQ(cell(30, 100), mode == 4 ? 5 : 7);
        EXPECT_EQ(cell(30, 101), mode == 4 ? 0 : 7);
        EXPECT_EQ(cell(30, 102), mode == 3 ? 23 : 7);
        EXPECT_EQ(cell(31, 100), 7);
    }
    // A beam position past the line's end marks nothing.
    raster_clock = PVI_BEAM_CLOCKS + 2;
    pvi_read_register(0x00);
    // A new frame starts untouched.
    pvi_frame_begin();
    EXPECT_EQ(cell(30, 102), 7);
}

// Objects 0 and 1 overlap in four pixels a line: the collision bit is set
// by the first and written again by each of the others, which the access map
// and a watch on every write see; a watch on changes sees the one change.
TEST_F(Pvi, RepeatedCollisionWritesReachTheAccessMapAndWatches) {
    collisions = 1;
    place(0, 40, 49); // x 41-48, lines 50-59
    place(1, 44, 49); // x 45-52
    const auto count = [](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = text.find("PVI is writing $20"); at != std::string::npos;
             at = text.find("PVI is writing $20", at + 1))
            n++;
        return n;
    };
    pvi_overlay_mode = 4;
    chip_frame(52);
    for (i32 line = 50; line <= 52; line++)
        for (i32 x = 45; x <= 48; x++)
            EXPECT_NE(pvi_access_map[(first_visible_line + line) * PVI_BEAM_CLOCKS + 49 + x], 7)
                << line << ", " << x;
    pvi_overlay_mode = 0;
    mem_attributes[0x1F00 + PVI_SPRITECOLLIDE] |= MEM_WATCH;
    for (u32 mode : {2u, 1u}) {
        SCOPED_TRACE(mode);
        watchwrites = mode;
        OutputCapture out;
        chip_frame(52);
        EXPECT_EQ(count(out.text()), mode == 2 ? 12u : 1u);
        EXPECT_EQ(pvi(PVI_SPRITECOLLIDE) & 0x20, 0x20);
    }
}

TEST_F(Pvi, AccessOverlayPaintsTheMapOverThePicture) {
    const i32 line = first_visible_line + 40, clock = 100;
    for (i32 mode : {4, 1}) {
        SCOPED_TRACE(mode);
        pvi_overlay_mode = mode;
        std::memset(guest_frame, 8, GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS);
        pvi_frame_begin();
        raster_line = line;
        raster_clock = clock;
        pvi_write_register(0x1F85, 1, false);
        pvi_draw_overlay();
        const auto frame = [](i32 x, i32 y) {
            return guest_frame[(x - display_window_left) * GUEST_FRAME_ROWS +
                               (y - display_window_top)];
        };
        // Only the access-map modes are this chip's to draw.
        EXPECT_EQ(frame(clock, line), mode == 4 ? 23 : 8);
        EXPECT_EQ(frame(clock + 1, line), mode == 4 ? 7 : 8);
    }
}

TEST_F(Pvi, ObjectsStartBelowLine252OnlyInGamesThatNeedIt) {
    place(0, 40, 253); // starts on line 254
    for (u8 late : {0, 1}) {
        pvi_late_starts = late;
        chip_frame(260);
        EXPECT_EQ(pvi_objects[0].active, late) << int(late);
        EXPECT_EQ(pvi_pixel_cells[256 * PVI_WIDTH + 44] != 0, late == 1) << int(late);
    }
    // Line 252 itself is the last start for every game.
    pvi_late_starts = 0;
    place(0, 40, 251);
    chip_frame(253);
    EXPECT_EQ(pvi_objects[0].active, 1);

    // The consoles' reset derives the flag from the loaded game's name.
    known_game_id = 354;
    EXPECT_TRUE(pvi_loaded_game_is("Queen"));
    EXPECT_FALSE(pvi_loaded_game_is("Moonlanding for 1 (Mondflug)"));
    pvi_late_starts = 1;
    pvi_consoles_apply_game();
    EXPECT_EQ(pvi_late_starts, 0);
    known_game_id = -1;
    EXPECT_FALSE(pvi_loaded_game_is(""));
}

TEST_F(Pvi, ArtefactColoursOfObject3) {
    place(3, 40, 49); // x 41-48, lines 50-59
    set_pvi(PVI_SPR23COLOURS, 1);
    const struct {
        u8 game, setting;
        i32 x, y;
        u8 colour;
    } cases[] = {
        {1, 1, 44, 50, 2}, {1, 1, 42, 52, 22}, {1, 1, 41, 53, 5}, {1, 1, 47, 53, 4},
        {1, 1, 48, 53, 1}, {1, 1, 44, 56, 1},  {1, 1, 41, 50, 0}, // outside the 7 x 6 box
        {0, 1, 42, 52, 1}, {1, 0, 42, 52, 1},
    };
    for (const auto& c : cases) {
        pvi_object3_artefacts = c.game;
        artefacts = c.setting;
        chip_frame(60);
        EXPECT_EQ(at(c.x, c.y), c.colour)
            << int(c.game) << int(c.setting) << " " << c.x << "," << c.y;
    }
    artefacts = 0;
}

TEST_F(Pvi, BackgroundPatchOnOneLineWithDejitter) {
    darkenbg = 0;
    set_pvi(PVI_BGCOLOUR, 0x0A); // screen colour 5
    const struct {
        u8 dejitter;
        PviBackgroundPatch patch;
        u8 on_line, elsewhere;
    } cases[] = {
        {1, {30, {5, 3}, {1, 6}}, 1, 5}, // first pair
        {1, {30, {3, 5}, {1, 6}}, 6, 5}, // second pair
        {1, {30, {2, 3}, {1, 6}}, 5, 5}, // neither
        {0, {30, {5, 3}, {1, 6}}, 5, 5}, // not without dejitter
        {1, {0, {2, 3}, {1, 6}}, 5, 5},  // line 0: no patch
    };
    for (const auto& c : cases) {
        dejitter = c.dejitter;
        pvi_bg_patch = c.patch;
        chip_frame(40);
        EXPECT_EQ(at(10, 30), c.on_line) << int(c.patch.from[0]) << int(c.dejitter);
        EXPECT_EQ(at(10, 31), c.elsewhere);
        EXPECT_EQ(at(10, 0), 5);
    }
    dejitter = 0;
}

TEST_F(Pvi, GamesKeysWithStartAndWithoutAutofire) {
    const u8 idle[] = {0x76, 0x20, 0x1B, 0x7E};
    std::memcpy(guest_memory, idle, sizeof idle);
    machine_reset();
    for (auto& keys : player_keys)
        for (auto& key : keys)
            key = RAW_NONE;
    // START with key 5 named: $1E89 bit 6 on keypad 0 as well.
    for (bool start : {false, true}) {
        pvi_start_key = 5;
        if (start) input_press_console_button(0);
        pvi_read_inputs();
        EXPECT_EQ(guest_memory[0x1E89], start ? 0x4F : 0x0F);
        EXPECT_EQ(guest_memory[0x1E8D], 0x0F); // keypad 1 untouched
        EXPECT_EQ(guest_memory[0x1E8B], start ? 0x4F : 0x0F);
        while (input_console_button_held(0))
            input_console_buttons_tick();
    }
    // Autofire without a button presses fire button 1's key (2: $1E8D bit 7)
    // during the first four frames of sixteen, unless the game refuses it.
    pvi_start_key = -1;
    autofire_right = 1;
    requirebutton_right = 0;
    const struct {
        u8 refused;
        u32 frame;
        u8 keys;
    } cases[] = {{0, 0, 0x8F}, {0, 5, 0x0F}, {1, 0, 0x0F}, {1, 5, 0x0F}};
    for (const auto& c : cases) {
        pvi_keypad1_no_autofire = c.refused;
        frame_counter = c.frame;
        pvi_read_inputs();
        EXPECT_EQ(guest_memory[0x1E8D], c.keys) << int(c.refused) << " " << c.frame;
        EXPECT_EQ(guest_memory[0x1E89], 0x0F); // keypad 0's player has no autofire
    }
    autofire_right = 0;
}

TEST_F(Pvi, SetUpsForgetAProgramsStartAddress) {
    for (int map : {3, 5}) {
        program_loaded = 1;
        ASSERT_TRUE(machine_switch(map == 3 ? INTERTON : ELEKTOR, map, false, true, false));
        EXPECT_EQ(program_loaded, 0) << map;
    }
}

TEST_F(Pvi, RunsBetweenInstructionsDrawAsSinglePixelsDo) {
    // Random registers (objects, grid, score, colours); each line drawn once
    // pixel by pixel and once in runs of random lengths must leave the same
    // picture, cells and status bits.
    collisions = 1;
    for (u32 seed = 1; seed <= 40; seed++) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        drawcorners = seed & 1;
        dejitter = (seed >> 1) & 1;
        pvi_object3_artefacts = artefacts = (seed >> 2) & 1;
        for (u32 o = 0; o < 0xCA; o++)
            set_pvi(o, static_cast<u8>(random()));
        for (int n = 0; n < 4; n++) {
            set_pvi(pvi_object_block[n] + 0x0A, static_cast<u8>(random() % 180));
            set_pvi(pvi_object_block[n] + 0x0B, static_cast<u8>(random() % 180));
            set_pvi(pvi_object_block[n] + 0x0C, static_cast<u8>(random() % 200));
        }
        set_pvi(PVI_BGCOLOUR, static_cast<u8>(random() | 8));
        struct Result {
            std::vector<u8> frame, cells;
            u8 status[8];
        } results[2];
        for (int way = 0; way < 2; way++) {
            std::memset(guest_frame, 0, GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS);
            display_frame_rewritten();
            pvi_frame_begin();
            pvi_frame_start();
            std::mt19937 cuts(seed);
            for (i32 y = 0; y < 230; y++) {
                raster_line = first_visible_line + y;
                pvi_line_start();
                pvi_object_line_step();
                for (i32 clock = 49; clock < PVI_BEAM_CLOCKS;) {
                    const i32 last = way == 0 ? clock
                                              : std::min<i32>(clock + static_cast<i32>(cuts() % 40),
                                                              PVI_BEAM_CLOCKS - 1);
                    pvi_render_span(clock, last);
                    EXPECT_EQ(raster_clock, last);
                    clock = last + 1;
                }
                pvi_line_end();
            }
            results[way].frame.assign(guest_frame,
                                      guest_frame + GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS);
            results[way].cells.assign(pvi_pixel_cells, pvi_pixel_cells + sizeof pvi_pixel_cells);
            for (u32 c = 0; c < 4; c++) {
                results[way].status[2 * c] = pvi(PVI_BGCOLLIDE + 0x10 * c);
                results[way].status[2 * c + 1] = pvi(PVI_SPRITECOLLIDE + 0x10 * c);
            }
        }
        EXPECT_TRUE(results[0].frame == results[1].frame);
        EXPECT_TRUE(results[0].cells == results[1].cells);
        EXPECT_EQ(std::memcmp(results[0].status, results[1].status, 8), 0);
    }
    dejitter = 0;
    artefacts = 0;
}

// The consoles' frame as the beam meets it clock by clock: each pixel drawn on
// its own, the processor stepped wherever its clock falls.
void frame_clock_by_clock() {
    const auto border = [] {
        for (raster_clock = 0; raster_clock < border_clocks; raster_clock++) {
            display_fill_row(raster_clock, raster_line, 1, pvi_border_colour(guest_memory[0x1FC6]));
            cpu_step_at_beam();
        }
    };
    const auto accept_interrupt = [] {
        const u32 start = cpu_cycles;
        cpu_interrupt();
        cpu_beam_clock += 4 * static_cast<i32>(cpu_cycles - start);
    };
    in_frame = 1;
    pvi_history_frame_begin();
    pvi_invert_register = guest_memory + 0x1E80;
    pvi_frame_begin();
    raster_line = 0;
    border();
    pvi_vblank();
    accept_interrupt();
    cpu_run_to_clock(PVI_BEAM_CLOCKS);
    for (raster_line = 1; raster_line < first_visible_line; raster_line++)
        cpu_run_to_clock(PVI_BEAM_CLOCKS);
    for (raster_line = first_visible_line; raster_line < lines_per_frame; raster_line++) {
        if (raster_line == first_visible_line) {
            cpu_run_to_clock(border_clocks);
            pvi_frame_start();
        } else {
            border();
            if (raster_line == input_line) pvi_read_inputs();
        }
        pvi_line_start();
        cpu_run_to_clock(12);
        pvi_object_line_step();
        accept_interrupt();
        cpu_run_to_clock(49);
        for (raster_clock = 49; raster_clock < PVI_BEAM_CLOCKS; raster_clock++) {
            pvi_render_pixel();
            cpu_step_at_beam();
        }
        pvi_line_end();
    }
    raster_line = lines_per_frame - 1;
    pvi_history_frame_end();
    emu_end_of_frame();
}

TEST_F(Pvi, ObjectChangesBetweenLinesShowOnTheNextLine) {
    // Object 0 (x 41-48 from line 50, colour 1) is drawn pixel by pixel down
    // to line 52; then one of its registers changes and line 54 must show it.
    const struct {
        u32 offset;
        u8 value;
        i32 x;
        u8 colour; // 0xFF: the background
    } cases[] = {
        {PVI_SPR01COLOURS, 0x30, 41, 6}, // colour 6
        {PVI_SIZES, 0x01, 52, 1},        // scale 2: sixteen pixels wide
        {PVI_SIZES, 0x01, 41, 1},
        {0x0A, 59, 60, 1}, // moved right
        {0x0A, 59, 41, 0xFF},
        {0x04, 0x0F, 41, 0xFF}, // row 4 only lit on its right half
        {0x04, 0x0F, 45, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.offset << " " << std::dec << c.x);
        place(0, 40, 49);
        set_pvi(PVI_SIZES, 0);
        set_pvi(PVI_SPR01COLOURS, 0x08);
        pvi_frame_begin();
        pvi_frame_start();
        for (i32 y = 0; y <= 54; y++) {
            if (y == 53) set_pvi(c.offset, c.value);
            draw_line(y);
        }
        EXPECT_EQ(at(c.x, 54), c.colour == 0xFF ? at(20, 54) : c.colour);
    }
}

TEST_F(Pvi, FrameDrawnAheadMatchesTheBeamClockByClock) {
    // For each register the picture reads, a program that keeps changing it
    // alone in the middle of lines and folds the collision registers it reads
    // into what it writes next. Objects overlap each other and the grid. The
    // frame loop's picture must come out as drawing every pixel on its own
    // does: frame, cells, registers, RAM and the processor's clock.
    struct Case {
        u16 address;
        u8 set; // bits the program always sets in what it writes
        const char* what;
    };
    static constexpr Case CASES[] = {
        {0x1FC6, 0x08, "background, grid on"},
        {0x1FC6, 0x00, "background"},
        {0x1F80, 0, "bars, first band, thin, left"},
        {0x1F81, 0, "bars, first band, thin, right"},
        {0x1F82, 0, "bars, first band, thick, left"},
        {0x1F83, 0, "bars, first band, thick, right"},
        {0x1F86, 0, "bars, second band, thick, left"},
        {0x1F87, 0, "bars, second band, thick, right"},
        {0x1FA8, 0, "widths, first and second bands"},
        {0x1FA9, 0, "widths, third and fourth bands"},
        {0x1FC3, 0, "score layout"},
        {0x1FC8, 0, "score, left"},
        {0x1FC9, 0, "score, right"},
        {0x1E80, 0, "control, bit 5 inverts the colours"},
    };
    collisions = 1;
    drawcorners = 1;
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.what);
        const u8 program[] = {
            0x84,
            0x07, // loop: ADDI,r0 $07
            0xC2, // STRZ r2
            0x66,
            c.set, // IORI,r2 set
            0xCE,
            static_cast<u8>(c.address >> 8), // STRA,r2 address
            static_cast<u8>(c.address),
            0x0D,
            0x1F,
            0xCB, // LODA,r1 $1FCB
            0x81, // ADDZ r1
            0x0D,
            0x1F,
            0xCA, // LODA,r1 $1FCA
            0x81, // ADDZ r1
            0x1F,
            0x00,
            0x10, // BCTA,UN loop
        };
        struct Result {
            std::vector<u8> frame, cells, memory;
            u32 cycles;
            u16 iar;
        } results[2];
        for (int way = 0; way < 2; way++) {
            ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
            frame_counter = 0;
            std::memset(guest_frame, 0, GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS);
            for (u32 i = 0; i < sizeof program; i++)
                guest_memory[0x10 + i] = program[i];
            busy_objects_and_grid();
            set_pvi(PVI_SCORERT, 0x08);
            cpu_iar = 0x10;
            for (int f = 0; f < 8; f++)
                way == 0 ? frame_clock_by_clock() : pvi_run_frame();
            results[way] = {{guest_frame, guest_frame + GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS},
                            {pvi_pixel_cells, pvi_pixel_cells + sizeof pvi_pixel_cells},
                            {guest_memory, guest_memory + GUEST_MEMORY_SIZE},
                            cpu_cycles,
                            cpu_iar};
        }
        EXPECT_TRUE(results[0].frame == results[1].frame);
        EXPECT_TRUE(results[0].cells == results[1].cells);
        EXPECT_TRUE(results[0].memory == results[1].memory);
        EXPECT_EQ(results[0].cycles, results[1].cycles);
        EXPECT_EQ(results[0].iar, results[1].iar);
    }
    drawcorners = 0;
}

TEST_F(Pvi, LinesCopiedFromTheLastFrameMatchLinesDrawnAgain) {
    // A busy scene run twice, copying unchanged lines from the frame before
    // and drawing every line: frame by frame the pictures, cells, memory
    // (the collision registers with it) and clocks must agree. The program
    // folds the collision registers into what it writes, to one register
    // after another mid-line or to RAM; between frames one register the
    // lines read changes or none does, and the interrupt moves two objects
    // on some frames; so lines repeat, change at their start and change in
    // their middle.
    collisions = 1;
    drawcorners = 1;
    static constexpr u16 TARGETS[] = {0x1800, 0x1FC6, 0x1800, 0x1F82, 0x1FC1,
                                      0x1800, 0x1FC8, 0x1FA8, 0x1E80, 0x1800};
    static constexpr u16 CHANGES[] = {0x1800, 0x1F81, 0x1F86, 0x1800, 0x1FA9, 0x1FC6, 0x1800,
                                      0x1FC9, 0x1FC2, 0x1F2A, 0x1800, 0x1E80, 0x1FC3};
    struct Frame {
        std::vector<u8> frame, cells, memory;
        u32 cycles;
    };
    std::vector<Frame> ways[2];
    for (int way = 0; way < 2; way++) {
        pvi_line_cache = way == 0;
        ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
        frame_counter = 0;
        // $0000: BCTA,UN $0010. $0003, the interrupt: LODA r1,$1F0A; ADDI
        // r1,1; STRA r1,$1F0A; LODA r1,$1F1C; ADDI r1,1; STRA r1,$1F1C;
        // RETE,UN. $0010: ADDI r0,7; STRZ r2; STRA r2,target; LODA r1,$1FCB;
        // ADDZ r1; LODA r1,$1FCA; ADDZ r1; BCTA,UN $0010.
        static const u8 start[] = {0x1F, 0x00, 0x10, 0x0D, 0x1F, 0x0A, 0x85, 0x01, 0xCD, 0x1F,
                                   0x0A, 0x0D, 0x1F, 0x1C, 0x85, 0x01, 0xCD, 0x1F, 0x1C, 0x37};
        static const u8 loop[] = {0x84, 0x07, 0xC2, 0xCE, 0x18, 0x00, 0x0D, 0x1F, 0xCB,
                                  0x81, 0x0D, 0x1F, 0xCA, 0x81, 0x1F, 0x00, 0x10};
        std::memcpy(guest_memory, start, sizeof start);
        std::memcpy(guest_memory + 0x10, loop, sizeof loop);
        busy_objects_and_grid();
        set_pvi(0x0D, 20); // object 0 duplicated down the screen
        cpu_iar = 0;
        cpu_psu &= static_cast<u8>(~PSU_II);
        for (u32 f = 0; f < 60; f++) {
            const u16 target = TARGETS[f % std::size(TARGETS)];
            const u16 change = CHANGES[f % std::size(CHANGES)];
            guest_memory[change] = static_cast<u8>(guest_memory[change] + 0x29);
            guest_memory[0x14] = static_cast<u8>(target >> 8);
            guest_memory[0x15] = static_cast<u8>(target);
            guest_memory[0x03] = f % 8 < 4 ? 0x37 : 0x0D; // RETE,UN or the moves
            pvi_run_frame();
            ways[way].push_back(
                {{guest_frame, guest_frame + GUEST_FRAME_COLUMNS * GUEST_FRAME_ROWS},
                 {pvi_pixel_cells, pvi_pixel_cells + sizeof pvi_pixel_cells},
                 {guest_memory, guest_memory + GUEST_MEMORY_SIZE},
                 cpu_cycles});
        }
    }
    drawcorners = 0;
    for (std::size_t f = 0; f < ways[0].size(); f++) {
        SCOPED_TRACE(f);
        EXPECT_TRUE(ways[0][f].frame == ways[1][f].frame);
        EXPECT_TRUE(ways[0][f].cells == ways[1][f].cells);
        EXPECT_TRUE(ways[0][f].memory == ways[1][f].memory);
        EXPECT_EQ(ways[0][f].cycles, ways[1][f].cycles);
    }
}

} // namespace
