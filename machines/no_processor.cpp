#include "machines/no_processor.h"

#include "cpu/dbg_hooks.h"

static u8 no_text(u8) {
    return 0;
}

static CpuCharStyle ascii_style() {
    return CHARS_ASCII;
}

static constexpr CpuDebugHooks pong_debug_hooks{
    .guest_char = no_text,
};

static constexpr CpuDebugHooks typeright_debug_hooks{
    .char_style = ascii_style,
    .guest_char = no_text,
};

void pong_bus_install() {
    cpu_debug_hooks = &pong_debug_hooks;
}

void typeright_bus_install() {
    cpu_debug_hooks = &typeright_debug_hooks;
}
