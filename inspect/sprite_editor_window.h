// The sprite and character editor: one glyph of the machine at a time as a
// grid of pixel buttons, with each row's address and byte beside it, a slider
// that picks the glyph and, for sprites, a palette of eight colours.
#pragma once

#include "core/types.h"

constexpr int GID_SPRITE_SLIDER = 125, GID_SPRITE_NAME = 126, GID_SPRITE_PALETTE = 127;
constexpr int GID_SPRITE_PIXEL = 1466;   // + 8 x row + column
constexpr int GID_SPRITE_ADDRESS = 1686; // + row
constexpr int GID_SPRITE_VALUE = 1718;   // + row

void gui_sprite_window();
void gui_sprite_window_input();
void sprite_editor_register();
bool gui_sprite_window_open();

// What the model's refresh writes into the open window.
void gui_sprite_set_pen(int column, int row, int colour);
void gui_sprite_set_field(int row, u8 value);
void gui_sprite_set_string(int row, const char* text);
void gui_sprite_set_name(const char* text);
// The palette's selected colour, and whether the glyph has a colour to pick.
void gui_sprite_set_palette(int colour, bool enabled);
