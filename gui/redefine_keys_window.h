// The Redefine Keys dialog: a button per guest key of both players and the
// console showing the host key assigned to it; a click makes the button wait
// for a host key. Changes go to the pending copy (input/redefine_keys.h) and
// reach the live assignment only on OK.
//
//   while (gui_redefine_keys_window(keep)) keep = 1;  // the menu command
#pragma once

// Runs the dialog once; `keep` 0 loads the pending copy from the live
// assignment first. Returns 1 when it closed to show the other layout
// ("Show Palladium keys?" toggled), else 0 (also when nothing opened).
int gui_redefine_keys_window(int keep);
// The menu command: the dialog, reopened while it asks for the other layout.
void gui_redefine_keys();
// The open dialog's window, 0 while it is closed.
extern int redefine_keys_window;

// Enables the guest-key buttons of the open Redefine Keys dialog and Game
// Information window by the current memory map's guest-key flags.
void gui_key_gadgets_for_map();
// Flag `flag` (0-59) enabled or not, in both of them.
void gui_key_gadgets_enable(int flag, bool enable);
