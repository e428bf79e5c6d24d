#include "inspect/memory_views.h"

#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "debugger/debugger.h"
#include "gui/tool_windows.h"
#include "inspect/memory_editor_window.h"
#include "inspect/monitor_rows.h"

#include <cstdio>

i32 memedit_page = 0;
i32 memedit_shown_page = -1;
u8 memedit_cell_bytes[MEMEDIT_CELLS];
char memedit_cell_texts[MEMEDIT_CELLS][3];
u8 memedit_cell_class[MEMEDIT_CELLS];
char memedit_hint_texts[MEMEDIT_CELLS][INFO_TEXT_SIZE];
u8 memedit_map_pixels[MEMEDIT_PICTURE_W * MEMEDIT_PICTURE_H];

namespace {

bool both_mirrors(u32 a) {
    return mem_read_mirror[a] != a && mem_write_mirror[a] != a;
}

// A zero byte darkens read-only, read/write and mirror colours (class + 10).
u8 dark_if_zero(u8 cls, u8 byte) {
    return byte == 0 ? static_cast<u8>(cls + 10) : cls;
}

int window() {
    return gui_subwin_window[TW_MEMORY];
}

void cell_label(int i) {
    const u32 a = static_cast<u32>(memedit_base + i) & (GUEST_MEMORY_SIZE - 1);
    memedit_cell_class[i] = memedit_cell_class_of(a);
    const int gid = GID_MEM_CELL + i;
    gui_set_text(window(), gid, memedit_cell_texts[i]);
    gui_set_background(window(), gid, static_cast<int>(gui_pens[memedit_cell_class[i]]));
}

void build_hints() {
    for (int i = 0; i < MEMEDIT_CELLS; i++) {
        mem_info_text(static_cast<u32>(memedit_base + i), memedit_hint_texts[i], INFO_TEXT_SIZE);
        gui_set_hint(window(), GID_MEM_CELL + i, memedit_hint_texts[i]);
    }
}

} // namespace

u8 memedit_shown_byte(u32 a) {
    a &= GUEST_MEMORY_SIZE - 1;
    return both_mirrors(a) ? guest_memory[mem_read_mirror[a]] : guest_memory[a];
}

u8 memedit_cell_class_of(u32 a) {
    a &= GUEST_MEMORY_SIZE - 1;
    const u32 w = mem_attributes[a];
    if (w & MEM_BREAKPOINT) return 6;
    if (w & MEM_WATCH) return 4;
    if (both_mirrors(a)) return guest_memory[mem_read_mirror[a]] == 0 ? 15 : 5;
    switch (w & (MEM_UNWRITABLE | MEM_UNREADABLE)) {
    case MEM_UNWRITABLE:
        return dark_if_zero(1, guest_memory[a]);
    case MEM_UNREADABLE:
        return 3;
    case MEM_UNWRITABLE | MEM_UNREADABLE:
        return 0;
    default:
        return dark_if_zero(2, guest_memory[a]);
    }
}

u8 memedit_picture_class(int mode, u32 a) {
    a &= GUEST_MEMORY_SIZE - 1;
    const u32 w = mem_attributes[a];
    if (mode == MAP_COVERAGE) {
        const u32 f = mem_access[a];
        if ((f & ACC_WRITTEN) && (f & ACC_READ)) return 2;
        if (f & ACC_WRITTEN) return 3;
        if (f & ACC_READ) return 1;
        if (f & (ACC_OPCODE | ACC_OPERAND)) return 6;
        if (f & ACC_INDIRECT) return 5;
        return 9;
    }
    if (w & MEM_BREAKPOINT) return 6;
    if (w & MEM_WATCH) return 4;
    const u32 kind = w & (MEM_UNWRITABLE | MEM_UNREADABLE);
    if (mode == MAP_MEMORY_MAP) {
        if (mem_read_mirror[a] != a || mem_write_mirror[a] != a) return 5;
        if (kind == (MEM_UNWRITABLE | MEM_UNREADABLE)) return 0;
        if (kind == MEM_UNWRITABLE) return dark_if_zero(1, guest_memory[a]);
        if (kind == MEM_UNREADABLE) return 3;
        return dark_if_zero(2, guest_memory[a]);
    }
    // Contents: black for zero, the light colour for $80..$FF, the dark one below.
    const u8 byte = memedit_shown_byte(a);
    if (byte == 0) return 9;
    const bool high = byte & 0x80;
    if (both_mirrors(a)) return high ? 5 : 15;
    if (kind == (MEM_UNWRITABLE | MEM_UNREADABLE)) return high ? 0 : 10;
    if (kind == MEM_UNWRITABLE) return high ? 1 : 11;
    if (kind == MEM_UNREADABLE) return high ? 3 : 13;
    return high ? 2 : 12;
}

void memedit_draw_picture(int mode) {
    if (mode < MAP_CONTENTS || mode > MAP_COVERAGE) return;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        memedit_map_pixels[a] = memedit_picture_class(mode, a);
}

void mon_memory_view_refresh(int force) {
    const int win = window();
    if (!win) return;
    force &= 0xFF;
    if (memedit_page < 0 || memedit_page > 127) memedit_page = 0;
    if (memedit_page != memedit_shown_page) {
        memedit_shown_page = memedit_page;
        gui_set_value(win, GID_MEM_SLIDER, memedit_page);
        memedit_base = memedit_page * 256;
        force = 1;
    }
    if (force) {
        char text[16];
        std::snprintf(text, sizeof text, "%04X..%04X", static_cast<unsigned>(memedit_base),
                      static_cast<unsigned>(memedit_base + 255));
        gui_set_text(win, GID_MEM_REGION, text);
        for (int r = 0; r < 16; r++) {
            std::snprintf(text, sizeof text, "$%03Xx:", static_cast<unsigned>(memedit_base / 16 + r));
            gui_set_text(win, GID_MEM_ROW + r, text);
        }
    }
    for (int i = 0; i < MEMEDIT_CELLS; i++) {
        const u8 byte = memedit_shown_byte(static_cast<u32>(memedit_base + i));
        if (!force && byte == memedit_cell_bytes[i]) continue;
        memedit_cell_bytes[i] = byte;
        if (memedit_view_as == 0) {
            std::snprintf(memedit_cell_texts[i], 3, "%02X", byte);
        } else {
            latin1_char_utf8(dbg_guest_char_to_ascii(byte), memedit_cell_texts[i]);
        }
        cell_label(i);
    }
    if (force)
        build_hints();
    else if (memedit_map_view == MAP_MEMORY_MAP)
        return; // that picture follows attributes and mirrors only: redrawn when forced
    memedit_draw_picture(memedit_map_view);
    gui_display_attach(win, GID_MEM_PICTURE, memedit_map_pixels, MEMEDIT_PICTURE_W,
                       MEMEDIT_PICTURE_H, MEMEDIT_PICTURE_W, gui_pens, GUI_PENS);
    gui_display_refresh(win, GID_MEM_PICTURE);
}

void memedit_views_reset() {
    memedit_shown_page = -1;
}
