// The laboratory instruments on the PIPBUG ports: the wind furnace model, the
// linearization commands, the magnetometer's reads and earth frame, the texts,
// the LED panel and the pictures.
#include "peripherals/lab.h"

#include "computers/pipbug.h"
#include "core/frame.h"
#include "core/machine.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/debug_state.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"
#include "display/led.h"
#include "tests/support/fresh_state.h"
#include "tests/support/indexed_png.h"
#include "tests/support/png_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {


class Lab : public ::testing::Test {
  protected:
    void SetUp() override {
        fresh_state();
        pipbug_bios = 2;
        pipbug_vdu = 2;
        ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
        declinate = 0;
    }
    void TearDown() override {
        pipbug_peripheral = 0; // settings outlive fresh_state
        declinate = 1;
        fresh_state();
    }
    void instrument(i32 p) { pipbug_peripheral = p; }
    // A guest OUT to `port`, as the board's decode passes it on.
    void out(u32 port, u8 value) { pipbug_io_write(port, value); }
    // Runs the furnace model over frames first..last.
    void ticks(u32 first, u32 last) {
        for (u32 f = first; f <= last; f++) {
            frame_counter = f;
            lab_furnace_tick();
        }
    }
};

TEST_F(Lab, PitchMotorStepsEverySeventeenFramesAndStopsAtTheEnds) {
    instrument(LAB_FURNACE);
    out(0, 0xFF); // feathering at full speed: 2159 / 127 = 17 frames a step
    ticks(1, 16);
    EXPECT_EQ(lab_furnace[FURNACE_PITCH], 0);
    ticks(17, 17);
    EXPECT_EQ(lab_furnace[FURNACE_PITCH], 1);
    ticks(18, 17 * 95);
    EXPECT_EQ(lab_furnace[FURNACE_PITCH], 90); // stops at 90

    out(0, 0x7F); // unfeathering at full speed down to 0
    ticks(17 * 96, 17 * 200);
    EXPECT_EQ(lab_furnace[FURNACE_PITCH], 0);

    lab_furnace[FURNACE_PITCH] = 40;
    for (u8 still : {0x80, 0x00}) {
        out(0, still);
        ticks(0, 3000);
        EXPECT_EQ(lab_furnace[FURNACE_PITCH], 40) << int(still);
    }
    lab_furnace[FURNACE_PITCH] = 200; // out of range: clamped first
    ticks(1, 1);
    EXPECT_EQ(lab_furnace[FURNACE_PITCH], 90);
}

TEST_F(Lab, YawMotorTurnsOnlyWithTheDriveEngaged) {
    instrument(LAB_FURNACE);
    out(1, 0x81); // clockwise at speed 1: a step every 12700 frames
    out(4, 0);
    ticks(12699, 12701);
    EXPECT_EQ(lab_furnace[FURNACE_YAW], 0);
    out(4, 1);
    ticks(12699, 12699);
    EXPECT_EQ(lab_furnace[FURNACE_YAW], 0);
    ticks(12700, 12701);
    EXPECT_EQ(lab_furnace[FURNACE_YAW], 1);
    ticks(25400, 25400);
    EXPECT_EQ(lab_furnace[FURNACE_YAW], 2);
    out(1, 0x01); // anticlockwise wraps below 0
    lab_furnace[FURNACE_YAW] = 0;
    ticks(0, 0);
    EXPECT_EQ(lab_furnace[FURNACE_YAW], 255);
}

TEST_F(Lab, WindRotorAndPowerFollowTheModel) {
    instrument(LAB_FURNACE);
    frame_counter = 1;
    // Wind from 0 with the hub at 255: no yaw error, the whole wind counts.
    lab_furnace[FURNACE_YAW] = 255;
    lab_furnace[FURNACE_WIND_SPEED] = 10;
    lab_furnace_tick();
    EXPECT_EQ(lab_furnace[FURNACE_ROTOR], 134); // 134.959...
    // The hub at 128: 179.29 degrees off the wind, nothing reaches the rotor.
    lab_furnace[FURNACE_YAW] = 128;
    lab_furnace_tick();
    EXPECT_EQ(lab_furnace[FURNACE_ROTOR], 0);
    EXPECT_EQ(lab_mech_power, 0.0);

    lab_furnace[FURNACE_YAW] = 0;
    lab_furnace[FURNACE_WIND_SPEED] = 14;
    lab_furnace_tick();
    EXPECT_EQ(lab_furnace[FURNACE_ROTOR], 180); // clamped
    // Half feathered: half the wind.
    lab_furnace[FURNACE_PITCH] = 45;
    lab_furnace_tick();
    EXPECT_EQ(lab_furnace[FURNACE_ROTOR], static_cast<u8>(7.0 * 420 / 31.12061682646049));

    // Full field current: electrical power equals mechanical, up to 25.
    lab_furnace[FURNACE_PITCH] = 0;
    lab_furnace[FURNACE_WIND_SPEED] = 5;
    out(2, 255);
    lab_furnace_tick();
    EXPECT_GT(lab_mech_power, 0.0);
    EXPECT_DOUBLE_EQ(lab_elec_power, lab_mech_power);
    lab_furnace[FURNACE_WIND_SPEED] = 255;
    lab_furnace_tick();
    EXPECT_GT(lab_mech_power, 25.0);
    EXPECT_EQ(lab_elec_power, 25.0);
}

TEST_F(Lab, FurnacePortsReadTheSensorsBySelection) {
    instrument(LAB_FURNACE);
    const u8 values[5] = {11, 22, 33, 44, 55}; // rotor, pitch, yaw, wind speed, wind direction
    std::memcpy(lab_furnace, values, 5);
    const u8 by_selection[5] = {11, 22, 44, 33, 55};
    for (u8 n = 0; n < 5; n++) {
        out(256, static_cast<u8>(0xF0 | n)); // only the low nibble selects
        EXPECT_EQ(pipbug_io_read(257), by_selection[n]) << int(n);
    }
    out(256, 9);
    EXPECT_EQ(pipbug_io_read(257), 0);
    out(2, 0x5C);
    EXPECT_EQ(pipbug_io_read(2), 0x5C);
    out(1, 0x00); // the furnace's motor port lights no digit
    EXPECT_EQ(led_digits[4], 0);
}

TEST_F(Lab, LinearizationLoadsItsOutputsAndReadsTheChannels) {
    instrument(LAB_LINEARIZATION);
    out(5, 0x34);
    out(6, 0x12); // the low nibble only
    EXPECT_EQ(port_records[6].last_value, 0x02);
    out(4, 8);
    out(4, 12);
    EXPECT_EQ(lab_linear[LIN_OUT_X], 0x234);
    out(5, 0xAB);
    out(4, 4); // output Y's low byte, its high nibble kept
    out(6, 0x0F);
    out(4, 12);
    EXPECT_EQ(lab_linear[LIN_OUT_Y], 0xFAB);
    out(6, 0x01);
    out(4, 44);
    out(4, 12); // after a channel selection: nothing changes
    EXPECT_EQ(lab_linear[LIN_OUT_X], 0x234);
    EXPECT_EQ(lab_linear[LIN_OUT_Y], 0xFAB);
    out(4, 99); // an unknown command keeps the selection
    EXPECT_EQ(lab_select, 44);

    lab_linear[LIN_IN_X] = 0x9C5;
    EXPECT_EQ(pipbug_io_read(5), 0xC5);
    EXPECT_EQ(pipbug_io_read(6), 0x09);
    out(4, 47);
    EXPECT_EQ(pipbug_io_read(5), 0xAB);
    EXPECT_EQ(pipbug_io_read(6), 0x0F);
    // Without a channel selected, ports 5 and 6 give the previous read's value.
    out(4, 8);
    EXPECT_EQ(pipbug_io_read(25), 0x80);
    EXPECT_EQ(pipbug_io_read(5), 0x80);
    EXPECT_EQ(pipbug_io_read(6), 0x80);
}

TEST_F(Lab, MagnetometerReadsInvertedHalvesAndTakesTheDataPort) {
    instrument(LAB_MAGNETOMETER);
    lab_magnetometer[MAG_HX] = 2048;
    lab_magnetometer[MAG_ROLL] = 2047;
    led_digits[0] = 0;
    out(257, 1);
    EXPECT_EQ(lab_select, 1);
    EXPECT_EQ(led_digits[0], 0); // the data port is the selection, not the digits
    EXPECT_EQ(pipbug_io_read(256), 0x7F);
    EXPECT_EQ(pipbug_io_read(257), 0xFF);
    out(257, 0x15); // the low nibble: register 5
    EXPECT_EQ(pipbug_io_read(256), 0x80);
    EXPECT_EQ(pipbug_io_read(257), 0x0F);
    for (u8 none : {0, 6, 15}) {
        out(257, none);
        EXPECT_EQ(pipbug_io_read(256), 0xFF);
        EXPECT_EQ(pipbug_io_read(257), 0xFF);
    }
}

TEST_F(Lab, MagnetometerEarthFrameAndLatitudes) {
    std::fill(std::begin(lab_magnetometer), std::end(lab_magnetometer), u16{2048});
    lab_mag_convert();
    EXPECT_EQ(lab_text("%f", lab_mag.earth_hx), "0.000000");
    EXPECT_EQ(lab_text("%f", lab_mag.earth_hy), "0.000000");
    EXPECT_EQ(lab_text("%f", lab_mag.earth_hz), "0.000000");
    EXPECT_EQ(lab_text("%+.5f", lab_mag.yaw_deg), "+0.00000");
    EXPECT_EQ(lab_latitude_text(lab_mag.lat_inclination), "0.0");
    EXPECT_EQ(lab_latitude_text(lab_mag.lat_intensity), "0.0");

    // Level flight, field north and down: heading 0, latitude north.
    lab_magnetometer[MAG_HX] = 2048 + 1000; // 292 mG
    lab_magnetometer[MAG_HZ] = 2048 + 1000;
    lab_mag_convert();
    EXPECT_NEAR(lab_mag.earth_hx, 292.0, 1e-9);
    EXPECT_NEAR(lab_mag.lat_inclination, 45.0, 1e-9);
    EXPECT_NEAR(lab_mag.lat_intensity, std::asin(292.0 / 600) * 180 / 3.141592653589793, 1e-9);
    EXPECT_EQ(lab_latitude_text(45.0), "45.000000 N");
    EXPECT_EQ(lab_latitude_text(-3.5), "3.500000 S");
    lab_magnetometer[MAG_HZ] = 0; // -598 mG
    lab_mag_convert();
    EXPECT_NEAR(lab_mag.lat_intensity, -85.3, 0.1);
    // Nose down 45 degrees into a field along X and Z: past 600 mG down, held at 90.
    lab_magnetometer[MAG_HX] = 4095;
    lab_magnetometer[MAG_HZ] = 4095;
    lab_magnetometer[MAG_PITCH] = 2048 - 128;
    lab_mag_convert();
    EXPECT_GT(lab_mag.earth_hz, 600.0);
    EXPECT_EQ(lab_mag.lat_intensity, 90.0);
    EXPECT_EQ(lab_latitude_text(lab_mag.lat_intensity), "90.000000 N");
    // The declination turns the heading by 9.6 degrees.
    lab_magnetometer[MAG_PITCH] = 2048;
    lab_magnetometer[MAG_HZ] = 2048;
    lab_mag_convert();
    EXPECT_NEAR(lab_mag.yaw_deg, 0.0, 1e-9);
    declinate = 1;
    lab_mag_convert();
    EXPECT_NEAR(lab_mag.yaw_deg, -9.6, 1e-9);
}

TEST_F(Lab, ValueTexts) {
    EXPECT_EQ(lab_speed_text(0), "0.0");
    EXPECT_EQ(lab_speed_text(127), "100.0");
    EXPECT_EQ(lab_speed_text(64), "~50.4");
    EXPECT_EQ(lab_speed_text(0xC0), "~50.4"); // the direction bit is not speed
    EXPECT_EQ(lab_direction_text(0), "0");
    EXPECT_EQ(lab_direction_text(255), "360");
    EXPECT_EQ(lab_direction_text(128), "~180");
    EXPECT_EQ(lab_field_text(255), "994.5");
    EXPECT_EQ(lab_field_text(0), "0.0");
    EXPECT_EQ(lab_linear_text(4095), "+998.936");
    EXPECT_EQ(lab_linear_text(0), "-999.424");
    EXPECT_EQ(lab_linear_text(2048), "+0.000");
    EXPECT_EQ(lab_reading_text(MAG_HX, 2048 + 100), "+29.200");
    EXPECT_EQ(lab_reading_text(MAG_PITCH, 2048 - 10), "-3.51560");
}

// The panel redraw shows what the port writes show, for every instrument.
TEST_F(Lab, LedRedrawMatchesThePortWrites) {
    const u8 bytes[5] = {0xFA, 0x5A, 0x3C, 0x81, 8}; // ports 1, 2, 4, 8, 16
    for (i32 p : {LAB_EA_PRINTER, LAB_LINEARIZATION, LAB_MAGNETOMETER, LAB_FURNACE}) {
        instrument(LAB_MAGNETOMETER); // the one whose writes light every digit
        std::fill(std::begin(led_digits), std::end(led_digits), u8{0});
        const u32 ports[5] = {1, 2, 4, 8, 16};
        for (int i = 0; i < 5; i++)
            out(ports[i], bytes[i]);
        u8 written[13];
        std::memcpy(written, led_digits, 13);
        instrument(p);
        std::fill(std::begin(led_digits) + 4, std::end(led_digits), u8{0});
        lab_redraw_leds();
        for (int d = 4; d < 13; d++)
            EXPECT_EQ(led_digits[d], written[d]) << "instrument " << p << " digit " << d;
    }
    EXPECT_EQ(led_digits[4], led_font_pipbug[5]);
    EXPECT_EQ(led_digits[8], led_font_pipbug[0xC]);
    EXPECT_EQ(led_digits[9], led_font_pipbug[0x3]);
    EXPECT_EQ(led_digits[11], led_font_pipbug[0x7]);
    EXPECT_EQ(led_digits[12], led_font_pipbug[0xE]);

    // Digits 0-3 by the data port's high bits, kept by the redraw.
    instrument(LAB_FURNACE);
    out(257, 0x56); // bits 6 and 4: digits 1 and 3 show 6
    EXPECT_EQ(led_digits[0], 0);
    EXPECT_EQ(led_digits[1], led_font_pipbug[6]);
    EXPECT_EQ(led_digits[2], 0);
    EXPECT_EQ(led_digits[3], led_font_pipbug[6]);
    lab_redraw_leds();
    EXPECT_EQ(led_digits[1], led_font_pipbug[6]);

    // The 32-column VDU has no room past digit 6.
    pipbug_vdu = 1;
    ASSERT_TRUE(machine_switch(PIPBUG, 9, false, true, false));
    std::fill(std::begin(led_digits), std::end(led_digits), u8{0});
    lab_set_port(4, 0);
    lab_redraw_leds();
    EXPECT_EQ(led_digits[6], led_font_pipbug[0xF]);
    EXPECT_EQ(led_digits[8], 0);
}

TEST_F(Lab, ResetToDefaultsByInstrument) {
    std::fill(std::begin(lab_linear), std::end(lab_linear), u16{0});
    std::fill(std::begin(lab_magnetometer), std::end(lab_magnetometer), u16{0});
    instrument(LAB_LINEARIZATION);
    lab_reset_defaults();
    for (u16 v : lab_linear)
        EXPECT_EQ(v, 2048);
    EXPECT_EQ(lab_magnetometer[0], 0);
    instrument(LAB_MAGNETOMETER);
    lab_reset_defaults();
    for (u16 v : lab_magnetometer)
        EXPECT_EQ(v, 2048);
    instrument(LAB_FURNACE);
    for (u32 port : {0u, 1u, 2u, 4u, 8u})
        lab_set_port(port, 0x77);
    std::fill(std::begin(lab_furnace), std::end(lab_furnace), u8{9});
    lab_mech_power = lab_elec_power = 3.0;
    lab_reset_defaults();
    for (u32 port : {0u, 1u, 2u, 4u})
        EXPECT_EQ(lab_port(port), 0);
    EXPECT_EQ(lab_port(8), 0x77);
    for (u8 v : lab_furnace)
        EXPECT_EQ(v, 0);
    EXPECT_EQ(lab_mech_power, 0.0);
    EXPECT_EQ(lab_elec_power, 0.0);
}

// The machine's frames run the model and redraw the panel: a guest that sets
// the pitch motor once sees the angle rise, and digit 4 shows its port.
TEST_F(Lab, PipbugFramesRunTheFurnaceAndRedrawThePanel) {
    instrument(LAB_FURNACE);
    static constexpr u8 PROGRAM[] = {0x04, 0xFF, 0xD4, 0x00,  // lodi,r0 $FF; wrte,r0 0
                                     0x04, 0xFA, 0xD4, 0x01,  // lodi,r0 $FA; wrte,r0 1
                                     0x1B, 0x7E};             // bctr,un $
    std::memcpy(guest_memory + 0x0440, PROGRAM, sizeof PROGRAM);
    cpu_iar = 0x0440;
    frame_skip = 1;
    frame_counter = 0;
    for (int f = 0; f < 17 * 3 + 1; f++)
        emu_run_frame();
    EXPECT_EQ(lab_port(0), 0xFF);
    EXPECT_EQ(lab_furnace[FURNACE_PITCH], 4); // frames 0, 17, 34 and 51
    EXPECT_EQ(led_digits[4], led_font_pipbug[5]); // the furnace's write lit nothing; the redraw does
}

// ---- Pictures ---------------------------------------------------------------------------

IndexedPicture canvas() {
    IndexedPicture p;
    p.width = p.height = LAB_CANVAS;
    p.pixels.assign(lab_canvas, lab_canvas + sizeof lab_canvas);
    return p;
}

int count(u8 colour) {
    return static_cast<int>(std::count(std::begin(lab_canvas), std::end(lab_canvas), colour));
}

TEST_F(Lab, LinesFollowBresenhamAndClipPixelByPixel) {
    std::memset(lab_canvas, LAB_BLACK, sizeof lab_canvas);
    lab_draw_line(0, 0, 5, 2, LAB_WHITE);
    const int want[6][2] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
    for (const auto& xy : want)
        EXPECT_EQ(lab_canvas[xy[1] * LAB_CANVAS + xy[0]], LAB_WHITE) << xy[0];
    EXPECT_EQ(count(LAB_WHITE), 6);
    lab_draw_line(7, 7, 7, 7, LAB_RED); // a single point
    EXPECT_EQ(count(LAB_RED), 1);

    // From outside through the canvas and out again: only the inside pixels.
    std::memset(lab_canvas, LAB_BLACK, sizeof lab_canvas);
    lab_draw_line(-20, 100, 300, 100, LAB_GREEN);
    EXPECT_EQ(count(LAB_GREEN), LAB_CANVAS);
    lab_draw_line(-10, -10, 10, 10, LAB_BLUE); // the diagonal's inside half
    EXPECT_EQ(count(LAB_BLUE), 11);
    EXPECT_EQ(lab_canvas[0], LAB_BLUE);
    EXPECT_EQ(lab_canvas[10 * LAB_CANVAS + 10], LAB_BLUE);
}

TEST_F(Lab, LinearizationDotsSitAtTheChannelPlaces) {
    instrument(LAB_LINEARIZATION);
    lab_linear[LIN_IN_X] = 4095;
    lab_linear[LIN_IN_Y] = 2048;
    lab_linear[LIN_OUT_X] = 0;
    lab_linear[LIN_OUT_Y] = 2048;
    lab_draw_graph();
    EXPECT_EQ(count(LAB_RED), 25);
    EXPECT_EQ(lab_canvas[96 * LAB_CANVAS + 189], LAB_RED);
    EXPECT_EQ(lab_canvas[96 * LAB_CANVAS + 3], LAB_BLUE);
    lab_linear[LIN_IN_Y] = 0; // y = 96 + 93: the corner square reaches the canvas edge
    lab_draw_graph();
    EXPECT_EQ(count(LAB_RED), 25);
    EXPECT_EQ(lab_canvas[191 * LAB_CANVAS + 191], LAB_RED);
    EXPECT_EQ(lab_canvas[186 * LAB_CANVAS + 189], LAB_BLACK);
}

TEST_F(Lab, InstrumentPicturesMatchTheGoldenFrames) {
    instrument(LAB_FURNACE);
    lab_furnace[FURNACE_YAW] = 40;
    lab_furnace[FURNACE_WIND_DIR] = 70;
    lab_furnace[FURNACE_WIND_SPEED] = 30;
    lab_furnace[FURNACE_PITCH] = 20;
    lab_furnace[FURNACE_ROTOR] = 120;
    lab_set_port(0, 0xC0);
    lab_set_port(1, 0x40);
    lab_set_port(4, 1);
    lab_draw_graph();
    EXPECT_EQ(check_golden_picture("lab_furnace", canvas()), "");

    instrument(LAB_LINEARIZATION);
    const u16 channels[4] = {3000, 1500, 1000, 2600};
    std::memcpy(lab_linear, channels, sizeof channels);
    lab_draw_graph();
    EXPECT_EQ(check_golden_picture("lab_linearization", canvas()), "");

    instrument(LAB_MAGNETOMETER);
    const u16 readings[5] = {2048 + 900, 2048 + 400, 2048 + 1200, 2048 + 40, 2048 - 80};
    std::memcpy(lab_magnetometer, readings, sizeof readings);
    declinate = 1;
    lab_mag_convert();
    lab_draw_graph();
    EXPECT_EQ(check_golden_picture("lab_magnetometer", canvas()), "");

    // At rest: the arrow heads at the origins and no shafts or bars.
    std::fill(std::begin(lab_magnetometer), std::end(lab_magnetometer), u16{2048});
    declinate = 0;
    lab_mag_convert();
    lab_draw_graph();
    EXPECT_EQ(lab_canvas[64 * LAB_CANVAS + 48], LAB_YELLOW);
    EXPECT_EQ(lab_canvas[60 * LAB_CANVAS + 48], LAB_BLACK);
    EXPECT_EQ(lab_canvas[64 * LAB_CANVAS + 150], LAB_BLACK);
    EXPECT_EQ(lab_canvas[64 * LAB_CANVAS + 144], LAB_WHITE);
}

} // namespace
