// The window title table, indexed by machine.
#include "core/machine_titles.h"

static const char* const window_titles[15] = {
    "Brindlemox 36.4",
    "Brindlemox Interton 36.4",
    "Brindlemox Elektor 36.4",
    "Brindlemox PIPBUG 36.4",
    "Brindlemox BINBUG 36.4",
    "Brindlemox Instructor 36.4",
    "Brindlemox TWIN 36.4",
    "Brindlemox CD2650 36.4",
    "Brindlemox Zaccaria 36.4",
    "Brindlemox Malzak 36.4",
    "Brindlemox PHUNSY 36.4",
    "Brindlemox Pong 36.4",
    "Brindlemox Selbstbaucomputer 36.4",
    "Brindlemox MIKIT 36.4",
    "Brindlemox Type-right 36.4",
};

const char* machine_title(u32 machine_number) {
    return machine_number < 15 ? window_titles[machine_number] : window_titles[0];
}
