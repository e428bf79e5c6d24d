#include "input/joysticks.h"

#include "core/message.h"
#include "core/settings_vars.h"
#include "platform/catalog.h"

#include <cctype>

const PadDevice* pad_device;
u32 joy_bits[2];
i32 joy_dir_x[2], joy_dir_y[2];
u8 joy_axis_x[2] = {128, 128}, joy_axis_y[2] = {128, 128};
u32 joy_window_bits[2];
u32 rumble_frames[2];
u8 mouse_buttons_held[3];
u8 mouse_buttons_clicked[3];

void input_joysticks_reset() {
    for (int p = 0; p < 2; p++) {
        joy_bits[p] = joy_window_bits[p] = rumble_frames[p] = 0;
        joy_dir_x[p] = joy_dir_y[p] = 0;
        joy_axis_x[p] = joy_axis_y[p] = 128;
    }
    mouse_buttons_held[0] = mouse_buttons_held[1] = mouse_buttons_held[2] = 0;
    input_mouse_clicks_seen();
}

void input_mouse_clicks_seen() {
    mouse_buttons_clicked[0] = mouse_buttons_clicked[1] = mouse_buttons_clicked[2] = 0;
}

static bool either(i32 a, i32 b) {
    return controller_left == a || controller_right == a || controller_left == b ||
           controller_right == b;
}
static bool either(i32 a) {
    return either(a, a);
}
bool input_analog_host() {
    return pad_device && pad_device->analog;
}
static bool analog_host() {
    return input_analog_host();
}

int controller_kind(int player) {
    switch (player ? controller_right : controller_left) {
    case 2:
    case 7:
        return 0;
    case 3:
    case 8:
        return 1;
    default:
        return 2;
    }
}

u32 input_mouse_bits(int player) {
    if ((player ? controller_right : controller_left) != 1) return 0;
    u32 bits = 0;
    for (int n = 0; n < 3; n++)
        if (mouse_buttons_held[n] || mouse_buttons_clicked[n]) bits |= JOY_BUTTON1 << n;
    return bits;
}

// The joyport `player`'s controller reads, -1 for the keyboard and the mouse.
static int player_port(int player) {
    switch (player ? controller_right : controller_left) {
    case 2:
    case 5:
    case 7:
        return 0;
    case 3:
    case 4:
    case 6:
    case 8:
        return 1;
    default:
        return -1;
    }
}

u32 input_player_port_bits(int player) {
    if ((player ? controller_right : controller_left) == 1) return input_mouse_bits(player);
    const int port = player_port(player);
    return port < 0 ? 0 : joy_bits[port];
}

// Whether the port is read as a digital joystick or gamepad, which wins over
// an analogue read.
static bool port_digital(int port) {
    return port == 0 ? either(2, 5) : either(3, 6);
}

const u8* input_port_button_order(int port) {
    return port & 1 ? rightbutton : leftbutton;
}

const u8* input_player_button_order(int player) {
    const int port = player_port(player);
    return port >= 0 && port_digital(port) ? input_port_button_order(port) : nullptr;
}

static u32 extra_buttons(u32 raw) {
    return (raw & PAD_START ? JOY_START : 0) | (raw & PAD_REVERSE ? JOY_REVERSE : 0) |
           (raw & PAD_FORWARD ? JOY_FORWARD : 0);
}

static constexpr u32 colour_bits[4] = {PAD_RED, PAD_BLUE, PAD_GREEN, PAD_YELLOW};

void host_read_joysticks(int port) {
    port &= 1;
    joy_bits[port] = joy_window_bits[port];
    joy_dir_x[port] = joy_dir_y[port] = 0;
    joy_axis_x[port] = joy_axis_y[port] = 128;

    const bool digital = port_digital(port);
    const bool analogue = !digital && analog_host() && (port == 0 ? either(7) : either(8, 4));
    if (digital) {
        const u32 raw = pad_device ? pad_device->read_port(port) : 0;
        const u8* map = input_port_button_order(port);
        for (int i = 0; i < 4; i++)
            if ((raw & colour_bits[i]) && map[i] >= 1 && map[i] <= 4)
                joy_bits[port] |= JOY_BUTTON1 << (map[i] - 1);
        joy_bits[port] |= extra_buttons(raw);
        if ((raw & 3) == PAD_LEFT) joy_dir_x[port] = -1;
        if ((raw & 3) == PAD_RIGHT) joy_dir_x[port] = 1;
        if ((raw & 12) == PAD_UP) joy_dir_y[port] = -1;
        if ((raw & 12) == PAD_DOWN) joy_dir_y[port] = 1;
    } else if (analogue) {
        const u32 raw = pad_device->read_port(port);
        const u32 axes = pad_device->read_analog(port);
        joy_bits[port] = extra_buttons(raw);
        for (int i = 0; i < 4; i++)
            if (raw & colour_bits[i]) joy_bits[port] |= JOY_BUTTON1 << i;
        if (axes & PAD_ANALOG_PRESENT) {
            joy_axis_x[port] = static_cast<u8>(axes);
            joy_axis_y[port] = static_cast<u8>(axes >> 8);
        }
    }
    const u32 w = joy_window_bits[port];
    if ((w & (JOY_WIN_LEFT | JOY_WIN_RIGHT)) == JOY_WIN_LEFT) joy_dir_x[port] = -1;
    if ((w & (JOY_WIN_LEFT | JOY_WIN_RIGHT)) == JOY_WIN_RIGHT) joy_dir_x[port] = 1;
    if ((w & (JOY_WIN_UP | JOY_WIN_DOWN)) == JOY_WIN_UP) joy_dir_y[port] = -1;
    if ((w & (JOY_WIN_UP | JOY_WIN_DOWN)) == JOY_WIN_DOWN) joy_dir_y[port] = 1;
}

void host_set_joyport_types() {
    if (!pad_device) return;
    int type0 = PORT_AUTOSENSE, type1 = PORT_AUTOSENSE;
    if (either(2))
        type0 = PORT_JOYSTICK;
    else if (either(5))
        type0 = PORT_GAME_CONTROLLER;
    else if (analog_host() && either(7))
        type0 = PORT_ANALOG;
    else if (either(1))
        type0 = PORT_MOUSE;
    if (either(3))
        type1 = PORT_JOYSTICK;
    else if (either(6))
        type1 = PORT_GAME_CONTROLLER;
    else if (analog_host() && either(8, 4))
        type1 = PORT_ANALOG;
    pad_device->set_port_type(0, type0);
    pad_device->set_port_type(1, type1);
}

// ---- Rumble ------------------------------------------------------------------------------

void host_rumble_start(int port, u32 frames) {
    port &= 1;
    if (!analog_host() || rumble_frames[port] || !frames) return;
    pad_device->rumble_start(port);
    rumble_frames[port] = frames;
}

void host_rumble_tick(int port) {
    port &= 1;
    if (!analog_host() || !rumble_frames[port]) return;
    if (--rumble_frames[port] == 0) pad_device->rumble_stop(port);
}

void host_rumble_stop_all() {
    if (!analog_host()) return;
    for (int port = 0; port < 2; port++)
        if (rumble_frames[port]) {
            rumble_frames[port] = 0;
            pad_device->rumble_stop(port);
        }
}

// ---- Analogue controllers that are not there ----------------------------------------------

// The analogue controllers, their port and menu label.
static int analogue_port(i32 controller) {
    return controller == 7 ? 0 : controller == 4 || controller == 8 ? 1 : -1;
}
static const char* analogue_name(i32 controller) {
    switch (controller) {
    case 4:
        return cat_str(263, "Analog joystick");
    case 7:
        return cat_str(452, "1st analog gamepad");
    default:
        return cat_str(453, "2nd analog gamepad");
    }
}

bool input_analog_connected(i32 controller) {
    const int port = analogue_port(controller);
    return port >= 0 && analog_host() && (pad_device->read_analog(port) & PAD_ANALOG_PRESENT);
}

void input_pads_check_controllers() {
    i32* const controllers[2] = {&controller_left, &controller_right};
    for (int player = 0; player < 2; player++) {
        i32& c = *controllers[player];
        if (analogue_port(c) < 0 || input_analog_connected(c)) continue;
        // The menu label, as a word inside the sentence.
        std::string name = analogue_name(c);
        if (name.size() > 1 && std::islower(static_cast<unsigned char>(name[1])))
            name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
        con_printf("%s: no %s is connected; the keyboard is used instead.\n",
                   player ? cat_str(308, "Right controller") : cat_str(307, "Left controller"),
                   name.c_str());
        c = 0;
    }
}

// ---- The pad layer -----------------------------------------------------------------------

PadLayer pad_layer;

bool input_pads_open(bool wanted) {
    bool held = false;
    if (wanted && pad_layer.open && !pad_device) {
        std::string why;
        pad_device = pad_layer.open(why);
        if (pad_device)
            held = true;
        else
            con_printf("Can't open the game controllers (%s)!\n",
                       why.empty() ? "no controller layer" : why.c_str());
    }
    input_pads_check_controllers();
    host_set_joyport_types();
    return held;
}

void input_pads_close() {
    if (!pad_device) return;
    host_rumble_stop_all();
    pad_device->set_port_type(0, PORT_AUTOSENSE);
    pad_device->set_port_type(1, PORT_AUTOSENSE);
    pad_device = nullptr;
    if (pad_layer.close) pad_layer.close();
}
