// The PIPBUG's rows: its own parts beside its monitor and bus (games-database
// rows, controls layout, VDU geometry, text colours, fixed frame areas, the
// software-played notes) and the entry that names them.
#include "computers/computer_views.h"
#include "computers/autorun.h"
#include "computers/monitor_tape.h"
#include "computers/screen_texts.h"
#include "computers/note_pitches.h"
#include "computers/pipbug.h"
#include "computers/pipbug_notes.h"
#include "computers/pipbug_vdu.h"
#include "computers/terminal_rows.h"
#include "core/gamesdb.h"
#include "core/guest_roms.h"
#include "core/machine.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/notify.h"
#include "core/seams_games.h"
#include "core/settings_vars.h"
#include "cpu/cpu.h"
#include "display/bands.h"
#include "display/frame.h"
#include "sound/voice_update.h"
#include "computers/controls_rows.h"

#include <strings.h>

const u8 led_font_pipbug[16] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07,
                                0x7F, 0x67, 0,    0,    0,    0,    0,    0};

namespace {

using enum ColumnBand;
using enum RowBand;

// Games-database rows of the programs that play notes in software.
constexpr int GAME_RANDOM_MORSE = 457, GAME_YANKEE_DOODLE = 479, GAME_BACH = 488;

struct VduShape {
    i32 columns, visible_rows, rows, cell_w, cell_h, glyph_w, glyph_h;
};
// PIPBUG VDU types: Elekterminal, Low Cost VDU 32 and 64 columns, Radio
// Bulletin, SVT-100, VT100.
constexpr VduShape pipbug_vdus[6] = {
    {64, 16, 64, 8, 12, 5, 8}, {32, 16, 16, 6, 12, 5, 8}, {64, 16, 16, 6, 12, 5, 8},
    {50, 16, 16, 7, 16, 5, 9}, {64, 16, 16, 6, 8, 5, 8},  {80, 24, 24, 8, 12, 8, 10},
};

void set_vdu(const VduShape& v) {
    vdu_columns = v.columns;
    vdu_visible_rows = v.visible_rows;
    vdu_rows = v.rows;
    vdu_cell_width = v.cell_w;
    vdu_cell_height = v.cell_h;
    vdu_glyph_width = v.glyph_w;
    vdu_glyph_height = v.glyph_h;
}

// The monitor, baud rate, VDU and laboratory instruments of a games-database row.
void pipbug_apply_row_before(const KnownGame& row) {
    pipbug_biosversion = row.variant;
    static constexpr i32 baud_by_bios[4] = {2, 1, 0, 1};
    const u8 baud = row_baud_selector(row);
    pipbug_baudrate = baud == 3 ? baud_by_bios[pipbug_biosversion & 3] : baud;
    if (row.option_word != 6 && row.option_word <= 5)
        pipbug_vdu = static_cast<i32>(row.option_word);
    vdu_select_type(155 + pipbug_vdu);
    i32 id = known_game_id;
    pipbug_peripheral = (id == 524 || id == 851 || id == 852) ? 3
                        : id == 462                           ? 2
                        : (id == 510 || id == 853)            ? 1
                                                              : 0;
}

i32 pipbug_controls_layout() {
    return pipbug_vdu == 3 ? 29 : pipbug_vdu == 5 ? 28 : 12;
}

// The PIPBUG's row takes its own VDU's size whatever the current machine.
void display_geometry_pipbug(MachineLive& row, bool current) {
    const int vdu = pipbug_vdu >= 0 && pipbug_vdu <= 5 ? pipbug_vdu : 0;
    const VduShape& v = pipbug_vdus[vdu];
    if (current) set_vdu(v);
    i32 w = v.columns * v.cell_w, h = v.visible_rows * v.cell_h;
    if (current && blankingareas && vdu == 3) {
        w += 168;
        h += 57;
    }
    if (showleds) h += 43;
    display_set_frame_size(row, w, h);
}

// The "Radio Bulletin" text sits 84 columns and 43 rows into the larger frame.
DisplayWindow display_window_pipbug(i32 w, i32 h) {
    if (blankingareas && pipbug_vdu == 3) return {84, 43, w + 83, h + 42};
    return {0, 0, w - 1, h - 1};
}

void display_reset_pipbug(i32 w, i32 h) {
    if (showleds) display_led_strip(w, h - 43, h - 1);
    if (!blankingareas || pipbug_vdu != 3) return;
    display_paint_bands(
        518, 313,
        [](int x) {
            return x <= 83 ? PORCH : x <= 433 ? ACTIVE : x <= 482 ? PORCH : HSYNC;
        },
        [](int, int y) {
            return y <= 42 ? VBLANK : y <= 298 ? ACTIVE_LINE : y <= 309 ? VBLANK : VSYNC;
        });
}

void display_pipbug_colours(u8* ink, u8* paper) {
    display_terminal_colours(ink, paper);
    if (pipbug_vdu == 0) *paper = 18;
}

void led_geometry_pipbug() {
    machine_live[PIPBUG].controls_keys = pipbug_vdu == 3 ? 80 : pipbug_vdu == 5 ? 79 : 62;
}

void snd_voices_pipbug() {
    if (known_game_id == GAME_YANKEE_DOODLE || known_game_id == GAME_BACH) {
        if (cpu_iar == 0x04A5) {
            const u8 code = cpu_regs[0];
            snd_set_voice(0, note_code_frequency(code) != 0.0 ? 7 : 0, code);
        } else {
            snd_keep_voice(0);
        }
    } else if (known_game_id == GAME_RANDOM_MORSE && cpu_iar == 0x049B) {
        snd_set_voice(0, 7, TERM_BEEP_NOTE);
    }
}

// The monitor's tape routines are known in PIPBUG 1 alone.
void pipbug_trace_load() {
    if (pipbug_bios == 2) monitor_trace_load(pipbug_tape_trace);
}
void pipbug_trace_save() {
    if (pipbug_bios == 2) monitor_trace_save(pipbug_tape_trace);
}
constexpr TapeRule traced(TapeRule r) {
    r.trace_load = pipbug_trace_load;
    r.trace_save = pipbug_trace_save;
    r.traced = [] { return pipbug_bios == 2; };
    return r;
}
// The fast board doubles the clock, which the frame clock follows: one rule
// serves both.
constexpr TapeRule PIPBUG_TAPE = traced(monitor_tape_rule(832, 623));
const TapeRule* pipbug_tape() {
    return &PIPBUG_TAPE;
}

// The monitor radios load the chosen ROM and restart; the VDU radios rebuild
// the picture for the chosen VDU.
void pipbug_menu_choice(int item) {
    if (item >= 155 && item <= 160) {
        vdu_select_type(item);
        return;
    }
    pipbug_load_monitor(1); // the monitor chooses the memory map: the title follows
    machine_reset();
    ui_mark(UI_TITLE | UI_STATUS);
}

constexpr const char* PIPBUG_BAUDS[3] = {"110", "300", "4800"};
constexpr MachineRates RATES{
    .clock_formats = {"1 %s", "2 %s"},
    .clock = [] { return fast_pipbug; },
    .set_clock = pipbug_set_clock,
    .bauds = PIPBUG_BAUDS,
    .baud_count = 3,
    .baud = [] { return static_cast<u32>(pipbug_baudrate); },
    .baud_enabled = pipbug_baud_choosable,
    .set_baud = pipbug_set_baud,
};

constexpr MachineOps OPS{
    .setup = pipbug_setup,
    .install_bus = pipbug_bus_install,
    .reset = pipbug_reset,
    .run_frame = pipbug_run_frame,
    .roms = pipbug_roms,
    .rom_count = 6,
    .port_read = pipbug_io_read,
    .port_write = pipbug_io_write,
    .unknown_game = [] { pipbug_peripheral = 0; },
    .apply_row_before = pipbug_apply_row_before,
    .run_loaded = pipbug_run_loaded,
    .serialise = pipbug_serialise,
    .old_states_first = 41,
    .old_states_last = 41,
    .save_suffix = ".aof",
    .screen_text = pipbug_screen_text,
    .typed_keyboard = [] { return true; },
    .monitor_key = pipbug_monitor_key,
    .paste_char = pipbug_paste_char,
    .lowercase_input = [] { return true; },
    .tape = pipbug_tape,
    .controls = &pipbug_controls,
    .menu_choice = pipbug_menu_choice,
    .rates = &RATES,
    .self_test = pipbug_monitor_2,
    .guide_section = "pipbug-and-binbug",
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_pipbug,
    .display_window = display_window_pipbug,
    .reset_frame = display_reset_pipbug,
    .blanking_areas = pipbug_vdu_blanks,
    .text_colours = display_pipbug_colours,
    .erase_deleted = pipbug_monitor_2,
    .led_digit_place = pipbug_led_digit_place,
    .led_font = led_font_pipbug,
    .led_panel_geometry = led_geometry_pipbug,
    .controls_layout = pipbug_controls_layout,
    .describe_position = pipbug_describe_position,
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_pipbug,
    .tone_frequency = snd_tone_note_code,
};

// VIEW SCRN: the VDU text and the LED digits; VIEW BASIC: the BASIC variables.
ViewShown pipbug_debug_view(const char* word) {
    if (strcasecmp(word, "SCRN") == 0)
        pipbug_view_vdu_ram();
    else if (strcasecmp(word, "BASIC") == 0)
        pipbug_view_basic_vars();
    else
        return pipbug_ram_bios_view(word);
    return ViewShown::SHOWN;
}

constexpr MachineDebug DEBUG{
    .hooks = &pipbug_debug_hooks,
    .bios_entry = [] { return i32{0x0000}; },
    .debug_view = pipbug_debug_view,
    .bios_view = [] { return true; },
    .text_letter = debug_ascii_letter,
    .object_suffix = ".aof",
    .asm_start = 0x0440,
};

} // namespace

extern const MachineEntry pipbug_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
