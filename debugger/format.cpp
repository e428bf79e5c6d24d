// Guest addresses and characters as text.
#include "debugger/debugger.h"

#include <cstdio>

char dbg_format_address(u32 address, char* out, int, int, int, int) {
    std::snprintf(out, DBG_ADDRESS_TEXT_SIZE, "$%X", address);
    return 0;
}

u8 dbg_guest_char_to_ascii(u8 code) { return code >= 32 && code < 127 ? code : 183; }
