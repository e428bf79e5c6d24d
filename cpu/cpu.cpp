#include "cpu/cpu.h"

#include "cpu/exec.h"

#include <cstring>

u16 cpu_iar;
u8 cpu_regs[7];
u8 cpu_psu;
u8 cpu_psl;
u16 cpu_ras[8];
u32 cpu_irq_pending;
u8 cpu_irq_level = CPU_NO_IRQ_LEVEL;
u8 cpu_ras_depth;
u8 cpu_ras_depth_sp;
u32 cpu_type = CPU_2650;
u32 cpu_cycles;
i32 cpu_cycle_budget;
u32 cpu_op_cycles;
u16 cpu_prev_iar;

u8 cpu_opcode;
u8 cpu_regsel;
u32 cpu_ea;

u8 guest_memory[GUEST_MEMORY_SIZE];

void cpu_reset_state() {
    cpu_iar = 0;
    cpu_psu = 0;
    cpu_psl = 0;
    std::memset(cpu_ras, 0, sizeof cpu_ras);
    cpu_irq_level = CPU_NO_IRQ_LEVEL;
    cpu_ras_depth = 0;
    cpu_ras_depth_sp = 0;
}

// SP set by other means than a call or a return: it is taken as the depth.
static u8 ras_depth_at(u8 sp, u8 depth, u8 depth_sp) {
    return sp == depth_sp ? depth : sp;
}

static u8 ras_depth_now(u8 sp) {
    cpu_ras_depth = ras_depth_at(sp, cpu_ras_depth, cpu_ras_depth_sp);
    return cpu_ras_depth;
}

u8 cpu_ras_held(const CpuState& s) {
    return ras_depth_at(s.psu & PSU_SP, s.ras_depth, s.ras_depth_sp);
}

void cpu_ras_set_held(CpuState& s, u8 held) {
    s.ras_depth = held;
    s.ras_depth_sp = s.psu & PSU_SP;
}

void cpu_ras_count_restart() {
    cpu_ras_depth = 0;
    cpu_ras_depth_sp = cpu_psu & PSU_SP;
}

bool cpu_ras_count_push() {
    const u8 sp = cpu_psu & PSU_SP;
    const bool full = ras_depth_now(sp) == 8;
    if (!full) ++cpu_ras_depth;
    cpu_ras_depth_sp = static_cast<u8>((sp + 1) & PSU_SP);
    return full;
}

bool cpu_ras_count_pop() {
    const u8 sp = cpu_psu & PSU_SP;
    const bool empty = ras_depth_now(sp) == 0;
    // Past the bottom SP wraps to 7, and the count follows it.
    cpu_ras_depth = empty ? 7 : static_cast<u8>(cpu_ras_depth - 1);
    cpu_ras_depth_sp = static_cast<u8>((sp - 1) & PSU_SP);
    return empty;
}

void cpu_state_save(CpuState& state) {
    state.iar = cpu_iar;
    state.prev_iar = cpu_prev_iar;
    std::memcpy(state.regs, cpu_regs, sizeof state.regs);
    state.psu = cpu_psu;
    state.psl = cpu_psl;
    std::memcpy(state.ras, cpu_ras, sizeof state.ras);
    state.irq_pending = cpu_irq_pending;
    state.irq_level = cpu_irq_level;
    state.ras_depth = cpu_ras_depth;
    state.ras_depth_sp = cpu_ras_depth_sp;
    state.halt_reported = cpu_halt_reported;
    state.saved_context = cpu_saved_context;
    state.cycles = cpu_cycles;
    state.cycle_budget = cpu_cycle_budget;
    state.op_cycles = cpu_op_cycles;
    state.slice_start = cpu_slice_start;
}

void cpu_state_load(const CpuState& state) {
    cpu_iar = state.iar;
    cpu_prev_iar = state.prev_iar;
    std::memcpy(cpu_regs, state.regs, sizeof cpu_regs);
    cpu_psu = state.psu;
    cpu_psl = state.psl;
    std::memcpy(cpu_ras, state.ras, sizeof cpu_ras);
    cpu_irq_pending = state.irq_pending;
    cpu_irq_level = state.irq_level;
    cpu_ras_depth = state.ras_depth;
    cpu_ras_depth_sp = state.ras_depth_sp;
    cpu_halt_reported = state.halt_reported;
    cpu_saved_context = state.saved_context;
    cpu_cycles = state.cycles;
    cpu_cycle_budget = state.cycle_budget;
    cpu_op_cycles = state.op_cycles;
    cpu_slice_start = state.slice_start;
}
