// Stand-ins for services that later parts of the program provide: each does
// the least its callers need and says so where the user would notice.
#include "gui/seams.h"

#include "core/message.h"
#include "core/seams_services.h"

// The real ones browse the game list, iconify, run the menu commands, show a
// tip, toggle the floppy window, run debugger commands and the toolbar's buttons.
void gui_tip_of_the_day() {}

// The real ones are the screen editor and the speed window.
bool gui_speed_window_open() {
    return false;
}
void gui_speed_window_show(int, const char*, int) {}
