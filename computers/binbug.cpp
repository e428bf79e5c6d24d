#include "computers/binbug.h"

#include "computers/pipbug.h"
#include "computers/pipbug_notes.h"
#include "computers/pipbug_vdu.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "machines/seams.h"
#include "peripherals/device_link.h"

// The fast serial input of monitor 2: the LODA at $0369 that starts the bit
// loop instead delivers the whole character (LF for r2 = 2, FF for r2 = 1).
static bool fast_serial_input() {
    if (binbug_biosversion != 2 || binbug_baudrate != 3) return false;
    cpu_regsel = cpu_reg_index(cpu_opcode);
    const u8 r2 = cpu_regs[2];
    if (r2 == 2 || r2 == 1) {
        const u8 v = r2 == 2 ? 0x0A : 0x0C;
        cpu_write_register(0, v);
        cpu_set_cc(v);
    }
    const u8 b1 = guest_memory[page_add(cpu_iar, 1)];
    cpu_prev_iar = cpu_iar;
    cpu_iar = page_add(cpu_iar, 3);
    cpu_op_cycles = b1 & 0x80 ? 6 : 4;
    cpu_cycles += 3 * cpu_op_cycles;
    return true;
}

// A printer on unit 0 and the teletype's papertape unit.
static constexpr DeviceLink DEVICES = {
    .printer_units = 1, .line_printer = false, .papertape_units = 1, .glyph = font5x7_glyph};

static constexpr CpuDebugHooks binbug_debug_hooks{
    .char_style = ascii_chars,
    .guest_char = serial_guest_char,
    .bios_notes = pipbug_bios_notes,
};

void binbug_bus_install() {
    device_link = DEVICES;
    cpu_debug_hooks = &binbug_debug_hooks;
    cpu_trap_add(0x0369, 0x0D, fast_serial_input);
}

int binbug_paste_char(u8 c, u8* out) {
    out[0] = c == 0x0A ? 0x0D : c;
    return 1;
}
