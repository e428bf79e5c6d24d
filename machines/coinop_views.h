// The coin-op boards' debugger views.
#pragma once

#include "core/machine_debug.h"

#include <string>

void coinop_dump_hardware();   // VIEW SCRN on the Zaccaria boards
void malzak_view_screen();     // VIEW SCRN on the Malzak boards
void coinop_dump_tone_units(); // VIEW PSG on Laser Battle and Lazarian
ViewShown zaccaria_debug_view(const char* word);
// The screen's text from $1800: `rows` rows of `columns` characters in the
// board's character set, one line each. `rotated` reads the 32x32 screen as
// shown turned: each line is a column, bottom up. `trim` drops trailing spaces.
void coinop_screen_text(std::string* out, u32 rows, u32 columns, bool rotated, bool trim);
ViewShown malzak_debug_view(const char* word);
// The meaning of a register of the boards' PVIs.
bool zaccaria_describe(u32 address, std::string* out);
bool malzak_describe(u32 address, std::string* out);
