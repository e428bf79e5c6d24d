#include "computers/computer_views.h"
#include "computers/binbug.h"
#include "computers/binbug_dos.h"
#include "computers/monitor_tape.h"
#include "computers/screen_texts.h"

#include "computers/pipbug.h"
#include "computers/pipbug_notes.h"
#include "computers/pipbug_vdu.h"
#include "computers/autorun.h"
#include "computers/terminal_rows.h"
#include "core/gamesdb.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_table.h"
#include "core/machine_view.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "display/bands.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/exec.h"
#include "core/recording.h"
#include "cpu/cpu.h"
#include <cstdio>
#include <strings.h>
#include "computers/controls_rows.h"

static constexpr CpuDebugHooks binbug_debug_hooks{
    .char_style = ascii_chars,
    .guest_char = serial_guest_char,
    .bios_notes = pipbug_bios_notes,
};

// ---- The BINBUG's rows ----

namespace {

using enum ColumnBand;
using enum RowBand;

// The monitor and the baud rate of a games-database row.
void binbug_apply_row_before(const KnownGame& row) {
    binbug_biosversion = row.variant;
    const u8 baud = row_baud_selector(row);
    binbug_baudrate = baud == 4 ? (binbug_biosversion == 2 ? 0 : 1) : baud;
    binbug_set_baud_rate();
}

void display_geometry_binbug(MachineLive& row, bool) {
    const bool leds = showleds != 0;
    if (blankingareas)
        display_set_frame_size(row, 768, leds ? 343 : 313);
    else
        display_set_frame_size(row, 576, leds ? 286 : 256);
}

void display_reset_binbug(i32 w, i32 h) {
    display_fill_area(0, 575, 0, 255, term_text_background());
    if (showleds) display_led_strip(w, h - 30, h - 1);
    if (!blankingareas) return;
    display_paint_bands(
        768, 313,
        [](int x) {
            return x <= 575 ? ACTIVE : x <= 641 ? PORCH : x <= 701 ? HSYNC : PORCH;
        },
        [](int x, int y) {
            if (y <= 255) return ACTIVE_LINE;
            if ((y >= 282 && y <= 285) || (y == 281 && x >= 696) || (y == 286 && x <= 455))
                return VSYNC;
            return VBLANK;
        });
    // The last line is a half line.
    display_fill_area(384, 767, 312, 312, 8);
}

bool beam_marker_binbug(i32 clock, i32 line, bool, BeamLine* out) {
    *out = {288, 128, clock % 768, line % 313, clock % 384, line % 312};
    return true;
}

// BINBUG 6.1's tape routines in the disk boot ROM: the byte read or
// written, and the block's postamble when a block is done.
constexpr u16 NEVER = 0xFFFF;
const MonitorTapeTrace binbug_tape_trace = {
    .start_bit = NEVER,
    .bit_read = NEVER,
    .char_read = NEVER,
    .start_char = NEVER,
    .file_loaded = NEVER,
    .byte_read = 0x63CB,
    .byte_written = 0x6323,
    .start_written = NEVER,
    .file_saved = NEVER,
    .reg = 0,
};
void binbug_trace_load() {
    if (binbug_biosversion != 2) return;
    monitor_trace_load(binbug_tape_trace);
    if (cpu_iar == 0x63FD) binbug_describe_tape_postamble();
}
void binbug_trace_save() {
    if (binbug_biosversion != 2) return;
    monitor_trace_save(binbug_tape_trace);
    if (cpu_iar == 0x6384) binbug_describe_tape_postamble();
}
// The cassette interface: CUTS as the PIPBUG's, or the ACOS interface on
// port 50 (bit 0 written low, bit 7 read high). The frame ticks it when the
// BINBUG's own frame is built.
constexpr TapeRule offered(TapeRule r) {
    r.trace_load = binbug_trace_load;
    r.trace_save = binbug_trace_save;
    r.traced = [] { return binbug_biosversion == 2; };
    r.interface_choice = true;
    return r;
}
// The fast board's clock is the frame clock's: the same rule serves both.
constexpr TapeRule BINBUG_TAPE = offered(monitor_tape_rule(832, 623));
constexpr TapeRule acos(TapeRule r) {
    r.input = TapeInput::LATCH_BIT7;
    r.output = TapeOutput::LATCH_BIT0;
    r.port = 50;
    return r;
}
constexpr TapeRule ACOS_TAPE = acos(BINBUG_TAPE);
const TapeRule* binbug_tape() {
    return binbug_interface == 1 ? &ACOS_TAPE : &BINBUG_TAPE;
}

// VIEW SCRN: the VDU and colour RAM; VIEW UDG: the user-defined characters.
ViewShown binbug_view(const char* word) {
    if (strcasecmp(word, "SCRN") == 0)
        binbug_view_colour_ram();
    else if (strcasecmp(word, "UDG") == 0)
        binbug_view_characters();
    else
        return binbug_debug_view(word);
    return ViewShown::SHOWN;
}

constexpr const char* BINBUG_BAUDS[4] = {"150/300", "300/600", "1200/2400", "2400/4800"};
constexpr MachineRates RATES{
    .clock_formats = {"1 %s", "2 %s"},
    .clock = [] { return fast_binbug; },
    .set_clock = binbug_set_clock,
    .bauds = BINBUG_BAUDS,
    .baud_count = 4,
    .baud = [] { return static_cast<u32>(binbug_baudrate); },
    .set_baud = binbug_set_baud,
};

constexpr MachineOps OPS{
    .setup = binbug_setup,
    .install_bus = binbug_bus_install,
    .reset = binbug_reset,
    .run_frame = binbug_run_frame,
    .roms = binbug_roms,
    .rom_count = BINBUG_ROM_COUNT,
    .port_read = binbug_io_read,
    .port_write = binbug_io_write,
    .apply_row_before = binbug_apply_row_before,
    .run_loaded = binbug_run_loaded,
    .serialise = binbug_serialise,
    .old_states_first = 42,
    .old_states_last = 44,
    .save_suffix = ".aof",
    .screen_text = binbug_screen_text,
    .typed_keyboard = [] { return true; },
    .paste_char = binbug_paste_char,
    .lowercase_input = [] { return true; },
    .tape = binbug_tape,
    .controls = &binbug_controls,
    .rates = &RATES,
    .guide_section = "pipbug-and-binbug",
    .sprites_help = "binbug-sprites",
    .disks = &binbug_disk_system,
};

constexpr MachineView VIEW{
    .display_geometry = display_geometry_binbug,
    .reset_frame = display_reset_binbug,
    .blanking_areas = [] { return true; },
    .text_colours = display_terminal_colours,
    .controls_layout = binbug_controls_layout,
    .beam_marker = beam_marker_binbug,
    .describe_position = binbug_describe_position,
};

constexpr MachineSound SOUND{};

constexpr ObjectFormat CMD_FILES{".cmd", 0, [](const char* name, u32 first, u32 last, u32 start, u32) {
                                     return binbug_save_cmd(name, first, last, start);
                                 }};

// The sprite editor's glyphs: the 128 shapes of the character ROM, then the
// 128 user-defined ones of $7000-$77FF, sixteen rows each.
constexpr u32 UDG_BASE = 0x7000;

constexpr GlyphSet GLYPHS{
    .count = [] { return 256; },
    .first = 128,
    .columns = 8,
    .rows = 16,
    .unlit = 8,
    .palette = false,
    .slider_ticks = 128,
    .help_node = "binbug-sprites",
    .row_address = [](int n, int r) { return n >= 128 ? static_cast<i32>(UDG_BASE + 16 * (n - 128) + r) : i32{-1}; },
    .generator_row = [](int n, int r) { return binbug_char_rom[16 * (n & 127) + (r & 15)]; },
    .colour = [](int, bool* has) {
        *has = false;
        return u8{0};
    },
    .set_colour = nullptr,
    .name = [](int n, char* out, std::size_t size) {
        std::snprintf(out, size, n < 128 ? "PDG #%d" : "UDG #%d", n & 127);
    },
};

constexpr MachineDebug DEBUG{
    .hooks = &binbug_debug_hooks,
    .bios_entry = [] { return i32{0x0000}; },
    .last_raster_line = [] { return BINBUG_LAST_LINE; },
    .debug_view = binbug_view,
    .text_letter = debug_ascii_letter,
    .edit_key = binbug_key_handler,
    .edit_clamp = binbug_edit_clamp,
    .disk_save_command = "SAVECMD ",
    .disk_program = &CMD_FILES,
    .disk_program_word = "SAVECMD",
    .object_suffix = ".aof",
    .asm_start = 0x0440,
    .glyphs = &GLYPHS,
    .video_monitor = VideoMonitor::PADDLES,
};

} // namespace

extern const MachineEntry binbug_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
