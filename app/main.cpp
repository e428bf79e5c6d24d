// The program: the interface installs its services, then everything happens in
// app_main, which leaves through the exit path.
#include "core/startup.h"
#include "gui/ui_pass.h"

int main(int argc, char** argv) {
    gui_install_ui_host();
    app_main(argc, argv);
}
