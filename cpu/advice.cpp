// Code advice ("loginefficient"): instructions that could be shorter or faster.
// Each piece of advice is one message naming mnemonics in the current notation
// and the instruction's address, followed by a warning pause request. Advice
// never changes what the guest does.
#include "core/message.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "cpu/optables.h"

static void replace(u8 opcode, u8 replacement, u16 address) {
    con_printf("Replace %s with %s at %s.\n\n", cpu_mnemonic(opcode), cpu_mnemonic(replacement),
               cpu_address_text(address, 0));
    dbg_request_pause(PAUSE_LOG);
}

static void replace_pair(u8 first, u8 second, u8 replacement) {
    con_printf("Replace %s and %s with %s at %s.\n\n", cpu_mnemonic(first), cpu_mnemonic(second),
               cpu_mnemonic(replacement), cpu_address_text(cpu_iar, 0));
    dbg_request_pause(PAUSE_LOG);
}

static void omit(u8 opcode, u16 address) {
    con_printf("Omit %s at %s.\n\n", cpu_mnemonic(opcode), cpu_address_text(address, 0));
    dbg_request_pause(PAUSE_LOG);
}

void cpu_advise_omit_here() {
    omit(cpu_opcode, cpu_iar);
}

// A two-byte relative form at cpu_iar reaches cpu_iar - 62 .. cpu_iar + 65 (its
// displacement counts from cpu_iar + 2). Where that range wraps round the page
// the lower bound lies above the upper one and nothing is in reach.
static bool within_relative_reach(u32 target) {
    const int page = cpu_iar & 0x6000;
    const int lower = page + ((cpu_iar - 62) & 0x1FFF);
    const int upper = page + ((cpu_iar + 65) & 0x1FFF);
    const int t = static_cast<int>(target);
    return lower <= t && t <= upper;
}

void cpu_advise_absolute(u16 target) {
    if (within_relative_reach(target))
        replace(cpu_opcode, static_cast<u8>(cpu_opcode - 4), cpu_iar);
}

void cpu_advise_absolute_branch(u16 target) {
    const u8 op = cpu_opcode;
    if (op == 0x9F || op == 0xBF || op == 0x10 || op == 0x11) return;
    if ((op == 0x1F || op == 0x3F) &&
        (target <= 0x003F || (target >= 0x1FC0 && target <= 0x1FFF))) {
        replace(op, op == 0x1F ? 0x9B : 0xBB, cpu_iar);
        return;
    }
    if (within_relative_reach(target)) replace(op, static_cast<u8>(op - 4), cpu_iar);
}

void cpu_advise_branch_abs() {
    const u8 op = cpu_opcode;
    const u8 at_target = guest_memory[cpu_ea & 0x7FFF];
    if (cpu_ea == page_add(cpu_iar, 3))
        omit(op, cpu_iar);
    else if (at_target == op - 8 || at_target == 0x17)
        replace(op, static_cast<u8>(op - 8), cpu_iar);
    else if (at_target == op + 24)
        replace(op, static_cast<u8>(op + 24), cpu_iar);
}

void cpu_advise_branch_rel() {
    const u8 op = cpu_opcode;
    const u8 at_target = guest_memory[cpu_ea & 0x7FFF];
    if (cpu_ea == page_add(cpu_iar, 2)) {
        omit(op, cpu_iar);
    } else if (op == 0x9B) {
        if (at_target == 0x17 || at_target == 0x37) replace(op, at_target, cpu_iar);
    } else if (at_target == op - 4 || at_target == 0x17) {
        replace(op, static_cast<u8>(op - 4), cpu_iar);
    } else if (at_target == op + 28) {
        replace(op, static_cast<u8>(op + 28), cpu_iar);
    }
}

// A load or constant is followed by a comparison with zero, which the load's
// own condition code already gives; ROM bytes loaded by address are constants;
// ADDI/SUBI by one before BCFR/BCFA,eq is a counting branch.
void cpu_advise_immediate_or_load(u32 length, bool plain, u8 value) {
    const u8 op = cpu_opcode;
    const u8 field = op & 3;
    const u8 mode = op & 0x0C;
    const u8 family = op & 0xF0;
    const bool immediate = mode == 0x04 && family <= 0xA0;
    const bool load_memory = family == 0x00 && mode != 0x04;
    const u16 next = page_add(cpu_iar, static_cast<int>(length));
    if ((immediate || load_memory) && guest_memory[next] == (0xE4 | field) &&
        guest_memory[page_add(next, 1)] == 0)
        omit(guest_memory[next], next);
    if (load_memory && plain) {
        const u16 second = page_add(static_cast<u16>(cpu_ea), 1);
        const auto constant = [](u16 a) {
            return (mem_attributes[a] & (MEM_UNWRITABLE | MEM_HW_REGISTER)) == MEM_UNWRITABLE;
        };
        if (constant(static_cast<u16>(cpu_ea)) && constant(second)) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%s%02X", dis_hex_prefix[dis_notation % NOTATIONS],
                          value);
            con_printf("Replace %s with %s %s at %s.\n\n", cpu_mnemonic(op),
                       cpu_mnemonic(static_cast<u8>(0x04 | field)), hex,
                       cpu_address_text(cpu_iar, 0));
            dbg_request_pause(PAUSE_LOG);
        }
    }
    if (mode == 0x04 && (family == 0x80 || family == 0xA0) && value == 1) {
        const u8 following = guest_memory[next];
        if (following == 0x98 || following == 0x9C) {
            const u8 counting = family == 0x80 ? 0xD8 : 0xF8;
            replace_pair(op, following,
                         static_cast<u8>(counting | (following == 0x9C ? 4 : 0) | field));
        }
    }
}

void cpu_advise_call_return(u32 length) {
    const u8 op = cpu_opcode;
    if ((op == 0x3B || op == 0x3F) &&
        guest_memory[page_add(cpu_iar, static_cast<int>(length))] == 0x17)
        replace_pair(op, 0x17, op == 0x3B ? 0x1B : 0x1F);
}

void cpu_advise_mask(u8 mask) {
    const u8 op = cpu_opcode;
    const u8 writable = cpu_type == CPU_2650B ? 0x7F : 0x67;
    if (op == 0x74 || op == 0x76) {
        if (!(mask & writable)) omit(op, cpu_iar);
    } else if (mask == 0) {
        omit(op, cpu_iar);
    } else if (op == 0x75 && mask == 0xC0) {
        replace(op, 0xE0, cpu_iar);
    }
}
