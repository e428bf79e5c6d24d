#include "machines/zaccaria.h"

#include "core/user_prefs.h"
#include "core/guest_roms.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "core/trainers.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "input/collision_feedback.h"
#include "machines/coinop.h"
#include "machines/coinop_playfield.h"
#include "machines/pvi2636.h"
#include "machines/pvi_consoles.h"
#include "sound/effects.h"
#include "sound/voice_update.h"
#include "input/controls.h"

#include <cstring>
#include <strings.h>

const GuestRom zaccaria_roms[4][ZACCARIA_MAX_ROMS] = {
    {{"astrowars.bin", 10240, "Astro Wars program ($0000, $2000)", 0},
     {"astrowars_chars.bin", 2048, "Astro Wars characters", 0},
     {}},
    {{"galaxia.bin", 10240, "Galaxia program ($0000, $2000)", 0},
     {"galaxia_chars.bin", 2048, "Galaxia characters, two bit-planes of 1024", 0},
     {}},
    {{"laserbattle.bin", 20480, "Laser Battle program ($0000, $2000, $4000, $6000)", 0},
     {"laserbattle_gfx.bin", 6144, "Laser Battle tiles, three bit-planes of 2048", 0},
     {"laserbattle_sprites.bin", 2048, "Laser Battle sprite, 8 codes of 32 x 8 bytes", 0}},
    {{"lazarian.bin", 22528, "Lazarian program (as Laser Battle, plus $3800 and $7800)", 0},
     {"lazarian_gfx.bin", 6144, "Lazarian tiles", 0},
     {"lazarian_sprites.bin", 2048, "Lazarian sprite", 0}},
};

u8 zaccaria_chars[6144];
u8 zaccaria_sprites[2048];
LaserBattleLatches laserbattle;
u8 coinop_collision_latch;
std::int8_t coinop_scroll;
u8 galaxia_shot_counter;
u8 galaxia_cycle_counter;
i32 coinop_autocoin_countdown;
CoinopInputs coinop_inputs;
i32 coinop_coin_hold;

namespace {

bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

struct Piece {
    u32 size, to;
};

// Where each game's program image goes, in the order of the file.
constexpr Piece astro_pieces[] = {{5120, 0x0000}, {5120, 0x2000}};
constexpr Piece laser_pieces[] = {{5120, 0x0000}, {5120, 0x2000}, {5120, 0x4000}, {5120, 0x6000}};
constexpr Piece lazarian_pieces[] = {{5120, 0x0000}, {5120, 0x2000}, {1024, 0x3800},
                                     {5120, 0x4000}, {5120, 0x6000}, {1024, 0x7800}};

bool is_rom(u32 a, u32 map) {
    const u32 low = a & 0x1FFF;
    if (map == 22 || map == 23) return a < 0x4000 && low < 0x1400;
    if (map == 25 && (in(a, 0x3800, 0x3BFF) || in(a, 0x7800, 0x7BFF))) return true;
    return low < 0x1400;
}

u32 flags_of(u32 a, u32 map) {
    u32 f = 0;
    if (is_rom(a, map)) f |= MEM_UNWRITABLE;
    switch (map) {
    case 22:
        if (in(a, 0x1600, 0x17FF) || in(a, 0x1D00, 0x1FFF)) f |= MEM_UNWRITABLE | MEM_UNREADABLE;
        if (in(a, 0x1800, 0x1CFF)) f |= MEM_ROUTED | MEM_DEVICE;
        break;
    case 23:
        if (in(a, 0x1400, 0x14FF)) f |= MEM_DEVICE;
        if (in(a, 0x1800, 0x1BFF)) f |= MEM_ROUTED | MEM_DEVICE;
        break;
    default:
        if (a < 0x1500) f |= MEM_UNWRITABLE;
        if (in(a, 0x1800, 0x1BFF)) f |= MEM_ROUTED | MEM_DEVICE;
        break;
    }
    return f;
}

u32 fold(u32 a, u32 map) {
    if (map == 22 || map == 23)
        return (in(a, 0x3400, 0x3FFF) || in(a, 0x5400, 0x5FFF) || in(a, 0x7400, 0x7FFF))
                   ? a & 0x1FFF
                   : a;
    if (map == 25 && (in(a, 0x3800, 0x3BFF) || in(a, 0x7800, 0x7BFF))) return a;
    return (a & 0x1FFF) >= 0x1400 ? a & 0x1FFF : a;
}

// Reads the program file and lays its pieces out; a missing file leaves the
// areas cleared.
void lay_program(u32 map, const Piece* pieces, std::size_t count) {
    static u8 image[22528];
    if (!guest_rom_read(zaccaria_roms[map - 22][0], image)) return;
    u32 offset = 0;
    for (std::size_t i = 0; i < count; i++) {
        std::memcpy(guest_memory + pieces[i].to, image + offset, pieces[i].size);
        offset += pieces[i].size;
    }
}

void read_graphics(u32 map) {
    std::memset(zaccaria_chars, 0, sizeof zaccaria_chars);
    std::memset(zaccaria_sprites, 0, sizeof zaccaria_sprites);
    const GuestRom* roms = zaccaria_roms[map - 22];
    guest_rom_read(roms[1], zaccaria_chars);
    if (roms[2].name) guest_rom_read(roms[2], zaccaria_sprites);
}

void fill_tables(u32 map) {
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = flags_of(a, map);
        mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(fold(a, map));
    }
}

void place_pvis(u32 count) {
    pvi_host_install(nullptr);
    machine_live[ZACCARIA].pvi_count = static_cast<i32>(count);
    for (u32 i = 0; i < count; i++) {
        pvi_base = 0x1500 + 0x100 * i;
        pvi_init_register_attributes();
    }
    pvi_base = 0x1500;
}

void board_timing() {
    MachineLive& row = machine_live[ZACCARIA];
    row.clocks_per_frame = 23608; // 104 lines of 75 clock periods, 208 of 76
    row.first_label_row = row.last_label_row = -1;
    video_set_line_length(75);
    prefs_setup_value(analog, 0);
    prefs_setup_value(swapped, 0);
}

void common_setup(u32 map) {
    program_loaded = 0;
    std::memset(guest_memory + 0x1400, 0, 0x8000 - 0x1400);
    // The board RAM beside guest memory is cleared with it: a game never
    // starts with another game's colours, palette or lines, nor scrolled.
    std::memset(coinop_colour_ram, 0, sizeof coinop_colour_ram);
    std::memset(coinop_palette_ram, 0, sizeof coinop_palette_ram);
    std::memset(coinop_effect_ram, 0, sizeof coinop_effect_ram);
    coinop_scroll = 0;
    coinop_collision_latch = 0;
    collision_feedback = {};
    galaxia_sound_latch = 0;
    read_graphics(map);
}

} // namespace

void zaccaria_setup_astro_wars() {
    common_setup(22);
    lay_program(22, astro_pieces, std::size(astro_pieces));
    guest_memory[0x2A00] = 0xA4;
    guest_memory[0x2A01] = 0x01;
    fill_tables(22);
    trainer_apply();
    place_pvis(1);
    machine_live[ZACCARIA].controls_keys = 6;
    static constexpr i32 fire[4] = {2, 2, 2, 2};
    std::memcpy(fire_button_assign, fire, sizeof fire);
    controls_layout = 24;
    input_direction_names();
    board_timing();
    coinop_build_starfield();
}

void zaccaria_setup_galaxia() {
    common_setup(23);
    lay_program(23, astro_pieces, std::size(astro_pieces));
    fill_tables(23);
    trainer_apply();
    place_pvis(3);
    machine_live[ZACCARIA].controls_keys = 6;
    static constexpr i32 fire[4] = {2, 2, 2, 2};
    std::memcpy(fire_button_assign, fire, sizeof fire);
    controls_layout = 25;
    input_direction_names();
    board_timing();
    coinop_build_starfield();
    galaxia_shot_counter = galaxia_cycle_counter = 0;
}

void zaccaria_setup_laser_battle() {
    common_setup(memmap);
    if (memmap == 25)
        lay_program(25, lazarian_pieces, std::size(lazarian_pieces));
    else
        lay_program(24, laser_pieces, std::size(laser_pieces));
    fill_tables(memmap);
    trainer_apply();
    laserbattle = LaserBattleLatches{};
    coinop_effect_select = 0;
    tone_unit_word = 0;
    place_pvis(3);
    machine_live[ZACCARIA].controls_keys = 11;
    static constexpr i32 fire[4] = {7, 8, 9, 5};
    std::memcpy(fire_button_assign, fire, sizeof fire);
    controls_layout = 26;
    input_direction_names();
    board_timing();
}

// ---- ports ---------------------------------------------------------------------------

namespace {

bool astro_or_galaxia() {
    return memmap == 22 || memmap == 23;
}

u8 input_byte() {
    const CoinopInputs& in = coinop_inputs;
    return static_cast<u8>(in.button1 << 5 | in.button3 << 4 | in.coin_a << 3 | in.coin_b << 2 |
                           in.start2 << 1 | in.start1);
}

u8 dip_byte() {
    return memmap == 22 ? dips_astrowars : dips_galaxia;
}

// Laser Battle / Lazarian port 2, active low, by the input multiplexer.
u8 laser_port2() {
    const CoinopInputs& in = coinop_inputs;
    switch (laserbattle.input_mux & 3) {
    case 0: {
        u8 v = 0xFF;
        if (in.button2) v &= ~0x80;
        if (in.button4) v &= ~0x40;
        if (in.button3) v &= ~0x20;
        if (in.button1) v &= ~0x10;
        if (in.coin_b) v &= ~0x04;
        if (in.start2) v &= ~0x02;
        if (in.start1) v &= ~0x01;
        return v;
    }
    case 1:
        return in.coin_a ? 191 : 255;
    case 2:
        return memmap == 25 ? dips_lazarian_2 : dips_laserbattle;
    default: {
        u8 v = memmap == 25 ? static_cast<u8>(dips_lazarian_3 | 0xF0) : 0xF0;
        if (in.down) v &= ~0x80;
        if (in.up) v &= ~0x40;
        if (in.right) v &= ~0x20;
        if (in.left) v &= ~0x10;
        return v;
    }
    }
}

} // namespace

u8 coinop_port_value(u32 port) {
    if (!astro_or_galaxia()) return port == 2 ? laser_port2() : 0;
    const CoinopInputs& in = coinop_inputs;
    switch (port) {
    case 0:
        return input_byte();
    case 172:
        return memmap == 23 ? input_byte() : 0;
    case 1:
    case 5:
        return 255;
    case 2:
        return static_cast<u8>((dip_byte() & 0x80) | in.right << 5 | in.left << 4 | in.right2 << 3 |
                               in.left2 << 2);
    case 6:
        return dip_byte() & 127;
    case 7:
        return memmap == 22 ? dips_astrowars_2 : 0;
    case 256:
        return coinop_collision_latch;
    case 257:
        coinop_collision_latch = 0;
        return 255;
    default:
        return 0;
    }
}

u8 coinop_io_read(u32 port) {
    const u8 value = coinop_port_value(port);
    dbg_trace_port_access(port, value, 0);
    return value;
}

namespace {

void laser_write(u32 port, u8 v) {
    LaserBattleLatches& l = laserbattle;
    switch (port) {
    case 0:
        l.right_line = !(v & 0x01);
        l.left_line = !(v & 0x02);
        l.single_point = !(v & 0x04);
        l.colour_mode = (v >> 3) & 3;
        l.invert_right = !(v & 0x20);
        l.invert_left = !(v & 0x40);
        break;
    case 1:
        l.sprite_code = v >> 5;
        coinop_effect_select = (v >> 4) & 1;
        l.two_bits = (v >> 1) & 3;
        l.sprite_enable = !(v & 0x01);
        break;
    case 2:
        l.tone_data = v;
        break;
    case 4:
        l.sprite_x = v;
        break;
    case 5:
        l.sprite_y = v;
        break;
    case 6:
        l.input_mux = (v >> 4) & 3;
        break;
    case 7: {
        tone_unit_word = (tone_unit_word & ~(1u << 24)) | static_cast<u32>((v >> 1) & 1) << 24;
        const u32 select = (v >> 2) & 7;
        if (select >= 5) {
            const u32 shift = 8 * (select - 5);
            tone_unit_word = (tone_unit_word & ~(0xFFu << shift)) | static_cast<u32>(l.tone_data)
                                                                        << shift;
            snd_update_voices(0);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

// Astro Wars and Galaxia: the scroll and the sound triggers. True when a
// Galaxia sound counter changed (the voices then follow, after the trace).
static bool astro_galaxia_write(u32 port, u8 value) {
    if (port == 0) {
        coinop_scroll = static_cast<std::int8_t>(255 - value);
        return false;
    }
    if (port != 257) return false;
    const u8 old = galaxia_sound_latch;
    bool changed = false;
    if (memmap == 23 && ((value ^ old) & 0x08)) {
        galaxia_cycle_counter = (value >> 3) & 1;
        changed = true;
    }
    if ((value & 0x04) && !(old & 0x04)) snd_play_effect(1);
    if ((value & 0x02) && !(old & 0x02)) snd_play_effect(2);
    if (memmap == 23) {
        if ((value & 1) && !(old & 1)) {
            galaxia_shot_counter = 255;
            changed = true;
        } else if (!(value & 1) && (old & 1)) {
            galaxia_shot_counter = 0;
            changed = true;
        }
    }
    galaxia_sound_latch = value;
    return changed;
}

void coinop_io_write(u32 port, u8 value) {
    bool voices = false;
    if (astro_or_galaxia())
        voices = astro_galaxia_write(port, value);
    else
        laser_write(port, value);
    dbg_trace_port_access(port, value, 1);
    if (voices) snd_update_voices(0);
}

// The games' character ROMs read as text.
namespace {
constexpr CpuCharRun astro_wars_chars[] = {
    {32, " "}, {176, "0123456789"}, {193, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}, {224, "0123456789"}};
constexpr CpuCharRun galaxia_chars[] = {
    {23, "123456"}, {46, "ps"},     {54, "nxrf^e12_ "}, {65, "ABCDEFGHI"},
    {76, "LMNOP"},  {82, "RSTUVW"}, {89, "Y"},          {91, "emtfu0123456789"}};
constexpr CpuCharRun laser_battle_chars[] = {{26, "/\\"},
                                             {118, "()zcari98"},
                                             {128, "!"},
                                             {176, "0123456789"},
                                             {192, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                                             {239, "fe*"},
                                             {253, "F"},
                                             {255, " "}};

u8 zaccaria_guest_char(u8 code) {
    switch (memmap) {
    case MAP_ASTRO_WARS:
        return cpu_char_from_runs(astro_wars_chars, code);
    case MAP_GALAXIA: // a 128-character ROM
        return cpu_char_from_runs(galaxia_chars, code & 127u);
    case MAP_LASER_BATTLE:
    case MAP_LAZARIAN:
        return cpu_char_from_runs(laser_battle_chars, code);
    default:
        return 0;
    }
}
} // namespace

constexpr CpuDebugHooks zaccaria_debug_hooks{
    .guest_char = zaccaria_guest_char,
};

u32 zaccaria_literal_codes() {
    switch (memmap) {
    case MAP_ASTRO_WARS:
    case MAP_LASER_BATTLE:
    case MAP_LAZARIAN:
        return 256;
    case MAP_GALAXIA:
        return 128;
    default:
        return 0;
    }
}

