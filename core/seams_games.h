// The games-database row as the new-game settings, the disassembler and the
// loader read it, and the table itself (core/gamesdb_rows.cpp).
#pragma once

#include "cpu/cpu.h"

#include <cstdint>

constexpr int KNOWN_GAMES = 860;

struct KnownGame {
    u8 machine;
    u8 memmap;
    u32 crc32;
    u32 crc64_high, crc64_low;
    u16 size;
    std::int8_t reset_patch, reset_patch_step;
    std::int8_t fire_assign[4];
    std::int8_t paddle_keys[4];
    std::int8_t analog;
    u8 sensitivity;
    u8 deflicker_sprites, deflicker_depth;
    std::int8_t deflicker_second, deflicker_first, deflicker_last;
    u8 swapped;
    u32 option_word;
    u8 autofire_duty, autofire_period;
    std::int8_t key_remap[20]; // groups of 6, 4, 6 and 4
    const char* help_anchor;
    const char* name;
    const char* credits;
    const char* reference;
    std::int16_t overlay;
    std::int8_t hiscore_slot;
    std::int16_t label_first, label_last;
    std::int16_t comment_first, comment_last;
    std::int16_t note_first, note_last;
    u8 language;
    u16 start_address;
    u8 phunsy_banks;
    u32 block1_address;
    u16 block1_length;
    u32 block2_address;
    u16 block2_length;
    u8 line_length;
    u8 variant;
    std::int16_t console_model;
    // The key pressed together with START, -1 none: on the Arcadia a key row
    // (1-16) on the side `start_key_side` (0 left, 1 right); on the PVI
    // consoles a keypad key (1-12) of the left keypad.
    std::int8_t start_key_row = -1;
    u8 start_key_side = 0;
    // Arcadia with "dejitter": the two raster lines per video standard (60 Hz,
    // 50 Hz) on which the colour row follows the Flag again; 0 for none.
    u16 dejitter_lines[2][2] = {};
    // PVI consoles with "dejitter": on PVI line `line` (0 none) a background
    // colour `from` becomes `to`, for the first pair that matches.
    struct BackgroundPatch {
        u8 line;
        u8 from[2], to[2];
    } bg_patch = {};
};

extern const KnownGame known_games_db[KNOWN_GAMES];

// Every row's paddle sensitivity unless it recommends another.
constexpr u8 ROW_DEFAULT_SENSITIVITY = 3;
// A row brings a sensitivity of its own for its run (the default is none).
inline bool row_sets_sensitivity(const KnownGame& row) {
    return row.sensitivity >= 1 && row.sensitivity <= 5 &&
           row.sensitivity != ROW_DEFAULT_SENSITIVITY;
}

// Columns that some machines read for something else than their name says.
// PIPBUG and BINBUG: the serial line's baud selector (3 on PIPBUG, 4 on BINBUG:
// the monitor's own rate).
inline u8 row_baud_selector(const KnownGame& row) {
    return row.swapped;
}
// Elektor: 1 when the game starts with interrupts inhibited.
inline bool row_start_inhibited(const KnownGame& row) {
    return row.hiscore_slot == 1;
}
// Instructor 50: interrupts direct (0) or indirect (1), and the interrupt selector.
inline i32 row_si50_interrupts(const KnownGame& row) {
    return row.deflicker_depth;
}
inline i32 row_si50_interrupt_selector(const KnownGame& row) {
    return row.deflicker_second;
}
