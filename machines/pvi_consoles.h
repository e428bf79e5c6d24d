// The PVI consoles (Interton VC 4000, Elektor TV Games Computer): their side
// of the processor bus (the PVI's registers and their coverage bits, the
// values of unmapped bytes, the Elektor's random byte, the interrupt vector,
// the redraw reports and the Elektor's cassette message), what they and the
// coin-op boards hand the PVI, the frame, and the inputs.
#pragma once

#include "core/machine_debug.h"
#include "cpu/bus.h"
#include "machines/pvi2636.h"

#include <array>

struct CpuDebugHooks;
struct KnownGame;

constexpr u32 PVI_RECORD_SIZE = 7;

// Fill cpu_bus for the Interton and the Elektor (after
// cpu_bus_reset()).
void interton_bus_install();
void elektor_bus_install();
// What the debugger asks of each (their machine rows name them).
extern const CpuDebugHooks interton_debug_hooks;
extern const CpuDebugHooks elektor_debug_hooks;

// ---- what every PVI board hands the chip ----------------------------------------------
// Fills pvi_host: the beam, the settings, the guest frame, the console for
// messages and the access classes below. `describe` writes the watch
// annotation of a value the chip writes to a watched address (nullptr: none).
void pvi_host_install(void (*describe)(u8 value, u32 address));
// Access-map class of an absolute address on the boards (pvi_host.access_class).
u8 pvi_access_class(u32 address);
// The debugging overlay over the finished picture. Modes 3 and 4 show the
// access map: each beam position in the colour of the register group the
// chip read (3) or wrote (4) there, 0 where it did so more than once.
void pvi_draw_overlay();
// The PVI machines' overlay follows the debugger's DRAW (draw_mode).
void pvi_follow_draw_mode();

// ---- the consoles' register page --------------------------------------------------------
// Folds the console I/O area ($1E80-$1EFF) for address a.
void pvi_mark_register_attributes(u32 address);
// The bit fields of a value at a console register into watch_annotation;
// other addresses show the value as a character on the Elektor.
void hw_format_register_bits(u8 value, u32 address);
// Rows of the retune tables and note_table the consoles' pitches hit.
void pvi_patch_pitch_tables();

// The debugger's label rows of the PVI registers (33 rows a PVI, from row
// 325; offsets from the first PVI's base, the second and third PVI 256 and
// 512 above it) and of the consoles' I/O area $1E80-$1E8E (rows 30-37).
extern const BuiltinLabels pvi_label_rows;
extern const BuiltinLabels console_label_rows;

// Coverage bit of the PVI register at `address` (PVI at pvi_base, sound and
// input registers at $1E80-$1E8E), 0 for other addresses. The coin-ops share it.
u32 pvi_coverage_bit(u32 address);
// The coverage report's registers: the console's key registers (with
// `console_keys`), then the PVI's at pvi_base, in bit order.
void pvi_chip_coverage(ChipCoverage* out, bool console_keys);
// Reports a read of the PVI's collision registers while the PVI draws.
void pvi_redraw_access(u32 address, u8 value, bool write);
// The PVI boards' interrupt vector: $0003.
bool pvi_interrupt_vector(CpuVector* vector);

// What the loaded game needs of the PVI (demultiplexing, objects starting
// late); the consoles' resets call it after the game's row was applied.
void pvi_consoles_apply_game();
// The PVI's demultiplexing from a game's de-flicker columns (row nullptr:
// none): as many earlier frames as the depth; objects 0-3 left out where
// bits 3-0 of the sprite byte are clear, always redrawn where bits 7-4 are set.
// All three columns 0 (or no row): no demultiplexing.
void pvi_demultiplex_take_row(const KnownGame* row);
// Taken from the loaded game by pvi_consoles_apply_game: the keypad key (1-12,
// keypad 0) pressed together with START, -1 none; keypad 1 without autofire.
extern i32 pvi_start_key;
extern u8 pvi_keypad1_no_autofire;
// Whether the loaded game's database row has this name.
bool pvi_loaded_game_is(const char* name);

// ---- the frame, shared by both consoles -----------------------------------------------
// Runs the processor until its beam clock reaches `limit`; raster_clock
// follows it. A clock past 226 then starts the next line late by the overshoot.
void cpu_run_to_clock(i32 limit);
// One instruction when the beam has reached the processor's clock (the
// border steps the processor so; the tests' clock-by-clock frame uses both).
void cpu_step_at_beam();
void pvi_run_frame();

// ---- inputs --------------------------------------------------------------------------
void pvi_read_inputs();
// Guest keypad `keypad` (0, 1) from host player `player`.
void pvi_read_keypad(int player, int keypad);
// This frame's input record: keypad 0's analogue value, its three key bytes
// packed into two, then the same for keypad 1, then the console buttons.
std::array<u8, PVI_RECORD_SIZE> pvi_input_record();
// The netplay record of the server's (keypad 0) or the client's (keypad 1)
// side, without the chat length that the link adds: the first two key bytes
// packed as the input record packs them, the third key byte's keys with the
// side's own console keys, and the pot.
constexpr int PVI_NET_RECORD = 3;
std::array<u8, PVI_NET_RECORD> pvi_net_record(bool server);
// While connected: sends this frame's record, takes the peer's and (with
// `apply`) writes it into the peer keypad's registers; each side adds the
// peer's console keys to its own.
void pvi_net_exchange(bool apply);
