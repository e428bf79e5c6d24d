// LED digits, dots and the panel cells.
#include "display/led.h"

#include "display/controls_panel.h"
#include "display/frame.h"

#include "core/machine_view.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"

#include <cstring>

u8 led_digits[13];
u8 led_panel_cells[LED_PANEL_COLUMNS * LED_PANEL_ROWS];
i32 led_panel_width, led_panel_rows, led_panel_left, led_panel_top;

namespace {

// A strip that is part of the frame only with "showleds".
bool strip_hidden() {
    return !showleds && machine_traits().led_strip_optional;
}

// Where digit `digit` goes; stretch < 0: the machine draws no digits.
LedDigitPlace digit_origin(int digit) {
    const auto place = machine_view().led_digit_place;
    return place ? place(digit) : LedDigitPlace{0, 0, -1};
}

void frame_rect(i32 x0, i32 x1, i32 y0, i32 y1, u32 colour) {
    for (i32 y = y0; y <= y1; y++)
        for (i32 x = x0; x <= x1; x++)
            display_plot_skewed(x, y, colour);
}

void cell_run(i32 x0, i32 x1, i32 y0, i32 y1, u32 colour) {
    for (i32 y = y0; y <= y1; y++)
        for (i32 x = x0; x <= x1; x++)
            led_panel_set_cell(x, y, colour);
}

bool decimal_point_shown(int digit) {
    return digit < machine_traits().led_points;
}

} // namespace

void led_panel_background() {
    std::memset(led_panel_cells, LED_ERASED, sizeof led_panel_cells);
}

void led_draw_dot(i32 x, i32 y, u32 colour) {
    if (strip_hidden()) return;
    for (i32 r = 0; r < 6; r++) {
        const bool edge = r == 0 || r == 5;
        for (i32 c = edge ? 1 : 0; c <= (edge ? 4 : 5); c++)
            display_plot_pixel(static_cast<u32>(x + c), static_cast<u32>(y + r), colour);
    }
}

void display_plot_skewed(i32 x, i32 y, u32 colour) {
    if (strip_hidden()) return;
    if (machine_traits().slanted_leds) x += (39 - y) / 4;
    if (x < 0 || y < 0 || x >= GUEST_FRAME_COLUMNS || y >= GUEST_FRAME_ROWS) return;
    display_plot_pixel(static_cast<u32>(x), static_cast<u32>(y), colour);
}

void led_set_digit(int digit, int value) {
    if (digit < 0 || digit >= 13) return;
    if (const u8* font = machine_view().led_font) led_digits[digit] = font[value & 15];
    led_draw_digit(digit);
}

void led_draw_digit(int digit) {
    if (digit < 0 || digit >= 13) return;
    // Each segment's colour: erased unless lit, or shown unlit; the corner
    // pieces (8-13) only with "drawcorners", the point (7) only where the
    // digit has one.
    const u8 p = led_digits[digit];
    static constexpr u8 corner_bits[6] = {0x21, 0x03, 0x70, 0x46, 0x18, 0x0C};
    u32 colour[14];
    for (int s = 0; s < 14; s++) {
        const bool shown = s < 7 || (s == 7 && decimal_point_shown(digit)) || (s > 7 && drawcorners);
        const bool lit = s < 8 ? (p >> s) & 1 : (p & corner_bits[s - 8]) != 0;
        colour[s] = !shown ? LED_ERASED : lit ? LED_LIT : drawunlit ? LED_UNLIT : LED_ERASED;
    }
    // The erased segments first, then the others over them, corners before
    // bars: where segments overlap the last one drawn shows, and a segment
    // that stays lit is not erased and drawn again on every redraw.
    for (int s = 0; s < 14; s++)
        if (colour[s] == LED_ERASED) led_draw_segment(digit, s, LED_ERASED);
    for (int s : {8, 9, 10, 11, 12, 13, 0, 1, 2, 3, 4, 5, 6, 7})
        if (colour[s] != LED_ERASED) led_draw_segment(digit, s, colour[s]);
}

void led_draw_segment(int digit, int segment, u32 colour) {
    const LedDigitPlace o = digit_origin(digit);
    if (o.stretch < 0 || segment < 0 || segment > 13) return;
    const i32 X = o.x, Y = o.y, E = o.stretch, R = X + 11 + E; // R: the right-hand bars
    const bool corners = drawcorners != 0;
    const i32 K = 9 * digit;

    // Horizontal bars a (0), g (6), d (3); vertical f (5), b (1), e (4), c (2).
    auto hbar = [&](i32 top) {
        if (corners) {
            frame_rect(X + 3, X + 10 + E, top, top + 2, colour);
        } else {
            frame_rect(X + 3, X + 10 + E, top, top, colour);
            frame_rect(X + 2, X + 11 + E, top + 1, top + 1, colour);
            frame_rect(X + 3, X + 10 + E, top + 2, top + 2, colour);
        }
    };
    auto vbar = [&](i32 left, i32 top, i32 bottom) {
        if (corners) {
            frame_rect(left, left + 2, top + 1, bottom - 1, colour);
        } else {
            frame_rect(left + 1, left + 1, top, top, colour);
            frame_rect(left, left + 2, top + 1, bottom - 1, colour);
            frame_rect(left + 1, left + 1, bottom, bottom, colour);
        }
    };
    switch (segment) {
    case 0:
        hbar(Y);
        cell_run(K + 1, K + 4, 0, 0, colour);
        break;
    case 1:
        vbar(R, Y + 2, Y + 13);
        cell_run(K + 5, K + 5, 1, 3, colour);
        break;
    case 2:
        vbar(R, Y + 15, Y + 26);
        cell_run(K + 5, K + 5, 5, 7, colour);
        break;
    case 3:
        hbar(Y + 26);
        cell_run(K + 1, K + 4, 8, 8, colour);
        break;
    case 4:
        vbar(X, Y + 15, Y + 26);
        cell_run(K, K, 5, 7, colour);
        break;
    case 5:
        vbar(X, Y + 2, Y + 13);
        cell_run(K, K, 1, 3, colour);
        break;
    case 6:
        hbar(Y + 13);
        cell_run(K + 1, K + 4, 4, 4, colour);
        break;
    case 7: {
        const i32 dx = machine_traits().slanted_leds ? X + 25 : X + 16;
        frame_rect(dx, dx + 2, Y + 26, Y + 28, colour);
        cell_run(K + 7, K + 7, 8, 8, colour);
        break;
    }
    default: {
        // Corner blocks 8-13: upper, middle and lower, left then right.
        const int k = segment - 8;
        const i32 cx = (k & 1) ? R : X, cy = Y + 13 * (k / 2);
        frame_rect(cx, cx + 2, cy, cy + 2, colour);
        cell_run((k & 1) ? K + 5 : K, (k & 1) ? K + 5 : K, 4 * (k / 2), 4 * (k / 2), colour);
        break;
    }
    }
}

void led_panel_set_cell(i32 x, i32 y, u32 colour) {
    if (const auto cell = machine_view().led_panel_cell) cell(x, y, colour);
}

void led_panel_store(i32 x, i32 y, u32 colour) {
    if (x < 0 || y < 0 || x >= LED_PANEL_COLUMNS || y >= LED_PANEL_ROWS) return;
    led_panel_cells[x * LED_PANEL_ROWS + y] = static_cast<u8>(colour);
}

void display_setup_panel_geometry() {
    // A machine whose geometry sets no panel (the PIPBUG counts its keys
    // there) must not show the panel of the machine before it.
    led_digit_panels = 0;
    led_panel_width = led_panel_rows = led_panel_left = led_panel_top = 0;
    if (const auto geometry = machine_view().led_panel_geometry) geometry();
}
