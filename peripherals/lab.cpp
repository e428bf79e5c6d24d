#include "peripherals/lab.h"

#include "core/frame.h"
#include "core/settings_vars.h"
#include "cpu/debug_state.h"
#include "display/led.h"
#include "peripherals/device_link.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

u8 lab_select;
// The instruments start at rest, as "Reset to defaults" leaves them.
u16 lab_linear[4] = {2048, 2048, 2048, 2048};
u16 lab_magnetometer[5] = {2048, 2048, 2048, 2048, 2048};
u8 lab_furnace[5];
double lab_mech_power, lab_elec_power;
LabMagView lab_mag;
u8 lab_canvas[LAB_CANVAS * LAB_CANVAS];

namespace {
constexpr double PI = 3.141592653589793;
constexpr double DEGREE = 0.017453292519943295;
constexpr double DECLINATION = -0.16755160819145562; // -9.6 degrees
constexpr u8 LIN_LOAD_X = 8, LIN_LOAD_Y = 4, LIN_HIGH = 12, LIN_FIRST = 44, LIN_LAST = 47;

i32 chosen() {
    return pipbug_peripheral;
}

// The magnetometer reading the selection's low nibble chooses (1-5); -1 none.
int reading() {
    const int n = lab_select & 15;
    return n >= 1 && n <= 5 ? lab_magnetometer[n - 1] : -1;
}

void two_digits(int first, u8 value) {
    const u8 v = static_cast<u8>(255 - value);
    led_set_digit(first, v >> 4);
    led_set_digit(first + 1, v & 15);
}

// The magnetometer's two dashes (segment g of digits 7 and 10) by port 16.
void magnetometer_dash(u8 value) {
    const u32 off = drawunlit ? LED_UNLIT : LED_ERASED;
    led_draw_segment(7, 6, value == 3 || value == 8 ? LED_LIT : off);
    led_draw_segment(10, 6, value == 0 || value == 8 ? LED_LIT : off);
}

void linearization_command(u8 command) {
    const u8 low = lab_port(5);
    const u16 high = static_cast<u16>((lab_port(6) & 15) << 8);
    switch (command) {
    case LIN_LOAD_X:
    case LIN_LOAD_Y: {
        lab_select = command;
        u16& out = lab_linear[command == LIN_LOAD_X ? LIN_OUT_X : LIN_OUT_Y];
        out = static_cast<u16>((out & 0x0F00) | low);
        break;
    }
    case LIN_HIGH:
        if (lab_select == LIN_LOAD_X || lab_select == LIN_LOAD_Y) {
            u16& out = lab_linear[lab_select == LIN_LOAD_X ? LIN_OUT_X : LIN_OUT_Y];
            out = static_cast<u16>((out & 0x00FF) | high);
        }
        break;
    default:
        if (command >= LIN_FIRST && command <= LIN_LAST) lab_select = command;
        break;
    }
}
} // namespace

void lab_reset() {
    lab_select = 0;
    std::fill(std::begin(lab_linear), std::end(lab_linear), u16{2048});
    std::fill(std::begin(lab_magnetometer), std::end(lab_magnetometer), u16{2048});
    std::fill(std::begin(lab_furnace), std::end(lab_furnace), u8{0});
    lab_mech_power = lab_elec_power = 0.0;
}

u8 lab_port(u32 port) {
    return port < PORT_COUNT ? port_records[port].last_value : 0;
}

void lab_set_port(u32 port, u8 value) {
    if (port < PORT_COUNT) port_records[port].last_value = value;
}

// ---- Ports ------------------------------------------------------------------------------

bool lab_port_read(u32 port, u8* value) {
    switch (chosen()) {
    case LAB_LINEARIZATION:
        if ((port != 5 && port != 6) || lab_select < LIN_FIRST || lab_select > LIN_LAST)
            return false;
        {
            const u16 channel = lab_linear[lab_select - LIN_FIRST];
            *value = static_cast<u8>(port == 5 ? channel & 0xFF : (channel >> 8) & 15);
        }
        return true;
    case LAB_MAGNETOMETER: {
        if (port != 256 && port != 257) return false;
        const int m = reading();
        if (m < 0)
            *value = 0xFF;
        else
            *value = static_cast<u8>(port == 256 ? ~(m >> 4) : ~((m & 15) << 4));
        return true;
    }
    case LAB_FURNACE:
        if (port == FURNACE_FIELD) {
            *value = lab_port(FURNACE_FIELD);
            return true;
        }
        if (port == 257) {
            // By the selection: rotor, pitch, wind speed, yaw, wind direction.
            static constexpr int SENSOR[5] = {FURNACE_ROTOR, FURNACE_PITCH, FURNACE_WIND_SPEED,
                                              FURNACE_YAW, FURNACE_WIND_DIR};
            const u8 n = lab_port(256) & 15;
            *value = n <= 4 ? lab_furnace[SENSOR[n]] : 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool lab_port_write(u32 port, u8* value) {
    const i32 p = chosen();
    switch (port) {
    case 1:
        if (p != LAB_FURNACE) led_set_digit(4, (255 - *value) & 15);
        break;
    case 2:
        if (p != LAB_FURNACE) two_digits(5, *value);
        break;
    case 4:
        if (p == LAB_MAGNETOMETER) two_digits(8, *value);
        if (p == LAB_LINEARIZATION) linearization_command(*value);
        break;
    case 6:
        if (p == LAB_LINEARIZATION) *value &= 15;
        break;
    case 8:
        if (p == LAB_MAGNETOMETER) two_digits(11, *value);
        break;
    case 16:
        if (p == LAB_MAGNETOMETER) magnetometer_dash(*value);
        break;
    case 257:
        if (p == LAB_MAGNETOMETER) {
            lab_select = *value;
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

// ---- Wind furnace -----------------------------------------------------------------------

void lab_furnace_tick() {
    u8& pitch = lab_furnace[FURNACE_PITCH];
    u8& yaw = lab_furnace[FURNACE_YAW];
    if (pitch > 90) pitch = 90;
    const u8 pitch_motor = lab_port(FURNACE_PITCH_MOTOR);
    if (const u32 s = pitch_motor & 0x7F) {
        if (frame_counter % (2159 / s) == 0) {
            if ((pitch_motor & 0x80) && pitch <= 89)
                pitch++;
            else if (!(pitch_motor & 0x80) && pitch > 0)
                pitch--;
        }
    }
    const u8 yaw_motor = lab_port(FURNACE_YAW_MOTOR);
    if (const u32 s = yaw_motor & 0x7F; s && (lab_port(FURNACE_DRIVE) & 1)) {
        if (frame_counter % (12700 / s) == 0)
            yaw = static_cast<u8>(yaw_motor & 0x80 ? yaw + 1 : yaw - 1);
    }
    double error = lab_furnace[FURNACE_WIND_DIR] / 255.0 * 360.0 - yaw / 255.0 * 360.0;
    if (error < -180.0)
        error += 360.0;
    else if (error > 180.0)
        error -= 360.0;
    double wind = lab_furnace[FURNACE_WIND_SPEED] * std::cos(error * DEGREE);
    if (wind < 0.0) wind = 0.0;
    const double v = wind * (1.0 - pitch / 90.0);
    const double rotor = std::clamp(v * 7.0 * 60.0 / 31.12061682646049, 0.0, 180.0);
    lab_furnace[FURNACE_ROTOR] = static_cast<u8>(rotor);
    lab_mech_power = v * (77.07020757072941 * 0.000607) * v * v * 0.35;
    lab_elec_power = std::min(lab_port(FURNACE_FIELD) * 3.9 / 994.5 * lab_mech_power, 25.0);
}

// ---- LED panel ------------------------------------------------------------------------------

void lab_redraw_leds() {
    for (int d = 0; d < 4; d++)
        led_draw_digit(d);
    led_set_digit(4, (255 - lab_port(1)) & 15);
    two_digits(5, lab_port(2));
    if (device_link.led_panel_short && device_link.led_panel_short()) return;
    if (drawunlit) magnetometer_dash(lab_port(16));
    two_digits(8, lab_port(4));
    two_digits(11, lab_port(8));
}

void lab_reset_defaults() {
    switch (chosen()) {
    case LAB_LINEARIZATION:
        std::fill(std::begin(lab_linear), std::end(lab_linear), u16{2048});
        break;
    case LAB_MAGNETOMETER:
        std::fill(std::begin(lab_magnetometer), std::end(lab_magnetometer), u16{2048});
        break;
    case LAB_FURNACE:
        for (u32 port : {FURNACE_PITCH_MOTOR, FURNACE_YAW_MOTOR, FURNACE_FIELD, FURNACE_DRIVE})
            lab_set_port(port, 0);
        std::fill(std::begin(lab_furnace), std::end(lab_furnace), u8{0});
        lab_mech_power = lab_elec_power = 0.0;
        break;
    default:
        break;
    }
}

// ---- Magnetometer ----------------------------------------------------------------------------

void lab_mag_to_earth() {
    LabMagView& m = lab_mag;
    const double r = m.roll, p = m.pitch;
    m.earth_hy = m.hy * std::cos(r) - m.hz * std::sin(r);
    const double t = m.hy * std::sin(r) + m.hz * std::cos(r);
    m.earth_hz = t * std::cos(p) - m.hx * std::sin(p);
    m.earth_hx = m.hx * std::cos(p) + t * std::sin(p);
}

void lab_mag_convert() {
    LabMagView& m = lab_mag;
    auto centred = [](int reg) { return static_cast<double>(lab_magnetometer[reg]) - 2048.0; };
    m.hx = centred(MAG_HX) * 0.292;
    m.hy = centred(MAG_HY) * 0.292;
    m.hz = centred(MAG_HZ) * 0.292;
    m.pitch_deg = centred(MAG_PITCH) * 0.35156;
    m.roll_deg = centred(MAG_ROLL) * 0.35156;
    m.pitch = m.pitch_deg * PI / 180.0;
    m.roll = m.roll_deg * PI / 180.0;
    lab_mag_to_earth();
    if (declinate) {
        const double x = m.earth_hx, y = m.earth_hy, d = DECLINATION;
        m.earth_hx = x * std::cos(d) - y * std::sin(d);
        m.earth_hy = x * std::sin(d) + y * std::cos(d);
    }
    m.yaw = std::atan2(m.earth_hy, m.earth_hx);
    m.yaw_deg = m.yaw * 180.0 / PI;
    const double inclination =
        std::atan2(m.earth_hz, std::sqrt(m.earth_hx * m.earth_hx + m.earth_hy * m.earth_hy));
    m.lat_inclination = inclination * 180.0 / PI;
    if (m.earth_hz < -600.0)
        m.lat_intensity = -90.0;
    else if (m.earth_hz > 600.0)
        m.lat_intensity = 90.0;
    else
        m.lat_intensity = std::asin(m.earth_hz / 600.0) * 180.0 / PI;
}

// ---- Texts ---------------------------------------------------------------------------------------

std::string lab_text(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string lab_speed_text(u8 speed) {
    speed &= 0x7F;
    return lab_text(speed == 0 || speed == 127 ? "%3.1f" : "~%3.1f", speed / 127.0 * 100.0);
}

std::string lab_field_text(u8 byte) {
    return lab_text("%3.1f", byte * 3.9);
}

std::string lab_direction_text(u8 byte) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, byte == 0 || byte == 255 ? "%d" : "~%d",
                  static_cast<int>(byte / 255.0 * 360.0));
    return buffer;
}

std::string lab_linear_text(u16 value) {
    return lab_text("%+.3f", (static_cast<double>(value) - 2048.0) * 0.488);
}

std::string lab_reading_text(int reg, u16 value) {
    const double v = static_cast<double>(value) - 2048.0;
    return reg >= MAG_PITCH ? lab_text("%+.5f", v * 0.35156) : lab_text("%+.3f", v * 0.292);
}

std::string lab_latitude_text(double degrees) {
    if (degrees == 0.0) return "0.0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f %s", std::fabs(degrees),
                  degrees > 0.0 ? "N" : "S");
    return buffer;
}

// ---- The picture ---------------------------------------------------------------------------------

namespace {

// t(): the integer part, towards zero.
i32 t(double v) {
    return static_cast<i32>(v);
}

void plot(i32 x, i32 y, u8 colour) {
    if (x >= 0 && x < LAB_CANVAS && y >= 0 && y < LAB_CANVAS)
        lab_canvas[y * LAB_CANVAS + x] = colour;
}

void fill(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour) {
    for (i32 y = y0; y <= y1; y++)
        for (i32 x = x0; x <= x1; x++)
            plot(x, y, colour);
}

void stroke(i32 x, i32 y, i32 dx, i32 dy, u8 colour) {
    lab_draw_line(x, y, x + dx, y + dy, colour);
}

double sin_deg(double a) {
    return std::sin(a * DEGREE);
}
double cos_deg(double a) {
    return std::cos(a * DEGREE);
}

// The words on the magnetometer's picture, 29 x 5 pixels each.
using Word = const char* const[5];
constexpr Word WORD_LEFT = {"...#.....#####.#####.#####...", "...#.....#.....#.......#.....",
                            "...#.....####..####....#.....", "...#.....#.....#.......#.....",
                            "...#####.#####.#.......#....."};
constexpr Word WORD_TOP = {"....#####..###..####.........", "......#...#...#.#...#........",
                           "......#...#...#.####.........", "......#...#...#.#............",
                           "......#....###..#............"};
constexpr Word WORD_BACK = {"...####...###...###..#...#...", "...#...#.#...#.#...#.#.##....",
                            "...####..#####.#.....##......", "...#...#.#...#.#...#.#.##....",
                            "...####..#...#..###..#...#..."};
constexpr Word WORD_PLANE = {"####..#......###..#...#.#####", "#...#.#.....#...#.##..#.#....",
                             "####..#.....#####.#.#.#.####.", "#.....#.....#...#.#..##.#....",
                             "#.....#####.#...#.#...#.#####"};
constexpr Word WORD_EARTH = {"#####..###..####..#####.#...#", "#.....#...#.#...#...#...#...#",
                             "####..#####.####....#...#####", "#.....#...#.#..#....#...#...#",
                             "#####.#...#.#...#...#...#...#"};

void word(const Word& rows, i32 x, i32 y, u8 colour) {
    for (i32 r = 0; r < 5; r++)
        for (i32 c = 0; rows[r][c]; c++)
            if (rows[r][c] == '#') plot(x + c, y + r, colour);
}

void draw_furnace() {
    std::memset(lab_canvas, LAB_BLACK, sizeof lab_canvas);
    const double h = lab_furnace[FURNACE_YAW] / 255.0 * 360.0;
    const double w = lab_furnace[FURNACE_WIND_DIR] / 255.0 * 360.0;
    const double p = lab_furnace[FURNACE_PITCH];
    const i32 ax = 96 + t(24 * cos_deg(h)), ay = 96 + t(24 * sin_deg(h));
    const i32 bx = 96 - t(24 * cos_deg(h)), by = 96 - t(24 * sin_deg(h));
    lab_draw_line(ax, ay, bx, by, LAB_WHITE);
    stroke(ax, ay, t(10 * cos_deg(h - p)), t(10 * sin_deg(h - p)), LAB_MAGENTA);
    stroke(bx, by, -t(10 * cos_deg(h + p)), -t(10 * sin_deg(h + p)), LAB_MAGENTA);

    const double rotor = lab_furnace[FURNACE_ROTOR] / 180.0 * 24.0;
    if (rotor >= 1.0) stroke(96, 96, t(rotor * cos_deg(h + 270)), t(rotor * sin_deg(h + 270)), LAB_GREEN);

    const u8 yaw_motor = lab_port(FURNACE_YAW_MOTOR);
    const bool drive = lab_port(FURNACE_DRIVE) & 1;
    const i32 px = yaw_motor & 0x80 ? bx : ax, py = yaw_motor & 0x80 ? by : ay;
    const double yaw_speed = (yaw_motor & 0x7F) / 127.0 * 24.0;
    if (drive && yaw_speed >= 1.0)
        stroke(px, py, -t(yaw_speed * sin_deg(h)), t(yaw_speed * cos_deg(h)), LAB_YELLOW);
    const i32 r1x = px - t(10 * sin_deg(h + 45)), r1y = py + t(10 * cos_deg(h + 45));
    const i32 r2x = px - t(10 * sin_deg(h - 45)), r2y = py + t(10 * cos_deg(h - 45));
    lab_draw_line(px, py, r1x, r1y, LAB_YELLOW);
    lab_draw_line(px, py, r2x, r2y, LAB_YELLOW);
    if (!drive) lab_draw_line(r1x, r1y, r2x, r2y, LAB_YELLOW);

    const u8 pitch_motor = lab_port(FURNACE_PITCH_MOTOR);
    const bool feathering = pitch_motor & 0x80;
    const i32 qx = 96 - t(24 * sin_deg(h)), qy = 96 + t(24 * cos_deg(h));
    const double pitch_speed = (pitch_motor & 0x7F) / 127.0 * 24.0;
    const double a = feathering ? h + 270 : h + 90;
    if (pitch_speed >= 1.0)
        stroke(qx, qy, -t(pitch_speed * cos_deg(a)), -t(pitch_speed * sin_deg(a)), LAB_CYAN);
    const double first = feathering ? h + 225 : h + 45;
    for (double b : {first, first + 90})
        stroke(qx, qy, -t(10 * cos_deg(b)), -t(10 * sin_deg(b)), LAB_CYAN);

    const u8 speed = lab_furnace[FURNACE_WIND_SPEED];
    const double length = speed <= 49 ? speed * 0.5 : 25.0;
    const u8 colour = speed <= 49 ? LAB_BLUE : LAB_RED;
    const i32 tx = 96 + t(32 * sin_deg(w)), ty = 96 - t(32 * cos_deg(w));
    if (length >= 1.0) stroke(tx, ty, t(length * sin_deg(w)), -t(length * cos_deg(w)), colour);
    stroke(tx, ty, -t(10 * sin_deg(w + 135)), t(10 * cos_deg(w + 135)), colour);
    stroke(tx, ty, -t(10 * sin_deg(w - 135)), t(10 * cos_deg(w - 135)), colour);
}

void draw_linearization() {
    std::memset(lab_canvas, LAB_BLACK, sizeof lab_canvas);
    auto square = [](u16 x, u16 y, u8 colour) {
        const i32 cx = 96 + t((x - 2048) / 22.0), cy = 96 - t((y - 2048) / 22.0);
        fill(cx - 2, cy - 2, cx + 2, cy + 2, colour);
    };
    square(lab_linear[LIN_IN_X], lab_linear[LIN_IN_Y], LAB_RED);
    square(lab_linear[LIN_OUT_X], lab_linear[LIN_OUT_Y], LAB_BLUE);
}

// A field arrow from (ox, oy): the shaft when it is a pixel long, the head always.
void field_arrow(i32 ox, i32 oy, double hx, double hy, u8 colour) {
    const double a = std::atan2(hy, hx);
    const double length = std::sqrt(hx * hx + hy * hy) / 600.0 * 24.0;
    const i32 ex = ox + t(length * std::cos(a)), ey = oy - t(length * std::sin(a));
    if (length >= 1.0) lab_draw_line(ox, oy, ex, ey, colour);
    for (double head : {a + 135 * DEGREE, a - 135 * DEGREE})
        stroke(ex, ey, t(5 * std::cos(head)), -t(5 * std::sin(head)), colour);
}

// The vertical field as a bar from (ox, oy): negative in red, positive in sky blue.
void field_bar(i32 ox, i32 oy, i32 ex, i32 ey, double v) {
    if (v <= -1.0)
        lab_draw_line(ox, oy, ex, ey, LAB_RED);
    else if (v >= 1.0)
        lab_draw_line(ox, oy, ex, ey, LAB_SKY);
}

// Two opposite arms from (mx, my): minus (dx, dy) in one colour, plus in another.
void arms(i32 mx, i32 my, i32 dx, i32 dy, u8 minus, u8 plus) {
    lab_draw_line(mx, my, mx - dx, my - dy, minus);
    lab_draw_line(mx, my, mx + dx, my + dy, plus);
}

void draw_magnetometer() {
    const LabMagView& m = lab_mag;
    fill(0, 0, 191, 127, LAB_BLACK);
    fill(0, 128, 63, 159, LAB_SKY);
    fill(0, 160, 63, 191, LAB_EARTH);
    fill(64, 128, 127, 191, LAB_EARTH);
    fill(128, 128, 191, 159, LAB_SKY);
    fill(128, 160, 191, 191, LAB_EARTH);
    word(WORD_LEFT, 17, 186, LAB_BLACK);
    word(WORD_TOP, 81, 186, LAB_BLACK);
    word(WORD_BACK, 145, 186, LAB_BLACK);
    word(WORD_PLANE, 33, 1, LAB_WHITE);
    word(WORD_EARTH, 129, 1, LAB_WHITE);
    lab_draw_line(96, 0, 96, 127, LAB_WHITE);
    lab_draw_line(0, 128, 191, 128, LAB_WHITE);
    lab_draw_line(64, 128, 64, 191, LAB_WHITE);
    lab_draw_line(128, 128, 128, 191, LAB_WHITE);

    // Left view: the nose up by the pitch, the wing by the roll.
    arms(32, 160, t(24 * std::cos(m.pitch)), t(24 * std::sin(m.pitch)), LAB_YELLOW, LAB_BLUE);
    const double left_wing = 18 * std::sin(m.roll), u = m.pitch + PI / 2;
    arms(32, 160, t(left_wing * std::cos(u)), t(left_wing * std::sin(u)), LAB_RED, LAB_GREEN);
    // Top view: the nose along the heading, the wings across it.
    arms(96, 160, -t(24 * std::sin(m.yaw)), -t(-24 * std::cos(m.yaw)), LAB_YELLOW, LAB_BLUE);
    const double top_wing = 18 * std::cos(m.roll);
    arms(96, 160, -t(top_wing * std::cos(m.yaw)), -t(top_wing * std::sin(m.yaw)), LAB_GREEN,
         LAB_RED);
    // Back view: the wings by the roll, the nose by the pitch.
    const double back_nose = 24 * std::sin(m.pitch), v = m.roll + PI / 2;
    arms(160, 160, t(back_nose * std::cos(v)), t(back_nose * std::sin(v)), LAB_YELLOW, LAB_BLUE);
    arms(160, 160, t(18 * std::cos(m.roll)), t(18 * std::sin(m.roll)), LAB_RED, LAB_GREEN);

    field_arrow(48, 64, m.hx, m.hy, LAB_YELLOW);
    const double plane_v = m.hz / 600.0 * 24.0;
    field_bar(48, 64, 48, 64 - t(plane_v), plane_v);
    field_arrow(144, 64, m.earth_hx, m.earth_hy, LAB_WHITE);
    const double earth_v = m.earth_hz / 600.0 * 24.0;
    if (declinate)
        field_bar(144, 64, 144 - t(earth_v * std::sin(DECLINATION)),
                  64 - t(earth_v * std::cos(DECLINATION)), earth_v);
    else
        field_bar(144, 64, 144, 64 - t(earth_v), earth_v);
}

} // namespace

void lab_draw_line(i32 x0, i32 y0, i32 x1, i32 y1, u8 colour) {
    const i32 dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const i32 sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    i32 err = dx - dy;
    for (;;) {
        plot(x0, y0, colour);
        if (x0 == x1 && y0 == y1) break;
        const i32 e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x0 += sx;
        }
        if (e2 < dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void lab_draw_graph() {
    switch (chosen()) {
    case LAB_LINEARIZATION:
        draw_linearization();
        break;
    case LAB_MAGNETOMETER:
        draw_magnetometer();
        break;
    case LAB_FURNACE:
        draw_furnace();
        break;
    default:
        break;
    }
}
