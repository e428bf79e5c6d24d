// The comments the debugger prints on a call into the PHUNSY monitor and its
// MDCR software (U bank 1).
#include "computers/phunsy.h"

#include "core/message.h"
#include "core/settings_vars.h"

namespace {

struct MonitorComment {
    u16 address;
    bool error; // an error entry: ";Error:" and the common block
    const char* name;
    const char* comments; // ";Comments: " lines, or nullptr
};

constexpr MonitorComment COMMENTS[] = {
    {0x0040, false, "Compare two byte value with TBSR", nullptr},
    {0x01B7, false, "Monitor main loop", "waits for a command line and runs it"},
    {0x03A8, false, "Write cassette", nullptr},
    {0x050E, false, "Set U-bank 1 and continue at MDCR software", nullptr},
    {0x18BE, true, "Cassette write protected", nullptr},
    {0x1ACA, false, "Read first block (= catalog)", nullptr},
    {0x1B77, false, "Find gap", nullptr},
    {0x1FF5, false, "Skip until semicolon", nullptr},
};

void error_entry() {
    con_printf(";Function: Error entry\n"
               ";Comments: R0 holds the error number; the monitor shows its message\n"
               ";Comments: and returns to the main loop\n");
}

} // namespace

void phunsy_rom_comment(u32 address) {
    if (phunsy_biosversion != 1) return;
    for (const MonitorComment& c : COMMENTS) {
        if (c.address != address) continue;
        con_printf(c.error ? ";Error:    %s\n" : ";Function: %s\n", c.name);
        if (c.comments) con_printf(";Comments: %s\n", c.comments);
        if (c.error) error_entry();
        return;
    }
}
