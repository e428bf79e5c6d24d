// What lies under the mouse pointer, for the status bar, and the screen
// editor's cursor that a click in screen-edit mode moves.
//
//   display_describe_position(20, 30, 0); // display_position_text: "X=20,Y=30 (White). ..."
#pragma once

#include "core/types.h"

#include <string>

constexpr int POSITION_TEXT_SIZE = 256;
extern char display_position_text[POSITION_TEXT_SIZE];

// Describes guest frame position (x, y) into display_position_text; click 1
// (a click in screen-edit mode) also moves the editor's cursor there.
void display_describe_position(i32 x, i32 y, int click);

// Keeps the editor's cursor inside the current machine's screen memory
// (through its row); a machine without an editor switches screen editing off.
void display_screen_edit_clamp();

// Pieces of the pointer text for the machines' rows:
// "X=%d,Y=%d (colour)" with the frame's colour at (x, y), X shown plus x_shown.
void display_position_prefix(i32 x, i32 y, i32 x_shown, std::string* out);
// The consoles' text: sync-generator and chip positions, the colour, and with
// the blanking areas shown the blanking phase and the active sync outputs;
// `chip` 'U' or 'P'. Sets *chip_x, *chip_y to the chip's own coordinates.
// False when the position lies outside the line (the text is then "-,-").
bool display_console_position(i32 x, i32 y, char chip, std::string* out, i32* chip_x,
                              i32* chip_y);
// ". $%X: $%02X ('%c')": a screen-memory address, its byte and character.
void display_screen_byte_text(u32 address, std::string* out);
// ". Row=%d%s, column=%d%s": the text cell at (x, y) counted from the text
// area's corner; nothing outside the text area. A terminal whose text store
// of `store_rows` rows scrolls (its row `store_top` shown at the top) also
// names the store's row: ". Row=%d%s (%d%s), column=%d%s".
void display_text_cell_text(i32 x, i32 y, std::string* out, i32 store_rows = 0, i32 store_top = 0);
// 1st, 2nd, 3rd, 4th ... 11th, 12th, 13th, 21st.
const char* display_ordinal_suffix(i32 n);
