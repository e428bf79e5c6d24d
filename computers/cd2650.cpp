#include "computers/cd2650.h"

#include "computers/pipbug.h"
#include "computers/pipbug_vdu.h"
#include "core/settings_vars.h"
#include "cpu/dbg_hooks.h"
#include "machines/seams.h"
#include "peripherals/device_link.h"

// The VDU character set: codes 0-31 and 64-95 are "@A..Z[ ]^_".
static u8 vdu_char(u8 code) {
    code &= 127;
    static const char upper[] = "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[ ]^_";
    static const char lower[] = "@abcdefghijklmnopqrstuvwxyz[ ]^_";
    if (code < 32) return static_cast<u8>(upper[code]);
    if (code < 64) return code;
    if (code < 96) return static_cast<u8>(upper[code - 64]);
    return static_cast<u8>(lower[code - 96]);
}

// The P1 DOS without a BIOS is called through vectors in RAM.
static bool calls_through_vectors() {
    return cd2650_dosversion == 1 && cd2650_biosversion == 0;
}

// A printer on unit 0; no papertape unit.
static constexpr DeviceLink DEVICES = {
    .printer_units = 1, .line_printer = false, .papertape_units = 0, .glyph = font5x7_glyph};

static constexpr CpuDebugHooks cd2650_debug_hooks{
    .char_style = ascii_chars,
    .guest_char = vdu_char,
    .calls_through_vectors = calls_through_vectors,
    .bios_notes = cd2650_bios_notes,
    .vector_notes = cd2650_dos_call_notes,
    .wide_clock_column = true,
};

void cd2650_bus_install() {
    device_link = DEVICES;
    cpu_debug_hooks = &cd2650_debug_hooks;
}

bool cd2650_lowercase_input() {
    return cd2650_biosversion == 0;
}
bool cd2650_six_bit_keys() {
    return cd2650_biosversion == 0;
}

int cd2650_paste_char(u8 c, u8* out) {
    out[0] = c >= 'a' && c <= 'z' ? static_cast<u8>(c - 0x60) : c;
    out[1] = 0xFF;
    return 2;
}
