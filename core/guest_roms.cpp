#include "core/guest_roms.h"

#include "core/helpers.h"
#include "core/machine_ops.h"
#include "core/message.h"
#include "core/serial.h"
#include "core/ui_host.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// What each image's last reading found: it is reported when that changes
// (missing or the wrong size at first, and each time it is mended or spoilt).
enum class RomFound : u8 { usable, missing, wrong_size };
static std::map<std::string, RomFound> last_found;
static std::string pending; // lines of the next report

static std::string roms_drawer() {
    return path_progdir() + "/roms";
}

bool guest_rom_read(const GuestRom& rom, u8* out) {
    const std::string drawer = roms_drawer();
    const bool longer_ok = rom.flags & GUEST_ROM_LONGER_OK;
    std::size_t length = 0;
    std::vector<u8> bytes;
    const int read = file_read_regular(drawer + "/" + rom.name, longer_ok ? 1u << 20 : rom.size,
                                       [&](std::size_t n) {
                                           length = n;
                                           bytes.resize(n);
                                           return bytes.data();
                                       });
    const bool usable = read == READ_OK && (length == rom.size || (longer_ok && length > rom.size));
    const bool missing = read == READ_UNAVAILABLE;
    const RomFound found = usable ? RomFound::usable : missing ? RomFound::missing : RomFound::wrong_size;
    const auto [seen, first] = last_found.try_emplace(rom.name, found);
    const bool changed = first ? found != RomFound::usable : seen->second != found;
    seen->second = found;
    if (usable) {
        std::memcpy(out, bytes.data(), rom.size);
        if (changed)
            con_printf("The ROM image \"%s\" in the drawer \"%s\" is used now.\n", rom.name,
                       drawer.c_str());
        return true;
    }
    if (!changed) return false;
    if (rom.flags & GUEST_ROM_OPTIONAL) {
        if (missing)
            con_printf("The optional ROM image \"%s\" (%u bytes) is missing from the drawer "
                       "\"%s\".\n",
                       rom.name, rom.size, drawer.c_str());
        else
            con_printf("The optional ROM image \"%s\" in the drawer \"%s\" has the wrong size: "
                       "it must be %u bytes. It was not used.\n",
                       rom.name, drawer.c_str(), rom.size);
        return false;
    }
    char line[300];
    std::snprintf(line, sizeof line, "\n  %s (%u bytes)%s", rom.name, rom.size,
                  missing ? "" : ": the file there has the wrong size");
    pending += line;
    return false;
}

void guest_roms_report() {
    if (pending.empty()) return;
    const std::string text = "These ROM images are missing from the drawer \"" + roms_drawer() +
                             "\" or cannot be used; the machine runs without them:" + pending;
    pending.clear();
    ui_warning(text.c_str());
}

void guest_roms_reset_warnings() {
    last_found.clear();
    pending.clear();
}

void guest_roms_seed_drawer() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path drawer = roms_drawer();
    if (fs::exists(drawer, ec)) return;
    if (!fs::create_directories(drawer, ec)) return;
    std::string text = "Brindlemox ships no guest firmware. Put the images you own here, under "
                       "these names and sizes;\na machine whose image is missing still starts, "
                       "with that area empty.\n\n";
    for (u32 m = 0; m < MACHINES; m++) {
        const MachineOps& ops = machine_ops(m);
        for (u32 i = 0; i < ops.rom_count; i++) {
            const GuestRom& rom = ops.roms[i];
            if (!rom.name) continue;
            char line[300];
            std::snprintf(line, sizeof line, "%-26s %6u bytes  %s%s\n", rom.name, rom.size,
                          rom.use, rom.flags & GUEST_ROM_OPTIONAL ? " (optional)" : "");
            text += line;
        }
    }
    file_write_replace((drawer / "README.txt").string(), text.data(), text.size(), nullptr, false);
}
