#include "inspect/video_monitor_window.h"

#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "cpu/bus.h"
#include "gui/dialog_parts.h"
#include "gui/main_window.h"
#include "gui/tool_windows.h"
#include "inspect/address_text.h"
#include "inspect/monitor_rows.h"
#include "inspect/video_monitor_panels.h"
#include "platform/catalog.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

std::vector<VideoHint> mon_video_hints;

namespace {

// A cell of a register panel: its label and one or two rows ("X,Y" cells
// show two registers side by side); no label: an empty cell.
struct Cell {
    const char* label;
    i16 row, row2;
};
constexpr Cell EMPTY{nullptr, -1, -1};

// clang-format off
constexpr Cell UVI_PANEL[5][6] = {
    {{"CONSOLE:", 0, -1}, {"GFXMODE:", 1, -1}, {"BGCOLLIDE:", 2, -1}, {"SPRITE0X,Y:", 105, 106},
     {"P1PADDLE:", 3, -1}, {"P2PADDLE:", 4, -1}},
    {{"PITCH:", 5, -1}, {"BGCOLOUR:", 6, -1}, {"SPRITECOLLIDE:", 7, -1}, {"SPRITE1X,Y:", 107, 108},
     {"P1LEFTKEYS:", 8, -1}, {"P2LEFTKEYS:", 9, -1}},
    {{"VOLUME:", 10, -1}, {"VSCROLL:", 11, -1}, {"SPRITES01CTRL:", 12, -1}, {"SPRITE2X,Y:", 109, 110},
     {"P1MIDDLEKEYS:", 13, -1}, {"P2MIDDLEKEYS:", 14, -1}},
    {EMPTY, {"CHARLINE:", 15, -1}, {"SPRITES23CTRL:", 16, -1}, {"SPRITE3X,Y:", 111, 112},
     {"P1RIGHTKEYS:", 17, -1}, {"P2RIGHTKEYS:", 18, -1}},
    {EMPTY, EMPTY, EMPTY, EMPTY, {"P1PALLADIUM:", 19, -1}, {"P2PALLADIUM:", 20, -1}},
};

// The first PVI's rows by column and cell; the second and third PVI use the
// same grid 75 and 103 rows further on.
constexpr i16 PVI_ROWS[4][5][2] = {
    {{115, -1}, {117, -1}, {121, -1}, {125, 126}, {133, 134}},
    {{116, -1}, {118, -1}, {122, -1}, {127, 128}, {135, 136}},
    {{113, -1}, {119, -1}, {123, -1}, {129, 130}, {137, 138}},
    {{114, -1}, {120, -1}, {124, -1}, {131, 132}, {139, 140}},
};
constexpr int PVI_ROW_SHIFT[3] = {0, MON_PVI2_FIRST - MON_PVI1_FIRST, MON_PVI3_FIRST - MON_PVI1_FIRST};
constexpr const char* PVI_LABELS[3][4][5] = {
    {{"PITCH:", "SCORECTRL:", "BGCOLLIDE:", "SPRITE0AX,Y:", "SPRITE0BX,Y:"},
     {"SIZES:", "SCORELT:", "SPRITECOLLIDE:", "SPRITE1AX,Y:", "SPRITE1BX,Y:"},
     {"P1PADDLE:", "SCORERT:", "SPR01COLOURS:", "SPRITE2AX,Y:", "SPRITE2BX,Y:"},
     {"P2PADDLE:", "BGCOLOUR:", "SPR23COLOURS:", "SPRITE3AX,Y:", "SPRITE3BX,Y:"}},
    {{"PITCH2:", "SCORECTRL2:", "BGCOLLIDE2:", "SPRITE4AX,Y:", "SPRITE4BX,Y:"},
     {"SIZES2:", "SCORELT2:", "SPRITECOLLIDE2:", "SPRITE5AX,Y:", "SPRITE5BX,Y:"},
     {"P3PADDLE:", "SCORERT2:", "SPR45COLOURS:", "SPRITE6AX,Y:", "SPRITE6BX,Y:"},
     {"P4PADDLE:", "BGCOLOUR2:", "SPR67COLOURS:", "SPRITE7AX,Y:", "SPRITE7BX,Y:"}},
    {{"PITCH3:", "SCORECTRL3:", "BGCOLLIDE3:", "SPRITE8AX,Y:", "SPRITE8BX,Y:"},
     {"SIZES3:", "SCORELT3:", "SPRITECOLLIDE3:", "SPRITE9AX,Y:", "SPRITE9BX,Y:"},
     {"P5PADDLE:", "SCORERT3:", "SPR89COLOURS:", "SPRITE10AX,Y:", "SPRITE10BX,Y:"},
     {"P6PADDLE:", "BGCOLOUR3:", "SPR1011COLOURS:", "SPRITE11AX,Y:", "SPRITE11BX,Y:"}},
};

// The consoles' key registers; the Elektor adds the cassette column.
constexpr Cell OTHER_PANEL[4][3] = {
    {{"CONSOLE:", 146, -1}, {"P1LEFTKEYS:", 143, -1}, {"P2LEFTKEYS:", 147, -1}},
    {{"NOISE:", 150, -1}, {"P1MIDDLEKEYS:", 144, -1}, {"P2MIDDLEKEYS:", 148, -1}},
    {EMPTY, {"P1RIGHTKEYS:", 145, -1}, {"P2RIGHTKEYS:", 149, -1}},
    {EMPTY, {"CASIN:", 141, -1}, {"CASOUT:", 142, -1}},
};
// clang-format on

constexpr int LABEL_PIXELS_PER_CHAR = 9;

int window() {
    return gui_subwin_window[TW_VIDEO_CHIP];
}

int pvi_count() {
    return std::clamp(machine_live_row().pvi_count, 0, 3);
}

VideoMonitor layout() {
    return machine_debug().video_monitor;
}

GuiNode stretch() {
    GuiNode s = gui_node(GK_SPACE);
    s.weight = 1;
    return s;
}

// One column of cells; its labels share the width of its longest. Empty
// cells in a run become one space that takes the spare height.
template <std::size_t N> GuiNode column(const Cell (&cells)[N]) {
    std::size_t widest = 0;
    for (const Cell& c : cells)
        if (c.label) widest = std::max(widest, std::strlen(c.label));
    GuiNode col = gui_group(GK_VGROUP);
    bool after_empty = false;
    for (const Cell& c : cells) {
        if (!c.label) {
            if (!after_empty) col.children.push_back(stretch());
            after_empty = true;
            continue;
        }
        after_empty = false;
        GuiNode caption = gui_label(c.label);
        caption.min_w = static_cast<int>(widest) * LABEL_PIXELS_PER_CHAR;
        GuiNode cell = gui_group(GK_HGROUP, {caption, monitor_row_button(c.row, 2)});
        if (c.row2 >= 0) cell.children.push_back(monitor_row_button(c.row2, 2));
        cell.children.push_back(stretch());
        col.children.push_back(cell);
    }
    return col;
}

GuiNode uvi_panel() {
    GuiNode columns = gui_group(GK_HGROUP);
    for (const auto& cells : UVI_PANEL)
        columns.children.push_back(column(cells));
    return gui_group(GK_VGROUP, {columns}, cat_str(154, "2637 UVI Status"));
}

GuiNode pvi_panel(int pvi) {
    GuiNode columns = gui_group(GK_HGROUP);
    for (int c = 0; c < 4; c++) {
        Cell cells[5];
        for (int k = 0; k < 5; k++) {
            const i16* rows = PVI_ROWS[c][k];
            const int shift = PVI_ROW_SHIFT[pvi];
            cells[k] = {PVI_LABELS[pvi][c][k], static_cast<i16>(rows[0] + shift),
                        static_cast<i16>(rows[1] < 0 ? -1 : rows[1] + shift)};
        }
        columns.children.push_back(column(cells));
    }
    const char* title;
    if (pvi == 0 && pvi_count() == 1)
        title = cat_str(151, "2636 PVI Status");
    else if (pvi == 0)
        title = cat_str(392, "2636 PVI #1 Status");
    else if (pvi == 1)
        title = cat_str(393, "2636 PVI #2 Status");
    else
        title = cat_str(394, "2636 PVI #3 Status");
    return gui_group(GK_VGROUP, {columns}, title);
}

GuiNode other_panel(bool cassette) {
    GuiNode columns = gui_group(GK_HGROUP);
    const int count = cassette ? 4 : 3;
    for (int c = 0; c < count; c++) {
        if (c) columns.children.push_back(gui_node(GK_SPACE));
        columns.children.push_back(column(OTHER_PANEL[c]));
    }
    return gui_group(GK_VGROUP, {columns}, cat_str(395, "Other Registers"));
}

// The machine's panels, top to bottom, and what stands to their right.
GuiNode content() {
    GuiNode stack = gui_group(GK_VGROUP);
    GuiNode right;
    bool beside = false;
    switch (layout()) {
    case VideoMonitor::UVI:
        stack.children = {uvi_panel(), mon_build_uvi_ram_panel()};
        break;
    case VideoMonitor::PVI_CONSOLE:
        stack.children = {pvi_panel(0), other_panel(false), mon_build_pvi_ram_panel()};
        break;
    case VideoMonitor::PVI_CASSETTE:
        stack.children = {pvi_panel(0), other_panel(true)};
        right = mon_build_paddles_panel();
        beside = true;
        break;
    case VideoMonitor::PADDLES:
        stack.children = {mon_build_paddles_panel()};
        break;
    case VideoMonitor::NONE:
        for (int p = 0; p < pvi_count(); p++)
            stack.children.push_back(pvi_panel(p));
        break;
    }
    GuiNode main_row = gui_group(GK_HGROUP, {stack});
    if (beside) main_row.children.push_back(right);
    GuiNode root = gui_group(GK_VGROUP, {main_row});
    if (!mon_video_hints.empty()) root.children.push_back(mon_hint_line());
    return root;
}

void give_hints(GuiNode& n, const std::unordered_map<int, const std::string*>& hints) {
    if (n.gid) {
        const auto it = hints.find(n.gid);
        if (it != hints.end()) n.hint = *it->second;
    }
    for (GuiNode& c : n.children)
        give_hints(c, hints);
}

GuiWindowDesc describe() {
    GuiWindowDesc d;
    d.title = cat_str(691, "Real-Time UVI/PVI(s) Monitor");
    d.root = content();
    std::unordered_map<int, const std::string*> hints;
    for (const VideoHint& h : mon_video_hints)
        hints[h.gid] = &h.text;
    give_hints(d.root, hints);
    return d;
}

void edit(int row) {
    monitor_edit_row(row);
}

bool handle(const GuiEvent& e) {
    return mon_window_event(TW_VIDEO_CHIP, e, 0, MON_VIDEO_LAST, edit);
}

void input() {
    if (gui_tool_window_events(TW_VIDEO_CHIP, handle)) gui_flush_main_port();
}

void add_hints(int first, int last) {
    char text[INFO_TEXT_SIZE];
    for (int row = first; row <= last; row++) {
        addr_info_text(monitor_reg_address(row), text, sizeof text);
        mon_video_hints.push_back({MON_ROW_GADGET + row, text});
    }
}

} // namespace

bool mon_video_available() {
    return layout() != VideoMonitor::NONE || pvi_count() > 0;
}

void mon_build_video_hints() {
    mon_video_hints.clear();
    if (!machine_traits().uvi && pvi_count() == 0) return;
    const MachineDebug& d = machine_debug();
    if (d.video_rows_first >= 0 && d.video_rows_last <= MON_VIDEO_LAST)
        add_hints(d.video_rows_first, d.video_rows_last);
    const int pvi_first[3] = {MON_PVI1_FIRST, MON_PVI2_FIRST, MON_PVI3_FIRST};
    const int pvi_last[3] = {MON_ELEKTOR_FIRST - 1, MON_PVI3_FIRST - 1, MON_VIDEO_LAST};
    for (int p = 0; p < pvi_count(); p++)
        add_hints(pvi_first[p], pvi_last[p]);
}

void mon_video_refresh(int force) {
    if (!window()) return;
    for (int row = 0; row <= MON_VIDEO_LAST; row++) {
        if (!mon_reg_table[row].enabled) continue;
        const u32 a = monitor_reg_address(row);
        mon_show_row(TW_VIDEO_CHIP, row, a < GUEST_MEMORY_SIZE ? guest_memory[a] : 0, 2, force);
    }
    mon_paddles_refresh();
}

void mon_open_video_window() {
    if (window() || !mon_video_available()) return;
    gui_gadgets[GID_PADDLES_PANEL] = gui_gadgets[GID_PADDLES_PICTURE] = 0;
    mon_build_video_hints();
    if (!gui_open_subwindow(TW_VIDEO_CHIP, describe())) return;
    mon_paddles_open();
    monitor_reset_rows();
    gui_refresh_windows(1);
}

void video_monitor_window_register() {
    SubwindowOps& ops = gui_subwin_ops[TW_VIDEO_CHIP];
    ops.open = mon_open_video_window;
    ops.input = input;
    ops.refresh = mon_video_refresh;
}
