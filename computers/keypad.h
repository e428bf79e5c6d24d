// The 24-key hexadecimal keypad of the PHUNSY, the Selbstbaucomputer and the
// MIKIT: six groups of four key bits. Bit j of group b (b 0-2) is keypad key
// 3j + b of the first player's twelve keys; groups 3-5 hold the same keys of
// the second player. The machines scan it once per frame.
#pragma once

#include "core/types.h"

extern u8 keypad_nibbles[6];

// Fills keypad_nibbles from the host keys (or the input playback, three
// bytes: groups 0 and 1 high and low nibble, then 2 and 3, then 4 and 5),
// appends those bytes while recording, then ORs in a held on-screen key.
void keypad_scan();

// The group and bit of guest keypad key `key` (1-12) of `player` (0, 1);
// false for any other key.
bool keypad_bit_of(int player, int key, int* group, int* bit);

// The controls row's operations of the three keypads: an on-screen key held
// (mark `rect` of the current layout), and the marks of the held keys.
void keypad_apply(i32 rect);
void keypad_held(u8* marks);
