// Guest addresses and guest characters as text.
#include "debugger/debugger.h"

#include "core/emu.h"
#include "cpu/bus.h"
#include "cpu/optables.h"

#include <cstdio>

char dbg_format_address(u32 address, char* out, int, int, int, int plain) {
    out[0] = '\0';
    if (machine == PONG || machine == TYPERIGHT) // no processor, no addresses
        return 0;
    const u32 notation = dis_notation < NOTATIONS ? dis_notation : 0;
    if (address >= MEM_REG_BASE && address < MEM_REG_BASE + MEM_REG_COUNT) {
        std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "%s",
                      register_names[address - MEM_REG_BASE][notation]);
        return 0;
    }
    if (plain)
        std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "$%X", address);
    else
        std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "%s%X", dis_hex_prefix[notation], address);
    return 0;
}

static constexpr u8 NO_CHAR = 183; // middle dot

u8 dbg_guest_char_to_ascii(u8 code) {
    if (cpu_bus.guest_char) {
        const u8 c = cpu_bus.guest_char(code);
        return c ? c : NO_CHAR;
    }
    // A board without a character set of its own: printable ASCII only.
    return code >= 32 && code < 127 ? code : NO_CHAR;
}
