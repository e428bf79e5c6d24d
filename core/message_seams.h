// Services of the command layer that the message output calls and that no
// owner provides yet. message_seams.cpp holds a plain stand-in that does
// nothing; the command layer that writes the real one deletes it and moves the
// declaration to its own header.
#pragma once

// Refreshes the state of one menu item (214 is the log-file setting).
void gui_update_menu_item(int id);
