// The roads into the command table: a pick on the main window's menu strip,
// the toolbar buttons and the hotkeys. Each finds its row and hands it to
// cmd_run (commands/command_table.h), which makes the shared refusals.
#pragma once

#include "core/types.h"

// A menu pick: the strip's item id (checkable ids from MENU_CHECK_BASE).
void gui_menu_pick(int item_id);
// Toolbar `bar` (1 or 2), button `index` counted from 1, `selected` its state
// after the press. Buttons 11 to 14 of the second toolbar press the four
// console buttons.
void gui_toolbar_command(int bar, int index, bool selected);
// A key pressed with `qualifiers` (HK_* bits) held: runs its command; false
// when no command has that key.
bool gui_hotkey(u32 code, u8 qualifiers);

// Makes the current machine and memory map a new game (the Reinitialize item;
// the game list asks for it through the interface's host).
void gui_reinitialize_machine();

// Puts `text` into the main window's command line for the user to finish.
void gui_prefill_command(const char* text);

// Whether the network services can be used (netplay, update check).
bool cmd_tcpip_open();
