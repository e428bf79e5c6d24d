// The Arcadia: its memory maps (6, 7, 8), set-up, reset, cartridge blocks,
// the frame that steps the processor against the UVI's beam, the keypads,
// paddles and console keys, and its side of the processor bus.
#pragma once

#include "core/types.h"

#include <array>
#include <cstdint>

struct CpuDebugHooks;
struct KnownGame;

constexpr u32 ARCADIA_STUB_SIZE = 348;
// The largest image the cartridge blocks hold: 30720 bytes below $1C00 and
// the rest of guest memory from there.
constexpr u32 ARCADIA_CART_MAX = 30720 + (0x8000 - 0x1C00);
constexpr u32 ARCADIA_RECORD_SIZE = 7;

// The title-screen program copied to $0000 when "stubprograms" is on.
extern const u8* const arcadia_stub_program;

// Fills cpu_bus for the Arcadia (after cpu_bus_reset()).
void arcadia_bus_install();
// What the debugger asks of the Arcadia (its machine row names it).
extern const CpuDebugHooks arcadia_debug_hooks;
// Coverage bit of the UVI register at `address`, 0 for other addresses.
u32 arcadia_coverage_bit(u32 address);

// What a known game's database row asks of the keypads, besides the common
// settings: the key row (1-16, -1 none) pressed with START and its side, and
// the key rows that a paddle at either end presses (vertical low, vertical
// high, horizontal low, horizontal high; -1 none).
struct ArcadiaGameKeys {
    std::int8_t start_row;
    u8 start_side;
    std::int8_t axis[4];
};
extern ArcadiaGameKeys arcadia_game_keys;

// The Arcadia's share of a known game's row: the keys above, the
// demultiplexer and the dejitter lines. The set-up clears them all.
void arcadia_take_row(const KnownGame& row);

// What the loaded game needs of the UVI (uvi_game), from known_game_id; each
// frame takes it first, as the game may have changed in between.
void arcadia_take_game();

void arcadia_setup();
void arcadia_reset();
// Lays the image in the file buffer into the cartridge blocks.
void arcadia_map_cartridge(bool known);
void arcadia_run_frame();

// The input-line work: both sides, the console keys, recording and playback.
void arcadia_read_inputs();
// One guest side (0 left, 1 right) from host player `player`.
void arcadia_read_side(int player, int side);
// This frame's input record: left paddle, left keypad (2 bytes), right
// paddle, right keypad (2 bytes), console keys.
std::array<u8, ARCADIA_RECORD_SIZE> arcadia_input_record();
// The netplay record of the server's or the client's side, without the chat
// length that the link adds.
constexpr int ARCADIA_NET_RECORD = 4;
std::array<u8, ARCADIA_NET_RECORD> arcadia_net_record(bool server);
// While connected: sends this frame's record, takes the peer's and (with
// `apply`) writes it into the peer side's registers.
void arcadia_net_exchange(bool apply);

// The host character of an Arcadia character code.
u8 arcadia_guest_char(u8 code);
