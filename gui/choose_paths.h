// The Choose Paths dialog: the six drawers the program loads from and saves
// to (disks, games, projects, screenshots, scripts, tapes), edited as working
// copies that OK writes back and Cancel drops. Each row has a drawer
// requester and an "Open..." button that shows the drawer in the desktop's
// file manager. A dialog (gui/dialogs.h): modal unless a command of the
// port opened it.
#pragma once

#include <cstddef>

constexpr int PATH_ROWS = 6;
constexpr std::size_t PATH_TEXT_MAX = 512; // characters a path may have

enum ChoosePathsGadget : int {
    GID_PATHS_OPEN = 281,   // rows 1..6: 281..286
    GID_PATHS_DRAWER = 287, // 287..292
    GID_PATHS_RESET = 293,
    GID_PATHS_OK = 294,
    GID_PATHS_CANCEL = 295,
    GID_PATHS_FIELD = 296, // 296..301
};

// The dialog's window while it is open, 0 otherwise.
extern int paths_window;

void gui_choose_paths_window();
// The drawers-only requester "Choose Path": 1 with the chosen drawer in
// `buffer` (PATH_TEXT_MAX + 1 bytes), 0 when cancelled or not shown (the
// buffer unchanged).
int gui_choose_path_requester(char* buffer);
