#include "computers/grid_editor.h"

#include "core/emu.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "display/frame.h"
#include "input/keys.h"

namespace {

// The editor's keys beside those input/keys.h names.
constexpr u32 RAW_BACKSPACE = 65, RAW_DELETE = 70, RAW_HELP = 95;

// Letters by raw key: the three rows of the US layout.
char letter_of(u32 raw) {
    static const char top[] = "QWERTYUIOP", middle[] = "ASDFGHJKL", bottom[] = "ZXCVBNM";
    if (raw >= 16 && raw <= 25) return top[raw - 16];
    if (raw >= 32 && raw <= 40) return middle[raw - 32];
    if (raw >= 49 && raw <= 55) return bottom[raw - 49];
    return 0;
}

// The numeric pad, the same with and without shift.
char pad_of(u32 raw) {
    switch (raw) {
    case 15: return '0';
    case 29: case 30: case 31: return static_cast<char>('1' + raw - 29);
    case 45: case 46: case 47: return static_cast<char>('4' + raw - 45);
    case 61: case 62: case 63: return static_cast<char>('7' + raw - 61);
    case 60: return '.';
    case 74: return '-';
    case 90: return '(';
    case 91: return ')';
    case 92: return '/';
    case 93: return '*';
    case 94: return '+';
    default: return 0;
    }
}

u8& cell(u32 address) {
    return guest_memory[address & (GUEST_MEMORY_SIZE - 1)];
}

} // namespace

i32 grid_column(const GridScreen& g, u32 a) {
    const i32 i = static_cast<i32>(a) - g.base;
    return g.column_major ? i / g.rows : i % g.columns;
}

i32 grid_row(const GridScreen& g, u32 a) {
    const i32 i = static_cast<i32>(a) - g.base;
    return g.column_major ? i % g.rows : i / g.columns;
}

u32 grid_address(const GridScreen& g, i32 c, i32 r) {
    return static_cast<u32>(g.base + (g.column_major ? c * g.rows + r : r * g.columns + c));
}

bool grid_edit_key(const GridScreen& g, u32 raw) {
    const bool shift = host_shift_down() != 0;
    u32& a = screen_edit_address;
    if (a < g.base || a >= grid_address(g, g.columns - 1, g.rows - 1) + 1) a = g.base;
    i32 c = grid_column(g, a), r = grid_row(g, a);
    auto go = [&](i32 nc, i32 nr) { a = grid_address(g, nc, nr); };
    // One cell on, from the end of a row to the next, from the last to the first.
    auto advance = [&] {
        if (++c == g.columns) {
            c = 0;
            if (++r == g.rows) r = 0;
        }
        go(c, r);
    };
    switch (raw) {
    case RAW_BACKSPACE:
        if (--c < 0) {
            c = g.columns - 1;
            if (--r < 0) r = g.rows - 1;
        }
        go(c, r);
        cell(a) = ' ';
        return true;
    case RAW_ENTER:
    case RAW_RETURN:
        go(0, r == g.rows - 1 ? 0 : r + 1);
        return true;
    case RAW_ESC:
        screen_edit_mode = 0;
        ui_mark(UI_MENUS | UI_TITLE);
        return true;
    case RAW_DELETE:
        if (shift)
            for (i32 cc = 0; cc < g.columns; cc++)
                for (i32 rr = 0; rr < g.rows; rr++)
                    cell(grid_address(g, cc, rr)) = ' ';
        else
            cell(a) = ' ';
        return true;
    case RAW_UP: go(c, shift ? 0 : (r + g.rows - 1) % g.rows); return true;
    case RAW_DOWN: go(c, shift ? g.rows - 1 : (r + 1) % g.rows); return true;
    case RAW_RIGHT: go(shift ? g.columns - 1 : (c + 1) % g.columns, r); return true;
    case RAW_LEFT: go(shift ? 0 : (c + g.columns - 1) % g.columns, r); return true;
    case RAW_HELP:
        cell(a) = static_cast<u8>(cell(a) + (shift ? -1 : 1));
        return true;
    default:
        break;
    }
    int code = -1;
    if (const char l = letter_of(raw))
        code = g.lower_case(shift) ? l - 'A' + 'a' : l;
    else if (const char p = pad_of(raw))
        code = p;
    else
        code = g.key_code(raw, shift);
    if (code < 0) return false;
    cell(a) = static_cast<u8>(code);
    advance();
    return true;
}

void grid_draw_cursor(const GridScreen& g, i32 w, i32 h) {
    const u32 a = screen_edit_address;
    if (a < g.base || a > grid_address(g, g.columns - 1, g.rows - 1)) return;
    const i32 x0 = grid_column(g, a) * w - 1, y0 = grid_row(g, a) * h - 1;
    const i32 x1 = x0 + w + 1, y1 = y0 + h + 1;
    const i32 right = g.columns * w - 1, bottom = g.rows * h - 1;
    auto plot = [&](i32 x, i32 y) {
        if (x >= 0 && y >= 0 && x <= right && y <= bottom)
            display_plot_pixel(static_cast<u32>(x), static_cast<u32>(y), 3);
    };
    for (i32 x = x0; x <= x1; x++) {
        plot(x, y0);
        plot(x, y1);
    }
    for (i32 y = y0; y <= y1; y++) {
        plot(x0, y);
        plot(x1, y);
    }
}

void grid_draw_cells(const GridScreen& g, i32 w, i32 h) {
    for (i32 r = 0; r < g.rows; r++)
        for (i32 c = 0; c < g.columns; c++) {
            const u32 x0 = static_cast<u32>(c * w), y0 = static_cast<u32>(r * h);
            const u32 x1 = x0 + static_cast<u32>(w) - 1, y1 = y0 + static_cast<u32>(h) - 1;
            for (u32 x = x0; x <= x1; x++) {
                display_plot_pixel(x, y0, 8);
                display_plot_pixel(x, y1, 8);
            }
            for (u32 y = y0; y <= y1; y++) {
                display_plot_pixel(x0, y, 8);
                display_plot_pixel(x1, y, 8);
            }
        }
}
