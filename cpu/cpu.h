// The one Signetics 2650 / 2650B processor: registers, program-status bytes,
// return-address stack and the 32 KB guest address space.
//
// Every processor-based machine runs this one core. State is plain globals;
// machines with two processor boards swap whole register contexts in and out.
// Time is counted in clock periods: one processor cycle is three of them.
#pragma once

#include "core/types.h"

constexpr u32 GUEST_MEMORY_SIZE = 0x8000;
constexpr u32 GUEST_ADDRESS_MASK = GUEST_MEMORY_SIZE - 1; // guest addresses wrap at 32K

// PSU bits
constexpr u8 PSU_S = 0x80;   // sense input
constexpr u8 PSU_F = 0x40;   // flag output
constexpr u8 PSU_II = 0x20;  // interrupt inhibit
constexpr u8 PSU_UF1 = 0x10; // user flag 1
constexpr u8 PSU_UF2 = 0x08; // user flag 2
constexpr u8 PSU_SP = 0x07;  // return-address stack pointer

// PSL bits
constexpr u8 PSL_CC = 0xC0;  // condition code
constexpr u8 PSL_IDC = 0x20; // inter-digit carry
constexpr u8 PSL_RS = 0x10;  // register bank select
constexpr u8 PSL_WC = 0x08;  // with carry
constexpr u8 PSL_OVF = 0x04; // overflow
constexpr u8 PSL_COM = 0x02; // logical compare
constexpr u8 PSL_C = 0x01;   // carry/borrow

// Condition code values (in PSL bits 7-6)
constexpr u8 CC_ZERO = 0x00;
constexpr u8 CC_POSITIVE = 0x40;
constexpr u8 CC_NEGATIVE = 0x80;

constexpr u8 CPU_NO_IRQ_LEVEL = 8;

// The most clock periods one step of the run loop takes: a 3-cycle instruction
// that lets an interrupt in (RETE, CPSU, LPSU) followed by the acceptance through
// an indirect vector (5 cycles). It outlasts the slowest instruction (6 cycles), so
// a budget left after a slice is never below minus this.
constexpr i32 CPU_LONGEST_STEP = 3 * (3 + 5);

enum CpuType : u32 { CPU_2650 = 0, CPU_2650B = 1 };

extern u16 cpu_iar;
extern u8 cpu_regs[7];
extern u8 cpu_psu;
extern u8 cpu_psl;
extern u16 cpu_ras[8];
extern u32 cpu_irq_pending;
extern u8 cpu_irq_level;
// How many return addresses the stack holds (0 to 8), and PSU.SP as the last
// call or return left it: SP alone cannot tell an empty stack from a full one.
// When something else has set SP (LPSU, the debugger) the count starts again
// from SP. A reset empties it; a state brings its own.
extern u8 cpu_ras_depth;
extern u8 cpu_ras_depth_sp;
extern u32 cpu_type;
extern u32 cpu_cycles;
extern i32 cpu_cycle_budget;
extern u32 cpu_op_cycles;
extern u16 cpu_prev_iar;

// Per-instruction scratch, valid while one instruction executes.
extern u8 cpu_opcode;
extern u8 cpu_regsel;
extern u32 cpu_ea;

extern u8 guest_memory[GUEST_MEMORY_SIZE];

// The address n bytes after a, wrapping inside a's 8 KB page.
constexpr u16 page_add(u16 a, int n) {
    return static_cast<u16>((a & 0x6000) + ((a + n) & 0x1FFF));
}

// Index into cpu_regs of register field 0..3 under the current bank.
inline u8 cpu_reg_index(u8 field) {
    field &= 3;
    return (field && (cpu_psl & PSL_RS)) ? static_cast<u8>(field + 3) : field;
}

// Register state as a machine reset leaves it: IAR 0, PSU 0, PSL 0, empty stack.
void cpu_reset_state();

// Register context saved at each interrupt acceptance, checked on RETE.
struct CpuContext {
    u8 psl;
    u8 psu;
    u8 regs[7];
};

// Everything one processor holds between two instructions: its registers,
// program-status bytes, return-address stack, interrupt state and clock
// counters. A machine with two processor boards keeps one per board; the
// processor type belongs to the machine and is not part of it.
struct CpuState {
    u16 iar;
    u16 prev_iar;
    u8 regs[7];
    u8 psu;
    u8 psl;
    u16 ras[8];
    u32 irq_pending;
    u8 irq_level;
    u8 ras_depth;
    u8 ras_depth_sp;
    u8 halt_reported;
    CpuContext saved_context;
    u32 cycles;
    i32 cycle_budget;
    u32 op_cycles;
    u32 slice_start;
};

// Count a push or a pop of the return-address stack at the current PSU.SP
// (before SP moves): true when the push writes over the oldest address still
// held (a ninth nested call), or the pop finds the stack empty.
bool cpu_ras_count_push();
bool cpu_ras_count_pop();

// The return addresses processor `s` holds (0 to 8) at its PSU.SP, and the
// same count set there.
u8 cpu_ras_held(const CpuState& s);
void cpu_ras_set_held(CpuState& s, u8 held);
// The running processor holds none of its own: a program put into the guest
// without a reset starts from here, whatever SP it finds.
void cpu_ras_count_restart();

// Copies the processor's globals into `state`, and back.
void cpu_state_save(CpuState& state);
void cpu_state_load(const CpuState& state);
