#include "machines/pvi_consoles.h"

#include "core/message.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec_internal.h"
#include "cpu/memory.h"
#include "machines/seams.h"
#include "cpu/bus.h"
#include "platform/catalog.h"

#include <cstdio>
#include <cstdlib>

u32 pvi_base = 0x1F00;

static constexpr u32 ADDR_MASK = GUEST_MEMORY_SIZE - 1;

static bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

u32 pvi_coverage_bit(u32 a) {
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

// The collision registers ($CC, $CD) read while the PVI is not in its vertical
// blank (bit 6 of $CB clear).
void pvi_redraw_access(u32 a, u8, bool write) {
    if (write) return;
    const u32 base = pvi_base & ADDR_MASK;
    if ((a == base + 0xCC || a == base + 0xCD) &&
        !(guest_memory[(base + 0xCB) & ADDR_MASK] & 0x40)) {
        con_printf(
            cat_str(972,
                    "Instruction at %s (raster %d) read from PVI address %s during redraw!\n\n"),
            cpu_address_text(cpu_iar, 0), raster_line, cpu_address_text(a, 1));
        dbg_request_pause(PAUSE_LOG);
    }
}

bool pvi_interrupt_vector(CpuVector* vector) {
    *vector = {0x0003, false};
    return true;
}

static u8 interton_unreadable(u32 a) {
    if (a == 0x1E80) return 0x0C;
    if (in(a, 0x1F30, 0x1F3F) || in(a, 0x1F6E, 0x1F7F) || in(a, 0x1FAE, 0x1FBF)) return 0xFF;
    return 0x00;
}

static u8 elektor_unreadable(u32 a) {
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

// The Elektor's board-routed byte: random (recorded or played back like every
// random byte), or from the netplay peer.
static u8 elektor_random_byte(u32) {
    if (net_mode == 1 && rec_state != REC_PLAYBACK) {
        const u8 v = net_recv_byte();
        if (rec_state == REC_RECORDING) rec_write_byte(v);
        return v;
    }
    const u8 v = rng_byte(256);
    if (net_mode == 2 && rec_state != REC_PLAYBACK) net_send_byte(v);
    return v;
}

// The random byte cannot be written.
static void elektor_routed_write(u32, u8) {}

static void describe_register(u8 value, u32 address, char* out, std::size_t size) {
    hw_format_register_bits(value, address);
    if (out != watch_annotation) std::snprintf(out, size, "%s", watch_annotation);
}

// The Interton's character codes mean nothing as text.
static u8 no_guest_chars(u8) {
    return 0;
}

// The BIOS's cassette reader has found a block header when it reaches $079E.
static bool elektor_block_found() {
    if (tape_verbose) con_printf("Found start of block.\n");
    return false;
}

void interton_bus_install() {
    cpu_bus.unreadable = interton_unreadable;
    cpu_bus.coverage_bit = pvi_coverage_bit;
    cpu_bus.redraw_access = pvi_redraw_access;
    cpu_bus.interrupt_vector = pvi_interrupt_vector;
    cpu_bus.describe_value = describe_register;
    cpu_bus.guest_char = no_guest_chars;
    cpu_bus.char_style = [] { return CHARS_NONE; };
    cpu_bus.report_uninitialised = true;
    cpu_bus.opcode_10_three_bytes = true;
}

void elektor_bus_install() {
    cpu_bus.unreadable = elektor_unreadable;
    cpu_bus.read_routed = elektor_random_byte;
    cpu_bus.write_routed = elektor_routed_write;
    cpu_bus.coverage_bit = pvi_coverage_bit;
    cpu_bus.redraw_access = pvi_redraw_access;
    cpu_bus.interrupt_vector = pvi_interrupt_vector;
    cpu_bus.describe_value = describe_register;
    cpu_bus.bios_notes = elektor_bios_notes;
    cpu_trap_add(0x079E, 0x0C, elektor_block_found);
}
