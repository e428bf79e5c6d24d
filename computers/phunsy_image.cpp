#include "computers/phunsy_image.h"

#include "computers/phunsy.h"
#include "core/emu.h"
#include "core/filekinds.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "input/key_events.h"

#include <cstring>
#include <utility>

namespace {

constexpr u32 PHUNSY_U_STORE = sizeof phunsy_ubank_store; // 16 x 2 KB
constexpr u32 PHUNSY_Q_STORE = sizeof phunsy_qbank_store; // 16 x 16 KB

// Whether `length` bytes fit at a block address.
bool block_fits(u32 address, u32 length) {
    if (address >= 0x10000 && address <= 0x4FFFF)
        return address - 0x10000 + length <= PHUNSY_Q_STORE;
    if (address >= 0x8000 && address <= 0xFFFF) return address - 0x8000 + length <= PHUNSY_U_STORE;
    return address < GUEST_MEMORY_SIZE && address + length <= GUEST_MEMORY_SIZE;
}

void place(u32 address, const u8* bytes, u32 length) {
    if (address >= 0x10000)
        std::memcpy(&phunsy_qbank_store[0][0] + (address - 0x10000), bytes, length);
    else if (address >= 0x8000)
        std::memcpy(&phunsy_ubank_store[0][0] + (address - 0x8000), bytes, length);
    else
        load_put_bytes(address, bytes, length);
}

// The blocks of a known game: false when they do not fit the file or their place.
bool blocks(const KnownGame& g, u32 size, u32& length1, u32& length2) {
    length1 = g.block1_length ? g.block1_length : size;
    length2 = g.block2_length;
    if (length1 > size || length2 > size - length1) return false;
    return block_fits(g.block1_address, length1) &&
           (length2 == 0 || block_fits(g.block2_address, length2));
}

void type_line(const char* text) {
    guest_key_queue_append_text(text);
    const u8 enter = '\r';
    guest_key_queue_append(&enter, 1);
}

} // namespace

bool phunsy_blocks_fit(const KnownGame& game, u32 size) {
    u32 length1, length2;
    return blocks(game, size, length1, length2);
}

const char* phunsy_image_refused(const KnownGame& game, u32 size) {
    return phunsy_blocks_fit(game, size)
               ? nullptr
               : "The load blocks of this PHUNSY game do not fit the file!";
}

void phunsy_map_image(bool known) {
    if (known) {
        const KnownGame& g = known_games_db[known_game_id];
        u32 length1, length2;
        blocks(g, filebuf_length, length1, length2); // checked before anything changed
        phunsy_bank_control = g.phunsy_banks;
        game_start_address = g.start_address;
        place(g.block1_address, filebuf, length1);
        if (length2) place(g.block2_address, filebuf + length1, length2);
    } else {
        phunsy_bank_control = 0;
        const u32 address = phunsy_biosversion == 1 ? 0x2000 : 0x0000;
        const u32 length = filebuf_length < 8192 ? filebuf_length : 8192;
        load_put_bytes(address, filebuf, length);
        game_start_address = static_cast<u16>(address);
    }
    static constexpr std::pair<u16, u8> monitor_vars[] = {
        {0x0EE8, 5},    {0x0EE9, 0xFA}, {0x0EEA, 5},    {0x0EEB, 0xE6}, {0x0EEC, 5},
        {0x0EED, 0xE0}, {0x0EEE, 0xFE}, {0x0EEF, 0x20}, {0x0EF2, 0x1F}, {0x0EF3, 0x3F},
        {0x0EF4, 0x10}, {0x0EF5, 0x41}, {0x0F01, 0x0D}};
    for (const auto& [address, value] : monitor_vars)
        guest_memory[address] = value;
    guest_memory[0x0EF7] = phunsy_bank_control;
    cpu_ras[0] = 0x023E;
    cpu_psu = 1;
    phunsy_ubank_select(phunsy_bank_control >> 4);
    phunsy_qbank_select(phunsy_bank_control & 15);
}

void phunsy_run_loaded(int kind, u8 language) {
    if (kind != KIND_BIN || language != 3) return;
    type_line("OLD");
    type_line("RUN");
}

void phunsy_before_state_save() {
    phunsy_ubank_save(phunsy_bank_control >> 4);
    phunsy_qbank_save(phunsy_bank_control & 15);
}

void phunsy_after_state_load() {
    phunsy_ubank_select(phunsy_bank_control >> 4);
    phunsy_qbank_select(phunsy_bank_control & 15);
}
