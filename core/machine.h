// Machine switching, new-game settings, reset and the per-machine frame
// dispatch.
//
// Every change of machine or memory map, every game load and every reset goes
// through here: machine_switch reconfigures the emulator for a machine and
// memory map, game_apply_settings applies a known game's settings (or the
// defaults), machine_reset returns the guest to power-on, and emu_run_frame
// runs one frame of the current machine.
//
// The settings these read ("exactspeed", "stubprograms", the BIOS versions ...)
// are the variables of core/settings_vars.h.
#pragma once

#include "core/emu.h"

#include <string>

extern u32 frame_period_us[2];             // frame period of video standard 0 and 1
extern i32 current_overlay;                // keypad overlay in use
extern i32 fire_button_assign[4];          // function of fire buttons 1-4
extern i32 controls_layout;                // layout of the controls panel
extern i32 line_clocks;                    // clock periods per raster line
extern u32 cycles_per_line_table[4];       // processor cycles of four successive lines
extern i32 overlay_mode;                   // visual overlay, 0 = off
extern u8 display_rotated;                 // the guest picture is turned (coin-op maps only)
extern u8 window_resize_pending;           // the main window must be resized for a new geometry
extern i32 autofire_duty, autofire_period; // autofire timing in frames

// Reconfigures the emulator for `new_machine` and `new_memmap`. `new_game`
// forgets the loaded game and resets the machine, `force` redoes the
// reconfiguration even for the current memory map, `keep_windows` leaves the
// tool windows open. The empty memory maps (17, 18) and numbers out of range
// are refused with a message and change nothing; the result is false then.
// So is a switch that would drop a changed disk or tape while nobody can be
// asked (a command of the port): the disk or tape is named and kept.
bool machine_switch(int new_machine, int new_memmap, bool new_game, bool force, bool keep_windows);
// The kind of the running machine for the horizontal stretch ("Narrow?"):
// its default stretch, 1 (starts narrow) or 2 (starts wide). A switch takes
// the user's choice for the new machine's kind (prefs_take_stretch), else
// the machine's default.
u32 machine_stretch_kind();
// Why the last machine_switch was refused for a kept disk or tape ("the disk
// in drive 0 was changed and not saved"); "" otherwise. Forgotten once taken.
std::string machine_take_switch_refusal();
// Turns the picture when the memory map may be turned and "rotatescreen" is
// on, else shows it as the board draws it, and chooses the plotter for it.
// Everything that reads display_rotated (the pointer's mapping, the screen
// views and editor, the pictures a recording generates) follows from here;
// the caller redraws. The turned frames are square, so the window keeps its
// size and a recording's pictures their shape.
void machine_apply_rotation();
// Set by a switch made while paused (a new game, a loaded game or state): no
// frame has drawn the machine's picture since the switch cleared it. The main
// loop draws it (app_draw_paused_picture).
extern bool paused_picture_pending;

// Applies the settings of the known game `known_game_id`, or the defaults of
// the current machine when no game is known; switches the machine as needed.
void game_apply_settings();
// The machine game_apply_settings sets up for games-database row `row` (-1
// none): the row's own where it can be applied, else the one that runs.
u32 game_settings_machine(i32 row);

// The known-game part of game_apply_settings for one games-database row;
// `known_game_id` names the row.
struct KnownGame;
void game_apply_row(const KnownGame& row);

// Adapts the opcode tables to the processor variant, the notation and the
// current machine's bus (cpu_apply_type_tables) and marks UI_OPCODES, so that
// listings and the interpreter agree from here on. Called after every machine
// switch, after the first file at start-up and whenever the notation or the
// variant may have changed (settings loaded).
void machine_adapt_opcode_tables();

// Returns the processor, the frame state and the machine to power-on.
void machine_reset();

// Offers host raw key `code` to the current machine's screen editor while
// screen editing is on and the emulation runs; true when the editor used it
// (the key then goes no further). Ctrl held keeps the key from the editor.
bool machine_handle_host_key(u32 code, bool ctrl);

// The user's reset: unless `keep_link`, the netplay link is closed first.
void emu_reset_request(bool keep_link);

// Runs one frame of the current machine.
void emu_run_frame();
// Draws the picture of a machine that no frame has drawn since it was set up
// or loaded, without moving it on: one frame runs for its picture only, and
// the machine is then put back as it stood (the state's walk, then the steps
// after a state load), so that the next frame is the one it would have run.
// Nothing of the frame is recorded, shown or counted, and a breakpoint met in
// it stops nothing. False (nothing drawn) between the parts of a frame.
bool emu_draw_standing_picture();
// Set while that frame runs: its end only counts it.
extern bool emu_previewing;

// A frame's processor budget after adding `clocks`: held at the ends of the
// i32 range instead of wrapping.
i32 emu_budget_add(i32 budget, std::int64_t clocks);

// Clocks per raster line, spread over four successive lines' processor cycles.
void video_set_line_length(int clocks);

// Picks the controls-panel layout for the current machine and options.
void machine_controls_layout();

// The frame period of a refresh rate: 1,000,000 us divided by it, truncated.
u32 frame_period_of_rate(double rate);
// The frames per second the current machine runs in video standard
// `standard` (0 or 1): its own rate, or 60 or 50 with "exactspeed" on and in
// a standard it never runs in.
double machine_frame_rate(int standard);
// The frame periods of both video standards from machine_frame_rate.
void machine_compute_frame_periods();

// The built-in state file of a memory map ("" when it has none).
const char* memmap_state_file_name(u32 map);

// Marks (or unmarks) the guest addresses that the built-in comment rows
// first..last name (none when first is negative) as having a comment.
void machine_mark_comment_rows(i32 first, i32 last, bool on);

// The set-up that every machine starts from: guest memory cleared, attributes
// cleared, both mirror maps the identity.
void machine_setup_generic();
// Fills the processor bus for the current machine and memory map: plain RAM,
// the I/O port dispatch and the sound hook, the machine's own hooks and
// traps, then the traps of the loaded game (known_game_id).
void machine_bus_install();
