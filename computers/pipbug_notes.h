// What the debugger shows of the PIPBUG and its monitor: the VDU memory and
// LED digits, the BASIC variables, and notes about the monitor and DOS
// routines that the routine log and the disassembler print on entry.
#pragma once

#include "core/types.h"

#include <string>

// "V|VIEW SCRN": every buffer row of the VDU text in groups of 16 columns
// (hexadecimal, then as characters), then the LED digits.
void pipbug_view_vdu_ram();
// "V|VIEW BASIC": the 26 BASIC variables A to Z at $0464 ... $0496.
void pipbug_view_basic_vars();
// Prints the notes of the routine at a guest address, if the running monitor
// has one there; nothing otherwise.
void pipbug_bios_notes(u32 address);
// The file name the DOS name buffer ($7070 high, $7071 low) points at: up to
// 14 characters, ending before a CR or a zero. For the DOS routines' notes,
// whose file-name field it fills; the table holds no DOS notes yet.
std::string guest_copy_name();
// The character a seven-segment pattern (bits 0-6 segments a-g, bit 7
// ignored) reads as: digits and the letters a segment display can show, a
// space for a dark digit, "?" for any other pattern.
char led_segment_char(u8 pattern);
