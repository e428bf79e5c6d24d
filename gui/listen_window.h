// "Listening...": a small window, its title, the lines that say where the
// server is (its addresses, or that its name does not resolve) and how to
// stop, standing on the screen while the netplay server waits for a client.
// Its close gadget or any key pressed while it stands gives up. It keeps the
// modal bracket and the menus locked from opening to closing.
#pragma once

#include <string>

// The window while it is open, 0 otherwise.
extern int listen_window;

// Opens it showing `where`, one label per line. False (with a warning) when
// the window cannot be opened, or (silently)
// without a display; the bracket is then already closed.
bool gui_listen_window_open(const std::string& where);
// Takes every pending event of the window and answers the port's clients
// without waiting: true once the user gave up (the window closed, a key
// pressed after it opened, a break) or the client whose command opened it
// has gone.
bool gui_listen_window_poll();
// Closes the window, unlocks the menus and ends the bracket, once.
void gui_listen_window_close();
