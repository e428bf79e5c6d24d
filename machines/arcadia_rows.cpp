#include "machines/arcadia_rows.h"

#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine_table.h"

int arcadia_hiscore_row() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return -1;
    const int slot = known_games_db[known_game_id].hiscore_slot;
    return slot >= 0 && slot < machine_table[ARCADIA].hiscore_rows ? slot : -1;
}

int arcadia_score_digit(u8 c) {
    return (c & 0x3F) - 0x10;
}
