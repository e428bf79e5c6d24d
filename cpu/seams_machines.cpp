// Weak stand-ins for the video-game machines' services used by the checked
// accessors; the machines' own definitions replace them.
#include "cpu/seams.h"

#include "cpu/dbg_hooks.h"
#include "debugger/debugger.h"

#include <cstdio>

__attribute__((weak)) i32 raster_line;
__attribute__((weak)) u32 pvi_base = 0x1F00;
__attribute__((weak)) u8 coinop_colour_ram[1024];
__attribute__((weak)) u8 coinop_palette_ram[16];
__attribute__((weak)) u8 coinop_effect_ram[512];
__attribute__((weak)) u8 coinop_effect_select;
__attribute__((weak)) u8 malzak_playfield[256];
__attribute__((weak)) i32 malzak_scroll;

// No register layouts yet: the value as a character.
__attribute__((weak)) void uvi_describe_bits(u8 value, u32) {
    std::snprintf(watch_annotation, sizeof watch_annotation, " ['%c']",
                  dbg_guest_char_to_ascii(value));
}

__attribute__((weak)) void hw_format_register_bits(u8 value, u32) {
    std::snprintf(watch_annotation, sizeof watch_annotation, " [%d]", value);
}

__attribute__((weak)) void elektor_bios_notes(u32) {}
