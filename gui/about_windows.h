// The two About windows: the program's own (version, build date, host system
// and the live process facts, two of them editable; its links are ghosted, as
// no address is known for them) and the one listing the
// interface classes the windows are drawn with. Both are dialogs
// (gui/dialogs.h): modal unless a command of the port opened them. One of them
// is open at a time; asked for while one is, that one comes to the front.
#pragma once

#include "core/types.h"

#include <string>

constexpr int GID_ABOUT_RELEASES = 311;
constexpr int GID_ABOUT_WEB = 312;
constexpr int GID_ABOUT_PICTURE = 313;
constexpr int GID_ABOUT_MAIL = 314;
constexpr int GID_ABOUT_PRIORITY = 315;
constexpr int GID_ABOUT_CLIPUNIT = 316;
constexpr int GID_ABOUT_SCREEN = 317;
constexpr int GID_ABOUT_CLASSES = 359;

constexpr int ABOUT_CLASSES = 25;

// The window while it is open, 0 otherwise.
extern int about_window;

// Applies task_priority to the process as start-up does: a priority below 0
// is that much more niceness than at start (a refusal of the host is ignored).
void app_apply_task_priority();
// The build date line: `build_date` as the compiler writes it ("Jun 16 2026")
// shown as the weekday and the date in the order the log and file headers
// write it ("Tuesday 16/6/2026"); "" when it cannot be read.
std::string about_build_date(const char* build_date);

void gui_open_about_window();

// The interface classes: name, picture row and the version text shown.
struct AboutClass {
    const char* name;
    int picture;
};
extern const AboutClass about_classes[ABOUT_CLASSES];
// The version text of class row `row` ("%2d.%d" of the toolkit, "  -" for
// classes the host layer does not draw).
std::string about_class_version(int row);
// The row a key press selects from `selected` (-1 none); `key` is the raw
// code, `qualifier` the qualifier bits. -2 when the key closes the window.
int about_class_key(int selected, int key, u32 qualifier);
void gui_open_about_reaction_window();
