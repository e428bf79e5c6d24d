#include "core/guest_roms.h"

#include "core/helpers.h"
#include "core/ui_host.h"
#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

static std::set<std::string> warned;

bool guest_rom_read(const char* name, u8* out, u32 size) {
    const std::string drawer = path_progdir() + "/roms";
    std::size_t length = 0;
    std::vector<u8> bytes;
    const int read = file_read_regular(drawer + "/" + name, size, [&](std::size_t n) {
        length = n;
        bytes.resize(n);
        return bytes.data();
    });
    if (read == READ_OK && length == size) {
        std::memcpy(out, bytes.data(), size);
        return true;
    }
    if (warned.insert(name).second) {
        char text[700];
        if (read != READ_UNAVAILABLE)
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
