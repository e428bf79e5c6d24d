// The register rows that the real-time monitors share, and the refresh of
// every open tool window.
//
// mon_reg_table holds one row per value a monitor shows: the video chips and
// their RAM (rows 0..243), the sound chips (244..267) and the processor
// (268..336). The row number is the common key: the value button of row N
// has the gadget id 463 + N in its window. A window's builder makes the
// buttons (monitor_row_button), its refresher shows each row through
// mon_show_row, which relabels and recolours a button only when its value
// changed or the refresh is forced.
//
//   GuiNode b = monitor_row_button(MON_PSG_FIRST + 3, 2);  // builder
//   mon_show_row(TW_PSG, MON_PSG_FIRST + 3, guest_memory[monitor_reg_address(247)], 2, force);
#pragma once

#include "core/notify.h"
#include "core/types.h"
#include "platform/gui.h"

constexpr int MON_ROWS = 337;
constexpr int MON_ROW_GADGET = 463; // gadget id of row 0's button
constexpr u32 MON_NO_ADDRESS = 0x10014;

// Where each monitor's rows start.
enum MonRowRange : int {
    MON_UVI_FIRST = 0,        // 0..112 the Arcadia's UVI and its RAM
    MON_PVI1_FIRST = 113,     // 113..140 the first PVI (offsets from pvi_base)
    MON_ELEKTOR_FIRST = 141,  // 141..150 the Elektor's console rows
    MON_INTERTON_FIRST = 143, // 143..187 the Interton's console rows and PVI RAM
    MON_PVI2_FIRST = 188,     // 188..215
    MON_PVI3_FIRST = 216,     // 216..243
    MON_PSG_FIRST = 244,      // 244..267 the two AY-3-8910s
    MON_PSG_PAIRS_FIRST = 260, // 260..267 their 16-bit register pairs
    MON_CPU_FIRST = 268,      // 268..297 the (master) processor panel
    MON_CPU2_FIRST = 298,     // 298..327 the TWIN's slave panel
    MON_COUNTERS_FIRST = 328, // 328..336 counters and typing statistics
    MON_VIDEO_LAST = 243,
    MON_PSG_LAST = 267,
};
constexpr int MON_CPU_PANEL_ROWS = 30;

struct MonitorRow {
    u32 address; // guest address, PVI offset, or register pseudo-address
    u8 enabled;  // the row belongs to the current machine (video monitor rows)
    char text[5];
    u16 last; // the value shown last
};
extern MonitorRow mon_reg_table[MON_ROWS];

// The interface colours: 0x00RRGGBB. Classes 0..8 colour a value by what its
// address is (0 unmapped, 1 read-only, 2 read/write, 3 write-only, 4 data
// watchpoint, 5 mirror, 6 code breakpoint, 7 return-address stack, 8 its
// entry at the stack pointer); the memory pictures add black (9) and the dark
// variants 10..13 and 15.
constexpr int GUI_PENS = 18;
extern const u32 gui_pens[GUI_PENS];

// 0x00RRGGBB of each guest colour index as the display shows it now.
void guest_colour_table(u32 out[256]);

// The row's guest address: its address, plus pvi_base for the PVI rows.
u32 monitor_reg_address(int row);
// Enables the video monitor's rows for the current machine: the PVI rows by
// its PVI count, then the machine's own rows.
void monitor_reset_rows();
// Opens the edit prompt for the row's address; its result.
int monitor_edit_row(int row);
// The colour class of a row as it stands, -1 for a row without one.
int monitor_row_colour(int row);
// Sets the row's button in window `w` to `text` and its class's colour.
void mon_set_reg_label(ToolWindow w, const char* text, int row);
// The row refresh rule: a changed `value` (or `force`, its low byte) is kept,
// written as `digits` hex digits (2 or 4) and shown. True when shown.
bool mon_show_row(ToolWindow w, int row, u16 value, int digits, int force);
// The row whose button holds (x, y) of window `w` (the PSG or the video
// monitor; disabled rows skipped), else -1.
int mon_find_row_at(ToolWindow w, int x, int y);
// A middle-button release on (x, y) of window `w`: sets or clears a data
// watchpoint on the row's address. 1 when a row was hit.
int mon_toggle_watch_at(ToolWindow w, int x, int y);
// The value button of `row`, sized for `chars` characters.
GuiNode monitor_row_button(int row, int chars);
// The line under a monitor's panels: "Hover over a button for more
// information." centred, after an empty line.
GuiNode mon_hint_line();
// What a register monitor does with an event of its window `w`: a released
// value button of rows first..last goes to `edit`, a middle-button release
// toggles a watchpoint, Esc asks to close (true), any other key goes on to
// the host key handling.
bool mon_window_event(ToolWindow w, const GuiEvent& e, int first, int last, void (*edit)(int row));

// Brings every open tool window up to date in the refresh order: guest
// controls, sprite editor, memory editor, musical keyboard, tape decks, CPU monitor, PSG
// monitor, video monitor, instruments, then the rest. `force` rewrites all.
// (Declared in gui/tool_windows.h.)
