// Interrupt acceptance: like a zero-page subroutine call to a vector that each
// machine defines, taken between instructions while PSU.II is clear. The TWIN
// arbitrates 32 prioritised sources; the Instructor 50 and the PHUNSY can take
// their vector from memory. Also the check, on RETE, that the interrupt routine
// put back the registers it found.
#include "core/emu.h"
#include "core/message.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "cpu/seams_exec.h"
#include "debugger/debugger.h"

CpuContext cpu_saved_context;
i32 twin_irq_current = 32;

const char* const twin_irq_names[32] = {
    "reset",
    "master RAM parity error",
    "paper tape reader",
    "slave RAM parity error",
    "teletype in",
    "teletype out",
    "RS-232 in",
    "RS-232 out",
    "not assigned",
    "interval timer",
    "printer",
    "floppy disk",
    "not assigned",
    "PROM program #1",
    "PROM program #2",
    "not assigned",
    "slave SVC #1",
    "slave SVC #2",
    "slave SVC #3",
    "slave SVC #4",
    "slave SVC #5",
    "slave SVC #6",
    "debug SVC #1",
    "debug SVC #2",
    "breakpoint #1",
    "breakpoint #2",
    "single cycle",
    "halt",
    "diagnostic control",
    "not assigned",
    "not assigned",
    "not assigned",
};

constexpr u32 TWIN_INTERRUPT_PORT = 0xEA; // bit 5 enables the printer, bit 4 the floppy disk

// The highest-priority (lowest-numbered) eligible TWIN source, or 32.
static int twin_select_priority() {
    const u8 enables = port_records[TWIN_INTERRUPT_PORT].last_value;
    for (int p = 0; p < 32; ++p) {
        if (!twin_irq_pending[p]) continue;
        if (p == 10 && !(enables & 0x20)) continue;
        if (p == 11 && !(enables & 0x10)) continue;
        return p;
    }
    return 32;
}

// A 13-bit pointer in page 0, high byte first.
static u32 page_zero_pointer(u16 address) {
    return ((guest_memory[address] & 0x1F) << 8) | guest_memory[address + 1];
}

static u32 phunsy_vector() {
    if (phunsy_biosversion == 1) return 0x001D;
    const u8 select = phunsy_irq_select;
    if (select & 1) return 0x0000;
    if (select & 2) return 0x1FEC;
    if (select & 4) return page_zero_pointer(0x1FF8);
    if (select & 8) return page_zero_pointer(0x1FF6);
    return page_zero_pointer(0x1FF4);
}

static void log_acceptance() {
    if (logsubroutines)
        for (u8 i = 0; i < (cpu_psu & PSU_SP); ++i)
            con_printf(" ");
    if (logsubroutines || loginterrupts) dbg_request_pause(PAUSE_LOG);
    if (machine == TWIN) {
        con_printf("Generated interrupt of priority %d (%s) at %u %s.\n", twin_irq_current,
                   twin_irq_names[twin_irq_current], dbg_clocks_to_units(cpu_cycles),
                   dbg_unit_label);
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
    if (machine == TWIN) {
        const int priority = twin_select_priority();
        twin_irq_current = priority;
        if (priority == 32) return;
        twin_irq_pending[priority] = 0;
    }
    if (cpu_tracing || dbg_run_to_interrupt || logsubroutines || loginterrupts) log_acceptance();
    if (machine == TWIN && logbios && twin_irq_current >= 16 && twin_irq_current <= 21)
        twin_describe_svc(twin_irq_current - 15);

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

    bool indirect = false;
    switch (machine) {
    case INTERTON:
    case ELEKTOR:
    case MALZAK:
        cpu_ea = 0x0003;
        break;
    case ZACCARIA:
        cpu_ea = (memmap == 24 || memmap == 25) ? 0x000A : 0x0003;
        break;
    case INSTRUCTOR:
        if (si50_interrupts == 1) {
            indirect = true;
            mem_access[0x0007] |= ACC_INDIRECT;
            cpu_ea = page_zero_pointer(0x0007);
        } else {
            cpu_ea = 0x0007;
        }
        break;
    case TWIN:
        cpu_ea = 2 * static_cast<u32>(twin_irq_current);
        break;
    case PHUNSY:
        cpu_ea = phunsy_vector();
        break;
    default:
        // The Arcadia, PIPBUG, BINBUG, CD2650, Selbstbaucomputer and MIKIT have
        // no vector of their own (only the debugger raises interrupts there):
        // acceptance goes to $0000.
        cpu_ea = 0x0000;
        break;
    }

    if (sp == 7) {
        cpu_psu &= static_cast<u8>(~PSU_SP);
        if (logillegal || loginterrupts) {
            con_printf("Interrupt has caused a stack overflow!\n\n");
            dbg_request_pause(PAUSE_LOG);
        }
    } else {
        ++cpu_psu;
    }

    if (machine == INSTRUCTOR) {
        cpu_iar = static_cast<u16>(cpu_ea);
        cpu_op_cycles = indirect ? 5 : 3;
        cpu_cycles += indirect ? 15 : 9;
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
