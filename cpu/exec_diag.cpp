// Cold paths of the interpreter: fetch diagnostics, the tracer and the reports
// that single instructions give under "logillegal" and "loginterrupts".
#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/disasm.h"
#include "cpu/exec.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "cpu/optables.h"
#include "cpu/bus.h"

const char* cpu_mnemonic(u8 opcode) {
    const char* text = op_text[dis_notation % NOTATIONS][opcode].mnemonic;
    return text ? text : "???";
}

const char* cpu_address_text(u32 address, int slot) {
    static char buffers[4][CPU_ADDRESS_TEXT_SIZE];
    char* out = buffers[slot & 3];
    cpu_format_address(address, out, 1, 0, 15, 1);
    return out;
}

// Bytes whose attributes say chip register, unreadable, unwritable, read-once,
// BIOS or device memory, or that mirror another address, are odd places to run.
static bool unusual_region(u16 address) {
    return (mem_attributes[address] & 0x50B) || mem_read_mirror[address] != address;
}

static void check_operand_byte(u16 address, const char* ordinal) {
    const u32 old = mem_access[address];
    mem_access[address] = old | ACC_OPERAND;
    if (old & ACC_OPCODE) {
        con_printf(
            "The byte at %s, now the %s byte of an operand, has previously been an opcode!\n\n",
            cpu_address_text(address, 0), ordinal);
        dbg_request_pause(PAUSE_LOG);
    }
    if (unusual_region(address))
        con_printf("Operand at %s is in an unusual memory region!\n\n",
                   cpu_address_text(address, 0));
}

void cpu_fetch_logged(u32 old_bits) {
    const u16 iar = cpu_iar;
    if (old_bits & ACC_OPERAND) {
        con_printf("The byte at %s, now an opcode, has previously been an operand!\n\n",
                   cpu_address_text(iar, 0));
        dbg_request_pause(PAUSE_LOG);
    }
    if (unusual_region(iar))
        con_printf("Opcode at %s is in an unusual memory region!\n\n", cpu_address_text(iar, 0));
    const u32 length = op_length[cpu_opcode];
    if (length > 1) check_operand_byte(page_add(iar, 1), "1st");
    if (length > 2) check_operand_byte(page_add(iar, 2), "2nd");
}

void cpu_trace_execute() {
    cpu_regsel = cpu_reg_index(cpu_opcode);
    dis_instruction(1, 0);
    dis_region_comment();
    cpu_execute_instruction();
    if (verbosity == 1)
        trace_log_registers();
    else if (verbosity == 2 && cpu_host.view_cpu)
        cpu_host.view_cpu();
    if (verbosity > 0 && dbg_single_step) dis_log_next_instruction();
    if (cpu_host.refresh) cpu_host.refresh();
    if (cpu_tracing && !dbg_single_step && guidepixel) {
        if (cpu_host.beam_marker) cpu_host.beam_marker(0);
        cpu_host_blit();
        if (cpu_host.beam_marker) cpu_host.beam_marker(1);
    } else if (dbg_single_step) {
        // The step is over: tracing goes on only while CPU tracing is on.
        dbg_single_step = 0;
        mem_attributes[cpu_iar & 0x7FFF] &= ~MEM_STEP_OUT;
        cpu_host_pause();
    } else {
        cpu_host_blit();
    }
    if (!pause_pending) dbg_serve_events_while_paused();
}

void cpu_report_lodz_r0() {
    if (cpu_opcode == 0x00) {
        if (logillegal) {
            con_printf("Instruction at %s executed indeterminate opcode $00 (LODZ r0)!\n\n",
                       cpu_address_text(cpu_iar, 0));
            dbg_request_pause(PAUSE_LOG);
        }
        if (loginefficient) {
            con_printf("Replace %s with %s at %s.\n\n", cpu_mnemonic(0x00), cpu_mnemonic(0x60),
                       cpu_address_text(cpu_iar, 0));
            dbg_request_pause(PAUSE_LOG);
        }
    } else if (loginefficient) {
        cpu_advise_omit_here();
    }
}

void cpu_report_operand_and_index() {
    con_printf("%s is used as an operand and index for %s at %s.\n\n",
               reg_names[REGNAME_R0][dis_notation % NOTATIONS], cpu_mnemonic(cpu_opcode),
               cpu_address_text(cpu_iar, 0));
    dbg_request_pause(PAUSE_LOG);
}

void cpu_report_strange_opcode() {
    con_printf("Instruction at %s executed strange opcode %s!\n\n", cpu_address_text(cpu_iar, 0),
               cpu_mnemonic(cpu_opcode));
}

void cpu_report_undefined(bool pause) {
    con_printf("Instruction at %s executed undefined opcode $%02X!\n\n",
               cpu_address_text(cpu_iar, 0), cpu_opcode);
    if (pause) dbg_request_pause(PAUSE_LOG);
}

void cpu_report_halt() {
    con_printf("Instruction at %s executed HALT opcode!\n", cpu_address_text(cpu_iar, 0));
    con_printf((cpu_psu & PSU_II) ? "Warning: interrupts are inhibited!\n\n" : "\n");
    cpu_halt_reported = 1;
    dbg_request_pause(PAUSE_LOG);
}

void cpu_report_cc_un() {
    con_printf("%s instruction at %s is setting the Condition Code to %%11 (UN)!\n\n",
               cpu_mnemonic(cpu_opcode), cpu_address_text(cpu_iar, 0));
}

static void report_enabled() {
    con_printf("%s at %s (rastline %d): interrupts are now disinhibited (enabled).",
               cpu_mnemonic(cpu_opcode), cpu_address_text(cpu_iar, 0), raster_line);
    con_printf(cpu_irq_pending ? "An interrupt is pending!\n\n" : "No interrupt is pending.\n\n");
}

void cpu_report_ii_enabled() {
    report_enabled();
}

void cpu_report_psu_change(u8 old_psu, u8 new_psu) {
    const u8 op = cpu_opcode;
    if (logillegal) {
        bool modifies = false;
        if (op == 0x74) {
            const u8 m = guest_memory[page_add(cpu_iar, 1)];
            modifies = (m & 7) != 7 && (old_psu & m & 7);
        } else if (op == 0x76) {
            modifies = (new_psu & PSU_SP & ~old_psu) != 0;
        } else if (op == 0x92) {
            modifies = (new_psu & PSU_SP) && (new_psu & PSU_SP) != (old_psu & PSU_SP);
        }
        if (modifies) {
            con_printf("%s is modifying the SP at %s.\n\n", cpu_mnemonic(op),
                       cpu_address_text(cpu_iar, 0));
            dbg_request_pause(PAUSE_LOG);
        }
    }
    if (!loginterrupts) return;
    if ((old_psu & PSU_II) && !(new_psu & PSU_II)) {
        report_enabled();
    } else if (!(old_psu & PSU_II) && (new_psu & PSU_II)) {
        if (op == 0x92 && cpu_irq_pending) con_printf("Cleared pending interrupt!\n");
        con_printf("%s at %s (rastline %d): interrupts are now inhibited (disabled).\n\n",
                   cpu_mnemonic(op), cpu_address_text(cpu_iar, 0), raster_line);
    }
}
