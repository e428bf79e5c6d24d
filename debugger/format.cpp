// Guest characters as text.
#include "debugger/debugger.h"

#include "cpu/dbg_hooks.h"

// The board's own conversion, the one the tracer and the disassembler use.
u8 dbg_guest_char_to_ascii(u8 code) {
    return cpu_guest_char(code);
}
