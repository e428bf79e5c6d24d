// The Redefine Keys dialog's state, without a toolkit: the pending copy of the
// key assignment that the dialog edits, the button that waits for a host key,
// and what each click and key press does. The dialog
// (gui/redefine_keys_window.*) shows the state after every event; only OK
// copies the pending assignment into player_keys and console_keys.
//
// A guest key is named by its column (0 left player, 1 right player, 2 the
// console) and its index in it (0-27, or 0-3 for the console).
#pragma once

#include "core/types.h"

// Gadget ids of the dialog.
constexpr int GID_REDEF_RESET = 305;
constexpr int GID_REDEF_OK = 306;
constexpr int GID_REDEF_CANCEL = 307;
constexpr int GID_REDEF_PALLADIUM = 308; // "Show Palladium keys?"
constexpr int GID_REDEF_CONSOLE = 403;   // + console key 0-3
constexpr int GID_REDEF_LEFT = 407;      // + guest key 0-27
constexpr int GID_REDEF_RIGHT = 435;     // + guest key 0-27
constexpr int GID_REDEF_LAST = 462;
// The Game Information window's keypad buttons.
constexpr int GID_INFO_EXTRA = 367;  // left extra keys 13-16, then the right ones
constexpr int GID_INFO_KEYPAD = 375; // left keypad 1-12, then the right one

constexpr int REDEFINE_CONSOLE = 2; // the console's column

extern u8 redefine_player_keys[2][28];
extern u8 redefine_console_keys[4];

// The button waiting for a host key: column -1 none.
struct RedefineWait {
    int column = -1, key = -1;
};
extern RedefineWait redefine_wait;

enum class RedefineClose { NONE, OK, CANCEL, TOGGLE };

// Whether the current machine has keys to redefine.
bool redefine_keys_available();
// The pending copy from the live assignment (the low byte of each code).
void redefine_keys_load();
// The live assignment from the pending copy.
void redefine_keys_commit();
// The pending copy set to the defaults, every slot (hidden ones too).
void redefine_keys_defaults();
// True while the pending copy equals the defaults ("Reset to defaults" off).
bool redefine_keys_are_defaults();
// The pending code of a guest key.
u8 redefine_pending(int column, int key);
// Whether a guest key has a button (the extra keys 13-16 only while
// "palladium_redefinekeys" is on).
bool redefine_key_shown(int column, int key);
// The button's gadget id, -1 for a key without one.
int redefine_gadget(int column, int key);

// A gadget released (`value`: the check box's new state). The waiting
// button, if any, stops waiting first.
RedefineClose redefine_on_gadget(int gid, int value);
// A raw key (0-127 a press, 128 and up a release).
RedefineClose redefine_on_key(int code);

// The 60 guest-key flags of a memory map (MemmapDesc::keys): which guest key
// flag `flag` enables, as column and key.
void guest_key_flag(int flag, int* column, int* key);
// The gadget that flag `flag` enables in this dialog and in the Game
// Information window, each with its extra keys shown or hidden; -1 none.
int redefine_flag_gadget(int flag, bool extras_shown);
int gameinfo_flag_gadget(int flag, bool extras_shown);
// The Game Information window's button of keypad key `key` (1-16) of
// `player`, -1 for any other key.
int gameinfo_key_gadget(int player, int key);
