// The machine and memory map being emulated: the numbers that select every
// machine-specific behaviour.
#pragma once

#include "cpu/cpu.h"

// Guest frame geometry: every machine draws into this many columns and rows.
constexpr int GUEST_FRAME_COLUMNS = 904;
constexpr int GUEST_FRAME_ROWS = 356;
constexpr u8 GUEST_FRAME_FILL = 8; // colour index of a cleared frame

enum Machine : u32 {
    ARCADIA = 0,
    INTERTON = 1,
    ELEKTOR = 2,
    PIPBUG = 3,
    BINBUG = 4,
    INSTRUCTOR = 5,
    TWIN = 6,
    CD2650 = 7,
    ZACCARIA = 8,
    MALZAK = 9,
    PHUNSY = 10,
    PONG = 11,
    SELBST = 12,
    MIKIT = 13,
    TYPERIGHT = 14,
    MACHINES = 15
};

// The memory maps, named as the memory-map table names them.
enum MemoryMap : u32 {
    MAP_INTERTON_A = 0,
    MAP_INTERTON_B = 1,
    MAP_INTERTON_C = 2,
    MAP_INTERTON_D = 3,
    MAP_ELEKTOR_BASIC = 4,
    MAP_ELEKTOR_EXPANDED = 5,
    MAP_ARCADIA_EMERSON = 6,
    MAP_ARCADIA_TELEFEVER = 7,
    MAP_ARCADIA_PALLADIUM = 8,
    MAP_PIPBUG_1 = 9,
    MAP_PIPBUG_2 = 10,
    MAP_BINBUG = 11,
    MAP_TWIN = 12,
    MAP_ARTEMIS = 13,
    MAP_INSTRUCTOR_BASIC = 14,
    MAP_INSTRUCTOR_EXPANDED = 15,
    MAP_CD2650 = 16,
    MAP_EMPTY_17 = 17, // nothing may select the two empty rows
    MAP_EMPTY_18 = 18,
    MAP_PHUNSY = 19,
    MAP_SELBST = 20,
    MAP_MIKIT = 21,
    MAP_ASTRO_WARS = 22,
    MAP_GALAXIA = 23,
    MAP_LASER_BATTLE = 24,
    MAP_LAZARIAN = 25,
    MAP_MALZAK_1 = 26,
    MAP_MALZAK_2 = 27,
    MAP_PONG_8550 = 28,
    MAP_PONG_8600 = 29,
    MAP_TYPERIGHT = 30,
    MEMMAPS = 31
};

extern u32 machine; // 0..14
extern u32 memmap;  // 0..30
