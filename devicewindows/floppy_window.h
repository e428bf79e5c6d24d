// The floppy disk drives window (tool window TW_FLOPPY): per drive the
// create, insert, update and eject buttons, write protection, a map of the
// disk with one cell per sector coloured by what the directory says of it,
// the head position, and one sector as rows of sixteen byte cells whose
// hover texts name track, sector, offset and contents; a click on a byte
// cell marks it for the debugger's disk watch, a click on the map shows that
// sector. The TWIN layout shows both drives; the BINBUG and CD2650 layout one
// drive at a time, chosen in the window.
//
// The window follows the drives through floppy_refresh_hook: the controllers
// call it on every register access, the disk systems after every change.
// The status bar's drive indicators follow the same refresh.
//
//   floppy_window_register();     // once: gui_subwin_ops[TW_FLOPPY], the hook
//   gui_open_floppy_window(1);     // the "Floppy drive(s)..." menu item
#pragma once

#include "core/types.h"
#include "gui/tool_windows.h"

#include <string>

enum FloppyGadget : int {
    GID_FD_SWAP = 176,
    GID_FD_FILENAME = 177, // 178 the TWIN's drive 1
    GID_FD_CREATE = 179,   // 179-182 drive 0 or the shown drive, 187-190 the TWIN's drive 1
    GID_FD_INSERT = 180,
    GID_FD_UPDATE = 181,
    GID_FD_EJECT = 182,
    GID_FD_TRACK = 183, // 183-186 drive 0 or the shown drive, 191-194 the TWIN's drive 1
    GID_FD_SECTOR = 184,
    GID_FD_BYTE = 185,
    GID_FD_CLUSTER = 186,
    GID_FD_DRIVE1 = 8, // added to 179-186 for the TWIN's drive 1
    GID_FD_VERBOSE = 195,
    GID_FD_PROTECT = 196, // 197 the TWIN's drive 1
    GID_FD_SLIDER = 198,  // 199
    GID_FD_MAP = 200,     // 201
    GID_FD_DRIVE = 202,
    GID_FD_DRIVES = 203,
    GID_FD_VIEW_AS = 204,
    GID_FD_CELL = 1734, // 1734-1989: byte cells
    GID_FD_ROW = 1990,  // 1990-2005: row address fields
    // The drive picture: beyond the shared table, only this window names it.
    GID_FD_PICTURE = GUI_GADGETS,
};

void floppy_window_register();
// Opens the window on a machine with drives (raises it when open); with
// `recheck` the shown drives' directories are read again first.
void gui_open_floppy_window(int recheck);
// The status bar's drive buttons: opens the window, or closes it when open.
void gui_floppy_window_toggle();
void gui_floppy_handle_input();
// Brings the window and the drive's status-bar indicator up to date: scope
// 0 or 1 what changed, 2 the whole sector contents, 3 everything.
void gui_floppy_window_refresh(int scope, int drive);
// The status bar's four drive buttons drawn afresh for the current machine:
// its drives enabled with their tracks, the others ghosted.
void gui_floppy_indicators_refresh();

// ---- what the window shows, for its refresh and its tests ---------------------------------
// The owner of the sector the drive shows (its view offset) and the extra
// colour of its background.
struct FloppyOwner {
    std::string text;
    int colour;
};
FloppyOwner floppy_owner(int drive);
// The hover text of byte cell i (0-255).
std::string floppy_cell_hint(int i);
// The extra colour of the map cell of track `track`, sector row `row` of the
// drive; -1 where the cell is not painted.
int floppy_map_colour(int drive, u32 track, u32 row);
// The map picture of the drive: one pen per pixel, 320 bytes a row (test
// support: the window shows it through its display gadget).
const u8* floppy_map_pixels(int drive);
constexpr int FLOPPY_MAP_STRIDE = 320;
