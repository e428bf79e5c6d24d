#include "platform/sdl/pads_sdl.h"

#include <SDL.h>

namespace {

constexpr Uint32 subsystems = SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK;
constexpr Sint16 axis_threshold = 32767 / 3;
constexpr Uint16 rumble_ms = 0xFFFF; // the longest SDL keeps a motor running

struct Port {
    SDL_GameController* pad = nullptr;
    SDL_Joystick* stick = nullptr; // the pad's own joystick for a game controller
    SDL_Haptic* haptic = nullptr;  // opened for rumble when SDL's own rumble fails
    bool haptic_tried = false;
    bool rumbling = false;
    int type = 0;
};

int users = 0;
bool haptics = false; // the haptic subsystem started
Port ports[2];
int known_devices = -1;

void close_port(Port& p) {
    if (p.haptic) SDL_HapticClose(p.haptic);
    if (p.pad)
        SDL_GameControllerClose(p.pad);
    else if (p.stick)
        SDL_JoystickClose(p.stick);
    const int type = p.type;
    p = Port{};
    p.type = type;
}

bool in_use(SDL_JoystickID id) {
    for (const Port& p : ports)
        if (p.stick && SDL_JoystickInstanceID(p.stick) == id) return true;
    return false;
}

// Drops unplugged devices and gives free ports the devices not yet in use.
void assign_devices() {
    for (Port& p : ports)
        if (p.stick && !SDL_JoystickGetAttached(p.stick)) close_port(p);
    const int n = SDL_NumJoysticks();
    known_devices = n;
    for (int i = 0; i < n; i++) {
        if (in_use(SDL_JoystickGetDeviceInstanceID(i))) continue;
        Port* free = nullptr;
        for (Port& p : ports)
            if (!p.stick) {
                free = &p;
                break;
            }
        if (!free) return;
        if (SDL_IsGameController(i)) {
            free->pad = SDL_GameControllerOpen(i);
            if (free->pad) free->stick = SDL_GameControllerGetJoystick(free->pad);
        } else {
            free->stick = SDL_JoystickOpen(i);
        }
    }
}

Port* update(int port) {
    if (users == 0 || port < 0 || port > 1) return nullptr;
    SDL_GameControllerUpdate(); // also updates the plain joysticks
    bool lost = false;
    for (const Port& p : ports)
        lost = lost || (p.stick && !SDL_JoystickGetAttached(p.stick));
    if (lost || SDL_NumJoysticks() != known_devices) assign_devices();
    return ports[port].stick ? &ports[port] : nullptr;
}

Uint32 directions(int x, int y) {
    Uint32 bits = 0;
    if (x <= -axis_threshold) bits |= PAD_LEFT;
    if (x >= axis_threshold) bits |= PAD_RIGHT;
    if (y <= -axis_threshold) bits |= PAD_UP;
    if (y >= axis_threshold) bits |= PAD_DOWN;
    return bits;
}

std::uint32_t read_port(int port) {
    Port* p = update(port);
    if (!p) return 0;
    Uint32 bits = 0;
    if (p->pad) {
        SDL_GameController* c = p->pad;
        auto held = [c](SDL_GameControllerButton b) {
            return SDL_GameControllerGetButton(c, b) != 0;
        };
        static constexpr struct {
            SDL_GameControllerButton button;
            Uint32 bit;
        } buttons[] = {
            {SDL_CONTROLLER_BUTTON_A, PAD_RED},
            {SDL_CONTROLLER_BUTTON_B, PAD_BLUE},
            {SDL_CONTROLLER_BUTTON_X, PAD_GREEN},
            {SDL_CONTROLLER_BUTTON_Y, PAD_YELLOW},
            {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PAD_REVERSE},
            {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PAD_FORWARD},
            {SDL_CONTROLLER_BUTTON_START, PAD_START},
            {SDL_CONTROLLER_BUTTON_DPAD_UP, PAD_UP},
            {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PAD_DOWN},
            {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PAD_LEFT},
            {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PAD_RIGHT},
        };
        for (const auto& b : buttons)
            if (held(b.button)) bits |= b.bit;
        bits |= directions(SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX),
                           SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY));
        return bits;
    }
    SDL_Joystick* j = p->stick;
    static constexpr Uint32 button_bits[] = {PAD_RED,     PAD_BLUE,    PAD_GREEN, PAD_YELLOW,
                                             PAD_REVERSE, PAD_FORWARD, PAD_START};
    const int buttons = SDL_JoystickNumButtons(j);
    for (int i = 0; i < buttons && i < 7; i++)
        if (SDL_JoystickGetButton(j, i)) bits |= button_bits[i];
    if (SDL_JoystickNumHats(j) > 0) {
        const Uint8 hat = SDL_JoystickGetHat(j, 0);
        if (hat & SDL_HAT_UP) bits |= PAD_UP;
        if (hat & SDL_HAT_DOWN) bits |= PAD_DOWN;
        if (hat & SDL_HAT_LEFT) bits |= PAD_LEFT;
        if (hat & SDL_HAT_RIGHT) bits |= PAD_RIGHT;
    }
    if (SDL_JoystickNumAxes(j) >= 2)
        bits |= directions(SDL_JoystickGetAxis(j, 0), SDL_JoystickGetAxis(j, 1));
    return bits;
}

// -32768..32767 to 0..255.
Uint32 axis_byte(Sint16 v) {
    return static_cast<Uint32>(v + 32768) >> 8;
}

std::uint32_t read_analog(int port) {
    Port* p = update(port);
    if (!p) return 0;
    Sint16 x = 0, y = 0;
    if (p->pad) {
        x = SDL_GameControllerGetAxis(p->pad, SDL_CONTROLLER_AXIS_LEFTX);
        y = SDL_GameControllerGetAxis(p->pad, SDL_CONTROLLER_AXIS_LEFTY);
    } else if (SDL_JoystickNumAxes(p->stick) >= 2) {
        x = SDL_JoystickGetAxis(p->stick, 0);
        y = SDL_JoystickGetAxis(p->stick, 1);
    } else {
        return 0; // no axes: no analogue device on this port
    }
    return PAD_ANALOG_DEVICE | axis_byte(y) << 8 | axis_byte(x);
}

void set_port_type(int port, int type) {
    if (users == 0 || port < 0 || port > 1) return;
    ports[port].type = type;
    assign_devices();
}

void rumble_start(int port) {
    Port* p = update(port);
    if (!p) return;
    p->rumbling = true;
    if (SDL_JoystickRumble(p->stick, 0xFFFF, 0xFFFF, rumble_ms) == 0) return;
    if (!p->haptic_tried && haptics) {
        p->haptic_tried = true;
        p->haptic = SDL_HapticOpenFromJoystick(p->stick);
        if (p->haptic && SDL_HapticRumbleInit(p->haptic) != 0) {
            SDL_HapticClose(p->haptic);
            p->haptic = nullptr;
        }
    }
    if (p->haptic) SDL_HapticRumblePlay(p->haptic, 1.0f, SDL_HAPTIC_INFINITY);
}

void rumble_stop(int port) {
    if (users == 0 || port < 0 || port > 1) return;
    Port& p = ports[port];
    if (!p.stick || !p.rumbling) return;
    p.rumbling = false;
    SDL_JoystickRumble(p.stick, 0, 0, 0);
    if (p.haptic) SDL_HapticRumbleStop(p.haptic);
}

constexpr PadDevice device = {read_port,    read_analog, set_port_type,
                              rumble_start, rumble_stop, true};

} // namespace

const PadDevice* pads_sdl_open(std::string& why) {
    if (users > 0) {
        ++users;
        return &device;
    }
    // The window belongs to another toolkit: read the pads whatever has focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(subsystems) != 0) {
        why = SDL_GetError();
        return nullptr;
    }
    // Without a haptic system rumble goes through SDL's own controller rumble only.
    haptics = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    SDL_GameControllerEventState(SDL_IGNORE);
    SDL_JoystickEventState(SDL_IGNORE);
    users = 1;
    for (Port& p : ports)
        p = Port{};
    assign_devices();
    return &device;
}

void pads_sdl_close() {
    if (users == 0 || --users > 0) return;
    for (Port& p : ports) {
        if (p.rumbling) SDL_JoystickRumble(p.stick, 0, 0, 0);
        close_port(p);
    }
    known_devices = -1;
    if (haptics) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
    haptics = false;
    SDL_QuitSubSystem(subsystems);
}
