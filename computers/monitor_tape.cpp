#include "computers/monitor_tape.h"

#include "core/message.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "platform/catalog.h"

const MonitorTapeTrace pipbug_tape_trace = {
    .start_bit = 0x0292,
    .bit_read = 0x029B,
    .char_read = 0x02A7,
    .start_char = 0x03B8,
    .file_loaded = 0x03D1,
    .byte_read = 0x03F0,
    .byte_written = 0x02D4,
    .start_written = 0x0334,
    .file_saved = 0x0358,
    .reg = 0,
};

namespace {
// "'A' ($41)"
const char* long_name(u8 value, char* out) {
    char name[8];
    std::snprintf(out, 24, "%s ($%02X)", cpu_byte_name(value, name), value);
    return out;
}
int position() {
    return static_cast<int>(tape_position);
}
} // namespace

void monitor_trace_load(const MonitorTapeTrace& t) {
    const u16 at = cpu_iar;
    const u8 r = cpu_regs[t.reg];
    char name[24];
    if (at == t.start_bit) {
        con_printf(cat_str(875, "Found start bit at tape position %d (%s).\n"), position(),
                   tape_position_text());
    } else if (at == t.bit_read) {
        if (cpu_psu & PSU_S)
            con_printf("Read %%1 (fast pulses) at tape position %d (%s).\n", position(),
                       tape_position_text());
        else
            con_printf("Read %%0 (slow pulses) at tape position %d (%s).\n", position(),
                       tape_position_text());
    } else if (at == t.char_read) {
        con_printf("Finished reading character %s at tape position %d (%s).\n", long_name(r, name),
                   position(), tape_position_text());
    } else if (at == t.start_char) {
        if (r == ':')
            con_printf(cat_str(877, "Found start character (':') at tape position %d (%s).\n"),
                       position(), tape_position_text());
        else
            con_printf(cat_str(878, "Searching for start character (':'), instead found %s at "
                                    "tape position %d (%s).\n"),
                       long_name(r, name), position(), tape_position_text());
    } else if (at == t.file_loaded) {
        con_printf(cat_str(876, "*** Finished loading file at tape position %d (%s).\n"),
                   position(), tape_position_text());
    } else if (at == t.byte_read) {
        con_printf(cat_str(496, "Read $%02X (%s) from tape position %d (%s).\n"), r,
                   cpu_byte_name(r, name), position(), tape_position_text());
    }
}

void monitor_trace_save(const MonitorTapeTrace& t) {
    const u16 at = cpu_iar;
    const u8 r = cpu_regs[t.reg];
    char name[8];
    if (at == t.byte_written)
        con_printf(cat_str(497, "Wrote $%02X (%s) to tape position %d (%s).\n"), r,
                   cpu_byte_name(r, name), position(), tape_position_text());
    else if (at == t.start_written)
        con_printf(cat_str(879, "Wrote start character ('%c') at tape position %d (%s).\n"), ':',
                   position(), tape_position_text());
    else if (at == t.file_saved)
        con_printf("%s", cat_str(874, "BIOS has finished saving to tape.\n"));
}
