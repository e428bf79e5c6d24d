// Interrupt acceptance: like a zero-page subroutine call to the vector that the
// board delivers in its acknowledge cycle (cpu_bus.interrupt_vector), taken
// between instructions while PSU.II is clear. Also the check, on RETE, that the
// interrupt routine put back the registers it found.
#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"

CpuContext cpu_saved_context;

static void log_acceptance() {
    if (logsubroutines)
        for (u8 i = 0; i < (cpu_psu & PSU_SP); ++i)
            con_printf(" ");
    if (logsubroutines || loginterrupts) dbg_request_pause(PAUSE_LOG);
    if (cpu_bus.interrupt_log) {
        cpu_bus.interrupt_log();
    } else {
        con_printf("Handling interrupt at rastline %d (%u %s). Interrupts are now inhibited "
                   "(disabled).\n",
                   raster_line, dbg_clocks_to_units(cpu_cycles), dbg_unit_label);
        if (!loginterrupts) con_printf("\n");
    }
    if (dbg_run_to_interrupt) dbg_request_pause(PAUSE_ALWAYS);
}

void cpu_interrupt() {
    if (!cpu_irq_pending || (cpu_psu & PSU_II)) return;
    CpuVector vector{0x0000, false};
    if (!cpu_bus.interrupt_vector(&vector)) return;
    if (cpu_tracing || dbg_run_to_interrupt || logsubroutines || loginterrupts) log_acceptance();
    if (cpu_bus.interrupt_taken) cpu_bus.interrupt_taken();

    cpu_saved_context.psl = cpu_psl;
    cpu_saved_context.psu = cpu_psu;
    for (int i = 0; i < 7; ++i)
        cpu_saved_context.regs[i] = cpu_regs[i];

    cpu_psu |= PSU_II;
    cpu_halt_reported = 0;
    const u8 sp = cpu_psu & PSU_SP;
    cpu_irq_level = sp;
    // A processor halted by HALT (which re-executes in place) resumes after it.
    const bool halted = cpu_prev_iar == cpu_iar && guest_memory[cpu_iar & 0x7FFF] == 0x40;
    cpu_ras[sp] = halted ? page_add(cpu_iar, 1) : cpu_iar;

    // The vector: a zero-page address, or the 13-bit pointer held there.
    const u16 at = vector.address & 0x1FFF;
    if (vector.indirect) {
        mem_access[at] |= ACC_INDIRECT;
        cpu_ea = static_cast<u32>((guest_memory[at] & 0x1F) << 8) | guest_memory[(at + 1) & 0x1FFF];
    } else {
        cpu_ea = at;
    }

    const bool overflow = cpu_ras_count_push();
    cpu_psu = static_cast<u8>((cpu_psu & ~PSU_SP) | ((sp + 1) & PSU_SP));
    if (overflow && (logillegal || loginterrupts)) {
        con_printf("Interrupt has caused a stack overflow!\n\n");
        dbg_request_pause(PAUSE_LOG);
    }

    if (cpu_bus.interrupt_plain_jump || vector.indirect) {
        cpu_iar = static_cast<u16>(cpu_ea);
        cpu_op_cycles = vector.indirect ? 5 : 3;
        cpu_cycles += vector.indirect ? 15 : 9;
    } else {
        // Reports an entry into BIOS code, then jumps to the vector: 3 cycles.
        cpu_report_bios_call(0);
    }
    cpu_irq_pending = 0;
}

void cpu_check_restored_context() {
    static const struct {
        u8 mask;
        const char* text;
    } psu_fields[] = {
        {PSU_F, " F (Flag) bit is different.\n"},
        {PSU_UF1, " UF1 (User Flag #1) bit is different.\n"},
        {PSU_UF2, " UF2 (User Flag #2) bit is different.\n"},
        {PSU_SP, " SP (Stack Pointer) is wrong!\n"},
    };
    static const struct {
        u8 mask;
        const char* text;
    } psl_fields[] = {
        {PSL_CC, " CC (Condition Code) is different.\n"},
        {PSL_IDC, " IDC (Inter-Digit Carry) bit is different.\n"},
        {PSL_RS, " RS (Register Select) bit is different.\n"},
        {PSL_WC, " WC (With Carry) bit is different.\n"},
        {PSL_OVF, " OVF (Overflow) bit is different.\n"},
        {PSL_COM, " COM (Compare) bit is different.\n"},
        {PSL_C, " C (Carry) bit is different.\n"},
    };
    bool differs = false;
    const u8 old_psu = cpu_saved_context.psu;
    if ((old_psu ^ cpu_psu) & static_cast<u8>(~PSU_S)) {
        differs = true;
        con_printf("PSU has not been restored correctly at %s (old $%02X vs. new $%02X):\n",
                   cpu_address_text(cpu_iar, 0), old_psu, cpu_psu);
        for (const auto& f : psu_fields)
            if ((old_psu ^ cpu_psu) & f.mask) con_printf("%s", f.text);
    }
    const u8 old_psl = cpu_saved_context.psl;
    if (old_psl != cpu_psl) {
        differs = true;
        con_printf("PSL has not been restored correctly at %s (old $%02X vs. new $%02X):\n",
                   cpu_address_text(cpu_iar, 0), old_psl, cpu_psl);
        for (const auto& f : psl_fields)
            if ((old_psl ^ cpu_psl) & f.mask) con_printf("%s", f.text);
    }
    for (int i = 0; i < 7; ++i) {
        if (cpu_saved_context.regs[i] != cpu_regs[i]) {
            differs = true;
            con_printf("R%d has not been restored correctly at %s (old $%02X vs. new $%02X)!\n", i,
                       cpu_address_text(cpu_iar, 0), cpu_saved_context.regs[i], cpu_regs[i]);
        }
    }
    if (differs) {
        con_printf("\n");
        dbg_request_pause(PAUSE_LOG);
    }
}
