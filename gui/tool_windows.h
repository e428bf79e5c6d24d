// The tool windows: one row per window (name, place in the event pass, place
// when reopened after a close-all), the handlers each window registers, and
// the machinery they share.
//
// Each window registers how it opens, closes and handles its input (and,
// where it shows changing state, its refresher) in gui_subwin_ops[its
// ToolWindow]. Its opener builds the window's description and hands it to
// gui_open_subwindow, which places it where it was last closed, opens it and
// updates its menu item; gui_close_subwindow remembers the place and closes
// it. The event pass runs the input handlers of the open windows in event
// order; a machine switch, iconify or screen change closes them all and
// remembers which were open, and gui_reopen_subwindows opens those again in
// reopen order.
//
// Gadgets have global ids (0..2005) shared by all windows; gui_gadgets tells
// which window holds each, and the setters below change a gadget of an open
// tool window by (ToolWindow, gadget id).
#pragma once

#include "core/notify.h"
#include "core/types.h"
#include "platform/gui.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct ToolWindowRow {
    ToolWindow id;
    const char* name;
    int event_rank;  // place in the event pass, -1 = never polled
    int reopen_rank; // place when reopened, -1 = never reopened
    int refresh_rank; // place in gui_refresh_windows, -1 = never refreshed
};

// One row per ToolWindow, indexed by it.
extern const ToolWindowRow tool_window_table[TOOL_WINDOWS];

// The windows in event-pass order and in reopen order (the unused id left out).
constexpr int TOOL_WINDOWS_USED = TOOL_WINDOWS - 1;
using ToolWindowOrder = std::array<ToolWindow, TOOL_WINDOWS_USED>;
extern const ToolWindowOrder tool_window_event_order;
extern const ToolWindowOrder tool_window_reopen_order;
extern const ToolWindowOrder tool_window_refresh_order;

struct SubwindowOps {
    void (*open)() = nullptr;
    void (*close)() = nullptr; // nullptr: gui_close_subwindow alone
    void (*input)() = nullptr;
    bool (*is_open)() = nullptr;          // nullptr: open while it has a window
    void (*refresh)(int force) = nullptr; // shows the state anew (gui_refresh_windows)
    void (*release)() = nullptr;          // frees what the window kept, after it closed
};
extern SubwindowOps gui_subwin_ops[TOOL_WINDOWS];
extern u8 gui_subwin_reopen[TOOL_WINDOWS];

// The open window of each tool window (a platform handle, 0 while closed).
extern int gui_subwin_window[TOOL_WINDOWS];
// Where each was when it last closed (left, top); -1 = nowhere yet.
extern std::int16_t gui_subwin_pos[TOOL_WINDOWS][2];
// The plain menu id whose item follows each window (-1 none).
extern const i32 gui_subwin_menu_id[TOOL_WINDOWS];

// Global gadget ids and the window that holds each (0 none).
constexpr int GUI_GADGETS = 2006;
extern int gui_gadgets[GUI_GADGETS];
// Where callers format a text for gui_set_string_shared and gui_set_text_shared.
constexpr std::size_t GUI_TEXT_BUFFER = 260;
extern char gui_text_buffer[GUI_TEXT_BUFFER];

// Opens tool window `id` from `desc` at its remembered place: 1 when it is
// open, 0 when it cannot be opened (after one "Can't open window!" warning).
// Its gadgets are entered in gui_gadgets and its menu item is updated.
// Reopened by gui_reopen_subwindows it takes no activation (the keys stay
// with the main window); rebuilt (gui_reopen_subwindows, gui_rebuild_subwindow)
// it opens minimised when it was minimised as it closed.
int gui_open_subwindow(ToolWindow id, GuiWindowDesc desc);
// Gives the keys to tool window `id` just opened (after its opener attached
// what draws in it); nothing while gui_reopen_subwindows opens it again.
void gui_activate_subwindow(ToolWindow id);
// Remembers the window's place, closes it, runs its release handler and
// updates its menu item; nothing when it is closed.
void gui_close_subwindow(ToolWindow id);
// Closes an open window and opens it again (new labels, a new layout), as
// it was left, minimised included.
void gui_rebuild_subwindow(ToolWindow id);
// Runs the pending events of tool window `id`. What every window does is
// done here: the close gadget closes it, and moving it restarts the
// emulator's timing (the host held the program while the window moved).
// `handle` gets every other event and returns true to close the window once
// the pass is over. The pass ends early when a handler closed the window
// itself (a load that switched the machine). Returns true when the pass
// closed the window.
bool gui_tool_window_events(ToolWindow id, bool (*handle)(const GuiEvent& e));
// Enter, Return and Esc: the keys that close a tool window without buttons.
bool gui_closing_key(int code);
// Hands a raw key a tool window does not use on to the host key handling,
// as a press (0-127) or as the release of code - RAWKEY_UP.
void gui_forward_raw_key(int code);

// Opens the real-time monitor `id` (TW_CPU, TW_VIDEO_CHIP, TW_PSG) unless it
// is open; any other id does nothing.
void gui_open_monitor(int id);
// After a change of notation: relabels what shows opcodes and reopens an open
// CPU monitor, so that its names follow.
void gui_toggle_cpu_monitor();
// 1 when (x, y) in its window lies inside gadget `gid` (both edges inside).
int gui_point_in_gadget(int gid, int x, int y);
// Runs the refresher of every open tool window in refresh order: guest
// controls, the views of memory (sprite editor, memory editor), musical keyboard, tape decks, CPU monitor, PSG
// monitor, video monitor, instruments, then the others. `force` (its low
// byte) rewrites everything, 0 only what changed.
void gui_refresh_windows(int force);
// Every remembered place forgotten: windows open centred again.
void gui_forget_subwindow_positions();

// Setters of a gadget of an open tool window (nothing while it is closed).
// The window layer redraws a gadget on every change, so each "_refresh" form
// (set and redraw at once) does what its plain form does.
// A "flag" counts by its low 16 bits; an "enabled" value is zero for disabled.
// Pass numbers, not bools: the first argument's type tells them from the
// window layer's own (window handle, gadget) functions.
void gui_set_selected_refresh(ToolWindow w, int gid, u32 flag);
void gui_set_selected(ToolWindow w, int gid, u32 flag);
void gui_set_disabled_refresh(ToolWindow w, int gid, u32 enabled);
void gui_set_enabled_refresh(ToolWindow w, int gid, u32 enabled);
void gui_set_enabled(ToolWindow w, int gid, u32 enabled);
void gui_set_disabled(ToolWindow w, int gid, u32 flag);
void gui_set_chooser(ToolWindow w, int gid, u32 value);
void gui_set_chooser_b(ToolWindow w, int gid, u32 value);
void gui_set_slider(ToolWindow w, int gid, u32 value);
void gui_set_radio_refresh(ToolWindow w, int gid, u32 value);
void gui_set_string(ToolWindow w, int gid, const char* text);
void gui_set_text(ToolWindow w, int gid, const char* text);
// gui_text_buffer into the entry or text (`unused` is not read).
void gui_set_string_shared(ToolWindow w, int gid, u32 unused);
void gui_set_text_shared(ToolWindow w, int gid, u32 unused);
// Does nothing at all.
void gui_nop_gadget(ToolWindow w, int gid, u32 value);

bool gui_tool_window_open(ToolWindow window);
// Open and not minimised: its opener's item is ghosted only then.
bool gui_tool_window_shown(ToolWindow window);
// The user's request for `window` (its menu item, its port command, a button
// of another window): opens it, or brings it to the front when it is open,
// shown again when it was minimised.
void gui_open_tool_window(ToolWindow window);
// The program's own wish to show `window` (a loaded tape shows its deck):
// opens it, or raises it when it is open; one the user minimised stays so.
void gui_offer_tool_window(ToolWindow window);
// Closes every open tool window and remembers it for gui_reopen_subwindows.
void gui_close_all_subwindows();
// Reopens the remembered windows (only while the main window is open and not
// iconified), each as it was left, minimised included, and, when it reopened
// any, activates the main window.
void gui_reopen_subwindows();
// Runs the input handler of every open tool window in event order; first
// the menu item of a window minimised or shown again since the last pass
// is enabled or ghosted anew.
void gui_subwindows_input();
// No handlers registered, nothing open (the windows are forgotten, not
// closed), no places or gadgets remembered.
void gui_tool_windows_reset();
