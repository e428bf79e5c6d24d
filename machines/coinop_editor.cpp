// The coin-op boards' grid overlays, the Zaccaria boards' screen editor of
// the tile map, and their pointer text.
#include "machines/coinop_editor.h"

#include "core/dump_lines.h"
#include "core/emu.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "core/ui_host.h"
#include "display/frame.h"
#include "display/pointer_text.h"
#include "input/keys.h"
#include "machines/coinop.h"
#include "machines/pvi2636.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/zaccaria.h"

#include <cstring>

namespace {

constexpr u32 MAP = 0x1800, MAP_END = 0x1BFF;

bool astro_wars() {
    return memmap == MAP_ASTRO_WARS;
}
bool galaxia() {
    return memmap == MAP_GALAXIA;
}

void plot(i32 x, i32 y, u32 colour) {
    if (x < 0 || y < 0 || x >= 240 || y >= 240) return;
    display_plot_pixel(static_cast<u32>(x), static_cast<u32>(y), colour);
}

// The blank tile of each game.
u8 blank() {
    return astro_wars() ? 0x20 : galaxia() ? 0x3F : 0xFF;
}

// Galaxia's band of columns 32-111 scrolls with the picture.
i32 scrolled(i32 x, i32 y) {
    return galaxia() && x >= 32 && x <= 111 ? y + coinop_scroll : y;
}

void zaccaria_draw_tile_grid() {
    for (i32 r = 2; r <= 31; r++)
        for (i32 c = 0; c <= 29; c++)
            for (i32 p = 0; p < 8; p++) {
                const i32 x = 8 * c, y = 8 * (r - 2);
                for (const auto& [px, py] : {std::pair{p, 0}, std::pair{p, 7}, std::pair{0, p},
                                             std::pair{7, p}})
                    plot(x + px, scrolled(x + px, y + py), 8);
            }
}

void malzak_grids() {
    if (pvi_overlay_mode == 2 || pvi_overlay_mode == 3)
        for (i32 r = 0; r < 24; r++)
            for (i32 c = 0; c < 40; c++) {
                for (i32 x = 0; x < 6; x++) {
                    plot(6 * c + x, 10 * r, 17);
                    plot(6 * c + x, 10 * r + 9, 17);
                }
                for (i32 y = 0; y < 10; y++) {
                    plot(6 * c, 10 * r + y, 17);
                    plot(6 * c + 5, 10 * r + y, 17);
                }
            }
    if (pvi_overlay_mode != 1 && pvi_overlay_mode != 3) return;
    const i32 h = malzak_scroll & 255, v = malzak_v_scroll;
    for (i32 r = 0; r < 16; r++)
        for (i32 c = 0; c < 16; c++) {
            const i32 x = ((16 * c + 479 - h) % 256) + malzak_x_offset - 15, y = 16 * r - v;
            for (i32 k = 0; k < 16; k++) {
                plot(x + k, y, 20);
                plot(x + k, y + 15, 20);
                plot(x, y + k, 20);
                plot(x + 15, y + k, 20);
            }
        }
}

void draw_cursor() {
    const u32 a = screen_edit_address;
    const i32 c = static_cast<i32>(a & 31), r = static_cast<i32>(a - MAP) / 32;
    const i32 left = 8 * c - 1, right = 8 * c + 8;
    i32 top = 8 * r - 17, bottom = 8 * r - 8;
    if (galaxia() && left >= 24 && right <= 111) {
        top += coinop_scroll;
        bottom += coinop_scroll;
    }
    u32 colour = 3;
    if (astro_wars()) {
        colour = coinop_colour_ram[a - MAP] & 7;
        if (colour == 7) colour = 8;
        const u8 code = guest_memory[a];
        for (i32 line = 0; line < 8; line++) {
            const u8 bits = zaccaria_chars[(8u * code + static_cast<u32>(line)) % 2048];
            for (i32 px = 0; px < 8; px++) {
                const i32 x = 8 * c + px, y = 8 * r + line - 16;
                if (x < 240 && y >= 0 && y <= 239) plot(x, y, (bits >> (7 - px)) & 1 ? colour : 7);
            }
        }
    }
    for (i32 x = left; x <= right; x++) {
        plot(x, top, colour);
        plot(x, bottom, colour);
    }
    for (i32 y = top; y <= bottom; y++) {
        plot(left, y, colour);
        plot(right, y, colour);
    }
}

void status(const char* text) {
    ui_status_text(text);
}

// The cursor one cell on (after a character), or back (Backspace).
void step(bool back) {
    u32 c = screen_edit_address & 31, r = (screen_edit_address - MAP) / 32;
    if (display_rotated) {
        // The picture is turned: "on" is one row up, from row 0 to the next column.
        if (!back) {
            if (r == 0) {
                r = 31;
                c = (c + 1) & 31;
            } else {
                r--;
            }
        } else if (r == 31) {
            r = 0;
            c = (c + 31) & 31;
        } else {
            r++;
        }
    } else if (!back) {
        if (++c == 32) {
            c = 0;
            r = (r + 1) & 31;
        }
    } else if (c-- == 0) {
        c = 31;
        r = (r + 31) & 31;
    }
    screen_edit_address = MAP + 32 * r + c;
}

void move(i32 dc, i32 dr, bool to_edge) {
    if (display_rotated) { // the directions turn with the picture
        const i32 t = dc;
        dc = dr;
        dr = -t;
    }
    i32 c = static_cast<i32>(screen_edit_address & 31),
        r = static_cast<i32>(screen_edit_address - MAP) / 32;
    if (to_edge) {
        if (dc) c = dc > 0 ? 31 : 0;
        if (dr) r = dr > 0 ? 31 : 0;
    } else {
        c = (c + dc + 32) % 32;
        r = (r + dr + 32) % 32;
    }
    screen_edit_address = MAP + 32 * static_cast<u32>(r) + static_cast<u32>(c);
}

// The code a character key types on this game, -1 for none.
int typed_code(u32 key, bool shift) {
    static const u8 pad[10] = {15, 29, 30, 31, 45, 46, 47, 61, 62, 63};
    int d = -1;
    bool main_row = false;
    if (key >= 1 && key <= 10) {
        d = static_cast<int>(key % 10);
        main_row = true;
    }
    for (int k = 0; k < 10; k++)
        if (key == pad[k]) d = k;
    if (d >= 0) {
        if (shift && main_row) {
            if (astro_wars() && d <= 5) return 115 + d;
            if (galaxia() && d >= 1 && d <= 6) return 150 + d;
        }
        return galaxia() ? 224 + d : 176 + d;
    }
    if (key == 64) {
        if (!shift) return blank();
        if (astro_wars()) return 235;
        if (!galaxia()) return 20;
        return -1;
    }
    const u16 ch = key_table[key].chars[KC_PLAIN];
    if (ch < 'a' || ch > 'z') return -1;
    const int n = ch - 'a' + 1;
    if ((astro_wars() || galaxia()) && ch == 'q') return -1;
    if (galaxia() && std::strchr("jkqxz", ch)) return -1;
    return astro_wars() || galaxia() ? 192 + n : 191 + n;
}

} // namespace

void coinop_frame_overlays() {
    if (pvi_overlay_mode) {
        if (machine_traits().draw_tables)
            malzak_grids();
        else
            zaccaria_draw_tile_grid();
    }
    if (screen_edit_mode && !machine_traits().draw_tables) draw_cursor();
}

void zaccaria_edit_clamp() {
    if (screen_edit_address < MAP || screen_edit_address > MAP_END) screen_edit_address = 0x1840;
}

bool coinop_edit_key(u32 key) {
    const bool shift = host_shift_down() != 0;
    u8& at = guest_memory[screen_edit_address];
    switch (key) {
    case 26:
    case 27:
        if (!astro_wars() && !galaxia()) return false;
        coinop_colour_ram[screen_edit_address - MAP] += key == 26 ? 0xFF : 1;
        status(key == 26 ? "Decrement foreground colour" : "Increment foreground colour");
        return true;
    case 95:
        at = static_cast<u8>(at + (shift ? -1 : 1));
        status(shift ? "Decrement screen memory" : "Increment screen memory");
        return true;
    case 65:
        step(true);
        guest_memory[screen_edit_address] = blank();
        return true;
    case 67:
    case 68:
        screen_edit_address = MAP + 32 * (((screen_edit_address - MAP) / 32 + 1) & 31);
        return true;
    case 69:
        screen_edit_mode = 0;
        ui_mark(UI_MENUS | UI_TITLE);
        return true;
    case 70:
        if (shift)
            std::memset(&guest_memory[MAP], blank(), MAP_END - MAP + 1);
        else
            at = blank();
        return true;
    case 76: move(0, -1, shift); return true;
    case 77: move(0, 1, shift); return true;
    case 78: move(1, 0, shift); return true;
    case 79: move(-1, 0, shift); return true;
    default: break;
    }
    if (key > 94) return false;
    const int code = typed_code(key, shift);
    if (code < 0) return false;
    at = static_cast<u8>(code);
    step(false);
    return true;
}

void zaccaria_describe_position(i32 x, i32 y, int click, std::string* out) {
    display_position_prefix(x, y, x + 16, out);
    const u32 address = MAP + static_cast<u32>((y + 16) / 8) * 32 + static_cast<u32>(x / 8);
    if (address > MAP_END) return;
    display_screen_byte_text(address, out);
    if (click) screen_edit_address = address;
}

void malzak_describe_position(i32 x, i32 y, int, std::string* out) {
    display_position_prefix(x, y, x + 16, out);
}
