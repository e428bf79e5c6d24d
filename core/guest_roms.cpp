#include "core/guest_roms.h"

#include "core/ui_host.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

static std::set<std::string> warned;

bool guest_rom_read(const char* name, u8* out, u32 size) {
    const std::string drawer = path_progdir() + "/roms";
    std::ifstream file(drawer + "/" + name, std::ios::binary);
    std::vector<char> bytes(size + 1);
    if (file) file.read(bytes.data(), size + 1);
    if (file.gcount() == static_cast<std::streamsize>(size)) {
        std::memcpy(out, bytes.data(), size);
        return true;
    }
    if (warned.insert(name).second) {
        char text[700];
        if (file.is_open())
            std::snprintf(text, sizeof text,
                          "The ROM image \"%s\" in the drawer \"%s\" has the wrong size: it must "
                          "be %u bytes. It was not used.",
                          name, drawer.c_str(), size);
        else
            std::snprintf(text, sizeof text,
                          "The ROM image \"%s\" (%u bytes) is missing from the drawer \"%s\".",
                          name, size, drawer.c_str());
        ui_warning(text);
    }
    return false;
}

void guest_roms_reset_warnings() {
    warned.clear();
}
