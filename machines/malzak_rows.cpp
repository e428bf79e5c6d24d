// The Malzak boards' rows: their own parts beside the boards (high-score
// tables, score digits, the file a new game is saved under, the non-volatile
// RAM saved when the machine is left, save-state tail) and the entry that
// names them.
#include "core/emu.h"
#include "core/guest_roms.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"
#include "core/savestate.h"
#include "core/savestate_fields.h"
#include "machines/music_rows.h"
#include "machines/pvi_glyphs.h"
#include "machines/coinop_editor.h"
#include "machines/coinop_views.h"
#include "machines/pvi_consoles.h"
#include "machines/coinop.h"
#include "machines/coinop_inputs.h"
#include "machines/coinop_rows.h"
#include "machines/coinop_video.h"
#include "machines/malzak.h"
#include "machines/controls_rows.h"

namespace {

// The high-score table of the map's game, -1 for none.
int malzak_hiscore_row() {
    return memmap == MAP_MALZAK_1 ? 56 : memmap == MAP_MALZAK_2 ? 57 : -1;
}

// The digit a screen character shows in a score (ASCII digits).
int malzak_score_digit(u8 c) {
    return c - '0';
}

const char* malzak_game_file_name(u32 map) {
    return map == MAP_MALZAK_1 ? "Malzak1.cos" : map == MAP_MALZAK_2 ? "Malzak2.cos" : "";
}

void malzak_tail(u32 map) {
    coinop_save_inputs();
    state_field_memory(0x1000, 0x1FFF);
    state_field_bytes(malzak_playfield, sizeof malzak_playfield);
    // The video registers: both scroll latches, the ROM bank, the collision flag.
    state_latch_byte_of(&malzak_scroll, 255, "horizontal scroll");
    state_latch_byte_of(&malzak_v_scroll, 255, "vertical scroll");
    state_latch_byte_of(&malzak_bank_a, 1, "ROM bank");
    state_latch_byte_of(&malzak_collision_flag, 255, "collision flag");
    if (state_applying() && map == 27) malzak_switch_rom_bank(1);
}

// Malzak 2's RAM into its file; the memory is then no longer the board's.
void malzak_leave() {
    malzak_save_nvram();
    malzak_nvram_live = false;
}

// A recording played back brings the RAM of the board it was made on: its
// high scores and test switch are not the user's, so the file keeps the
// user's until the next set-up reads it again (as a playback raises no high
// score).
void malzak_state_loaded() {
    if (state_committed_recording) malzak_nvram_live = false;
}

constexpr MachineOps OPS{
    .setup = malzak_setup,
    .install_bus = malzak_bus_install,
    .run_frame = coinop_run_frame,
    .frame_ended = coinop_frame_ended,
    .leave = malzak_leave,
    .roms = malzak_roms,
    .rom_count = 4,
    .port_read = malzak_io_read,
    .port_write = malzak_io_write,
    .any_reset = coinop_clear_latches,
    .serialise = malzak_tail,
    .before_state_save = malzak_state_saving,
    .after_state_load = malzak_state_loaded,
    .save_suffix = ".bin",
    .game_file_name = malzak_game_file_name,
    .hiscore_row = malzak_hiscore_row,
    .screen_text = [](std::string* out) { coinop_screen_text(out, 24, 64, false, true); },
    .program_kind = "Machine code",
    .score_digit = malzak_score_digit,
    .keypad_keys = [] { return KeypadKeys::NO_EXTRAS; },
    .controls = &malzak_controls,
    .dips = [] { return memmap == MAP_MALZAK_2 ? DipWindow::MALZAK2 : DipWindow::NONE; },
    .self_test = [] { return true; },
    .guide_section = "coin-op-boards",
    .dips_help = "malzak2-dips",
    .sprites_help = "pvi-sprites",
};

constexpr MachineView VIEW{
    .beam_marker = beam_marker_coinop,
    .describe_position = malzak_describe_position,
};

constexpr MusicKeyboard MUSIC{
    .play = pvi_music_play,
    .main_note = pvi_music_main_note,
};

constexpr MachineSound SOUND{
    .music = &MUSIC,
};

// The objects, their colour fields read through the board's colour map (its
// own inverse).
constexpr u8 COLOUR_MAP[8] = {0, 7, 2, 3, 4, 5, 6, 1};

const u8* colour_map() {
    return COLOUR_MAP;
}


constexpr MachineDebug DEBUG{
    .hooks = &malzak_debug_hooks,
    .label_sets = {&pvi_label_rows},
    .interrupt_entry = [] { return i32{0x0003}; },
    .last_raster_line = [] { return COINOP_LINES - 1; },
    .debug_view = malzak_debug_view,
    .describe_register = malzak_describe,
    .text_code = debug_seven_bits,
    .text_letter = debug_ascii_letter,
    .draw_mode_changed = pvi_follow_draw_mode,
    // The board opens no program file of its own but Intel HEX, which every
    // machine opens at its addresses.
    .object_suffix = ".hex",
    .glyphs = &pvi_board_glyphs<colour_map, colour_map>,
    .chip_coverage = [](ChipCoverage* out) { pvi_chip_coverage(out, false); },
};

} // namespace

extern const MachineEntry malzak_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
