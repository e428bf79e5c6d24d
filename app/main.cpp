// The program: the interface and the host's game controllers install their
// services, then everything happens in app_main, which leaves through the
// exit path.
#include "app/startup.h"
#include "gui/ui_pass.h"
#include "input/joysticks.h"
#include "platform/sdl/pads_sdl.h"

int main(int argc, char** argv) {
    gui_install_ui_host();
    pad_layer = {pads_sdl_open, pads_sdl_close};
    app_main(argc, argv);
}
