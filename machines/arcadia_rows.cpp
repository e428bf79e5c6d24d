// The Arcadia's rows: its own parts beside its chips (high scores, score
// digits, controls layout, visible window, sound, save-state tail) and the
// entry that names them.
#include "core/emu.h"
#include "core/gamesdb.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/savestate_fields.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "machines/arcadia.h"
#include "machines/arcadia_editor.h"
#include "machines/arcadia_views.h"
#include "machines/console_rows.h"
#include "machines/uvi2637.h"
#include "sound/voice_update.h"
#include "machines/controls_rows.h"

namespace {

int arcadia_hiscore_row() {
    if (known_game_id < 0 || known_game_id >= KNOWN_GAMES) return -1;
    const int slot = known_games_db[known_game_id].hiscore_slot;
    return slot >= 0 && slot < machine_table[ARCADIA].hiscore_rows ? slot : -1;
}

// The digit a screen character shows in a score (the UVI's characters $10-$19;
// the top two bits are the colour).
int arcadia_score_digit(u8 c) {
    return (c & 0x3F) - 0x10;
}

void arcadia_apply_row_after(const KnownGame& row) {
    if (row.variant != 2) emu_region = row.variant & 1;
    flagline = row.option_word;
    arcadia_take_row(row);
}

void arcadia_tail(u32) {
    state_field_u32_full(&uvi_line_slice);
    state_setting_byte(&emu_region, 1, "video standard");
    console_state_tail();
}

i32 arcadia_controls_layout() {
    return viewctrlsas_arcadia + (bigcontrols_arcadia ? 3 : 0);
}

DisplayWindow display_window_arcadia(i32 w, i32 h) {
    return display_console_window(55, w, h);
}

// The UVI's tone and noise.
void snd_voices_arcadia() {
    const u8 control = guest_memory[0x18FE];
    const u8 volume = control & 7;
    const u8 pitch = guest_memory[0x18FD] & 127;
    if (control & 0x08) snd_set_voice(0, volume, pitch);
    if (control & 0x10) snd_set_voice(9, volume, pitch);
}

// 13 rows of 16 characters (26 rows when the screen shows both halves).
static void arcadia_screen_text(std::string* out) {
    static const char set[] = " /\\#il_jwqasrtgf0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ.,+$zxcvbnmh";
    const bool both = (guest_memory[0x19F8] & 0x40) && (guest_memory[0x19F9] & 0x80);
    for (u32 half = 0; half < (both ? 2u : 1u); half++)
        for (u32 r = 0; r < 13; r++) {
            for (u32 c = 0; c < 16; c++)
                out->push_back(set[guest_memory[0x1800 + half * 0x200 + r * 16 + c] & 63]);
            out->push_back('\n');
        }
}

constexpr MachineOps OPS{
    .setup = arcadia_setup,
    .install_bus = arcadia_bus_install,
    .reset = arcadia_reset,
    .run_frame = arcadia_run_frame,
    .any_state_loaded = uvi_demux_forget,
    .map_image = arcadia_map_cartridge,
    .apply_row_after = arcadia_apply_row_after,
    .stub_game = 118,
    .serialise = arcadia_tail,
    .save_suffix = ".bin",
    .hiscore_row = arcadia_hiscore_row,
    .screen_text = arcadia_screen_text,
    .score_digit = arcadia_score_digit,
    .keypad_keys = [] { return KeypadKeys::ALL; },
    .controls = &arcadia_controls,
    .guide_section = "arcadia",
    .sprites_help = "arcadia-sprites",
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_console,
    .display_window = display_window_arcadia,
    .reset_frame = display_reset_console,
    .blanking_areas = [] { return true; },
    .controls_layout = arcadia_controls_layout,
    .beam_marker = beam_marker_console,
    .describe_position = arcadia_describe_position,
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_arcadia,
    .noise_latch_follows = [] { return true; },
};

constexpr MachineDebug DEBUG{
    .hooks = &arcadia_debug_hooks,
    .literal_codes = [] { return u32{64}; },
    .debug_view = arcadia_debug_view,
    .describe_register = arcadia_describe_uvi,
    // Bits 7 and 6 of a screen byte are its colour.
    .text_code = [](u8 c) { return static_cast<u8>(c & 63); },
    .text_letter = [](u8 c) { return c >= 26 && c <= 51; },
    .edit_key = arcadia_key_handler,
    .edit_clamp = arcadia_edit_clamp,
    .object_gap_start = 0x1000,
    .object_gap_end = 0x2000,
    .video_rows_first = 0,
    .video_rows_last = 112,
    .chip_coverage = arcadia_chip_coverage,
};

} // namespace

extern const MachineEntry arcadia_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
