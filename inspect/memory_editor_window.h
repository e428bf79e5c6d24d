// The Memory Editor (tool window TW_MEMORY): one page of 256 addresses as a
// grid of cells beside a picture of the whole 32 KB. A click on a cell edits
// its byte, a middle click sets or clears a data watchpoint on it; the
// slider, the cursor keys, the wheel and a click on the picture choose the
// page. What it shows comes from memory_views.h.
//
//   memory_editor_window_register();  // once: gui_subwin_ops[TW_MEMORY]
#pragma once

enum MemoryEditorGadget : int {
    GID_MEM_LEGEND = 67, // 67..73: the seven legend buttons
    GID_MEM_SLIDER = 74,
    GID_MEM_MAP_VIEW = 75,
    GID_MEM_PICTURE = 76,
    GID_MEM_REGION = 77,
    GID_MEM_VIEW_AS = 78,
    GID_MEM_CELL = 1210, // 1210..1465
    GID_MEM_ROW = 1702,  // 1702..1717: the row labels
};

void memory_editor_window_register();
void gui_memory_window();
void gui_memory_window_input();
// A mouse button in the window: a left release on the picture picks the
// page, a middle release on a cell toggles its watchpoint. Returns 1.
int gui_memory_map_hook(int code, int x, int y);
