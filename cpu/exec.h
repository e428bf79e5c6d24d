// The 2650 interpreter: instruction decode and semantics, effective addresses,
// branches and the return-address stack, interrupt acceptance, the run loops
// with their clock budget, and the inline code advice.
//
// Usage: fill guest_memory, set cpu_iar, add clock periods to cpu_cycle_budget
// and call cpu_run_cycles(); or call cpu_execute_one() from a machine's own loop
// after cpu_check_breakpoint(), unless that says a trap has executed it (cpu_step()
// does both). Machines raise an interrupt by setting cpu_irq_pending = 1 and
// calling cpu_interrupt() between instructions.
//
// All times are clock periods; one processor cycle is three of them.
// cpu_op_cycles holds the processor cycles of the last instruction.
#pragma once

#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/memory.h"
#include "cpu/optables.h"

#include <array>
#include <cstring>

// Per-instruction state beyond cpu.h.
extern u32 cpu_pointer_addr; // address of the indirect pointer being read
extern u8 cpu_halt_reported; // a HALT has been reported; cleared by interrupt acceptance
extern u32 cpu_slice_start;  // cpu_cycles when the current slice (or instruction) began

// Register context saved at each interrupt acceptance, checked on RETE.
extern CpuContext cpu_saved_context;

// Power-on state of the processor: the reset registers of cpu_reset_state(),
// cleared general registers, no pending interrupt, and the clock counters at 0.
void cpu_reset();

// The handler of each opcode: interprets the instruction at cpu_iar whose
// opcode is already in cpu_opcode.
extern const std::array<void (*)(), 256> cpu_opcode_handlers;
// Interpret the instruction whose opcode is already in cpu_opcode.
void cpu_execute_instruction();

// The same handlers for an instruction known to lie inside its 8 KB page with
// the address after it: its operand bytes and the next address are found
// without the wrap round the page.
extern const std::array<void (*)(), 256> cpu_in_page_handlers;

// The opcode and operand marks of the fetch of cpu_opcode at `iar` (15 bits),
// noted in mem_fetch_marked when it lies before the last three bytes of its
// page: a noted fetch is also one cpu_in_page_handlers may run.
void cpu_mark_fetch(u16 iar);
// The fetch marks, then the handler of cpu_opcode at `iar`, for any address.
void cpu_execute_marking(u16 iar);

// cpu_execute_one while something looks at single instructions: an IAR beyond
// 15 bits, "logillegal" (the logged fetch), tracing or single step.
void cpu_execute_one_checked();

// Execute exactly one instruction at cpu_iar, with access history, diagnostics,
// trace and single step, and the debugger pause afterwards. Inline so that the
// machines' own instruction loops pay no call for the plain case.
inline void cpu_execute_one() {
    if ((cpu_iar > 0x7FFF) | logillegal | cpu_tracing | dbg_single_step) [[unlikely]] {
        cpu_execute_one_checked();
        return;
    }
    const u16 iar = cpu_iar;
    cpu_opcode = guest_memory[iar];
    if (mem_fetch_marked[iar] != op_length[cpu_opcode]) [[unlikely]]
        cpu_execute_marking(iar);
    else
        cpu_in_page_handlers[cpu_opcode]();
    if (pause_pending) [[unlikely]]
        dbg_pause_loop();
}

// cpu_check_breakpoint, then cpu_execute_one unless a trap has executed the
// instruction; true when one has.
bool cpu_step_checked();

// The same as cpu_step_checked, for the machines' instruction loops: the
// plain case (an IAR within 15 bits, nothing looking at single instructions,
// no mark at the address) is told by one test, and runs the instruction as
// cpu_execute_one would; any other case takes the two calls in their order.
// Without a mark the breakpoint check does nothing, so the order of the
// tests changes nothing.
inline bool cpu_step() {
    const u16 iar = cpu_iar;
    if (((iar > 0x7FFF) | logillegal | cpu_tracing | dbg_single_step) ||
        (mem_attributes[iar] & (MEM_STEP_OUT | MEM_BREAKPOINT | MEM_TRAP))) [[unlikely]]
        return cpu_step_checked();
    cpu_opcode = guest_memory[iar];
    if (mem_fetch_marked[iar] != op_length[cpu_opcode]) [[unlikely]]
        cpu_execute_marking(iar);
    else
        cpu_in_page_handlers[cpu_opcode]();
    if (pause_pending) [[unlikely]]
        dbg_pause_loop();
    return false;
}

// Effective addresses of the instruction at cpu_iar, into cpu_ea.
void cpu_ea_relative();
void cpu_ea_zero_page();
void cpu_ea_absolute(); // also sets cpu_regsel (0 when indexed)
void cpu_ea_branch();

// Return-address stack: pop into cpu_iar.
void cpu_return();

// Condition code from a byte; flag-setting compare.
void cpu_set_cc(u8 value);
void cpu_compare(u8 a, u8 b);

// Run whole instructions until cpu_cycle_budget is used; the overshoot stays in
// the budget (zero or negative) for the next slice. The polled loop calls
// `tick` before every instruction (a machine's cassette sampling).
void cpu_run_cycles();
void cpu_run_cycles_polled(void (*tick)());

// Idling: the instruction at cpu_iar is a direct BCTR or BCTA whose condition
// holds and whose target is itself, it has just run (cpu_prev_iar is cpu_iar:
// the cheap test that spares the branch decode on every other branch), and no
// debugger feature looks at single instructions. Every further run of it then leaves the same state but the
// clock: cpu_idle_runs(n) stands for n runs (9 clock periods each), marks and
// registers as executing them leaves them. cpu_run_cycles counts out the rest
// of its slice so. cpu_idle_skipping 0 runs every instruction (for tests).
bool cpu_idles_at_branch();
inline bool cpu_idles() {
    return cpu_iar == cpu_prev_iar && (guest_memory[cpu_iar & 0x7FFF] & 0xF8) == 0x18 &&
           cpu_idles_at_branch();
}
void cpu_idle_runs(u32 n);
extern u8 cpu_idle_skipping;

// Polling: the processor runs a steady poll loop
//     LODA rN,abs   (neither indirect nor indexed)
//     TMI rN,imm    (or COMI rN,imm: a test that sets only the condition code)
//     a direct BCTR, BCFR, BCTA or BCFA back to the LODA, taken for that code
// whose branch has just run, rN holding the byte at abs (so another round
// leaves rN, the condition code and everything else as they are), with no
// debugger feature looking at single instructions, at the byte or at rN.
// While the loop's bytes and the byte stay the same, every instruction of it
// leaves the state its last run left but the clock: cpu_poll_runs counts
// instructions out so. Whoever counts them out makes sure that nothing writes
// the byte in between; a frame loop asks cpu_polls only at the LODA.
struct CpuPoll {
    u64 bytes, bytes_mask; // the loop's 7 or 8 bytes, read as one word from at[0]
    u16 at[3];             // the LODA, the test and the branch
    u16 address;           // the byte polled
    u8 value;              // what it and rN hold
    u8 phase;              // the loop's instruction at cpu_iar: 0, 1 or 2
    // What each instruction leaves: its opcode, clock periods, condition
    // code, cpu_regsel and cpu_ea.
    u8 opcode[3], periods[3], cc[3], regsel[3];
    u16 ea[3];
};
bool cpu_polls_at_load(CpuPoll& p);
inline bool cpu_polls(CpuPoll& p) {
    return cpu_prev_iar == static_cast<u16>(cpu_iar + 5) &&
           (guest_memory[cpu_iar & 0x7FFF] & 0xFC) == 0x0C && cpu_polls_at_load(p);
}
// The loop still stands as found: its bytes, and the byte polled holding rN's value.
inline bool cpu_poll_steady(const CpuPoll& p) {
    u64 bytes;
    std::memcpy(&bytes, guest_memory + p.at[0], 8);
    return ((bytes & p.bytes_mask) == p.bytes) & (guest_memory[p.address] == p.value);
}
// Counts out the loop's instructions from p.phase that begin within the next
// `before` clock periods (the first one always), but no LODA after the first
// instruction that begins `loads_before` periods on or later, leaving the
// state the last of them leaves. Returns the periods they take.
// Inline: a frame loop counts out a few instructions at a time.
inline u32 cpu_poll_runs(CpuPoll& p, u32 before, u32 loads_before) {
    u32 phase = p.phase, periods = 0, last;
    do {
        last = phase;
        periods += p.periods[phase];
        phase = phase == 2 ? 0 : phase + 1;
    } while (periods < before && !(phase == 0 && periods >= loads_before));
    cpu_cycles += periods;
    cpu_psl = static_cast<u8>((cpu_psl & ~PSL_CC) | p.cc[last]);
    cpu_opcode = p.opcode[last];
    cpu_regsel = p.regsel[last];
    cpu_ea = p.ea[last];
    cpu_op_cycles = p.periods[last] / 3;
    cpu_prev_iar = p.at[last];
    cpu_iar = p.at[phase];
    p.phase = static_cast<u8>(phase);
    return periods;
}
extern u8 cpu_poll_skipping; // 0 runs every instruction (for tests and benches)

// Interrupt acceptance (callers set cpu_irq_pending first), and the check on
// RETE that an interrupt routine restored the context it found.
void cpu_interrupt();
void cpu_check_restored_context();

// Code advice ("loginefficient"): the relative form of an absolute non-branch
// address (target in the instruction's page, before indirection), and advice on
// the target of a taken BCTA, or of a taken BCTR or ZBRR.
void cpu_advise_absolute(u16 target);
void cpu_advise_branch_abs();
void cpu_advise_branch_rel();
