// Test tool, preloaded into the program (LD_PRELOAD): when the program starts
// SDL's joystick subsystem, one virtual game controller is plugged in. Its left
// stick and buttons follow the file named by $VIRTUAL_PAD_STATE ("x y buttons":
// stick positions -32768..32767 and a mask of SDL's controller buttons), read
// at every update; each motor command the program gives is appended to the
// file named by $VIRTUAL_PAD_LOG as "rumble <low> <high>".
#include "tests/sdl/virtual_controller.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace {

SDL_Joystick* pad = nullptr;

void follow_state(void*) {
    const char* path = std::getenv("VIRTUAL_PAD_STATE");
    std::FILE* f = path && pad ? std::fopen(path, "r") : nullptr;
    if (!f) return;
    int x = 0, y = 0;
    unsigned buttons = 0;
    if (std::fscanf(f, "%d %d %u", &x, &y, &buttons) == 3) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; b++)
            SDL_JoystickSetVirtualButton(pad, b, (buttons >> b) & 1);
    }
    std::fclose(f);
}

int log_rumble(void*, Uint16 low, Uint16 high) {
    const char* path = std::getenv("VIRTUAL_PAD_LOG");
    if (std::FILE* f = path ? std::fopen(path, "a") : nullptr) {
        std::fprintf(f, "rumble %u %u\n", low, high);
        std::fclose(f);
    }
    return 0;
}

} // namespace

extern "C" int SDL_InitSubSystem(Uint32 flags) {
    using Init = int (*)(Uint32);
    static const Init real = reinterpret_cast<Init>(dlsym(RTLD_NEXT, "SDL_InitSubSystem"));
    const int rc = real(flags);
    if (rc == 0 && (flags & SDL_INIT_JOYSTICK) && !pad) {
        const int index = attach_virtual_controller(follow_state, log_rumble);
        if (index >= 0) pad = SDL_JoystickOpen(index);
    }
    return rc;
}
