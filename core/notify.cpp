#include "core/notify.h"

#include <cstdio>

static u32 changes;
static u32 tool_window_requests;
static char recent_path[513];

void ui_mark(u32 c) {
    changes |= c;
}

u32 ui_take_changes() {
    const u32 taken = changes;
    changes = 0;
    return taken;
}

u32 ui_changes_pending() {
    return changes;
}

void ui_request_tool_window(ToolWindow window) {
    if (window >= 0 && window < TOOL_WINDOWS) tool_window_requests |= 1u << window;
}

u32 ui_take_tool_window_requests() {
    const u32 taken = tool_window_requests;
    tool_window_requests = 0;
    return taken;
}

void ui_note_recent(const char* path) {
    std::snprintf(recent_path, sizeof recent_path, "%s", path ? path : "");
    changes |= UI_RECENT | UI_MENUS;
}

const char* ui_recent_path() {
    return recent_path;
}

void ui_changes_reset() {
    recent_path[0] = 0;
    changes = 0;
    tool_window_requests = 0;
}
