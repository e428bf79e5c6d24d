// The notes the debugger prints on a call into the Instructor 50's monitor.
#include "computers/instructor.h"

#include "core/message.h"
#include "cpu/cpu.h"

namespace {

struct MonitorRoutine {
    u16 address;
    const char* name;  // the first line
    const char* notes; // further lines, each ending in a line end
};

constexpr MonitorRoutine ROUTINES[] = {
    {0x1800, "Save all registers upon entry to program",
     ";Notes:              entered by the MON key, WRTC and the breakpoints\n"},
    {0x182E, "Program entry routine", ";Subroutines called: $1800\n"},
    {0x1847, "Keyboard monitor routine",
     ";Notes:              waits for a command key and runs its command\n"},
    {0x18B4, "Single step routines", ";Notes:              runs one instruction of the program\n"},
    {0x197A, "Breakpoint and single step runtime code", nullptr},
    {0x1A08, "Patch memory routine", nullptr},
    {0x1A0C, "Display and alter memory routine", nullptr},
    {0x1A76, "Split a byte into two digits", nullptr},
    {0x1A7E, "Display and alter registers command", nullptr},
    {0x1B04, "Get numeric parameters", nullptr},
    {0x1BAC, "Read cassette command", ";Subroutines called: $1EF6, $1F0A\n"},
    {0x1C8B, "Write cassette command", ";Subroutines called: $1EBA\n"},
    {0x1D61, "Set or clear breakpoint", nullptr},
    {0x1DB6, "Move 8 bytes of data pointed to in R1 and R2 to DISBUF",
     ";Registers used:     R0, R1, R2, R3\n;Notes:              DISBUF is $17D1..$17D8\n"},
    {0x1DC7, "Keyboard scan and display routine",
     ";Notes:              multiplexes the digits through ports $F9 and $FA\n"},
    {0x1E13, "Display a message", nullptr},
    {0x1E59, "Goto routine", ";Subroutines called: $1E77\n"},
    {0x1E77, "Restore registers before going to user program", nullptr},
    {0x1EA9, "Subroutine to save R1/R4, R2/R5, R3/R6", nullptr},
    {0x1EB3, "Subroutine to restore R1/R4, R2/R5, R3/R6", nullptr},
    {0x1EBA, "Write one byte to the cassette in SIMCA format", ";Registers used:     R0\n"},
    {0x1EF6, "Read one byte from the cassette in SIMCA format", ";Registers used:     R0\n"},
    {0x1F0A, "Subroutine to get the next bit from cassette", nullptr},
    {0x1F32, "Subroutine to test cassette reads", nullptr},
    {0x1FD5, "Display a message and wait", nullptr},
};

const char* mode_meaning(u8 mode) {
    switch (mode) {
    case 0:
        return "wait for key with unlit dot";
    case 1:
        return "flash once";
    case 128:
        return "wait for key with lit dot";
    default:
        return "illegal!";
    }
}

// The register bank in use: R1-R3, or R4-R6 with PSL bit 4.
u8 bank_register(int n) {
    return cpu_regs[(cpu_psl & 0x10) ? n + 3 : n];
}

void message_lines() {
    const u8 mode = cpu_regs[0];
    const u16 at = static_cast<u16>(((bank_register(1) & 0x7F) << 8) | bank_register(2));
    char shown[9];
    for (int i = 0; i < 8; i++) {
        const u8 c = instructor_display_char(guest_memory[(at + i) & (GUEST_MEMORY_SIZE - 1)]);
        shown[i] = c ? static_cast<char>(c) : '?';
    }
    shown[8] = 0;
    con_printf(";Mode:               $%02X (%s)\n", mode, mode_meaning(mode));
    con_printf(";Message address:    $%04X\n;Message contents:   \"%s\"\n", at, shown);
    con_printf(";Registers used:     R0 (mode), R1/R2 or R4/R5 (message address)\n");
}

} // namespace

void instructor_monitor_notes(u32 address) {
    for (const MonitorRoutine& r : ROUTINES) {
        if (r.address != address) continue;
        con_printf(";Long name:          %s\n", r.name);
        if (address == 0x1A76) con_printf(";Byte to split:      $%02X\n", cpu_regs[0]);
        if (address == 0x1E13 || address == 0x1FD5) message_lines();
        if (r.notes) con_printf("%s", r.notes);
        return;
    }
}
