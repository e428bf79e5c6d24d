#include "debugger/coverage.h"

#include "core/helpers.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "cpu/memory.h"
#include "debugger/commands.h"
#include "debugger/commands_internal.h"
#include "debugger/debugger.h"

#include <cstring>

namespace {

constexpr u32 KINDS = 31; // access bits 0..4

void print_formatted(u32 address) {
    char text[DBG_ADDRESS_TEXT_SIZE];
    dbg_format_address(address, text, 1, 0, 15, 1);
    con_printf("%s", text);
}

void none() {
    con_printf("%s.\n", "None");
}

void accessed_bytes() {
    con_printf("Accessed bytes:\n");
    u32 a = 0;
    while (a < GUEST_MEMORY_SIZE) {
        const u32 kind = mem_access[a] & KINDS;
        u32 end = a;
        while (end + 1 < GUEST_MEMORY_SIZE && (mem_access[end + 1] & KINDS) == kind)
            end++;
        if (kind) {
            char text[6];
            dbg_access_text(kind, text);
            if (end > a)
                con_printf("%s: $%04X..$%04X\n", text, a, end);
            else
                con_printf("%s: $%04X\n", text, a);
        }
        a = end + 1;
    }
    con_printf("\n");
}

void port_accesses() {
    con_printf("I/O port accesses:\n");
    bool any = false;
    char text[6];
    for (u32 p : {IO_CONTROL_PORT, IO_DATA_PORT})
        if (port_usage[p]) {
            dbg_access_text(port_usage[p], text);
            con_printf(p == IO_CONTROL_PORT ? "%s: Control\n" : "%s: Data\n", text);
            any = true;
        }
    u32 p = 0;
    while (p < 256) {
        const u8 use = port_usage[p];
        u32 end = p;
        while (end + 1 < 256 && port_usage[end + 1] == use)
            end++;
        if (use) {
            dbg_access_text(use, text);
            if (end > p)
                con_printf("%s:  $%03X.. $%03X\n", text, p, end);
            else
                con_printf("%s:  $%03X\n", text, p);
            any = true;
        }
        p = end + 1;
    }
    if (!any) none();
    con_printf("\n");
}

void branches() {
    con_printf("Branches and subroutine calls:\n");
    bool any = false;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        const u32 f = mem_access[a];
        if (!(f & (ACC_BRANCH | ACC_CALL | ACC_BRANCH_IRQ | ACC_CALL_IRQ))) continue;
        con_printf("%c%c%c%c: ", f & ACC_BRANCH ? 'C' : '-', f & ACC_CALL ? 'S' : '-',
                   f & ACC_BRANCH_IRQ ? 'c' : '-', f & ACC_CALL_IRQ ? 's' : '-');
        for (u32 d = (f & ACC_DEPTH_MASK) >> ACC_DEPTH_SHIFT; d > 0; d--)
            con_printf(" ");
        print_formatted(a);
        con_printf("\n");
        any = true;
    }
    if (!any) none();
    con_printf("\n");
}

void loops() {
    con_printf("Loops:\n");
    bool any = false;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        const u32 f = mem_access[a];
        if (!(f & (ACC_LOOP_TARGET | ACC_LOOP_SOURCE))) continue;
        con_printf("%c%c: ", f & ACC_LOOP_TARGET ? 'S' : '-', f & ACC_LOOP_SOURCE ? 'E' : '-');
        print_formatted(a);
        con_printf("\n");
        any = true;
    }
    if (!any) none();
    con_printf("\n");
}

// The instructions whose record in `table` has `bit`, as a list.
void print_users(const u32* table, u32 mask) {
    bool first = true;
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        if (!(table[a] & mask)) continue;
        if (!first) con_printf(", ");
        print_formatted(a);
        first = false;
    }
}

bool used(const u32* table, u32 mask) {
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
        if (table[a] & mask) return true;
    return false;
}

void chip_accesses(bool alone) {
    ChipCoverage chips;
    if (const auto fill = machine_debug().chip_coverage) fill(&chips);
    if (!chips.title) {
        if (alone) con_printf("%s\n\n", "Wrong guest machine!");
        return;
    }
    con_printf("%s", chips.title);
    bool any = false;
    for (int i = 0; i < chips.count && i < 32; i++)
        any |= dbg_report_register_access(chips.address[i], chips.bit[i]) != 0;
    if (!any) con_printf("None\n");
    con_printf("\n");
}

} // namespace

void dbg_access_text(u32 flags, char* out) {
    static constexpr char LETTERS[5] = {'A', 'E', 'O', 'R', 'W'};
    for (int i = 0; i < 5; i++)
        out[i] = flags & (16u >> i) ? LETTERS[i] : '-';
    out[5] = '\0';
}

int dbg_report_register_access(u32 address, int bit) {
    const u32 mask = 1u << (bit & 31);
    const bool read = used(coverage_read_flags, mask), written = used(coverage_flags, mask);
    if (!read && !written) return 0;
    char name[DBG_ADDRESS_TEXT_SIZE];
    dbg_format_address(address, name, 1, 0, 15, 1);
    con_printf("%21s: ", name);
    const u32 attributes = mem_attributes[address & (GUEST_MEMORY_SIZE - 1)];
    if (read) {
        con_printf("Read    by ");
        print_users(coverage_read_flags, mask);
        con_printf(attributes & MEM_UNREADABLE ? "!\n" : ".\n");
    }
    if (written) {
        if (read) con_printf("%23s", "");
        con_printf("Written by ");
        print_users(coverage_flags, mask);
        con_printf(attributes & MEM_UNWRITABLE ? "!\n" : ".\n");
    }
    return 1;
}

void dbg_coverage_report(int type) {
    if (machine_traits().no_processor) return;
    if (type == 0 || type == 1) accessed_bytes();
    if (type == 0 || type == 2) port_accesses();
    if (type == 0 || type == 3) branches();
    if (type == 0 || type == 4) loops();
    if (type == 0 || type == 5) chip_accesses(type == 5);
}

void dbg_clear_coverage() {
    std::memset(port_usage, 0, sizeof port_usage);
    mem_clear_access();
}

// These commands are Debug menu items: on a machine without a processor
// their rows refuse the line before it gets here (debug_line_refusal).
void dbg_cmd_cover() {
    if (dbg_lone_question() || dbg_arg2[0]) {
        dbg_usage_text("Usage: COVER [<reporttype>]\n\n");
        return;
    }
    long type = 0;
    if (dbg_arg1[0] && (!num_scan_long(dbg_arg1, &type) || type < 0 || type > 5)) {
        dbg_refuse("<reporttype> must be 0..5!\n");
        return;
    }
    dbg_coverage_report(static_cast<int>(type));
}

void dbg_cmd_clearcov() {
    dbg_clear_coverage();
    dbg_ok();
}
