// The ball-and-paddle consoles' rows: their visible window and fixed frame
// areas beside the game itself (machines/pong.cpp), and the entry that names them.
#include "core/machine_debug.h"
#include <cstdio>
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"
#include "core/settings_vars.h"
#include "display/pointer_text.h"
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

// The broadcast bands of the chips' frame: the colour burst and porches
// around the playfield, the sync at the end of each line and of the frame.
ColumnBand pong_column_band(int x) {
    const int l2 = 2 * pong_field_left, r2 = 2 * pong_field_right + 1;
    if (x <= 13) return PORCH;
    if (x <= 33) return colourset != 2 ? BURST : PORCH;
    if (x < l2) return PORCH;
    if (x <= r2) return ACTIVE;
    if (x <= 237) return PORCH;
    return HSYNC;
}

RowBand pong_row_band(int y) {
    const bool fifty = emu_region == 1;
    const int active0 = fifty ? 44 : 42, active1 = fifty ? 275 : 233;
    if (y < active0) return VBLANK;
    if (y <= active1) return ACTIVE_LINE;
    return y < (fifty ? 306 : 258) ? VBLANK : VSYNC;
}

void display_reset_pong(i32 w, i32 h) {
    display_fill_area(0, w - 1, 0, h - 1, 8);
    if (!blankingareas) return;
    display_paint_bands(w, h, pong_column_band, [](int, int y) { return pong_row_band(y); });
}

// With the blanking areas shown, the pointer text names the band: a porch
// after the sync (the line's or the frame's start) is the back porch, one
// before it the front porch.
void pong_describe_position(i32 x, i32 y, int, std::string* out) {
    display_position_prefix(x, y, x, out);
    if (!blankingareas) return;
    const bool line_start = x < 2 * pong_field_left;
    switch (pong_column_band(x)) {
    case HSYNC:
        *out += ". Horizontal retrace";
        break;
    case BURST:
        *out += ". Horizontal back porch (colour burst)";
        break;
    case PORCH:
        *out += line_start ? ". Horizontal back porch" : ". Horizontal front porch";
        break;
    case ACTIVE:
        break;
    }
    const bool frame_start = y < (emu_region == 1 ? 44 : 42);
    switch (pong_row_band(y)) {
    case VSYNC:
        *out += ". Vertical retrace";
        break;
    case VBLANK:
        *out += frame_start ? ". Vertical back porch" : ". Vertical front porch";
        break;
    case ACTIVE_LINE:
        break;
    }
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
    // Version 33 states lack whose turn it is, the hidden target's count and
    // the sounding tone.
    .old_states_first = 33,
    .old_states_last = 33,
    .save_suffix = ".bin",
    .game_file_name = pong_game_file_name,
    .hiscore_row = pong_hiscore_row,
    .game_text = pong_game_text,
    .status_name = pong_game_name,
    .screen_text = pong_screen_text,
    .program_kind = "Microcode",
    .own_score = pong_own_score,
    .keypad_keys = [] { return KeypadKeys::BATS; },
    .controls = &pong_controls,
    .dips = [] { return DipWindow::PONG; },
    // Both guides open the machine's section of the help document: without a
    // processor there is nothing to code, and it says so.
    .guide_section = "pong",
    .dips_help = "pong-dips",
};

constexpr MachineView VIEW{
    .display_geometry = pong_display_geometry,
    .display_window = display_window_pong,
    .reset_frame = display_reset_pong,
    .blanking_areas = [] { return true; },
    .controls_layout = pong_controls_layout,
    .describe_position = pong_describe_position,
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
    .video_monitor = VideoMonitor::PADDLES,
    .paddle_bats_near = true,
};

} // namespace

extern const MachineEntry pong_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
