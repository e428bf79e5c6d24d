#include "inspect/monitor_rows.h"

#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "cpu/memory.h"
#include "debugger/watch.h"
#include "display/host.h"
#include "gui/dialog_parts.h"
#include "gui/prompts.h"
#include "gui/tool_windows.h"
#include "input/keys.h"
#include "input/picture_choice.h"
#include "inspect/cpu_monitor_window.h"
#include "machines/pvi2636.h"
#include "platform/catalog.h"

#include <cstdio>

namespace {

// The rows' addresses as runs of consecutive values, in row order.
struct Run {
    u32 first, last;
};
constexpr Run ROW_RUNS[] = {
    // 0..112: the UVI's registers, its sprite and character RAM
    {0x1908, 0x1908}, {0x19F8, 0x19F8}, {0x19FC, 0x19FC}, {0x19FF, 0x19FF}, {0x19FE, 0x19FE},
    {0x18FD, 0x18FD}, {0x19F9, 0x19F9}, {0x19FD, 0x19FD}, {0x1900, 0x1900}, {0x1904, 0x1904},
    {0x18FE, 0x18FE}, {0x18FC, 0x18FC}, {0x19FB, 0x19FB}, {0x1901, 0x1901}, {0x1905, 0x1905},
    {0x18FF, 0x18FF}, {0x19FA, 0x19FA}, {0x1902, 0x1902}, {0x1906, 0x1906}, {0x1903, 0x1903},
    {0x1907, 0x1907}, {0x18D0, 0x18EF}, {0x18F8, 0x18FB}, {0x1AD0, 0x1AFF}, {0x18F1, 0x18F1},
    {0x18F0, 0x18F0}, {0x18F3, 0x18F3}, {0x18F2, 0x18F2}, {0x18F5, 0x18F5}, {0x18F4, 0x18F4},
    {0x18F7, 0x18F7}, {0x18F6, 0x18F6},
    // 113..140: the first PVI, offsets
#define PVI_RUNS(base)                                                                             \
    {base + 0xCC, base + 0xCD}, {base + 0xC7, base + 0xC7}, {base + 0xC0, base + 0xC0},            \
        {base + 0xC3, base + 0xC3}, {base + 0xC8, base + 0xC9}, {base + 0xC6, base + 0xC6},        \
        {base + 0xCA, base + 0xCB}, {base + 0xC1, base + 0xC2}, {base + 0x0A, base + 0x0A},        \
        {base + 0x0C, base + 0x0C}, {base + 0x1A, base + 0x1A}, {base + 0x1C, base + 0x1C},        \
        {base + 0x2A, base + 0x2A}, {base + 0x2C, base + 0x2C}, {base + 0x4A, base + 0x4A},        \
        {base + 0x4C, base + 0x4C}, {base + 0x0B, base + 0x0B}, {base + 0x0D, base + 0x0D},        \
        {base + 0x1B, base + 0x1B}, {base + 0x1D, base + 0x1D}, {base + 0x2B, base + 0x2B},        \
        {base + 0x2D, base + 0x2D}, {base + 0x4B, base + 0x4B}, {base + 0x4D, base + 0x4D}
    PVI_RUNS(0),
    // 141..187: the Elektor's cassette bytes, the consoles' keys and PVI RAM
    {0x1DBF, 0x1DBF}, {0x1DFF, 0x1DFF}, {0x1E88, 0x1E8E}, {0x1E80, 0x1E80}, {0x1F0E, 0x1F0F},
    {0x1F1E, 0x1F1F}, {0x1F4E, 0x1F6D}, {0x1FAD, 0x1FAD},
    // 188..243: the second and third PVI
    PVI_RUNS(0x100), PVI_RUNS(0x200),
#undef PVI_RUNS
    // 244..267: the PSGs, their 16-bit pairs last
    {0x1D08, 0x1D0A}, {0x1D06, 0x1D07}, {0x1D0D, 0x1D0F}, {0x1D18, 0x1D1A}, {0x1D16, 0x1D17},
    {0x1D1D, 0x1D1F}, {0x1D00, 0x1D00}, {0x1D10, 0x1D10}, {0x1D02, 0x1D02}, {0x1D12, 0x1D12},
    {0x1D04, 0x1D04}, {0x1D14, 0x1D14}, {0x1D0B, 0x1D0B}, {0x1D1B, 0x1D1B},
// 268..327: two processor panels: R0..R6, RAS0..7, five flags, SP, CC, six
// flags, IAR, the instruction
#define CPU_RUNS                                                                                   \
    {0x10000, 0x10006}, {0x1000C, 0x10013}, {0x10014, 0x10014}, {0x10014, 0x10014},                \
        {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10009, 0x10009},            \
        {0x1000A, 0x1000A}, {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10014, 0x10014},            \
        {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10014, 0x10014}, {0x1000B, 0x1000B},            \
        {0x10014, 0x10014}
    CPU_RUNS, CPU_RUNS,
#undef CPU_RUNS
    // 328..336: counters and typing statistics
    {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10014, 0x10014},
    {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10014, 0x10014}, {0x10014, 0x10014},
    {0x10014, 0x10014},
};

struct Table {
    MonitorRow rows[MON_ROWS]{};
    constexpr Table() {
        int r = 0;
        for (const Run& run : ROW_RUNS)
            for (u32 a = run.first; a <= run.last && r < MON_ROWS; a++)
                rows[r++].address = a;
    }
};

constexpr int rows_in_runs() {
    int n = 0;
    for (const Run& run : ROW_RUNS)
        n += static_cast<int>(run.last - run.first + 1);
    return n;
}
static_assert(rows_in_runs() == MON_ROWS, "one address per row");

bool pvi_row(int row) {
    return (row >= MON_PVI1_FIRST && row < MON_ELEKTOR_FIRST) ||
           (row >= MON_PVI2_FIRST && row <= MON_VIDEO_LAST);
}

void enable(int first, int last) {
    for (int r = first; r <= last; r++)
        mon_reg_table[r].enabled = 1;
}

} // namespace

MonitorRow mon_reg_table[MON_ROWS] = {};
static const bool table_filled = [] {
    constexpr Table t;
    for (int r = 0; r < MON_ROWS; r++)
        mon_reg_table[r] = t.rows[r];
    return true;
}();

const u32 gui_pens[GUI_PENS] = {0xFF8888, 0xAAAAFF, 0x88FF88, 0xFFFF88, 0xFFCC88, 0xFF88FF,
                                0x88FFFF, 0x888888, 0xFFFFFF, 0x000000, 0xCC0000, 0x6666FF,
                                0x00CC00, 0xCCCC66, 0xCC6600, 0xCC00CC, 0x00CCCC, 0xFFCCCC};

void guest_colour_table(u32 out[256]) {
    for (int i = 0; i < 256; i++)
        out[i] = display_colour_table[pen_byte[i] % HOST_PENS];
}

u32 monitor_reg_address(int row) {
    if (row < 0 || row >= MON_ROWS) return MON_NO_ADDRESS;
    const u32 a = mon_reg_table[row].address;
    return pvi_row(row) ? a + pvi_base : a;
}

void monitor_reset_rows() {
    for (int r = 0; r <= MON_VIDEO_LAST; r++)
        mon_reg_table[r].enabled = 0;
    const i32 pvis = machine_live[machine_row_index()].pvi_count;
    if (pvis > 0) enable(MON_PVI1_FIRST, MON_ELEKTOR_FIRST - 1);
    if (pvis > 1) enable(MON_PVI2_FIRST, MON_PVI3_FIRST - 1);
    if (pvis > 2) enable(MON_PVI3_FIRST, MON_VIDEO_LAST);
    const MachineDebug& d = machine_debug();
    if (d.video_rows_first >= 0 && d.video_rows_last <= MON_VIDEO_LAST)
        enable(d.video_rows_first, d.video_rows_last);
}

int monitor_edit_row(int row) {
    char what[12];
    std::snprintf(what, sizeof what, "$%X", monitor_reg_address(row));
    return gui_edit_value_window(what, 1, 0);
}

int monitor_row_colour(int row) {
    if (row < 0 || row >= MON_ROWS) return -1;
    const u8 psu[2] = {cpu_panel_psu(0), cpu_panel_psu(1)};
    int a = -1, b = -1;
    if (!monitor_label_pen(row, monitor_reg_address(row), psu, &a, &b)) return -1;
    return a;
}

void mon_set_reg_label(ToolWindow w, const char* text, int row) {
    const int win = gui_subwin_window[w];
    if (!win || row < 0 || row >= MON_ROWS) return;
    gui_set_text(win, MON_ROW_GADGET + row, text);
    const int c = monitor_row_colour(row);
    if (c >= 0 && c < GUI_PENS) gui_set_background(win, MON_ROW_GADGET + row, static_cast<int>(gui_pens[c]));
}

bool mon_show_row(ToolWindow w, int row, u16 value, int digits, int force) {
    MonitorRow& r = mon_reg_table[row];
    if (!(force & 0xFF) && value == r.last) return false;
    r.last = value;
    std::snprintf(r.text, sizeof r.text, digits == 4 ? "%04X" : "%02X",
                  digits == 4 ? value : static_cast<u16>(value & 0xFF));
    mon_set_reg_label(w, r.text, row);
    return true;
}

int mon_find_row_at(ToolWindow w, int x, int y) {
    int first, last;
    if (w == TW_PSG)
        first = MON_PSG_FIRST, last = MON_PSG_LAST;
    else if (w == TW_VIDEO_CHIP)
        first = 0, last = MON_VIDEO_LAST;
    else
        return -1;
    const int win = gui_subwin_window[w];
    if (!win) return -1;
    for (int r = first; r <= last; r++) {
        if (w == TW_VIDEO_CHIP && !mon_reg_table[r].enabled) continue;
        const GuiRect b = gui_gadget_rect(win, MON_ROW_GADGET + r);
        if (x >= b.left && x <= b.right && y >= b.top && y <= b.bottom) return r;
    }
    return -1;
}

int mon_toggle_watch_at(ToolWindow w, int x, int y) {
    const int row = mon_find_row_at(w, x, y);
    if (row < 0) return 0;
    const u32 a = monitor_reg_address(row);
    if (a >= GUEST_MEMORY_SIZE) return 1;
    if (mem_attributes[a] & MEM_WATCH)
        dbg_clear_watchpoint(a);
    else
        dbg_set_watchpoint(a, 0, 0, 0, 255, 1);
    return 1;
}

GuiNode monitor_row_button(int row, int chars) {
    GuiNode b;
    b.kind = GK_BUTTON;
    b.gid = MON_ROW_GADGET + row;
    b.text = row >= 0 && row < MON_ROWS ? mon_reg_table[row].text : "";
    b.min_w = 12 + 9 * chars;
    return b;
}

bool mon_window_event(ToolWindow w, const GuiEvent& e, int first, int last, void (*edit)(int row)) {
    switch (e.type) {
    case GE_RAWKEY:
        if (e.code == RAW_ESC) return true;
        gui_forward_raw_key(e.code);
        break;
    case GE_GADGET:
        if (e.gid >= MON_ROW_GADGET + first && e.gid <= MON_ROW_GADGET + last) edit(e.gid - MON_ROW_GADGET);
        break;
    case GE_MOUSEBUTTON:
        if (e.code == 2 + RAWKEY_UP) mon_toggle_watch_at(w, e.x, e.y);
        break;
    default:
        break;
    }
    return false;
}

GuiNode mon_hint_line() {
    GuiNode hint = gui_label(cat_str(541, "Hover over a button for more information."));
    hint.centred = true;
    GuiNode stretch = gui_node(GK_SPACE);
    stretch.weight = 1;
    return gui_group(GK_VGROUP, {gui_label(""), gui_group(GK_HGROUP, {stretch, hint, stretch})});
}
