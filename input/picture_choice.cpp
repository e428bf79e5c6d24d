#include "input/picture_choice.h"

#include "core/emu.h"
#include "core/machine_table.h"
#include "core/seams_games.h"
#include "cpu/cpu.h"
#include "cpu/memory.h"

namespace {

constexpr u32 NO_ADDRESS = 0x10014;

int class_of_address(u32 address) {
    if (address == NO_ADDRESS || address >= MEM_ATTR_SIZE) return -1;
    const u32 a = mem_attributes[address];
    if (a & MEM_BREAKPOINT) return 6;
    if (a & MEM_WATCH) return 4;
    if (address < GUEST_MEMORY_SIZE &&
        (mem_read_mirror[address] != address || mem_write_mirror[address] != address))
        return 5;
    const bool rom = a & MEM_UNWRITABLE, wo = a & MEM_UNREADABLE;
    if (rom && wo) return 0;
    if (rom) return 1;
    if (wo) return 3;
    return 2;
}

int class_of_row(int row, u32 address, const u8 psu[2]) {
    auto in = [row](int a, int b) { return row >= a && row <= b; };
    if (in(268, 274) || in(298, 304))
        return address < MEM_ATTR_SIZE && (mem_attributes[address] & MEM_WATCH) ? 4 : 2;
    if (in(275, 282)) return row - 275 == (psu[0] & 7) ? 8 : 7;
    if (in(305, 312)) return row - 305 == (psu[1] & 7) ? 8 : 7;
    if (row == 283 || row == 313) return 1;
    if (row == 296 || row == 326) return 3;
    if (row == 286 || row == 287 || row == 316 || row == 317) return cpu_type == 0 ? 0 : 2;
    if (in(284, 295) || in(314, 325)) return 2;
    return class_of_address(address);
}

} // namespace

int game_image_number(int game, int memmap) {
    if (game >= 0 && game < KNOWN_GAMES) {
        const int picture = known_games_db[game].console_model;
        if (picture >= 0 && picture <= 59) return 319 + picture;
    }
    return memmap >= 0 && memmap < static_cast<int>(MEMMAPS) ? memmap_table[memmap].picture : 0;
}

int monitor_label_pen(int row, u32 address, const u8 psu[2], int* pen_a, int* pen_b) {
    const int c = row == 297 ? class_of_address(address) : class_of_row(row, address, psu);
    if (c < 0) return 0;
    *pen_a = *pen_b = c;
    return 1;
}
