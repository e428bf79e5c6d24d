#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/machine_table.h"
#include "core/machine.h"
#include "core/recording.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/memory.h"
#include "display/frame.h"
#include "input/console_buttons.h"
#include "input/keys.h"
#include "machines/interton.h"
#include "machines/pvi2636.h"
#include "machines/pvi_consoles.h"
#include "machines/uvi2637.h"
#include "tests/machines/machine_snapshot.h"
#include "tests/support/file_buffer.h"
#include "tests/support/fresh_state.h"
#include "tests/support/png_frame.h"
#include "tests/support/quiet_output.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Interton : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        stubprograms = 0;
        randomizememory = 0;
        blankingareas = 1;
        ASSERT_TRUE(machine_switch(INTERTON, 3, true, true, false));
    }
    void TearDown() override { fresh_state(); }

    // A processor write as the guest makes it (mirrors and attributes).
    static void guest_write(u32 a, u8 v) {
        if (!(mem_attributes[a] & MEM_UNWRITABLE)) guest_memory[mem_write_mirror[a]] = v;
    }
    static u8 pvi(u32 offset) { return guest_memory[0x1F00 + offset]; }
    static void set_pvi(u32 offset, u8 v) { guest_memory[0x1F00 + offset] = v; }
    // Runs the chip's line work for PVI lines 0..last, as the frame does.
    static void run_lines(i32 last, bool pixels) {
        pvi_frame_begin();
        pvi_frame_start();
        for (i32 y = 0; y <= last; y++) {
            raster_line = first_visible_line + y;
            pvi_line_start();
            pvi_object_line_step();
            if (pixels)
                for (raster_clock = 49; raster_clock < PVI_BEAM_CLOCKS; raster_clock++)
                    pvi_render_pixel();
            pvi_line_end();
        }
    }
    // A processor halted in a loop at $0000 (interrupts inhibited).
    static void idle_program() {
        const u8 code[] = {0x76, 0x20, 0x1B, 0x7E};
        std::memcpy(guest_memory, code, sizeof code);
        machine_reset();
    }
};

TEST_F(Interton, MemoryMapsFoldAsTheTypesWire) {
    const struct {
        int map;
        u32 address, write_lands, read_from;
    } cases[] = {
        {3, 0x17D0, 0x1FC0, 0x1FC0}, {3, 0x1FD0, 0x1FD0, 0x1FD0}, {2, 0x1C05, 0x1005, 0x1005},
        {2, 0x1405, 0x1005, 0x1005}, {2, 0x1805, 0x1005, 0x1005}, {3, 0x1C00, 0x1800, 0x1800},
        {3, 0x1E85, 0x1E80, 0x1E85}, {3, 0x1EF0, 0x1E80, 0x1EF0}, {3, 0x1EA8, 0x1E80, 0x1E88},
        {3, 0x1E98, 0x1E80, 0x1E88}, {3, 0x1EAE, 0x1E80, 0x1E8E}, {3, 0x1EF8, 0x1E80, 0x1E88},
        {3, 0x3E80, 0x1E80, 0x1E80}, {3, 0x3600, 0x1E00, 0x1E00}, {0, 0x2123, 0x0123, 0x0123},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(machine_switch(INTERTON, c.map, false, false, false));
        SCOPED_TRACE(testing::Message() << "type " << c.map << " $" << std::hex << c.address);
        EXPECT_EQ(mem_write_mirror[c.address], c.write_lands);
        EXPECT_EQ(mem_read_mirror[c.address], c.read_from);
    }
    const struct {
        int map;
        u32 address, flags;
    } attributes[] = {
        {0, 0x0800, MEM_UNREADABLE | MEM_UNWRITABLE},
        {1, 0x0800, MEM_UNWRITABLE},
        {2, 0x1000, 0},
        {3, 0x1000, MEM_UNWRITABLE},
        {3, 0x1E80, MEM_UNREADABLE | MEM_SOUND | MEM_HW_REGISTER},
        {3, 0x1E88, MEM_HW_REGISTER | MEM_UNWRITABLE},
        {3, 0x1E9C, MEM_UNREADABLE | MEM_UNWRITABLE},
        {3, 0x1FC7, MEM_HW_REGISTER | MEM_UNREADABLE | MEM_SOUND},
        {3, 0x1FCA, MEM_HW_REGISTER | MEM_UNWRITABLE | MEM_READ_ONCE},
        {3, 0x1FDB, MEM_UNWRITABLE | MEM_READ_ONCE},
        {3, 0x1F30, MEM_UNREADABLE | MEM_UNWRITABLE},
        {3, 0x4000, MEM_UNREADABLE | MEM_UNWRITABLE},
    };
    for (const auto& a : attributes) {
        ASSERT_TRUE(machine_switch(INTERTON, a.map, false, false, false));
        EXPECT_EQ(mem_attributes[a.address] & 0x1FF, a.flags)
            << "type " << a.map << " $" << std::hex << a.address;
    }
}

TEST_F(Interton, SetUpClearsAllButTheSoundAndPaddleBytesAndResetKeepsRam) {
    interton_setup();
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        const u8 expected = a == 0x1E80 ? 4 : (a == 0x1FCC || a == 0x1FCD) ? 0x70 : 0;
        ASSERT_EQ(guest_memory[a], expected) << std::hex << a;
    }
    ASSERT_TRUE(machine_switch(INTERTON, 2, false, false, false));
    guest_write(0x1C05, 0x5A);
    guest_memory[0x1E80] = 0xC0;
    guest_memory[0x1F10] = 0x33;
    machine_reset();
    EXPECT_EQ(guest_memory[0x1005], 0x5A);
    EXPECT_EQ(guest_memory[0x1E80], 4);
    EXPECT_EQ(guest_memory[0x1F10], 0);
}

TEST_F(Interton, BeamWrapStartsTheNextLineLate) {
    idle_program();
    for (int machine_no : {INTERTON, ELEKTOR}) {
        ASSERT_TRUE(machine_switch(machine_no, machine_no == INTERTON ? 3 : 5, false, true, false));
        guest_memory[0x0000] = 0x1F;
        guest_memory[0x0001] = 0x00;
        guest_memory[0x0002] = 0x00;
        cpu_iar = 0;
        cpu_beam_clock = 193; // BCTA,UN $0000: 9 clock periods, 36 beam clocks
        cpu_run_to_clock(227);
        EXPECT_EQ(raster_clock, 229);
        EXPECT_EQ(cpu_beam_clock, machine_no == INTERTON ? 2 : 3);
    }
}

// The processor's run up to a beam clock on a branch to itself ends where
// executing every run ends it, from every start clock, whether or not the
// runs are counted out.
TEST_F(Interton, IdleRunToAClockStopsWhereSteppingStops) {
    guest_memory[0x0000] = 0x1B; // BCTR,UN to itself
    guest_memory[0x0001] = 0x7E;
    for (i32 limit : {6, 12, 49, 227})
        for (i32 start = 0; start < 227; start++) {
            SCOPED_TRACE(std::to_string(start) + " to " + std::to_string(limit));
            u32 cycles[2];
            i32 beam[2], raster[2];
            for (u8 skipping : {1, 0}) {
                cpu_idle_skipping = skipping;
                cpu_iar = 0;
                cpu_beam_clock = start;
                const u32 before = cpu_cycles;
                cpu_run_to_clock(limit);
                cycles[skipping] = cpu_cycles - before;
                beam[skipping] = cpu_beam_clock;
                raster[skipping] = raster_clock;
            }
            cpu_idle_skipping = 1;
            EXPECT_EQ(cycles[0], cycles[1]);
            EXPECT_EQ(beam[0], beam[1]);
            EXPECT_EQ(raster[0], raster[1]);
        }
}

TEST_F(Interton, ObjectsStartCompleteAndDuplicate) {
    // VC 255: the original starts on line 0; scale 8 completes on its 80th line.
    set_pvi(0x0C, 255);
    set_pvi(0x0D, 5);
    set_pvi(PVI_SIZES, 3);
    pvi_frame_begin();
    pvi_frame_start();
    int completed_on = -1;
    for (i32 y = 0; y < 100 && completed_on < 0; y++) {
        raster_line = first_visible_line + y;
        pvi_line_start();
        pvi_object_line_step();
        if (y == 0) {
            EXPECT_EQ(pvi_objects[0].active, 1);
        }
        if (pvi(PVI_BGCOLLIDE) & 0x08) completed_on = y;
        pvi_line_end();
    }
    EXPECT_EQ(completed_on, 79);
    EXPECT_EQ(pvi(0xDA) & 0x08, 0x08); // the copies too
    EXPECT_EQ(pvi_objects[0].duplicate, 1);
    EXPECT_EQ(pvi_objects[0].start_line, 79 + 5 + 2); // VCB blank lines plus one
    // VCB 255 joins the duplicate without a gap.
    set_pvi(0x0D, 255);
    set_pvi(PVI_SIZES, 0);
    set_pvi(0x0C, 9);
    run_lines(19, false);
    EXPECT_EQ(pvi_objects[0].start_line, 20);
}

TEST_F(Interton, OverlappingObjectsMixColoursAndCollide) {
    for (u32 r = 0; r < 10; r++) {
        set_pvi(0x00 + r, 0xFF);
        set_pvi(0x10 + r, 0xFF);
    }
    set_pvi(0x0A, 40); // x 41-48
    set_pvi(0x1A, 44); // x 45-52
    set_pvi(0x0C, 49); // lines 50-59
    set_pvi(0x1C, 49);
    set_pvi(0x0D, 250);
    set_pvi(0x1D, 250);
    set_pvi(PVI_SPR01COLOURS, 1 << 3 | 4);
    collisions = 1;
    run_lines(60, true);
    const auto at = [](i32 x, i32 y) {
        return guest_frame[(x + 49 - display_window_left) * GUEST_FRAME_ROWS +
                           (y + first_visible_line - display_window_top)];
    };
    EXPECT_EQ(at(42, 52), 1);
    EXPECT_EQ(at(46, 52), 5);
    EXPECT_EQ(at(50, 52), 4);
    EXPECT_EQ(pvi(PVI_SPRITECOLLIDE) & 0x3F, 0x20);
    EXPECT_EQ(pvi(0xFB) & 0x20, 0x20);
    // Sprite mode 0: nothing drawn, no collision, but completion still comes.
    sprite_mode = 0;
    run_lines(60, true);
    EXPECT_EQ(pvi(PVI_SPRITECOLLIDE), 0);
    EXPECT_EQ(pvi(PVI_BGCOLLIDE) & 0x0C, 0x0C);
    sprite_mode = 2;
}

TEST_F(Interton, GridBarWidthsAndObjectGridCollision) {
    // Band 1's thick row, left half, bit 7: x 32-39 on lines 42-59.
    set_pvi(PVI_BGCOLOUR, 0x08);
    set_pvi(0x86, 0x80);
    const struct {
        u8 widths;
        i32 width;
    } cases[] = {{0x00, 1}, {0x40, 2}, {0x80, 1}, {0xC0, 4}, {0x10, 8}, {0x04, 1}};
    for (const auto& c : cases) {
        set_pvi(0xA8, c.widths);
        run_lines(50, true);
        i32 lit = 0;
        for (i32 x = 32; x < 40; x++)
            lit += (pvi_pixel_cells[50 * PVI_WIDTH + x] & 8) != 0;
        EXPECT_EQ(lit, c.width) << std::hex << int(c.widths);
        EXPECT_EQ(pvi_pixel_cells[41 * PVI_WIDTH + 32] & 8, 0); // the thin row has no bar
    }
    // An object over the bar sets its grid bit.
    for (u32 r = 0; r < 10; r++)
        set_pvi(0x40 + r, 0xFF);
    set_pvi(0x4A, 30);
    set_pvi(0x4C, 44);
    set_pvi(0x4D, 250);
    collisions = 1;
    run_lines(50, true);
    EXPECT_EQ(pvi(PVI_BGCOLLIDE) & 0xF0, 0x10);
}

// The frame loop writes collisions between the processor's instructions only
// where the line's objects meet each other or the grid: a meeting in a single
// pixel counts wherever it lies, at the ends of the bits' words included, and
// one pixel apart is none.
TEST_F(Interton, FrameLoopFindsSinglePixelMeetings) {
    // $0000: ADDI r0,1; STRA r0,$1800; TPSU $80; BCTR,UN $0000 (never idle).
    const u8 loop[] = {0x84, 0x01, 0xCC, 0x18, 0x00, 0xB4, 0x80, 0x1B, 0x77};
    std::memcpy(guest_memory, loop, sizeof loop);
    machine_reset();
    cpu_psu |= PSU_II;
    collisions = 1;
    set_pvi(PVI_BGCOLOUR, 0x08); // grid on, no bar lit yet
    for (u32 b = 0x80; b < 0xA8; b++)
        set_pvi(b, 0);
    const auto run_frame = [] {
        emu_run_frame();
        emu_run_frame();
    };
    // Object 0 lit only in its last pixel, object 1 only in its first.
    for (u32 r = 0; r < 10; r++) {
        set_pvi(0x00 + r, 0x01);
        set_pvi(0x10 + r, 0x80);
    }
    set_pvi(0x0C, 99);
    set_pvi(0x1C, 99);
    set_pvi(0x0D, 250);
    set_pvi(0x1D, 250);
    for (const i32 x : {8, 63, 64, 127, 128, 177})
        for (const i32 apart : {0, 1}) {
            set_pvi(0x0A, static_cast<u8>(x - 8));
            set_pvi(0x1A, static_cast<u8>(x - 1 + apart));
            run_frame();
            EXPECT_EQ(pvi(PVI_SPRITECOLLIDE) & 0x3F, apart ? 0 : 0x20) << x << " " << apart;
            // With the access map kept, every line of the meeting shows the
            // write at its own pixel, whichever run of the beam it falls in.
            pvi_overlay_mode = 4;
            run_frame();
            pvi_overlay_mode = 0;
            for (i32 y = 100; y < 110; y++)
                EXPECT_EQ(pvi_access_map[(first_visible_line + y) * PVI_BEAM_CLOCKS + x + 49] != 7,
                          !apart)
                    << x << " " << apart << " line " << y;
        }
    // Object 1's single pixel against the last pixel of a bar: band 4's
    // thin row (lines 100-101), column 15, four wide (x 152-155).
    set_pvi(0x0A, 250);
    set_pvi(0x90, 0x00);
    set_pvi(0x91, 0x01);
    set_pvi(0xAA, 0xC0);
    for (const i32 x : {155, 156}) {
        set_pvi(0x1A, static_cast<u8>(x - 1));
        run_frame();
        EXPECT_EQ(pvi(PVI_BGCOLLIDE) & 0x40, x == 155 ? 0x40 : 0) << x;
    }
}

TEST_F(Interton, BorderColourRule) {
    const struct {
        int map;
        u8 control, bg;
        u32 darken, colour;
    } cases[] = {
        {3, 0x00, 0x0A, 0, 5}, {3, 0x00, 0x0A, 1, 13}, {3, 0x00, 0x02, 0, 7},
        {3, 0x20, 0x0A, 0, 2}, {3, 0x20, 0x02, 0, 0},  {4, 0x20, 0x0A, 0, 5},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(machine_switch(c.map == 4 ? ELEKTOR : INTERTON, c.map, false, false, false));
        pvi_invert_register = c.map == 4 ? nullptr : guest_memory + 0x1E80;
        guest_memory[0x1E80] = c.control;
        darkenbg = c.darken;
        EXPECT_EQ(pvi_border_colour(c.bg), c.colour)
            << c.map << " " << int(c.control) << " " << int(c.bg) << " " << c.darken;
    }
    darkenbg = 0;
}

TEST_F(Interton, VerticalBlankRaisesSenseAndInterrupts) {
    idle_program();
    cpu_irq_pending = 1;
    pvi_vblank();
    EXPECT_EQ(cpu_irq_pending, 1u);
    EXPECT_TRUE(cpu_psu & PSU_S);
    for (u32 o : {0xCBu, 0xDBu, 0xEBu, 0xFBu})
        EXPECT_EQ(pvi(o), 0x40);
    pvi_frame_start();
    EXPECT_EQ(cpu_irq_pending, 0u);
    EXPECT_FALSE(cpu_psu & PSU_S);
    EXPECT_EQ(pvi(0xEB), 0);
}

TEST_F(Interton, RegisterBitTexts) {
    const struct {
        u32 address;
        u8 value;
        const char* text;
    } cases[] = {
        {0x1E80, 0xC4, " [%11,0,0,0,1,--]"},   {0x1E89, 0xA0, " [%1,0,1,0,----]"},
        {0x1E8B, 0x40, " [%0,1,------]"},      {0x1F1A, 200, " [200]"},
        {0x1FC0, 0x1B, " [%00,01,10,11]"},     {0x1FC1, 0x2A, " [%--,101,010]"},
        {0x1FC3, 0x02, " [%------,1,0]"},      {0x1FC6, 0x5B, " [%-,101,1,011]"},
        {0x1FC8, 0x93, " [%1001,0011]"},       {0x1FCA, 0xA5, " [%1,0,1,0,0,1,0,1]"},
        {0x1FCB, 0x7F, " [%-,1,1,1,1,1,1,1]"}, {0x1F00, 0x41, ""},
    };
    for (const auto& c : cases) {
        hw_format_register_bits(c.value, c.address);
        EXPECT_STREQ(watch_annotation, c.text) << std::hex << c.address;
    }
}

TEST_F(Interton, InputsRecordAndPlayBack) {
    idle_program();
    for (auto& key : player_keys[0])
        key = RAW_NONE;
    player_keys[0][GK_KEYPAD1 + 4] = 0x20; // key 5: $1E89 bit 6
    host_key_set(0x20);
    input_press_console_button(0);
    pvi_read_inputs();
    host_key_clear(0x20);
    EXPECT_EQ(guest_memory[0x1E89], 0x4F);
    EXPECT_EQ(guest_memory[0x1E88], 0x0F);
    EXPECT_EQ(guest_memory[0x1E8B], 0x4F);
    const auto record = pvi_input_record();
    EXPECT_EQ(record[1], 0x04);
    EXPECT_EQ(record[6], 0x4F);

    const u8 played[7] = {0x80, 0x9A, 0x5F, 0x22, 0x3C, 0xFF, 0xCF};
    ASSERT_TRUE(test_filebuf_alloc(7));
    std::memcpy(filebuf, played, 7);
    filebuf_length = 7;
    filebuf_cursor = 0;
    rec_length = 7;
    rec_state = REC_PLAYBACK;
    pvi_read_inputs();
    rec_state = REC_IDLE;
    EXPECT_EQ(guest_memory[0x1E88], 0x9F);
    EXPECT_EQ(guest_memory[0x1E89], 0xAF);
    EXPECT_EQ(guest_memory[0x1E8D], 0xCF);
    const auto again = pvi_input_record();
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(again[i], played[i]) << i;
    filebuf_free();
}

TEST_F(Interton, TitleProgramGoldenFramesOnEveryType) {
    stubprograms = 1;
    for (int map = 0; map <= 3; map++) {
        ASSERT_TRUE(machine_switch(INTERTON, map, true, true, false));
        for (int f = 0; f < 3; f++)
            emu_run_frame();
        // The same picture on every type: the program only needs $0000-$00D7.
        EXPECT_EQ(check_golden_frame("interton_title"), "") << "type " << map;
        // The ball's original and its duplicates completed; nothing collided
        // with the grid during the picture (the registers hold the last frame).
        EXPECT_EQ(guest_memory[0x1FCA] & 0x02, 0x02);
    }
}

// A processor that idles on a branch to itself has its runs counted out
// instead of executed, between beam stops in the border, the picture and the
// lines outside it. Whatever the branch, where it starts on the line and
// whether an interrupt routine moves objects and reads the collisions in
// between, the frames, memory, cells, access marks and processor state come
// out as executing every run leaves them.
TEST_F(Interton, IdleBranchesCountedOutLeaveTheStateOfExecutingThem) {
    // $0000: BCTA,UN $0030. $0003, the interrupt, in the second register
    // bank: object 0 three pixels right, a count of 400 (some 60 lines), then
    // a frame count in RAM stored as the background colour, which changes the
    // picture at the beam position the interrupt's start decides.
    // PPSL RS; LODA r1,$1F0A; ADDI r1,3; STRA r1,$1F0A; LODI r3,2;
    // LODI r2,200; BDRR r2,$0011; BDRR r3,$000F; LODA r1,$1810; ADDI r1,1;
    // STRA r1,$1810; STRA r1,$1FC6; CPSL RS; RETE,UN.
    const std::vector<u8> head = {0x1F, 0x00, 0x30, 0x77, 0x10, 0x0D, 0x1F, 0x0A, 0x85,
                                  0x03, 0xCD, 0x1F, 0x0A, 0x07, 0x02, 0x06, 0xC8, 0xFA,
                                  0x7E, 0xFB, 0x7A, 0x0D, 0x18, 0x10, 0x85, 0x01, 0xCD,
                                  0x18, 0x10, 0xCD, 0x1F, 0xC6, 0x75, 0x10, 0x37};
    const u8 enable[] = {0x74, 0x20}; // CPSU II
    struct Program {
        const char* what;
        bool interrupts;
        std::vector<u8> idle; // from $0032, after CPSU or two NOPs
    };
    const Program programs[] = {
        {"BCTR,UN", true, {0x1B, 0x7E}},
        {"BCTA,UN", true, {0x1F, 0x00, 0x32}},
        {"BCTR,EQ", true, {0x20, 0x18, 0x7E}}, // EORZ r0: CC equal
        {"a count, then BCTR,UN",
         true,
         {0x07, 0xFF, 0x04, 0x40, 0xF8, 0x7E, 0xFB, 0x7A, 0x1B, 0x7E}},
        {"BCTR,UN, interrupts inhibited", false, {0x1B, 0x7E}},
    };
    for (int machine_no : {INTERTON, ELEKTOR})
        for (const Program& p : programs)
            for (u32 collide : {1u, 0u}) {
                SCOPED_TRACE(std::string(machine_no == INTERTON ? "Interton, " : "Elektor, ") +
                             p.what + (collide ? ", collisions" : ""));
                MachineSnapshot results[2];
                for (u8 skipping : {1, 0}) {
                    cpu_idle_skipping = skipping;
                    collisions = collide;
                    ASSERT_TRUE(machine_switch(machine_no, machine_no == INTERTON ? 3 : 5, true,
                                               true, false));
                    machine_reset();
                    std::vector<u8> code = head;
                    code.resize(0x30);
                    if (p.interrupts)
                        code.insert(code.end(), enable, enable + 2);
                    else
                        code.insert(code.end(), {0xC0, 0xC0}); // NOPs
                    code.insert(code.end(), p.idle.begin(), p.idle.end());
                    std::memcpy(guest_memory, code.data(), code.size());
                    cpu_iar = 0;
                    cpu_psu = static_cast<u8>(cpu_psu | PSU_II);
                    for (u32 n = 0; n < 4; n++) {
                        const u32 block = pvi_object_block[n];
                        for (u32 r = 0; r < 10; r++)
                            set_pvi(block + r, static_cast<u8>(0xC3 ^ (r * 0x11) ^ n));
                        set_pvi(block + 10, static_cast<u8>(30 + 30 * n));
                        // Duplicates of objects 2 and 3 meet only in the last pixel.
                        set_pvi(block + 11, static_cast<u8>(n < 2    ? 36 + 30 * n
                                                            : n == 2 ? 168
                                                                     : 176));
                        set_pvi(block + 12, static_cast<u8>(20 + 25 * n));
                        set_pvi(block + 13, 15);
                    }
                    for (u32 i = 0; i < 0x28; i++)
                        set_pvi(0x80 + i, static_cast<u8>(i % 3 ? 0x81 : 0xF0));
                    set_pvi(PVI_SIZES, 0x1B);
                    set_pvi(PVI_SPR01COLOURS, 0x0A);
                    set_pvi(PVI_SPR23COLOURS, 0x1C);
                    set_pvi(PVI_BGCOLOUR, 0x2B);
                    set_pvi(PVI_SCORELT, 0x12);
                    for (int f = 0; f < 5; f++)
                        emu_run_frame();
                    results[skipping] =
                        MachineSnapshot::take(pvi_pixel_cells, sizeof pvi_pixel_cells);
                }
                cpu_idle_skipping = 1;
                expect_same_snapshot(results[0], results[1]);
                // The interrupt routine ran in every frame but the first.
                if (p.interrupts) {
                    EXPECT_GE(results[1].memory[0x1F0A], 30 + 3 * 4);
                }
            }
}

// A poll loop counted out (LODA, a test of the register, a branch back while
// the byte read stays the same) leaves every frame as executing each of its
// instructions does: the collisions that change the status mid-line, the
// object completions at the line's start, the vertical blank and the
// interrupts taken while it polls are seen at the same clocks.
TEST_F(Interton, PollLoopsCountedOutRunAsExecuted) {
    struct Program {
        const char* what;
        std::vector<u8> poll; // at $0020; the objects are moved after it
        bool interrupts;
    };
    const Program programs[] = {
        {"TMI on the collisions and blank, BCFR", {0x0C, 0x1F, 0xCB, 0xF4, 0x40, 0x98, 0x79}, false},
        {"COMI, BCTR: out at the first change", {0x0C, 0x1F, 0xCB, 0xE4, 0x00, 0x18, 0x79}, false},
        {"the grid and completions, r2, BCFA",
         {0x0E, 0x1F, 0xCA, 0xF6, 0x01, 0x9C, 0x00, 0x20},
         false},
        {"blank, interrupts taken", {0x0D, 0x1F, 0xCB, 0xF5, 0x40, 0x99, 0x79}, true},
        {"a keypad byte, interrupts taken", {0x0D, 0x1E, 0x88, 0xE5, 0x0F, 0x18, 0x79}, true},
    };
    // The interrupt routine at $0003 moves object 0 down a line.
    const u8 vector[] = {0x1F, 0x00, 0x20, 0x0E, 0x1F, 0x0C, 0x86, 0x01, 0xCE, 0x1F, 0x0C, 0x37};
    for (int machine_no : {INTERTON, ELEKTOR})
        for (const Program& p : programs) {
            SCOPED_TRACE(std::string(machine_no == INTERTON ? "Interton, " : "Elektor, ") + p.what);
            std::vector<MachineSnapshot> frames[2];
            for (u8 counting : {1, 0}) {
                cpu_poll_skipping = counting;
                collisions = 1;
                ASSERT_TRUE(machine_switch(machine_no, machine_no == INTERTON ? 3 : 5, true, true,
                                           false));
                machine_reset();
                std::vector<u8> code(vector, vector + sizeof vector);
                code.resize(0x20);
                code.insert(code.end(), p.poll.begin(), p.poll.end());
                for (u32 n = 0; n < 4; n++) // HC and VC of each object one on
                    for (u32 a : {0x1F0Au + pvi_object_block[n], 0x1F0Cu + pvi_object_block[n]})
                        code.insert(code.end(), {0x0D, static_cast<u8>(a >> 8), static_cast<u8>(a),
                                                 0x85, 0x01, 0xCD, static_cast<u8>(a >> 8),
                                                 static_cast<u8>(a)});
                code.insert(code.end(), {0x1F, 0x00, 0x20});
                std::memcpy(guest_memory, code.data(), code.size());
                cpu_iar = 0;
                cpu_psu = p.interrupts ? static_cast<u8>(cpu_psu & ~PSU_II)
                                       : static_cast<u8>(cpu_psu | PSU_II);
                // Objects 0 and 1 on each other, 2 and 3 meeting, all over the grid.
                static constexpr u8 HC[4] = {30, 33, 90, 96}, VC[4] = {20, 22, 60, 65};
                for (u32 n = 0; n < 4; n++) {
                    const u32 block = pvi_object_block[n];
                    for (u32 r = 0; r < 10; r++)
                        set_pvi(block + r, static_cast<u8>(0x3C ^ (r * 0x11) ^ n));
                    set_pvi(block + 10, HC[n]);
                    set_pvi(block + 11, static_cast<u8>(HC[n] + 40));
                    set_pvi(block + 12, VC[n]);
                    set_pvi(block + 13, 12);
                }
                for (u32 i = 0; i < 0x28; i++)
                    set_pvi(0x80 + i, static_cast<u8>(i % 3 ? 0x81 : 0xFF));
                set_pvi(PVI_SIZES, 0x1B);
                set_pvi(PVI_SPR01COLOURS, 0x0A);
                set_pvi(PVI_BGCOLOUR, 0x2B);
                for (int f = 0; f < 8; f++) {
                    emu_run_frame();
                    frames[counting].push_back(
                        MachineSnapshot::take(pvi_pixel_cells, sizeof pvi_pixel_cells));
                }
            }
            cpu_poll_skipping = 1;
            for (std::size_t f = 0; f < frames[0].size(); f++) {
                SCOPED_TRACE("frame " + std::to_string(f));
                expect_same_snapshot(frames[0][f], frames[1][f]);
            }
            // The objects moved in every frame but the first.
            EXPECT_GE(frames[1].back().memory[0x1F0A], 30 + 6);
        }
}

TEST_F(Interton, TitleProgramIsItsOwnKnownGame) {
    // The database row identifies the program's bytes and nothing else.
    EXPECT_EQ(game_identify_data(interton_stub_program, INTERTON_STUB_SIZE), 132);
    u8 changed[INTERTON_STUB_SIZE];
    std::memcpy(changed, interton_stub_program, INTERTON_STUB_SIZE);
    changed[INTERTON_STUB_SIZE - 1] ^= 1;
    EXPECT_EQ(game_identify_data(changed, INTERTON_STUB_SIZE), -1);
    EXPECT_EQ(game_identify_data(interton_stub_program, INTERTON_STUB_SIZE - 1), -1);

    stubprograms = 1;
    ASSERT_TRUE(machine_switch(INTERTON, 1, true, true, false));
    EXPECT_EQ(known_game_id, 132);
    EXPECT_EQ(memmap, static_cast<u32>(machine_table[INTERTON].default_memmap));
    game_info_text();
    EXPECT_STREQ(game_info_fields[0], "Title program");
    EXPECT_STREQ(game_info_fields[4], "287 bytes");
}

} // namespace
