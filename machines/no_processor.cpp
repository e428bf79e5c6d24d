#include "machines/no_processor.h"

#include "cpu/bus.h"

static u8 no_text(u8) {
    return 0;
}

static CpuCharStyle ascii_style() {
    return CHARS_ASCII;
}

void pong_bus_install() {
    cpu_bus.guest_char = no_text;
}

void typeright_bus_install() {
    cpu_bus.guest_char = no_text;
    cpu_bus.char_style = ascii_style;
}
