#include "machines/console_rows.h"

#include "core/machine_table.h"
#include "core/savestate_fields.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/bands.h"
#include "display/frame.h"
#include "sound/effects.h"
#include "sound/sound_latches.h"
#include "sound/sound_output.h"
#include "sound/voice_update.h"

namespace {
constexpr int EFFECT_EXPLODE = 0;
constexpr int EFFECT_CLICK = 5;
// Noise burst: bit 4 of $1E80 held this long or less clicks, longer explodes.
constexpr u32 CLICK_CLOCKS = 7499;
// Volume of the PVI sound register's bits 7-6 for the noise voice.
constexpr u8 NOISE_LEVELS[4] = {15, 12, 8, 4};

void copy_picture(const u8* p, int row, int c0, int c1) {
    for (int c = c0; c <= c1; c++)
        guest_frame[c * GUEST_FRAME_ROWS + row] = p[row * BLANKING_CLOCKS + c];
}
} // namespace

void display_geometry_console(MachineLive& row, bool) {
    const bool fifty = emu_region == 1;
    row.width = blankingareas ? 228 : 164;
    if (blankingareas)
        row.height = fifty ? 312 : 262;
    else
        row.height = fifty ? 269 : 226;
}

DisplayWindow display_console_window(i32 left, i32 w, i32 h) {
    if (blankingareas) return {0, 0, w - 1, h - 1};
    const i32 top = display_top_skip + first_visible_line;
    return {left, top, w + left - 1, top + h - 1};
}

DisplayWindow display_window_pvi(i32 w, i32 h) {
    return display_console_window(60, w, h);
}

void display_reset_console(i32 w, i32 h) {
    display_fill_area(0, w - 1, 0, h - 1, 8);
    if (!blankingareas) return;
    const bool fifty = emu_region == 1;
    const u8* p = fifty ? blanking_picture_50 : blanking_picture_60;
    const int last_blank = fifty ? 42 : 19, lines = fifty ? 312 : 262;
    copy_picture(p, 0, 6, 226);
    for (int l = 1; l <= last_blank; l++)
        copy_picture(p, l, 0, 226);
    copy_picture(p, last_blank + 1, 0, 48);
    for (int l = last_blank + 2; l < lines && l < h; l++)
        copy_picture(p, l, 6, 48);
}

i32 console_last_raster_line() {
    return lines_per_frame - 1;
}

bool beam_marker_console(i32 clock, i32 line, bool, BeamLine* out) {
    const i32 lines = lines_per_frame > 0 ? lines_per_frame : 262;
    const i32 x = clock % 227, y = line % lines;
    *out = {138, first_visible_line + 134, x, y, x, y};
    return true;
}

void snd_voices_pvi_console() {
    const u8 reg = guest_memory[0x1E80];
    SoundEffectLatch& latch = snd_effect_latch;
    if (latch.triggered && !(reg & 0x10)) {
        latch.triggered = 0;
        if (cpu_cycles - latch.set_cycle <= CLICK_CLOCKS) {
            snd_voice_stop(SND_FIRST_EFFECT + EFFECT_EXPLODE);
            snd_play_effect(EFFECT_CLICK);
        } else {
            snd_play_effect(EFFECT_EXPLODE);
        }
    }
    if (!latch.triggered && (reg & 0x10)) {
        latch.triggered = 1;
        latch.set_cycle = cpu_cycles;
    }
    const u32 base = static_cast<u32>(machine_desc().first_pvi_base);
    const u8 pitch = guest_memory[(base + 0xC7) & (GUEST_MEMORY_SIZE - 1)];
    if ((reg & 0x08) && pitch) snd_set_voice(9, NOISE_LEVELS[reg >> 6], pitch);
}

void console_state_tail() {
    state_field_u32_full(&loaded_image_size);
    state_field_memory(0x0000, 0x7FFF);
    state_beam_clock_field(INTERTON);
    state_line_length_field(INTERTON);
}
