// The laboratory instruments that hang on the PIPBUG board's I/O ports, one at
// a time by "pipbug_peripheral": the linearization interface (1), the vector
// magnetometer (2) and the wind furnace controller (3); 0 is the EA printer,
// which is not an instrument. Also the board's LED digit panel, which the same
// ports drive, the texts the instruments window shows and the 192 x 192
// picture of each instrument.
//
// The instruments keep their outputs in the last bytes written to the ports
// (port_records[port].last_value); the machine's port decode hands the ports
// to lab_port_read and lab_port_write and runs the furnace model and the LED
// redraw at its frame end:
//
//   if (lab_port_read(port, &v)) latch = v;  // in the board's read decode
//   lab_furnace_tick();                       // end of every frame
//   lab_mag_convert(); lab_draw_graph();      // the picture of the chosen one
#pragma once

#include "core/types.h"

#include <string>

enum LabPeripheral : i32 {
    LAB_EA_PRINTER = 0,
    LAB_LINEARIZATION = 1,
    LAB_MAGNETOMETER = 2,
    LAB_FURNACE = 3,
};

// The register selection of the linearization and magnetometer interfaces.
extern u8 lab_select;

// Linearization channels, 12 bits with 2048 the centre: input X and Y (set by
// the user), output X and Y (loaded by the guest); channels 44 to 47.
enum LabLinear { LIN_IN_X, LIN_IN_Y, LIN_OUT_X, LIN_OUT_Y };
extern u16 lab_linear[4];

// Magnetometer readings (registers 1 to 5), 12 bits with 2048 meaning zero.
enum LabMagnetometer { MAG_HX, MAG_HY, MAG_HZ, MAG_PITCH, MAG_ROLL };
extern u16 lab_magnetometer[5];

// Wind furnace values, in their save-state order.
enum LabFurnace {
    FURNACE_ROTOR,      // rotor speed, 0-180 rpm (computed)
    FURNACE_PITCH,      // blade pitch angle, 0-90 degrees
    FURNACE_YAW,        // hub yaw direction, 256 steps a turn
    FURNACE_WIND_SPEED, // 0-255 mph
    FURNACE_WIND_DIR,   // 256 steps a turn
};
extern u8 lab_furnace[5];
extern double lab_mech_power, lab_elec_power; // computed every frame, not saved

// Every instrument value as at start-up: at rest, nothing selected (the
// program starts there; test support puts them back with it).
void lab_reset();

// The furnace's output ports: pitch motor, yaw motor, field current, yaw drive.
constexpr u32 FURNACE_PITCH_MOTOR = 0, FURNACE_YAW_MOTOR = 1, FURNACE_FIELD = 2,
              FURNACE_DRIVE = 4;
// The byte last written to `port` (what the instruments take as their outputs).
u8 lab_port(u32 port);
void lab_set_port(u32 port, u8 value);

// A guest read of `port` with the chosen instrument: true with *value when the
// instrument answers it, false when the board's decode answers.
bool lab_port_read(u32 port, u8* value);
// A guest write of `value` to `port` (which the port trace then keeps; the
// linearization keeps port 6's low nibble only). True when the instrument
// takes the byte as its own, so that the board does nothing else with it.
bool lab_port_write(u32 port, u8* value);

// One step of the wind furnace model (every frame, whatever is chosen).
void lab_furnace_tick();
// Redraws the LED panel from the stored digits and the port bytes.
void lab_redraw_leds();
// The chosen instrument's values back to rest.
void lab_reset_defaults();

// What the magnetometer's readings mean, worked out by lab_mag_convert.
struct LabMagView {
    double hx, hy, hz;                   // plane frame, mG
    double pitch_deg, roll_deg;          // attitude
    double pitch, roll;                  // the same in radians
    double earth_hx, earth_hy, earth_hz; // earth frame, mG
    double yaw, yaw_deg;                 // the plane's heading
    double lat_inclination, lat_intensity; // latitudes in degrees
};
extern LabMagView lab_mag;
// Converts the readings, rotates them into the earth frame (and by the
// declination with "declinate" on) and works out heading and latitudes.
void lab_mag_convert();
void lab_mag_to_earth();

// ---- Texts of the instruments window ----------------------------------------------
// A motor speed (0-127) in percent: "0.0", "~50.4", "100.0".
std::string lab_speed_text(u8 speed);
// The field current byte in mV: byte x 3.9 ("994.5").
std::string lab_field_text(u8 byte);
// A direction byte in degrees (255 steps to 360): "0", "~180", "360".
std::string lab_direction_text(u8 byte);
// A linearization channel in mV: "%+.3f" of (value - 2048) x 0.488.
std::string lab_linear_text(u16 value);
// A magnetometer reading as its window shows it (register 0-4).
std::string lab_reading_text(int reg, u16 value);
// A latitude: "12.000000 N", "3.500000 S", exactly 0 "0.0".
std::string lab_latitude_text(double degrees);
// "%f", "%+.5f" and "%.3f" of a value.
std::string lab_text(const char* format, double value);

// ---- The picture ---------------------------------------------------------------------
constexpr int LAB_CANVAS = 192;
// Each pixel holds the number k of the display's extra colour it shows.
extern u8 lab_canvas[LAB_CANVAS * LAB_CANVAS]; // (x, y) at y * 192 + x
// Colours of the pictures (extra colours of the display).
constexpr u8 LAB_RED = 0, LAB_BLUE = 1, LAB_GREEN = 2, LAB_YELLOW = 3, LAB_MAGENTA = 5,
             LAB_CYAN = 6, LAB_WHITE = 8, LAB_BLACK = 9, LAB_SKY = 11, LAB_EARTH = 14;
// A line from (x0, y0) to (x1, y1) both ends included, clipped pixel by pixel.
void lab_draw_line(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour);
// Draws the chosen instrument's picture (the magnetometer's from lab_mag).
void lab_draw_graph();
