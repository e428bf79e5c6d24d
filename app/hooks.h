// What the layers below reach through their registries, installed by the
// shell: the exit path, the settings walk, and the display's, sound's and
// input's parts at core's hook points.
#pragma once

// Empties the registries and fills them again (the first step of
// emu_reset_all; the test programs call it as they start).
void app_install_hooks();
