// The coin-op boards' debugger views.
#pragma once

#include "core/machine_debug.h"

#include <string>

void coinop_dump_hardware();   // VIEW SCRN on the Zaccaria boards
void malzak_view_screen();     // VIEW SCRN on the Malzak boards
void coinop_dump_tone_units(); // VIEW PSG on Laser Battle and Lazarian
ViewShown zaccaria_debug_view(const char* word);
ViewShown malzak_debug_view(const char* word);
// The meaning of a register of the boards' PVIs.
bool zaccaria_describe(u32 address, std::string* out);
bool malzak_describe(u32 address, std::string* out);
