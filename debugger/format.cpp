// Guest addresses and guest characters as text.
#include "debugger/debugger.h"

#include "core/emu.h"
#include "cpu/dbg_hooks.h"
#include "debugger/literals.h"

char dbg_format_address(u32 address, char* out, int, int, int, int plain) {
    out[0] = '\0';
    if (machine == PONG || machine == TYPERIGHT) // no processor, no addresses
        return 0;
    cpu_format_address_plain(address, out, plain);
    return 0;
}

// Machines with a character set of their own show it; the others ask the board.
u8 dbg_guest_char_to_ascii(u8 code) {
    u8 shown;
    if (num_guest_table_char(code, &shown)) return shown;
    return cpu_guest_char(code);
}
