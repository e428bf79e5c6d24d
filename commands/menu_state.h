// What the menu strip and the toolbars show of the command table's rows:
// each item and button enabled when its row can be used (and its tool window
// is not shown: closed or minimised), ticked by its row, and the calls that
// show them.
#pragma once

#include "core/notify.h"

struct ItemState {
    bool enabled = true;
    int tick = -1; // -1 no tick, else 0 or 1
};

struct CmdRow;

// Why the row's item refuses to run now (cmd_refusal); nullptr when it runs.
// The menus, the toolbars and the scripting port all ask this, so a port
// command that is also a menu item is refused exactly when that item is
// ghosted for a reason. An item whose tool window is shown is ghosted on the
// strip (menu_item_enabled) but refuses nothing: run, from the port's MENU or
// the window's own command, it brings the window to the front. While the
// window is minimised the item is enabled and shows it again.
const char* menu_item_refusal(const CmdRow& row);
// Whether the strip and the toolbars show the row's item enabled: it refuses
// nothing and its tool window is not shown (closed or minimised).
bool menu_item_enabled(const CmdRow& row);

// The debugger line a Debug menu row runs or prefills ("SAVEBIN ", "VIEW BASIC",
// the machine's own object or disk program command); nullptr for other rows.
const char* debug_item_line(const CmdRow& row);
// A debugger command that has a Debug menu item is refused exactly when that
// item is ghosted, for the item's reason, however the line came (typed in the
// debugger, run by the item, sent by the port's DEBUGGER): the debugger asks
// this before it runs a line. The item of a line is the row whose line's words
// begin the line's most (a command word by any of its names, then fixed
// words: "VIEW BASIC", "L A", "R F"); an item that runs a whole line ("DIR",
// "DRIVE 2") is that line alone, one that prefills a command ("SAVEBIN ")
// covers every line of it. Its refusal (menu_item_refusal), nullptr when the
// line has no item or its item is enabled.
const char* debug_line_refusal(const char* line);
// The same refusal as the debugger words it (cmd_debugger_wording); the
// debugger's dbg_item_refusal.
const char* debug_line_wording(const char* line);

// The state of the row of plain id 0..316 (the whole menus 283-291 and
// sub-menus 294-316 included): enabled when the row can be used and its tool
// window is not shown, ticked by the row's tick. Off for an id without a row.
ItemState menu_plain_state(int id);
// The same for checkable id 0..163.
ItemState menu_check_state(int id);
// The tool window whose item is plain id `id`, TW_NONE for none.
ToolWindow menu_tool_window(int id);
// The plain id of the item that ticks while `window` is open, -1 none.
int menu_tool_window_item(ToolWindow window);

// Shows one item's state on the main window's strip (nothing without a window).
void gui_update_menu_item(int id);
// Every item, the whole menus and the sub-menus, and the recent files.
void gui_refresh_menus();

// Second-toolbar button 0..9 (shown as 1..10): enabled and selected.
struct ButtonState {
    bool enabled = true;
    bool selected = false;
};
ButtonState toolbar_button_state(int index);
// First-toolbar button 0..7 (shown as 1..8): enabled by its row.
bool toolbar1_button_enabled(int index);
void gui_update_toolbar_button(int index);
void gui_refresh_toolbar();
