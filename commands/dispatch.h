// The command dispatchers: every menu item, toolbar button, hotkey and (with
// the scripting port) ARexx MENU command reaches its action here by id.
//
// gui_menu_command_a takes a plain id (ordinary items and check boxes),
// gui_menu_command_b a checkable id (radio items), gui_menu_command_c the
// actions that several roads share. Actions whose subsystem is not in the
// program yet are reported as unavailable, and the state rules ghost their
// items, so that no pick silently does nothing.
#pragma once

#include "core/types.h"

void gui_menu_command_a(int id);
void gui_menu_command_b(int id);
void gui_menu_command_c(int id);
// Toolbar `bar` (1 or 2), button `index` counted from 1, `selected` its state
// after the press. Refused between frames with the program's message.
// Buttons 11 to 14 of the second toolbar press the four console buttons.
void gui_toolbar_command(int bar, int index, bool selected);

// Whether the action of a plain or checkable id, or of second-toolbar button
// 0..9, is in the program.
bool cmd_plain_available(int id);
bool cmd_check_available(int id);
bool cmd_toolbar_available(int index);
// Whether plain id `id` must wait for the end of a frame.
bool cmd_needs_frame_boundary(int id);

// Puts `text` into the main window's command line for the user to finish.
void gui_prefill_command(const char* text);

extern i32 cmd_draw_mode;         // the debugger's draw mode 0..4
// Whether the network services can be used (netplay, update check).
bool cmd_tcpip_open();
