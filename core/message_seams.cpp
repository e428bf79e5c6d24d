#include "core/message_seams.h"

// Stand-in until the menus exist: the real one sets the menu item's checkmark
// and ghosting; there is no menu item to refresh yet.
void gui_update_menu_item(int) {}
