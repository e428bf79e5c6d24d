// The notes the debugger prints on a call into a Selbstbaucomputer monitor.
#include "computers/selbst.h"

#include "core/message.h"
#include "core/settings_vars.h"

namespace {

struct MonitorRoutine {
    u16 address;
    const char *function, *input, *returns, *registers;
};

// Monitor 2.0's jump table.
constexpr MonitorRoutine MONITOR_20[] = {
    {0x0014, "Keyboard input to R3", "-", "R3 = the character", "R0, R3"},
    {0x0016, "Blank to the display", "-", "-", "R0"},
    {0x0018, "Character in R3 to the display", "R3 = the character", "-", "R0"},
    {0x001A, "Two hex digits in", "keyboard", "R2 = the byte", "R0, R2, R3"},
    {0x001C, "R2 as two hex digits out", "R2 = the byte", "-", "R0, R3"},
    {0x0020, "R3 to cassette", "R3 = the byte", "-", "R0"},
    {0x0022, "Cassette to R3", "cassette", "R3 = the byte", "R0, R3"},
    {0x0024, "Hex digit from ASCII", "R3 = the character", "R3 = the digit", "R3"},
    {0x0026, "Address input", "keyboard", "R1, R2 = the address", "R0, R1, R2, R3"},
    {0x0028, "Control function in R0", "R0 = the display command", "-", "R0"},
    {0x002A, "Cursor home", "-", "-", "R0"},
    {0x002C, "Cursor left", "-", "-", "R0"},
    {0x002E, "Cursor right", "-", "-", "R0"},
    {0x0030, "Cursor up", "-", "-", "R0"},
    {0x0032, "Cursor down", "-", "-", "R0"},
    {0x0034, "Clear screen", "-", "-", "R0"},
};

} // namespace

void selbst_rom_comment(u32 address) {
    if (selbst_biosversion != 3) return;
    for (const MonitorRoutine& r : MONITOR_20) {
        if (r.address != address) continue;
        con_printf(";Function:           %s\n;Input:              %s\n;Return code:        %s\n"
                   ";Registers written:  %s\n;BIOS:               V2.0\n",
                   r.function, r.input, r.returns, r.registers);
        return;
    }
}
