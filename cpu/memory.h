// Checked guest memory access and the per-address side tables.
//
// Owns the tables that make a machine's memory map more than flat RAM:
// attributes (ROM, chip and sound registers, read-once, unmapped, board-routed,
// breakpoint and watch marks), the read and write mirror maps, the access
// history and the chip-register coverage bits. Each machine's memory-map set-up
// fills them; the debugger sets its marks at run time.
//
// The interpreter sends every data byte an instruction reads or writes through
// cpu_read_checked / cpu_write_checked. Ordinary RAM and ROM take the inline
// fast path (mirror lookup, access bit, one mask test); everything else goes to
// the out-of-line slow path in memory.cpp.
#pragma once

#include "cpu/cpu.h"

// mem_attributes bits
constexpr u32 MEM_HW_REGISTER = 0x0001; // chip or I/O register mapped into memory
constexpr u32 MEM_UNREADABLE = 0x0002;  // write-only; with MEM_UNWRITABLE: unmapped
constexpr u32 MEM_UNWRITABLE = 0x0004;  // ROM; with MEM_UNREADABLE: unmapped
constexpr u32 MEM_READ_ONCE = 0x0008;   // a read resets the byte
constexpr u32 MEM_WATCH = 0x0010;       // data watchpoint (register watch at MEM_REG_BASE + n)
constexpr u32 MEM_COMMENT = 0x0020;     // has an address comment
constexpr u32 MEM_BIOS = 0x0040;        // monitor ROM or its RAM
constexpr u32 MEM_BREAKPOINT = 0x0080;  // code breakpoint
constexpr u32 MEM_SOUND = 0x0100;       // sound register
constexpr u32 MEM_STEP_OUT = 0x0200;    // step-out marker
constexpr u32 MEM_DEVICE = 0x0400;      // screen or display RAM
constexpr u32 MEM_TRAIN = 0x0800;       // candidate of the trainer search
constexpr u32 MEM_PHUNSY_U = 0x1000;    // PHUNSY U-bank window
constexpr u32 MEM_PHUNSY_Q = 0x2000;    // PHUNSY Q-bank window
constexpr u32 MEM_PHUNSY_AREA = 0x4000; // PHUNSY monitor area
constexpr u32 MEM_ROUTED = 0x8000;      // byte kept by the board outside guest_memory
constexpr u32 MEM_TRAP = 0x10000;       // an address trap (cpu_trap_add) is set here

// Attributes that send an access down the slow path.
constexpr u32 MEM_READ_SLOW = 0x801B;
constexpr u32 MEM_WRITE_SLOW = 0x8115;

// mem_access bits
constexpr u32 ACC_WRITTEN = 0x00000001;    // written by an instruction
constexpr u32 ACC_READ = 0x00000002;       // read as data by an instruction
constexpr u32 ACC_OPERAND = 0x00000004;    // fetched as an operand byte
constexpr u32 ACC_OPCODE = 0x00000008;     // fetched as an opcode
constexpr u32 ACC_INDIRECT = 0x00000010;   // read as an indirect pointer
constexpr u32 ACC_BRANCH_IRQ = 0x00000100; // branch target while an interrupt is serviced
constexpr u32 ACC_CALL_IRQ = 0x00000200;   // call target while an interrupt is serviced
constexpr u32 ACC_BRANCH = 0x01000000;     // branch target otherwise
constexpr u32 ACC_CALL = 0x02000000;       // call target otherwise
constexpr u32 ACC_DEPTH_MASK = 0x1C000000; // PSU.SP after a call
constexpr int ACC_DEPTH_SHIFT = 26;
constexpr u32 ACC_LOOP_TARGET = 0x20000000; // target of a taken loop branch
constexpr u32 ACC_LOOP_SOURCE = 0x40000000; // instruction of a taken loop branch

// Register pseudo-addresses: MEM_REG_BASE + n, n = 0..19 (r0..r6, PSU, PSL, SP, CC, IAR,
// RAS0..RAS7). Only the watch bit is used there.
constexpr u32 MEM_REG_BASE = 0x10000;
constexpr u32 MEM_REG_COUNT = 20;
constexpr u32 MEM_ATTR_SIZE = MEM_REG_BASE + MEM_REG_COUNT;

extern u32 mem_attributes[MEM_ATTR_SIZE];
extern u32 mem_access[GUEST_MEMORY_SIZE];
extern u16 mem_read_mirror[GUEST_MEMORY_SIZE];
extern u16 mem_write_mirror[GUEST_MEMORY_SIZE];
extern u32 coverage_read_flags[GUEST_MEMORY_SIZE]; // chip registers read by the code at an address
extern u32 coverage_flags[GUEST_MEMORY_SIZE];      // chip registers written by it

// The length of the instruction whose fetch marks an address holds: a fetch
// there set ACC_OPCODE on it and ACC_OPERAND on the operand bytes that length
// covers; 0 for none yet, and for an instruction in the last three bytes of
// its 8 KB page, whose fetch is marked afresh each time (a noted length also
// tells the interpreter the instruction and the address after it lie inside
// its page). The marked addresses follow from the address and the length
// alone (whatever the opcode), and marks are never taken from an
// address but all together with this table (mem_clear_access), so while the
// length matches (the variant tables can change one), a fetch has nothing left
// to mark: the interpreter tests one byte instead of up to three words and
// their page arithmetic.
extern u8 mem_fetch_marked[GUEST_MEMORY_SIZE];

// Every address plain RAM: attributes (guest range and register watches) cleared
// except the marks of the installed address traps, mirrors pointing at
// themselves, history and coverage cleared.
void mem_reset_tables();
// Clears mem_access, mem_fetch_marked, coverage_flags and coverage_read_flags.
void mem_clear_access();
// Guest memory holds what a loaded state gave it: no byte counts as never
// written (for the uninitialised-byte report) until the next reset or set-up,
// although the access history starts empty.
extern u8 mem_restored_from_state;
// Value a read-once register holds after it has been read (the board's cpu_bus.read_once_value).
u8 mem_read_once_value();

// The slow paths, for mirrors, diagnostics and special bytes. mem_read_slow
// is cpu_read_checked's, after that has marked the address read.
u8 mem_read_slow(u32 address);
void mem_write_slow(u32 address, u8 value);

// Diagnostic switches the fast paths must look at.
extern u32 logillegal;
extern u32 logreadwrites;

// Sets access bits of `address`, storing the word only when a bit is new. Code
// runs over the same bytes again and again: the usual case then only reads the
// history, and one instruction does not wait on the last one's store to it.
inline void mem_mark(u32 address, u32 bits) {
    u32& word = mem_access[address];
    if ((word & bits) != bits) word |= bits;
}

// The byte an instruction reads from a 15-bit guest address.
inline u8 cpu_read_checked(u32 address) {
    address &= GUEST_MEMORY_SIZE - 1;
    mem_mark(address, ACC_READ);
    if (mem_read_mirror[address] != address || (mem_attributes[address] & MEM_READ_SLOW) ||
        logillegal)
        return mem_read_slow(address);
    return guest_memory[address];
}

// A byte an instruction writes to a 15-bit guest address.
inline void cpu_write_checked(u32 address, u8 value) {
    address &= GUEST_MEMORY_SIZE - 1;
    mem_mark(address, ACC_WRITTEN);
    if (mem_write_mirror[address] != address || (mem_attributes[address] & MEM_WRITE_SLOW)) {
        mem_write_slow(address, value);
        return;
    }
    guest_memory[address] = value;
}
