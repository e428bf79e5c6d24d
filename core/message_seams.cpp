#include "core/message_seams.h"

// Stand-in until the menus exist: there is no menu item to refresh.
__attribute__((weak)) void gui_update_menu_item(int) {}
