#include "core/trainers.h"

#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine_table.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"

#include <span>
#include <string_view>

namespace {

enum Option : u8 { LIVES, TIME, INVINCIBLE, POST, ALWAYS };

// A run of bytes from `address` on: `on` is written while the option is on,
// `off` while it is off (both as hexadecimal digit pairs of the same length).
// An ALWAYS run writes `on` whatever the options.
struct Patch {
    u16 address;
    Option option;
    std::string_view on;
    std::string_view off;
};

using PatchList = std::span<const Patch>;

// ---- Coin-op boards --------------------------------------------------------------------------
constexpr Patch astro_wars[] = {
    {0x0198, POST, "84", "04"},       {0x0199, POST, "01", "55"},
    {0x093B, INVINCIBLE, "00", "22"}, {0x11A4, INVINCIBLE, "00", "22"},
    {0x2548, INVINCIBLE, "00", "22"}, {0x0EB2, LIVES, "00", "01"},
    {0x25FF, TIME, "00", "02"},
};
constexpr Patch galaxia[] = {
    {0x0179, POST, "84", "04"}, {0x017A, POST, "01", "55"},       {0x06F1, LIVES, "00", "01"},
    {0x27BB, TIME, "C0", "16"}, {0x284F, INVINCIBLE, "00", "26"}, {0x2934, INVINCIBLE, "1B", "98"},
};
constexpr Patch laser_battle[] = {
    {0x0269, POST, "84", "04"},         {0x026A, POST, "01", "55"},
    {0x2715, TIME, "00", "02"},         {0x31F7, TIME, "00", "01"},
    {0x6030, TIME, "C0C0C0", "CF7CBE"}, {0x603B, TIME, "C0C0C0", "CF7CBC"},
    {0x6044, TIME, "C0C0C0", "CF7CBA"}, {0x50DC, INVINCIBLE, "20", "0C"},
    {0x50DD, INVINCIBLE, "17", "1C"},   {0x520D, LIVES, "00", "01"},
};
constexpr Patch lazarian[] = {
    {0x0281, POST, "84", "04"},       {0x0282, POST, "01", "55"},  {0x30A2, INVINCIBLE, "20", "0D"},
    {0x30A3, INVINCIBLE, "17", "1C"}, {0x31A8, LIVES, "00", "01"}, {0x4094, TIME, "00", "01"},
    {0x46E2, TIME, "00", "02"},
};
constexpr Patch malzak1[] = {
    {0x0052, POST, "CC", "1F"},       {0x0053, POST, "18", "00"}, {0x0054, POST, "00", "A0"},
    {0x24AD, LIVES, "00", "01"},      {0x27A5, TIME, "00", "02"}, {0x41FD, INVINCIBLE, "42", "24"},
    {0x41FE, INVINCIBLE, "09", "00"},
};
constexpr Patch malzak2[] = {
    {0x0084, POST, "00", "01"},
    {0x24AD, LIVES, "00", "01"},
    {0x279E, TIME, "A400A400A400", "AC10CFAC10CF"},
    {0x41FF, INVINCIBLE, "42", "24"},
    {0x4200, INVINCIBLE, "09", "00"},
};

// ---- Games-database rows -----------------------------------------------------------------------
constexpr Patch row_0[] = {{0x0DC1, TIME, "00", "01"}}; // also rows 65 and 122
constexpr Patch row_2[] = {
    {0x01FA, LIVES, "00", "01"},      {0x025D, INVINCIBLE, "64", "44"},
    {0x0277, INVINCIBLE, "64", "44"}, {0x027D, INVINCIBLE, "64", "44"},
    {0x0733, TIME, "00", "01"},
};
constexpr Patch row_6[] = {
    {0x01A8, LIVES, "00", "01"},
    // A branch into a routine added in free memory that branches back.
    {0x0869, INVINCIBLE, "1F2040", "0E19FF"},
    {0x2040, INVINCIBLE, "0E1AB46603CE1AB40E1AB5661FCE1AB50E19FF1F086C",
     "00000000000000000000000000000000000000000000"},
};
constexpr Patch row_48[] = {{0x01C5, ALWAYS, "00", "00"}};
constexpr Patch row_830[] = {
    {0x0663, INVINCIBLE, "C0C0C0", "3F0ADD"}, {0x067D, INVINCIBLE, "C0C0C0", "3C0ADD"},
    {0x0688, INVINCIBLE, "C0C0C0", "BC0ADD"}, {0x0962, INVINCIBLE, "C0C0C0", "3F0ADD"},
    {0x0AFC, LIVES, "1F0B24", "0C18C2"},      {0x09CD, TIME, "00", "01"},
};

PatchList board_list(u32 map) {
    switch (map) {
    case MAP_ASTRO_WARS:
        return {astro_wars, std::size(astro_wars)};
    case MAP_GALAXIA:
        return {galaxia, std::size(galaxia)};
    case MAP_LASER_BATTLE:
        return {laser_battle, std::size(laser_battle)};
    case MAP_LAZARIAN:
        return {lazarian, std::size(lazarian)};
    case MAP_MALZAK_1:
        return {malzak1, std::size(malzak1)};
    default:
        return {malzak2, std::size(malzak2)};
    }
}

PatchList game_list(u32 row) {
    switch (row) {
    case 0:
    case 65:
    case 122:
        return {row_0, std::size(row_0)};
    case 2:
        return {row_2, std::size(row_2)};
    case 6:
        return {row_6, std::size(row_6)};
    case 48:
        return {row_48, std::size(row_48)};
    case 830:
        return {row_830, std::size(row_830)};
    default:
        return {};
    }
}

bool option_on(Option o) {
    switch (o) {
    case LIVES:
        return trainer_lives;
    case TIME:
        return trainer_time;
    case INVINCIBLE:
        return trainer_invincibility;
    case POST:
        return post;
    default:
        return true;
    }
}

int digit(char c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

void write_run(u16 address, std::string_view bytes) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const u32 a = address + i / 2;
        if (a < GUEST_MEMORY_SIZE)
            guest_memory[a] = static_cast<u8>(digit(bytes[i]) << 4 | digit(bytes[i + 1]));
    }
}

PatchList current_list() {
    if (machine_desc().coinop) return board_list(memmap);
    if (static_cast<u32>(known_game_id) > 857) return {};
    return game_list(static_cast<u32>(known_game_id));
}

} // namespace

void trainer_apply() {
    for (const Patch& p : current_list())
        write_run(p.address, option_on(p.option) ? p.on : p.off);
}
