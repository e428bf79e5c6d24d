// Services of the command layer that the message output calls. The definitions
// in message_seams.cpp are weak stand-ins that do nothing; the command layer's
// own definitions replace them at link time.
#pragma once

// Refreshes the state of one menu item (214 is the log-file setting).
void gui_update_menu_item(int id);
