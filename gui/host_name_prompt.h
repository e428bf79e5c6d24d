// "Enter Hostname": the one-field prompt in which the netplay client names
// the server to connect to. Return, Enter or the close gadget accept, Esc
// cancels.
#pragma once

constexpr int GID_HOST_GROUP = 364;
constexpr int GID_HOST_FIELD = 365;

// Edits `host` (`size` bytes, at most `size` - 1 characters kept) in place.
// True when accepted; false when cancelled or when the prompt cannot be shown
// (no display, a prompt already open, the window not opened), which leaves
// `host` as it was.
bool gui_enter_hostname(char* host, int size);
