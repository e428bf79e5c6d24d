// Address traps of single games: code in a game that the emulator watches for,
// mostly to retune the sound voices when the game has set its sound registers
// without writing a sound register the board would notice.
#pragma once

#include "core/types.h"

// Installs the traps of games-database row `game` (none for -1 or a game
// without any); the machine's own traps are left alone.
void game_traps_install(i32 game);
