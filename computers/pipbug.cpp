#include "computers/pipbug.h"

#include "core/settings_vars.h"
#include "machines/seams.h"

i32 teletype_tx_state;
u32 teletype_tx_due;
u8 teletype_tx_byte;
u32 serial_bit_cycles = 3333;

u8 serial_guest_char(u8 code) {
    return (code >= 32 && code <= 127) || code >= 160 ? code : 0;
}

CpuCharStyle ascii_chars() {
    return CHARS_ASCII;
}

// FLAG low with an idle transmitter starts a character on the serial line:
// one and a half bit times to the middle of bit 0.
static void flag_written(u8) {
    if (teletype_tx_state == 0 && !(cpu_psu & PSU_F)) {
        teletype_tx_state = 1;
        teletype_tx_byte = 0;
        teletype_tx_due = cpu_cycles + serial_bit_cycles + serial_bit_cycles / 2;
    }
}

// Monitor 3 keeps the games' entry code at $0003-$0015 inside its ROM.
static bool bios_caller(u16 caller) {
    return pipbug_bios == 3 && caller >= 0x0003 && caller <= 0x0015;
}

void pipbug_bus_install() {
    cpu_bus.flag_written = flag_written;
    cpu_bus.char_style = ascii_chars;
    cpu_bus.guest_char = serial_guest_char;
    cpu_bus.bios_caller = bios_caller;
    cpu_bus.bios_notes = pipbug_bios_notes;
}
