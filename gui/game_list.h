// The game list beside the display (gadget 12 of the main window): the
// audited records shown as rows with a picture, a name and a hint; a click
// opens the row's entry; the main loop steps the selection.
#pragma once

#include "platform/gui.h"

#include <string>
#include <vector>

// The rows for the audited records in sorted order.
std::vector<GuiListRow> gui_game_list_rows();
// A record's label as the list shows it: the first "_" marks a shortcut and
// is not shown (so a doubled one shows one "_"); later ones are shown.
std::string gui_game_list_label(const char* label);
// The list shows the records anew and selects game_list_sel; a pending audit
// report is shown.
void gui_game_list_show();
// The list selects game_list_sel and scrolls it into view.
void gui_game_list_select();
// The user clicked row `row`.
void gui_game_list_clicked(int row);
// A drawer dropped on the main window or its icon becomes the games drawer
// and is audited.
void gui_game_list_drop_drawer(const char* path);

// The main loop's stepping (Ctrl and the wheel, the cursor keys of the list):
// the previous or next row is selected and its game loaded.
void games_browse_prev(int flag);
void games_browse_next(int flag);
