#include "machines/elektor.h"

#include "core/frame.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine.h"
#include "core/machine_table.h"
#include "core/message.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/seams_services.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/guest_roms.h"
#include "cpu/bus.h"
#include "cpu/memory.h"
#include "machines/ay8910.h"
#include "machines/pvi2636.h"
#include "machines/pvi_consoles.h"
#include "sound/sound_latches.h"
#include "sound/voice_update.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

const GuestRom elektor_roms[3] = {
    {"elektor_philips.bin", ELEKTOR_BIOS_SIZE,
     "Elektor TV Games Computer, BIOS version 0 (\"Philips (Elektor TVGC)\")", 0},
    {"elektor_hobby.bin", ELEKTOR_BIOS_SIZE,
     "Elektor TV Games Computer, BIOS version 1 (\"Hobby Module\")", 0},
    {"elektor_expansion.bin", ELEKTOR_EXPANSION_SIZE,
     "Elektor TV Games Computer, expanded map, at $2000", GUEST_ROM_OPTIONAL},
};

namespace {

bool in(u32 a, u32 lo, u32 hi) {
    return a >= lo && a <= hi;
}

struct Range {
    u16 lo, hi;
};

bool in_any(u32 a, std::initializer_list<Range> ranges) {
    for (const Range& r : ranges)
        if (in(a, r.lo, r.hi)) return true;
    return false;
}

u32 flags_of(u32 a, bool expanded) {
    u32 f = 0;
    if (!expanded) {
        if (in_any(a, {{0x1000, 0x1DBE},
                       {0x1DC0, 0x1E87},
                       {0x1E8F, 0x1EFF},
                       {0x1F2E, 0x1F3F},
                       {0x1F6E, 0x1F7F},
                       {0x1FAE, 0x1FC9},
                       {0x1FCE, 0x1FD9},
                       {0x1FDC, 0x1FE9},
                       {0x1FEC, 0x1FF9},
                       {0x1FFC, 0x7FFF}}))
            f |= MEM_UNREADABLE;
        if (in_any(a, {{0x0000, 0x07FF},
                       {0x1000, 0x1DFE},
                       {0x1E00, 0x1E7F},
                       {0x1E81, 0x1EFF},
                       {0x1F2E, 0x1F3F},
                       {0x1F6E, 0x1F7F},
                       {0x1FAE, 0x1FBF},
                       {0x1FC4, 0x1FC5},
                       {0x1FCA, 0x7FFF}}))
            f |= MEM_UNWRITABLE;
    } else {
        if (in_any(a, {{0x1C80, 0x1CFF},
                       {0x1D21, 0x1DBE},
                       {0x1DC0, 0x1DFF},
                       {0x1E80, 0x1E87},
                       {0x1E8F, 0x1EFF},
                       {0x1F2E, 0x1F3F},
                       {0x1F6E, 0x1F7F},
                       {0x1FAE, 0x1FAE},
                       {0x1FB0, 0x1FC9},
                       {0x1FCE, 0x1FD9},
                       {0x1FDC, 0x1FE9},
                       {0x1FEC, 0x1FF9},
                       {0x1FFC, 0x1FFE}}))
            f |= MEM_UNREADABLE;
        if (in_any(a, {{0x0000, 0x07FF},
                       {0x1C00, 0x1CFF},
                       {0x1D0F, 0x1D0F},
                       {0x1D1E, 0x1DFE},
                       {0x1E00, 0x1E7F},
                       {0x1E81, 0x1EFF},
                       {0x1F2E, 0x1F3F},
                       {0x1F6E, 0x1F7F},
                       {0x1FAE, 0x1FBF},
                       {0x1FC4, 0x1FC5},
                       {0x1FCA, 0x7FFF}}))
            f |= MEM_UNWRITABLE;
        if (a == 0x1D20 || a == 0x1FAF || a == 0x1FFF) f |= MEM_ROUTED;
        if (in(a, 0x1D00, 0x1D1F)) f |= MEM_SOUND;
    }
    if (in_any(a, {{0x1FCA, 0x1FCB}, {0x1FDA, 0x1FDB}, {0x1FEA, 0x1FEB}, {0x1FFA, 0x1FFB}}))
        f |= MEM_READ_ONCE;
    if (a == 0x1E80 || a == 0x1FC7) f |= MEM_SOUND;
    return f;
}

u32 fold(u32 e, bool expanded) {
    if (!expanded) {
        if (e > 0x1FFF) e &= 0x1FFF;
        if (in(e, 0x1600, 0x17FF))
            e += 0x800;
        else if (in(e, 0x1800, 0x1CFF))
            e = (e & 0xF8FF) | 0x0500;
    }
    if (in_any(e, {{0x1FD0, 0x1FD9}, {0x1FDC, 0x1FE9}, {0x1FEC, 0x1FF9}, {0x1FFC, 0x1FFE}}))
        e &= 0xFFCF;
    if (in(e, 0x1C80, 0x1CFF)) e += 0x100;
    return e;
}

// Where a read and a write at `a` land; the PSG and cassette ports answer at
// four addresses each.
void set_mirrors(u32 a, bool expanded) {
    const u32 m = fold(a, expanded);
    u32 r = m, w = m;
    if (in(m, 0x1D80, 0x1D9F)) r = 0x1D9C + (m & 3);
    if (in(m, 0x1DA0, 0x1DBF)) r = 0x1DBC + (m & 3);
    if (in(m, 0x1DC0, 0x1DDF)) w = 0x1DDC + (m & 3);
    if (in(m, 0x1DE0, 0x1DFF)) w = 0x1DFC + (m & 3);
    mem_read_mirror[a] = static_cast<u16>(r);
    mem_write_mirror[a] = static_cast<u16>(w);
}

// The chosen BIOS's ROM at $0000-$07FF, the debugger's rows of it and the
// addresses they comment; the Hobby Module's ROM also reaches those ports at
// $199C and $19BC. The other marks (breakpoints, watches) are left alone.
void map_bios() {
    const bool expanded = memmap == MAP_ELEKTOR_EXPANDED;
    MachineLive& row = machine_live[ELEKTOR];
    machine_mark_comment_rows(row.first_comment_row, row.last_comment_row, false);
    const i32 version = elektor_biosversion == 1 ? 1 : 0;
    // Unused memory is 0 on this machine; a missing BIOS leaves it so.
    std::memset(guest_memory, 0, ELEKTOR_BIOS_SIZE);
    guest_rom_read(elektor_roms[version], guest_memory);
    row.first_label_row = version ? 1707 : 30;
    row.last_label_row = version ? 1716 : 324;
    row.first_comment_row = version ? -1 : 67;
    row.last_comment_row = version ? -1 : 527;
    row.first_note_row = version ? 74 : 0;
    row.last_note_row = 120;
    const bool hobby_ports = guest_memory[0x073E] == 0x19;
    for (u32 port : {0x199Cu, 0x19BCu})
        for (u32 a = port; a < port + 4; a++) {
            set_mirrors(a, expanded);
            if (hobby_ports) mem_read_mirror[a] = mem_write_mirror[a] = static_cast<u16>(a + 0x400);
        }
    machine_mark_comment_rows(row.first_comment_row, row.last_comment_row, true);
}

} // namespace

void elektor_take_bios(u32) {
    map_bios();
}

void elektor_setup() {
    const bool expanded = memmap == MAP_ELEKTOR_EXPANDED;
    program_loaded = 0;
    snd_effect_latch.triggered = 0;
    pvi_base = 0x1F00;
    pvi_host_install(hw_format_register_bits);
    std::memset(guest_memory, 0, GUEST_MEMORY_SIZE);
    MachineLive& row = machine_live[ELEKTOR];
    std::memset(guest_memory + 0x1000, expanded ? 0x00 : 0xFF, 0x600);
    guest_memory[0x1FCC] = guest_memory[0x1FCD] = row.paddle_centre;
    if (expanded) {
        guest_rom_read(elektor_roms[2], guest_memory + 0x2000);
        std::memset(guest_memory + 0x2200, 0xFF, 0x8000 - 0x2200);
    }
    for (u32 a = 0; a < GUEST_MEMORY_SIZE; a++) {
        mem_attributes[a] = flags_of(a, expanded);
        set_mirrors(a, expanded);
        pvi_mark_register_attributes(a);
    }
    map_bios();
    for (u32 a = 0; a <= 0x07FF; a++)
        mem_attributes[a] |= MEM_BIOS;
    mem_attributes[0x1E80] |= MEM_HW_REGISTER;
    for (u32 a = 0x1E88; a <= 0x1E8E; a++)
        mem_attributes[a] |= MEM_HW_REGISTER;
    cpu_traps_mark();
    cpu_beam_clock = 0;
    video_set_line_length(226);
    pvi_patch_pitch_tables();
}

// No known game in the database needs a patch yet.
const std::span<const ElektorResetPatch> elektor_reset_patches{};

bool elektor_apply_reset_patch(std::span<const ElektorResetPatch> table, int row, int step) {
    if (row < 0 || static_cast<std::size_t>(row) >= table.size()) return false;
    const i32 address = table[static_cast<std::size_t>(row)].address + 4 * step;
    if (address < 0 || address >= static_cast<i32>(GUEST_MEMORY_SIZE)) return false;
    guest_memory[address] |= table[static_cast<std::size_t>(row)].mask;
    return true;
}

void elektor_reset() {
    if (program_loaded) {
        guest_memory[0x08B9] = 9;
        guest_memory[0x08BA] = 3;
        guest_memory[0x08BD] = 0x1F; // BCTA,UN to the start address
        guest_memory[0x08BE] = static_cast<u8>(game_start_address >> 8);
        guest_memory[0x08BF] = static_cast<u8>(game_start_address & 0xFF);
        cpu_iar = 0x08BD;
    } else {
        cpu_iar = 0x0023;
    }
    ay8910_reset(guest_memory + 0x1D00); // both PSGs silent
    ay8910_reset(guest_memory + 0x1D10);
    if (known_game_id >= 0 && known_game_id < KNOWN_GAMES) {
        const KnownGame& row = known_games_db[known_game_id];
        elektor_apply_reset_patch(elektor_reset_patches, row.reset_patch, row.reset_patch_step);
        if (row_start_inhibited(row)) cpu_psu |= PSU_II;
    }
    if (known_game_id == 304) cpu_psl |= PSL_COM; // "Omega Landing" compares logically
    pvi_consoles_apply_game();
    snd_update_voices(0);
}

// ---- ".eof" files --------------------------------------------------------------------

namespace {

constexpr u8 BLOCK_MARK = 'L';

struct EofBlock {
    u32 address;
    std::vector<u8> data;
};
std::vector<EofBlock> eof_blocks; // what the last accepted parse keeps
bool eof_has_start;
u16 eof_start;
u32 eof_cursor;

// -1 end block, -2 data block kept, 0 end of file, 1 error (reported).
int parse_block(u32 length) {
    if (eof_cursor == length) return 0;
    const u8* p = filebuf + eof_cursor;
    if (length - eof_cursor < 6) {
        con_printf("Error: incorrect length!\n");
        return 1;
    }
    if (p[0] != BLOCK_MARK) {
        con_printf("Error: block header not found at offset %d!\n", static_cast<int>(eof_cursor));
        return 1;
    }
    if (p[1] == 0 || p[1] > 15) {
        con_printf("Error: file number is out of range!\n");
        return 1;
    }
    const u32 address = static_cast<u32>(p[2]) << 8 | p[3];
    if (address > 0x7FFF) {
        con_printf("Error: address is out of range!\n");
        return 1;
    }
    const u32 n = p[4];
    if (n == 0) {
        eof_has_start = true;
        eof_start = static_cast<u16>(address);
        con_printf("Found end-of-file block. Start address is $%04X.\n", address);
        return -1;
    }
    if (length - eof_cursor < 7 + n) {
        con_printf("Error: incorrect length!\n");
        return 1;
    }
    if (eof_block_checksum(0, 4, p) != p[5] ||
        eof_block_checksum(6, static_cast<i32>(5 + n), p) != p[6 + n]) {
        con_printf("Error: BCC is incorrect!\n");
        return 1;
    }
    const u32 end = address + n - 1;
    if (end > 0x7FFF) {
        con_printf("Error: address is out of range!\n");
        return 1;
    }
    con_printf("Loading $%04X..$%04X.\n", address, end);
    if ((address & 0x6000) != (end & 0x6000))
        con_printf("Warning: Block $%04X..$%04X crosses a page boundary!\n", address, end);
    eof_blocks.push_back({address, std::vector<u8>(p + 6, p + 6 + n)});
    eof_cursor += 7 + n;
    return -2;
}

} // namespace

u8 eof_block_checksum(i32 first, i32 last, const u8* buffer) {
    u8 c = 0;
    for (i32 i = first; i <= last; i++) {
        c ^= buffer[i];
        c = static_cast<u8>(c << 1 | c >> 7);
    }
    return c;
}

int elektor_parse_eof(u32 length) {
    eof_blocks.clear();
    eof_has_start = false;
    eof_cursor = 0;
    int result = 1;
    while (eof_cursor < length) {
        result = parse_block(length);
        if (result != -2) break;
    }
    if (result > 0 || !filebuf) {
        con_printf("Failed to load EOF file!\n\n");
        eof_blocks.clear();
        return 0;
    }
    con_printf("Successfully loaded EOF file.\n\n");
    if (eof_has_start) return 2;
    con_printf("Warning: no end-of-file block found.\n");
    return 1;
}

void elektor_commit_eof() {
    for (const EofBlock& b : eof_blocks)
        load_put_bytes(b.address, b.data.data(), static_cast<u32>(b.data.size()));
    // An end block names where the program starts: the reset that follows branches there.
    if (eof_has_start) {
        game_start_address = eof_start;
        program_loaded = 1;
    }
    eof_blocks.clear();
}

int elektor_save_eof(const std::string& name, u32 first, u32 last, u32 start, u32 block_size) {
    // Made whole in memory and written through the shared replacement.
    std::string out;
    u8 block[262];
    u32 cur = first;
    do {
        u32 n = last - cur + 1 <= block_size ? last - cur + 1 : block_size;
        u32 end = cur + n - 1;
        if ((cur & 0x6000) != (end & 0x6000)) {
            end = (cur & 0x6000) | 0x1FFF;
            n = end - cur + 1;
        }
        block[0] = BLOCK_MARK;
        block[1] = 1;
        block[2] = static_cast<u8>(cur >> 8);
        block[3] = static_cast<u8>(cur & 0xFF);
        block[4] = static_cast<u8>(n);
        block[5] = eof_block_checksum(0, 4, block);
        std::memcpy(block + 6, guest_memory + cur, n);
        block[6 + n] = eof_block_checksum(6, static_cast<i32>(5 + n), block);
        out.append(reinterpret_cast<const char*>(block), 7 + n);
        cur += n;
    } while (cur <= last);
    block[0] = BLOCK_MARK;
    block[1] = 1;
    block[2] = static_cast<u8>(start >> 8);
    block[3] = static_cast<u8>(start & 0xFF);
    block[4] = 0;
    block[5] = eof_block_checksum(0, 4, block);
    out.append(reinterpret_cast<const char*>(block), 6);
    return objfile_write_file(name, out.data(), out.size()) ? 1 : 0;
}

static int save_object(const char* name, u32 first, u32 last, u32 start, u32 block_size) {
    return elektor_save_eof(name, first, last, start, block_size);
}
const ObjectFormat elektor_object_format = {".eof", 16, save_object};
