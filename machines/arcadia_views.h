// The Arcadia's debugger views and UVI register texts.
#pragma once

#include "core/machine_debug.h"

#include <cstddef>
#include <string>

// The bits of `value` laid out as the UVI register at `address` uses them
// (" [%101,0,0,101]"), or the value as a character; empty for the sprite
// positions and the paddles.
void uvi_describe_bits(u8 value, u32 address, char* out, std::size_t size);
// The current meaning of UVI register `address` as lines of text; false for
// an address without one.
bool arcadia_describe_uvi(u32 address, std::string* out);

void arcadia_view_screen();    // VIEW SCRN: the character rows
void arcadia_view_sprites();   // VIEW UDG: the sprites and user-defined characters
void arcadia_view_registers(); // VIEW XVI: the UVI's registers and their meaning
void arcadia_view_ram();       // VIEW RAM
ViewShown arcadia_debug_view(const char* word);
