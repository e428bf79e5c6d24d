#include "computers/computer_views.h"
#include "computers/phunsy.h"
#include "computers/monitor_tape.h"
#include "computers/screen_texts.h"

#include "computers/note_pitches.h"
#include "computers/phunsy_image.h"
#include "computers/pipbug.h"
#include "computers/terminal_rows.h"
#include "core/gamesdb.h"
#include "core/loader.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/savestate_fields.h"
#include "core/savestate_seams.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "display/bands.h"
#include "display/led.h"
#include "computers/trainer_boards.h"
#include "core/dump_lines.h"
#include "platform/catalog.h"
#include "sound/voice_update.h"
#include "computers/controls_rows.h"

#include <cstdio>

u8 phunsy_irq_select;

// A 13-bit pointer, high byte first.
static u16 pointer_at(u16 address) {
    return static_cast<u16>(((guest_memory[address] & 0x1F) << 8) | guest_memory[address + 1]);
}

// The first monitor vectors to $001D; the later ones by the select bits: $0000,
// $1FEC, or the addresses held at $1FF8, $1FF6 or $1FF4.
static bool interrupt_vector(CpuVector* vector) {
    u16 address;
    const u8 select = phunsy_irq_select;
    if (phunsy_biosversion == 1)
        address = 0x001D;
    else if (select & 1)
        address = 0x0000;
    else if (select & 2)
        address = 0x1FEC;
    else if (select & 4)
        address = pointer_at(0x1FF8);
    else if (select & 8)
        address = pointer_at(0x1FF6);
    else
        address = pointer_at(0x1FF4);
    *vector = {address, false};
    return true;
}

static CpuCharStyle char_style() {
    return phunsy_biosversion == 1 ? CHARS_ASCII : CHARS_GUEST;
}

static constexpr CpuDebugHooks phunsy_debug_hooks{
    .char_style = char_style,
    .guest_char = serial_guest_char,
    .bios_notes = phunsy_rom_comment,
};

void phunsy_bus_install() {
    cpu_bus.interrupt_vector = interrupt_vector;
}

i32 phunsy_bios_entry() {
    return phunsy_biosversion == 1 ? 0x0000 : 0x1FEC;
}

bool phunsy_typed_keyboard() {
    return phunsy_biosversion == 1;
}

// ---- The PHUNSY's rows ----

namespace {

using enum ColumnBand;
using enum RowBand;

// Games-database rows of the programs that play notes in software.
constexpr int GAME_BELMACH = 652, GAME_BELMACH0 = 653, GAME_50_THEME = 654, GAME_PIANO = 655;

void phunsy_apply_row_before(const KnownGame& row) {
    phunsy_biosversion = row.variant;
}

void phunsy_apply_row_after(const KnownGame& row) {
    game_start_address = row.start_address;
}

void phunsy_tail(u32) {
    // The state's memory is its monitor's: that monitor's ROMs and memory
    // map come back with it, whatever monitor was chosen meanwhile.
    const u32 version =
        state_monitor_field(&phunsy_biosversion, 1, "PHUNSY BIOS version", phunsy_take_monitor);
    if (state_reading() && version > 1) return;
    if (version == 0) {
        state_field_memory(0x0000, 0x1DFF);
    } else {
        state_field_memory(0x0800, 0x17FF);
        state_field_bytes(phunsy_ubank_store[0], 2048);
        for (int b = 4; b < 16; b++)
            state_field_bytes(phunsy_ubank_store[b], 2048);
        for (int b = 1; b < 16; b++)
            state_field_bytes(phunsy_qbank_store[b], 16384);
        state_field_memory(0x2000, 0x3FFF);
        for (int b = 1; b < 4; b++)
            state_field_bytes(phunsy_ubank_store[b], 2048);
        state_field_bytes(phunsy_qbank_store[0], 16384);
    }
    state_field_u8(&phunsy_bank_control);
    state_field_u8(&phunsy_irq_period);
    state_field_u8(&phunsy_irq_countdown);
    state_beam_clock_field(PHUNSY);
    for (u32 port = 16; port <= 19; port++)
        state_field_u8(&port_records[port].last_value);
}

void display_geometry_phunsy(MachineLive& row, bool) {
    const bool leds = showleds != 0;
    if (blankingareas)
        display_set_frame_size(row, 512, leds ? 355 : 313);
    else
        display_set_frame_size(row, 384, leds ? 298 : 256);
}

DisplayWindow display_window_phunsy(i32 w, i32 h) {
    if (blankingareas) return {0, 0, w - 1, h - 1};
    return {128, 0, w + 127, h - 1};
}

void display_reset_phunsy(i32 w, i32 h) {
    const int left = blankingareas ? 128 : 0;
    display_fill_area(left, left + 383, 0, 255, term_text_background());
    if (showleds) display_led_strip(w, h - 42, h - 1);
    if (!blankingareas) return;
    display_paint_bands(
        512, 313,
        [](int x) {
            return x <= 25    ? PORCH
                   : x <= 57  ? HSYNC
                   : x <= 65  ? PORCH
                   : x <= 81  ? BURST
                   : x <= 127 ? PORCH
                              : ACTIVE;
        },
        [](int, int y) {
            return y <= 255 ? ACTIVE_LINE : y <= 268 ? VBLANK : y <= 272 ? VSYNC : VBLANK;
        });
}

void led_cell_phunsy(i32 x, i32 y, u32 colour) {
    led_cell_block(2 * x + 5, y, colour);
}

void led_geometry_phunsy() {
    led_panel_width = 112;
    led_panel_rows = 18;
    led_panel_left = 81;
    led_panel_top = 17;
}

bool beam_marker_phunsy(i32 clock, i32 line, bool, BeamLine* out) {
    *out = {320, 128, clock % 640 + 128, line % 313, clock % 384, line % 313};
    return true;
}

// "PIANO", "50-THEME" and the bell programs.
void snd_voices_phunsy() {
    switch (known_game_id) {
    case GAME_PIANO:
        if (cpu_iar == 0x1816) {
            const u16 pitch = static_cast<u16>(cpu_regs[3] + 1);
            snd_set_voice(0, phunsy_tone_pitch(pitch) != 0.0f ? 7 : 0, pitch);
        }
        break;
    case GAME_50_THEME:
        snd_set_voice(0, 7, static_cast<u16>(cpu_regs[3] + 1));
        break;
    case GAME_BELMACH:
    case GAME_BELMACH0:
        if ((cpu_regs[0] & 0x3E) != 0x3E) snd_set_voice(0, 7, cpu_regs[0] & 63);
        break;
    default:
        break;
    }
}

float snd_tone_phunsy(u16 p) {
    if (known_game_id == GAME_PIANO) return phunsy_tone_pitch(p);
    if (known_game_id == GAME_50_THEME) return snd_tone_reference / static_cast<float>(p);
    return phunsy_tone_pitch_half(p);
}

// The cassette as the PIPBUG's; the frame ticks it when the PHUNSY's own
// frame is built.
constexpr TapeRule traced(TapeRule r) {
    r.traced = [] { return true; };
    return r;
}
constexpr TapeRule PHUNSY_TAPE = traced(monitor_tape_rule(832, 623));

ViewShown phunsy_view(const char* word) {
    if (trainer_view_is(word, "SCRN")) {
        phunsy_dump_hardware();
        return ViewShown::SHOWN;
    }
    return phunsy_debug_view(word);
}

constexpr MachineOps OPS{
    .setup = phunsy_machine_init,
    .install_bus = phunsy_bus_install,
    .reset = phunsy_reset,
    .run_frame = phunsy_run_frame,
    .roms = phunsy_roms,
    .rom_count = PHUNSY_ROMS,
    .port_read = phunsy_io_read,
    .port_write = phunsy_io_write,
    .map_image = phunsy_map_image,
    .apply_row_before = phunsy_apply_row_before,
    .apply_row_after = phunsy_apply_row_after,
    .image_refused = phunsy_image_refused,
    .run_loaded = phunsy_run_loaded,
    .serialise = phunsy_tail,
    .before_state_save = phunsy_before_state_save,
    .after_state_load = phunsy_after_state_load,
    .save_suffix = ".bin",
    .screen_text = phunsy_screen_text,
    .typed_keyboard = phunsy_typed_keyboard,
    .lowercase_input = [] { return true; },
    .tape = [] { return &PHUNSY_TAPE; },
    .controls = &phunsy_controls,
    .guide_section = "phunsy",
    .sprites_help = "binbug-sprites",
    .tape_help = "phunsy-tapedeck",
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_phunsy,
    .display_window = display_window_phunsy,
    .reset_frame = display_reset_phunsy,
    .blanking_areas = [] { return true; },
    .text_colours = display_terminal_colours,
    .led_panel_cell = led_cell_phunsy,
    .led_panel_geometry = led_geometry_phunsy,
    .controls_layout = phunsy_controls_layout,
    .beam_marker = beam_marker_phunsy,
    .describe_position = phunsy_describe_position,
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_phunsy,
    .tone_frequency = snd_tone_phunsy,
};

// The sprite editor's glyphs: the 128 characters, then the block graphics,
// whose bits 6-4 choose the colour (black, six greys, white).
u8 block_colour(int n) {
    const int group = (n >> 4) & 7;
    return static_cast<u8>(group == 0 ? 7 : group == 7 ? 0 : 15 + group);
}

const char* block_colour_name(int n) {
    const int group = (n >> 4) & 7;
    if (group == 0) return cat_str(347, "Black #1");
    if (group == 7) return cat_str(340, "White");
    static const char* const greys[6] = {"Grey #2", "Grey #3", "Grey #4", "Grey #5", "Grey #6", "Grey #7"};
    return cat_str(480 + group, greys[group - 1]);
}

constexpr GlyphSet GLYPHS{
    .count = [] { return 256; },
    .first = 0,
    .columns = 6,
    .rows = 8,
    .unlit = 6,
    .palette = false,
    .slider_ticks = 128,
    .help_node = "binbug-sprites",
    .row_address = [](int, int) { return i32{-1}; },
    .generator_row = phunsy_glyph_row,
    .colour = [](int n, bool* has) {
        *has = false;
        return n < 128 ? u8{0} : block_colour(n);
    },
    .set_colour = nullptr,
    .name = [](int n, char* out, std::size_t size) {
        if (n < 128)
            std::snprintf(out, size, "(Character) PDG #%d", n);
        else
            std::snprintf(out, size, "(Block) PDG #%d (%s)", n - 128, block_colour_name(n));
    },
};

constexpr MachineDebug DEBUG{
    .hooks = &phunsy_debug_hooks,
    .interrupt_entry = [] { return i32{0x001D}; },
    .bios_entry = phunsy_bios_entry,
    .last_raster_line = [] { return PHUNSY_LINES - 1; },
    .debug_view = phunsy_view,
    .bios_view = [] { return true; },
    .text_letter = debug_ascii_letter,
    .edit_key = phunsy_edit_key,
    .edit_clamp = phunsy_edit_clamp,
    // A binary image opens where the monitor puts one, not where it was
    // assembled: Intel HEX keeps the addresses.
    .object_suffix = ".hex",
    .asm_start = 0x0800,
    .glyphs = &GLYPHS,
};

} // namespace

extern const MachineEntry phunsy_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
