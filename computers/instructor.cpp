#include "computers/computer_views.h"
#include "computers/instructor.h"
#include "computers/monitor_tape.h"
#include "computers/screen_texts.h"

#include "computers/terminal_rows.h"
#include "core/gamesdb.h"
#include "core/io_ports.h"
#include "core/loader.h"
#include "core/objfile.h"
#include "core/recording.h"
#include "core/machine_debug.h"
#include "core/machine_ops.h"
#include "core/machine_sound.h"
#include "core/machine_view.h"
#include "core/savestate_fields.h"
#include "core/savestate_seams.h"
#include "core/seams_games.h"
#include "core/seams_services.h"
#include "core/settings_vars.h"
#include "cpu/bus.h"
#include "cpu/dbg_hooks.h"
#include "cpu/debug_state.h"
#include "display/led.h"
#include "computers/trainer_boards.h"
#include "machines/music_rows.h"
#include "sound/note_lookup.h"
#include "sound/voice_update.h"
#include "computers/controls_rows.h"

#include <cstring>

// With the parallel port in memory-mapped mode (si50_parallelio 0) the routed
// byte reads the toggle switches and drives the lamps.
static u8 routed_read(u32 a) {
    return si50_parallelio == 0 ? static_cast<u8>(si50_toggles) : guest_memory[a];
}

static void routed_write(u32 a, u8 v) {
    if (si50_parallelio == 0)
        lamp_latch = v;
    else
        guest_memory[a] = v;
}

// The interrupt takes $0007 directly, or with the indirect setting the address
// held at $0007-$0008.
static bool interrupt_vector(CpuVector* vector) {
    *vector = {0x0007, si50_interrupts == 1};
    return true;
}

// The board's WRTC hands control to the monitor at $1800, leaving the return
// address in the last values of extended ports $FC and $FD.
static void port_write(u32 port, u8 value) {
    io_write_port(port, value);
    if (port != IO_CONTROL_PORT) return;
    const u16 back = page_add(cpu_iar, 1); // WRTC is one byte long
    port_records[0xFC].last_value = static_cast<u8>(back);
    port_records[0xFD].last_value = static_cast<u8>(back >> 8);
    cpu_redirect_after(0x1800);
}

// The codes the monitor shows on the seven-segment digits.
u8 instructor_display_char(u8 code) {
    static constexpr CpuCharRun runs[] = {{0, "0123456789AbCdEFPLUrHo= J-.YN"}, {230, ":"}};
    return cpu_char_from_runs(runs, code);
}

static constexpr CpuDebugHooks instructor_debug_hooks{
    .guest_char = instructor_display_char,
    .calls_through_vectors = [] { return true; },
    .vector_notes = instructor_monitor_notes,
};

void instructor_bus_install() {
    cpu_bus.read_routed = routed_read;
    cpu_bus.write_routed = routed_write;
    cpu_bus.interrupt_vector = interrupt_vector;
    cpu_bus.interrupt_plain_jump = true;
    cpu_bus.port_read = io_read_port;
    cpu_bus.port_write = port_write;
}

LedDigitPlace instructor_led_digit_place(int digit) {
    return {33 * digit + 10, 10, 6};
}

// ---- The Instructor 50's rows ----

namespace {

// The games-database row of "Music Theme", which plays its notes in software.
constexpr int GAME_MUSIC_THEME = 616;

// The program image as it stands from $0000.
void instructor_map_image(bool) {
    load_put_bytes(0, filebuf, filebuf_length);
}

void instructor_apply_row_after(const KnownGame& row) {
    si50_interrupts = row_si50_interrupts(row);
    si50_intselector = row_si50_interrupt_selector(row);
    si50_parallelio = static_cast<i32>(row.option_word);
}

void instructor_tail(u32) {
    state_field_memory(0x0000, 0x17FF);
    state_field_memory(0x2000, 0x7FFF);
    state_field_u32(&si50_toggles); // one byte
    state_setting_byte(&si50_parallelio, 2, "Instructor 50 parallel I/O");
    state_setting_byte(&si50_interrupts, 1, "Instructor 50 interrupts");
    state_setting_byte(&si50_intselector, 1, "Instructor 50 interrupt selector");
    state_field_u8(&si50_latches.digit_select);
    state_field_u8(&si50_latches.read_latch);
    state_field_u8(&si50_latches.last_console_row);
    if (state_reading() && si50_latches.digit_select > 8) si50_latches.digit_select = 8;
}

i32 instructor_controls_layout() {
    return bigcontrols_si50 ? 11 : 10;
}

void led_cell_instructor(i32 x, i32 y, u32 colour) {
    if (bigcontrols_si50) {
        const i32 c0 = 2 * x + (17 - 2 * y) / 3, c1 = 2 * x + (16 - 2 * y) / 3;
        led_panel_store(c0, 2 * y, colour);
        led_panel_store(c0 + 1, 2 * y, colour);
        led_panel_store(c1, 2 * y + 1, colour);
        led_panel_store(c1 + 1, 2 * y + 1, colour);
    } else {
        led_panel_store(x + (8 - y) / 3, y, colour);
    }
}

void led_geometry_instructor() {
    led_panel_width = bigcontrols_si50 ? 144 : 72;
    led_panel_rows = bigcontrols_si50 ? 18 : 9;
    led_panel_left = bigcontrols_si50 ? 524 : 301;
    led_panel_top = bigcontrols_si50 ? 69 : 111;
}

void snd_voices_instructor() {
    if (known_game_id != GAME_MUSIC_THEME) return;
    if (cpu_iar == 0x001F)
        snd_set_voice(0, 7, static_cast<u16>(cpu_regs[3] + 1));
    else
        snd_keep_voice(0);
}

float snd_tone_instructor(u16 p) {
    return snd_tone_reference * 1.5f / static_cast<float>(p);
}

// The cassette: the port 248 latch writes it (16 low, 24 high) and SENSE
// reads it; the frame ticks it when the Instructor's own frame is built.
constexpr TapeRule INSTRUCTOR_TAPE{.input = TapeInput::SENSE_LEVEL,
                                   .output = TapeOutput::LATCH_LEVELS,
                                   .in_address = 0,
                                   .out_address = 0,
                                   .port = 248,
                                   .edge_limit = 0,
                                   .period = 0,
                                   .trace_load = nullptr,
                                   .trace_save = nullptr,
                                   .traced = [] { return true; }};

ViewShown instructor_view(const char* word) {
    if (trainer_view_is(word, "SCRN")) {
        instructor_view_state();
        return ViewShown::SHOWN;
    }
    return instructor_debug_view(word);
}

constexpr MachineOps OPS{
    .setup = instructor_setup,
    .install_bus = instructor_bus_install,
    .reset = instructor_reset,
    .run_frame = instructor_run_frame,
    .roms = &instructor_rom,
    .rom_count = 1,
    .port_read = instructor_io_read,
    .port_write = instructor_io_write,
    .map_image = instructor_map_image,
    .apply_row_after = instructor_apply_row_after,
    .serialise = instructor_tail,
    .save_suffix = ".bin",
    .screen_text = instructor_screen_text,
    .tape = [] { return &INSTRUCTOR_TAPE; },
    .controls = &instructor_controls,
    .dips = [] { return DipWindow::SI50; },
    .guide_section = "instructor-50",
    .dips_help = "si50-dips",
};

constexpr MachineView VIEW{
    .text_colours = display_panel_colours,
    .frame_takes_paper = true,
    .led_digit_place = instructor_led_digit_place,
    .led_panel_cell = led_cell_instructor,
    .led_panel_geometry = led_geometry_instructor,
    .controls_layout = instructor_controls_layout,
};

// "Music Theme" on the musical keyboard: the note voice 0 sounds.
constexpr MusicKeyboard MUSIC{
    .main_note = [](u8* pen) {
        *pen = MUSIC_PEN_TONE;
        if (known_game_id != GAME_MUSIC_THEME || !snd_cur_volume[0]) return int{NOTE_REST};
        return snd_voice_note(0, snd_cur_pitch[0]);
    },
};

constexpr MachineSound SOUND{
    .sound_voices = snd_voices_instructor,
    .tone_frequency = snd_tone_instructor,
    .music = &MUSIC,
};

constexpr MachineDebug DEBUG{
    .hooks = &instructor_debug_hooks,
    .interrupt_entry = [] { return i32{0x0007}; },
    .bios_entry = [] { return i32{0x1800}; },
    .literal_codes = [] { return u32{29}; }, // literals name the first 29 codes only
    .debug_view = instructor_view,
    .bios_view = [] { return true; },
    .text_letter = [](u8 c) { return c == 0 || (c >= 10 && c <= 21); },
    .boots_at_zero = false,
};

} // namespace

extern const MachineEntry instructor_machine_entry{&OPS, &VIEW, &SOUND, &DEBUG};
