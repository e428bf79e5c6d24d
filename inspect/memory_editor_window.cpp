#include "inspect/memory_editor_window.h"

#include "core/frame.h"
#include "core/machine_table.h"
#include "core/notify.h"
#include "core/settings_vars.h"
#include "cpu/memory.h"
#include "debugger/watch.h"
#include "gui/prompts.h"
#include "gui/tool_windows.h"
#include "inspect/memory_views.h"
#include "inspect/monitor_rows.h"
#include "platform/catalog.h"

#include <cstdio>

namespace {

int window() {
    return gui_subwin_window[TW_MEMORY];
}

GuiNode node(GuiKind kind, int gid = 0, const std::string& text = "") {
    GuiNode n;
    n.kind = kind;
    n.gid = gid;
    n.text = text;
    return n;
}

GuiNode flexible() {
    GuiNode s = node(GK_SPACE);
    s.weight = 1;
    return s;
}

GuiNode left_column() {
    GuiNode col = node(GK_VGROUP);
    GuiNode region = node(GK_HGROUP);
    region.children.push_back(flexible());
    region.children.push_back(node(GK_LABEL, 0, cat_str(425, "Region:")));
    GuiNode text = node(GK_STRING, GID_MEM_REGION, "");
    text.readonly = true;
    text.label = " $";
    text.max_chars = 10;
    region.children.push_back(text);
    region.children.push_back(flexible());
    col.children.push_back(region);
    GuiNode slider = node(GK_SLIDER, GID_MEM_SLIDER);
    slider.min = 0;
    slider.max = 127;
    slider.value = memedit_page;
    col.children.push_back(slider);
    GuiNode hint = node(GK_LABEL, 0, cat_str(541, "Hover over a button for more information."));
    hint.centred = true;
    col.children.push_back(hint);
    GuiNode grid = node(GK_VGROUP);
    for (int r = 0; r < 16; r++) {
        GuiNode row = node(GK_HGROUP);
        GuiNode label = node(GK_STRING, GID_MEM_ROW + r, "-");
        label.readonly = true;
        label.max_chars = 6;
        row.children.push_back(label);
        for (int c = 0; c < 16; c++) {
            GuiNode cell = node(GK_BUTTON, GID_MEM_CELL + r * 16 + c, "99");
            cell.min_w = 30;
            row.children.push_back(cell);
        }
        grid.children.push_back(row);
    }
    col.children.push_back(grid);
    GuiNode view_as = node(GK_CHOOSER, GID_MEM_VIEW_AS);
    view_as.label = cat_str(628, "View as");
    view_as.items = {cat_str(629, "Hexadecimal"), cat_str(630, "Characters")};
    view_as.value = memedit_view_as;
    col.children.push_back(view_as);
    return col;
}

GuiNode right_column() {
    GuiNode col = node(GK_VGROUP);
    col.children.push_back(flexible());
    GuiNode group = node(GK_VGROUP, 0, cat_str(628, "View as"));
    group.framed = true;
    GuiNode radio = node(GK_RADIO, GID_MEM_MAP_VIEW);
    radio.vertical = true;
    radio.items = {cat_str(718, "Contents"), cat_str(684, "Memory map"),
                   cat_str(748, "Coverage report")};
    radio.value = memedit_map_view;
    group.children.push_back(radio);
    col.children.push_back(group);
    GuiNode picture_row = node(GK_HGROUP);
    GuiNode picture = node(GK_PICTURE, GID_MEM_PICTURE);
    picture.min_w = MEMEDIT_PICTURE_W;
    picture.min_h = MEMEDIT_PICTURE_H;
    picture_row.children.push_back(picture);
    GuiNode marks = node(GK_VGROUP);
    for (const char* t : {"$0000", "$1000", "$2000", "$3000", "$4000", "$5000", "$6000", "$7000", "$7FFF"}) {
        marks.children.push_back(node(GK_LABEL, 0, t));
        if (t[1] != '7' || t[2] != 'F') marks.children.push_back(flexible());
    }
    picture_row.children.push_back(marks);
    col.children.push_back(picture_row);
    col.children.push_back(flexible());
    return col;
}

GuiNode legend() {
    static const struct {
        int number;
        const char* english;
        int pen;
    } entries[7] = {{429, "Breakpoint", 6}, {495, "Watchpoint", 4}, {430, "Mirror", 5},
                    {431, "Unmapped", 0},   {432, "Write-only", 3}, {433, "Read-only", 1},
                    {434, "Read/write", 2}};
    GuiNode g = node(GK_HGROUP, 0, cat_str(633, "Legend"));
    g.framed = true;
    for (int i = 0; i < 7; i++) {
        GuiNode b = node(GK_BUTTON, GID_MEM_LEGEND + i, cat_str(entries[i].number, entries[i].english));
        b.readonly = true;
        b.background = static_cast<int>(gui_pens[entries[i].pen]);
        g.children.push_back(b);
    }
    return g;
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(424, "Memory Editor");
    d.help_node = "memory";
    // The page keys turn pages, not the "View as" chooser's choice.
    d.keys_to_window = true;
    d.root.kind = GK_VGROUP;
    GuiNode band = node(GK_HGROUP);
    band.children.push_back(left_column());
    band.children.push_back(right_column());
    d.root.children.push_back(band);
    d.root.children.push_back(legend());
    return d;
}

void edit_cell(int i) {
    char what[12];
    std::snprintf(what, sizeof what, "$%X", static_cast<unsigned>(memedit_base + i));
    gui_set_selected(window(), GID_MEM_CELL + i, true);
    gui_edit_value_window(what, 1, 0);
    if (window()) gui_set_selected(window(), GID_MEM_CELL + i, false);
}

// A key or the wheel only moves the page number; the refresh at the end of
// this event pass shows it, once however many came, and also while the
// emulation is paused and no frame ends.
void step_page(int delta) {
    if (delta > 0 && memedit_page <= 126) memedit_page++;
    if (delta < 0 && memedit_page > 0) memedit_page--;
    ui_mark(UI_REFRESH_WINDOWS);
}

} // namespace

int gui_memory_map_hook(int code, int x, int y) {
    const int win = window();
    if (!win) return 1;
    if (code == 1 + RAWKEY_UP) {
        const GuiRect r = gui_gadget_rect(win, GID_MEM_PICTURE);
        if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) {
            const int page = (y - r.top) / 2;
            memedit_page = page > 127 ? 127 : page;
            mon_memory_view_refresh(1);
        }
    } else if (code == 2 + RAWKEY_UP) {
        for (int i = 0; i < MEMEDIT_CELLS; i++) {
            const GuiRect r = gui_gadget_rect(win, GID_MEM_CELL + i);
            if (x < r.left || x > r.right || y < r.top || y > r.bottom) continue;
            const u32 a = static_cast<u32>(memedit_base + i) & (GUEST_MEMORY_SIZE - 1);
            if (mem_attributes[a] & MEM_WATCH)
                dbg_clear_watchpoint(a);
            else
                dbg_set_watchpoint(a, 0, 0, 0, 255, 1);
            break;
        }
    }
    return 1;
}

void gui_memory_window() {
    if (machine_traits().no_processor || window()) return;
    if (memedit_base < 0 || memedit_base > 0x7FFF) memedit_base = 0;
    memedit_page = memedit_base / 256;
    if (!gui_open_subwindow(TW_MEMORY, describe())) return;
    mon_memory_view_refresh(1);
}

void gui_memory_window_input() {
    const int win = window();
    if (!win) return;
    bool close = false;
    GuiEvent e;
    while (gui_window_next_event(win, &e)) {
        switch (e.type) {
        case GE_CLOSE:
            close = true;
            break;
        case GE_GADGET:
            if (e.gid == GID_MEM_SLIDER) {
                memedit_page = e.code < 0 ? 0 : e.code > 127 ? 127 : e.code;
                mon_memory_view_refresh(1);
            } else if (e.gid == GID_MEM_MAP_VIEW) {
                memedit_map_view = e.code < 0 || e.code > 2 ? 0 : e.code;
                mon_memory_view_refresh(1);
            } else if (e.gid == GID_MEM_VIEW_AS) {
                memedit_view_as = e.code ? 1 : 0;
                mon_memory_view_refresh(1);
            } else if (e.gid >= GID_MEM_CELL && e.gid < GID_MEM_CELL + MEMEDIT_CELLS) {
                edit_cell(e.gid - GID_MEM_CELL);
            }
            break;
        case GE_RAWKEY:
            // Releases carry RAWKEY_UP and match nothing; keys stay in the window.
            // Cursor right, Page Down and the wheel's raw key go on a page;
            // cursor left, Page Up and the other way go back.
            if (e.code == 0x4E || e.code == 0x49 || e.code == 0x7A) step_page(1);
            if (e.code == 0x4F || e.code == 0x48 || e.code == 0x7B) step_page(-1);
            if (e.code == 0x45) close = true;
            break;
        case GE_WHEEL:
            step_page(e.code < 0 ? 1 : -1);
            break;
        case GE_MOUSEBUTTON:
            gui_memory_map_hook(e.code, e.x, e.y);
            break;
        case GE_MOVED:
            emu_restart_timing();
            break;
        default:
            break;
        }
        if (!window()) return; // an edit prompt may have closed everything
    }
    if (close) gui_close_subwindow(TW_MEMORY);
}

void memory_editor_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_MEMORY];
    ops.open = gui_memory_window;
    ops.input = gui_memory_window_input;
    ops.refresh = mon_memory_view_refresh;
}
