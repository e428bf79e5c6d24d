// Weak stand-ins for the input recording stream, the message output and the
// pause state; their owners replace them.
#include "cpu/seams.h"

#include "core/message.h"

#include <cstdarg>
#include <cstdio>

__attribute__((weak)) u32 g_recording_state = REC_IDLE;
__attribute__((weak)) u8 rec_read_byte() {
    return 0;
}
__attribute__((weak)) void rec_write_byte(u8) {}

__attribute__((weak)) void con_printf(int, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

// The pause state itself; emu_pause and the GUI pass come from the interpreter's
// stand-ins until the frame pacing and the main window exist.
__attribute__((weak)) bool emu_paused;
