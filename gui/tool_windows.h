// The tool windows: one row per window (name, place in the event pass, place
// when reopened after a close-all) and the handlers each window registers.
//
// Each window registers how it opens, closes, tells whether it is open and
// handles its input in gui_subwin_ops[its ToolWindow]. The event pass runs the
// input handlers of the open windows in event order; a machine switch, iconify
// or screen change closes them all and remembers which were open, and
// gui_reopen_subwindows opens those again in reopen order.
#pragma once

#include "core/notify.h"
#include "core/types.h"

#include <array>

struct ToolWindowRow {
    ToolWindow id;
    const char* name;
    int event_rank;  // place in the event pass, -1 = never polled
    int reopen_rank; // place when reopened, -1 = never reopened
};

// One row per ToolWindow, indexed by it.
extern const ToolWindowRow tool_window_table[TOOL_WINDOWS];

// The windows in event-pass order and in reopen order (the unused id left out).
constexpr int TOOL_WINDOWS_USED = TOOL_WINDOWS - 1;
using ToolWindowOrder = std::array<ToolWindow, TOOL_WINDOWS_USED>;
extern const ToolWindowOrder tool_window_event_order;
extern const ToolWindowOrder tool_window_reopen_order;

struct SubwindowOps {
    void (*open)() = nullptr;
    void (*close)() = nullptr;
    void (*input)() = nullptr;
    bool (*is_open)() = nullptr;
};
extern SubwindowOps gui_subwin_ops[TOOL_WINDOWS];
extern u8 gui_subwin_reopen[TOOL_WINDOWS];

bool gui_tool_window_open(ToolWindow window);
// Opens `window` unless it is open.
void gui_open_tool_window(ToolWindow window);
// Closes every open tool window and remembers it for gui_reopen_subwindows.
void gui_close_all_subwindows();
// Reopens the remembered windows (only while the main window is open) and
// activates the main window.
void gui_reopen_subwindows();
// Runs the input handler of every open tool window in event order.
void gui_subwindows_input();
// No handlers registered, nothing remembered.
void gui_tool_windows_reset();
