#include "computers/selbst.h"

#include "computers/pipbug.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/memory.h"
#include "machines/seams.h"

static CpuCharStyle selbst_char_style() {
    return selbst_biosversion == 3 ? CHARS_ASCII : CHARS_GUEST;
}

// The MIKIT shows its bytes on LEDs only: no text.
static u8 no_text(u8) {
    return 0;
}

void selbst_bus_install() {
    cpu_bus.char_style = selbst_char_style;
    cpu_bus.guest_char = serial_guest_char;
    cpu_bus.bios_notes = selbst_rom_comment;
}

void mikit_bus_install() {
    cpu_bus.guest_char = no_text;
}

u32 selbst_listing_note_key(u32 address) {
    return (guest_memory[address] << 8) | guest_memory[page_add(static_cast<u16>(address), 1)];
}

bool selbst_typed_keyboard() {
    return selbst_biosversion == 3;
}

LedDigitPlace selbst_led_digit_place(int digit) {
    return {21 * digit + 195, 136, 0};
}

LedDigitPlace mikit_led_digit_place(int digit) {
    return {21 * digit + (digit < 4 ? 21 : 42), 10, 0};
}
