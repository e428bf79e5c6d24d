// Data watchpoints on guest addresses and R0..R6, traps on the guest's I/O
// ports, and the port tracer that every port access of a machine reports to.
//
//   dbg_set_watchpoint(0x1F00, 0, COND_ALWAYS, 0, 0x80, 1); // writes that flip bit 7
//   dbg_set_ioport_watch(IO_DATA_PORT, IO_DATA_PORT, COND_EQ, 0x0D, 0xFF, 1);
#pragma once

#include "cpu/cpu.h"

// Adds a data watchpoint at a guest address ($0000..$7FFF) or on R0..R6
// ($10000..$10006). A mask other than $FF makes it a watch on those bits
// changing. 1 added, 0 refused (with the reason when verbose).
int dbg_set_watchpoint(u32 address, u32 target, u8 condition, u32 value, u8 mask, int verbose);
// Removes the data watchpoint at a guest address: 1 when there was one.
int dbg_clear_watchpoint(u32 address);
// Adds a trap on port 0..257 (256 the control port, 257 the data port). The
// condition's target names the port whose last value is compared.
int dbg_set_ioport_watch(u32 port, u32 target, u8 condition, u32 value, u8 mask, int verbose);
// 1 when neither end is REG_NONE and start <= end; else the order message
// for an end before the start, the range message otherwise.
int dbg_check_range(u32 start, u32 end);
// A port or byte operand: an instruction mnemonic of the current notation
// (its opcode) or a number literal (negative ones plus 256); REG_NONE when
// unreadable. With mask_allowed a ":mask" suffix sets dbg_mask.
u32 dbg_parse_address_operand(const char* text, int mask_allowed);
// A count or offset operand that cannot be negative (the disk commands'):
// a mnemonic's opcode or a number literal; DBG_NO_COUNT, above every limit,
// when unreadable or negative (every other value, $10014 too, is one read).
constexpr u32 DBG_NO_COUNT = 0xFFFFFFFFu;
u32 dbg_parse_unsigned_operand(const char* text);
// A port number operand: 0..257 as a mnemonic's opcode or a number literal;
// REG_NONE when unreadable, negative or above 257 (no other port is meant).
u32 dbg_parse_port_operand(const char* text);
// Whether the current machine keeps raster timing that "R R" and "R <line>" can stop at.
bool dbg_machine_has_raster();
// Whether the current machine's display follows a beam line, with any timing:
// the CPU view shows the line and the guide pixel marks the beam.
bool dbg_machine_has_beam_line();
// The text of a watched byte: an ASCII control name, a quoted character, or a
// name of the upper codes ("NC", "Brk", ...). out holds at least 8 bytes.
const char* dbg_char_name(u8 value, char* out);
