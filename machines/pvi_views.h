// The debugger's views of the 2636 PVIs, for every board that has them: the
// grid bytes, the scratch bytes, the objects as pictures, the registers and
// their meaning.
#pragma once

#include "core/machine_debug.h"

#include <string>

// The PVIs of a board: the base of the first and how many, 256 bytes apart.
struct PviChips {
    u32 first;
    u32 count;
};

// VIEW SCRN on the consoles: the background grid bytes $1F80-$1FAC.
void pvi_dump_hardware();
// The scratch bytes of the PVI at pvi_base.
void pvi_dump_registers();
// VIEW UDG: the four objects of each PVI as pictures; `colour_index` turns a
// PVI colour (0-7) into the guest colour index named (the board's colour table).
void pvi_dump_sprites(PviChips chips, u32 (*colour_index)(u32 colour));
// The meaning of register $C0-$CB of one of the PVIs; false for any other address.
bool pvi_dump_decoded(PviChips chips, u32 address, std::string* out);
// VIEW XVI: each PVI's registers raw and decoded, headed by the PVI's number
// when the board has more than one.
void pvi_view_registers(PviChips chips);
// Guest colour index of a PVI object colour on the consoles.
u32 pvi_console_colour(u32 colour);

// The Interton's and the Elektor's views and register meanings.
ViewShown pvi_consoles_debug_view(const char* word);
bool pvi_consoles_describe(u32 address, std::string* out);
