// The PIPBUG machine: its serial line at every baud rate, the monitor patches,
// the ports and the VDU picture.
#include "computers/pipbug.h"

#include "computers/pipbug_vdu.h"
#include "computers/terminal.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/objfile.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/savestate_seams.h"
#include "display/led.h"
#include "core/guest_roms.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/debug_state.h"
#include "core/frame.h"
#include "display/frame.h"
#include "display/host.h"
#include "input/key_events.h"
#include "tests/computers/pipbug_echo.h"
#include "tests/support/fresh_state.h"
#include "core/user_prefs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

class Pipbug : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        guest_roms_reset_warnings();
        queuekeystrokes = 1;
        pipbug_bios = 2;
        pipbug_vdu = 2;
        pipbug_peripheral = 0;
    }
    void start(u32 bios, i32 baud, i32 vdu) {
        pipbug_bios = bios;
        pipbug_baudrate = baud;
        pipbug_vdu = vdu;
        prefs_take_user_choice(); // as a settings file held them
        ASSERT_TRUE(machine_switch(PIPBUG, bios == 3 ? 10 : 9, false, true, false));
    }
    // The text on the cursor's starting row.
    std::string line(int row) {
        std::string out;
        for (int c = 0; c < vdu_columns && vdu_cell(c, row) != vdu_blank_char; c++)
            out += static_cast<char>(vdu_cell(c, row));
        return out;
    }
};

TEST_F(Pipbug, BitTimeAndMonitorPatchesPerBaudRate) {
    struct Case {
        u32 bios;
        i32 baud, want_baud;
        u32 bit;
        std::vector<std::pair<u16, u8>> bytes;
    } const cases[] = {
        {2,
         0,
         0,
         9091,
         {{0x02A8, 0x20},
          {0x02A9, 0xF8},
          {0x02AA, 0x7E},
          {0x02AD, 0xF8},
          {0x02AE, 0x7E},
          {0x02B0, 0xE5}}},
        {2, 1, 1, 3333, {{0x02A8, 0x20}, {0x02A9, 0xA4}, {0x02AD, 0xA4}}},
        {2,
         2,
         2,
         208,
         {{0x02A8, 0xC0},
          {0x02A9, 0x04},
          {0x02AA, 0x07},
          {0x02AD, 0xC0},
          {0x02AE, 0xC0},
          {0x02B0, 0x07}}},
        {3, 0, 0, 9091, {{0x0816, 0xF9}}},
        {3, 2, 1, 3333, {{0x0816, 0x59}}}, // PIPBUG 2 has no 4800 baud
        {1, 0, 1, 3333, {}},               // HYBUG always runs at 300 baud
        {0, 0, 2, 208, {}},                // Artemis always at 4800
    };
    for (const Case& c : cases) {
        start(c.bios, c.baud, 2);
        EXPECT_EQ(pipbug_baudrate, c.want_baud) << c.bios << "/" << c.baud;
        EXPECT_EQ(serial_bit_cycles, c.bit) << c.bios << "/" << c.baud;
        for (const auto& [address, value] : c.bytes)
            EXPECT_EQ(guest_memory[address], value) << std::hex << address;
    }
}

TEST_F(Pipbug, ReceivedCharacterTakesTwentyTwoBitTimesLeastSignificantBitFirst) {
    start(2, 2, 2);
    guest_key_queue_append_text("\xA5");
    cpu_cycles = 1000;
    pipbug_poll_teletype_key();
    EXPECT_EQ(teletype_rx_state, 1);
    EXPECT_FALSE(cpu_psu & PSU_S); // the start bit
    std::string line_states;
    for (int t = 1; t <= 22; t++) {
        cpu_cycles = 1000 + 208 * t - 1;
        teletype_bit_timing();
        EXPECT_EQ(teletype_rx_state, t) << "not before its due time, bit " << t;
        cpu_cycles++;
        teletype_bit_timing();
        line_states += (cpu_psu & PSU_S) ? '1' : '0';
    }
    // $A5 least significant bit first, two stop bits, then the line idles marking.
    EXPECT_EQ(line_states.substr(0, 10), "1010010111");
    EXPECT_EQ(teletype_rx_state, 0);
    EXPECT_TRUE(cpu_psu & PSU_S);
}

TEST_F(Pipbug, TransmitterSamplesFlagInTheMiddleOfEachBit) {
    start(2, 1, 2);
    vdu_cursor_col = vdu_cursor_row = 0;
    cpu_cycles = 5000;
    cpu_psu &= static_cast<u8>(~PSU_F);
    cpu_bus.flag_written(PSU_F);
    EXPECT_EQ(teletype_tx_due, 5000u + 3333u + 1666u);
    const u8 sent = 'K'; // 0x4B
    for (int b = 0; b < 8; b++) {
        if (sent & (1 << b))
            cpu_psu |= PSU_F;
        else
            cpu_psu &= static_cast<u8>(~PSU_F);
        cpu_cycles = teletype_tx_due;
        teletype_bit_timing();
    }
    EXPECT_EQ(teletype_tx_state, 0);
    EXPECT_EQ(vdu_cell(0, 0), 'K');
}

// The echo program receives what is typed and sends it back, at each baud
// rate; the terminal shows it on every VDU type.
TEST_F(Pipbug, EchoProgramAtEveryBaudRateOnEveryVdu) {
    for (i32 baud = 0; baud <= 2; baud++) {
        for (i32 vdu = 0; vdu <= 5; vdu++) {
            start(2, baud, vdu);
            const std::vector<u8> program = echo_program(0x0500, serial_bit_cycles);
            std::copy(program.begin(), program.end(), guest_memory + 0x0500);
            load_start_known = 1;
            game_start_address = 0x0500;
            machine_reset();
            const int row = vdu_cursor_row;
            guest_key_queue_append_text("HELLO, 2650!");
            for (int f = 0; f < 200 && guest_key_queue_len + teletype_rx_state > 0; f++)
                pipbug_run_frame();
            for (int f = 0; f < 20; f++)
                pipbug_run_frame();
            EXPECT_EQ(line(row), "HELLO, 2650!") << "baud " << baud << " vdu " << vdu;
        }
    }
}

TEST_F(Pipbug, MissingMonitorWarnsOnceAndStillSetsUp) {
    start(2, 1, 2);
    EXPECT_EQ(machine, PIPBUG);
    EXPECT_EQ(memmap, 9u);
    EXPECT_EQ(vdu_blank_char, 0x80);
    EXPECT_EQ(guest_memory[0x0100], 0); // the monitor's area stays empty
    // Memory map 9: the monitor is ROM.
    EXPECT_TRUE(mem_attributes[0x0000] & MEM_UNWRITABLE);
    EXPECT_FALSE(mem_attributes[0x0400] & MEM_UNWRITABLE);
}

TEST_F(Pipbug, PortsDriveTheLedDigitsAndLatchTheirReads) {
    start(2, 1, 2);
    pipbug_io_write(1, 0xFA); // digit 4 = low nibble of 255 - value = 5
    EXPECT_EQ(led_digits[4], led_font_pipbug[5]);
    pipbug_io_write(2, 0x5A); // digits 5 and 6: 255 - $5A = $A5
    EXPECT_EQ(led_digits[5], led_font_pipbug[0xA]);
    EXPECT_EQ(led_digits[6], led_font_pipbug[0x5]);
    std::fill(std::begin(led_digits), std::end(led_digits), u8{0});
    pipbug_io_write(257, 0x93); // bits 7 and 4: digits 0 and 3 show 3
    EXPECT_EQ(led_digits[0], led_font_pipbug[3]);
    EXPECT_EQ(led_digits[1], 0);
    EXPECT_EQ(led_digits[2], 0);
    EXPECT_EQ(led_digits[3], led_font_pipbug[3]);
    EXPECT_EQ(pipbug_io_read(25), 0x80);
    EXPECT_EQ(pipbug_io_read(6), 0x80); // peripheral 0: the previous read's value
    EXPECT_EQ(pipbug_io_read(257), 0x80);
    EXPECT_EQ(pipbug_io_read(0), 0);
    known_game_id = 555; // RYTMON: port 257 lights nothing
    std::fill(std::begin(led_digits), std::end(led_digits), u8{0});
    pipbug_io_write(257, 0xF7);
    EXPECT_EQ(led_digits[0], 0);
}

// The letter "A" as each VDU type draws it: the glyph rows of its font at the
// cell's place in the picture, in the text colour.
TEST_F(Pipbug, EveryVduDrawsItsOwnLetterA) {
    struct Case {
        int vdu;
        std::vector<u8> rows;
        int dx, dy, width; // text origin and glyph width
    } const cases[] = {
        {0, {0x00, 0x04, 0x0A, 0x11, 0x11, 0x1F, 0x11, 0x11}, 2, 2, 5},
        {1, {0x04, 0x0A, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x00}, 0, 0, 5},
        {2, {0x04, 0x0A, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x00}, 0, 0, 5},
        {3, {0x04, 0x0A, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x00, 0x00}, 0, 0, 5},
        {4, {0x00, 0x04, 0x0A, 0x11, 0x11, 0x1F, 0x11, 0x11}, 0, 0, 5},
        {5, {0x00, 0x10, 0x28, 0x44, 0x82, 0xFE, 0x82, 0x82, 0x00, 0x00}, 0, 0, 8},
    };
    for (const Case& c : cases) {
        start(2, 1, c.vdu);
        frame_counter = 0;
        const int row = c.vdu == 0 ? vdu_scroll : 0;
        vdu_cursor_col = 10; // away from the cell
        vdu_cell(1, row) = 'A';
        pipbug_draw_screen();
        for (size_t g = 0; g < c.rows.size(); g++)
            for (int d = 0; d < c.width; d++) {
                const bool set = c.rows[g] & ((c.width == 8 ? 0x80 : 0x10) >> d);
                const u32 x = static_cast<u32>(c.dx + vdu_cell_width + d);
                const u32 y = static_cast<u32>(c.dy) + static_cast<u32>(g);
                EXPECT_EQ(guest_frame[x * GUEST_FRAME_ROWS + y], set ? display_ink : display_paper)
                    << "vdu " << c.vdu << " row " << g << " dot " << d;
            }
    }
}

// Bit 7 without blinking shows in the highlight colour, except on the Radio
// Bulletin and the VT100; with blinking it disappears in the off phase.
TEST_F(Pipbug, HighlightedAndBlinkingCharacters) {
    for (int vdu : {2, 3, 5}) {
        start(2, 1, vdu);
        pipbug_blink = 0;
        EXPECT_EQ(vdu_cell_colour(0xC1), vdu == 2 ? 19u : u32{display_ink}) << vdu;
        EXPECT_EQ(vdu_cell_colour(0x41), u32{display_ink});
    }
    start(2, 1, 5);
    pipbug_blink = 1;
    vdu_cursor_col = 10;
    vdu_cell(0, 0) = 0xC1;
    const u32 x = 1, y = 3; // a dot of the VT100 "A" ($44 on glyph row 3)
    for (u32 f : {0u, 24u, 25u, 49u, 50u}) {
        frame_counter = f;
        pipbug_draw_screen();
        const bool visible = f % 50 <= 24;
        EXPECT_EQ(guest_frame[x * GUEST_FRAME_ROWS + y], visible ? display_ink : display_paper)
            << "frame " << f;
    }
    pipbug_blink = 0;
}

// Over a busy screen (every code, the cursor, blinking, the DRAW grid) each
// VDU type puts every pixel of its text area once, with the colour it ends
// with, whatever the frame held before; the grid drawn over it then changes
// nothing, and a second drawing puts nothing.
std::vector<std::array<u32, 3>> pipbug_plots;
void record_pipbug_plot(u32 x, u32 y, u32 colour) {
    pipbug_plots.push_back({x, y, colour});
}

TEST_F(Pipbug, EveryVduPutsEachPixelOnceWithItsFinalColour) {
    for (int vdu = 0; vdu <= 5; vdu++)
        for (u32 blink : {0u, 1u}) {
            start(2, 1, vdu);
            pipbug_blink = blink;
            draw_mode = 1;
            frame_counter = 3; // blinking things shown
            for (int c = 0; c < VDU_COLUMNS; c++)
                for (int r = 0; r < VDU_ROWS; r++)
                    vdu_cell(c, r) = static_cast<u8>(c * 5 + r * 67);
            vdu_cursor_col = 7;
            vdu_cursor_row = vdu == 0 ? vdu_scroll + 2 : 2;
            // The text area (frame coordinates: no blanking areas here).
            const u32 area_w = static_cast<u32>(machine_live[PIPBUG].width);
            const u32 area_h = static_cast<u32>(machine_live[PIPBUG].height - (showleds ? 43 : 0));
            std::vector<u8> drawn[2];
            for (int pass = 0; pass < 2; pass++) {
                for (u32 i = 0; i < sizeof guest_frame; i++) // what the frame held before
                    guest_frame[i] = static_cast<u8>(pass == 0 ? 0 : i % 23);
                display_frame_rewritten();
                pipbug_plots.clear();
                plotter_fn = record_pipbug_plot;
                pipbug_draw_screen();
                std::vector<int> times(sizeof guest_frame);
                for (const auto& [x, y, colour] : pipbug_plots) {
                    EXPECT_EQ(++times[x * GUEST_FRAME_ROWS + y], 1) << vdu << ": " << x << "," << y;
                    EXPECT_EQ(guest_frame[x * GUEST_FRAME_ROWS + y], colour) << vdu;
                }
                size_t plots = pipbug_plots.size();
                pipbug_draw_cell_grid(); // it may reach past the text area, not inside it
                for (size_t i = plots; i < pipbug_plots.size(); i++)
                    EXPECT_TRUE(pipbug_plots[i][0] >= area_w || pipbug_plots[i][1] >= area_h)
                        << vdu;
                plots = pipbug_plots.size();
                pipbug_draw_screen();
                EXPECT_EQ(pipbug_plots.size(), plots) << vdu;
                drawn[pass].assign(guest_frame, guest_frame + sizeof guest_frame);
            }
            // The text area does not depend on what the frame held.
            for (u32 x = 0; x < area_w; x++)
                EXPECT_TRUE(std::equal(drawn[0].begin() + x * GUEST_FRAME_ROWS,
                                       drawn[0].begin() + x * GUEST_FRAME_ROWS + area_h,
                                       drawn[1].begin() + x * GUEST_FRAME_ROWS))
                    << "vdu " << vdu << " column " << x;
        }
    draw_mode = 0;
    pipbug_blink = 0;
    display_select_plotter();
}

} // namespace
