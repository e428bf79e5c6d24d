#include "computers/phunsy.h"

#include "computers/pipbug.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "machines/seams.h"

u8 phunsy_irq_select;

// A 13-bit pointer, high byte first.
static u16 pointer_at(u16 address) {
    return static_cast<u16>(((guest_memory[address] & 0x1F) << 8) | guest_memory[address + 1]);
}

// The first monitor vectors to $001D; the later ones by the select bits: $0000,
// $1FEC, or the addresses held at $1FF8, $1FF6 or $1FF4.
static bool interrupt_vector(CpuVector* vector) {
    u16 address;
    const u8 select = phunsy_irq_select;
    if (phunsy_biosversion == 1)
        address = 0x001D;
    else if (select & 1)
        address = 0x0000;
    else if (select & 2)
        address = 0x1FEC;
    else if (select & 4)
        address = pointer_at(0x1FF8);
    else if (select & 8)
        address = pointer_at(0x1FF6);
    else
        address = pointer_at(0x1FF4);
    *vector = {address, false};
    return true;
}

static CpuCharStyle char_style() {
    return phunsy_biosversion == 1 ? CHARS_ASCII : CHARS_GUEST;
}

static constexpr CpuDebugHooks phunsy_debug_hooks{
    .char_style = char_style,
    .guest_char = serial_guest_char,
    .bios_notes = phunsy_rom_comment,
};

void phunsy_bus_install() {
    cpu_bus.interrupt_vector = interrupt_vector;
    cpu_debug_hooks = &phunsy_debug_hooks;
}

i32 phunsy_bios_entry() {
    return phunsy_biosversion == 1 ? 0x0000 : 0x1FEC;
}

bool phunsy_typed_keyboard() {
    return phunsy_biosversion == 1;
}
