// The recorders' menu items and script commands: state and picture saves,
// input recording, screen text, and the clipboard items of the Edit menu.
#pragma once

// Runs plain menu item `id` when it is one of the recorders' (6 "Save state
// as...", 7-13 the picture saves, 14 "ASCII text...", 34-37 the clipboard
// items, 47 "Start recording..."); false for any other id.
bool recorder_menu_command(int id);
// The file kind each picture-save item writes (-1 for other ids).
int recorder_picture_kind(int id);
