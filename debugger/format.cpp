// Guest addresses and guest characters as text.
#include "debugger/debugger.h"

#include "core/emu.h"
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

// The CD2650 VDU character set: codes 0-31 and 64-95 are "@A..Z[ ]^_".
static u8 cd2650_char(u8 code) {
    code &= 127;
    static const char upper[] = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[ ]^_";
    static const char lower[] = "@abcdefghijklmnopqrstuvwxyz[ ]^_";
    if (code < 32) return static_cast<u8>(upper[code]);
    if (code < 64) return code;
    if (code < 96) return static_cast<u8>(upper[code - 64]);
    return static_cast<u8>(lower[code - 96]);
}

u8 dbg_guest_char_to_ascii(u8 code) {
    switch (machine) {
    case PIPBUG:
    case BINBUG:
    case TWIN:
    case PHUNSY:
    case SELBST:
        return (code >= 32 && code <= 127) || code >= 160 ? code : NO_CHAR;
    case CD2650:
        return cd2650_char(code);
    case MALZAK:
        return (code & 127) < 32 ? ' ' : code & 127;
    case INTERTON:
    case PONG:
    case MIKIT:
    case TYPERIGHT:
        return NO_CHAR;
    default: // machines with character sets of their own: printable ASCII only so far
        return code >= 32 && code < 127 ? code : NO_CHAR;
    }
}
