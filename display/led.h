// Seven-segment LED digits and single LEDs, drawn into the guest frame as
// large segment shapes and into the panel cells that the guest controls
// window shows. The machines decide what is lit (led_digits, one segment
// pattern per digit: bits 0-6 segments a-g, bit 7 the decimal point).
#pragma once

#include "core/emu.h"

constexpr int LED_PANEL_ROWS = 18;
constexpr int LED_PANEL_COLUMNS = 160;
constexpr u8 LED_LIT = 3, LED_UNLIT = 14, LED_ERASED = 7;

// The segment patterns of the machine's LED digits (at most 13).
extern u8 led_digits[13];

extern u8 led_panel_cells[LED_PANEL_COLUMNS * LED_PANEL_ROWS]; // column * 18 + row
extern i32 led_panel_width, led_panel_rows, led_panel_left, led_panel_top;

void led_panel_background();
void led_draw_dot(i32 x, i32 y, u32 colour);
void led_set_digit(int digit, int value);
void led_draw_digit(int digit);
void led_draw_segment(int digit, int segment, u32 colour);
void display_plot_skewed(i32 x, i32 y, u32 colour);
void led_panel_set_cell(i32 x, i32 y, u32 colour);
void led_panel_store(i32 x, i32 y, u32 colour);
void display_setup_panel_geometry();
