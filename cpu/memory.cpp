// Slow paths of the checked accessors: mirrors, access diagnostics, chip
// coverage, special bytes, board routing and data watchpoints.
#include "cpu/memory.h"

#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "cpu/exec_internal.h"
#include "platform/catalog.h"

#include <cstdlib>
#include <cstring>

u32 mem_attributes[MEM_ATTR_SIZE];
u32 mem_access[GUEST_MEMORY_SIZE];
u16 mem_read_mirror[GUEST_MEMORY_SIZE];
u16 mem_write_mirror[GUEST_MEMORY_SIZE];
u32 coverage_read_flags[GUEST_MEMORY_SIZE];
u32 coverage_flags[GUEST_MEMORY_SIZE];
u8 mem_fetch_marked[GUEST_MEMORY_SIZE];
u8 mem_restored_from_state;

void mem_clear_access() {
    std::memset(mem_access, 0, sizeof mem_access);
    std::memset(mem_fetch_marked, 0, sizeof mem_fetch_marked);
    std::memset(coverage_read_flags, 0, sizeof coverage_read_flags);
    std::memset(coverage_flags, 0, sizeof coverage_flags);
}

void mem_reset_tables() {
    std::memset(mem_attributes, 0, sizeof mem_attributes);
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_read_mirror[a] = static_cast<u16>(a);
        mem_write_mirror[a] = static_cast<u16>(a);
    }
    cpu_traps_mark();
    mem_clear_access();
    mem_restored_from_state = 0;
}

u8 mem_read_once_value() {
    return cpu_bus.read_once_value;
}

static constexpr u32 ADDR_MASK = GUEST_MEMORY_SIZE - 1;

namespace {
// Address text for reports: label or "$%X"; `slot` keeps up to four texts apart.
struct AddrText {
    const char* text;
    AddrText(u32 address, int slot) : text(cpu_address_text(address, slot)) {}
};
} // namespace

// Every read that mem_read_slow does not finish itself: mirrors, diagnostics,
// unreadable and routed bytes, watches.
[[gnu::noinline]] static u8 read_with_checks(u32 address) {
    u32 a = address & ADDR_MASK;
    mem_access[a] |= ACC_READ;
    u32 m = mem_read_mirror[a] & ADDR_MASK;
    if (m != a) {
        if (logreadwrites) {
            AddrText iar(cpu_iar, 0), at(a, 1), to(m, 2);
            con_printf(cat_str(183, "Instruction at %s (raster %d) read from mirrored address %s "
                                    "(resolves to %s)!\n\n"),
                       iar.text, raster_line, at.text, to.text);
            dbg_request_pause(PAUSE_LOG);
        }
        a = m;
        mem_access[a] |= ACC_READ;
    }

    if (logillegal && cpu_debug_hooks->report_uninitialised && !(mem_access[a] & ACC_WRITTEN) &&
        !(mem_attributes[a] & MEM_UNWRITABLE) && !mem_restored_from_state) {
        AddrText at(a, 0), iar(cpu_iar, 1);
        con_printf("Uninitialized byte at %s has been read by code at %s!\n\n", at.text, iar.text);
        dbg_request_pause(PAUSE_LOG);
    }

    const u16 attrs = mem_attributes[a];
    if (!(attrs & MEM_READ_SLOW)) return guest_memory[a];

    if (attrs & MEM_HW_REGISTER)
        coverage_read_flags[cpu_iar & ADDR_MASK] |= cpu_bus.coverage_bit(a);

    if (logreadwrites && cpu_debug_hooks->redraw_access)
        cpu_debug_hooks->redraw_access(a, guest_memory[a], false);

    u8 value;
    if (attrs & MEM_READ_ONCE) {
        value = guest_memory[a];
        guest_memory[a] = mem_read_once_value();
    } else if (attrs & MEM_UNREADABLE) {
        value = cpu_bus.unreadable(a);
        if (logreadwrites) {
            AddrText iar(cpu_iar, 0), at(a, 1);
            con_printf(cat_str(168, "Instruction at %s (raster %d) is reading $%02X from "
                                    "unreadable address %s!\n\n"),
                       iar.text, raster_line, value, at.text);
            dbg_request_pause(PAUSE_LOG);
        }
    } else if (attrs & MEM_ROUTED) {
        value = cpu_bus.read_routed(a);
    } else {
        value = guest_memory[a];
    }

    if (attrs & MEM_WATCH) {
        bool reported = false;
        if (watchreads && (!(attrs & MEM_ROUTED) || (cpu_psu & PSU_F)) &&
            dbg_test_condition(watch_conditions[a], 0, 0, 0)) {
            cpu_annotate_value(value, a);
            AddrText iar(cpu_iar, 0), at(a, 1), prev(cpu_prev_iar, 2);
            con_printf(cat_str(166, "Instruction at %s (raster %d) is reading $%X%s from %s! "
                                    "Previous IAR/PC was %s.\n"),
                       iar.text, raster_line, value, watch_annotation, at.text, prev.text);
            dbg_request_pause(PAUSE_BREAK);
            reported = true;
        }
        const u8 reset = mem_read_once_value();
        if ((attrs & MEM_READ_ONCE) && watchwrites && (watchwrites == 2 || value != reset) &&
            dbg_test_condition(watch_conditions[a], reset, 1, 0)) {
            AddrText at(a, 0);
            con_printf(cat_str(184, "Read-once register %s has been reset to $%X!\n"), at.text,
                       reset);
            con_printf("\n");
            dbg_request_pause(PAUSE_BREAK);
        } else if (reported) {
            con_printf("\n");
        }
    }
    return value;
}

// A chip register read at its own address with no diagnostic or watch on
// (a program polling a status register) is finished here, without the
// checks' frame: coverage and read-once reset as below, its access bit as
// cpu_read_checked, the one caller, has set it.
u8 mem_read_slow(u32 address) {
    const u32 a = address & ADDR_MASK;
    const u32 attrs = mem_attributes[a];
    if (mem_read_mirror[a] != a || (logillegal | logreadwrites) ||
        (attrs & (MEM_UNREADABLE | MEM_ROUTED | MEM_WATCH)))
        return read_with_checks(a);
    if (attrs & MEM_HW_REGISTER)
        coverage_read_flags[cpu_iar & ADDR_MASK] |= cpu_bus.coverage_bit(a);
    const u8 value = guest_memory[a];
    if (attrs & MEM_READ_ONCE) guest_memory[a] = mem_read_once_value();
    return value;
}

void mem_write_slow(u32 address, u8 value) {
    u32 a = address & ADDR_MASK;
    mem_access[a] |= ACC_WRITTEN;
    u32 m = mem_write_mirror[a] & ADDR_MASK;
    if (m != a) {
        if (logreadwrites) {
            AddrText iar(cpu_iar, 0), at(a, 1), to(m, 2);
            con_printf(cat_str(199, "Instruction at %s (raster %d) is writing $%02X to mirrored "
                                    "address %s (resolves to %s)!\n\n"),
                       iar.text, raster_line, value, at.text, to.text);
            dbg_request_pause(PAUSE_LOG);
        }
        a = m;
        mem_access[a] |= ACC_WRITTEN;
    }

    const u16 attrs = mem_attributes[a];
    if (!(attrs & MEM_WRITE_SLOW)) {
        guest_memory[a] = value;
        return;
    }

    if (attrs & MEM_HW_REGISTER) coverage_flags[cpu_iar & ADDR_MASK] |= cpu_bus.coverage_bit(a);

    if (logreadwrites && cpu_debug_hooks->redraw_access)
        cpu_debug_hooks->redraw_access(a, value, true);

    if (attrs & MEM_UNWRITABLE) {
        if (logreadwrites) {
            AddrText iar(cpu_iar, 0), at(a, 1);
            con_printf(cat_str(195, "Instruction at %s (raster %d) is attempting to write $%02X to "
                                    "unwritable address %s!\n\n"),
                       iar.text, raster_line, value, at.text);
            dbg_request_pause(PAUSE_LOG);
        }
        return;
    }

    if ((attrs & MEM_WATCH) && watchwrites && (watchwrites == 2 || value != guest_memory[a]) &&
        dbg_test_condition(watch_conditions[a], value, 1, 0)) {
        cpu_annotate_value(value, a);
        AddrText iar(cpu_iar, 0), at(a, 1), prev(cpu_prev_iar, 2);
        con_printf(cat_str(194, "Instruction at %s (raster %d) is writing $%X%s to %s! Previous "
                                "IAR/PC was %s.\n\n"),
                   iar.text, raster_line, value, watch_annotation, at.text, prev.text);
        dbg_request_pause(PAUSE_BREAK);
    }

    if (attrs & MEM_ROUTED) {
        cpu_bus.write_routed(a, value);
        return;
    }
    guest_memory[a] = value;
    if (attrs & MEM_SOUND) cpu_bus.sound_written(a);
}
