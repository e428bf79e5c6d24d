#include "machines/arcadia.h"

#include "core/message.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "machines/seams.h"
#include "platform/catalog.h"

#include <cstdio>

static bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

u32 arcadia_coverage_bit(u32 a) {
    if (in(a, 0x18F0, 0x18F7)) return 1u << (a - 0x18F0);
    if (in(a, 0x18FC, 0x1908)) return 1u << (a - 0x18FC + 8);
    if (in(a, 0x19F8, 0x19FF)) return 1u << (a - 0x19F8 + 21);
    return 0;
}

// Every unmapped or write-only byte reads as $FF on the Arcadia's bus.
static u8 unreadable(u32) {
    return 0xFF;
}

// The UVI draws while its line counter ($18FF) is at or below $FC; the two
// collision registers at $19FE/$19FF are busy during the vertical blank too.
static void redraw_access(u32 a, u8 value, bool write) {
    const u8 line = guest_memory[0x18FF];
    const bool uvi_byte = (mem_attributes[a] & MEM_HW_REGISTER) || in(a, 0x1980, 0x19BF);
    if (write) {
        if (line > 0xFC || !uvi_byte) return;
        con_printf(
            cat_str(
                967,
                "Instruction at %s (raster %d) wrote $%02X to UVI address %s during redraw!\n\n"),
            cpu_address_text(cpu_iar, 0), raster_line, value, cpu_address_text(a, 1));
        dbg_request_pause(PAUSE_LOG);
        return;
    }
    const bool drawing = line <= 0xFC || (line == 0xFF && (a == 0x19FE || a == 0x19FF));
    if (!drawing || a == 0x18FF || !uvi_byte) return;
    con_printf(
        cat_str(966, "Instruction at %s (raster %d) read from UVI address %s during redraw!\n\n"),
        cpu_address_text(cpu_iar, 0), raster_line, cpu_address_text(a, 1));
    dbg_request_pause(PAUSE_LOG);
}

static void describe_value(u8 value, u32 address, char* out, std::size_t size) {
    uvi_describe_bits(value, address);
    if (out != watch_annotation) std::snprintf(out, size, "%s", watch_annotation);
}

void arcadia_bus_install() {
    cpu_bus.unreadable = unreadable;
    cpu_bus.read_once_value = 0xFF;
    cpu_bus.coverage_bit = arcadia_coverage_bit;
    cpu_bus.redraw_access = redraw_access;
    cpu_bus.describe_value = describe_value;
    cpu_bus.strange_ports = true;
    cpu_bus.report_uninitialised = true;
}
