// A virtual SDL game controller with every axis and button of SDL's layout,
// shared by the SDL tests and the controller preloaded into the program.
#pragma once

#include <SDL.h>

// Plugs one in: its device index, or -1 (SDL_GetError says why). `update` is
// called at each of SDL's updates, `rumble` with each motor command.
inline int attach_virtual_controller(void (*update)(void*),
                                     int (*rumble)(void*, Uint16 low, Uint16 high)) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.Update = update;
    desc.Rumble = rumble;
    return SDL_JoystickAttachVirtualEx(&desc);
}
