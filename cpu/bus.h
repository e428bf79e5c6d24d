// What the processor asks of the machine around it.
//
// The 2650 core knows no machine: every question whose answer depends on the
// board it sits on goes through cpu_bus. A machine's set-up fills the hooks it
// needs; cpu_bus_reset() leaves plain RAM, no ports, the vector $0000, no FLAG
// or HALT wiring, and nothing special for the debugger: what the debugger side
// of the processor asks the board is not a bus line but cpu_debug_hooks
// (cpu/dbg_hooks.h), which the reset points at the defaults.
//
// Hot hooks are only reached from the slow paths: bytes whose attributes send
// them there (MEM_ROUTED, MEM_UNREADABLE, MEM_READ_ONCE, MEM_SOUND,
// MEM_HW_REGISTER), port instructions, interrupt acceptance, CPSU/LPSU, HALT,
// and addresses marked as traps.
#pragma once

#include "cpu/cpu.h"

// The vector an interrupt acknowledge delivers: a zero-page address, or with
// `indirect` the 13-bit pointer held there (high byte first, masked with $1F).
struct CpuVector {
    u16 address;
    bool indirect;
};

struct CpuBus {
    // ---- memory ----
    // A byte marked MEM_ROUTED: kept by the board outside guest_memory.
    u8 (*read_routed)(u32 address);
    void (*write_routed)(u32 address, u8 value);
    // The value a read of an unreadable (write-only or unmapped) byte gives.
    u8 (*unreadable)(u32 address);
    // What a MEM_READ_ONCE byte holds after it has been read.
    u8 read_once_value;
    // Coverage bit of the chip register at `address`, as a mask; 0 for none.
    u32 (*coverage_bit)(u32 address);
    // A MEM_SOUND byte has been written.
    void (*sound_written)(u32 address);

    // ---- ports: 0-255 extended (REDE/WRTE), 256 control (REDC/WRTC), 257 data (REDD/WRTD) ----
    u8 (*port_read)(u32 port);
    void (*port_write)(u32 port, u8 value);

    // ---- processor pins ----
    // Interrupt acknowledge: fills the vector; false when no source is eligible
    // (the request stays pending and nothing is accepted).
    bool (*interrupt_vector)(CpuVector* vector);
    // After CPSU and LPSU (the instructions that can take FLAG low) have been
    // charged; `old_psu` is PSU before the instruction, cpu_psu after it.
    void (*flag_written)(u8 old_psu);
    // After HALT has been charged (the processor stays on the HALT).
    void (*halt)();
    // Before the host pauses or shows the frame: the board hands over what
    // it holds back of the picture (a line drawn into a buffer). nullptr:
    // nothing is held back.
    void (*picture_due)();
    // The acceptance line of the interrupt log (nullptr: the raster-line text).
    void (*interrupt_log)();
    // After the acceptance has been logged, before the context is saved.
    void (*interrupt_taken)();
    // Acceptance jumps to the vector as the board's own logic does (3 cycles,
    // 5 when indirect) without reporting it as an entry into BIOS code.
    bool interrupt_plain_jump;
    // "logillegal" reports port instructions and RETE as strange: the board
    // wires neither ports nor an interrupt source to the processor.
    bool strange_ports;
};

extern CpuBus cpu_bus;

// The raster line the board is drawing, named in the processor's reports.
extern i32 raster_line;

// Plain RAM and no ports, and cpu_debug_hooks at the defaults; every
// machine's set-up starts from this.
void cpu_bus_reset();

// ---- address traps ----
// An action run before the instruction at `address` when its opcode is
// `opcode`. Returning true means the action has executed the instruction itself
// (advanced cpu_iar and charged its time); false lets it run as usual.
using CpuTrapAction = bool (*)();

// Installs a trap and marks its address. At most CPU_TRAPS are held; false when full.
constexpr int CPU_TRAPS = 32;
bool cpu_trap_add(u16 address, u8 opcode, CpuTrapAction action);
// One trap at every address of first..last; false when the table is full.
bool cpu_trap_add_range(u16 first, u16 last, u8 opcode, CpuTrapAction action);
// Removes every trap and its marks.
void cpu_traps_clear();
// Sets the marks of the installed traps again (after the attribute table was cleared).
void cpu_traps_mark();

// Runs the actions of the traps at cpu_iar for the opcode there (the breakpoint
// check calls it for a marked address); true when one of them has executed
// the instruction.
bool cpu_trap_fire();

// ---- redirection ----
// A hook that moves the processor elsewhere (a port write that hands control
// to a monitor) asks for it here; the interpreter jumps to `address` once the
// current instruction has been completed.
constexpr u32 CPU_NO_REDIRECT = 0x10000;
extern u32 cpu_redirect_pending;
inline void cpu_redirect_after(u16 address) {
    cpu_redirect_pending = address;
}
