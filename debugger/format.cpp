// Guest characters as text.
#include "debugger/debugger.h"

#include "core/emu.h"
#include "cpu/dbg_hooks.h"
#include "debugger/literals.h"

// Machines with a character set of their own show it; the others ask the board.
u8 dbg_guest_char_to_ascii(u8 code) {
    u8 shown;
    if (num_guest_table_char(code, &shown)) return shown;
    return cpu_guest_char(code);
}
