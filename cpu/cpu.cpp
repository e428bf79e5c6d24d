#include "cpu/cpu.h"

#include <cstring>

u16 cpu_iar;
u8 cpu_regs[7];
u8 cpu_psu;
u8 cpu_psl;
u16 cpu_ras[8];
u32 cpu_irq_pending;
u8 cpu_irq_level = CPU_NO_IRQ_LEVEL;
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
}
