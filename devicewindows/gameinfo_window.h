// The Game Information window (tool window TW_GAMEINFO): the loaded game's
// information lines, the machine's picture, the game's box where its picture
// is present, the instructions, and both keypads labelled with the game's
// overlay, the keys of the fire buttons marked in their colours.
//
//   gameinfo_window_register();   // once: gui_subwin_ops[TW_GAMEINFO]
//   gui_open_gameinfo_window();   // the menu item and OPENGAMEINFO
#pragma once

#include <string>

constexpr int GID_INFO_HINT = 58;
constexpr int GID_INFO_INSTRUCTIONS = 63;
constexpr int GID_INFO_PALLADIUM = 64; // "Show Palladium keys?"
constexpr int GID_INFO_LEGEND = 399;   // the four fire buttons, 399-402

void gameinfo_window_register();
void gui_open_gameinfo_window();
void gui_gameinfo_window_input();

// The hover texts of the keypad buttons (overlay rows 0-31) and the fire
// buttons (32-35, only where the fire buttons take part; "" elsewhere).
void gui_gameinfo_build_hints();
extern std::string gameinfo_hints[36];

// The box picture row of game `game` (an image table row), -1 for none: only
// games 0-849 have one, and a pair's second in the MPT-03 view.
int gameinfo_box_picture(int game);
