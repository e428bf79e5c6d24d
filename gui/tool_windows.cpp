#include "gui/tool_windows.h"

#include "gui/main_window.h"

// clang-format off
const ToolWindowRow tool_window_table[TOOL_WINDOWS] = {
    {TW_CONTROLS,      "guest controls",          0,  0},
    {TW_DIPS,          "DIP switches",            1,  1},
    {TW_GAMEINFO,      "game information",        3,  3},
    {TW_MEMORY,        "memory editor",           4,  4},
    {TW_CPU,           "CPU monitor",             5,  5},
    {TW_OPCODES,       "opcodes",                 8,  6},
    {TW_PALETTE,       "palette editor",          9,  7},
    {TW_TAPE,          "tape deck",              14, 11},
    {TW_SPRITES,       "sprite editor",          13,  9},
    {TW_SPEED,         "speed",                  12, 10},
    {TW_HOST_KEYBOARD, "host keyboard",          15, 12},
    {TW_HOST_PADS,     "host gamepads",          16, 13},
    {TW_VIDEO_CHIP,    "video chip monitor",      7, 15},
    {TW_PSG,           "PSG monitor",             6, 14},
    {TW_MUSIC,         "musical keyboard",       17, 16},
    {TW_NONE,          "",                       -1, -1},
    {TW_PRINTER,       "printer",                11,  8},
    {TW_FLOPPY,        "floppy drives",           2,  2},
    {TW_PAPERTAPE,     "papertape",              10, 17},
    {TW_INSTRUMENTS,   "laboratory instruments", 18, 18},
};
// clang-format on

static ToolWindowOrder order_by(int ToolWindowRow::*rank) {
    ToolWindowOrder order{};
    for (const ToolWindowRow& row : tool_window_table)
        if (row.*rank >= 0 && row.*rank < TOOL_WINDOWS_USED) order[row.*rank] = row.id;
    return order;
}

const ToolWindowOrder tool_window_event_order = order_by(&ToolWindowRow::event_rank);
const ToolWindowOrder tool_window_reopen_order = order_by(&ToolWindowRow::reopen_rank);

SubwindowOps gui_subwin_ops[TOOL_WINDOWS];
u8 gui_subwin_reopen[TOOL_WINDOWS];

bool gui_tool_window_open(ToolWindow w) {
    return w >= 0 && w < TOOL_WINDOWS && gui_subwin_ops[w].is_open && gui_subwin_ops[w].is_open();
}

void gui_open_tool_window(ToolWindow w) {
    if (w < 0 || w >= TOOL_WINDOWS || gui_tool_window_open(w)) return;
    if (gui_subwin_ops[w].open) gui_subwin_ops[w].open();
}

void gui_close_all_subwindows() {
    for (const ToolWindowRow& row : tool_window_table) {
        if (row.reopen_rank < 0 || !gui_tool_window_open(row.id)) continue;
        if (gui_subwin_ops[row.id].close) gui_subwin_ops[row.id].close();
        gui_subwin_reopen[row.id] = 1;
    }
}

void gui_reopen_subwindows() {
    if (!gui_main_window_is_open()) return;
    for (ToolWindow w : tool_window_reopen_order)
        if (gui_subwin_reopen[w] && gui_subwin_ops[w].open) gui_subwin_ops[w].open();
    for (u8& f : gui_subwin_reopen)
        f = 0;
    gui_activate_window();
}

void gui_subwindows_input() {
    for (ToolWindow w : tool_window_event_order)
        if (gui_subwin_ops[w].input && gui_tool_window_open(w)) gui_subwin_ops[w].input();
}

void gui_tool_windows_reset() {
    for (int w = 0; w < TOOL_WINDOWS; w++) {
        gui_subwin_ops[w] = SubwindowOps{};
        gui_subwin_reopen[w] = 0;
    }
}
