#include "computers/computer_views.h"
#include "computers/cd2650.h"
#include "platform/catalog.h"
#include "computers/cd2650_dos.h"
#include "computers/monitor_tape.h"
#include "computers/dos_errors.h"
#include "computers/screen_texts.h"

#include "computers/pipbug.h"
#include "computers/pipbug_vdu.h"
#include "computers/autorun.h"
#include "computers/terminal_rows.h"
#include "core/gamesdb.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/settings_vars.h"
#include "display/bands.h"
#include "cpu/dbg_hooks.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include <cstdio>
#include <strings.h>

// The P1 DOS without a BIOS is called through vectors in RAM.
static bool calls_through_vectors() {
    return cd2650_dosversion == 1 && cd2650_biosversion == 0;
}

static constexpr CpuDebugHooks cd2650_debug_hooks{
    .char_style = ascii_chars,
    .guest_char = cd2650_display_char,
    .calls_through_vectors = calls_through_vectors,
    .bios_notes = cd2650_bios_notes,
    .vector_notes = cd2650_dos_call_notes,
    .wide_clock_column = true,
};

// ---- The CD2650's rows ----

namespace {

using enum ColumnBand;
using enum RowBand;

// The monitor and the VDU of a games-database row.
void cd2650_apply_row_before(const KnownGame& row) {
    cd2650_biosversion = row.variant;
    cd2650_vdu = static_cast<i32>(row.option_word);
}

void display_geometry_cd2650(MachineLive& row, bool) {
    if (blankingareas)
        display_set_frame_size(row, 904, 264);
    else
        display_set_frame_size(row, 640, 192);
}

void display_reset_cd2650(i32, i32) {
    display_fill_area(0, 639, 0, 191, term_text_background());
    if (!blankingareas) return;
    display_paint_bands(
        904, 264,
        [](int x) {
            return x <= 639 ? ACTIVE : x <= 711 ? PORCH : x <= 775 ? HSYNC : PORCH;
        },
        [](int, int y) {
            return y <= 191 ? ACTIVE_LINE : y <= 215 ? VBLANK : y <= 227 ? VSYNC : VBLANK;
        });
}

bool beam_marker_cd2650(i32 clock, i32 line, bool, BeamLine* out) {
    *out = {320, 96, clock % 904, line % 264, clock % 904, line % 264};
    return true;
}

// The cassette: the monitor's square waves at 984 (fast board 1476) clock
// periods a cycle; the frame ticks it when the CD2650's own frame is built.
const MonitorTapeTrace cd2650_tape_trace = {
    .start_bit = 0x02F1,
    .bit_read = 0x02FB,
    .char_read = 0x0303,
    .start_char = 0x029B,
    .file_loaded = 0x0249,
    .byte_read = 0x030E,
    .byte_written = 0x026E,
    .start_written = 0x0217,
    .file_saved = 0x024C,
    .reg = 3,
};
constexpr TapeRule traced(TapeRule r) {
    r.trace_load = [] { monitor_trace_load(cd2650_tape_trace); };
    r.trace_save = [] { monitor_trace_save(cd2650_tape_trace); };
    r.traced = [] { return true; };
    return r;
}
constexpr TapeRule CD2650_TAPE = traced(monitor_tape_rule(984, 737));
constexpr TapeRule FAST_CD2650_TAPE = traced(monitor_tape_rule(1476, 1106));
const TapeRule* cd2650_tape() {
    return fast_cd2650 ? &FAST_CD2650_TAPE : &CD2650_TAPE;
}

// VIEW SCRN, BASIC and BIOS of the CD2650.
ViewShown cd2650_view(const char* word) {
    if (strcasecmp(word, "SCRN") == 0)
        cd2650_view_video_ram();
    else if (strcasecmp(word, "BASIC") == 0)
        cd2650_view_basic_vars();
    else if (strcasecmp(word, "BIOS") == 0)
        cd2650_view_bios();
    else
        return cd2650_debug_view(word);
    return ViewShown::SHOWN;
}

constexpr MachineRates RATES{
    .clock_formats = {"1.183 %s", "1.774 %s"},
    .clock = [] { return fast_cd2650; },
    .set_clock = cd2650_set_clock,
};

constexpr MachineOps OPS{
    .setup = cd2650_setup,
    .install_bus = cd2650_bus_install,
    .reset = cd2650_reset,
    .run_frame = cd2650_run_frame,
    .roms = cd2650_roms,
    .rom_count = CD2650_ROM_COUNT,
    .port_read = cd2650_io_read,
    .port_write = cd2650_io_write,
    .apply_row_before = cd2650_apply_row_before,
    .run_loaded = cd2650_run_loaded,
    .serialise = cd2650_serialise,
    .old_states_first = 42,
    .old_states_last = 44,
    .save_suffix = ".aof",
    .screen_text = cd2650_screen_text,
    .typed_keyboard = [] { return true; },
    .six_bit_keys = cd2650_six_bit_keys,
    .key_routine = "KBIN",
    .paste_char = cd2650_paste_char,
    .lowercase_input = cd2650_lowercase_input,
    .tape = cd2650_tape,
    .rates = &RATES,
    .guide_section = "cd2650",
    .sprites_help = "binbug-sprites",
    .disks = &cd2650_disk_system,
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_cd2650,
    .reset_frame = display_reset_cd2650,
    .blanking_areas = [] { return true; },
    .text_colours = display_terminal_colours,
    .frame_takes_paper = true,
    .beam_marker = beam_marker_cd2650,
    .describe_position = cd2650_describe_position,
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_speaker,
    .tone_frequency = snd_tone_note_code,
};

constexpr ObjectFormat IMAG_FILES{".imag", 0, [](const char* name, u32 first, u32 last, u32 start, u32) {
                                      return cd2650_save_imag(name, first, last, start);
                                  }};

// The sprite editor's glyphs: the 128 characters of the font as loaded, the
// first eight of each one's ten stored rows.
constexpr GlyphSet GLYPHS{
    .count = [] { return 128; },
    .first = 0,
    .columns = 8,
    .rows = 8,
    .unlit = 8,
    .palette = false,
    .slider_ticks = 128,
    .help_node = "binbug-sprites",
    .row_address = [](int, int) { return i32{-1}; },
    .generator_row = [](int n, int r) { return cd2650_font[10 * (n & 127) + (r & 7)]; },
    .colour = [](int, bool* has) {
        *has = false;
        return u8{0};
    },
    .set_colour = nullptr,
    .name = [](int n, char* out, std::size_t size) { std::snprintf(out, size, cat_str(594, "#%d"), n); },
};

constexpr MachineDebug DEBUG{
    .hooks = &cd2650_debug_hooks,
    .bios_entry = [] { return i32{0x0000}; },
    .last_raster_line = [] { return CD2650_LINES - 1; },
    .debug_view = cd2650_view,
    .bios_view = [] { return true; },
    .text_code = debug_seven_bits,
    .text_letter = [](u8 c) { return (c >= 1 && c <= 26) || (c >= 'A' && c <= 'Z'); },
    .dos_errors = [] { return calls_through_vectors() ? &cd2650_dos_errors : nullptr; },
    .edit_key = cd2650_key_handler,
    .edit_clamp = cd2650_edit_clamp,
    .disk_save_command = "SAVEIMAG ",
    .disk_program = &IMAG_FILES,
    .disk_program_word = "SAVEIMAG",
    .object_suffix = ".aof",
    .asm_start = 0x1510,
    .glyphs = &GLYPHS,
};

} // namespace

extern const MachineEntry cd2650_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
