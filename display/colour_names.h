// The names of the guest colours, for the debugger's views and the pointer text.
#pragma once

#include "core/types.h"

// Colours 0-7 in lower case ("white" .. "black") and the long names of the
// 24 guest colour indices ("White" .. "Pink"), from the catalog.
extern const char* colour_names_short[8];
extern const char* colour_names[24];

// Fetches both tables from the catalog (English defaults); run once at start-up.
void display_colour_names();

// The long name of guest colour index `colour` ("" past the table).
inline const char* display_colour_name(u32 colour) {
    return colour < 24 && colour_names[colour] ? colour_names[colour] : "";
}
