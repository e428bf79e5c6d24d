#include "tests/support/file_buffer.h"
#include "tests/support/quiet_output.h"
#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "machines/arcadia.h"
#include "machines/uvi2637.h"
#include "tests/machines/machine_snapshot.h"
#include "tests/support/fresh_state.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Arcadia : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        blankingareas = 1;
        emu_region = 0;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    }
    void TearDown() override { fresh_state(); }

    // Puts a program at $0000 and restarts the processor there.
    void load(const std::vector<u8>& code) {
        std::memcpy(guest_memory, code.data(), code.size());
        machine_reset();
    }
    // The guest-frame index at beam clock x, raster line y.
    static u8 pixel(i32 x, i32 y) {
        return guest_frame[(x - display_window_left) * GUEST_FRAME_ROWS + (y - display_window_top)];
    }
};

// STRA,R0 addr after LODI,R0 value.
void poke(std::vector<u8>& code, u16 address, u8 value) {
    code.insert(code.end(), {0x04, value, 0xCC, static_cast<u8>(address >> 8),
                             static_cast<u8>(address & 0xFF)});
}
void halt_loop(std::vector<u8>& code) {
    code.insert(code.end(), {0x1B, 0x7E}); // BCTR,UN to itself
}

TEST_F(Arcadia, MirrorsAndAttributesPerMap) {
    const struct {
        u32 map, address, canonical;
    } folds[] = {
        {6, 0x1000, 0x1800}, {7, 0x1000, 0x1000}, {6, 0x1100, 0x1900}, {7, 0x1300, 0x1900},
        {6, 0x1C00, 0x1800}, {6, 0x4123, 0x0123}, {7, 0x6FFF, 0x0FFF}, {6, 0x5000, 0x1800},
        {8, 0x1B00, 0x1900}, {8, 0x1BFF, 0x19FF}, {8, 0x1000, 0x1000}, {6, 0x2000, 0x2000},
    };
    for (const auto& f : folds) {
        ASSERT_TRUE(machine_switch(ARCADIA, static_cast<int>(f.map), false, false, false));
        EXPECT_EQ(mem_read_mirror[f.address], f.canonical) << f.map << " " << std::hex << f.address;
        EXPECT_EQ(mem_write_mirror[f.address], f.canonical);
    }
    const struct {
        u32 map, address, flags;
    } attributes[] = {
        {6, 0x0000, MEM_UNWRITABLE},
        {6, 0x18FD, MEM_HW_REGISTER | MEM_SOUND},
        {6, 0x1900, MEM_HW_REGISTER | MEM_UNWRITABLE},
        {6, 0x190A, MEM_UNREADABLE | MEM_UNWRITABLE},
        {6, 0x19F9, MEM_HW_REGISTER | MEM_UNREADABLE},
        {6, 0x19FC, MEM_HW_REGISTER | MEM_UNWRITABLE | MEM_READ_ONCE},
        {6, 0x1A55, 0},
        {6, 0x1B00, MEM_UNWRITABLE},
        {8, 0x1900, MEM_HW_REGISTER},
        {8, 0x1950, 0},
        {8, 0x1000, MEM_UNWRITABLE},
        {8, 0x19FC, MEM_HW_REGISTER | MEM_READ_ONCE},
    };
    for (const auto& a : attributes) {
        ASSERT_TRUE(machine_switch(ARCADIA, static_cast<int>(a.map), false, false, false));
        EXPECT_EQ(mem_attributes[a.address] & 0x1FF, a.flags)
            << a.map << " " << std::hex << a.address;
    }
}

TEST_F(Arcadia, ProcessorWritesFollowTheFolds) {
    std::vector<u8> code;
    poke(code, 0x1000, 0x5A); // lands in $1800 on map 6
    halt_loop(code);
    load(code);
    emu_run_frame();
    EXPECT_EQ(guest_memory[0x1800], 0x5A);
    EXPECT_EQ(guest_memory[0x1000], 0);
}

TEST_F(Arcadia, RegistersAfterSetUpAndReset) {
    program_loaded = 1;
    arcadia_setup();              // set-up alone, as a switch to the map does before its reset
    EXPECT_EQ(program_loaded, 0); // no loaded program's start address any more
    for (u32 a = 0x1909; a <= 0x190F; a++)
        EXPECT_EQ(guest_memory[a], 0x40);
    machine_reset();
    for (u32 a = 0x1909; a <= 0x190F; a++)
        EXPECT_EQ(guest_memory[a], 0xC0);
    for (u32 a = 0x19C0; a <= 0x19F7; a++)
        EXPECT_EQ(guest_memory[a], 0xFF);
    EXPECT_EQ(guest_memory[0x18FC], 0);
}

TEST_F(Arcadia, CartridgeBlocksInOrder) {
    // Image offset -> guest address of each block; a 6 KB image ends inside the second.
    const struct {
        u32 size, offset, address;
    } cases[] = {
        {6144, 0, 0x0000},      {6144, 4095, 0x0FFF},   {6144, 4096, 0x2000},
        {6144, 6143, 0x27FF},   {20580, 8192, 0x4000},  {20580, 12288, 0x6000},
        {20580, 16384, 0x3000}, {20580, 20480, 0x5000}, {20580, 20579, 0x5063},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(test_filebuf_alloc(c.size));
        for (u32 i = 0; i < c.size; i++)
            filebuf[i] = static_cast<u8>(i * 7 + (i >> 8) + 1);
        filebuf_length = c.size;
        std::memset(guest_memory, 0xEE, GUEST_MEMORY_SIZE);
        arcadia_map_cartridge(false);
        EXPECT_EQ(guest_memory[c.address], filebuf[c.offset]) << c.size << " " << c.offset;
        if (c.size == 6144) {
            EXPECT_EQ(guest_memory[0x2800], 0xEE); // the image ends here
            EXPECT_EQ(guest_memory[0x4000], 0xEE);
        } else {
            EXPECT_EQ(guest_memory[0x5064], 0xEE);
            EXPECT_EQ(guest_memory[0x7000], 0xEE);
        }
        filebuf_free();
    }
}

TEST_F(Arcadia, ClockPeriodsPerFrameInBothModes) {
    std::vector<u8> code;
    halt_loop(code);
    for (u32 mode : {1u, 0u}) {
        framebased = mode;
        load(code);
        u32 before = cpu_cycles;
        std::vector<u32> frames;
        for (int f = 0; f < 8; f++) {
            emu_run_frame();
            frames.push_back(cpu_cycles - before);
            before = cpu_cycles;
            EXPECT_GE(cpu_beam_clock, 0);
            EXPECT_LE(cpu_beam_clock, 226);
        }
        u32 total = 0;
        for (u32 n : frames) {
            total += n;
            EXPECT_GE(n, 14868u - 9) << "mode " << mode;
            EXPECT_LE(n, 14869u + 9) << "mode " << mode;
        }
        // 8 frames of 14868.5, give or take the last instruction's overshoot.
        EXPECT_NEAR(static_cast<double>(total), 8 * 14868.5, 9.0) << "mode " << mode;
    }
}

TEST_F(Arcadia, LineSlicesAreExact) {
    std::vector<u8> code;
    // A loop of 6-clock instructions never overshoots by more than a slice.
    halt_loop(code);
    framebased = 1;
    load(code);
    const u32 slice_before = uvi_line_slice;
    emu_run_frame();
    EXPECT_EQ(uvi_line_slice - slice_before, 262u);
}

// Sprites draw alike with collisions on or off; only with them on do the
// collision registers see the overlap.
TEST_F(Arcadia, SpriteDrawsAndCollides) {
    for (u32 mode : {1u, 0u})
        for (u32 collide : {1u, 0u}) {
            SCOPED_TRACE(std::string(mode ? "frame-based" : "beam") +
                         (collide ? ", collisions" : ""));
            framebased = mode;
            collisions = collide;
            std::vector<u8> code;
            // Sprites 0 and 1 full 8x8 blocks, overlapping by 4 clocks.
            for (u16 a = 0x1980; a < 0x1990; a++)
                poke(code, a, 0xFF);
            poke(code, 0x18F0, 156); // sprite 0: line first_visible + 100
            poke(code, 0x18F1, 70);  // clock 99
            poke(code, 0x18F2, 156);
            poke(code, 0x18F3, 74);                  // clock 103
            poke(code, 0x19FB, 0xC0 | (1 << 3) | 2); // short sprites, colours 1 and 2
            halt_loop(code);
            load(code);
            emu_run_frame();
            emu_run_frame();
            const i32 y = first_visible_line + 100;
            EXPECT_EQ(pixel(99, y), uvi_colour_table[0][1]);
            EXPECT_EQ(pixel(104, y + 3), uvi_colour_table[0][3]);
            EXPECT_EQ(pixel(110, y + 7), uvi_colour_table[0][2]);
            EXPECT_EQ(guest_memory[0x19FD], collide ? 0xFE : 0xFF); // sprites 0 and 1
            EXPECT_EQ(guest_memory[0x19FC], 0xFF);                  // no characters
        }
}

// Two sprites over each other collide only on the picture's clocks, 49 to
// the line's end, in both modes: at the left edge by one clock more or less,
// and at the right edge wholly inside, partly past the end and wholly past it.
TEST_F(Arcadia, SpritesCollideOnlyOnThePicturesClocks) {
    struct Case {
        u8 x;      // both sprites' register: clock x + 29
        bool meet; // a common pixel lies in clocks 49-226
    };
    for (u32 mode : {1u, 0u})
        for (const Case c : {Case{12, false}, Case{13, true}, Case{190, true}, Case{192, true},
                             Case{198, false}}) {
            SCOPED_TRACE(std::string(mode ? "frame-based" : "beam") + " x " + std::to_string(c.x));
            framebased = mode;
            collisions = 1;
            std::vector<u8> code;
            for (u16 a = 0x1980; a < 0x1990; a++)
                poke(code, a, 0xFF);
            for (u16 s = 0; s < 2; s++) {
                poke(code, static_cast<u16>(0x18F0 + 2 * s), 156);
                poke(code, static_cast<u16>(0x18F1 + 2 * s), c.x);
            }
            poke(code, 0x19FB, 0xC0 | (1 << 3) | 2);
            halt_loop(code);
            load(code);
            emu_run_frame();
            emu_run_frame();
            EXPECT_EQ(guest_memory[0x19FD], c.meet ? 0xFE : 0xFF);
        }
}

// Nothing marks the border's cells, not even a sprite at its leftmost place
// (clock 29) in either mode: the frame loops leave them as they are.
TEST_F(Arcadia, BorderCellsStayClear) {
    for (u32 mode : {1u, 0u}) {
        SCOPED_TRACE(mode ? "frame-based" : "beam");
        framebased = mode;
        std::vector<u8> code;
        for (u16 a = 0x1980; a < 0x1988; a++)
            poke(code, a, 0xFF);
        poke(code, 0x18F0, 156); // sprite 0: line first_visible + 100
        poke(code, 0x18F1, 0);   // clock 29
        halt_loop(code);
        load(code);
        emu_run_frame();
        emu_run_frame();
        for (i32 line = 0; line < lines_per_frame; line++)
            for (i32 x = 0; x < border_clocks; x++)
                ASSERT_EQ(uvi_line_cells[line * UVI_LINE_CLOCKS + x], 0) << line << " " << x;
        // The line-based mode marks the sprite's own cells, from clock 29 on.
        const u8 leftmost = uvi_line_cells[(first_visible_line + 100) * UVI_LINE_CLOCKS + 29];
        EXPECT_EQ(leftmost & 1, mode);
    }
}

// A row mixing ROM characters and user-defined ones (codes 56-63) drawn as
// boxes: the boxes fill their cells, first raster line to last and pixel 0 to
// 7; the ROM characters leave the cell's first glyph line and pixels 0, 1 and 7
// blank, so text sits inside a box of user-defined characters without
// touching it. Nothing reaches the next row.
TEST_F(Arcadia, UserDefinedCharactersShareTheRowsRasterLines) {
    const u8 codes[] = {26, 56, 16, 0xC0 | 63, 0x40 | 24, 0x80 | 59}; // A, udc, 0, udc, 8, udc
    for (u32 mode : {1u, 0u})
        for (i32 height : {8, 16}) {
            SCOPED_TRACE(std::string(mode ? "frame-based" : "beam") + ", " +
                         std::to_string(height) + "-line rows");
            framebased = mode;
            std::vector<u8> code;
            poke(code, 0x18FC, 0xEF); // area 16 lines down
            poke(code, 0x19F8, 0x00); // 13 rows
            poke(code, 0x19F9, static_cast<u8>((height == 8 ? 0x80 : 0) | 0x03)); // bg 3
            for (u16 a = 0x1980; a < 0x19C0; a++)
                poke(code, a, (a & 7) == 0 ? 0xFF : (a & 7) == 7 ? 0x81 : 0x00);
            for (u16 c = 0; c < sizeof codes; c++)
                poke(code, static_cast<u16>(0x1800 + 16 * 3 + c), codes[c]);
            halt_loop(code);
            load(code);
            emu_run_frame();
            emu_run_frame();
            const i32 top = first_visible_line + 16 + 3 * height;
            const u8 bg = uvi_colour_table[0][3];
            for (u32 c = 0; c < sizeof codes; c++) {
                SCOPED_TRACE("column " + std::to_string(c));
                const i32 left = 72 + 8 * static_cast<i32>(c);
                i32 first = -1, last = -1, leftmost = 8, rightmost = -1;
                for (i32 y = top - 1; y <= top + height; y++)
                    for (i32 b = 0; b < 8; b++)
                        if (pixel(left + b, y) != bg) {
                            if (first < 0) first = y;
                            last = y;
                            leftmost = std::min(leftmost, b);
                            rightmost = std::max(rightmost, b);
                        }
                const bool user = (codes[c] & 63) > 55;
                EXPECT_EQ(first, user ? top : top + height / 8);
                EXPECT_EQ(last, top + height - 1);
                EXPECT_EQ(leftmost, user ? 0 : 2);
                EXPECT_EQ(rightmost, user ? 7 : 6);
            }
        }
    // The same blank border around every glyph of the normal set.
    for (u32 g = 0; g < 64; g++) {
        EXPECT_EQ(uvi_char_rom[8 * g], 0) << "glyph " << g;
        for (u32 l = 0; l < 8; l++)
            EXPECT_EQ(uvi_char_rom[8 * g + l] & 0xC1, 0) << "glyph " << g << " line " << l;
    }
}

// A processor that idles on a branch to itself has its instructions counted
// out while the beam draws on: every frame ends as running each instruction
// ends it, picture, registers, collisions, clocks and marks alike.
TEST_F(Arcadia, IdleProcessorFramesMatchRunningEveryInstruction) {
    struct Program {
        const char* what;
        std::vector<u8> code;
    };
    std::vector<u8> screen;
    poke(screen, 0x18FC, 0xEF); // 13 rows of 16 lines from line 16
    poke(screen, 0x19F9, 0x0E);
    for (u16 i = 0; i < 40; i++)
        poke(screen, static_cast<u16>(0x1800 + 5 * i),
             static_cast<u8>(0x1A + i % 26 + (i % 4) * 0x40));
    for (u16 a = 0x1980; a < 0x19A0; a++)
        poke(screen, a, static_cast<u8>(0x3C ^ a));
    for (u16 s = 0; s < 4; s++) {
        poke(screen, static_cast<u16>(0x18F0 + 2 * s), static_cast<u8>(200 - 30 * s));
        poke(screen, static_cast<u16>(0x18F1 + 2 * s), static_cast<u8>(40 + 25 * s));
    }
    poke(screen, 0x18F3, 45); // sprite 1 over sprite 0
    poke(screen, 0x18F2, 200);
    poke(screen, 0x19FA, (4 << 3) | 5);
    poke(screen, 0x19FB, 0xC0 | (1 << 3) | 2);
    std::vector<Program> programs = {{"BCTR,UN", screen},
                                     {"BCTA,UN", screen},
                                     {"BCTR,EQ", screen},
                                     {"a count, then BCTR,UN", screen}};
    const u16 end = static_cast<u16>(screen.size());
    programs[0].code.insert(programs[0].code.end(), {0x1B, 0x7E});
    programs[1].code.insert(programs[1].code.end(),
                            {0x1F, static_cast<u8>(end >> 8), static_cast<u8>(end & 0xFF)});
    programs[2].code.insert(programs[2].code.end(), {0x20, 0x18, 0x7E}); // EORZ r0: CC equal
    programs[3].code.insert(programs[3].code.end(),
                            {0x07, 0xFF, 0x04, 0x40, 0xF8, 0x7E, 0xFB, 0x7A, 0x1B, 0x7E});
    // BCTA,UN to itself at $18FD, whose target's low byte is the status the
    // UVI writes: it idles from the vertical blank ($FD) until a row start
    // rewrites it, with no instruction run in between.
    programs.push_back({"BCTA,UN among the status registers", screen});
    poke(programs.back().code, 0x18FD, 0x1F);
    poke(programs.back().code, 0x18FE, 0x18);
    programs.back().code.insert(programs.back().code.end(), {0x1F, 0x18, 0xFD});
    // Short counts: the last instruction before the idle loop ends at every
    // place of a line, also past its end.
    for (u8 n = 1; n <= 40; n++) {
        programs.push_back({"a short count, then BCTR,UN", screen});
        programs.back().code.insert(programs.back().code.end(), {0x04, n, 0xF8, 0x7E, 0x1B, 0x7E});
    }
    for (const Program& p : programs) {
        for (u32 mode : {0u, 1u}) {
            for (u32 collide : {1u, 0u}) {
                SCOPED_TRACE(std::string(p.what) + " (" + std::to_string(&p - programs.data()) +
                             ")" + (mode ? ", frame-based" : ", beam") +
                             (collide ? ", collisions" : ""));
                MachineSnapshot results[2];
                for (u8 skipping : {1, 0}) {
                    cpu_idle_skipping = skipping;
                    framebased = mode;
                    collisions = collide;
                    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
                    load(p.code);
                    for (int f = 0; f < 4; f++)
                        emu_run_frame();
                    results[skipping] =
                        MachineSnapshot::take(uvi_line_cells, sizeof uvi_line_cells);
                }
                cpu_idle_skipping = 1;
                expect_same_snapshot(results[0], results[1]);
            }
        }
    }
}

// A loop that counts down on itself (BDRR to its own address) looks like an
// idle branch from outside but is not one: in beam mode it takes its full
// time wherever a line's stretches begin, so the passes an outer counter
// makes follow from the clock alone.
TEST_F(Arcadia, CountedLoopsOnThemselvesRunInFullInBeamMode) {
    framebased = 0;
    for (u8 n : {1, 2, 5, 9, 23, 40}) {
        SCOPED_TRACE("count " + std::to_string(n));
        // LODI r1,0; start: LODI r0,n; BDRR r0,* ; ADDI r1,1; BCTR,UN start
        load({0x05, 0x00, 0x04, n, 0xF8, 0x7E, 0x85, 0x01, 0x1B, 0x78});
        const u32 start = cpu_cycles + 6;
        for (int f = 0; f < 3; f++)
            emu_run_frame();
        // Pass k's ADDI ends at k * pass + pass - 9 clock periods after start.
        const u32 pass = 21 + 9u * n;
        EXPECT_EQ(cpu_regs[1], static_cast<u8>((cpu_cycles - start + 9) / pass));
    }
}

TEST_F(Arcadia, StubShowsItsTitle) {
    stubprograms = 1;
    ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    for (int f = 0; f < 3; f++)
        emu_run_frame();
    // Row 5 starts 16 + 5 * 16 lines into the area; column 4 holds 'E' in yellow.
    const i32 top = first_visible_line + 16 + 5 * 16, left = 72 + 32;
    int lit = 0;
    for (i32 g = 0; g < 8; g++)
        for (i32 b = 0; b < 8; b++) {
            const bool set = uvi_char_rom[8 * 0x1E + g] >> (7 - b) & 1;
            EXPECT_EQ(pixel(left + b, top + 2 * g), set ? 1 : 6);
            EXPECT_EQ(pixel(left + b, top + 2 * g + 1), set ? 1 : 6);
            lit += set;
        }
    EXPECT_GT(lit, 10);
    EXPECT_EQ(arcadia_guest_char(0x1E), 'E');
}

// The stub's own bytes identify as its database row, so a saved copy of the
// title program gets the stub's settings back.
TEST_F(Arcadia, StubIdentifiesAsItsDatabaseRow) {
    crc32_build_table();
    crc64(arcadia_stub_program, ARCADIA_STUB_SIZE);
    const u32 c = crc32(arcadia_stub_program, ARCADIA_STUB_SIZE);
    EXPECT_EQ(game_identify_data(arcadia_stub_program, ARCADIA_STUB_SIZE), 118)
        << std::hex << c << " " << crc64_high << " " << crc64_low;
    EXPECT_EQ(known_games_db[118].size, ARCADIA_STUB_SIZE);
    EXPECT_EQ(known_games_db[118].memmap, 6);
}

TEST_F(Arcadia, InputRecordRoundTrip) {
    std::vector<u8> code;
    halt_loop(code);
    load(code);
    const u8 record[7] = {0x80, 0x9A, 0x51, 0x22, 0x3C, 0xF0, 0x05};
    ASSERT_TRUE(test_filebuf_alloc(7));
    std::memcpy(filebuf, record, 7);
    filebuf_length = 7;
    filebuf_cursor = 0;
    rec_length = 7;
    rec_state = REC_PLAYBACK;
    arcadia_read_inputs();
    rec_state = REC_IDLE;
    EXPECT_EQ(guest_memory[0x19FF], 0x80);
    EXPECT_EQ(guest_memory[0x1900], 0x9);
    EXPECT_EQ(guest_memory[0x1901], 0xA);
    EXPECT_EQ(guest_memory[0x1903], 0x1);
    EXPECT_EQ(guest_memory[0x1908], 0x05);
    const auto again = arcadia_input_record();
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(again[i], record[i]) << i;
    filebuf_free();
}

// A pause or a traced step in the middle of a visible line shows that line
// drawn up to the beam: the pixels left of the beam are already the frame's
// own, as they are when the frame has ended, and those right of it are still
// the ones of the frame before.
struct MidLineStop {
    i32 line = -1, clock = -1;
    i32 first = 0;         // the line's first clock inside the frame
    std::vector<u8> shown; // the stopped line from `first` as shown
};
MidLineStop mid_line_stop;

void record_mid_line_stop() {
    MidLineStop& s = mid_line_stop;
    const i32 top = first_visible_line + 40;
    if (s.line >= 0 || raster_line < top || raster_line > top + 40 || raster_clock < 100 ||
        raster_clock > 200)
        return;
    s.line = raster_line;
    s.clock = raster_clock;
    s.first = std::max<i32>(49, display_window_left);
    for (i32 x = s.first; x <= display_window_right && x < UVI_LINE_CLOCKS; x++)
        s.shown.push_back(guest_frame[(x - display_window_left) * GUEST_FRAME_ROWS +
                                      (raster_line - display_window_top)]);
}

TEST_F(Arcadia, StopInTheMiddleOfALineShowsTheLineSoFar) {
    struct Case {
        const char* what;
        bool trace; // the tracer's display after each step; else a breakpoint's pause
    };
    for (const Case c : {Case{"breakpoint", false}, Case{"tracer", true}}) {
        SCOPED_TRACE(c.what);
        framebased = 0;
        // loop: ADDI r0,1; STRA r0,$1A00; TPSU $80; BCTR,UN loop
        load({0x84, 0x01, 0xCC, 0x1A, 0x00, 0xB4, 0x80, 0x1B, 0x77});
        guest_memory[0x18FC] = 0xEF; // 13 rows of 16 lines from line 16
        guest_memory[0x19F9] = 0x0D; // background 5
        for (u32 i = 0; i < 13 * 16; i++)
            guest_memory[0x1800 + i] = static_cast<u8>(0x1A + i % 26 + (i % 4) * 0x40);
        guest_memory[0x18F0] = 170; // a sprite on the lines looked at
        guest_memory[0x18F1] = 70;
        for (u32 l = 0; l < 8; l++)
            guest_memory[0x1980 + l] = 0xFF;
        std::vector<u8> before(guest_frame, guest_frame + GUEST_FRAME_ROWS * GUEST_FRAME_COLUMNS);
        mid_line_stop = {};
        if (c.trace) {
            cpu_host.blit = record_mid_line_stop;
            cpu_tracing = 1;
        } else {
            cpu_host.pause = record_mid_line_stop;
            cpu_host.paused = nullptr;
            mem_attributes[2] |= MEM_BREAKPOINT;
        }
        emu_run_frame();
        cpu_tracing = 0;
        mem_attributes[2] &= ~MEM_BREAKPOINT;
        const MidLineStop s = mid_line_stop;
        ASSERT_GE(s.line, 0) << "no stop on the lines looked at";
        ASSERT_GT(s.shown.size(), static_cast<std::size_t>(s.clock - s.first + 8));
        bool drawn = false, to_come = false;
        for (i32 x = s.first; x < s.first + static_cast<i32>(s.shown.size()); x++) {
            const std::size_t at =
                static_cast<std::size_t>(x - display_window_left) * GUEST_FRAME_ROWS +
                static_cast<std::size_t>(s.line - display_window_top);
            const bool changes = before[at] != pixel(x, s.line);
            if (x < s.clock) {
                EXPECT_EQ(s.shown[x - s.first], pixel(x, s.line)) << "clock " << x;
                drawn |= changes;
            } else if (x > s.clock) {
                EXPECT_EQ(s.shown[x - s.first], before[at]) << "clock " << x;
                to_come |= changes;
            }
        }
        EXPECT_TRUE(drawn && to_come) << "the frame before already showed the line";
        fresh_state();
        stubprograms = 0;
        emu_region = 0;
        ASSERT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
    }
}

// A setting changed in a pause in the middle of a line counts from the pause
// on, also where the line stands as drawn ahead (or on its copy): the pause
// hands the line on, and what follows is drawn afresh. Here the colour row
// stops following the Flag, which is set.
void turn_flagline_off_mid_line() {
    const i32 top = first_visible_line + 40;
    if (!flagline || raster_line < top || raster_line > top + 40 || raster_clock < 100 ||
        raster_clock > 200)
        return;
    flagline = 0;
    mid_line_stop.line = raster_line;
    mid_line_stop.clock = raster_clock;
}

TEST_F(Arcadia, SettingChangedInAMidLinePauseCountsFromThePauseOn) {
    // The frame as drawn with the setting off throughout, then with a pause
    // that turns it off.
    auto run = [this](bool copies, bool pause) {
        fresh_state();
        stubprograms = 0;
        emu_region = 0;
        EXPECT_TRUE(machine_switch(ARCADIA, 6, true, true, false));
        framebased = 0;
        flagline = pause ? 1 : 0;
        uvi_copy_lines = copies;
        // PPSU $40; loop: ADDI r0,1; STRA r0,$1A00; TPSU $80; BCTR,UN loop
        load({0x76, 0x40, 0x84, 0x01, 0xCC, 0x1A, 0x00, 0xB4, 0x80, 0x1B, 0x77});
        guest_memory[0x18FC] = 0xEF;
        guest_memory[0x19F9] = 0x0D;
        for (u32 i = 0; i < 13 * 16; i++)
            guest_memory[0x1800 + i] = static_cast<u8>(0x1A + i % 26 + (i % 4) * 0x40);
        for (int f = 0; f < 3; f++)
            emu_run_frame();
        mid_line_stop = {};
        if (pause) {
            cpu_host.pause = turn_flagline_off_mid_line;
            cpu_host.paused = nullptr;
            mem_attributes[4] |= MEM_BREAKPOINT;
        }
        emu_run_frame();
        mem_attributes[4] &= ~MEM_BREAKPOINT;
        uvi_copy_lines = true;
        return std::vector<u8>(guest_frame, guest_frame + GUEST_FRAME_ROWS * GUEST_FRAME_COLUMNS);
    };
    for (const bool copies : {true, false}) {
        SCOPED_TRACE(copies ? "copies" : "drawn afresh");
        const std::vector<u8> off = run(copies, false), paused = run(copies, true);
        const MidLineStop s = mid_line_stop;
        ASSERT_GE(s.line, 0) << "no pause on the lines looked at";
        // Pixels of the frames from clock `from` of line `line` on, up to `to`:
        // the visible clocks of each line inside the window.
        const auto count_differing = [&](i32 line, i32 from, i32 last_line) {
            i32 n = 0;
            for (i32 y = line; y <= last_line; y++)
                for (i32 x = std::max<i32>(y == line ? from : 49, display_window_left);
                     x <= display_window_right && x < UVI_LINE_CLOCKS; x++) {
                    const std::size_t at =
                        static_cast<std::size_t>(x - display_window_left) * GUEST_FRAME_ROWS +
                        static_cast<std::size_t>(y - display_window_top);
                    n += off[at] != paused[at];
                }
            return n;
        };
        const i32 last_line = std::min<i32>(display_window_bottom, lines_per_frame - 1);
        const i32 differ_after = count_differing(s.line, s.clock + 1, last_line);
        const i32 differ = count_differing(s.line, 49, s.line) - count_differing(s.line, s.clock + 1, s.line);
        EXPECT_EQ(differ_after, 0);
        EXPECT_GT(differ, 0) << "the setting made no difference before the pause";
    }
}

} // namespace
