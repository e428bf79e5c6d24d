#include "machines/coinop.h"

#include "core/emu.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "input/console_buttons.h"
#include "machines/coinop_inputs.h"
#include "machines/pvi_consoles.h"
#include "machines/zaccaria.h"

u8 coinop_colour_ram[1024];
u8 coinop_palette_ram[16];
u8 coinop_effect_ram[512];
u8 coinop_effect_select;
u8 malzak_playfield[256];
i32 malzak_scroll;

static bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

// Astro Wars and Galaxia: with FLAG low the processor reads the colour RAM at
// $1800-$1BFF and Astro Wars's palette at $1C00-$1CFF.
static u8 astro_galaxia_read(u32 a) {
    if (cpu_psu & PSU_F) return guest_memory[a];
    if (in(a, 0x1800, 0x1BFF)) return coinop_colour_ram[a - 0x1800];
    if (memmap == 22 && in(a, 0x1C00, 0x1CFF)) return coinop_palette_ram[(a - 0x1C00) & 15];
    return guest_memory[a];
}

// Astro Wars and Galaxia: with FLAG low the writes reach the colour RAM, with
// FLAG high Astro Wars's palette at $1C00-$1CFF.
static void astro_galaxia_write(u32 a, u8 v) {
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
}

// Laser Battle and Lazarian: the effect RAM, when selected, takes the writes;
// the processor always reads the screen RAM.
static void laser_battle_write(u32 a, u8 v) {
    if (coinop_effect_select == 1)
        coinop_effect_ram[(a - 0x1800) & 0x1FF] = v;
    else
        guest_memory[a] = v;
}

static u8 laser_battle_read(u32 a) {
    return guest_memory[a];
}

// Laser Battle and Lazarian take their interrupts at $000A.
static bool laser_battle_vector(CpuVector* vector) {
    *vector = {0x000A, false};
    return true;
}

static u8 malzak_read(u32 a) {
    return guest_memory[a];
}

// The playfield shadows $1600-$16FF, shifted by the scroll.
static void malzak_write(u32 a, u8 v) {
    guest_memory[a] = v;
    const u32 index = ((a - 0x1600) >> 4) + static_cast<u32>(malzak_scroll & ~15);
    malzak_playfield[index & 0xFF] = v;
}

// Malzak text: the low seven bits, control codes as spaces.
static u8 malzak_char(u8 code) {
    return (code & 127) < 32 ? ' ' : code & 127;
}

void zaccaria_bus_install() {
    cpu_bus.coverage_bit = pvi_coverage_bit;
    if (memmap == 24 || memmap == 25) {
        cpu_bus.read_routed = laser_battle_read;
        cpu_bus.write_routed = laser_battle_write;
        cpu_bus.interrupt_vector = laser_battle_vector;
    } else {
        cpu_bus.read_routed = astro_galaxia_read;
        cpu_bus.write_routed = astro_galaxia_write;
        cpu_bus.interrupt_vector = pvi_interrupt_vector;
    }
}

static constexpr CpuDebugHooks malzak_debug_hooks{
    .guest_char = malzak_char,
};

void malzak_bus_install() {
    cpu_bus.coverage_bit = pvi_coverage_bit;
    cpu_bus.read_routed = malzak_read;
    cpu_bus.write_routed = malzak_write;
    cpu_bus.interrupt_vector = pvi_interrupt_vector;
    cpu_debug_hooks = &malzak_debug_hooks;
}

u32 coinop_credits() {
    switch (memmap) {
    case 22:
        return guest_memory[0x150E];
    case 23:
        return guest_memory[0x1D22];
    case 24:
        return guest_memory[0x1C7D];
    case 25:
        return guest_memory[0x1F00];
    default: {
        const auto digit = [](u8 c) { return c ? static_cast<u32>(static_cast<u8>(c - '0')) : 0u; };
        return digit(guest_memory[0x101C]) * 10 + digit(guest_memory[0x101D]);
    }
    }
}

void coinop_auto_coin() {
    if (memmap < 22 || memmap > 27) return;
    if (memmap == 27 && guest_memory[0x14CC] != 0xF0 && guest_memory[0x14CC] != 0x90) return;
    if (coinop_autocoin_countdown != 0) {
        coinop_autocoin_countdown--;
        return;
    }
    if (console_hold[2] != 0) return;
    if (coinop_credits() > 1) return;
    console_hold[2] = 5;
    coinop_autocoin_countdown = memmap <= 23 ? 100 : 10;
}

void coinop_clear_latches() {
    coinop_collision_latch = 0;
    galaxia_shot_counter = galaxia_cycle_counter = 0;
    coinop_autocoin_countdown = 0;
    coinop_inputs_reset();
}
