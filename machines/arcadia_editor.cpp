// The Arcadia's debugging overlays (DRAW 1-3) and its screen editor: the
// cursor drawn over the frame and the keys that type into the screen RAM.
#include "machines/arcadia_editor.h"

#include "core/emu.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/frame.h"
#include "display/pointer_text.h"
#include "input/keys.h"
#include "machines/uvi2637.h"

#include <cstring>

u8 arcadia_pen = 0;

namespace {

constexpr u32 FIRST_AREA = 0x1800, SECOND_AREA = 0x1A00, AREA_END = 0xD0;

u8& mem(u32 a) {
    return guest_memory[a];
}

// Row 0-25 and column 0-15 of a cursor address.
i32 row_of(u32 a) {
    return a <= 0x19FF ? static_cast<i32>(a - FIRST_AREA) / 16
                       : static_cast<i32>(a - SECOND_AREA) / 16 + 13;
}
u32 address_of(i32 row, i32 column) {
    return (row < 13 ? FIRST_AREA + 16 * static_cast<u32>(row)
                     : SECOND_AREA + 16 * static_cast<u32>(row - 13)) +
           static_cast<u32>(column);
}

// Paints each pixel the frame paints on raster `line` (its border clocks, and
// on the picture's lines clocks 49-226) in the colour the table gives for its
// cell; 0xFF keeps a pixel.
void overlay_line(i32 line, u8 (*colour)(i32 line, i32 clock, u8 cell)) {
    const u8* cells = uvi_line_cells + static_cast<std::size_t>(line) * UVI_LINE_CLOCKS;
    auto paint = [&](i32 from, i32 to) {
        for (i32 x = from; x <= to; x++) {
            const u8 c = colour(line, x, cells[x]);
            if (c != 0xFF) display_plot_clipped(x, line, c);
        }
    };
    if (line != first_visible_line) paint(0, border_clocks - 1);
    if (line >= first_visible_line) paint(49, UVI_LINE_CLOCKS - 1);
}

void grid() {
    const UviTextArea& t = uvi_text_area;
    const i32 visible = lines_per_frame - first_visible_line;
    if (t.first < visible) {
        for (i32 r = 0; r < t.rows && r < UVI_ROWS; r++) {
            const i32 top = t.first + r * t.height;
            if (top < 0 || top >= visible) continue;
            const i32 x0 = uvi_row_x[uvi_row_slot][r];
            for (i32 x = x0; x <= x0 + 128; x++) {
                display_plot_guest(x, top, 8);
                display_plot_guest(x, top + t.height, 8);
            }
            for (i32 y = top + 1; y < top + t.height; y++)
                for (i32 x = x0; x <= x0 + 128; x += 8)
                    display_plot_guest(x, y, 8);
        }
    }
    if (!blankingareas) return;
    const bool fifty = emu_region & 1;
    const i32 last = fifty ? 268 : 241;
    for (i32 x = -49; x <= (fifty ? -44 : -40); x++) {
        display_plot_guest(x, fifty ? -43 : -20, 18);
        for (i32 y = 1; y <= last; y++)
            display_plot_guest(x, y, 18);
    }
    for (i32 y = 0; y <= last; y++) {
        for (i32 x = 0; x <= 5; x++)
            display_plot_guest(x, y, 18);
        for (i32 x = 170; x <= 177; x++)
            display_plot_guest(x, y, 18);
    }
}

// ---- the cursor ----------------------------------------------------------------------

u8 colour(u32 n) {
    return uvi_colour_table[uvi_colour_row][n & 7];
}

void draw_cursor() {
    const u32 a = screen_edit_address;
    const i32 r = row_of(a), c = static_cast<i32>(a & 15);
    const u8 gfx = mem(0x19F9), mode = mem(0x19F8);
    const i32 h = gfx & 0x80 ? 8 : 16;
    const i32 left = uvi_row_x[uvi_row_slot][r] + 8 * c - 1, right = left + 9;
    const i32 top = 255 - mem(0x18FC) + r * h - 1, bottom = top + h + 1;
    const u8 code = mem(a);
    u8 bg, box, fg;
    if (mem(0x18FD) & 0x80) { // board mode
        const u8 f0 = (mode >> 3) & 7, f1 = mode & 7;
        box = colour(arcadia_pen & 0x40 ? f1 : f0);
        fg = colour(code & 0x40 ? f1 : f0);
        bg = colour(code & 0x80 ? gfx : uvi_bg_latch);
    } else {
        bg = colour(gfx & 7);
        box = colour(((gfx >> 3) & 1) + (arcadia_pen >> 5));
        fg = colour(((code >> 5) & 6) + ((gfx >> 3) & 1));
    }
    const bool hidden_row = r >= 13 && !(mode & 0x40);
    if (box == bg || hidden_row) box = 8;
    if (fg == bg || hidden_row) fg = 8;
    const i32 visible = lines_per_frame - first_visible_line;
    for (i32 x = left; x <= right; x++) {
        if (top >= 0 && top < visible) display_plot_guest(x, top, box);
        if (bottom >= 0 && bottom < visible) display_plot_guest(x, bottom, box);
    }
    for (i32 y = top; y <= bottom; y++) {
        if (y < 0 || y >= visible) continue;
        display_plot_guest(left, y, box);
        display_plot_guest(right, y, box);
    }
    // The character under the cursor, in the block set where block mode holds
    // there (globally, or from a $C0 before it in the row until a $40).
    bool block = mode & 0x80;
    for (i32 k = 0; k < c; k++) {
        const u8 before = mem(address_of(r, k));
        if (before == 0xC0) block = true;
        if (before == 0x40) block = false;
    }
    const u8* glyph;
    if (code == 0xC0 || code == 0x40)
        glyph = uvi_char_rom + (block ? UVI_BLOCK_SET : 0) + 8 * (code == 0xC0 ? 64 : 65);
    else if ((code & 63) >= 56)
        glyph = &mem(0x19A0 + 8 * (((code & 63) - 56u) & 3));
    else
        glyph = uvi_char_rom + (block ? UVI_BLOCK_SET : 0) + 8 * (code & 63);
    for (i32 line = 0; line < h; line++) {
        const i32 y = top + 1 + line;
        if (y < 0 || y >= visible) continue;
        const u8 bits = glyph[h == 16 ? line / 2 : line];
        for (i32 b = 0; b < 8; b++)
            display_plot_guest(left + 1 + b, y, (bits >> (7 - b)) & 1 ? fg : bg);
    }
}

// ---- keys ------------------------------------------------------------------------------

void status(const char* text) {
    ui_status_text(text);
}

void move_to(i32 row, i32 column) {
    screen_edit_address = address_of(row, column);
}

void clear_cell(u32 a) {
    mem(a) = 0;
}

// One cell on, from the end of the first area to the second and back.
void advance() {
    u32& a = screen_edit_address;
    if (a == FIRST_AREA + AREA_END - 1)
        a = SECOND_AREA;
    else if (a == SECOND_AREA + AREA_END - 1)
        a = FIRST_AREA;
    else
        a++;
}

// The code whose glyph shows host character ch (symbols and the lower-case
// shapes of the set), -1 for none.
int code_showing(u16 ch) {
    if (ch == 0 || ch >= 128 || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) return -1;
    const char* hit = std::strchr(uvi_char_codes, static_cast<char>(ch));
    return hit ? static_cast<int>(hit - uvi_char_codes) : -1;
}

// What raw key `code` types: the digits and letters, Shift with a letter its
// lower-case shape, the symbol keys their glyph; -1 for nothing.
int typed_code(u32 code, bool shift) {
    static const u8 pad_digits[10] = {15, 29, 30, 31, 45, 46, 47, 61, 62, 63};
    for (int d = 0; d < 10; d++)
        if (code == pad_digits[d]) return 0x10 + d;
    if (code >= 1 && code <= 10 && !shift) return 0x10 + static_cast<int>(code % 10);
    const u16 plain = key_table[code].chars[KC_PLAIN];
    if (plain >= 'a' && plain <= 'z') return shift ? code_showing(plain) : 0x1A + (plain - 'a');
    return code_showing(key_table[code].chars[shift ? KC_SHIFT : KC_PLAIN]);
}

bool shifted_digit(u32 code) {
    switch (code) {
    case 1: mem(screen_edit_address) = 0xC0; status("Turn on block mode locally ($C0)"); advance(); return true;
    case 2: mem(screen_edit_address) = 0x40; status("Turn off block mode locally ($40)"); advance(); return true;
    case 5: mem(screen_edit_address) = 0x80; status("Useful in board mode ($80)"); advance(); return true;
    case 6:
        mem(0x19F9) = static_cast<u8>((mem(0x19F9) & ~7) | ((mem(0x19F9) + 1) & 7));
        status("Change (outer) background colour");
        return true;
    case 7: mem(0x19F8) ^= 0x80; status("Toggle block mode globally"); return true;
    case 8: mem(0x18FD) ^= 0x80; status("Toggle board mode globally"); return true;
    case 9:
        mem(0x19F8) = static_cast<u8>((mem(0x19F8) & ~0x38) | ((mem(0x19F8) + 8) & 0x38));
        status("Change 1st foreground colour (board mode)");
        return true;
    case 10:
        mem(0x19F8) = static_cast<u8>((mem(0x19F8) & ~7) | ((mem(0x19F8) + 1) & 7));
        status("Change inner background colour (board mode)");
        return true;
    default: return false;
    }
}

} // namespace

void uvi_post_filter() {
    switch (draw_mode) {
    case 1:
        grid();
        break;
    case 2:
        for (i32 y = 0; y < lines_per_frame && y < UVI_MAX_LINES; y++)
            if (y == 0 || y >= first_visible_line)
                overlay_line(y, [](i32, i32, u8 cell) { return static_cast<u8>(cell % 24); });
        break;
    case 3:
        for (i32 y = 0; y < lines_per_frame && y < UVI_MAX_LINES; y++)
            if (y == 0 || y >= first_visible_line)
                overlay_line(y, [](i32 line, i32, u8 cell) {
                    return cell ? u8{0xFF} : static_cast<u8>(uvi_line_status[line] & 15);
                });
        break;
    default:
        break;
    }
}

void arcadia_frame_overlays() {
    if (draw_mode) uvi_post_filter();
    if (screen_edit_mode) draw_cursor();
}

void arcadia_edit_clamp() {
    const u32 a = screen_edit_address;
    if (!((a >= FIRST_AREA && a < FIRST_AREA + AREA_END) ||
          (a >= SECOND_AREA && a < SECOND_AREA + AREA_END)))
        screen_edit_address = FIRST_AREA;
}

bool arcadia_key_handler(u32 code) {
    const bool shift = host_shift_down() != 0;
    u32& a = screen_edit_address;
    const i32 r = row_of(a), c = static_cast<i32>(a & 15);
    switch (code) {
    case 0x4C: move_to(shift ? 0 : r == 0 ? 25 : r - 1, c); return true;
    case 0x4D: move_to(shift ? 25 : r == 25 ? 0 : r + 1, c); return true;
    case 0x4E: move_to(r, shift ? 15 : (c + 1) % 16); return true;
    case 0x4F: move_to(r, shift ? 0 : (c + 15) % 16); return true;
    case 0x41: // back one cell, from one area's start to the other's end
        a = a == FIRST_AREA    ? SECOND_AREA + AREA_END - 1
            : a == SECOND_AREA ? FIRST_AREA + AREA_END - 1
                               : a - 1;
        clear_cell(a);
        return true;
    case 0x43:
    case 0x44:
        move_to(r == 25 ? 0 : r + 1, 0);
        return true;
    case 0x45:
        screen_edit_mode = 0;
        ui_mark(UI_MENUS | UI_TITLE | UI_STATUS);
        return true;
    case 0x46:
        if (shift) {
            std::memset(&mem(FIRST_AREA), 0, AREA_END);
            std::memset(&mem(SECOND_AREA), 0, AREA_END);
            status("Clear screen");
        } else {
            clear_cell(a);
        }
        return true;
    case 0x1A:
        if (shift) {
            mem(0x19F8) ^= 0x40;
            status("Toggle 13/26 character rows");
        } else {
            arcadia_pen = static_cast<u8>(arcadia_pen - 0x40);
            status("Change (2nd) foreground colour backwards");
        }
        return true;
    case 0x1B:
        if (shift) {
            mem(0x19F9) ^= 0x80;
            status("Toggle low/high resolution");
        } else {
            arcadia_pen = static_cast<u8>(arcadia_pen + 0x40);
            status("Change (2nd) foreground colour forwards");
        }
        return true;
    case 0x5F:
        mem(a) = static_cast<u8>(mem(a) + (shift ? -1 : 1));
        return true;
    default:
        break;
    }
    if (code < 1 || code > 94) return false;
    if (shift && code >= 1 && code <= 10 && shifted_digit(code)) return true;
    const int typed = typed_code(code, shift);
    if (typed < 0) return false;
    mem(a) = static_cast<u8>(typed >= 1 && typed <= 63 ? typed + arcadia_pen : typed);
    advance();
    return true;
}

void arcadia_describe_position(i32 x, i32 y, int click, std::string* out) {
    i32 ux, uy;
    if (!display_console_position(x, y, 'U', out, &ux, &uy)) {
        out->clear();
        return;
    }
    if (!click) return;
    // The character cell there, when the pointer lies on a character row.
    const UviTextArea& t = uvi_text_area;
    if (t.height <= 0 || uy < t.first) return;
    const i32 r = (uy - t.first) / t.height;
    if (r >= t.rows || r >= UVI_ROWS) return;
    const i32 c = (ux - uvi_row_x[uvi_row_slot][r]) / 8;
    if (c < 0 || c > 15) return;
    move_to(r, c);
}
