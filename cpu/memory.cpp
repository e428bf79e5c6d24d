// Slow paths of the checked accessors: mirrors, access diagnostics, chip
// coverage, special bytes, board routing and data watchpoints.
#include "cpu/memory.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/seams.h"
#include "cpu/seams_exec.h"
#include "debugger/debugger.h"
#include "platform/catalog.h"

#include <cstdlib>
#include <cstring>

u16 mem_attributes[MEM_ATTR_SIZE];
u32 mem_access[GUEST_MEMORY_SIZE];
u16 mem_read_mirror[GUEST_MEMORY_SIZE];
u16 mem_write_mirror[GUEST_MEMORY_SIZE];
u32 coverage_read_flags[GUEST_MEMORY_SIZE];
u32 coverage_flags[GUEST_MEMORY_SIZE];

void mem_clear_access() {
    std::memset(mem_access, 0, sizeof mem_access);
    std::memset(coverage_read_flags, 0, sizeof coverage_read_flags);
    std::memset(coverage_flags, 0, sizeof coverage_flags);
}

void mem_reset_tables() {
    std::memset(mem_attributes, 0, sizeof mem_attributes);
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_read_mirror[a] = static_cast<u16>(a);
        mem_write_mirror[a] = static_cast<u16>(a);
    }
    mem_clear_access();
}

u8 mem_read_once_value() {
    return machine == ARCADIA ? 0xFF : 0x00;
}

static constexpr u32 ADDR_MASK = GUEST_MEMORY_SIZE - 1;

namespace {
// Address text for reports: label or "$%X".
struct AddrText {
    char text[DBG_ADDRESS_TEXT_SIZE];
    explicit AddrText(u32 address) { dbg_format_address(address, text, 1, 0, 15, 1); }
};
} // namespace

static bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

// Bit of a video-chip register in the coverage tables, or 0 for other addresses.
static u32 coverage_bit(u32 a) {
    if (machine == ARCADIA) {
        if (in(a, 0x18F0, 0x18F7)) return 1u << (a - 0x18F0);
        if (in(a, 0x18FC, 0x1908)) return 1u << (a - 0x18FC + 8);
        if (in(a, 0x19F8, 0x19FF)) return 1u << (a - 0x19F8 + 21);
        return 0;
    }
    u32 off = a - pvi_base; // wraps above any register offset when a < pvi_base
    if (in(off, 0x0A, 0x0D)) return 1u << (off - 0x0A);
    if (in(off, 0x1A, 0x1D)) return 1u << (off - 0x1A + 4);
    if (in(off, 0x2A, 0x2D)) return 1u << (off - 0x2A + 8);
    if (in(off, 0x4A, 0x4D)) return 1u << (off - 0x4A + 12);
    if (in(off, 0xC0, 0xC3)) return 1u << (off - 0xC0 + 16);
    if (in(off, 0xC6, 0xCD)) return 1u << (off - 0xC6 + 20);
    if (a == 0x1E80) return 1u << 28;
    if (in(a, 0x1E88, 0x1E8A)) return 1u << 29;
    if (a == 0x1E8B) return 1u << 30;
    if (in(a, 0x1E8C, 0x1E8E)) return 1u << 31;
    return 0;
}

// What a read of an unreadable (write-only or unmapped) byte returns.
static u8 unreadable_value(u32 a) {
    switch (machine) {
    case ARCADIA:
        return 0xFF;
    case INTERTON:
        if (a == 0x1E80) return 0x0C;
        if (in(a, 0x1F30, 0x1F3F) || in(a, 0x1F6E, 0x1F7F) || in(a, 0x1FAE, 0x1FBF)) return 0xFF;
        return 0x00;
    case ELEKTOR: {
        if (in(a, 0x1000, 0x15FF)) return 0xFF;
        if (in(a, 0x1D80, 0x1DBE)) return 0x80;
        if (in(a, 0x1DC0, 0x1DFF)) return 0xC0;
        if (a == 0x1E80) return 0x0C;
        static constexpr u16 f_ranges[][2] = {{0x1E8F, 0x1E97}, {0x1E9C, 0x1EA7}, {0x1EAF, 0x1EB7},
                                              {0x1EBC, 0x1EC7}, {0x1ECF, 0x1ED7}, {0x1EDC, 0x1EE7},
                                              {0x1EEF, 0x1EF7}, {0x1EFC, 0x1EFF}};
        for (const auto& r : f_ranges)
            if (in(a, r[0], r[1])) return 0x0F;
        return 0x00;
    }
    default:
        return 0x00;
    }
}

// The Elektor's board-routed byte: random, played back, or from the netplay peer.
static u8 elektor_random_byte() {
    u8 v;
    if (rec_state == REC_PLAYBACK) {
        v = rec_read_byte();
    } else if (net_mode == 2) {
        v = static_cast<u8>(std::rand() % 256);
        net_send_byte(v);
    } else if (net_mode == 1) {
        v = net_recv_byte();
    } else {
        v = static_cast<u8>(std::rand() % 256);
    }
    if (rec_state == REC_RECORDING) rec_write_byte(v);
    return v;
}

static u8 routed_read(u32 a) {
    switch (machine) {
    case ELEKTOR:
        return elektor_random_byte();
    case INSTRUCTOR:
        return si50_parallelio == 0 ? static_cast<u8>(si50_toggles) : guest_memory[a];
    case ZACCARIA:
        if (cpu_psu & PSU_F) return guest_memory[a];
        if (in(a, 0x1800, 0x1BFF)) return coinop_colour_ram[a - 0x1800];
        if (memmap == 22) return coinop_palette_ram[(a - 0x1C00) & 15];
        return coinop_palette_ram[(a - 0x1400) & 15];
    default:
        return guest_memory[a];
    }
}

static void routed_write(u32 a, u8 v) {
    switch (memmap) {
    case 14:
    case 15: // Instructor 50: the parallel output drives the lamps
        if (si50_parallelio == 0)
            lamp_latch = v;
        else
            guest_memory[a] = v;
        break;
    case 22:
    case 23: // Astro Wars, Galaxia
        if (cpu_psu & PSU_F) {
            if (memmap == 22 && in(a, 0x1C00, 0x1CFF))
                coinop_palette_ram[(a - 0x1C00) & 15] = v;
            else
                guest_memory[a] = v;
        } else if (in(a, 0x1800, 0x1BFF)) {
            coinop_colour_ram[a - 0x1800] = v;
        } else {
            guest_memory[a] = v;
        }
        break;
    case 24:
    case 25: // Laser Battle, Lazarian
        if (coinop_effect_select == 1)
            coinop_effect_ram[(a - 0x1800) & 0x1FF] = v;
        else
            guest_memory[a] = v;
        break;
    case 26:
    case 27: { // Malzak: the playfield shadows $1600-$16FF, shifted by the scroll
        guest_memory[a] = v;
        u32 index = ((a - 0x1600) >> 4) + static_cast<u32>(malzak_scroll & ~15);
        malzak_playfield[index & 0xFF] = v;
        break;
    }
    default: // the Elektor's random byte cannot be written
        break;
    }
}

static void report_redraw_read(u32 a) {
    if (machine == ARCADIA) {
        u8 line = guest_memory[0x18FF];
        bool drawing = line <= 0xFC || (line == 0xFF && (a == 0x19FE || a == 0x19FF));
        if (drawing && a != 0x18FF &&
            ((mem_attributes[a] & MEM_HW_REGISTER) || in(a, 0x1980, 0x19BF))) {
            AddrText iar(cpu_iar), at(a);
            con_printf(
                cat_str(
                    966,
                    "Instruction at %s (raster %d) read from UVI address %s during redraw!\n\n"),
                iar.text, raster_line, at.text);
            dbg_request_pause(PAUSE_LOG);
        }
    } else if (machine == INTERTON || machine == ELEKTOR) {
        u32 base = pvi_base & ADDR_MASK;
        if ((a == base + 0xCC || a == base + 0xCD) &&
            !(guest_memory[(base + 0xCB) & ADDR_MASK] & 0x40)) {
            AddrText iar(cpu_iar), at(a);
            con_printf(
                cat_str(
                    972,
                    "Instruction at %s (raster %d) read from PVI address %s during redraw!\n\n"),
                iar.text, raster_line, at.text);
            dbg_request_pause(PAUSE_LOG);
        }
    }
}

u8 mem_read_slow(u32 address) {
    u32 a = address & ADDR_MASK;
    mem_access[a] |= ACC_READ;
    u32 m = mem_read_mirror[a] & ADDR_MASK;
    if (m != a) {
        if (logreadwrites) {
            AddrText iar(cpu_iar), at(a), to(m);
            con_printf(cat_str(183, "Instruction at %s (raster %d) read from mirrored address %s "
                                    "(resolves to %s)!\n\n"),
                       iar.text, raster_line, at.text, to.text);
            dbg_request_pause(PAUSE_LOG);
        }
        a = m;
        mem_access[a] |= ACC_READ;
    }

    if (logillegal && machine <= INTERTON && !(mem_access[a] & ACC_WRITTEN) &&
        !(mem_attributes[a] & MEM_UNWRITABLE)) {
        AddrText at(a), iar(cpu_iar);
        con_printf("Uninitialized byte at %s has been read by code at %s!\n\n", at.text, iar.text);
        dbg_request_pause(PAUSE_LOG);
    }

    const u16 attrs = mem_attributes[a];
    if (!(attrs & MEM_READ_SLOW)) return guest_memory[a];

    if (attrs & MEM_HW_REGISTER) coverage_read_flags[cpu_iar & ADDR_MASK] |= coverage_bit(a);

    if (logreadwrites) report_redraw_read(a);

    u8 value;
    if (attrs & MEM_READ_ONCE) {
        value = guest_memory[a];
        guest_memory[a] = mem_read_once_value();
    } else if (attrs & MEM_UNREADABLE) {
        value = unreadable_value(a);
        if (logreadwrites) {
            AddrText iar(cpu_iar), at(a);
            con_printf(cat_str(168, "Instruction at %s (raster %d) is reading $%02X from "
                                    "unreadable address %s!\n\n"),
                       iar.text, raster_line, value, at.text);
            dbg_request_pause(PAUSE_LOG);
        }
    } else if (attrs & MEM_ROUTED) {
        value = routed_read(a);
    } else {
        value = guest_memory[a];
    }

    if (attrs & MEM_WATCH) {
        bool reported = false;
        if (watchreads && (!(attrs & MEM_ROUTED) || (cpu_psu & PSU_F)) &&
            dbg_test_condition(watch_conditions[a], 0, 0, 0)) {
            cpu_annotate_value(value, a);
            AddrText iar(cpu_iar), at(a), prev(cpu_prev_iar);
            con_printf(cat_str(166, "Instruction at %s (raster %d) is reading $%X%s from %s! "
                                    "Previous IAR/PC was %s.\n"),
                       iar.text, raster_line, value, watch_annotation, at.text, prev.text);
            dbg_request_pause(PAUSE_BREAK);
            reported = true;
        }
        const u8 reset = mem_read_once_value();
        if ((attrs & MEM_READ_ONCE) && watchwrites && (watchwrites == 2 || value != reset) &&
            dbg_test_condition(watch_conditions[a], reset, 1, 0)) {
            AddrText at(a);
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

void mem_write_slow(u32 address, u8 value) {
    u32 a = address & ADDR_MASK;
    mem_access[a] |= ACC_WRITTEN;
    u32 m = mem_write_mirror[a] & ADDR_MASK;
    if (m != a) {
        if (logreadwrites) {
            AddrText iar(cpu_iar), at(a), to(m);
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

    if (attrs & MEM_HW_REGISTER) coverage_flags[cpu_iar & ADDR_MASK] |= coverage_bit(a);

    if (logreadwrites && machine == ARCADIA && guest_memory[0x18FF] <= 0xFC &&
        ((attrs & MEM_HW_REGISTER) || in(a, 0x1980, 0x19BF))) {
        AddrText iar(cpu_iar), at(a);
        con_printf(
            cat_str(
                967,
                "Instruction at %s (raster %d) wrote $%02X to UVI address %s during redraw!\n\n"),
            iar.text, raster_line, value, at.text);
        dbg_request_pause(PAUSE_LOG);
    }

    if (attrs & MEM_UNWRITABLE) {
        if (logreadwrites) {
            AddrText iar(cpu_iar), at(a);
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
        AddrText iar(cpu_iar), at(a), prev(cpu_prev_iar);
        con_printf(cat_str(194, "Instruction at %s (raster %d) is writing $%X%s to %s! Previous "
                                "IAR/PC was %s.\n\n"),
                   iar.text, raster_line, value, watch_annotation, at.text, prev.text);
        dbg_request_pause(PAUSE_BREAK);
    }

    if (attrs & MEM_ROUTED) {
        routed_write(a, value);
        return;
    }
    guest_memory[a] = value;
    if (attrs & MEM_SOUND) snd_update_voices(0);
}
