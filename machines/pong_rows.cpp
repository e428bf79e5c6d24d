// The ball-and-paddle consoles' rows: their visible window and fixed frame
// areas beside the game itself (machines/pong.cpp), and the entry that names them.
#include "core/machine_debug.h"
#include <cstdio>
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"
#include "core/settings_vars.h"
#include "display/bands.h"
#include "display/frame.h"
#include "machines/music_rows.h"
#include "machines/no_processor.h"
#include "machines/pong.h"
#include "machines/controls_rows.h"

namespace {

using enum ColumnBand;
using enum RowBand;

DisplayWindow display_window_pong(i32 w, i32 h) {
    if (blankingareas) return {0, 0, w - 1, h - 1};
    return {27, emu_region == 1 ? 44 : 42, w - 1, h - 1};
}

void display_reset_pong(i32 w, i32 h) {
    display_fill_area(0, w - 1, 0, h - 1, 8);
    if (!blankingareas) return;
    const int l2 = 2 * pong_field_left, r2 = 2 * pong_field_right + 1;
    const bool burst = colourset != 2;
    const bool fifty = emu_region == 1;
    display_paint_bands(
        w, h,
        [=](int x) {
            if (x <= 13) return PORCH;
            if (x <= 33) return burst ? BURST : PORCH;
            if (x < l2) return PORCH;
            if (x <= r2) return ACTIVE;
            if (x <= 237) return PORCH;
            return HSYNC;
        },
        [=](int, int y) {
            const int active0 = fifty ? 44 : 42, active1 = fifty ? 275 : 233;
            const int sync0 = fifty ? 306 : 258;
            if (y < active0) return VBLANK;
            if (y <= active1) return ACTIVE_LINE;
            if (y < sync0) return VBLANK;
            return VSYNC;
        });
}

static void pong_screen_text(std::string* out) {
    char text[16];
    std::snprintf(text, sizeof text, "%2d %2d", static_cast<int>(pong_score[0]),
                  static_cast<int>(pong_score[1]));
    *out += text;
}

constexpr MachineOps OPS{
    .setup = pong_machine_init,
    .reset = pong_reset,
    .run_frame = pong_run_frame,
    .serialise = pong_save_state,
    .save_suffix = ".bin",
    .game_file_name = pong_game_file_name,
    .hiscore_row = pong_hiscore_row,
    .game_text = pong_game_text,
    .screen_text = pong_screen_text,
    .program_kind = "Microcode",
    .own_score = pong_own_score,
    .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
    .controls = &pong_controls,
    .dips_help = "pong-dips",
};

constexpr MachineView VIEW{
    .display_geometry = pong_display_geometry,
    .display_window = display_window_pong,
    .reset_frame = display_reset_pong,
    .blanking_areas = [] { return true; },
    .controls_layout = pong_controls_layout,
};

constexpr MusicKeyboard MUSIC{
    .main_note = tone_hz_music_main_note,
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_tone_hz,
    .tone_frequency = snd_tone_hz,
    .music = &MUSIC,
};

constexpr MachineDebug DEBUG{
    .hooks = &pong_debug_hooks,
};

} // namespace

extern const MachineEntry pong_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
