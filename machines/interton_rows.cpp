// The Interton's rows: its own parts beside its set-up (paddle ranges, the
// tone's volume, controls layout, save-state tail) and the entry that names them.
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "machines/screen_source.h"
#include "machines/music_rows.h"
#include "machines/pvi_glyphs.h"
#include "machines/pvi_editor.h"
#include "machines/pvi_views.h"
#include "machines/console_rows.h"
#include "machines/interton.h"
#include "machines/pvi_consoles.h"
#include "sound/voice_update.h"
#include "machines/controls_rows.h"

namespace {

// Three games read a narrower paddle range.
void interton_paddle_range(i32 game) {
    const bool narrow = game >= 206 && game <= 208;
    machine_live[INTERTON].paddle_min = narrow ? 12 : 1;
    machine_live[INTERTON].paddle_centre = narrow ? 52 : 112;
    machine_live[INTERTON].paddle_max = narrow ? 88 : 225;
}

void interton_apply_row_after(const KnownGame& row) {
    darkenbg = row.option_word;
}

void interton_tail(u32) {
    console_state_tail();
}

i32 interton_controls_layout() {
    return bigcontrols_interton ? 17 : 16;
}

// The tone's volume from the sound register at $1E80.
u8 interton_tone_volume() {
    return snd_pvi_tone_volume(guest_memory[0x1E80]);
}

constexpr MachineOps OPS{
    .setup = interton_setup,
    .install_bus = interton_bus_install,
    .reset = interton_reset,
    .run_frame = pvi_run_frame,
    .map_image = interton_load_cartridge,
    .apply_row_after = interton_apply_row_after,
    .stub_game = 132,
    .paddle_range = interton_paddle_range,
    .serialise = interton_tail,
    .save_suffix = ".bin",
    .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
    .controls = &interton_controls,
    .guide_section = "interton",
    .sprites_help = "pvi-sprites",
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_console,
    .display_window = display_window_pvi,
    .reset_frame = display_reset_console,
    .blanking_areas = [] { return true; },
    .controls_layout = interton_controls_layout,
    .beam_marker = beam_marker_console,
    .describe_position = pvi_console_describe_position,
};

constexpr MusicKeyboard MUSIC{
    .play = pvi_console_music_play,
    .main_note = pvi_console_music_main_note,
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_pvi_console,
    .tone_volume = interton_tone_volume,
    .noise_latch_follows = [] { return true; },
    .music = &MUSIC,
};

constexpr MachineDebug DEBUG{
    .hooks = &interton_debug_hooks,
    .label_sets = {&console_label_rows, &pvi_label_rows},
    .interrupt_entry = [] { return i32{0x0003}; },
    .last_raster_line = console_last_raster_line,
    .debug_view = pvi_consoles_debug_view,
    .describe_register = pvi_consoles_describe,
    .draw_mode_changed = pvi_follow_draw_mode,
    .edit_key = pvi_edit_key,
    .edit_clamp = pvi_edit_clamp,
    .screen_source = interton_screen_source,
    .glyphs = &pvi_console_glyphs,
    .video_rows_first = 143,
    .video_rows_last = 187,
    .video_monitor = VideoMonitor::PVI_CONSOLE,
    .chip_coverage = [](ChipCoverage* out) { pvi_chip_coverage(out, true); },
};

} // namespace

extern const MachineEntry interton_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
