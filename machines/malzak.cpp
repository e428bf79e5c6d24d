#include "machines/malzak.h"

#include "core/user_prefs.h"
#include "core/guest_roms.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/serial.h"
#include "core/session.h"
#include "core/settings_vars.h"
#include "core/trainers.h"
#include "core/ui_host.h"
#include "core/notify.h"
#include "cpu/memory.h"
#include "input/collision_feedback.h"
#include "machines/coinop.h"
#include "machines/pvi2636.h"
#include "machines/pvi_consoles.h"
#include "machines/zaccaria.h"
#include "core/helpers.h"
#include "input/controls.h"

#include <cerrno>

#include <cstdio>
#include <cstring>
#include <string>

const char* const malzak_nvram_name = "Malzak2.nvr";
const GuestRom malzak_roms[4] = {
    {"malzak1.bin", 8704, "Malzak 1 program ($0000, $2000, $4000)", 0},
    {"malzak2.bin", 8192, "Malzak 2 program ($0000, $2000, $4000, $6000)", 0},
    {"malzak2_banks.bin", 6144, "Malzak 2 banks: two of 1024 for $0C00, two of 2048 for $4400", 0},
    {"malzak_tiles.bin", 8192, "Malzak tiles, 256 of 16 x 16", 0},
};
u8 malzak_banks[6144];
u8 malzak_tiles[8192];
u8 malzak_bank_a, malzak_bank_b;
bool malzak_nvram_live;
u8 malzak_v_scroll;
u8 malzak_collision_flag;
i32 malzak_last_x, malzak_last_line;

namespace {

bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

std::string nvram_path() {
    return file_host_path(std::string("PROGDIR:Configs/") + malzak_nvram_name);
}

// The non-volatile RAM as the board leaves the factory.
void nvram_defaults() {
    std::memset(guest_memory + 0x1700, 0, 0x100);
    guest_memory[0x1776] = 0x08;
    guest_memory[0x1786] = 0x09;
    guest_memory[0x1787] = 0x09;
    guest_memory[0x17FD] = 0x07;
    guest_memory[0x17FE] = 0x05;
    guest_memory[0x14CC] = 0xF0;
}

// A file at the name that could not be read is not the board's memory to
// write over: the memory is then not saved (kept and said at the load).
bool nvram_kept = false;

void nvram_load() {
    // Only the first MALZAK_NVRAM_SIZE bytes of a longer file count.
    std::string file, why;
    const std::string host = nvram_path();
    const int read = file_read_telling(host, &file, 1u << 20, &why);
    nvram_kept = read != READ_OK && !(read == READ_UNAVAILABLE && errno == ENOENT);
    if (nvram_kept) {
        con_printf("Can't read Malzak 2's memory file \"%s\" (%s)!\n", host.c_str(), why.c_str());
        file_kept_note("memory of Malzak 2", host);
    }
    if (read != READ_OK) {
        nvram_defaults();
        return;
    }
    u8 bytes[MALZAK_NVRAM_SIZE] = {};
    const std::size_t got = std::min<std::size_t>(file.size(), MALZAK_NVRAM_SIZE);
    std::memcpy(bytes, file.data(), got);
    // A short file leaves the rest as cleared.
    std::memcpy(guest_memory + 0x1700, bytes, got < 256 ? got : 256);
    if (got == MALZAK_NVRAM_SIZE) guest_memory[0x14CC] = bytes[256];
}

u32 flags_of(u32 a) {
    u32 f = 0;
    const u32 top = a & 0xF000;
    if (top == 0x0000 || top == 0x2000 || top == 0x4000 || top == 0x6000) f |= MEM_UNWRITABLE;
    if (in(a, 0x1600, 0x16FF)) f |= MEM_ROUTED;
    return f;
}

} // namespace

void malzak_switch_rom_bank(int region) {
    if (region == 1)
        std::memcpy(guest_memory + 0x0C00, malzak_banks + (malzak_bank_a & 1) * 1024, 1024);
    else
        std::memcpy(guest_memory + 0x4400, malzak_banks + 2048 + (malzak_bank_b & 1) * 2048, 1536);
    ui_mark(UI_REFRESH_FORCED); // the views of memory show the new bank whole
}

void malzak_setup() {
    const bool two = memmap == 27;
    program_loaded = 0;
    // The bank latches start the same on both boards (only the second has banks;
    // the first's save state holds the latch all the same).
    malzak_bank_a = 0;
    malzak_bank_b = 1;
    std::memset(guest_memory + 0x1000, 0, 0x7000);
    std::memset(malzak_playfield, 0, sizeof malzak_playfield);
    std::memset(malzak_tiles, 0, sizeof malzak_tiles);
    guest_rom_read(malzak_roms[3], malzak_tiles);
    static u8 image[8704];
    if (!two) {
        if (guest_rom_read(malzak_roms[0], image)) {
            std::memcpy(guest_memory + 0x0000, image, 4096);
            std::memcpy(guest_memory + 0x2000, image + 4096, 2048);
            std::memcpy(guest_memory + 0x4000, image + 6144, 2560);
        }
    } else {
        if (guest_rom_read(malzak_roms[1], image)) {
            std::memcpy(guest_memory + 0x0000, image, 3072);
            std::memcpy(guest_memory + 0x2000, image + 3072, 3072);
            std::memcpy(guest_memory + 0x4000, image + 6144, 1024);
            std::memcpy(guest_memory + 0x6000, image + 7168, 1024);
        }
        std::memset(malzak_banks, 0, sizeof malzak_banks);
        guest_rom_read(malzak_roms[2], malzak_banks);
        malzak_switch_rom_bank(1);
        malzak_switch_rom_bank(2);
        nvram_load();
    }
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = flags_of(a);
        mem_read_mirror[a] = mem_write_mirror[a] =
            static_cast<u16>(a & 0x1000 ? 0x1000 + (a & 0x0FFF) : a);
    }
    pvi_host_install(nullptr);
    for (pvi_base = 0x1400; pvi_base <= 0x1500; pvi_base += 0x100)
        pvi_init_register_attributes();
    pvi_base = 0x1400;
    mem_attributes[0x14C7] |= MEM_SOUND;
    mem_attributes[0x15C7] |= MEM_SOUND;
    controls_layout = 20;
    input_direction_names();
    trainer_apply();
    malzak_collision_flag = 0;
    // The player's ship (sprite 0) touching the playfield shakes the first
    // player's controller for a frame.
    collision_feedback = {};
    collision_feedback.grid[0][0] = 1;
    malzak_scroll = 0;
    malzak_v_scroll = 0;
    static constexpr i32 fire[4] = {2, 2, 2, 2};
    std::memcpy(fire_button_assign, fire, sizeof fire);
    prefs_setup_value(analog, 0);
    prefs_setup_value(swapped, 0);
    MachineLive& row = machine_live[MALZAK];
    row.clocks_per_frame = 23608;
    video_set_line_length(75);
    malzak_nvram_live = two;
}

void malzak_state_saving() {
    // On the way out the board's RAM is that of a recording played: the exit
    // autosave resumes on the user's board, whose RAM the file holds.
    if (app_exiting && memmap == 27 && !malzak_nvram_live) nvram_load();
}

void malzak_save_nvram() {
    if (memmap != 27 || !malzak_nvram_live) return;
    u8 bytes[MALZAK_NVRAM_SIZE];
    std::memcpy(bytes, guest_memory + 0x1700, 256);
    bytes[256] = guest_memory[0x14CC];
    // A write-protected file is skipped without a word, as the high scores'
    // is, and so is the file of a home that another run holds (at a machine
    // switch too, not only on the way out).
    const std::string host = nvram_path();
    if (nvram_kept || !session_home_file_writable(host)) return;
    std::string error;
    if (!file_write_replace(host, bytes, sizeof bytes, &error, false))
        ui_warning(file_failure_text("Malzak 2's memory was not saved: can't write to", host, error)
                       .c_str());
}

// ---- ports ---------------------------------------------------------------------------

static u8 port_value(u32 port) {
    if (port == 0) {
        if (!malzak_collision_flag) return 0;
        const u32 v =
            (static_cast<u32>(malzak_last_line) & ~15u) |
            (((static_cast<u32>(malzak_scroll) + static_cast<u32>(malzak_last_x) + 32) & 255) >> 4);
        return static_cast<u8>(v);
    }
    if (port == 128 || port == 160) {
        const CoinopInputs& in = coinop_inputs;
        return static_cast<u8>(in.up << 7 | in.left << 6 | in.right << 5 | in.button1 << 4 |
                               in.start2 << 3 | in.start1 << 2 | in.down << 1 | in.coin_a);
    }
    return 0;
}

u8 malzak_io_read(u32 port) {
    const u8 value = port_value(port);
    dbg_trace_port_access(port, value, 0);
    return value;
}

void malzak_io_write(u32 port, u8 value) {
    switch (port) {
    case 64:
        if ((value & 0x40) && malzak_bank_a == 0) {
            malzak_bank_a = 1;
            malzak_switch_rom_bank(1);
        } else if (!(value & 0x40) && malzak_bank_a == 1) {
            malzak_bank_a = 0;
            malzak_switch_rom_bank(1);
        }
        break;
    case 96:
        malzak_scroll = value;
        break;
    case 192:
        malzak_v_scroll = value;
        break;
    default:
        break;
    }
    dbg_trace_port_access(port, value, 1);
}
