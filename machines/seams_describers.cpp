// Stand-ins for the video-game machines' register describers until the
// machines' video chips are written: the real describers name each bit field
// of a video register, these show the value alone.
#include "machines/seams.h"

#include "cpu/dbg_hooks.h"

#include <cstdio>

// The value as a character.
void uvi_describe_bits(u8 value, u32) {
    char shown[3];
    std::snprintf(watch_annotation, sizeof watch_annotation, " ['%s']",
                  cpu_guest_char_text(value, shown));
}
