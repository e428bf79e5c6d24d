#include "computers/twin_mod.h"
#include "computers/twin.h"

#include "core/loader.h"
#include "core/machine_titles.h"
#include "core/message.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/serial.h"
#include "core/settings_vars.h"
#include "core/machine_table.h"
#include "cpu/cpu.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr u32 HEADER = 128, COMMANDS = 32;

const char* area_text(u8 area) {
    switch (area) {
    case 1: return "Master RAM $1500..$187F (1st overlay area)";
    case 2: return "Master RAM $1880..$1BFF (2nd overlay area)";
    case 3: return "Slave RAM";
    default: return "Master RAM";
    }
}

void describe_header(const u8* h) {
    con_printf(" Load address:  %s ($%02X%02X..$%02X%02X)\n Start address: $%02X%02X\n Identity:      \"",
               area_text(h[3]), h[4], h[5], h[6], h[7], h[8], h[9]);
    std::string identity;
    for (u32 i = 10; i < COMMANDS && h[i] != 13 && h[i] != 0; i++)
        identity.push_back(static_cast<char>(h[i]));
    con_printf("%s\"\n Load commands:\n", identity.c_str());
}

struct Pending {
    std::vector<ModBlock> blocks;
    u16 start = 0;
    bool parsed = false;
};
Pending pending;

// The address a MOD file starts at in the master's view.
u16 start_in_view(const u8* h) {
    const u32 start = static_cast<u32>((h[8] << 8) | h[9]);
    return static_cast<u16>((h[3] == 3 ? start + 0x4000 : start) & 0x7FFF);
}

} // namespace

int twin_mod_process(const u8* file, u32 length, bool describe, std::vector<ModBlock>* out) {
    if (length < 3 || std::memcmp(file, "MOD", 3) != 0) {
        con_printf("Invalid file header!\n\n");
        return 0;
    }
    if (length < HEADER) {
        con_printf("File is too short!\n\n");
        return 0;
    }
    if (describe) describe_header(file);
    u32 dest = static_cast<u32>((file[4] << 8) | file[5]);
    if (file[3] == 3) dest += 0x4000;
    u32 data = HEADER;
    u32 at = COMMANDS;
    while (at < HEADER) {
        const u8 b = file[at];
        switch (b & 6) {
        case 0: {
            if (at + 2 >= HEADER) break;
            const int bank = b >> 6;
            const u32 base = static_cast<u32>((file[at + 1] << 8) | file[at + 2]);
            if (describe)
                con_printf("  Set Base:  bank of %d, dest base addr of $%X (in master's view).\n", bank,
                           base);
            if (out && bank != 0) {
                con_printf("  Only bank 0 is currently supported!\n");
                return 0;
            }
            dest = base;
            at += 3;
            continue;
        }
        case 2: {
            if (at + 1 >= HEADER) break;
            const u32 sectors = ((b >> 3) & 31) + 32 * (b & 1) + 1;
            const u32 size = file[at + 1];
            if (describe) con_printf("  Read Data: %u sectors, each of %u bytes.\n", sectors, size);
            if (out) {
                const u32 bytes = sectors * size;
                if (data + bytes > length) {
                    con_printf("  Data runs past the end of the file!\n");
                    return 0;
                }
                if (dest + bytes > GUEST_MEMORY_SIZE) {
                    con_printf("  Data runs past the end of memory!\n");
                    return 0;
                }
                out->push_back({dest, std::vector<u8>(file + data, file + data + bytes)});
                data += bytes;
                dest += bytes;
            }
            at += 2;
            continue;
        }
        case 4:
            if (describe) con_printf("  Load End.\n");
            return 1;
        default:
            con_printf("  Unexpected value!\n");
            return 0;
        }
        break;
    }
    con_printf("  No Load End command found!\n");
    return 0;
}

int twin_parse_mod(u32 size) {
    pending = Pending{};
    if (!filebuf || size < HEADER) {
        con_printf("File is too short!\n\n");
        return 0;
    }
    if (!twin_mod_process(filebuf, size, verbose_log != 0, &pending.blocks)) return 0;
    pending.start = start_in_view(filebuf);
    pending.parsed = true;
    return 1;
}

void twin_commit_mod() {
    if (!pending.parsed) return;
    twin_switch_to_master();
    // An empty block has no bytes to copy (and no buffer behind them).
    for (const ModBlock& b : pending.blocks)
        load_put_bytes(b.address, b.bytes.data(), static_cast<u32>(b.bytes.size()));
    game_start_address = pending.start;
    load_start_known = 1;
    pending = Pending{};
}

int twin_save_mod(const char* name, u32 first, u32 last, u32 start) {
    const std::string file = twin_mod_data(first, last, start);
    return !file.empty() && objfile_write_file(name, file.data(), file.size()) ? 1 : 0;
}

std::string twin_mod_data(u32 first, u32 last, u32 start) {
    if (first > last || last >= GUEST_MEMORY_SIZE) return {};
    const u32 length = last - first + 1;
    if ((first & 0x6000) != (last & 0x6000))
        con_printf("Start and end address must currently be on same page!\n");
    const u32 sectors = length / 128, rest = length % 128;
    if (length > 8191) {
        con_printf("MOD generation is currently limited to <= 8K!\n");
        // One Read Data command carries 64 sectors at most.
        if (sectors > 64) return {};
    }
    const bool slave = twin_slave_active != 0;
    twin_switch_to_master();
    std::string file(HEADER, '\0');
    std::memcpy(file.data(), "MOD", 3);
    const u8 area = first >= 0x1500 && first <= 0x187F   ? 1
                    : first >= 0x1880 && first <= 0x1BFF ? 2
                    : first > 0x3FFF                     ? 3
                                                         : 0;
    file[3] = area;
    const u32 shift = area == 3 ? 0x4000 : 0;
    const u32 fields[3] = {first - shift, last - shift, start - shift};
    for (int i = 0; i < 3; i++) {
        file[4 + 2 * i] = static_cast<u8>(fields[i] >> 8);
        file[5 + 2 * i] = static_cast<u8>(fields[i]);
    }
    const char* title = machine_title(TWIN);
    u32 at = 10;
    for (const char* p = title; *p && at < COMMANDS - 1; p++)
        file[at++] = static_cast<u8>(*p);
    file[at] = 13;
    at = COMMANDS;
    file[at++] = 0; // Set Base, bank 0
    file[at++] = static_cast<u8>(first >> 8);
    file[at++] = static_cast<u8>(first);
    auto read_data = [&](u32 count, u32 size) {
        const u32 n = count - 1;
        file[at++] = static_cast<u8>(((n * 8) & 0xF8) + ((n & 0x20) ? 1 : 0) + 2);
        file[at++] = static_cast<u8>(size);
    };
    if (sectors >= 1) read_data(sectors, 128);
    if (rest > 0) read_data(1, rest);
    file[at] = 4; // Load End
    file.append(reinterpret_cast<const char*>(guest_memory) + first, last - first + 1);
    if (slave) twin_switch_to_slave();
    return file;
}
