#include "machines/interton.h"

#include "core/frame.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/memory.h"
#include "core/loader.h"
#include "machines/pvi2636.h"
#include "machines/pvi_consoles.h"
#include "core/recording.h"
#include "core/savestate_seams.h"
#include "sound/sound_latches.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

// The title program. Source: resources/stubs/interton.asm. It inhibits
// interrupts, copies its picture into the PVI ($1F00-$1FC9) and waits.
constexpr u8 STUB_CODE[] = {
    0x76,
    0x20, // 0000 PPSU $20          no interrupts
    0x07,
    0xCA, // 0002 LODI,R3 202
    0x0F,
    0x60,
    0x0D, // 0004 LODA,R0 $000D,R3
    0xCF,
    0x7E,
    0xFF, // 0007 STRA,R0 $1EFF,R3
    0xFB,
    0x78, // 000A BDRR,R3 $0004
    0x1B,
    0x7E, // 000C BCTR,UN $000C
    // 000E the PVI picture, offsets $00-$C9
    // object 0: V, 16 x 20
    0x81,
    0x81,
    0x81,
    0x42,
    0x42,
    0x42,
    0x24,
    0x24,
    0x18,
    0x18,
    56,
    56,
    70,
    250,
    0,
    0,
    // object 1: C, 16 x 20
    0x3C,
    0x42,
    0x80,
    0x80,
    0x80,
    0x80,
    0x80,
    0x80,
    0x42,
    0x3C,
    84,
    84,
    70,
    250,
    0,
    0,
    // object 2: a ball whose duplicates fall down the right side
    0x00,
    0x18,
    0x3C,
    0x7E,
    0x7E,
    0x7E,
    0x7E,
    0x3C,
    0x18,
    0x00,
    20,
    140,
    20,
    10,
    // $2E-$3F: not mapped
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    // object 3: a diamond, 16 x 20
    0x10,
    0x38,
    0x7C,
    0xFE,
    0x7C,
    0x38,
    0x10,
    0x00,
    0x00,
    0x00,
    112,
    112,
    70,
    250,
    // $4E-$7F: scratch, not mapped
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    // grid: a box from line 20 to line 181, x 32 to 159
    0xFF,
    0xFF,
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01, //
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01, //
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01,
    0x80,
    0x01,
    0xFF,
    0xFF,
    0x00,
    0x00, //
    0x00,
    0x00,
    0x00,
    0x00, //
    // widths: 4 pixels, the top and bottom rows 8
    0xC1,
    0xC0,
    0xC0,
    0xC0,
    0xC1,
    0,
    // $AE-$BF: not mapped
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    // sizes, colours, score at the bottom in one group, -, -, background,
    // pitch, score 4000
    0x45,
    0x0A,
    0x1C,
    0x03,
    0,
    0,
    0x58,
    0x00,
    0x40,
    0x00,
};
static_assert(sizeof STUB_CODE == 14 + 0xCA);

constexpr std::array<u8, INTERTON_STUB_SIZE> build_stub() {
    std::array<u8, INTERTON_STUB_SIZE> stub{};
    for (std::size_t i = 0; i < sizeof STUB_CODE; i++)
        stub[i] = STUB_CODE[i];
    return stub;
}

constexpr std::array<u8, INTERTON_STUB_SIZE> STUB = build_stub();

u16 fold(u32 e) {
    if (e > 0x1FFF) e &= 0x1FFF;
    if (in(e, 0x1600, 0x17FF)) e += 0x800;
    if (in(e, 0x1FD0, 0x1FD9) || in(e, 0x1FDC, 0x1FE9) || in(e, 0x1FEC, 0x1FF9) ||
        in(e, 0x1FFC, 0x1FFE))
        e &= 0xFFCF;
    return static_cast<u16>(e);
}

u16 fold_ram(u32 e, u32 map) {
    if (map == 2) {
        if (in(e, 0x1400, 0x15FF)) return static_cast<u16>(e - 0x400);
        if (in(e, 0x1800, 0x1BFF)) return static_cast<u16>(e - 0x800);
        if (in(e, 0x1C00, 0x1DFF)) return static_cast<u16>(e - 0xC00);
    } else if (map == 3 && in(e, 0x1C00, 0x1DFF)) {
        return static_cast<u16>(e - 0x400);
    }
    return static_cast<u16>(e);
}

u32 type_flags(u32 a, u32 map) {
    u32 f = 0;
    switch (map) {
    case 0:
        if (a <= 0x15FF || in(a, 0x1800, 0x1DFF)) f |= MEM_UNWRITABLE;
        if (in(a, 0x0800, 0x15FF) || in(a, 0x1800, 0x1DFF)) f |= MEM_UNREADABLE;
        break;
    case 1:
        if (a <= 0x15FF || in(a, 0x1800, 0x1DFF)) f |= MEM_UNWRITABLE;
        if (in(a, 0x1000, 0x15FF) || in(a, 0x1800, 0x1DFF)) f |= MEM_UNREADABLE;
        break;
    case 2:
        if (a <= 0x0FFF) f |= MEM_UNWRITABLE;
        break;
    default:
        if (a <= 0x15FF) f |= MEM_UNWRITABLE;
        break;
    }
    if (in(a, 0x1E00, 0x1E7F) || in(a, 0x1E81, 0x1EFF) || a > 0x1FFF) f |= MEM_UNWRITABLE;
    if (in(a, 0x1E00, 0x1E7F) || in(a, 0x1E81, 0x1E87) || in(a, 0x1E8F, 0x1EFF) || a > 0x1FFF)
        f |= MEM_UNREADABLE;
    if (a == 0x1E80) f |= MEM_SOUND;
    return f;
}

} // namespace

const u8* const interton_stub_program = STUB.data();

void interton_setup() {
    program_loaded = 0;
    snd_effect_latch.triggered = 0;
    pvi_base = 0x1F00;
    pvi_host_install(hw_format_register_bits);
    if (randomizememory) {
        for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++)
            guest_memory[a] = static_cast<u8>(std::rand());
    } else {
        std::memset(guest_memory, 0, GUEST_MEMORY_SIZE);
    }
    const u8 paddle = static_cast<u8>(machine_live[INTERTON].paddle_centre);
    guest_memory[0x1FCC] = guest_memory[0x1FCD] = paddle;
    if (stubprograms) std::memcpy(guest_memory, STUB.data(), INTERTON_STUB_SIZE);
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = type_flags(a, memmap);
        mem_read_mirror[a] = mem_write_mirror[a] = fold(a);
        pvi_mark_register_attributes(a);
        mem_read_mirror[a] = fold_ram(mem_read_mirror[a], memmap);
        mem_write_mirror[a] = fold_ram(mem_write_mirror[a], memmap);
    }
    guest_memory[0x1E80] = 4;
    mem_attributes[0x1E80] |= MEM_HW_REGISTER;
    for (u32 a = 0x1E88; a <= 0x1E8E; a++)
        mem_attributes[a] |= MEM_HW_REGISTER;
    pvi_init_register_attributes();
    cpu_traps_mark();
    cpu_beam_clock = 0;
    video_set_line_length(227);
    pvi_patch_pitch_tables();
}

void interton_load_cartridge(bool) {
    const u32 size = filebuf_length < GUEST_MEMORY_SIZE ? filebuf_length : GUEST_MEMORY_SIZE;
    std::memcpy(guest_memory, filebuf, size);
    loaded_image_size = size;
}

void interton_reset() {
    std::memset(guest_memory + 0x1800, 0, 0x800);
    guest_memory[0x1E80] = 4;
    pvi_consoles_apply_game();
}
