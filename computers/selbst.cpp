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
#include "machines/seams.h"
#include "sound/voice_update.h"
#include "computers/controls_rows.h"

const u8 led_font_mikit[16] = {0x5F, 0x77, 0x7C, 0x39, 0x5E, 0x79, 0x71, 0x3D,
                               0x76, 0x06, 0x1E, 0x76, 0x38, 0x37, 0x37, 0x3F};

namespace {

CpuCharStyle selbst_char_style() {
    return selbst_biosversion == 3 ? CHARS_ASCII : CHARS_GUEST;
}

// The MIKIT shows its bytes on LEDs only: no text.
u8 no_text(u8) {
    return 0;
}

constexpr CpuDebugHooks selbst_debug_hooks{
    .char_style = selbst_char_style,
    .guest_char = serial_guest_char,
    .bios_notes = selbst_rom_comment,
};

constexpr CpuDebugHooks mikit_debug_hooks{
    .guest_char = no_text,
};

// The games-database row of "Music Fragment", which plays its notes in software.
constexpr int GAME_MUSIC_FRAGMENT = 820;

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

LedDigitPlace mikit_led_digit_place(int digit) {
    return {21 * digit + (digit < 4 ? 21 : 42), 10, 0};
}

// ---- The Selbstbaucomputer's rows ----

namespace {

void selbst_apply_row_before(const KnownGame& row) {
    selbst_biosversion = row.variant;
}

void selbst_apply_row_after(const KnownGame& row) {
    fast_selbst = row.option_word == 0;
    machine_live[SELBST].clocks_per_frame = fast_selbst ? 20000.0 : 0.02;
}

void selbst_tail(u32) {
    state_field_memory(0x0800, 0x1FFF);
    // Rows 0-15 of the screen, 64 columns each, row by row (vdu_text is column-major).
    for (int row = 0; row < 16; row++)
        for (int col = 0; col < 64; col++)
            state_field_u8(&vdu_text[col * VDU_ROWS + row]);
    state_setting_byte(&selbst_biosversion, 3, "Selbstbaucomputer BIOS version");
    state_field_u8(&selbst_io_state);
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

// Six digit panels of 12 x 18 pixels, each at its own place in the
// controls picture.
void digit_panels(const i32 (&left)[PANEL_PATCHES], i32 top) {
    led_panel_width = 108;
    led_panel_rows = 18;
    led_digit_panels = PANEL_PATCHES;
    for (int d = 0; d < PANEL_PATCHES; d++)
        led_digit_panel_left[d] = left[d];
    led_digit_panel_top = top;
}

void led_geometry_selbst() {
    digit_panels({211, 244, 278, 311, 344, 377}, 57);
}

// The cassette as the PIPBUG's; the frame ticks it when the machine's own
// frame is built.
constexpr TapeRule SELBST_TAPE = monitor_tape_rule(1000000, 832, 623);

constexpr MachineOps SELBST_OPS{
    .apply_row_before = selbst_apply_row_before,
    .apply_row_after = selbst_apply_row_after,
    .serialise = selbst_tail,
    .save_suffix = ".aof",
    .screen_text = selbst_screen_text,
    .typed_keyboard = selbst_typed_keyboard,
    .lowercase_input = [] { return true; },
    .tape = [] { return &SELBST_TAPE; },
    .controls = &selbst_controls,
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
    .debug_view = selbst_debug_view,
    .bios_view = [] { return true; },
    .text_letter = debug_ascii_letter,
    .listing_note_key = selbst_listing_note_key,
    .object_suffix = ".aof",
    .asm_start = 0x0900,
};

} // namespace

extern const MachineEntry selbst_machine_entry{&SELBST_OPS, &SELBST_VIEW, &SELBST_SOUND,
                                               &SELBST_DEBUG};

// ---- The MIKIT's rows ----

namespace {

void mikit_tail(u32) {
    state_field_memory(0x0400, 0x07FF);
}

i32 mikit_controls_layout() {
    return bigcontrols_mikit ? 15 : 14;
}

// The big controls picture puts the digits 400 pixels further right.
void led_geometry_mikit() {
    const i32 shift = bigcontrols_mikit ? 400 : 0;
    digit_panels({74 + shift, 103 + shift, 131 + shift, 159 + shift, 203 + shift, 231 + shift},
                 bigcontrols_mikit ? 171 : 33);
}

void snd_voices_mikit() {
    if (known_game_id != GAME_MUSIC_FRAGMENT) return;
    if (cpu_iar >= 0x0528 && cpu_iar <= 0x0560)
        snd_set_voice(0, 7, cpu_regs[3]);
    else
        snd_keep_voice(0);
}

float snd_tone_mikit(u16 p) {
    return retune ? mikit_note_pitch(p & 255) : static_cast<float>(p);
}

constexpr MachineOps MIKIT_OPS{
    .serialise = mikit_tail,
    .save_suffix = ".aof",
    .screen_text = mikit_screen_text,
    .controls = &mikit_controls,
    .guide_section = "mikit",
};

constexpr MachineView MIKIT_VIEW{
    .text_colours = display_panel_colours,
    .frame_takes_paper = true,
    .led_digit_place = mikit_led_digit_place,
    .led_font = led_font_mikit,
    .led_panel_cell = led_cell_double,
    .led_panel_geometry = led_geometry_mikit,
    .controls_layout = mikit_controls_layout,
};

constexpr MachineSound MIKIT_SOUND{
    .sound_voices = snd_voices_mikit,
    .tone_frequency = snd_tone_mikit,
};

constexpr MachineDebug MIKIT_DEBUG{
    .hooks = &mikit_debug_hooks,
    .bios_entry = [] { return i32{0x0000}; },
    .no_text_search = true,
    .object_suffix = ".aof",
    .asm_start = 0x0500,
};

} // namespace

extern const MachineEntry mikit_machine_entry{&MIKIT_OPS, &MIKIT_VIEW, &MIKIT_SOUND, &MIKIT_DEBUG};
