// The coin-op boards' inputs: the per-frame poll that turns the host controls
// (or the frames of an input recording) into coinop_inputs, the DIP switches
// kept in the settings ("dips_astrowars", "dips_astrowars_2", "dips_galaxia",
// "dips_laserbattle", "dips_lazarian_2", "dips_lazarian_3") and their
// choices, the Malzak 2 test switch (guest $14CC), and the inputs' part of
// the save states.
//
// coinop_poll_inputs and malzak_poll_inputs (machines/coinop_video.h) run at
// the start of every frame; the ports (machines/zaccaria.h, malzak.h) hand
// the flags and DIP bytes to the processor.
#pragma once

#include "core/types.h"

#include <array>

// One guest player's flags from host controller `controller` (0 or 1): its
// pad port, fire keys and directions. `player` 1 is the second player of
// Astro Wars and Galaxia, with his own directions and fire button.
void coinop_read_controls(int controller, int player);

// The two bytes a recording keeps of each frame's flags: byte 0 start 1
// (bit 7), start 2, coin A, coin B, left, right, up, down (bit 0); byte 1
// left 2 (bit 7), right 2, button 1, button 3, button 4, button 2 (bit 2).
std::array<u8, 2> coinop_pack_inputs();
void coinop_unpack_inputs(u8 byte0, u8 byte1);

// The flags, then the auto-coin countdown, one byte each.
void coinop_save_inputs();

// Console-button edges and the Malzak test-switch key back to released.
void coinop_inputs_reset();

// ---- DIP switches ----------------------------------------------------------------------------
// The controls of the DIP-switch window; a choice is the index of the chosen
// entry of the control.
enum CoinopDip : int {
    DIP_COIN_A,
    DIP_COIN_B,
    DIP_LIVES,
    DIP_HIGH_SCORE,
    DIP_COLLISIONS, // "Detect collisions?"
    DIP_FREEZE,     // "_Freeze?" (ticked: 1)
    DIP_RAPID_FIRE,
    DIP_GRID, // "Calibration grid?"
    COINOP_DIPS
};
extern const char* const coinop_dip_labels[COINOP_DIPS];

// Whether the current game (memory maps 22-25) has the control.
bool coinop_dip_enabled(int dip);
// Sets the game's DIP byte from a choice; false (nothing changed) for a
// choice or control the game does not have.
bool coinop_dip_set(int dip, int choice);
// The choice the game's DIP bytes show, -1 for a control it does not have.
int coinop_dip_choice(int dip);

// Malzak 2's "Test Switch (F4)": positions 0-3 are the bytes $F0, $90, $70
// and $00 at guest $14CC.
constexpr u8 MALZAK_TEST_SWITCH[4] = {0xF0, 0x90, 0x70, 0x00};
bool malzak_test_switch_set(int position); // false: no such position
int malzak_test_switch_position();         // -1 when $14CC holds another byte
