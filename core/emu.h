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

constexpr u32 MEMMAPS = 31;

extern u32 machine; // 0..14
extern u32 memmap;  // 0..30
