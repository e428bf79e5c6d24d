// Stand-ins for the video-game machines' state and register describers used by
// the checked accessors, until the machines are written. The state is the
// machines' own (the PVI at $1F00, cleared RAMs); the real describers name
// each bit field of a video register, these show the value alone.
#include "cpu/seams.h"

#include "cpu/dbg_hooks.h"
#include "debugger/debugger.h"

#include <cstdio>

u32 pvi_base = 0x1F00;
u8 coinop_colour_ram[1024];
u8 coinop_palette_ram[16];
u8 coinop_effect_ram[512];
u8 coinop_effect_select;
u8 malzak_playfield[256];
i32 malzak_scroll;

// The value as a character.
void uvi_describe_bits(u8 value, u32) {
    std::snprintf(watch_annotation, sizeof watch_annotation, " ['%c']",
                  dbg_guest_char_to_ascii(value));
}

// The value in decimal.
void hw_format_register_bits(u8 value, u32) {
    std::snprintf(watch_annotation, sizeof watch_annotation, " [%d]", value);
}

// The real one names the Elektor BIOS routine at an address; this prints nothing.
void elektor_bios_notes(u32) {}
