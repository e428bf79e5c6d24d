// The menu strip on the main window: built from the rows, with the recent
// files in the Project menu, and the per-id primitives that ghost and tick
// items. The strip lives in gui_menu_strip (gui/main_window.h); the window's
// open attaches it.
#pragma once

#include "core/types.h"
#include "platform/gui.h"

#include <vector>

// Checkable id n is strip id MENU_CHECK_BASE + n.
constexpr int MENU_CHECK_BASE = 1000;

// Builds the strip from the rows: catalog labels, shortcuts, radio groups,
// the recent files as "1: path" .. "8: path".
std::vector<GuiMenuItem> menu_build_strip();
// Puts `path` (with the memory map and game row) at the head of the recent
// list: a path already first keeps its place and the strip (false) and takes
// the memory map and game row it runs with now, one further down moves
// to the front, a new one pushes the oldest out of a full list. Letter case is
// ignored in the comparison. A path with a line break is not listed (false).
bool menu_recent_add(const char* path, int memmap_now, int game_now);
// Puts the file just loaded at the head of the recent list and, when that
// changed it, builds the strip again and attaches it to the main window.
void gui_rebuild_menus(const char* path);

// Primitives on the main window's strip; nothing without a window or for an
// id without an item.
void menu_item_enable(int id, bool enabled);
void menu_check_item_enable(int id, bool enabled);
void menu_set_state(int id, bool enabled, bool checked);
void menu_check_item_set_state(int id, bool enabled, bool checked);
// Recent item k (plain id 19 + k) is enabled while k < recent_count.
void menu_enable_recent();
