#include "devicewindows/lab_window.h"

#include "core/emu.h"
#include "core/frame.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "core/user_prefs.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/images.h"
#include "gui/tool_windows.h"
#include "peripherals/lab.h"
#include "platform/catalog.h"
#include "platform/gui.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int RAW_ENTER = 0x43, RAW_RETURN = 0x44, RAW_ESC = 0x45;
constexpr int IMAGE_RESET = 39;
constexpr int CAPTION_WIDTH = 190, SLIDER_WIDTH = 160;

// What the gadgets show now: written only by lab_format_value.
struct Shown {
    u8 port[5]; // ports 0-4 (3 unused)
    u8 furnace[5];
    u16 linear[4];
    u16 magnetometer[5];
    double mech, elec;
} shown;

i32 page = -1; // the peripheral the open window was built for

int window() {
    return gui_subwin_window[TW_INSTRUMENTS];
}

const char* peripheral_name(i32 p) {
    switch (p) {
    case LAB_LINEARIZATION:
        return cat_str(1346, "Linearization");
    case LAB_MAGNETOMETER:
        return cat_str(1348, "Vector Magnetometer");
    case LAB_FURNACE:
        return cat_str(1322, "Wind Furnace Controller");
    default:
        return cat_str(1349, "EA printer");
    }
}

// ---- Building the pages ---------------------------------------------------------------

GuiNode caption(const char* text, int width = CAPTION_WIDTH) {
    GuiNode l = gui_node(GK_LABEL, 0, text);
    l.min_w = width;
    return l;
}

GuiNode field(int gid, int chars) {
    GuiNode f = gui_node(GK_STRING, gid);
    f.readonly = true;
    f.max_chars = chars;
    return f;
}

// Caption, left scale, slider, right scale, value field and unit.
struct SliderRow {
    const char* caption;
    int slider, min, max;
    const char *low, *high;
    int text, chars;
    const char* unit;
};

GuiNode slider_row(const SliderRow& r) {
    GuiNode row = gui_group(GK_HGROUP, {caption(r.caption)});
    if (r.slider) {
        GuiNode low = caption(r.low, 40);
        GuiNode s = gui_node(GK_SLIDER, r.slider);
        s.min = r.min;
        s.max = r.max;
        s.min_w = SLIDER_WIDTH;
        s.weight = 1;
        row.children.push_back(low);
        row.children.push_back(s);
        row.children.push_back(caption(r.high, 40));
    } else {
        GuiNode space = gui_node(GK_SPACE);
        space.weight = 1;
        row.children.push_back(space);
    }
    row.children.push_back(field(r.text, r.chars));
    row.children.push_back(caption(r.unit, 50));
    return row;
}

GuiNode rows(const std::vector<SliderRow>& table) {
    GuiNode g = gui_node(GK_VGROUP);
    for (const SliderRow& r : table)
        g.children.push_back(slider_row(r));
    return g;
}

// The picture with a space above it.
GuiNode picture_column(std::vector<GuiNode> below = {}) {
    GuiNode space = gui_node(GK_SPACE);
    space.weight = 1;
    GuiNode pic = gui_node(GK_PICTURE, GID_LAB_PICTURE);
    pic.min_w = pic.min_h = LAB_CANVAS;
    GuiNode column = gui_group(GK_VGROUP, {space, pic});
    for (GuiNode& n : below)
        column.children.push_back(std::move(n));
    return column;
}

GuiNode chooser(int gid, std::vector<std::string> items) {
    GuiNode c = gui_node(GK_CHOOSER, gid);
    c.items = std::move(items);
    return c;
}

GuiNode top_row(bool instrument) {
    GuiNode c = chooser(GID_LAB_PERIPHERAL,
                        {peripheral_name(0), peripheral_name(1), peripheral_name(2),
                         peripheral_name(3)});
    c.label = cat_str(1347, "Peripheral:");
    c.value = pipbug_peripheral;
    GuiNode row = gui_group(GK_HGROUP, {c});
    if (instrument) {
        GuiNode space = gui_node(GK_SPACE);
        space.weight = 1;
        row.children.push_back(space);
        GuiNode reset =
            gui_node(GK_BUTTON, GID_LAB_RESET, std::string(" ") + cat_str(1357, "Reset to defaults"));
        reset.image = gui_image(IMAGE_RESET);
        row.children.push_back(reset);
    }
    return row;
}

GuiNode printer_page() {
    GuiNode b = gui_node(GK_BUTTON, GID_LAB_PRINTER, cat_str(1350, "Open/close subwindow..."));
    b.disabled = !gui_subwin_ops[TW_PRINTER].open;
    return gui_group(GK_VGROUP, {b}, peripheral_name(LAB_EA_PRINTER));
}

GuiNode linearization_page() {
    const char* mv = cat_str(1331, "mV");
    std::vector<SliderRow> table;
    static const char* const NAMES[4] = {"X:", "Y:", "U:", "V:"};
    for (int i = 0; i < 4; i++)
        table.push_back({NAMES[i], GID_LAB_LIN + i, 0, 4095, " -1000", "+1000",
                         GID_LAB_LIN_TEXT + i, 8, mv});
    GuiNode left = rows(table);
    left.weight = 1;
    return gui_group(GK_HGROUP, {left, picture_column()}, peripheral_name(LAB_LINEARIZATION));
}

GuiNode magnetometer_page() {
    const char* mg = cat_str(1356, "mG");
    const char* degrees = cat_str(1333, "degrees");
    GuiNode left = rows({
        {cat_str(1351, "Plane Hx:"), GID_LAB_MAG + 0, 0, 4095, " -600", "+600", GID_LAB_MAG_TEXT + 0, 10, mg},
        {cat_str(1352, "Plane Hy:"), GID_LAB_MAG + 1, 0, 4095, " -600", "+600", GID_LAB_MAG_TEXT + 1, 10, mg},
        {cat_str(1353, "Plane Hz:"), GID_LAB_MAG + 2, 0, 4095, " -600", "+600", GID_LAB_MAG_TEXT + 2, 10, mg},
        {cat_str(1354, "Plane pitch:"), GID_LAB_MAG + 3, 1992, 2104, " -20", "+20", GID_LAB_MAG_TEXT + 3, 10, degrees},
        {cat_str(1355, "Plane roll:"), GID_LAB_MAG + 4, 1923, 2173, " -44", "+44", GID_LAB_MAG_TEXT + 4, 10, degrees},
    });
    left.weight = 1;
    GuiNode declination = gui_node(GK_CHECKBOX, GID_LAB_DECLINATE, cat_str(1366, "Declinate?"));
    declination.value = declinate ? 1 : 0;
    GuiNode upper = gui_group(GK_HGROUP, {left, picture_column({declination})});

    struct Derived {
        const char* caption;
        int gid;
        const char* unit;
    } const derived[6] = {
        {cat_str(1360, "Earth Hx:"), GID_LAB_EARTH_HX, mg},
        {cat_str(1361, "Earth Hy:"), GID_LAB_EARTH_HY, mg},
        {cat_str(1362, "Earth Hz:"), GID_LAB_EARTH_HZ, mg},
        {cat_str(1363, "Plane yaw:"), GID_LAB_PLANE_YAW, degrees},
        {cat_str(1364, "Latitude (based on inclination):"), GID_LAB_LAT_INCLINATION, degrees},
        {cat_str(1365, "Latitude (based on intensity):"), GID_LAB_LAT_INTENSITY, degrees},
    };
    GuiNode lower = gui_node(GK_VGROUP);
    for (const Derived& d : derived)
        lower.children.push_back(
            gui_group(GK_HGROUP, {caption(d.caption, 260), field(d.gid, 14), caption(d.unit, 50)}));
    return gui_group(GK_VGROUP, {upper, lower}, peripheral_name(LAB_MAGNETOMETER));
}

GuiNode furnace_page() {
    const char* degrees = cat_str(1333, "degrees");
    GuiNode controls = rows({
        {cat_str(1324, "Blade pitch motor speed:"), GID_LAB_PITCH_SPEED, 0, 127, " 0", "100", GID_LAB_PITCH_SPEED_TEXT, 5, "%"},
        {cat_str(1325, "Hub yaw motor speed:"), GID_LAB_YAW_SPEED, 0, 127, " 0", "100", GID_LAB_YAW_SPEED_TEXT, 5, "%"},
        {cat_str(1323, "Generator field current:"), GID_LAB_FIELD, 0, 255, " 0", "994.5", GID_LAB_FIELD_TEXT, 5, cat_str(1331, "mV")},
    });
    controls.weight = 1;
    GuiNode choosers = gui_group(
        GK_VGROUP,
        {chooser(GID_LAB_PITCH_DIR, {cat_str(1359, "Unfeathering"), cat_str(1358, "Feathering")}),
         chooser(GID_LAB_YAW_DIR, {cat_str(1337, "Anticlockwise"), cat_str(1338, "Clockwise")}),
         chooser(GID_LAB_DRIVE, {cat_str(1335, "Damp"), cat_str(1336, "Drive")})});
    GuiNode outputs =
        gui_group(GK_HGROUP, {controls, choosers}, cat_str(1339, "Controls (Outputs)"));

    GuiNode sensors = rows({
        {cat_str(1327, "Blade pitch angle:"), GID_LAB_PITCH_ANGLE, 0, 90, " 0", "90", GID_LAB_PITCH_ANGLE_TEXT, 3, degrees},
        {cat_str(1328, "Hub yaw direction:"), GID_LAB_YAW, 0, 255, " 0", "360", GID_LAB_YAW_TEXT, 4, degrees},
        {cat_str(1329, "Wind speed:"), GID_LAB_WIND_SPEED, 0, 255, " 0", "255", GID_LAB_WIND_SPEED_TEXT, 5, cat_str(1334, "mph")},
        {cat_str(1330, "Wind direction:"), GID_LAB_WIND_DIR, 0, 255, " 0", "360", GID_LAB_WIND_DIR_TEXT, 5, degrees},
        {cat_str(1326, "Rotor speed:"), 0, 0, 0, "", "", GID_LAB_ROTOR_TEXT, 3, cat_str(1332, "rpm")},
    });
    sensors.weight = 1;
    GuiNode inputs = gui_group(GK_HGROUP, {sensors, picture_column()}, cat_str(1340, "Sensors (Inputs)"));

    GuiNode machine_picture = gui_node(GK_IMAGE);
    machine_picture.image = gui_image(gui_machine_picture(memmap));
    const char* kw = cat_str(1345, "kW");
    GuiNode powers = gui_group(
        GK_VGROUP,
        {gui_group(GK_HGROUP, {caption(cat_str(1343, "Mechanical power:")), field(GID_LAB_MECH_TEXT, 10), caption(kw, 30)}),
         gui_group(GK_HGROUP, {caption(cat_str(1344, "Electrical power:")), field(GID_LAB_ELEC_TEXT, 10), caption(kw, 30)})});
    GuiNode power = gui_group(GK_HGROUP, {machine_picture, powers}, cat_str(1342, "Generated Power"));
    return gui_group(GK_VGROUP, {outputs, inputs, power}, peripheral_name(LAB_FURNACE));
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = std::string(cat_str(1321, "Industrial/Scientific Peripherals")) + ": " +
              peripheral_name(pipbug_peripheral);
    const bool instrument = pipbug_peripheral != LAB_EA_PRINTER;
    d.root = gui_group(GK_VGROUP, {top_row(instrument)});
    switch (pipbug_peripheral) {
    case LAB_LINEARIZATION:
        d.root.children.push_back(linearization_page());
        break;
    case LAB_MAGNETOMETER:
        d.root.children.push_back(magnetometer_page());
        break;
    case LAB_FURNACE:
        d.root.children.push_back(furnace_page());
        break;
    default:
        d.root.children.push_back(printer_page());
        break;
    }
    return d;
}

// ---- Showing the model ----------------------------------------------------------------------

void show_picture() {
    lab_draw_graph();
    const int win = window();
    gui_display_attach(win, GID_LAB_PICTURE, lab_canvas, LAB_CANVAS, LAB_CANVAS, LAB_CANVAS,
                       display_colour_table + GUEST_COLOURS, EXTRA_PENS);
    gui_display_refresh(win, GID_LAB_PICTURE);
}

void show_text(int gid, const std::string& text) {
    gui_set_text(TW_INSTRUMENTS, gid, text.c_str());
}

void format_furnace(bool force) {
    bool graph = force;
    for (u32 port : {FURNACE_PITCH_MOTOR, FURNACE_YAW_MOTOR, FURNACE_DRIVE})
        graph |= lab_port(port) != shown.port[port];
    graph |= std::memcmp(lab_furnace, shown.furnace, sizeof lab_furnace) != 0;
    if (graph) show_picture();

    // The motors: speed slider and text, direction chooser.
    struct Motor {
        u32 port;
        int slider, text, chooser;
    } const motors[2] = {
        {FURNACE_PITCH_MOTOR, GID_LAB_PITCH_SPEED, GID_LAB_PITCH_SPEED_TEXT, GID_LAB_PITCH_DIR},
        {FURNACE_YAW_MOTOR, GID_LAB_YAW_SPEED, GID_LAB_YAW_SPEED_TEXT, GID_LAB_YAW_DIR}};
    for (const Motor& m : motors) {
        const u8 v = lab_port(m.port);
        u8& was = shown.port[m.port];
        if (force || ((v ^ was) & 0x7F)) {
            gui_set_slider(TW_INSTRUMENTS, m.slider, v & 0x7F);
            show_text(m.text, lab_speed_text(v));
        }
        if (force || ((v ^ was) & 0x80)) gui_set_chooser(TW_INSTRUMENTS, m.chooser, v >> 7);
        was = v;
    }
    const u8 drive = lab_port(FURNACE_DRIVE);
    if (force || ((drive ^ shown.port[FURNACE_DRIVE]) & 1))
        gui_set_chooser(TW_INSTRUMENTS, GID_LAB_DRIVE, drive & 1);
    shown.port[FURNACE_DRIVE] = drive;
    const u8 field = lab_port(FURNACE_FIELD);
    if (force || field != shown.port[FURNACE_FIELD]) {
        gui_set_slider(TW_INSTRUMENTS, GID_LAB_FIELD, field);
        show_text(GID_LAB_FIELD_TEXT, lab_field_text(field));
        shown.port[FURNACE_FIELD] = field;
    }

    // The sensors: slider (not the rotor) and text.
    struct Sensor {
        int value, slider, text;
        std::string (*format)(u8);
    } const sensors[5] = {
        {FURNACE_ROTOR, 0, GID_LAB_ROTOR_TEXT, nullptr},
        {FURNACE_PITCH, GID_LAB_PITCH_ANGLE, GID_LAB_PITCH_ANGLE_TEXT, nullptr},
        {FURNACE_YAW, GID_LAB_YAW, GID_LAB_YAW_TEXT, lab_direction_text},
        {FURNACE_WIND_SPEED, GID_LAB_WIND_SPEED, GID_LAB_WIND_SPEED_TEXT, nullptr},
        {FURNACE_WIND_DIR, GID_LAB_WIND_DIR, GID_LAB_WIND_DIR_TEXT, lab_direction_text},
    };
    for (const Sensor& s : sensors) {
        const u8 v = lab_furnace[s.value];
        if (!force && v == shown.furnace[s.value]) continue;
        if (s.slider) gui_set_slider(TW_INSTRUMENTS, s.slider, v);
        show_text(s.text, s.format ? s.format(v) : std::to_string(v));
        shown.furnace[s.value] = v;
    }
    if (force || lab_mech_power != shown.mech)
        show_text(GID_LAB_MECH_TEXT, lab_text("%.3f", lab_mech_power));
    if (force || lab_elec_power != shown.elec)
        show_text(GID_LAB_ELEC_TEXT, lab_text("%.3f", lab_elec_power));
    shown.mech = lab_mech_power;
    shown.elec = lab_elec_power;
}

void format_linearization(bool force) {
    if (force || std::memcmp(lab_linear, shown.linear, sizeof lab_linear) != 0) show_picture();
    for (int i = 0; i < 4; i++) {
        if (!force && lab_linear[i] == shown.linear[i]) continue;
        gui_set_slider(TW_INSTRUMENTS, GID_LAB_LIN + i, lab_linear[i]);
        show_text(GID_LAB_LIN_TEXT + i, lab_linear_text(lab_linear[i]));
        shown.linear[i] = lab_linear[i];
    }
}

void format_magnetometer(bool force) {
    if (force || std::memcmp(lab_magnetometer, shown.magnetometer, sizeof lab_magnetometer) != 0) {
        lab_mag_convert();
        show_picture();
        show_text(GID_LAB_EARTH_HX, lab_text("%f", lab_mag.earth_hx));
        show_text(GID_LAB_EARTH_HY, lab_text("%f", lab_mag.earth_hy));
        show_text(GID_LAB_EARTH_HZ, lab_text("%f", lab_mag.earth_hz));
        show_text(GID_LAB_PLANE_YAW, lab_text("%+.5f", lab_mag.yaw_deg));
        show_text(GID_LAB_LAT_INCLINATION, lab_latitude_text(lab_mag.lat_inclination));
        show_text(GID_LAB_LAT_INTENSITY, lab_latitude_text(lab_mag.lat_intensity));
    }
    for (int i = 0; i < 5; i++) {
        if (!force && lab_magnetometer[i] == shown.magnetometer[i]) continue;
        gui_set_slider(TW_INSTRUMENTS, GID_LAB_MAG + i, lab_magnetometer[i]);
        show_text(GID_LAB_MAG_TEXT + i, lab_reading_text(i, lab_magnetometer[i]));
        shown.magnetometer[i] = lab_magnetometer[i];
    }
}

// ---- Input ---------------------------------------------------------------------------------

bool is_slider(int gid) {
    return (gid >= GID_LAB_FIELD && gid <= GID_LAB_WIND_DIR) ||
           (gid >= GID_LAB_LIN && gid < GID_LAB_LIN + 4) ||
           (gid >= GID_LAB_MAG && gid < GID_LAB_MAG + 5);
}

// A slider's level into the value it stands for, in that value's width.
void store_slider(int gid, int level) {
    const u8 byte = static_cast<u8>(level);
    auto motor = [byte](u32 port) {
        lab_set_port(port, static_cast<u8>((lab_port(port) & 0x80) | (byte & 0x7F)));
    };
    switch (gid) {
    case GID_LAB_FIELD:
        lab_set_port(FURNACE_FIELD, byte);
        break;
    case GID_LAB_PITCH_SPEED:
        motor(FURNACE_PITCH_MOTOR);
        break;
    case GID_LAB_YAW_SPEED:
        motor(FURNACE_YAW_MOTOR);
        break;
    case GID_LAB_PITCH_ANGLE:
        lab_furnace[FURNACE_PITCH] = byte;
        break;
    case GID_LAB_YAW:
        lab_furnace[FURNACE_YAW] = byte;
        break;
    case GID_LAB_WIND_SPEED:
        lab_furnace[FURNACE_WIND_SPEED] = byte;
        break;
    case GID_LAB_WIND_DIR:
        lab_furnace[FURNACE_WIND_DIR] = byte;
        break;
    default:
        if (gid >= GID_LAB_LIN && gid < GID_LAB_LIN + 4)
            lab_linear[gid - GID_LAB_LIN] = static_cast<u16>(level & 0xFFFF);
        else if (gid >= GID_LAB_MAG && gid < GID_LAB_MAG + 5)
            lab_magnetometer[gid - GID_LAB_MAG] = static_cast<u16>(level & 0xFFFF);
        break;
    }
}

// A direction or drive choice: one bit of a port byte, the others kept.
void store_bit(u32 port, u8 bit, bool on) {
    const u8 v = lab_port(port);
    lab_set_port(port, static_cast<u8>(on ? v | bit : v & ~bit));
}

// Returns 2 when the window must be built anew for another peripheral.
int gadget(const GuiEvent& e) {
    const int win = window();
    switch (e.gid) {
    case GID_LAB_PERIPHERAL: {
        const int chosen = gui_get_value(win, GID_LAB_PERIPHERAL);
        if (chosen < LAB_EA_PRINTER || chosen > LAB_FURNACE) break;
        const bool other = chosen != pipbug_peripheral;
        pipbug_peripheral = chosen;
        prefs_user_chose(&pipbug_peripheral);
        if (!other) break;
        return 2;
    }
    case GID_LAB_RESET:
        lab_reset_defaults();
        lab_format_value(pipbug_peripheral == LAB_MAGNETOMETER);
        break;
    case GID_LAB_PRINTER:
        if (gui_tool_window_open(TW_PRINTER))
            gui_close_subwindow(TW_PRINTER);
        else
            gui_open_tool_window(TW_PRINTER);
        break;
    case GID_LAB_PITCH_DIR:
        store_bit(FURNACE_PITCH_MOTOR, 0x80, gui_get_value(win, e.gid) == 1);
        break;
    case GID_LAB_YAW_DIR:
        store_bit(FURNACE_YAW_MOTOR, 0x80, gui_get_value(win, e.gid) == 1);
        break;
    case GID_LAB_DRIVE:
        store_bit(FURNACE_DRIVE, 0x01, gui_get_value(win, e.gid) == 1);
        break;
    case GID_LAB_DECLINATE:
        declinate = gui_get_value(win, e.gid) ? 1 : 0;
        lab_format_value(1);
        break;
    default:
        if (is_slider(e.gid)) gui_lab_idcmp_hook(e);
        break;
    }
    return 0;
}

void refresh(int force) {
    // The peripheral was chosen elsewhere (a program, a save state): the other page.
    if (page != pipbug_peripheral) {
        gui_rebuild_subwindow(TW_INSTRUMENTS);
        return;
    }
    lab_format_value(force);
}

void release() {
    page = -1;
}

} // namespace

void lab_format_value(int force) {
    if (!window()) return;
    switch (pipbug_peripheral) {
    case LAB_LINEARIZATION:
        format_linearization(force != 0);
        break;
    case LAB_MAGNETOMETER:
        format_magnetometer(force != 0);
        break;
    case LAB_FURNACE:
        format_furnace(force != 0);
        break;
    default:
        break;
    }
}

int gui_lab_idcmp_hook(const GuiEvent& event) {
    if (event.type == GE_GADGET && is_slider(event.gid)) {
        store_slider(event.gid, gui_get_value(window(), event.gid));
        lab_format_value(0);
    }
    return 1;
}

void gui_open_lab_window() {
    if (!machine_traits().instruments || window()) return;
    if (pipbug_peripheral < LAB_EA_PRINTER || pipbug_peripheral > LAB_FURNACE)
        pipbug_peripheral = LAB_EA_PRINTER;
    if (!gui_open_subwindow(TW_INSTRUMENTS, describe())) return;
    page = pipbug_peripheral;
    lab_format_value(1);
}

void gui_lab_handle_input() {
    const int win = window();
    if (!win) return;
    int close = 0;
    GuiEvent e;
    while (gui_window_next_event(win, &e)) {
        switch (e.type) {
        case GE_CLOSE:
            close = 1;
            break;
        case GE_RAWKEY:
            if (e.code == RAW_ENTER || e.code == RAW_RETURN || e.code == RAW_ESC) close = 1;
            break;
        case GE_NEWSIZE:
            lab_format_value(1);
            break;
        case GE_MOVED:
            emu_restart_timing();
            break;
        case GE_GADGET:
            if (const int request = gadget(e)) close = request;
            break;
        default:
            break;
        }
    }
    if (close == 1)
        gui_close_subwindow(TW_INSTRUMENTS);
    else if (close == 2)
        gui_rebuild_subwindow(TW_INSTRUMENTS);
}

void lab_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_INSTRUMENTS];
    ops.open = gui_open_lab_window;
    ops.input = gui_lab_handle_input;
    ops.refresh = refresh;
    ops.release = release;
}
