// Listings around the one-instruction disassembler: the debugger's range
// listing, the "Next instruction" message, the end of each listed line with the
// memory kind of the address it touches (and the address's comments, through
// cpu_host), and the trace line's register columns.
#include "cpu/disasm.h"

#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstring>

u32 dis_next_address;

void dis_reset() {
    dis_ea = DIS_EA_NONE;
    dis_cc_context = DIS_CTX_UNKNOWN;
    dis_mode = DIS_INTERACTIVE;
    dis_next_address = 0;
    dis_line[0] = dis_pseudo_line[0] = dis_flag_comments[0] = dis_trace_line[0] = 0;
}

void dis_log_next_instruction() {
    char address[CPU_ADDRESS_TEXT_SIZE];
    cpu_format_address(cpu_iar, address, 1, 0, 15, 1);
    const char* mnemonic = op_text[dis_notation_index()][guest_memory[cpu_iar & 0x7FFF]].mnemonic;
    con_printf(cat_str(687, "Next instruction is %s at %s.\n\n"), mnemonic ? mnemonic : "",
               address);
}

void dis_list_range(u32 first, u32 last, int quiet) {
    u16 saved_iar = cpu_iar;
    u8 saved_psl = cpu_psl;
    u32 saved_cycles = cpu_cycles;
    u32 saved_mode = dis_mode;
    if (dis_mode == DIS_INTERACTIVE) dis_mode = DIS_LISTING;
    if (verbosity == 1 && !quiet)
        con_printf("Loca InOpAd Mnemoni XRU  IAdd IV EAdd\n"
                   "---- ------ ------- --- ----- -- ----\n");
    u32 address = first & 0x7FFF;
    cpu_psl = 0;
    cpu_cycles = 0;
    for (;;) {
        cpu_iar = static_cast<u16>(address);
        cpu_opcode = guest_memory[address];
        cpu_regsel = cpu_opcode & 3; // PSL is 0: bank 0
        dis_instruction(1, quiet);
        if (!quiet) dis_region_comment();
        address += op_length[cpu_opcode];
        cpu_cycles += dis_cycles;
        // The listing ends at the top of the address space.
        if (address > last || address > 0x7FFF) break;
    }
    if (!quiet) dis_next_address = address;
    cpu_iar = saved_iar;
    cpu_psl = saved_psl;
    cpu_cycles = saved_cycles;
    dis_mode = saved_mode;
}

// What kind of memory an address is, for the end-of-line comment.
static const char* memory_kind(u32 address) {
    if (mem_read_mirror[address] != address || mem_write_mirror[address] != address)
        return "mirror";
    u16 attributes = mem_attributes[address];
    if (attributes & MEM_HW_REGISTER) return "hardware register";
    if (attributes & MEM_UNWRITABLE) return (attributes & MEM_BIOS) ? "BIOS ROM" : "game ROM";
    if (attributes & MEM_UNREADABLE) return "write-only";
    if (attributes & MEM_BIOS) return "BIOS RAM";
    return "user RAM";
}

void dis_region_comment() {
    if (verbosity == 1) {
        con_printf("%s%s", dis_trace_line, dis_mode != DIS_INTERACTIVE ? "\n" : "");
    } else if (verbosity == 0) {
        con_printf("        %s\n", dis_line);
    } else {
        con_printf("        %s%s", dis_line, asm_output_file ? " " : "\n;");
        if (dis_ea > 0x7FFF)
            con_printf("%s\n", dis_pseudo_line);
        else
            con_printf("%s // $%X is %s\n", dis_pseudo_line, dis_ea, memory_kind(dis_ea));
        if (dis_flag_comments[0]) con_printf("%s", dis_flag_comments);
        if ((mem_attributes[cpu_iar & 0x7FFF] & MEM_COMMENT) && cpu_host.address_comments)
            cpu_host.address_comments(cpu_iar);
    }
    dis_ea = DIS_EA_NONE;
}

void trace_log_registers() {
    con_printf("    %02X %02X %02X %02X %02X %02X %02X %02X %02X %04X\n", cpu_regs[0], cpu_regs[1],
               cpu_regs[2], cpu_regs[3], cpu_regs[4], cpu_regs[5], cpu_regs[6], cpu_psu, cpu_psl,
               cpu_iar);
}

const char* dis_memory_type_name(int kind) {
    switch (kind) {
    case 'C':
        return cat_str(1005, "code");
    case 'D':
        return cat_str(1006, "data");
    case 'P':
        return cat_str(1007, "pointer");
    default:
        return cat_str(1008, "unknown");
    }
}
