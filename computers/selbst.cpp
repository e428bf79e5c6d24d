// The Selbstbaucomputer and the MIKIT: how their text and monitor routines are
// shown, their LED digits and panels, and their rows.
#include "computers/computer_views.h"
#include "computers/selbst.h"
#include "computers/monitor_tape.h"
#include "computers/screen_texts.h"

#include "computers/note_pitches.h"
#include "computers/pipbug.h"
#include "computers/terminal_rows.h"
#include "core/gamesdb.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/savestate.h"
#include "core/savestate_fields.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "cpu/dbg_hooks.h"
#include "cpu/memory.h"
#include "display/bands.h"
#include "display/controls_panel.h"
#include "display/frame.h"
#include "display/led.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include "sound/voice_update.h"
#include "computers/controls_rows.h"
#include "computers/trainer_boards.h"
#include "core/user_prefs.h"

namespace {

CpuCharStyle selbst_char_style() {
    return selbst_biosversion == 3 ? CHARS_ASCII : CHARS_GUEST;
}

constexpr CpuDebugHooks selbst_debug_hooks{
    .char_style = selbst_char_style,
    .guest_char = serial_guest_char,
    .bios_notes = selbst_rom_comment,
};

} // namespace

u32 selbst_listing_note_key(u32 address) {
    return (guest_memory[address] << 8) | guest_memory[page_add(static_cast<u16>(address), 1)];
}

bool selbst_typed_keyboard() {
    return selbst_biosversion == 3;
}

LedDigitPlace selbst_led_digit_place(int digit) {
    return {21 * digit + 195, 136, 0};
}

// ---- The Selbstbaucomputer's rows ----

namespace {

void selbst_apply_row_before(const KnownGame& row) {
    selbst_biosversion = row.variant;
}

void selbst_apply_row_after(const KnownGame& row) {
    selbst_set_clock(row.option_word == 0);
}

void selbst_tail(u32) {
    state_field_memory(0x0800, 0x1FFF);
    // Rows 0-15 of the screen, 64 columns each, row by row (vdu_text is column-major).
    for (int row = 0; row < 16; row++)
        for (int col = 0; col < 64; col++)
            state_field_u8(&vdu_text[col * VDU_ROWS + row]);
    const u32 version = state_monitor_field(&selbst_biosversion, 3,
                                            "Selbstbaucomputer BIOS version", selbst_take_monitor);
    state_field_u8(&selbst_data_latch);
    // Without a monitor $0000-$07FF is RAM, where the user's program lives.
    // States before version 40 did not hold it: it is left as it is.
    if (version == 0 && (!state_reading() || state_guest_version >= 40))
        state_field_memory(0x0000, 0x07FF);
}

void display_geometry_selbst(MachineLive& row, bool current) {
    if (current) {
        vdu_columns = 64;
        vdu_visible_rows = vdu_rows = 16;
    }
    display_set_frame_size(row, 512, showleds ? 183 : 128);
}

void display_reset_selbst(i32 w, i32) {
    if (showleds) display_led_strip(w, 128, 182);
}

void led_geometry_selbst() {
    trainer_digit_panels({211, 244, 278, 311, 344, 377}, 57);
}

// The cassette as the PIPBUG's; the frame ticks it when the machine's own
// frame is built.
constexpr TapeRule SELBST_TAPE = monitor_tape_rule(832, 623);

ViewShown selbst_view(const char* word) {
    if (trainer_view_is(word, "SCRN")) {
        selbst_dump_hardware();
        return ViewShown::SHOWN;
    }
    return selbst_debug_view(word);
}

// One clock period a second, or the full 1 MHz; the Speed window's choice
// is the user's.
constexpr MachineRates SELBST_RATES{
    .clock_formats = {"1 %s", "1 %s"},
    .clock_hertz = {true, false},
    .clock = [] { return fast_selbst; },
    .set_clock =
        [](u32 fast) {
            selbst_set_clock(fast);
            prefs_user_chose(&fast_selbst);
        },
};

constexpr MachineOps SELBST_OPS{
    .setup = selbst_machine_init,
    .reset = selbst_reset,
    .run_frame = selbst_run_frame,
    .roms = selbst_roms,
    .rom_count = 4,
    .port_read = selbst_io_read,
    .port_write = selbst_io_write,
    .apply_row_before = selbst_apply_row_before,
    .apply_row_after = selbst_apply_row_after,
    .serialise = selbst_tail,
    // Version 39 states lack the RAM at $0000-$07FF of a board without a monitor.
    .old_states_first = 39,
    .old_states_last = 39,
    .save_suffix = ".aof",
    .screen_text = selbst_screen_text,
    .typed_keyboard = selbst_typed_keyboard,
    .lowercase_input = [] { return true; },
    .tape = [] { return &SELBST_TAPE; },
    .controls = &selbst_controls,
    .rates = &SELBST_RATES,
    .guide_section = "selbstbaucomputer",
};

constexpr MachineView SELBST_VIEW{
    .display_geometry = display_geometry_selbst,
    .reset_frame = display_reset_selbst,
    .text_colours = display_terminal_colours,
    .led_digit_place = selbst_led_digit_place,
    .led_panel_cell = led_cell_double,
    .led_panel_geometry = led_geometry_selbst,
    .controls_layout = selbst_controls_layout,
};

constexpr MachineSound SELBST_SOUND{
    .sound_voices = snd_voices_speaker,
    .tone_frequency = snd_tone_note_code,
};

constexpr MachineDebug SELBST_DEBUG{
    .hooks = &selbst_debug_hooks,
    .bios_entry = [] { return i32{0x0000}; },
    .debug_view = selbst_view,
    .bios_view = [] { return selbst_biosversion != 0; },
    .text_letter = debug_ascii_letter,
    .listing_note_key = selbst_listing_note_key,
    .object_suffix = ".aof",
    .asm_start = 0x0900,
};

} // namespace

extern const MachineEntry selbst_machine_entry{&SELBST_OPS, &SELBST_VIEW, &SELBST_SOUND,
                                               &SELBST_DEBUG};
