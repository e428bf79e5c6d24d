// What the interface has to redraw or rebuild, told by marking it.
//
// The emulation never calls a window. Machine switching, the loader, pause,
// reset and the end of frame mark what they changed with ui_mark; the main
// window's event pass takes the marks with ui_take_changes and acts on each
// once, however often it was marked since the last pass. Tool windows a load
// wants opened (the tape deck for a tape, the drives for a disk) are asked for
// the same way with ui_request_tool_window.
#pragma once

#include "core/types.h"

// The tool windows by their ids (the ids are also the rows of the window
// tables and the order of the stored window positions).
enum ToolWindow : int {
    TW_CONTROLS = 0,
    TW_DIPS = 1,
    TW_GAMEINFO = 2,
    TW_MEMORY = 3,
    TW_CPU = 4,
    TW_OPCODES = 5,
    TW_PALETTE = 6,
    TW_TAPE = 7,
    TW_SPRITES = 8,
    TW_SPEED = 9,
    TW_HOST_KEYBOARD = 10,
    TW_HOST_PADS = 11,
    TW_VIDEO_CHIP = 12,
    TW_PSG = 13,
    TW_MUSIC = 14,
    TW_NONE = 15, // an id no window uses
    TW_PRINTER = 16,
    TW_FLOPPY = 17,
    TW_PAPERTAPE = 18,
    TW_INSTRUMENTS = 19,
    TOOL_WINDOWS = 20
};

enum UiChange : u32 {
    UI_TITLE = 1u << 0,           // the main window's title
    UI_MENUS = 1u << 1,           // checkmarks and ghosting of the menus
    UI_TOOLBAR = 1u << 2,         // both toolbars, the pause button included
    UI_STATUS = 1u << 3,          // the status bar's texts and machine picture
    UI_SCALE = 1u << 4,           // the main window is resized to display_scale
    UI_TOOL_WINDOWS = 1u << 5,    // every open tool window closes (and is remembered)
    UI_REOPEN_WINDOWS = 1u << 6,  // the remembered tool windows open again
    UI_REFRESH_WINDOWS = 1u << 7, // the open tool windows show the new state
    UI_POINTER = 1u << 8,         // the mouse pointer over the display
    UI_SPEED = 1u << 9,           // the measured speed and the speed window
    UI_DIP_GADGETS = 1u << 10,    // the DIP-switch window shows the game's switches
    UI_OPCODES = 1u << 11,        // opcode tables adapted: what shows opcodes is relabelled
    UI_RECENT = 1u << 12,         // a file was loaded by the user: it heads the recent files
    UI_GAME_LIST = 1u << 13,      // the game list shows the audited records anew
    UI_GAME_SELECT = 1u << 14,    // the game list selects game_list_sel
    UI_CONTROLS_PANEL = 1u << 15, // the controls window repaints its LED panel patches
    UI_MONITOR_LEDS = 1u << 16,   // the CPU monitor redraws its LED image
    UI_GUEST_FOCUS = 1u << 17,    // the keyboard goes to the guest picture
    UI_NOTATION = 1u << 18,       // the notation changed: opcodes and CPU monitor names follow
    UI_REFRESH_FORCED = 1u << 19, // the open tool windows show everything anew (debugger changes)
};

// Marks `changes` (UiChange bits) for the next event pass.
void ui_mark(u32 changes);
// The marks since the last take, cleared.
u32 ui_take_changes();
// The marks since the last take, kept (test support: the interface takes them).
u32 ui_changes_pending();

// Asks the next event pass to open tool window `window` unless it is open.
void ui_request_tool_window(ToolWindow window);
// The requested windows (bit n for window n) since the last take, cleared.
u32 ui_take_tool_window_requests();

// The user loaded `path`: marks UI_RECENT and UI_MENUS and keeps the path for
// the interface, which puts it at the head of the recent files.
void ui_note_recent(const char* path);
// The path noted last ("" none).
const char* ui_recent_path();

// Back to the start-up state: nothing marked, nothing requested.
void ui_changes_reset();
