// Weak stand-in for the pause state until the settings variables define it.
#include "cpu/seams.h"

__attribute__((weak)) bool emu_paused;
