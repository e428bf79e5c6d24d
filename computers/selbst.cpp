#include "computers/selbst.h"

#include "computers/pipbug.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "machines/seams.h"

static CpuCharStyle selbst_char_style() {
    return selbst_biosversion == 3 ? CHARS_ASCII : CHARS_GUEST;
}

// The MIKIT shows its bytes on LEDs only: no text.
static u8 no_text(u8) {
    return 0;
}

static constexpr CpuDebugHooks selbst_debug_hooks{
    .char_style = selbst_char_style,
    .guest_char = serial_guest_char,
    .bios_notes = selbst_rom_comment,
};

static constexpr CpuDebugHooks mikit_debug_hooks{
    .guest_char = no_text,
};

void selbst_bus_install() {
    cpu_debug_hooks = &selbst_debug_hooks;
}

void mikit_bus_install() {
    cpu_debug_hooks = &mikit_debug_hooks;
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
