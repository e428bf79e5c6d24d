// The palette editor (tool window TW_PALETTE): the 24 guest colours of the
// colour set in use, edited live through red, green and blue sliders, number
// and hexadecimal fields, a colour wheel and a brightness slider. OK (or any
// other close) keeps the edits, Cancel puts back the colours the set had when
// the editor opened, "Reset to defaults" the built-in ones.
//
// The colour wheel and the gradient strip are pictures painted here: the
// wheel shows hue around and saturation outwards at the colour's brightness,
// the strip the colour from black to full brightness.
//
//   palette_editor_register();  // once: gui_subwin_ops[TW_PALETTE]
//   gui_palette_window();       // Edit menu "Palette..."
#pragma once

#include "core/types.h"

enum PaletteGadget : int {
    GID_PAL_RESET = 80,
    GID_PAL_OK = 81,
    GID_PAL_CANCEL = 82,
    GID_PAL_RED_NUMBER = 83, // green 84, blue 85
    GID_PAL_COLOURS = 86,
    GID_PAL_RED_SLIDER = 87, // green 88, blue 89
    GID_PAL_BRIGHTNESS = 90,
    GID_PAL_RED_HEX = 91, // green 92, blue 93
    GID_PAL_WHEEL = 94,
    GID_PAL_GRADIENT = 95,
};

constexpr int PALETTE_GREY_SET = 2;

// The guest colour being edited, 0..23.
extern int palette_selected_colour;
// Non-zero while every colour of the current set has its built-in value.
extern u32 palette_at_defaults;

void palette_editor_register();
void gui_palette_window();
void gui_palette_window_input();
// Shows the selected colour's levels in the sliders, numbers and fields.
void palette_show_rgb_text();
// gui_text_buffer as exactly two hexadecimal digits (lower case is turned
// into upper case in the buffer): 0..255, or -1.
int palette_parse_hex_text();

// Hue (0..360), saturation and value (0..1) of a colour and back; the
// wheel's and the brightness slider's arithmetic.
void palette_rgb_to_hsv(u8 r, u8 g, u8 b, double* h, double* s, double* v);
void palette_hsv_to_rgb(double h, double s, double v, u8* r, u8* g, u8* b);
