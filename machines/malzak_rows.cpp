#include "machines/malzak_rows.h"

#include "core/emu.h"

int malzak_hiscore_row() {
    return memmap == MAP_MALZAK_1 ? 56 : memmap == MAP_MALZAK_2 ? 57 : -1;
}

int malzak_score_digit(u8 c) {
    return c - '0';
}

const char* malzak_game_file_name(u32 map) {
    return map == MAP_MALZAK_1 ? "Malzak1.cos" : map == MAP_MALZAK_2 ? "Malzak2.cos" : "";
}
