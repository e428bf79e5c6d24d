#include "core/roms.h"

#include "core/message.h"
#include "core/serial.h"
#include "platform/paths.h"

#include <cstring>
#include <set>
#include <string>

static std::set<std::string> warned;

void rom_reset_warnings() {
    warned.clear();
}

bool rom_read(const char* name, u8* dest, std::size_t size) {
    std::string data;
    const std::string host = path_to_host(std::string("PROGDIR:roms/") + name);
    const bool ok = file_read_whole(host, &data, 1u << 20) && data.size() >= size;
    if (!ok) {
        if (warned.insert(name).second)
            con_printf("Warning: the ROM image \"%s\" (%zu bytes) is missing from the drawer "
                       "\"PROGDIR:roms\"; that area stays empty.\n",
                       name, size);
        return false;
    }
    std::memcpy(dest, data.data(), size);
    return true;
}
